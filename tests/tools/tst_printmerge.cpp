// quillmark-batch with --merge and the print options: one address per cell of the bundled
// business card (ten cells, 85 x 55 mm, two columns), read back from the PDF's text positions;
// the back-side modes; outline and fit; every refusal in one line.

#include "common/questionanswer.h"
#include "common/printfixtures.h"
#include "printworkspace/qprintertarget.h"
#include "common/pdfink.h"
#include "common/toolrun.h"
#include "document/appdocument.h"
#include "document/docelement.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "addresses/addressrecords.h"
#include "printing/printdocument.h"
#include "printing/printeroutput.h"
#include "printworkspace/tfrmtabprinting.h"
#include "qmpaths.h"
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The user's settings and address file stay out of the runs.
QProcessEnvironment privateEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("CUPS_SERVER"), home + QStringLiteral("/keine-cups.sock"));
    return env;
}

toolrun::Result batch(const QStringList& args, const QString& home) {
    return toolrun::Batch(args, privateEnvironment(home));
}

const QString Card = QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk");

// count records: first name "Vorname", family name "PersNN", company "FirmNN".
QString writeRecords(const QString& dir, int count) {
    QString csv = QStringLiteral("Vorname;Nachname;Firma\r\n");
    for (int i = 1; i <= count; ++i)
        csv += QStringLiteral("Vorname;Pers%1;Firm%1\r\n").arg(i, 2, 10, QLatin1Char('0'));
    const QString file = dir + QStringLiteral("/adressen.csv");
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(csv.toUtf8());
    return file;
}

// One word of a page with its box's centre in mm.
struct Word {
    QString text;
    QPointF centre;
};

// The words of every page, from pdftotext -bbox.
QList<QList<Word>> pageWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QList<QList<Word>> pages;
    static const QRegularExpression re(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    auto it = re.globalMatch(html);
    constexpr double mmPerPoint = 25.4 / 72;
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            pages.append(QList<Word>());
            continue;
        }
        if (pages.isEmpty())
            continue;
        const QPointF c((m.captured(1).toDouble() + m.captured(3).toDouble()) / 2 * mmPerPoint,
                        (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2 * mmPerPoint);
        pages.last().append({m.captured(5), c});
    }
    return pages;
}

// Cell number (reading order, from 1) of a point on the ten-up card sheet.
int cellAt(const QPointF& mm) {
    return int(mm.y() / 55) * 2 + int(mm.x() / 85) + 1;
}

// Record number per cell number of a page, for the words "<prefix>NN".
QMap<int, int> recordsByCell(const QList<Word>& words, const QString& prefix) {
    QMap<int, int> cells;
    for (const Word& w : words) {
        if (w.text.startsWith(prefix)) {
            const int cell = cellAt(w.centre);
            // A cell shows one record only.
            if (cells.contains(cell) && cells[cell] != w.text.mid(prefix.size()).toInt())
                cells[cell] = -1;
            else
                cells[cell] = w.text.mid(prefix.size()).toInt();
        }
    }
    return cells;
}

int mirrored(int cell) {
    return cell % 2 ? cell + 1 : cell - 1;
}

} // namespace

