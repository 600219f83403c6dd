// Pixel rules of the colour filters, checked on small pictures with known values.

#include "inspector/colorfilters.h"
#include <QTest>

namespace {

QImage filled(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return img;
}

QColor at(const QImage& img, int x, int y) {
    const uchar* p = img.constScanLine(y) + 3 * x;
    return QColor(p[0], p[1], p[2]);
}

} // namespace

class TestColorFilters : public QObject {
    Q_OBJECT
private slots:
    void channelAdjustment_data();
    void channelAdjustment();
    void adjustmentStaysInRange();
    void brightnessExtremesGiveWhiteAndBlack();
    void colourAdjustmentActsOnOneChannelEach();
    void greyOfPrimariesRoundsHalvesToEven();
    void greyScaleSetsAllChannels();
    void softenSpreadsALineAndKeepsTheBorder();
    void softenLeavesTinyPicturesAlone();
    void invertTwiceRestores();
    void emptyPicturesAreLeftAlone();
};

void TestColorFilters::channelAdjustment_data() {
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("p");
    QTest::addColumn<int>("expected");
    QTest::newRow("toward white") << 100 << 50 << 177;
    QTest::newRow("toward black") << 100 << -50 << 50;
    QTest::newRow("one percent down from white") << 255 << -1 << 253;
    QTest::newRow("black to white") << 0 << 100 << 255;
    QTest::newRow("zero percent") << 123 << 0 << 123;
    QTest::newRow("truncates toward zero, negative") << 99 << -33 << 67; // 99 - 32.67 -> 99 - 32
    QTest::newRow("red 200 halved") << 200 << -50 << 100;
}

void TestColorFilters::channelAdjustment() {
    QFETCH(int, v);
    QFETCH(int, p);
    QFETCH(int, expected);
    QCOMPARE(AdjustChannel(v, p), expected);
}

void TestColorFilters::adjustmentStaysInRange() {
    for (int v = 0; v < 256; ++v) {
        for (int p = -100; p <= 100; ++p) {
            const int r = AdjustChannel(v, p);
            QVERIFY2(r >= 0 && r <= 255, qPrintable(QStringLiteral("v %1 p %2").arg(v).arg(p)));
        }
    }
}

void TestColorFilters::brightnessExtremesGiveWhiteAndBlack() {
    QImage img(3, 2, QImage::Format_RGB888);
    img.setPixelColor(0, 0, QColor(12, 200, 77));
    img.setPixelColor(1, 0, QColor(0, 0, 0));
    img.setPixelColor(2, 0, QColor(255, 1, 128));
    img.setPixelColor(0, 1, QColor(90, 90, 90));
    img.setPixelColor(1, 1, QColor(255, 255, 255));
    img.setPixelColor(2, 1, QColor(3, 4, 5));
    QImage white = img.copy();
    AdjustColors(white, 100, 100, 100);
    QImage black = img.copy();
    AdjustColors(black, -100, -100, -100);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            QCOMPARE(at(white, x, y), QColor(255, 255, 255));
            QCOMPARE(at(black, x, y), QColor(0, 0, 0));
        }
    }
}

void TestColorFilters::colourAdjustmentActsOnOneChannelEach() {
    QImage img = filled(4, 3, QColor(200, 100, 50));
    AdjustColors(img, -50, 0, 0);
    QCOMPARE(at(img, 3, 2), QColor(100, 100, 50));
    img = filled(4, 3, QColor(200, 100, 50));
    AdjustColors(img, 0, 50, 0); // "Gelb" acts on green alone
    QCOMPARE(at(img, 0, 0), QColor(200, 177, 50));
    img = filled(4, 3, QColor(200, 100, 50));
    AdjustColors(img, 0, 0, 100);
    QCOMPARE(at(img, 1, 1), QColor(200, 100, 255));
}

