// The calibration sheet printed through the print run into a PDF: the zero lines and the
// centre cross are found on the rendered pages where the offsets put them, the back's marks
// mirrored as they lie after turning, and the scale numbers are in the text.

#include "printworkspace/qprintertarget.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "printing/calibrationsheet.h"
#include "printing/printeroutput.h"
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Where the marks of one page lie, mm on the page.
struct Marks {
    double TopZeroX = -1;  // the zero line of the scale along the top edge
    double LeftZeroY = -1; // the zero line of the scale along the left (back: right) edge
    QPointF Cross;
};

double centreX(const QImage& page, const QRectF& region) {
    const QRectF ink = pdfink::DarkInkMm(page, region);
    return ink.isEmpty() ? -1 : ink.center().x();
}

double centreY(const QImage& page, const QRectF& region) {
    const QRectF ink = pdfink::DarkInkMm(page, region);
    return ink.isEmpty() ? -1 : ink.center().y();
}

// Searches the bands where only one line is inked, for offsets of a few mm.
Marks measure(const QImage& page, bool back) {
    Marks m;
    const double w = 210;
    const auto x = [&](double left, double right) {
        return back ? QRectF(w - right, 0, right - left, 0) : QRectF(left, 0, right - left, 0);
    };
    const double z = CalibrationZero;
    QRectF r = x(z - 9, z + 14);
    m.TopZeroX = centreX(page, QRectF(r.left(), 19.5, r.width(), 5.5));
    r = x(19.5, 25);
    m.LeftZeroY = centreY(page, QRectF(r.left(), z - 10, r.width(), 24));
    const double cx = 105, cy = 148.5;
    m.Cross = QPointF(centreX(page, QRectF(cx - 8, cy - 9, 16, 6)),
                      centreY(page, QRectF(cx - 9, cy - 8, 6, 16)));
    return m;
}

void near(double got, double want) {
    QVERIFY2(std::abs(got - want) < 0.3,
             qPrintable(QStringLiteral("%1 mm statt %2 mm").arg(got).arg(want)));
}

QList<Marks> printAndMeasure(const QPoint& front, const QPoint& back, QString* text = nullptr) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kalibrierblatt.pdf"));
    const TPdfPrint result = PrintCalibrationToPdf(file, front, back, 600);
    if (!result.Ok)
        qWarning() << result.Error;
    const QList<QImage> pages = pdfink::Pages(file);
    if (text)
        *text = pdfink::Text(file);
    QList<Marks> marks;
    for (int i = 0; i < pages.size(); ++i)
        marks << measure(pages[i], i == 1);
    return marks;
}

} // namespace

