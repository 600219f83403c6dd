// The bitmaps inside metafiles: every depth and compression the player decodes, and the
// bitmaps it refuses.
#include "metafiletestutil.h"
#include "metafile/mfdib.h"

#include <QTest>

using namespace mftest;

class TestMetafileDib : public QObject {
    Q_OBJECT
private slots:
    void rle8RunsAbsoluteDeltaAndEnd();
    void rle4HalvesTheBytes();
    void bitFieldsAndCoreHeaders();
    void paletteIndicesAndForcedColours();
    void damagedOrHugeBitmapsAreRefusedOrCut();
};

namespace {
Bytes infoHeader(int w, int h, int bpp, quint32 compression, int colours) {
    Bytes b;
    b.u32(40).i32(w).i32(h).u16(1).u16(quint16(bpp)).u32(compression).u32(0).i32(0).i32(0);
    b.u32(quint32(colours)).u32(0);
    return b;
}
QImage decode(const Bytes& info, const Bytes& bits, mf::DibOptions opt = {}) {
    return mf::DecodeDib(ByteReader(info.b), ByteReader(bits.b), opt);
}
} // namespace

void TestMetafileDib::rle8RunsAbsoluteDeltaAndEnd() {
    Bytes info = infoHeader(6, 3, 8, 1, 3);
    info.u32(0x0000FF).u32(0x00FF00).u32(0xFF0000); // blue, green, red
    Bytes bits;
    bits.u8(3).u8(2);                       // bottom row: 3 x red
    bits.u8(0).u8(3).u8(1).u8(0).u8(1).u8(0); // absolute: green blue green (padded)
    bits.u8(0).u8(0);                       // end of line
    bits.u8(0).u8(2).u8(2).u8(1);           // delta: 2 right, 1 up
    bits.u8(1).u8(0);                       // one blue at x = 2 of the top row
    bits.u8(0).u8(1);                       // end of bitmap
    QImage img = decode(info, bits);
    QCOMPARE(img.size(), QSize(6, 3));
    // Bottom-up: the first row decoded is the last one of the picture.
    QCOMPARE(img.pixelColor(0, 2), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(2, 2), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(3, 2), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(4, 2), QColor(0, 0, 255));
    QCOMPARE(img.pixelColor(5, 2), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(2, 0), QColor(0, 0, 255));
    // Pixels the stream skips stay transparent, so the page shows through.
    QCOMPARE(qAlpha(img.pixel(0, 1)), 0);
    QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
}

void TestMetafileDib::rle4HalvesTheBytes() {
    Bytes info = infoHeader(6, 1, 4, 2, 2);
    info.u32(0x000000).u32(0xFFFFFF);
    Bytes bits;
    bits.u8(3).u8(0x10);                 // white black white
    bits.u8(0).u8(3).u8(0x01).u8(0x00);  // absolute: black white black (a word)
    bits.u8(0).u8(1);
    QImage img = decode(info, bits);
    QCOMPARE(img.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(img.pixelColor(1, 0), QColor(Qt::black));
    QCOMPARE(img.pixelColor(2, 0), QColor(Qt::white));
    QCOMPARE(img.pixelColor(3, 0), QColor(Qt::black));
    QCOMPARE(img.pixelColor(4, 0), QColor(Qt::white));
    QCOMPARE(img.pixelColor(5, 0), QColor(Qt::black));
    // The wrong depth for RLE4 is refused.
    QVERIFY(decode(infoHeader(5, 1, 8, 2, 2), bits).isNull());
}

void TestMetafileDib::bitFieldsAndCoreHeaders() {
    // 16 bpp 5-6-5 bit fields, top-down.
    Bytes info = infoHeader(2, -1, 16, 3, 0);
    info.u32(0xF800).u32(0x07E0).u32(0x001F);
    Bytes bits;
    bits.u16(0xF800).u16(0x07E0);
    QImage img = decode(info, bits);
    QCOMPARE(img.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(1, 0), QColor(0, 255, 0));

    // 32 bpp bit fields: the three colour masks say nothing about alpha; when it is asked
    // for (AlphaBlend), the fourth byte is alpha, premultiplied as GDI reads it.
    Bytes info32 = infoHeader(1, 1, 32, 3, 0);
    info32.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF);
    Bytes px;
    px.u32(0x80204060);
    mf::DibOptions alpha;
    alpha.keepAlpha = true;
    QImage a = decode(info32, px, alpha);
    QCOMPARE(qAlpha(a.pixel(0, 0)), 0x80);
    QCOMPARE(a.convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(0, 0), 0x80204060u);
    QCOMPARE(decode(info32, px).pixelColor(0, 0), QColor(0x20, 0x40, 0x60));
    QImage plain = decode(infoHeader(1, 1, 32, 0, 0), px, alpha);
    QCOMPARE(qAlpha(plain.pixel(0, 0)), 0x80);
    QCOMPARE(qAlpha(decode(infoHeader(1, 1, 32, 0, 0), px).pixel(0, 0)), 255);

    // The old core header: 16-bit sizes and 3-byte colours.
    Bytes core;
    core.u32(12).u16(2).u16(1).u16(1).u16(8);
    core.u8(0).u8(0).u8(255).u8(255).u8(0).u8(0); // red, blue
    Bytes idx;
    idx.u8(1).u8(0).u8(0).u8(0);
    QImage c = decode(core, idx);
    QCOMPARE(c.pixelColor(0, 0), QColor(0, 0, 255));
    QCOMPARE(c.pixelColor(1, 0), QColor(255, 0, 0));

    // A packed DIB finds its rows after header and colours.
    Bytes packed = infoHeader(2, 1, 8, 0, 2);
    packed.u32(0xFF0000).u32(0x0000FF).raw(idx.b);
    QCOMPARE(mf::DecodePackedDib(ByteReader(packed.b), {}).pixelColor(0, 0), QColor(0, 0, 255));
}

