// quillmark-batch DOCUMENT.qmk -o OUT.pdf [--back separate|after]: the pages it prints, that
// they are the pages of the printing workspace's own run, and its refusals.

#include "common/questionanswer.h"
#include "common/printfixtures.h"
#include "printworkspace/qprintertarget.h"
#include "common/pdfink.h"
#include "common/toolrun.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "printing/printdocument.h"
#include "printing/printeroutput.h"
#include "printworkspace/tfrmtabprinting.h"
#include "qmpaths.h"
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A6, four cells, all selected, two copies, a square and a text on each side.
QString writeCard(const QString& dir) {
    TAppDocument doc(false);
    doc.PageWidth = 105;
    doc.PageHeight = 148;
    doc.CopyCount = 2;
    doc.SelectAllCells = true;
    doc.PrintMarginLeft = 0;
    for (int side = 0; side < 2; ++side) {
        CurrentSide = side;
        auto* e = doc.AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
        e->Left = side ? 60 : 20;
        e->Top = side ? 100 : 30;
        e->Width = e->Height = 10;
        auto* t = doc.AddText(side ? QStringLiteral("Hinten") : QStringLiteral("Vorn"), CurrentSide);
        t->Left = 10;
        t->Top = 60;
        t->Width = 80;
        t->Height = 10;
        t->FontSize = 120;
    }
    CurrentSide = 0;
    const QString file = dir + QStringLiteral("/karte.qmk");
    doc.SaveToFile(file);
    return file;
}

// The card cut in the middle of its last element.
QString cutCard(const QString& card) {
    QFile in(card);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    const QString cut = card + QStringLiteral(".halb.qmk");
    QFile out(cut);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes.left(bytes.lastIndexOf("## FN=")));
    return cut;
}

} // namespace

