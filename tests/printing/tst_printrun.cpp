// The print run into PDF files through QPrinter: copies, the back side into the mirrored
// cells, the turning question, offsets per side, the selection afterwards, aborting and
// output that cannot be written. The pages are rendered and their ink measured.

#include "common/printfixtures.h"
#include "printworkspace/qprintertarget.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "printing/printeroutput.h"
#include "printing/printrun.h"
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void addSquare(TAppDocument& doc, double left, double top, int side) {
    CurrentSide = side;
    auto* e = doc.AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
    e->Left = left;
    e->Top = top;
    e->Width = 10;
    e->Height = 10;
    CurrentSide = 0;
}

// A document of 105 x 200 mm: two columns, one row on A4.
void twoByOne(TAppDocument& doc, bool back) {
    doc.PageWidth = 105;
    doc.PageHeight = 200;
    addSquare(doc, 20, 30, 0);
    if (back)
        addSquare(doc, 60, 100, 1);
}

struct Pdf {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("karte.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    Pdf() {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        printer.setResolution(300);
    }
    QString back() const { return BackSideFileName(file); }
};

// Where the squares are on a page: the cells (0..105 and 105..210) that hold ink.
QList<QRectF> squares(const QImage& page) {
    QList<QRectF> found;
    for (int col = 0; col < 2; ++col) {
        const QRectF ink = pdfink::DarkInkMm(page, QRectF(col * 105, 0, 105, 297));
        if (!ink.isEmpty())
            found << ink;
    }
    return found;
}

bool near(const QRectF& got, const QRectF& want) {
    return std::abs(got.left() - want.left()) < 0.3 && std::abs(got.top() - want.top()) < 0.3 &&
           std::abs(got.right() - want.right()) < 0.3 &&
           std::abs(got.bottom() - want.bottom()) < 0.3;
}

} // namespace

class TestPrintRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }
    void init() { ResetGlobals(); }

    void backSideGoesIntoTheMirroredColumn() {
        TAppDocument doc(false);
        twoByOne(doc, true);
        Pdf pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        QCOMPARE(layout.Columns, 2);
        QCOMPARE(layout.Rows, 1);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRunSettings settings;
        settings.FrontOffset = QPoint(3, 0);
        settings.BackOffset = QPoint(0, -2);
        TPrintRun run(doc, layout, out, settings);
        int asked = 0;
        bool askedLandscape = true;
        run.AskTurn = [&](bool landscape) {
            ++asked;
            askedLandscape = landscape;
            // The front is complete before the question.
            return QFile::exists(pdf.file);
        };
        QCOMPARE(run.Run(), TPrintRun::Done);
        QCOMPARE(asked, 1);
        QVERIFY(!askedLandscape);
        const QList<QImage> front = pdfink::Pages(pdf.file);
        QCOMPARE(front.size(), 1);
        const QList<QRectF> f = squares(front[0]);
        QCOMPARE(f.size(), 1);
        QVERIFY(near(f[0], QRectF(3 + 20, 30, 10, 10)));
        const QList<QImage> back = pdfink::Pages(pdf.back());
        QCOMPARE(back.size(), 1);
        const QList<QRectF> b = squares(back[0]);
        QCOMPARE(b.size(), 1);
        QVERIFY(near(b[0], QRectF(105 + 60, 100 - 2, 10, 10)));
        // The front selection is back.
        QVERIFY(layout.Cells[0].Selected);
        QVERIFY(!layout.Cells[1].Selected);
    }

    void allCellsAndCopies() {
        TAppDocument doc(false);
        twoByOne(doc, true);
        Pdf pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        layout.SelectAll(true);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRunSettings settings;
        settings.CopyCount = 3;
        TPrintRun run(doc, layout, out, settings);
        run.AskTurn = [](bool) { return true; };
        QCOMPARE(run.Run(), TPrintRun::Done);
        QCOMPARE(run.SheetsPrinted(), 6);
        const QList<QImage> front = pdfink::Pages(pdf.file);
        QCOMPARE(front.size(), 3);
        for (const QImage& page : front)
            QCOMPARE(squares(page).size(), 2);
        const QList<QImage> back = pdfink::Pages(pdf.back());
        QCOMPARE(back.size(), 3);
        const QList<QRectF> b = squares(back[2]);
        QCOMPARE(b.size(), 2);
        QVERIFY(near(b[0], QRectF(60, 100, 10, 10)));
        QVERIFY(near(b[1], QRectF(105 + 60, 100, 10, 10)));
        QCOMPARE(layout.SelectedCount(), 2);
    }

    // Copies of a sheet share its page contents: ten copies are barely larger than one, and
    // every copy still shows the sheet.
    void copiesShareThePageContents() {
        TAppDocument doc(false);
        twoByOne(doc, false);
        Pdf one, ten;
        qint64 sizes[2] = {0, 0};
        int copies[2] = {1, 10};
        Pdf* pdfs[2] = {&one, &ten};
        for (int i = 0; i < 2; ++i) {
            TPrintLayout layout;
            layout.Adjust(PrinterInfoOf(pdfs[i]->printer), doc);
            layout.SelectAll(true);
            TPrinterOutput out(PrintTargetOf(pdfs[i]->printer));
            TPrintRunSettings settings;
            settings.CopyCount = copies[i];
            TPrintRun run(doc, layout, out, settings);
            QCOMPARE(run.Run(), TPrintRun::Done);
            QCOMPARE(run.CellsPrinted(), 2 * copies[i]);
            sizes[i] = QFileInfo(pdfs[i]->file).size();
        }
        // A copy adds a page object of a few hundred bytes, never the drawing again.
        QVERIFY2(sizes[1] <= sizes[0] * 3 && (sizes[1] - sizes[0]) / 9 < 300, qPrintable(QStringLiteral("%1 bytes for ten, %2 for one")
                                                          .arg(sizes[1])
                                                          .arg(sizes[0])));
        const QList<QImage> pages = pdfink::Pages(ten.file);
        QCOMPARE(pages.size(), 10);
        for (const QImage& page : pages) {
            const QList<QRectF> s = squares(page);
            QCOMPARE(s.size(), 2);
            QVERIFY(near(s[1], QRectF(105 + 20, 30, 10, 10)));
        }
    }

    void noBackSideNoQuestion() {
        TAppDocument doc(false);
        twoByOne(doc, false);
        Pdf pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, {});
        bool asked = false;
        run.AskTurn = [&](bool) { return asked = true; };
        QCOMPARE(run.Run(), TPrintRun::Done);
        QVERIFY(!asked);
        QVERIFY(QFile::exists(pdf.file));
        QVERIFY(!QFile::exists(pdf.back()));
    }

    void declinedQuestionPrintsOnlyTheFront() {
        TAppDocument doc(false);
        twoByOne(doc, true);
        Pdf pdf;
        pdf.printer.setPageOrientation(QPageLayout::Landscape);
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, {});
        bool landscape = false;
        run.AskTurn = [&](bool l) {
            landscape = l;
            return false;
        };
        QCOMPARE(run.Run(), TPrintRun::Done);
        QVERIFY(landscape);
        QVERIFY(!QFile::exists(pdf.back()));
        QVERIFY(!run.BackPrinted());
        QCOMPARE(TurnQuestionText(true),
                 QStringLiteral("mit der UNTERkante voraus in den Drucker."));
        QCOMPARE(TurnQuestionText(false),
                 QStringLiteral("mit der OBERkante voraus in den Drucker."));
    }

    // Aborting during the back side discards that job, keeps the front and restores the
    // front selection.
    void abortDuringTheBackSide() {
        TAppDocument doc(false);
        twoByOne(doc, true);
        Pdf pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRunSettings settings;
        settings.CopyCount = 4;
        TPrintRun run(doc, layout, out, settings);
        bool back = false;
        int cellsAfterTurn = 0;
        run.AskTurn = [&](bool) { return back = true; };
        run.AfterCell = [&] {
            if (back && ++cellsAfterTurn == 3)
                run.Abort();
        };
        QCOMPARE(run.Run(), TPrintRun::Aborted);
        QCOMPARE(cellsAfterTurn, 3); // the run ended after the current cell
        QCOMPARE(pdfink::PageCount(pdf.file), 4);
        QVERIFY(!QFile::exists(pdf.back()));
        QVERIFY(layout.Cells[0].Selected);
        QVERIFY(!layout.Cells[1].Selected);
        // Nothing of the discarded job is left beside the files.
        QCOMPARE(QDir(pdf.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // An aborted front job leaves the file that was there before untouched.
    void abortDuringTheFrontKeepsTheOldFile() {
        TAppDocument doc(false);
        twoByOne(doc, true);
        Pdf pdf;
        {
            QFile old(pdf.file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("alt");
        }
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, {});
        bool asked = false;
        run.AskTurn = [&](bool) { return asked = true; };
        run.AfterCell = [&] { run.Abort(); };
        QCOMPARE(run.Run(), TPrintRun::Aborted);
        QVERIFY(!asked);
        QFile old(pdf.file);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("alt"));
    }

    void unwritableFolderIsReported() {
        TAppDocument doc(false);
        twoByOne(doc, false);
        Pdf pdf;
        const QString file = pdf.dir.filePath(QStringLiteral("fehlt/karte.pdf"));
        pdf.printer.setOutputFileName(file);
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, {});
        QCOMPARE(run.Run(), TPrintRun::Failed);
        QVERIFY2(run.Error().contains(file), qPrintable(run.Error()));
        QVERIFY(!QFile::exists(file));
    }

    // The back pages can follow the front pages in one file.
    void backPagesAfterTheFront() {
        TAppDocument doc(false);
        twoByOne(doc, true);
        Pdf pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        TPrinterOutput out(PrintTargetOf(pdf.printer), TPrinterOutput::BackPages::After);
        TPrintRunSettings settings;
        settings.CopyCount = 2;
        TPrintRun run(doc, layout, out, settings);
        QCOMPARE(run.Run(), TPrintRun::Done);
        const QList<QImage> pages = pdfink::Pages(pdf.file);
        QCOMPARE(pages.size(), 4);
        QVERIFY(near(squares(pages[1]).value(0), QRectF(20, 30, 10, 10)));
        QVERIFY(near(squares(pages[2]).value(0), QRectF(105 + 60, 100, 10, 10)));
        QVERIFY(!QFile::exists(pdf.back()));
    }

    // Each cell may show another document (letters of a batch, a calibration sheet).
    void cellsCanShowOtherDocuments() {
        TAppDocument doc(false);
        twoByOne(doc, false);
        TAppDocument other(false);
        other.PageWidth = 105;
        other.PageHeight = 200;
        addSquare(other, 50, 150, 0);
        Pdf pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        layout.SelectAll(true);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, {});
        run.CellDocument = [&](int, int cell, int) { return cell == 1 ? &other : nullptr; };
        QCOMPARE(run.Run(), TPrintRun::Done);
        const QList<QRectF> s = squares(pdfink::Pages(pdf.file).value(0));
        QCOMPARE(s.size(), 2);
        QVERIFY(near(s[0], QRectF(20, 30, 10, 10)));
        QVERIFY(near(s[1], QRectF(105 + 50, 150, 10, 10)));
    }

    void backFileName() {
        QCOMPARE(BackSideFileName(QStringLiteral("/a/karte.pdf")),
                 QStringLiteral("/a/karte-Rueckseite.pdf"));
        QCOMPARE(BackSideFileName(QStringLiteral("/a/KARTE.PDF")),
                 QStringLiteral("/a/KARTE-Rueckseite.PDF"));
        QCOMPARE(BackSideFileName(QStringLiteral("karte")), QStringLiteral("karte-Rueckseite"));
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_printrun.moc"
