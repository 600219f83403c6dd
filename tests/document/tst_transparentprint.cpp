// A picture with transparent pixels printed into a real PDF over a coloured element: the
// element shows through where the picture is clear, it is not covered with white.

#include "common/pdfink.h"
#include "document/appdocument.h"
#include "document/cellpainter.h"
#include "ui/globals.h"
#include "metafile/rasterimport.h"
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool blue(QRgb c) {
    return qBlue(c) > 180 && qRed(c) < 80 && qGreen(c) < 80;
}

bool red(QRgb c) {
    return qRed(c) > 180 && qBlue(c) < 80 && qGreen(c) < 80;
}

} // namespace

class TestTransparentPrint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }

    void clearPixelsShowTheElementBeneath() {
        ResetGlobals();
        TAppDocument doc(false);
        doc.PageWidth = 105;
        doc.PageHeight = 148;
        // Beneath: an opaque blue picture, 40 x 20 mm at (20, 30).
        QImage under(40, 20, QImage::Format_RGB32);
        under.fill(QColor(0, 0, 255));
        // On top, the same box: red on the left half, clear on the right half.
        QImage logo(40, 20, QImage::Format_ARGB32);
        logo.fill(Qt::transparent);
        QPainter(&logo).fillRect(0, 0, 20, 20, QColor(255, 0, 0));
        for (const QImage* img : {&under, &logo}) {
            auto* e = doc.AddGraphic(RecordImage(*img), 1, nullptr);
            e->Left = 20;
            e->Top = 30;
            e->Width = 40;
            e->Height = 20;
        }

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("alpha.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        TPrintDeviceMetrics m;
        m.DevPixelsPerMmX = m.DevPixelsPerMmY = printer.resolution() / 25.4;
        m.PrinterDpiY = printer.resolution();
        {
            QPainter p(&printer);
            TCellPainter(m, 1.0, false).PrintCell(p, doc, 0, QRectF(0, 0, 105, 148));
        }
        const QList<QImage> pages = pdfink::Pages(file);
        QCOMPARE(pages.size(), 1);
        const QImage& page = pages.first();
        const QRectF region(10, 20, 60, 40);
        const QRectF redInk = pdfink::InkMm(page, region, red);
        const QRectF blueInk = pdfink::InkMm(page, region, blue);
        QVERIFY2(qAbs(redInk.left() - 20) < 0.3 && qAbs(redInk.width() - 20) < 0.3,
                 qPrintable(QStringLiteral("red %1 %2").arg(redInk.left()).arg(redInk.width())));
        QVERIFY2(!blueInk.isEmpty(), "the clear half covered the blue element");
        QVERIFY2(qAbs(blueInk.left() - 40) < 0.3 && qAbs(blueInk.right() - 60) < 0.3 &&
                     qAbs(blueInk.top() - 30) < 0.3 && qAbs(blueInk.height() - 20) < 0.3,
                 qPrintable(QStringLiteral("blue %1 %2 %3 %4")
                                .arg(blueInk.left())
                                .arg(blueInk.top())
                                .arg(blueInk.width())
                                .arg(blueInk.height())));
        // Nothing white inside the box: every pixel of it is red or blue.
        const QRectF white = pdfink::InkMm(page, QRectF(20.3, 30.3, 39.4, 19.4),
                                           [](QRgb c) { return qGray(c) > 200; });
        QVERIFY(white.isEmpty());
    }
};

QTEST_MAIN(TestTransparentPrint)
#include "tst_transparentprint.moc"
