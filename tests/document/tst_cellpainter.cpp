// Printing one side of a document into cells: printed into a real PDF through QPrinter, the
// pages rendered with pdftoppm and the ink measured in millimetres of the paper.

#include "common/printfixtures.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "document/cellpainter.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {

// A picture of a filled black square (its frame is stretched onto the element's box).
void addSquare(TAppDocument& doc, double left, double top, double size, int side = 0) {
    auto* e = doc.AddGraphic(printfix::BlackSquare(), 0, nullptr);
    e->Left = left;
    e->Top = top;
    e->Width = size;
    e->Height = size;
    e->Side = side;
}

TDocElementTXT* addText(TAppDocument& doc, const QString& text, double l, double t, double w,
                        double h) {
    auto* e = doc.AddText(text);
    e->Left = l;
    e->Top = t;
    e->Width = w;
    e->Height = h;
    e->FontName = QStringLiteral("Arial");
    return e;
}

// An A4 PDF page without unprintable border at 1200 dpi, the device of the print tests.
struct PdfPage {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("cells.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    PdfPage() {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    }
    TPrintDeviceMetrics metrics() const {
        TPrintDeviceMetrics m;
        m.DevPixelsPerMmX = m.DevPixelsPerMmY = printer.resolution() / 25.4;
        m.PrinterDpiY = printer.resolution();
        return m;
    }
    // Prints with the painter and returns the rendered first page.
    QImage print(const std::function<void(QPainter&)>& body) {
        {
            QPainter p(&printer);
            body(p);
        }
        const QList<QImage> pages = pdfink::Pages(file);
        return pages.isEmpty() ? QImage() : pages.first();
    }
};

constexpr double Tol = 0.25; // mm: a pixel and a half of the rendering, and the rounding

void compareRect(const QRectF& got, const QRectF& want, double tol = Tol) {
    const QString msg = QStringLiteral("got (%1, %2, %3 x %4), want (%5, %6, %7 x %8)")
                            .arg(got.x())
                            .arg(got.y())
                            .arg(got.width())
                            .arg(got.height())
                            .arg(want.x())
                            .arg(want.y())
                            .arg(want.width())
                            .arg(want.height());
    QVERIFY2(!got.isEmpty(), qPrintable(msg));
    QVERIFY2(std::abs(got.left() - want.left()) <= tol, qPrintable(msg));
    QVERIFY2(std::abs(got.top() - want.top()) <= tol, qPrintable(msg));
    QVERIFY2(std::abs(got.right() - want.right()) <= tol, qPrintable(msg));
    QVERIFY2(std::abs(got.bottom() - want.bottom()) <= tol, qPrintable(msg));
}

} // namespace

