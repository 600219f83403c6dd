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

QTEST_MAIN(TestEmfPlayback)
#include "tst_emfplayback.moc"
