// A real print path: the test starts a CUPS scheduler of its own in a temporary folder (its own
// configuration and socket, never the machine's printing), adds a cups-pdf queue, prints a
// two-sided document through the workspace's print button as a user who picked that printer,
// and checks the PDF files cups-pdf writes. Skipped with a message when cupsd cannot start.

#include "common/questionanswer.h"
#include "common/printfixtures.h"
#include "qmpaths.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "ui/messages.h"
#include "printworkspace/tfrmtabprinting.h"
#include <QDateTime>
#include <QDirIterator>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString Queue = QStringLiteral("QuillmarkTestPDF");
const QString Ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");

bool writeFile(const QString& name, const QByteArray& text) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(30000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

// Where cups-pdf puts the files of the current user, as its configuration says.
QString cupsPdfOutDir() {
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : conf.readAll().split('\n')) {
            const QByteArray l = line.trimmed();
            if (l.startsWith("Out "))
                out = QString::fromLocal8Bit(l.mid(4).trimmed());
        }
    }
    out.replace(QStringLiteral("${HOME}"), QDir::homePath());
    out.replace(QStringLiteral("${USER}"), qEnvironmentVariable("USER", QStringLiteral("root")));
    return out;
}

} // namespace

class TestCupsPrint : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QProcess cupsd;
    QString skipReason;

    bool startCupsd() {
        if (!QFile::exists(QStringLiteral("/usr/sbin/cupsd")) ||
            QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("lp")).isEmpty()) {
            skipReason = QStringLiteral("cupsd, lpadmin or lp are not installed");
            return false;
        }
        if (!QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")) ||
            !QFile::exists(Ppd)) {
            skipReason = QStringLiteral("cups-pdf (printer-driver-cups-pdf) is not installed");
            return false;
        }
        dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/qm-cups-XXXXXX"));
        const QString d = dir->path();
        // The filters run as an unprivileged user and must reach the spool.
        for (const char* sub : {"spool", "spool/tmp", "cache", "state", "ppd", "log"}) {
            QDir().mkpath(d + QLatin1Char('/') + QLatin1String(sub));
            QFile::setPermissions(d + QLatin1Char('/') + QLatin1String(sub),
                                  QFileDevice::Permissions(0x7755));
        }
        QFile::setPermissions(d, QFileDevice::Permissions(0x7755));
        const QByteArray conf = "Listen " + d.toLocal8Bit() +
                                "/cups.sock\n"
                                "LogLevel warn\n"
                                "WebInterface No\n"
                                "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                                "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                "  </Limit>\n</Policy>\n";
        const QByteArray files = "ServerRoot " + d.toLocal8Bit() +
                                 "\n"
                                 "RequestRoot " +
                                 d.toLocal8Bit() +
                                 "/spool\n"
                                 "TempDir " +
                                 d.toLocal8Bit() +
                                 "/spool/tmp\n"
                                 "CacheDir " +
                                 d.toLocal8Bit() +
                                 "/cache\n"
                                 "StateDir " +
                                 d.toLocal8Bit() +
                                 "/state\n"
                                 "ErrorLog " +
                                 d.toLocal8Bit() +
                                 "/log/error_log\n"
                                 "AccessLog " +
                                 d.toLocal8Bit() +
                                 "/log/access_log\n"
                                 "PageLog " +
                                 d.toLocal8Bit() +
                                 "/log/page_log\n"
                                 "ServerBin /usr/lib/cups\n"
                                 "DataDir /usr/share/cups\n";
        if (!writeFile(d + QStringLiteral("/cupsd.conf"), conf) ||
            !writeFile(d + QStringLiteral("/cups-files.conf"), files)) {
            skipReason = QStringLiteral("the configuration of cupsd cannot be written");
            return false;
        }
        cupsd.setProcessChannelMode(QProcess::MergedChannels);
        cupsd.start(QStringLiteral("/usr/sbin/cupsd"),
                    {QStringLiteral("-c"), d + QStringLiteral("/cupsd.conf"), QStringLiteral("-s"),
                     d + QStringLiteral("/cups-files.conf"), QStringLiteral("-f")});
        if (!cupsd.waitForStarted(5000)) {
            skipReason = QStringLiteral("cupsd does not start");
            return false;
        }
        const QString socket = d + QStringLiteral("/cups.sock");
        for (int i = 0; i < 100 && !QFile::exists(socket); ++i) {
            if (cupsd.state() != QProcess::Running)
                break;
            QTest::qWait(100);
        }
        if (!QFile::exists(socket)) {
            skipReason = QStringLiteral("cupsd did not open its socket: ") +
                         QString::fromLocal8Bit(cupsd.readAll()).trimmed();
            return false;
        }
        qputenv("CUPS_SERVER", socket.toLocal8Bit());
        int code = 0;
        const QString out =
            run(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), Queue, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), Ppd},
                &code);
        if (code != 0) {
            skipReason = QStringLiteral("lpadmin cannot add the cups-pdf queue: ") + out.trimmed();
            return false;
        }
        return true;
    }

    bool waitForJobs() {
        for (int i = 0; i < 600; ++i) {
            if (run(QStringLiteral("lpstat"), {QStringLiteral("-o")}).trimmed().isEmpty())
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
        if (!startCupsd())
            QSKIP(qPrintable(QStringLiteral("No private CUPS scheduler: ") + skipReason));
    }

    void cleanupTestCase() {
        if (cupsd.state() == QProcess::Running) {
            cupsd.terminate();
            if (!cupsd.waitForFinished(10000))
                cupsd.kill();
        }
    }

    void twoSidedDocumentThroughTheWorkspace() {
        ResetGlobals();
        QStringList messages;
        MessageHook = [&](const QString&, const QString& text) { messages << text; };
        QVERIFY2(QPrinterInfo::availablePrinterNames().contains(Queue),
                 qPrintable(QPrinterInfo::availablePrinterNames().join(", ")));
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        auto* front = Document->AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
        front->Left = 20;
        front->Top = 30;
        front->Width = front->Height = 10;
        auto* t = Document->AddText(QStringLiteral("Gruss von vorn"), CurrentSide);
        t->Left = 10;
        t->Top = 60;
        t->Width = 90;
        t->Height = 12;
        t->FontSize = 140;
        CurrentSide = 1;
        auto* back = Document->AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
        back->Left = 60;
        back->Top = 100;
        back->Width = back->Height = 10;
        auto* bt = Document->AddText(QStringLiteral("Gruss von hinten"), CurrentSide);
        bt->Left = 10;
        bt->Top = 120;
        bt->Width = 90;
        bt->Height = 12;
        bt->FontSize = 140;
        CurrentSide = 0;
        Document->FileName = QStringLiteral("/tmp/cupskarte.qmk");

        TfrmTabPrinting form;
        form.resize(900, 700);
        form.show();
        QVERIFY(!form.PdfOnly());
        // The user picks the cups-pdf queue in the printer setup.
        form.SetupDialogHook = [](QPrinter& p) {
            p.setPrinterName(Queue);
            return true;
        };
        form.Activate();
        QTest::mouseClick(form.PrinterSetupBtn, Qt::LeftButton);
        QCOMPARE(form.PrinterLabel->text(), Queue);
        QCOMPARE(form.Layout().Columns, 2);
        QCOMPARE(form.Layout().Rows, 2);

        const QString outDir = cupsPdfOutDir();
        const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
        const fixtures::QuestionAnswerer answer;
        QTest::mouseClick(form.Button, Qt::LeftButton);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QVERIFY(waitForJobs());

        // The files cups-pdf wrote for this run, oldest (the front) first.
        QFileInfoList written;
        for (int i = 0; i < 100 && written.size() < 2; ++i) {
            written.clear();
            const QFileInfoList all = QDir(outDir).entryInfoList(
                {QStringLiteral("*.pdf")}, QDir::Files, QDir::Time | QDir::Reversed);
            for (const QFileInfo& f : all) {
                if (f.lastModified() >= started)
                    written << f;
            }
            if (written.size() < 2)
                QTest::qWait(100);
        }
        QCOMPARE(written.size(), 2);
        const QString frontPdf = written[0].filePath(), backPdf = written[1].filePath();
        QVERIFY2(!written[0].fileName().contains(QStringLiteral("ckseite")) &&
                     written[1].fileName().contains(QStringLiteral("ckseite")),
                 qPrintable(written[0].fileName() + QLatin1Char(' ') + written[1].fileName()));
        const QList<QImage> frontPages = pdfink::Pages(frontPdf);
        const QList<QImage> backPages = pdfink::Pages(backPdf);
        const QString frontText = pdfink::Text(frontPdf), backText = pdfink::Text(backPdf);
        QFile::remove(frontPdf);
        QFile::remove(backPdf);
        QCOMPARE(frontPages.size(), 1);
        QCOMPARE(backPages.size(), 1);
        // cups-pdf passes the job through PostScript and ghostscript, which turns the fonts into
        // Type 3 glyphs without their characters: the words are there, three on each side, and
        // their ink lies where the text belongs.
        QCOMPARE(frontText.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), 3);
        QCOMPARE(backText.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), 3);
        const QRectF ft = pdfink::DarkInkMm(frontPages[0], QRectF(0, 55, 210, 25));
        QVERIFY2(
            ft.left() > 10 && ft.left() < 12 && ft.top() > 60 && ft.bottom() < 72,
            qPrintable(QStringLiteral("%1 %2 %3").arg(ft.left()).arg(ft.top()).arg(ft.bottom())));
        QVERIFY(ft.right() < 105);
        const QRectF btx = pdfink::DarkInkMm(backPages[0], QRectF(0, 115, 210, 25));
        QVERIFY2(btx.left() > 115 && btx.left() < 117 && btx.top() > 120 && btx.bottom() < 132,
                 qPrintable(QStringLiteral("%1 %2").arg(btx.left()).arg(btx.top())));
        // Front: the first cell only; back: the mirrored column of the same row.
        const QRectF f = pdfink::DarkInkMm(frontPages[0], QRectF(0, 0, 210, 60));
        QVERIFY2(std::abs(f.left() - 20) < 0.4 && std::abs(f.top() - 30) < 0.4,
                 qPrintable(QStringLiteral("%1 %2").arg(f.left()).arg(f.top())));
        QVERIFY(pdfink::DarkInkMm(frontPages[0], QRectF(105, 0, 105, 297)).isEmpty());
        const QRectF b = pdfink::DarkInkMm(backPages[0], QRectF(0, 90, 210, 20));
        QVERIFY2(std::abs(b.left() - 165) < 0.4 && std::abs(b.top() - 100) < 0.4,
                 qPrintable(QStringLiteral("%1 %2").arg(b.left()).arg(b.top())));
        MessageHook = nullptr;
    }

    // quillmark-batch -P: one job with the back pages interleaved; an unknown queue is
    // refused in one line that names it.
    void batchToolPrintsThroughCups() {
        const QString tool = QStringLiteral(QM_BIN_DIR "/quillmark-batch");
        if (!QFile::exists(tool))
            QSKIP("quillmark-batch is not built");
        QTemporaryDir dir;
        ResetGlobals();
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        for (int side = 0; side < 2; ++side) {
            CurrentSide = side;
            auto* e = doc.AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
            e->Left = side ? 60 : 20;
            e->Top = side ? 100 : 30;
            e->Width = e->Height = 10;
        }
        CurrentSide = 0;
        const QString card = dir.filePath(QStringLiteral("batchkarte.qmk"));
        doc.SaveToFile(card);

        QProcess unknown;
        unknown.start(tool, {card, QStringLiteral("-P"), QStringLiteral("Nirgendwo")});
        QVERIFY(unknown.waitForFinished(60000));
        QCOMPARE(unknown.exitCode(), 1);
        const QString why = QString::fromUtf8(unknown.readAllStandardError());
        QCOMPARE(why.count(QLatin1Char('\n')), 1);
        QVERIFY2(why.contains(QStringLiteral("„Nirgendwo“")), qPrintable(why));

        const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
        QProcess p;
        p.start(tool, {card, QStringLiteral("-P"), Queue, QStringLiteral("--back"),
                       QStringLiteral("interleaved")});
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY(waitForJobs());
        QFileInfoList written;
        for (int i = 0; i < 100 && written.isEmpty(); ++i) {
            for (const QFileInfo& f : QDir(cupsPdfOutDir())
                                          .entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
                if (f.lastModified() >= started)
                    written << f;
            }
            if (written.isEmpty())
                QTest::qWait(100);
        }
        QCOMPARE(written.size(), 1);
        // cups-pdf names the file after the job's title: one job with both sides is not
        // titled as a back side.
        QVERIFY2(!written[0].fileName().contains(QStringLiteral("ckseite")),
                 qPrintable(written[0].fileName()));
        const QList<QImage> pages = pdfink::Pages(written[0].filePath());
        QFile::remove(written[0].filePath());
        QCOMPARE(pages.size(), 2);
        const QRectF f = pdfink::DarkInkMm(pages[0], pdfink::WholePage(pages[0]));
        QVERIFY2(std::abs(f.left() - 20) < 0.4 && std::abs(f.top() - 30) < 0.4,
                 qPrintable(QStringLiteral("%1 %2").arg(f.left()).arg(f.top())));
        const QRectF b = pdfink::DarkInkMm(pages[1], pdfink::WholePage(pages[1]));
        QVERIFY2(std::abs(b.left() - 165) < 0.4 && std::abs(b.top() - 100) < 0.4,
                 qPrintable(QStringLiteral("%1 %2").arg(b.left()).arg(b.top())));
    }

    // A merged run through CUPS: full sheets share their common elements; cups-pdf prints
    // every sheet with its logos as the PDF file shows it, the back pages interleaved.
    void mergedSheetsThroughCups() {
        const QString tool = QStringLiteral(QM_BIN_DIR "/quillmark-batch");
        if (!QFile::exists(tool))
            QSKIP("quillmark-batch is not built");
        QTemporaryDir dir;
        QString csv = QStringLiteral("Vorname;Nachname;Firma\r\n");
        for (int i = 1; i <= 20; ++i)
            csv += QStringLiteral("Vorname;Pers%1;Firm%1\r\n").arg(i, 2, 10, QLatin1Char('0'));
        const QString records = dir.filePath(QStringLiteral("adressen.csv"));
        QVERIFY(writeFile(records, csv.toUtf8()));
        const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
        QProcess p;
        p.start(tool, {QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk"),
                       QStringLiteral("-P"), Queue, QStringLiteral("--cells"),
                       QStringLiteral("all"), QStringLiteral("--merge"), records,
                       QStringLiteral("--back"), QStringLiteral("interleaved")});
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY(waitForJobs());
        QString written;
        for (int i = 0; i < 100 && written.isEmpty(); ++i) {
            for (const QFileInfo& f : QDir(cupsPdfOutDir())
                                          .entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
                if (f.lastModified() >= started)
                    written = f.filePath();
            }
            if (written.isEmpty())
                QTest::qWait(100);
        }
        QVERIFY(!written.isEmpty());
        const QList<QImage> pages = pdfink::Pages(written);
        QFile::remove(written);
        QCOMPARE(pages.size(), 4);
        // The pages look as the same run written to a PDF file (cups-pdf draws the text anew,
        // so single pixels at letter edges may differ).
        const QString direct = dir.filePath(QStringLiteral("direkt.pdf"));
        QProcess toFile;
        toFile.start(tool, {QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk"),
                            QStringLiteral("-o"), direct, QStringLiteral("--cells"),
                            QStringLiteral("all"), QStringLiteral("--merge"), records,
                            QStringLiteral("--back"), QStringLiteral("interleaved")});
        QVERIFY(toFile.waitForFinished(120000));
        QCOMPARE(toFile.exitCode(), 0);
        const QList<QImage> expected = pdfink::Pages(direct);
        QCOMPARE(expected.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(pages[i].size(), expected[i].size());
            qint64 off = 0;
            for (int y = 0; y < pages[i].height(); ++y) {
                const QRgb* a = reinterpret_cast<const QRgb*>(pages[i].constScanLine(y));
                const QRgb* b = reinterpret_cast<const QRgb*>(expected[i].constScanLine(y));
                for (int x = 0; x < pages[i].width(); ++x)
                    off += std::abs(qGray(a[x]) - qGray(b[x])) > 96 ? 1 : 0;
            }
            QVERIFY2(off * 200 < qint64(pages[i].width()) * pages[i].height(),
                     qPrintable(QStringLiteral("Seite %1: %2 Pixel anders").arg(i + 1).arg(off)));
        }
        // The shared logo is in every cell of every page (top left of the front cards, the
        // middle of the back cards).
        const auto ink = [](QRgb c) { return qGray(c) < 200 && qGray(c) > 0; };
        // The cards lie where the template's sheet puts them; turned over, the columns
        // start at the right margin.
        TAppDocument card(false);
        card.LoadFromFile(QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk"));
        for (int i = 0; i < 4; ++i) {
            const double left = i % 2 == 0 ? card.PrintMarginLeft : card.PrintMarginRight;
            for (int cell = 0; cell < 10; ++cell) {
                const QPointF corner(left + (cell % 2) * (85 + card.PrintDistHor),
                                     card.PrintMarginTop + (cell / 2) * (55 + card.PrintDistVer));
                const QRectF logo = i % 2 == 0 ? QRectF(corner + QPointF(2, 2), QSizeF(14, 10))
                                               : QRectF(corner + QPointF(30, 5), QSizeF(25, 18));
                QVERIFY2(!pdfink::InkMm(pages[i], logo, ink).isEmpty(),
                         qPrintable(QStringLiteral("Seite %1, Zelle %2").arg(i + 1).arg(cell + 1)));
            }
        }
    }
};

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