void TestColorFilters::greyOfPrimariesRoundsHalvesToEven() {
    QCOMPARE(GreyValue(255, 0, 0), 76);  // 76.5
    QCOMPARE(GreyValue(0, 255, 0), 150); // 150.45
    QCOMPARE(GreyValue(0, 0, 255), 28);  // 28.05
    QCOMPARE(GreyValue(255, 255, 255), 255);
    QCOMPARE(GreyValue(0, 0, 0), 0);
    QCOMPARE(GreyValue(5, 0, 0), 2);  // 1.5 -> 2 (even)
    QCOMPARE(GreyValue(15, 0, 0), 4); // 4.5 -> 4 (even)
    QCOMPARE(GreyValue(1, 1, 1), 1);
}

void TestColorFilters::greyScaleSetsAllChannels() {
    QImage img(3, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, QColor(255, 0, 0));
    img.setPixelColor(1, 0, QColor(0, 255, 0));
    img.setPixelColor(2, 0, QColor(0, 0, 255));
    GreyScale(img);
    QCOMPARE(at(img, 0, 0), QColor(76, 76, 76));
    QCOMPARE(at(img, 1, 0), QColor(150, 150, 150));
    QCOMPARE(at(img, 2, 0), QColor(28, 28, 28));
}

void TestColorFilters::softenSpreadsALineAndKeepsTheBorder() {
    // White 9 x 7 picture with a black vertical line in column 4, and a grey border pixel.
    QImage img = filled(9, 7, Qt::white);
    for (int y = 0; y < 7; ++y)
        img.setPixelColor(4, y, Qt::black);
    img.setPixelColor(0, 3, QColor(10, 20, 30));
    const QImage before = img.copy();
    Soften(img);
    // Inner rows: the line spreads over columns 3..5 at a third of its darkness.
    for (int y = 1; y < 6; ++y) {
        for (int x = 3; x <= 5; ++x)
            QCOMPARE(at(img, x, y), QColor(170, 170, 170)); // (6 * 255) / 9
        QCOMPARE(at(img, 2, y), QColor(255, 255, 255));
        QCOMPARE(at(img, 6, y), QColor(255, 255, 255));
    }
    // The outer border stays as it was, also where the line meets it.
    for (int x = 0; x < 9; ++x) {
        QCOMPARE(at(img, x, 0), at(before, x, 0));
        QCOMPARE(at(img, x, 6), at(before, x, 6));
    }
    for (int y = 0; y < 7; ++y) {
        QCOMPARE(at(img, 0, y), at(before, 0, y));
        QCOMPARE(at(img, 8, y), at(before, 8, y));
    }
    // The neighbour of the grey border pixel takes it into account: (5 * 255 + 10 + 255 * 3 ...)
    // channel red: (8 * 255 + 10) / 9 = 227
    QCOMPARE(at(img, 1, 3).red(), (8 * 255 + 10) / 9);
    QCOMPARE(at(img, 1, 3).blue(), (8 * 255 + 30) / 9);
}

void TestColorFilters::softenLeavesTinyPicturesAlone() {
    for (const QSize s : {QSize(2, 5), QSize(5, 2), QSize(1, 1)}) {
        QImage img(s, QImage::Format_RGB888);
        img.fill(Qt::white);
        img.setPixelColor(0, 0, Qt::black);
        const QImage before = img.copy();
        Soften(img);
        QCOMPARE(img, before);
    }
}

void TestColorFilters::invertTwiceRestores() {
    QImage img(5, 4, QImage::Format_RGB888);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            img.setPixelColor(x, y, QColor(x * 50, y * 60, (x * y * 13) % 256));
    const QImage before = img.copy();
    InvertColors(img);
    QCOMPARE(at(img, 1, 2), QColor(255 - 50, 255 - 120, 255 - 26));
    InvertColors(img);
    QCOMPARE(img, before);
}

void TestColorFilters::emptyPicturesAreLeftAlone() {
    QImage empty;
    AdjustColors(empty, 50, 50, 50);
    GreyScale(empty);
    Soften(empty);
    InvertColors(empty);
    QVERIFY(empty.isNull());
}

QTEST_APPLESS_MAIN(TestColorFilters)
#include "tst_colorfilters.moc"