class TestPrintMerge : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral(QM_BIN_DIR "/quillmark-batch")))
            QSKIP("quillmark-batch is not built");
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
        QVERIFY(QFile::exists(Card));
    }
    void init() { ResetGlobals(); }

    // 23 records on the ten-up sheet: three sheets, cell k of sheet s holds record
    // 10 (s - 1) + k, the back of each card carries its own record in the mirrored cell.
    void oneRecordPerCellSheetAfterSheet() {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("karten.pdf"));
        const toolrun::Result r =
            batch({Card, QStringLiteral("-o"), out, QStringLiteral("--cells"),
                   QStringLiteral("all"), QStringLiteral("--merge"), writeRecords(dir.path(), 23),
                   QStringLiteral("--back"), QStringLiteral("after"),
                   QStringLiteral("--text-block"), QStringLiteral("1=Baustein Eins")},
                  m_home.path());
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"Blatt 1 von 3, Vorderseite", "Blatt 2 von 3, Vorderseite",
                              "Blatt 3 von 3, Vorderseite", "Blatt 1 von 3, Rückseite",
                              "Blatt 2 von 3, Rückseite", "Blatt 3 von 3, Rückseite"}));
        const QList<QList<Word>> pages = pageWords(out);
        QCOMPARE(pages.size(), 6);
        for (int s = 0; s < 3; ++s) {
            const QMap<int, int> front = recordsByCell(pages[s], QStringLiteral("Pers"));
            const QMap<int, int> back = recordsByCell(pages[3 + s], QStringLiteral("Firm"));
            const int filled = s < 2 ? 10 : 3;
            QCOMPARE(front.size(), filled);
            QCOMPARE(back.size(), filled);
            for (int k = 1; k <= filled; ++k) {
                QCOMPARE(front.value(k), 10 * s + k);
                QCOMPARE(back.value(mirrored(k)), 10 * s + k);
            }
        }
        // The text block option fills <t1> on the back.
        QVERIFY(pdfink::Text(out).contains(QStringLiteral("Baustein Eins")));
    }

    // A damaged address book is merged with what could be read, and the tool says how many
    // contacts were repaired or skipped, as the import in "Einstellungen" does.
    void damagedAddressBookIsMergedWithANote() {
        QTemporaryDir dir;
        const QString vcf = dir.filePath(QStringLiteral("kontakte.vcf"));
        QFile f(vcf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna;;;\r\nFN:Anna Berg\r\nEND:VCARD\r\n"
                "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tal;Ben;;;\r\nFN:Ben Tal\r\n");
        f.close();
        const QString out = dir.filePath(QStringLiteral("karten.pdf"));
        const toolrun::Result r = batch(
            {Card, QStringLiteral("-o"), out, QStringLiteral("--merge"), vcf}, m_home.path());
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("2 Kontakte gelesen, 1 davon unvollständig")),
                 qPrintable(r.err));
        QVERIFY(r.err.contains(vcf));
    }

    // --first-cell leaves the first cells of a used sheet empty; --records picks by number.
    void firstCellAndRecordNumbers() {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("karten.pdf"));
        const toolrun::Result r = batch(
            {Card, QStringLiteral("-o"), out, QStringLiteral("--cells"), QStringLiteral("all"),
             QStringLiteral("--merge"), writeRecords(dir.path(), 12), QStringLiteral("--records"),
             QStringLiteral("2-3,12"), QStringLiteral("--first-cell"), QStringLiteral("4")},
            m_home.path());
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QList<QList<Word>> front = pageWords(out);
        QCOMPARE(front.size(), 1);
        const QMap<int, int> cells = recordsByCell(front[0], QStringLiteral("Pers"));
        QCOMPARE(cells, (QMap<int, int>{{4, 2}, {5, 3}, {6, 12}}));
        const QMap<int, int> back =
            recordsByCell(pageWords(BackSideFileName(out)).value(0), QStringLiteral("Firm"));
        QCOMPARE(back, (QMap<int, int>{{3, 2}, {6, 3}, {5, 12}}));
    }

    // Two sheets of records in each back-side mode: pages and their order.
    void backModes() {
        QTemporaryDir dir;
        const QString records = writeRecords(dir.path(), 12);
        const auto run = [&](const QString& mode) {
            const QString out = dir.filePath(mode + QStringLiteral(".pdf"));
            const toolrun::Result r = batch(
                {Card, QStringLiteral("-o"), out, QStringLiteral("--cells"), QStringLiteral("all"),
                 QStringLiteral("--merge"), records, QStringLiteral("--back"), mode},
                m_home.path());
            return r.code == 0 ? out : QString();
        };
        // Each page as "PersNN" (a front page, NN its first record) or "FirmNN" (a back page).
        const auto firsts = [](const QString& pdf) {
            QStringList list;
            for (const QList<Word>& page : pageWords(pdf)) {
                const QMap<int, int> front = recordsByCell(page, QStringLiteral("Pers"));
                const QMap<int, int> back = recordsByCell(page, QStringLiteral("Firm"));
                const QList<int> numbers = front.isEmpty() ? back.values() : front.values();
                const int first = numbers.isEmpty() ? 0 : *std::min_element(numbers.begin(), numbers.end());
                list << (front.isEmpty() ? QStringLiteral("Firm") : QStringLiteral("Pers")) +
                            QStringLiteral("%1").arg(first, 2, 10, QLatin1Char('0'));
            }
            return list;
        };
        const QString separate = run(QStringLiteral("separate"));
        QVERIFY(!separate.isEmpty());
        QCOMPARE(firsts(separate), QStringList({"Pers01", "Pers11"}));
        QCOMPARE(firsts(BackSideFileName(separate)), QStringList({"Firm01", "Firm11"}));
        const QString after = run(QStringLiteral("after"));
        QCOMPARE(firsts(after), QStringList({"Pers01", "Pers11", "Firm01", "Firm11"}));
        QVERIFY(!QFile::exists(BackSideFileName(after)));
        const QString interleaved = run(QStringLiteral("interleaved"));
        QCOMPARE(firsts(interleaved), QStringList({"Pers01", "Firm01", "Pers11", "Firm11"}));
        QVERIFY(!QFile::exists(BackSideFileName(interleaved)));
        // Copies without merge repeat each sheet, and interleaving still pairs them.
        const QString copies = dir.filePath(QStringLiteral("kopien.pdf"));
        QCOMPARE(batch({Card, QStringLiteral("-o"), copies, QStringLiteral("--copies"),
                        QStringLiteral("2"), QStringLiteral("--back"),
                        QStringLiteral("interleaved")},
                       m_home.path())
                     .code,
                 0);
        const QList<QList<Word>> pages = pageWords(copies);
        QCOMPARE(pages.size(), 4);
        for (int i = 0; i < 4; ++i) {
            bool frontWord = false;
            for (const Word& w : pages[i])
                frontWord = frontWord || w.text == QLatin1String("Lindenallee");
            QCOMPARE(frontWord, i % 2 == 0);
        }
    }

    // --outline frames the cells; --fit shrinks the content about the cell's centre.
    void outlineAndFit() {
        QTemporaryDir dir;
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        CurrentSide = 0;
        // A square at the sheet's left edge, and one to measure.
        for (const QPointF& at : {QPointF(0, 30), QPointF(50, 70)}) {
            auto* e = doc.AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
            e->Left = at.x();
            e->Top = at.y();
            e->Width = e->Height = 10;
        }
        const QString file = dir.filePath(QStringLiteral("a6.qmk"));
        doc.SaveToFile(file);
        const QString out = dir.filePath(QStringLiteral("aus.pdf"));
        // A left margin of -10 mm puts the first square beyond the paper's left edge.
        const toolrun::Result r = batch({file, QStringLiteral("-o"), out,
                                         QStringLiteral("--margins"), QStringLiteral("-10,20,0,0"),
                                         QStringLiteral("--fit"), QStringLiteral("--outline")},
                                        m_home.path());
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QList<QImage> pages = pdfink::Pages(out);
        QCOMPARE(pages.size(), 1);
        const double a = 1 - 2.0 * 10 / 105;
        const QRectF square = pdfink::DarkInkMm(pages[0], QRectF(30, 70, 40, 40));
        QVERIFY2(std::abs(square.left() - (-10 + (1 - a) * 52.5 + a * 50)) < 0.3,
                 qPrintable(QString::number(square.left())));
        QVERIFY(std::abs(square.top() - (20 + (1 - a) * 74 + a * 70)) < 0.3);
        QVERIFY(std::abs(square.width() - a * 10) < 0.3);
        // The cell's frame: its bottom edge at 20 + 148 mm across the page.
        const QRectF frame = pdfink::DarkInkMm(pages[0], QRectF(30, 160, 40, 20));
        QVERIFY(!frame.isEmpty());
        QVERIFY(std::abs(frame.center().y() - 168) < 0.5);
    }

    // "Adressen reihum" in the printing workspace prints the same pages as the batch tool,
    // with the store's records in its order; the loaded document keeps its texts.
    void workspaceMergesLikeTheBatchTool() {
        QTemporaryDir dir;
        const QString records = writeRecords(dir.path(), 12);
        const QString out = dir.filePath(QStringLiteral("batch.pdf"));
        const toolrun::Result r =
            batch({Card, QStringLiteral("-o"), out, QStringLiteral("--cells"),
                   QStringLiteral("all"), QStringLiteral("--merge"), records,
                   QStringLiteral("--text-block"), QStringLiteral("1=Baustein")},
                  m_home.path());
        QVERIFY2(r.code == 0, qPrintable(r.err));

        AddressRecords = QStringList{AddressHeaderLine()};
        for (const TAddressRecord& record : ReadAddressSource(records).Records)
            AddressRecords << JoinAddressRecord(record);
        TextBlocks[1] = QStringLiteral("Baustein");
        Document->LoadFromFile(Card);
        const auto texts = [] {
            QStringList list;
            for (int i = 0; i < Document->Count(); ++i) {
                if (auto* t = dynamic_cast<TDocElementTXT*>(Document->Element(i)))
                    list << t->Text;
            }
            return list;
        };
        const QStringList before = texts();
        TfrmTabPrinting form;
        form.resize(900, 700);
        form.show();
        SetupPdfPrinter(form.Printer(), false);
        const QString ws = dir.filePath(QStringLiteral("ws.pdf"));
        form.PdfFileHook = [&ws](const QString&) { return ws; };
        form.Activate();
        QVERIFY(!form.MergeCountLabel->isVisible());
        QTest::mouseClick(form.MergeCheck, Qt::LeftButton, {}, QPoint(8, 11));
        QVERIFY(form.MergeCheck->isChecked());
        QCOMPARE(form.MergeCountLabel->text(), QStringLiteral("12 Blätter für 12 Adressen"));
        QTest::mouseClick(form.SelectAllButton, Qt::LeftButton);
        QCOMPARE(form.MergeCountLabel->text(), QStringLiteral("2 Blätter für 12 Adressen"));
        QVERIFY(form.MergeCountLabel->isVisible());
        const fixtures::QuestionAnswerer answer;
        QTest::mouseClick(form.Button, Qt::LeftButton);
        QCOMPARE(texts(), before);
        for (const auto& [a, b] :
             {std::pair{out, ws}, std::pair{BackSideFileName(out), BackSideFileName(ws)}}) {
            const QList<QImage> pa = pdfink::Pages(a), pb = pdfink::Pages(b);
            QCOMPARE(pa.size(), 2);
            QCOMPARE(pb.size(), pa.size());
            for (int i = 0; i < pa.size(); ++i)
                QVERIFY(pa[i] == pb[i]);
        }
        QVERIFY(pdfink::Text(ws).contains(QStringLiteral("Pers12")));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        const QString o = QStringLiteral("-o");
        QTest::newRow("unreadable document") << QStringList{"KAPUTT", o, "OUT"} << "kaputt.qmk";
        QTest::newRow("bad cells") << QStringList{"KARTE", o, "OUT", "--cells", "1,x"}
                                   << "--cells";
        QTest::newRow("cell beyond the sheet")
            << QStringList{"KARTE", o, "OUT", "--cells", "3-11"} << "11";
        QTest::newRow("records beyond the file")
            << QStringList{"KARTE", o, "OUT", "--merge", "CSV", "--records", "2-40"} << "40";
        QTest::newRow("missing address file")
            << QStringList{"KARTE", o, "OUT", "--merge", "/nicht/da.csv"} << "/nicht/da.csv";
        QTest::newRow("first cell without merge")
            << QStringList{"KARTE", o, "OUT", "--first-cell", "3"} << "--merge";
        QTest::newRow("first cell beyond the sheet")
            << QStringList{"KARTE", o, "OUT", "--merge", "CSV", "--first-cell", "11"} << "11";
        QTest::newRow("margins") << QStringList{"KARTE", o, "OUT", "--margins", "1,2"}
                                 << "--margins";
        QTest::newRow("distance") << QStringList{"KARTE", o, "OUT", "--distance", "1,y"}
                                  << "--distance";
        QTest::newRow("offset") << QStringList{"KARTE", o, "OUT", "--offset-front", "1.5,2"}
                                << "--offset-front";
        QTest::newRow("copies") << QStringList{"KARTE", o, "OUT", "--copies", "0"}
                                << "--copies";
        QTest::newRow("text block") << QStringList{"KARTE", o, "OUT", "--text-block", "11=x"}
                                    << "--text-block";
        QTest::newRow("back") << QStringList{"KARTE", o, "OUT", "--back", "duplex"} << "--back";
        QTest::newRow("unknown printer")
            << QStringList{"KARTE", "-P", "Nirgendwo"} << "„Nirgendwo“";
        QTest::newRow("file and printer")
            << QStringList{"KARTE", o, "OUT", "-P", "Nirgendwo"} << "-P";
        QTest::newRow("unwritable output")
            << QStringList{"KARTE", o, "/nicht/da/x.pdf"} << "/nicht/da/x.pdf";
    }
    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QFile bad(dir.filePath(QStringLiteral("kaputt.qmk")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("kein Dokument\r\n");
        bad.close();
        args.replaceInStrings(QStringLiteral("KARTE"), Card);
        args.replaceInStrings(QStringLiteral("KAPUTT"), bad.fileName());
        args.replaceInStrings(QStringLiteral("CSV"), writeRecords(dir.path(), 3));
        args.replaceInStrings(QStringLiteral("OUT"), dir.filePath(QStringLiteral("aus.pdf")));
        const toolrun::Result r = batch(args, m_home.path());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.startsWith(QLatin1String("quillmark-batch: ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        // The reason is German too, not the system's English words.
        QVERIFY2(!r.err.contains(QLatin1String("No such")), qPrintable(r.err));
        // Nothing half written is left behind.
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList({"adressen.csv", "kaputt.qmk"}));
    }
};

QTEST_MAIN(TestPrintMerge)
#include "tst_printmerge.moc"
