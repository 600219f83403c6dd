// EMF pictures look enlarged as they looked on the reference device they were made on:
// pen widths, checked by the pixels of hand-made pictures drawn larger than that device.
#include "metafiletestutil.h"

#include <QTest>

Q_DECLARE_METATYPE(mftest::Bytes)

using namespace mftest;

namespace {

// A picture of 100 x 100 reference pixels (10 mm at ten pixels to the millimetre) whose
// page units are a tenth of a pixel, with a horizontal line across the middle; `fine`
// draws through a world transform of a sixteenth, as GDI+ writes its pictures.
QByteArray lineWithPen(const Bytes& penRecord, quint32 penType, bool fine) {
    Emf e;
    e.mapMode(8); // MM_ANISOTROPIC
    e.windowExt(1000, 1000);
    e.viewportExt(100, 100);
    const int k = fine ? 16 : 1;
    if (fine)
        e.rec(35, Bytes().f32(1.0f / 16).f32(0).f32(0).f32(1.0f / 16).f32(0).f32(0));
    e.rec(penType, penRecord);
    e.select(1);
    e.rec(27, Bytes().i32(100 * k).i32(500 * k)); // MOVETOEX
    e.rec(54, Bytes().i32(900 * k).i32(500 * k)); // LINETO
    return e.finish(4, 1000);
}

// Dark rows of the column through the middle of the picture.
int lineThickness(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        if (qGray(img.pixel(img.width() / 2, y)) < 128)
            ++n;
    return n;
}

} // namespace

class TestEmfPlayback : public QObject {
    Q_OBJECT
private slots:
    void penIsNoThinnerThanAReferencePixel_data();
    void penIsNoThinnerThanAReferencePixel();
    void bitmapStaysInsideItsClipPath_data();
    void bitmapStaysInsideItsClipPath();
    void adjacentFillsLeaveNoSeam_data();
    void adjacentFillsLeaveNoSeam();
    void shrunkBitmapKeepsItsThinLines_data();
    void shrunkBitmapKeepsItsThinLines();
    void finePenDrawnSmallStaysFine_data();
    void finePenDrawnSmallStaysFine();
};

void TestEmfPlayback::penIsNoThinnerThanAReferencePixel_data() {
    QTest::addColumn<quint32>("type");
    QTest::addColumn<Bytes>("pen");
    QTest::addColumn<bool>("fine");
    QTest::addColumn<int>("minThickness");
    QTest::addColumn<int>("maxThickness");
    // Drawn eight times larger than the reference device: one of its pixels is eight.
    // Clip art of 55-pixel reference devices has outlines 0.15 pixels wide, one pixel on
    // that screen; drawn a hairline before.
    QTest::newRow("CreatePen, a sixth of a pixel")
        << quint32(38) << Bytes().u32(1).u32(0).i32(2).i32(0).u32(0) << false << 7 << 9;
    QTest::newRow("CreatePen, three pixels")
        << quint32(38) << Bytes().u32(1).u32(0).i32(30).i32(0).u32(0) << false << 23 << 25;
    // PS_GEOMETRIC, width 2, solid black brush.
    QTest::newRow("ExtCreatePen geometric, a fifth of a pixel")
        << quint32(95)
        << Bytes().u32(1).u32(0).u32(0).u32(0).u32(0).u32(0x10000).u32(2).u32(0).u32(0).u32(0).u32(0)
        << false << 7 << 9;
    // A cosmetic pen is one pixel of whatever it is drawn on.
    QTest::newRow("CreatePen, width 0")
        << quint32(38) << Bytes().u32(1).u32(0).i32(0).i32(0).u32(0) << false << 1 << 2;
    QTest::newRow("ExtCreatePen cosmetic")
        << quint32(95)
        << Bytes().u32(1).u32(0).u32(0).u32(0).u32(0).u32(0).u32(1).u32(0).u32(0).u32(0).u32(0)
        << false << 1 << 2;
    // GDI+ gives widths in its sixteenths of a pixel and means a hairline by 16 of them
    // (dual EMF+ pictures); their outlines came out as thick as a pixel of the device.
    QTest::newRow("CreatePen under a world transform of a sixteenth")
        << quint32(38) << Bytes().u32(1).u32(0).i32(16).i32(0).u32(0) << true << 1 << 2;
    QTest::newRow("ExtCreatePen under a world transform, two pixels")
        << quint32(95)
        << Bytes().u32(1).u32(0).u32(0).u32(0).u32(0).u32(0x10000).u32(320).u32(0).u32(0).u32(0).u32(0)
        << true << 15 << 17;
}