class TestPrintBatch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral(QM_BIN_DIR "/quillmark-batch")))
            QSKIP("quillmark-batch is not built");
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }
    void init() { ResetGlobals(); }

    void printsFrontAndBackFiles() {
        QTemporaryDir dir;
        const QString card = writeCard(dir.path());
        const QString out = dir.filePath(QStringLiteral("aus.pdf"));
        const toolrun::Result r = toolrun::Batch({card, QStringLiteral("-o"), out});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        // Two sheets of paper, printed on both sides: one progress line per side of a sheet,
        // counting sheets of paper, nothing else.
        QCOMPARE(r.err, QStringLiteral("Blatt 1 von 2, Vorderseite\nBlatt 2 von 2, Vorderseite\n"
                                       "Blatt 1 von 2, Rückseite\nBlatt 2 von 2, Rückseite\n"));
        const QList<QImage> front = pdfink::Pages(out);
        QCOMPARE(front.size(), 2);
        for (const QPointF& c : {QPointF(0, 0), QPointF(105, 148)}) {
            const QRectF ink = pdfink::DarkInkMm(front[1], QRectF(c, QSizeF(105, 50)));
            QVERIFY(std::abs(ink.left() - (c.x() + 20)) < 0.3);
            QVERIFY(std::abs(ink.top() - (c.y() + 30)) < 0.3);
        }
        QVERIFY(pdfink::Text(out).contains(QStringLiteral("Vorn")));
        const QString back = BackSideFileName(out);
        QCOMPARE(pdfink::PageCount(back), 2);
        QVERIFY(pdfink::Text(back).contains(QStringLiteral("Hinten")));
        QVERIFY(r.out.contains(back));
    }

    void backPagesAfterTheFront() {
        QTemporaryDir dir;
        const QString card = writeCard(dir.path());
        const QString out = dir.filePath(QStringLiteral("aus.pdf"));
        const toolrun::Result r = toolrun::Batch(
            {card, QStringLiteral("-o"), out, QStringLiteral("--back"), QStringLiteral("after")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QList<QImage> pages = pdfink::Pages(out);
        QCOMPARE(pages.size(), 4);
        const QRectF ink = pdfink::DarkInkMm(pages[3], QRectF(0, 90, 105, 20));
        QVERIFY(std::abs(ink.left() - 60) < 0.3);
        QVERIFY(!QFile::exists(BackSideFileName(out)));
    }

    // The workspace's run with the same settings prints the same pages.
    void samePagesAsTheWorkspace() {
        QTemporaryDir dir;
        const QString card = writeCard(dir.path());
        const QString out = dir.filePath(QStringLiteral("aus.pdf"));
        QCOMPARE(toolrun::Batch({card, QStringLiteral("-o"), out}).code, 0);

        Document->LoadFromFile(card);
        TfrmTabPrinting form;
        form.resize(900, 700);
        form.show();
        SetupPdfPrinter(form.Printer(), false);
        const QString ws = dir.filePath(QStringLiteral("ws.pdf"));
        form.PdfFileHook = [&ws](const QString&) { return ws; };
        form.Activate();
        const fixtures::QuestionAnswerer answer;
        QTest::mouseClick(form.Button, Qt::LeftButton);
        for (const auto& [a, b] :
             {std::pair{out, ws}, std::pair{BackSideFileName(out), BackSideFileName(ws)}}) {
            const QList<QImage> pa = pdfink::Pages(a), pb = pdfink::Pages(b);
            QCOMPARE(pa.size(), 2);
            QCOMPARE(pb.size(), pa.size());
            for (int i = 0; i < pa.size(); ++i)
                QVERIFY(pa[i] == pb[i]);
        }
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        QTest::newRow("no document") << QStringList{"-o", "x.pdf"} << "Kein Dokument";
        QTest::newRow("missing document")
            << QStringList{"/nicht/da.qmk", "-o", "x.pdf"} << "/nicht/da.qmk";
        QTest::newRow("bad back") << QStringList{"KARTE", "-o", "x.pdf", "--back", "vorn"}
                                  << "--back";
        QTest::newRow("unwritable")
            << QStringList{"KARTE", "-o", "/nicht/da/x.pdf"} << "/nicht/da/x.pdf";
        // Numbers out of range would print blank or misplaced pages.
        QTest::newRow("huge front offset")
            << QStringList{"KARTE", "-o", "x.pdf", "--offset-front", "2147483647,0"}
            << "zwischen -25 und 25 mm";
        QTest::newRow("back offset past the calibration")
            << QStringList{"KARTE", "-o", "x.pdf", "--offset-back", "0,-26"}
            << "zwischen -25 und 25 mm";
        QTest::newRow("negative margin")
            << QStringList{"KARTE", "-o", "x.pdf", "--margins", "0,-5,0,0"} << "--margins";
        QTest::newRow("negative distance")
            << QStringList{"KARTE", "-o", "x.pdf", "--distance", "-1,0"} << "--distance";
        QTest::newRow("distance of kilometres")
            << QStringList{"KARTE", "-o", "x.pdf", "--distance", "0,1e7"} << "--distance";
        QTest::newRow("damaged document")
            << QStringList{"DAMAGED", "-o", "x.pdf"} << "ist beschädigt";
    }
    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString card = writeCard(dir.path());
        args.replaceInStrings(QStringLiteral("KARTE"), card);
        args.replaceInStrings(QStringLiteral("DAMAGED"), cutCard(card));
        for (QString& a : args) {
            if (a == QLatin1String("x.pdf"))
                a = dir.filePath(a);
        }
        const toolrun::Result r = toolrun::Batch(args);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
    }

    // --accept-damaged prints what could be read, and says so.
    void damagedDocumentOnRequest() {
        QTemporaryDir dir;
        const QString cut = cutCard(writeCard(dir.path()));
        const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
        const toolrun::Result r = toolrun::Batch({cut, "-o", pdf, "--accept-damaged"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(QStringLiteral("Hinweis: Die Datei")), qPrintable(r.err));
        QVERIFY(QFile::exists(pdf));
    }

    // The bundled business cards with records lacking title, company, fax and mobile: the
    // templates leave the empty fields out; without the setting the bare words stay.
    void bundledCardsLeaveEmptyFieldsOut_data() {
        QTest::addColumn<QString>("card");
        for (int i = 1; i <= 8; ++i)
            QTest::newRow(qPrintable(QStringLiteral("karte_%1").arg(i)))
                << QStringLiteral(QM_SOURCE_DIR "/data/Template/Visitenkarten/karte_%1.qmk").arg(i);
    }
    void bundledCardsLeaveEmptyFieldsOut() {
        QFETCH(QString, card);
        QTemporaryDir dir;
        QFile records(dir.filePath(QStringLiteral("adressen.csv")));
        QVERIFY(records.open(QIODevice::WriteOnly));
        records.write("Vorname;Name;Straße;PLZ;Ort;Telefon;E-Mail\r\n"
                      "Walter;Prüfer;Hauptstraße 1;12345;Musterstadt;0123 456;w@p.example\r\n"
                      "Erika;Muster;Weg 2;54321;Beispielort;0987 654;e@m.example\r\n");
        records.close();
        TAppDocument doc(false);
        doc.LoadFromFile(card);
        QVERIFY(doc.SkipEmpty);
        doc.SkipEmpty = false;
        const QString kept = dir.filePath(QStringLiteral("ohne.qmk"));
        doc.SaveToFile(kept);
        auto printed = [&](const QString& document, const QString& pdf) {
            const toolrun::Result r = toolrun::Batch(
                {document, "-o", pdf, "--merge", records.fileName(), "--back", "after"});
            if (r.code != 0)
                qWarning() << r.err;
            return pdfink::Text(pdf);
        };
        const QString on = printed(card, dir.filePath(QStringLiteral("an.pdf")));
        const QString off = printed(kept, dir.filePath(QStringLiteral("aus.pdf")));
        QVERIFY2(on.contains(QStringLiteral("Walter Prüfer")), qPrintable(on));
        QVERIFY(on.contains(QStringLiteral("Erika Muster")));
        QVERIFY(on.contains(QStringLiteral("0123 456")));
        const QRegularExpression bare(QStringLiteral("Mobil\\s*(\\n|$|·)"));
        QVERIFY2(!on.contains(bare), qPrintable(on));
        // Without the setting the cards that name "Mobil" show it bare.
        if (doc.SaveToBytes().contains("Mobil <mobil>"))
            QVERIFY2(off.contains(bare), qPrintable(off));
    }

    void germanHelp() {
        const toolrun::Result r = toolrun::Batch({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("DOKUMENT.qmk (-o AUSGABE.pdf | -P DRUCKER)")));
        QVERIFY(r.out.contains(QStringLiteral("Rückseite")));
    }
};

QTEST_MAIN(TestPrintBatch)
#include "tst_printbatch.moc"
