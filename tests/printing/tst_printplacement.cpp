// Where things land on the printed paper: the back of a card behind its front after turning
// the sheet, content cut at its card's edge instead of spilling onto the neighbours, pictures
// that came in lossless staying lossless, and no blank sheets for an empty selection.

#include "printworkspace/qprintertarget.h"
#include "common/pdfink.h"
#include "common/printfixtures.h"
#include "metafile/rasterimport.h"
#include "printing/printdocument.h"
#include "printing/printrun.h"
#include <QtTest>
#include <cmath>

namespace {

// The ten business cards of 85 x 55 mm on A4, each with its record's name on both sides.
void twoSidedCard(TAppDocument& doc) {
    doc.PageWidth = 85;
    doc.PageHeight = 55;
    printfix::AddCentredText(doc, 20, 0, QStringLiteral("<name>"));
    printfix::AddCentredText(doc, 30, 1, QStringLiteral("<name>"));
}

QList<TAddressRecord> tenNames() {
    QList<TAddressRecord> list;
    for (int i = 1; i <= 10; ++i) {
        TAddressRecord r = NewAddressRecord(QStringLiteral("R%1").arg(i));
        r[AfName] = QStringLiteral("Karte%1").arg(i);
        list << r;
    }
    return list;
}

QString describe(const QRectF& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestPrintPlacement : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }
    void init() { ResetGlobals(); }

    // Turned over its long edge, the paper's x becomes W - x: the back of the card at
    // (x, w) must be printed at W - x - w, whatever the margins.
    void backMeetsItsFront_data() {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("right");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("margins 0") << 0.0 << 0.0 << 0.0 << false;
        QTest::newRow("left margin 5") << 5.0 << 5.0 << 0.0 << false;
        QTest::newRow("centred") << 20.0 << 11.0 << 20.0 << false;
        QTest::newRow("landscape, left margin 7") << 7.0 << 3.0 << 0.0 << true;
    }
    void backMeetsItsFront() {
        QFETCH(double, left);
        QFETCH(double, top);
        QFETCH(double, right);
        QFETCH(bool, landscape);
        TAppDocument doc(false);
        twoSidedCard(doc);
        printfix::PdfA4 pdf(landscape);
        TPrintJob job;
        job.PdfFile = pdf.file;
        job.Dpi = 300;
        job.Landscape = landscape;
        job.Margins = QMarginsF(left, top, right, 0);
        job.AllCells = true;
        job.Merge = true;
        job.Records = tenNames();
        const TPdfPrint result = PrintDocumentJob(doc, job);
        QVERIFY2(result.Ok, qPrintable(result.Error));
        const double paperWidth = landscape ? 297 : 210;
        const QList<printfix::Word> front = printfix::Words(pdf.file);
        const QList<printfix::Word> back = printfix::Words(pdf.back());
        QVERIFY(front.size() >= 2);
        QCOMPARE(back.size(), front.size());
        for (const printfix::Word& f : front) {
            const auto b = std::find_if(back.begin(), back.end(), [&](const printfix::Word& w) {
                return w.text == f.text && w.page == f.page;
            });
            QVERIFY2(b != back.end(), qPrintable(f.text));
            const double want = paperWidth - f.box.center().x();
            QVERIFY2(std::abs(b->box.center().x() - want) < 0.5,
                     qPrintable(QStringLiteral("%1: front %2, back %3, expected %4")
                                    .arg(f.text)
                                    .arg(f.box.center().x())
                                    .arg(b->box.center().x())
                                    .arg(want)));
            // The back text lies 10 mm lower on its card than the front text.
            QVERIFY(std::abs(b->box.top() - f.box.top() - 10) < 0.5);
        }
    }