void TestEmfPlayback::penIsNoThinnerThanAReferencePixel() {
    QFETCH(quint32, type);
    QFETCH(Bytes, pen);
    QFETCH(bool, fine);
    QFETCH(int, minThickness);
    QFETCH(int, maxThickness);
    const QImage img = render(fromBytes(lineWithPen(pen, type, fine)), QSize(800, 800));
    const int thickness = lineThickness(img);
    QVERIFY2(thickness >= minThickness && thickness <= maxThickness,
             qPrintable(QStringLiteral("%1 px").arg(thickness)));
}

void TestEmfPlayback::bitmapStaysInsideItsClipPath_data() {
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("imagePixels");
    QTest::addColumn<bool>("clipBefore");
    QTest::newRow("as large as the reference device") << 100 << 1 << false;
    QTest::newRow("eight times larger") << 800 << 1 << false;
    QTest::newRow("eight times larger, 7 x 7 bitmap") << 800 << 7 << false;
    // GDI+ writes the shading of a round button as a 7 x 7 bitmap clipped to the circle,
    // after a clip of its own that RestoreDC took back and a line drawn without clip; the
    // circle's clip was lost then and the shading came out as a dark square.
    QTest::newRow("after a clip taken back") << 800 << 7 << true;
}

void TestEmfPlayback::bitmapStaysInsideItsClipPath() {
    QFETCH(int, side);
    QFETCH(int, imagePixels);
    QFETCH(bool, clipBefore);
    Emf e;
    if (clipBefore) {
        e.rec(33); // SAVEDC
        e.rec(30, Bytes().rect(0, 0, 5, 5)); // INTERSECTCLIPRECT
        e.rectangle(0, 0, 5, 5);
        e.rec(34, Bytes().i32(-1)); // RESTOREDC
        e.rec(27, Bytes().i32(90).i32(0)); // MOVETOEX
        e.rec(54, Bytes().i32(90).i32(10)); // LINETO
    }
    e.rec(59); // BEGINPATH
    e.rec(42, Bytes().rect(20, 20, 80, 80)); // ELLIPSE, reference pixels
    e.rec(60); // ENDPATH
    e.rec(67, Bytes().u32(1)); // SELECTCLIPPATH, RGN_AND
    Bytes bmi;
    bmi.u32(40).i32(imagePixels).i32(imagePixels).u16(1).u16(24).u32(0).u32(0);
    bmi.i32(0).i32(0).u32(0).u32(0);
    Bytes bits;
    for (int y = 0; y < imagePixels; ++y) {
        for (int x = 0; x < imagePixels; ++x)
            bits.u8(255).u8(0).u8(0);
        bits.pad4();
    }
    e.stretchDib(20, 20, 60, 60, bmi.b, bits.b, imagePixels, imagePixels, 0x00CC0020);
    const QImage img = render(fromBytes(e.finish(4, 1000)), QSize(side, side));
    const int c = side / 2, corner = side * 25 / 100;
    QCOMPARE(img.pixelColor(c, c), QColor(0, 0, 255));
    QCOMPARE(img.pixelColor(corner, corner), QColor(Qt::white));
    QCOMPARE(img.pixelColor(side - corner, side - corner), QColor(Qt::white));
}

void TestEmfPlayback::adjacentFillsLeaveNoSeam_data() {
    QTest::addColumn<int>("side");
    // Surface plots and shaded clip art tile an area with polygons without outline; drawn
    // smoothed, each edge let the page show through as a grid of light lines.
    QTest::newRow("edge between two pixels") << 333;
    QTest::newRow("edge on a pixel boundary") << 300;
    QTest::newRow("drawn smaller") << 77;
}