void TestMetafileDib::paletteIndicesAndForcedColours() {
    Bytes info = infoHeader(2, 1, 8, 0, 2);
    info.u16(1).u16(0); // indices into the selected palette
    Bytes bits;
    bits.u8(0).u8(1).u8(0).u8(0);
    mf::DibOptions opt;
    opt.usage = 1;
    opt.palette = {qRgb(10, 20, 30), qRgb(200, 100, 50)};
    QImage img = decode(info, bits, opt);
    QCOMPARE(img.pixelColor(0, 0), QColor(200, 100, 50));
    QCOMPARE(img.pixelColor(1, 0), QColor(10, 20, 30));

    Bytes mono = infoHeader(2, 1, 1, 0, 2);
    mono.u32(0).u32(0xFFFFFF);
    Bytes mbits;
    mbits.u8(0x40).u8(0).u8(0).u8(0);
    QVector<QRgb> force{qRgb(255, 0, 0), qRgb(0, 0, 255)};
    mf::DibOptions f;
    f.forceColors = &force;
    QImage m = decode(mono, mbits, f);
    QCOMPARE(m.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(m.pixelColor(1, 0), QColor(0, 0, 255));
}

void TestMetafileDib::damagedOrHugeBitmapsAreRefusedOrCut() {
    Bytes bits;
    bits.u32(0x00FFFFFF);
    QVERIFY(decode(infoHeader(0, 1, 24, 0, 0), bits).isNull());
    QVERIFY(decode(infoHeader(1, 0, 24, 0, 0), bits).isNull());
    QVERIFY(decode(infoHeader(1, 1, 7, 0, 0), bits).isNull());
    QVERIFY(decode(infoHeader(100000, 100000, 24, 0, 0), bits).isNull());
    QVERIFY(decode(infoHeader(1, 1, 24, 9, 0), bits).isNull());
    QVERIFY(decode(Bytes().u32(40).u32(1), bits).isNull());
    QVERIFY(decode(infoHeader(1, 1, 24, 0, 0), Bytes()).isNull());

    // Rows that are missing stay white; the rows present are decoded.
    Bytes twoRows;
    twoRows.u8(0).u8(0).u8(255).u8(0); // one red pixel, the bottom row only
    QImage cut = decode(infoHeader(1, 2, 24, 0, 0), twoRows);
    QCOMPARE(cut.pixelColor(0, 1), QColor(255, 0, 0));
    QCOMPARE(cut.pixelColor(0, 0), QColor(Qt::white));

    // The pixel budget is shared by all bitmaps of a playback.
    qint64 budget = 3;
    mf::DibOptions opt;
    opt.pixelBudget = &budget;
    QVERIFY(!decode(infoHeader(1, 2, 24, 0, 0), twoRows, opt).isNull());
    QCOMPARE(budget, 1);
    QVERIFY(decode(infoHeader(1, 2, 24, 0, 0), twoRows, opt).isNull());
}

QTEST_MAIN(TestMetafileDib)
#include "tst_metafiledib.moc"