class TestCellPainter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }
    void init() { ResetGlobals(); }

    void roundsHalvesToEven() {
        QCOMPARE(RoundHalfEven(2.5), 2);
        QCOMPARE(RoundHalfEven(3.5), 4);
        QCOMPARE(RoundHalfEven(-2.5), -2);
        QCOMPARE(RoundHalfEven(2.6), 3);
        QCOMPARE(RoundHalfEven(1e300), std::numeric_limits<int>::max());
    }

    void deviceMappingShrinksAboutTheCellCentre() {
        TPrintDeviceMetrics m;
        m.DevPixelsPerMmX = m.DevPixelsPerMmY = 10;
        m.PrintingOffsetPx = QPoint(30, 40);
        const TCellPainter cp(m, 0.5, false);
        const QRectF cell(100, 200, 80, 60);
        // x0 + (1 - a) w / 2 + a ex = 100 + 20 + 5 = 125 mm -> 1250 px, minus the offset.
        QCOMPARE(cp.DeviceX(cell, 10, 0.5), 1250 - 30);
        QCOMPARE(cp.DeviceY(cell, 10, 0.5), (200 + 15 + 5) * 10 - 40);
        // a = 1: the plain sum.
        QCOMPARE(cp.DeviceX(cell, 10, 1), 1100 - 30);
        // 0.25 mm at 10 px/mm is 2.5 px: halves go to the even neighbour.
        TPrintDeviceMetrics n = m;
        n.PrintingOffsetPx = QPoint();
        QCOMPARE(TCellPainter(n, 1, false).DeviceX(QRectF(0, 0, 10, 10), 0.25, 1), 2);
        QCOMPARE(TCellPainter(n, 1, false).DeviceX(QRectF(0, 0, 10, 10), 0.35, 1), 4);
    }

    // A 10 mm square at (20, 30) lands 20 and 30 mm from each printed cell's corner.
    void squareLandsInEveryCell() {
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        addSquare(doc, 20, 30, 10);
        PdfPage pdf;
        const TCellPainter cp(pdf.metrics(), 1.0, false);
        const QList<QPointF> cells = {{0, 0}, {0, 148}, {105, 0}, {105, 148}};
        const QImage page = pdf.print([&](QPainter& p) {
            for (const QPointF& c : cells)
                cp.PrintCell(p, doc, 0, QRectF(c, QSizeF(105, 148)));
        });
        QVERIFY(!page.isNull());
        for (const QPointF& c : cells) {
            const QRectF ink = pdfink::DarkInkMm(page, QRectF(c, QSizeF(105, 148)));
            compareRect(ink, QRectF(c.x() + 20, c.y() + 30, 10, 10));
        }
    }

    // A sheet offset moves the cell on the paper: 3 mm to the right moves the square 3 mm.
    void offsetMovesTheSquare() {
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        addSquare(doc, 20, 30, 10);
        PdfPage pdf;
        const TCellPainter cp(pdf.metrics(), 1.0, true);
        const QImage page = pdf.print(
            [&](QPainter& p) { cp.PrintCell(p, doc, 0, QRectF(0 + 3, 148 - 2, 105, 148)); });
        const QRectF square = pdfink::DarkInkMm(page, QRectF(10, 150, 40, 50));
        compareRect(square, QRectF(0 + 3 + 20, 148 - 2 + 30, 10, 10));
        // The separator outline moves with it and keeps the cell's full size.
        const QRectF outline =
            pdfink::InkMm(page, pdfink::WholePage(page), [](QRgb c) { return qGray(c) < 250; });
        compareRect(outline, QRectF(3, 146, 105, 148), 0.35);
    }

    // "Einpassen" shrinks the content about the cell centre; the outline stays.
    void scaleShrinksAboutTheCentre() {
        TAppDocument doc(false);
        doc.PageWidth = 100;
        doc.PageHeight = 100;
        addSquare(doc, 0, 0, 20);
        PdfPage pdf;
        const TCellPainter cp(pdf.metrics(), 0.5, false);
        const QImage page =
            pdf.print([&](QPainter& p) { cp.PrintCell(p, doc, 0, QRectF(10, 10, 100, 100)); });
        // x0 + (1 - a) w / 2 = 10 + 25; the 20 mm square becomes 10 mm.
        compareRect(pdfink::DarkInkMm(page, pdfink::WholePage(page)), QRectF(35, 35, 10, 10));
    }

    void onlyTheAskedSideIsPrinted() {
        TAppDocument doc(false);
        doc.PageWidth = 100;
        doc.PageHeight = 100;
        addSquare(doc, 10, 10, 10, 0);
        addSquare(doc, 60, 60, 10, 1);
        PdfPage pdf;
        const TCellPainter cp(pdf.metrics(), 1.0, false);
        const QImage page =
            pdf.print([&](QPainter& p) { cp.PrintCell(p, doc, 1, QRectF(0, 0, 100, 100)); });
        compareRect(pdfink::DarkInkMm(page, pdfink::WholePage(page)), QRectF(60, 60, 10, 10));
    }

    // Texts are real text in the PDF, sized from the printer's resolution: a 30 pt capital H
    // is about 0.72 em high whatever the device's resolution.
    void textIsRealTextAtItsPointSize() {
        TAppDocument doc(false);
        doc.PageWidth = 200;
        doc.PageHeight = 100;
        auto* t = addText(doc, QStringLiteral("HHH Kartengruss"), 10, 10, 180, 20);
        t->FontSize = 300;
        PdfPage pdf;
        pdf.printer.setResolution(600);
        const TCellPainter cp(pdf.metrics(), 1.0, false);
        const QImage page =
            pdf.print([&](QPainter& p) { cp.PrintCell(p, doc, 0, QRectF(0, 0, 200, 100)); });
        QVERIFY(pdfink::Text(pdf.file).contains(QStringLiteral("HHH Kartengruss")));
        const QRectF h = pdfink::DarkInkMm(page, QRectF(0, 0, 30, 40));
        const double em = 30 * 25.4 / 72;
        QVERIFY2(std::abs(h.height() - 0.716 * em) < 0.05 * em,
                 qPrintable(QString::number(h.height())));
        // Left aligned at angle 0: the text starts at the box's left edge.
        QVERIFY(std::abs(h.left() - 10) < 1.0);
    }

    // Centred with angle 0 hangs from the middle of the top edge; with 45 degrees the
    // baseline runs through the centre of the box.
    void centredTextAnchors() {
        TAppDocument doc(false);
        doc.PageWidth = 200;
        doc.PageHeight = 200;
        auto* a = addText(doc, QStringLiteral("HHHH"), 20, 20, 100, 40);
        a->AlignH = 1;
        a->FontSize = 200;
        auto* b = addText(doc, QStringLiteral("HHHH"), 20, 100, 100, 80);
        b->AlignH = 1;
        b->Angle = 450;
        b->FontSize = 200;
        PdfPage pdf;
        const TCellPainter cp(pdf.metrics(), 1.0, false);
        const QImage page =
            pdf.print([&](QPainter& p) { cp.PrintCell(p, doc, 0, QRectF(0, 0, 200, 200)); });
        const double em = 20 * 25.4 / 72;
        const QRectF top = pdfink::DarkInkMm(page, QRectF(0, 0, 200, 90));
        QVERIFY(std::abs(top.center().x() - 70) < 0.5);
        // The capitals start below the top edge by the font's ascent less their height.
        QVERIFY(top.top() > 20 && top.top() < 20 + 0.4 * em);
        const QRectF turned = pdfink::DarkInkMm(page, QRectF(0, 95, 200, 105));
        // The glyphs rise above the baseline, up and to the left of the box centre (70, 140).
        const double rise = 0.716 * em / 2 * std::sqrt(0.5);
        QVERIFY2(std::abs(turned.center().x() - (70 - rise)) < 0.6,
                 qPrintable(QString::number(turned.center().x())));
        QVERIFY2(std::abs(turned.center().y() - (140 - rise)) < 0.6,
                 qPrintable(QString::number(turned.center().y())));
        // Turned by 45 degrees the ink is about as high as wide.
        QVERIFY(std::abs(turned.width() - turned.height()) < 0.2 * turned.width());
    }

    // The shadow keeps its distance on paper whatever "Einpassen" shrinks.
    void shadowOffsetIsNotScaled() {
        for (double a : {1.0, 0.5}) {
            TAppDocument doc(false);
            doc.PageWidth = 200;
            doc.PageHeight = 100;
            auto* t = addText(doc, QStringLiteral("HH"), 50, 30, 60, 40);
            t->FontSize = 400;
            t->FontColor = 0x0000FF; // red
            t->Shadow = true;
            t->ShadowX = 2;
            t->ShadowY = 3;
            t->ShadowColor = 0xFF0000; // blue
            PdfPage pdf;
            const TCellPainter cp(pdf.metrics(), a, false);
            const QImage page =
                pdf.print([&](QPainter& p) { cp.PrintCell(p, doc, 0, QRectF(0, 0, 200, 100)); });
            auto red = [](QRgb c) { return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80; };
            auto blue = [](QRgb c) { return qBlue(c) > 180 && qRed(c) < 80 && qGreen(c) < 80; };
            const QRectF text = pdfink::InkMm(page, pdfink::WholePage(page), red);
            const QRectF shadow = pdfink::InkMm(page, pdfink::WholePage(page), blue);
            QVERIFY(!text.isEmpty() && !shadow.isEmpty());
            // The shadow is painted first, so its right and bottom edges show.
            QVERIFY2(
                std::abs(shadow.right() - text.right() - 2) < 0.3,
                qPrintable(QStringLiteral("a %1: %2").arg(a).arg(shadow.right() - text.right())));
            QVERIFY2(
                std::abs(shadow.bottom() - text.bottom() - 3) < 0.3,
                qPrintable(QStringLiteral("a %1: %2").arg(a).arg(shadow.bottom() - text.bottom())));
        }
    }

    // A metafile goes into the PDF as vectors: its text is text and no picture is embedded.
    void metafilesArePlayedAsVectors() {
        TMetafile mf;
        {
            TEmfPaintDevice dev(mf, QSize(400, 200));
            {
                QPainter p(&dev);
                p.setPen(QPen(Qt::black, 2));
                p.drawLine(0, 0, 400, 200);
                QFont f(QStringLiteral("Arial"));
                f.setPixelSize(40);
                p.setFont(f);
                p.drawText(20, 150, QStringLiteral("Vektorschrift"));
            }
            dev.Close();
        }
        TAppDocument doc(false);
        doc.PageWidth = 200;
        doc.PageHeight = 100;
        auto* e = doc.AddGraphic(mf, 0, nullptr);
        e->Left = 10;
        e->Top = 10;
        e->Width = 160;
        e->Height = 80;
        PdfPage pdf;
        const TCellPainter cp(pdf.metrics(), 1.0, false);
        pdf.print([&](QPainter& p) { cp.PrintCell(p, doc, 0, QRectF(0, 0, 200, 100)); });
        QVERIFY(pdfink::Text(pdf.file).contains(QStringLiteral("Vektorschrift")));
        QFile f(pdf.file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.readAll().contains("/Subtype /Image"));
    }
};

QTEST_MAIN(TestCellPainter)
#include "tst_cellpainter.moc"