void TestEmfPlayback::adjacentFillsLeaveNoSeam() {
    QFETCH(int, side);
    Emf e;
    e.nullPen(1);
    e.select(1);
    e.brush(2, rgb(0, 0, 255));
    e.select(2);
    auto quad = [&e](int l, int r) {
        Bytes b;
        b.rect(l, 10, r, 90).u32(4);
        for (QPoint p : {QPoint(l, 10), QPoint(r, 10), QPoint(r, 90), QPoint(l, 90)})
            b.i16(qint16(p.x())).i16(qint16(p.y()));
        e.rec(86, b); // POLYGON16
    };
    quad(10, 50);
    quad(50, 90);
    QImage img(side, side, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    TMetafilePlayer::Play(fromBytes(e.finish(4, 1000)), p, QRectF(0, 0, side, side));
    p.end();
    // The two halves alone leave a quarter of the page in the seam's pixel.
    for (int x = side * 45 / 100; x <= side * 55 / 100; ++x) {
        const QColor c = img.pixelColor(x, side / 2);
        QVERIFY2(c.red() < 40 && c.green() < 40 && c.blue() == 255,
                 qPrintable(QStringLiteral("x %1: %2").arg(x).arg(c.name())));
    }
}

void TestEmfPlayback::shrunkBitmapKeepsItsThinLines_data() {
    QTest::addColumn<quint32>("rop");
    // Scanned tables lost their strokes drawn at a quarter of their size: every fourth
    // pixel was taken, and the lines fell between.
    QTest::newRow("SRCCOPY") << quint32(0x00CC0020);
    QTest::newRow("SRCAND") << quint32(0x008800C6);
}

void TestEmfPlayback::shrunkBitmapKeepsItsThinLines() {
    QFETCH(quint32, rop);
    // 80 x 80 pixels, a black column every fourth one, on the 80 reference pixels of the
    // picture; drawn 20 pixels wide.
    const int n = 80;
    Bytes bmi;
    bmi.u32(40).i32(n).i32(n).u16(1).u16(24).u32(0).u32(0).i32(0).i32(0).u32(0).u32(0);
    Bytes bits;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const quint8 v = x % 4 == 1 ? 0 : 255;
            bits.u8(v).u8(v).u8(v);
        }
    Emf e;
    e.stretchDib(0, 0, n, n, bmi.b, bits.b, n, n, rop);
    const QImage img = render(fromBytes(e.finish(4, 800)), QSize(20, 20));
    for (int x = 2; x < 18; ++x) {
        const int grey = qGray(img.pixel(x, 10));
        QVERIFY2(grey > 150 && grey < 230, qPrintable(QStringLiteral("x %1: %2").arg(x).arg(grey)));
    }
}

void TestEmfPlayback::finePenDrawnSmallStaysFine_data() {
    QTest::addColumn<Bytes>("pen");
    QTest::addColumn<int>("minGrey");
    QTest::addColumn<int>("maxGrey");
    // One reference pixel drawn a quarter of an output pixel wide: half a pixel, grey.
    // Diagrams drawn at a fraction of their size turned heavy and black before.
    QTest::newRow("geometric pen of one reference pixel")
        << Bytes().u32(1).u32(0).i32(10).i32(0).u32(0) << 80 << 200;
    // A cosmetic pen stays a whole pixel of the output.
    QTest::newRow("cosmetic pen") << Bytes().u32(1).u32(0).i32(0).i32(0).u32(0) << 0 << 60;
}

void TestEmfPlayback::finePenDrawnSmallStaysFine() {
    QFETCH(Bytes, pen);
    QFETCH(int, minGrey);
    QFETCH(int, maxGrey);
    QImage img(25, 25, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    TMetafilePlayer::Play(fromBytes(lineWithPen(pen, 38, false)), p, QRectF(0, 0, 25, 25));
    p.end();
    int darkest = 255;
    for (int y = 0; y < img.height(); ++y)
        darkest = std::min(darkest, qGray(img.pixel(12, y)));
    QVERIFY2(darkest >= minGrey && darkest <= maxGrey, qPrintable(QString::number(darkest)));
}

QTEST_MAIN(TestEmfPlayback)
#include "tst_emfplayback.moc"