    // What reaches beyond the card's edge is cut there, as the screen shows it; every cell
    // of the 2 x 2 sheet is printed, so a spill would land on a neighbour's empty part.
    void contentStopsAtTheCardsEdge_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QRectF>("clean"); // on the paper, mm
        QTest::newRow("picture beyond the right edge")
            << "picture" << QPointF(95, 20) << QRectF(105.3, 0, 94.4, 297);
        QTest::newRow("picture beyond the bottom edge")
            << "picture" << QPointF(20, 140) << QRectF(0, 148.3, 210, 139.4);
        QTest::newRow("picture beyond the left edge")
            << "picture" << QPointF(-20, 20) << QRectF(10.3, 0, 94.4, 297);
        QTest::newRow("text beyond the right edge")
            << "text" << QPointF(80, 20) << QRectF(105.3, 0, 79.4, 297);
    }
    void contentStopsAtTheCardsEdge() {
        QFETCH(QString, kind);
        QFETCH(QPointF, at);
        QFETCH(QRectF, clean);
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        if (kind == QLatin1String("picture")) {
            printfix::AddSquare(doc, at.x(), at.y(), 0, 30);
        } else {
            auto* t = doc.AddText(QStringLiteral("MMMMMMMMMMMM"));
            t->Left = at.x();
            t->Top = at.y();
            t->Width = 60;
            t->Height = 12;
            t->FontSize = 300;
        }
        printfix::PdfA4 pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        QCOMPARE(layout.Columns, 2);
        QCOMPARE(layout.Rows, 2);
        layout.SelectAll(true);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, TPrintRunSettings());
        QCOMPARE(run.Run(), TPrintRun::Done);
        const QList<QImage> pages = pdfink::Pages(pdf.file);
        QCOMPARE(pages.size(), 1);
        // The card itself shows what lies on it.
        QVERIFY(!pdfink::DarkInkMm(pages[0], QRectF(0, 0, 105, 148)).isEmpty());
        const QRectF spilled = pdfink::DarkInkMm(pages[0], clean);
        QVERIFY2(spilled.isEmpty(), qPrintable(describe(spilled)));
    }

    // A logo from a PNG file keeps its exact pixels in the PDF; no JPEG artefacts.
    void losslessPicturesStayLossless() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty())
            QSKIP("pdfimages (poppler-utils) is not installed");
        QTemporaryDir dir;
        QImage logo(64, 32, QImage::Format_RGB32);
        for (int y = 0; y < logo.height(); ++y)
            for (int x = 0; x < logo.width(); ++x)
                logo.setPixel(x, y, (x / 4 + y / 4) % 2 ? qRgb(200, 20, 20) : qRgb(255, 255, 255));
        const QString png = dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(logo.save(png));
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        auto* e = doc.AddGraphic(ImportRasterPicture(png), 0, nullptr);
        e->Left = 10;
        e->Top = 10;
        e->Width = 64;
        e->Height = 32;
        printfix::PdfA4 pdf;
        const TPdfPrint result = PrintDocumentToPdf(doc, pdf.file, TPrinterOutput::BackPages::Separate, 300);
        QVERIFY2(result.Ok, qPrintable(result.Error));
        QProcess p;
        p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf.file});
        QVERIFY(p.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
        int images = 0;
        for (const QString& line : lines.mid(2)) {
            const QStringList cols = line.simplified().split(' ');
            if (cols.size() < 10)
                continue;
            ++images;
            QVERIFY2(cols[8] != QLatin1String("jpeg"), qPrintable(line));
        }
        QVERIFY(images >= 1);
        // And the pixels are the PNG's: pure red and pure white squares.
        QTemporaryDir out;
        QProcess x;
        x.start(QStringLiteral("pdfimages"),
                {QStringLiteral("-png"), pdf.file, out.filePath(QStringLiteral("i"))});
        QVERIFY(x.waitForFinished(60000));
        const QImage got(out.filePath(QStringLiteral("i-000.png")));
        QCOMPARE(got.size(), logo.size());
        for (int y = 0; y < logo.height(); ++y)
            for (int xx = 0; xx < logo.width(); ++xx)
                QCOMPARE(got.pixel(xx, y) & 0xffffff, logo.pixel(xx, y) & 0xffffff);
    }

    // No cell chosen: nothing to print, said in German, no blank sheets, no file.
    void emptySelectionIsRefused() {
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        printfix::AddSquare(doc, 10, 10, 0);
        printfix::PdfA4 pdf;
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(pdf.printer), doc);
        layout.SelectAll(false);
        TPrinterOutput out(PrintTargetOf(pdf.printer));
        TPrintRun run(doc, layout, out, TPrintRunSettings());
        QCOMPARE(run.Run(), TPrintRun::Failed);
        QCOMPARE(run.Error(), QStringLiteral("Es ist keine Fläche zum Drucken gewählt."));
        QVERIFY(!QFile::exists(pdf.file));
    }

    // The selection survives a new layout that keeps the grid, and only such a one.
    void selectionSurvivesTheSameGrid_data() {
        QTest::addColumn<double>("marginLeft");
        QTest::addColumn<double>("distHor");
        QTest::addColumn<bool>("kept");
        QTest::newRow("left margin 0.3") << 0.3 << 0.0 << true;
        QTest::newRow("distance 1: one column") << 0.0 << 1.0 << false;
    }
    void selectionSurvivesTheSameGrid() {
        QFETCH(double, marginLeft);
        QFETCH(double, distHor);
        QFETCH(bool, kept);
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        TPrintLayout layout;
        layout.Adjust(TPrinterInfo::PdfA4(false, 300), doc);
        QCOMPARE(layout.Cells.size(), size_t(4));
        layout.Cells[0].Selected = false;
        layout.Cells[3].Selected = true;
        doc.PrintMarginLeft = marginLeft;
        doc.PrintDistHor = distHor;
        layout.Adjust(TPrinterInfo::PdfA4(false, 300), doc, TPrintLayout::KeepSelection);
        if (kept) {
            QCOMPARE(layout.SelectedCount(), 1);
            QVERIFY(layout.Cells[3].Selected);
            QCOMPARE(layout.Cells[3].Left, 105.3);
        } else {
            QCOMPARE(layout.SelectedCount(), 1);
            QVERIFY(layout.Cells[0].Selected);
        }
    }
};

QTEST_MAIN(TestPrintPlacement)
#include "tst_printplacement.moc"
