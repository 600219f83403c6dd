// The layout of the copies on the printer sheet: columns and rows, cell order, the assumed
// paper in both orientations, the fit test and the values typed into the edits.

#include "printworkspace/qprintertarget.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "printing/printlayout.h"
#include <QPrinter>
#include <QtTest>

namespace {

TPrinterInfo a4(bool landscape = false) {
    return TPrinterInfo::PdfA4(landscape, 600);
}

// A printer with a 5 mm unprintable border all round at 600 dpi.
TPrinterInfo borderedPrinter() {
    TPrinterInfo p;
    p.Name = QStringLiteral("Laser");
    p.HorzSize = 200;
    p.VertSize = 287;
    p.HorzRes = int(200 * 600 / 25.4);
    p.VertRes = int(287 * 600 / 25.4);
    p.LogPixelsY = 600;
    p.PrintingOffset = QPoint(118, 118); // 5 mm
    return p;
}

QList<QPoint> cellOrder(const TPrintLayout& l) {
    QList<QPoint> order;
    for (const TCell& c : l.Cells)
        order << QPoint(c.Column, c.Row);
    return order;
}

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void a4DocumentTakesOneCell() {
        TAppDocument doc(false);
        TPrintLayout l;
        l.Adjust(a4(), doc);
        QCOMPARE(l.Columns, 1);
        QCOMPARE(l.Rows, 1);
        QCOMPARE(int(l.Cells.size()), 1);
        QCOMPARE(l.Cells[0].Left, 0.0);
        QCOMPARE(l.Cells[0].Top, 0.0);
        QVERIFY(l.Cells[0].Selected);
        QCOMPARE(l.PrinterSheetWidth, 210.33);
        QCOMPARE(l.PrinterSheetHeight, 297.33);
    }