class TestCalibrationSheet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }
    void init() { ResetGlobals(); }

    void withoutOffsetsTheMarksLieWhereTheyBelong() {
        QString text;
        const QList<Marks> m = printAndMeasure(QPoint(), QPoint(), &text);
        QCOMPARE(m.size(), 2);
        // Front: zero lines 30 mm from the top and left edge, cross at the page's centre.
        near(m[0].TopZeroX, CalibrationZero);
        near(m[0].LeftZeroY, CalibrationZero);
        near(m[0].Cross.x(), 210.0 / 2);
        near(m[0].Cross.y(), 297.0 / 2);
        // Back: mirrored, so the top zero line lies 30 mm from the right edge of the back page
        // and over the front's after turning.
        near(m[1].TopZeroX, 210 - CalibrationZero);
        near(m[1].LeftZeroY, CalibrationZero);
        near(m[1].Cross.x(), 210.0 / 2);
        near(m[1].Cross.y(), 297.0 / 2);

        const QString flat = text.simplified();
        const QStringList words = flat.split(QLatin1Char(' '));
        // Numbers every 10 mm on both scales of both pages.
        for (const char* n : {"-20", "-10", "0", "10", "20"})
            QVERIFY2(words.count(QLatin1String(n)) >= 2, n);
        QVERIFY(!words.contains(QLatin1String("-30")));
        QVERIFY(words.contains(QStringLiteral("Vorderseite")));
        QVERIFY(words.contains(QStringLiteral("Rückseite")));
        QVERIFY(flat.contains(QStringLiteral("Lesen Sie ab, wo die Nulllinie")));
    }

    // The scales along the top and the left edge keep apart: nothing is printed in the
    // corner where they would meet, on either side and with the largest offsets.
    void scalesDoNotMeetInTheCorner_data() {
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("ohne Versatz") << QPoint();
        QTest::newRow("weit nach oben links") << QPoint(-5, -5);
    }
    void scalesDoNotMeetInTheCorner() {
        QFETCH(QPoint, offset);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("kalibrierblatt.pdf"));
        QVERIFY(PrintCalibrationToPdf(file, offset, offset, 300).Ok);
        const QList<QImage> pages = pdfink::Pages(file);
        QCOMPARE(pages.size(), 2);
        // The corner of the front page and the mirrored one of the back page.
        const double reach = CalibrationZero - CalibrationRange - 2;
        QCOMPARE(pdfink::DarkInkMm(pages[0], QRectF(0, 0, reach + offset.x(), reach + offset.y())),
                 QRectF());
        QCOMPARE(pdfink::DarkInkMm(pages[1], QRectF(210 - reach - offset.x(), 0,
                                                    reach + offset.x(), reach + offset.y())),
                 QRectF());
        // Each scale is there, next to the corner.
        QVERIFY(!pdfink::DarkInkMm(pages[0], QRectF(reach, 0, 40, reach)).isEmpty());
        QVERIFY(!pdfink::DarkInkMm(pages[0], QRectF(0, reach, reach, 40)).isEmpty());
    }

    void frontOffsetMovesTheFrontOnly() {
        const QList<Marks> m = printAndMeasure(QPoint(3, 0), QPoint());
        QCOMPARE(m.size(), 2);
        near(m[0].TopZeroX, CalibrationZero + 3);
        near(m[0].Cross.x(), 105 + 3);
        near(m[0].LeftZeroY, CalibrationZero);
        near(m[0].Cross.y(), 148.5);
        near(m[1].TopZeroX, 210 - CalibrationZero);
        near(m[1].Cross.x(), 105);

        const QList<Marks> v = printAndMeasure(QPoint(0, 3), QPoint());
        near(v[0].LeftZeroY, CalibrationZero + 3);
        near(v[0].Cross.y(), 148.5 + 3);
        near(v[0].TopZeroX, CalibrationZero);
        near(v[1].LeftZeroY, CalibrationZero);
    }

    void backOffsetMovesTheBackTheOtherWayAfterTurning() {
        const QList<Marks> m = printAndMeasure(QPoint(), QPoint(-2, 0));
        QCOMPARE(m.size(), 2);
        near(m[0].TopZeroX, CalibrationZero);
        near(m[0].Cross.x(), 105);
        // -2 on the back page; turned over, the mark lies 2 mm further right on the front.
        near(m[1].TopZeroX, 210 - CalibrationZero - 2);
        near(210 - m[1].TopZeroX, CalibrationZero + 2);
        near(m[1].Cross.x(), 105 - 2);
        near(m[1].LeftZeroY, CalibrationZero);
    }

    void theBackWaitsForTheTurningQuestion() {
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        SetupPdfPrinter(printer, false);
        printer.setResolution(300);
        printer.setOutputFileName(dir.filePath(QStringLiteral("k.pdf")));
        const auto doc = CalibrationDocument(false);
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(printer), *doc);
        QCOMPARE(layout.Cells.size(), size_t(1));
        TPrinterOutput output(PrintTargetOf(printer), TPrinterOutput::BackPages::After);
        TPrintRun run(*doc, layout, output, TPrintRunSettings());
        run.PaintCell = PaintCalibrationSide;
        int asked = 0;
        run.AskTurn = [&](bool) {
            ++asked;
            return false;
        };
        QCOMPARE(run.Run(), TPrintRun::Done);
        QCOMPARE(asked, 1);
        QVERIFY(!run.BackPrinted());
        QCOMPARE(pdfink::PageCount(printer.outputFileName()), 1);
    }
};

QTEST_MAIN(TestCalibrationSheet)
#include "tst_calibrationsheet.moc"