    void a6DocumentTakesFourCellsColumnByColumn() {
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        TPrintLayout l;
        l.Adjust(a4(), doc);
        QCOMPARE(l.Columns, 2);
        QCOMPARE(l.Rows, 2);
        QCOMPARE(cellOrder(l), (QList<QPoint>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
        QCOMPARE(l.Cells[3].Left, 105.0);
        QCOMPARE(l.Cells[3].Top, 148.0);
        QCOMPARE(l.SelectedCount(), 1);
        QVERIFY(l.Cells[0].Selected);
    }

    void distancesAndMarginsCount() {
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        doc.PrintDistHor = 1; // 210 + 1 > 210.33
        TPrintLayout l;
        l.Adjust(a4(), doc);
        QCOMPARE(l.Columns, 1);
        QCOMPARE(l.Rows, 2);
        // Ten business cards: 85 x 55 with 10 mm margins and 5 mm gaps: 2 x 5.
        doc.PageWidth = 85;
        doc.PageHeight = 55;
        doc.PrintMarginLeft = doc.PrintMarginRight = 10;
        doc.PrintMarginTop = doc.PrintMarginBottom = 10;
        doc.PrintDistHor = doc.PrintDistVer = 5;
        l.Adjust(a4(), doc);
        QCOMPARE(l.Columns, 2);
        QCOMPARE(l.Rows, 4); // 10 + 5 * 55 + 4 * 5 = 305 > 287.33
        QCOMPARE(l.Cells[1].Top, 10.0 + 55 + 5);
        QCOMPARE(l.Cells[4].Left, 10.0 + 85 + 5);
    }

    void landscapeSwapsTheAssumedSheet() {
        TAppDocument doc(false);
        doc.PageWidth = 148;
        doc.PageHeight = 105;
        TPrintLayout l;
        l.Adjust(a4(true), doc);
        QCOMPARE(l.PrinterSheetWidth, 297.33);
        QCOMPARE(l.PrinterSheetHeight, 210.33);
        QCOMPARE(l.Columns, 2);
        QCOMPARE(l.Rows, 2);
        QVERIFY(l.Landscape);
    }

    void marginsTooLargeStillGiveOneCell() {
        TAppDocument doc(false);
        doc.PrintMarginLeft = 150;
        doc.PrintMarginTop = 250;
        TPrintLayout l;
        l.Adjust(a4(), doc);
        QCOMPARE(int(l.Cells.size()), 1);
        QCOMPARE(l.Cells[0].Left, 150.0);
        doc.Elements.clear();
        doc.AddText(QStringLiteral("x"))->Width = 200;
        l.Adjust(a4(), doc);
        QVERIFY(!l.Fits);
    }

    void contentInTheUnprintableBorderAsksForFitting() {
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        auto* t = doc.AddText(QStringLiteral("Rand"));
        t->Left = 2; // 3 mm into the border of the first column
        t->Top = 20;
        t->Width = 50;
        TPrintLayout l;
        l.Adjust(borderedPrinter(), doc);
        QVERIFY(!l.Fits);
        QCOMPARE(l.PrintingOffsetMmX, 118 / (double(int(200 * 600 / 25.4)) / 200));
        const double d = l.PrintingOffsetMmX - 2;
        QVERIFY(std::abs(l.FitScale - (1 - 2 * d / 105)) < 1e-9);
        // Inside the printable area everything fits.
        t->Left = 20;
        l.Adjust(borderedPrinter(), doc);
        QVERIFY(l.Fits);
        QCOMPARE(l.FitScale, 1.0);
    }

    // Content reaching half a cell beyond the printable area would give a scale of zero or
    // less; the scale stays small and positive instead.
    void overflowOfHalfACellKeepsAPositiveScale() {
        TAppDocument doc(false);
        doc.PageWidth = 100;
        doc.PageHeight = 100;
        auto* t = doc.AddText(QStringLiteral("weit"));
        t->Left = 90;
        t->Width = 300;
        TPrintLayout l;
        l.Adjust(a4(), doc);
        QVERIFY(!l.Fits);
        QCOMPARE(l.FitScale, MinFitScale);
    }

    void degenerateSheetsDoNotHang() {
        TAppDocument doc(false);
        doc.PageWidth = 0;
        doc.PageHeight = 0;
        TPrintLayout l;
        l.Adjust(a4(), doc);
        QCOMPARE(int(l.Cells.size()), 1);
        doc.PageWidth = 1;
        doc.PageHeight = 1;
        doc.PrintDistHor = -0.9;
        l.Adjust(a4(), doc);
        QCOMPARE(l.Columns, MaxCellsPerLine);
    }

    void typedValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("formatted") << " 12.50" << 12.5;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks") << "   " << 0.0;
        QTest::newRow("decimal comma") << "12,5" << 12.5;
        QTest::newRow("comma and point") << "1.012,5" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("negative") << "-3" << -3.0;
        QTest::newRow("nan") << "nan" << 0.0;
        QTest::newRow("inf") << "inf" << 0.0;
    }
    void typedValues() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(ParsePrintValue(text), value);
    }

    void offsetsAndFormatting() {
        QCOMPARE(ParseOffsetValue(QStringLiteral("-25")), -25);
        QCOMPARE(ParseOffsetValue(QStringLiteral("3.5")), 0);
        QCOMPARE(ParseOffsetValue(QStringLiteral("x")), 0);
        QCOMPARE(FormatPrintValue(0), QStringLiteral(" 0.00"));
        QCOMPARE(FormatPrintValue(12.5), QStringLiteral("12.50"));
    }

    // The PDF output without printers: A4, no border, the resolution of the PDF.
    void pdfPrinterGivesAnA4PageWithoutBorder() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        const TPrinterInfo info = PrinterInfoOf(printer);
        QCOMPARE(info.HorzSize, 210);
        QCOMPARE(info.VertSize, 297);
        QCOMPARE(info.PrintingOffset, QPoint(0, 0));
        QCOMPARE(info.LogPixelsY, 1200);
        TAppDocument doc(false);
        TPrintLayout l;
        l.Adjust(info, doc);
        QVERIFY(std::abs(l.DevPixelsPerMmX - 1200 / 25.4) < 0.05);
        printer.setPageOrientation(QPageLayout::Landscape);
        QVERIFY(PrinterInfoOf(printer).Landscape);
        QCOMPARE(PrinterInfoOf(printer).HorzSize, 297);
    }
};

QTEST_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
