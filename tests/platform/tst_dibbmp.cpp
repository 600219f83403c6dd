// The BMP reader: the BMP Suite against its reference renderings, made-up files for the
// header forms, compressions and damaged files.

#include "dibtestutil.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTest>
#include <QTextStream>
#include <utility>

using namespace dibtest;

namespace {

HDIB decode(const QByteArray& b) {
    return DecodeBmp(bytes(b), size_t(b.size()), QStringLiteral("probe.bmp"));
}

QImage decodeImage(const QByteArray& b) {
    return decode(b)->ToImage();
}

const QList<QRgb> kPalette4 = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                               qRgb(255, 255, 255)};

// The 2 x 2 picture red green / blue white (top row first) in 8-bit rows, bottom-up.
QByteArray bits8() {
    return QByteArray::fromHex("02030000"
                               "00010000");
}

QString refusal(const QByteArray& b) {
    try {
        decode(b);
    } catch (const TRasterError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestDibBmp : public QObject {
    Q_OBJECT

private slots:
    void goodSuiteMatchesReferences();
    void questionableSuiteDecodesOrRefuses();
    void badSuiteIsRefusedOrSafe();
    void everyHeaderFormGivesTheSamePicture_data();
    void everyHeaderFormGivesTheSamePicture();
    void lowDepthsAndTopDownRows();
    void bitFieldsOfAnyWidth();
    void paletteTooShortOrTooLong();
    void rleRunsDeltasAndClipping();
    void damagedFilesAreRefusedWithTheName();
    void loweredPixelCapRefusesLargerPictures();
};

void TestDibBmp::goodSuiteMatchesReferences() {
    if (!haveCorpus(QStringLiteral("bmp/g")))
        QSKIP("BMP Suite not available");
    QFile map(corpus(QStringLiteral("bmp/ref/MAP.tsv")));
    QVERIFY(map.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QString> refs;
    QTextStream in(&map);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(QLatin1Char('\t'));
        if (f.size() == 2)
            refs.insert(f[0], f[1]);
    }
    int compared = 0;
    QDirIterator it(corpus(QStringLiteral("bmp/g")), {QStringLiteral("*.bmp")});
    while (it.hasNext()) {
        const QString path = it.next();
        const QString key = QStringLiteral("g/") + it.fileName();
        QVERIFY2(refs.contains(key), qPrintable(key));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        QImage got;
        try {
            got = decodeImage(data);
        } catch (const TRasterError& e) {
            QFAIL(qPrintable(e.message()));
        }
        // The decoder keeps the pixels as stored: for pixels that are not square the suite
        // has their exact picture (-e) beside its stretched view (-v), a Catmull-Rom
        // resampling in linear light that the shape of the imported picture follows.
        QString refName = refs.value(key);
        QString encoded = refName;
        encoded.replace(QLatin1String("-v.png"), QLatin1String("-e.png"));
        if (encoded != refName && QFileInfo::exists(corpus(QStringLiteral("bmp/ref/") + encoded)))
            refName = encoded;
        QImage ref(corpus(QStringLiteral("bmp/ref/") + refName));
        QVERIFY2(!ref.isNull(), qPrintable(refName));
        ref = ref.convertToFormat(QImage::Format_RGB32);
        // Channels of 16-bit and bit-field pictures are scaled; one step either way is fine.
        const int bitCount = qFromLittleEndian<uint16_t>(data.constData() + 28);
        const uint32_t compression = qFromLittleEndian<uint32_t>(data.constData() + 30);
        const int tolerance = (bitCount == 16 || compression == 3) ? 1 : 0;
        const int diff = maxDifference(got, ref);
        QVERIFY2(diff >= 0 && diff <= tolerance,
                 qPrintable(QStringLiteral("%1 differs by %2").arg(key).arg(diff)));
        ++compared;
    }
    QVERIFY(compared >= 25);
}

void TestDibBmp::questionableSuiteDecodesOrRefuses() {
    if (!haveCorpus(QStringLiteral("bmp/q")))
        QSKIP("BMP Suite not available");
    int decoded = 0;
    QDirIterator it(corpus(QStringLiteral("bmp/q")), {QStringLiteral("*.bmp")});
    while (it.hasNext()) {
        QFile f(it.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        try {
            const HDIB dib = decode(f.readAll());
            QVERIFY(dib->Width() > 0 && dib->Height() > 0);
            ++decoded;
        } catch (const TRasterError& e) {
            QVERIFY(!e.reason().isEmpty());
        }
    }
    // Most of them are ordinary pictures in unusual dress.
    QVERIFY2(decoded >= 25, qPrintable(QString::number(decoded)));
}

void TestDibBmp::badSuiteIsRefusedOrSafe() {
    if (!haveCorpus(QStringLiteral("bmp/b")))
        QSKIP("BMP Suite not available");
    QDirIterator it(corpus(QStringLiteral("bmp/b")), {QStringLiteral("*.bmp")});
    while (it.hasNext()) {
        QFile f(it.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        try {
            const HDIB dib = decode(f.readAll());
            QVERIFY(qint64(dib->Width()) * dib->Height() <= RasterLimits::MaxPixels());
        } catch (const TRasterError&) {
        }
    }
    // These must be refused, not guessed at.
    for (const char* name : {"badbitcount.bmp", "badplanes.bmp", "badwidth.bmp", "reallybig.bmp",
                             "shortfile.bmp", "badheadersize.bmp"}) {
        QFile f(corpus(QStringLiteral("bmp/b/") + QLatin1String(name)));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(!refusal(f.readAll()).isEmpty(), name);
    }
}

void TestDibBmp::everyHeaderFormGivesTheSamePicture_data() {
    QTest::addColumn<int>("headerSize");
    for (int size : {12, 16, 40, 52, 56, 64, 108, 124})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void TestDibBmp::everyHeaderFormGivesTheSamePicture() {
    QFETCH(int, headerSize);
    BmpSpec s;
    s.headerSize = headerSize;
    s.bitCount = 8;
    s.palette = kPalette4;
    s.bits = bits8();
    const QImage img = decodeImage(makeBmp(s));
    QCOMPARE(img.size(), QSize(2, 2));
    QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(1, 0), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(0, 1), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(1, 1), qRgb(255, 255, 255));
}

void TestDibBmp::lowDepthsAndTopDownRows() {
    // 1, 2 and 4 bits: the pixels of a row are packed from the high bits down.
    BmpSpec s;
    s.width = 3;
    s.height = 1;
    s.palette = kPalette4;
    s.bitCount = 1;
    s.bits = QByteArray::fromHex("a0000000"); // 1 0 1
    QImage img = decodeImage(makeBmp(s));
    QCOMPARE(img.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(1, 0), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(2, 0), qRgb(0, 255, 0));
    s.bitCount = 2;
    s.bits = QByteArray::fromHex("e4000000"); // 3 2 1
    img = decodeImage(makeBmp(s));
    QCOMPARE(img.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(img.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(2, 0), qRgb(0, 255, 0));
    s.bitCount = 4;
    s.bits = QByteArray::fromHex("23100000"); // 2 3 1
    img = decodeImage(makeBmp(s));
    QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(2, 0), qRgb(0, 255, 0));

    // Negative height: the first row in the file is the top one.
    BmpSpec t;
    t.height = -2;
    t.bitCount = 8;
    t.palette = kPalette4;
    t.bits = QByteArray::fromHex("00010000"
                                 "02030000");
    img = decodeImage(makeBmp(t));
    QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(1, 1), qRgb(255, 255, 255));

    // 24 bits without padding in the last row is accepted; rows are BGR.
    BmpSpec u;
    u.width = 1;
    u.height = 2;
    u.bits = QByteArray::fromHex("0000ff00"
                                 "ff0000");
    img = decodeImage(makeBmp(u));
    QCOMPARE(img.pixel(0, 1), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 255));
}

void TestDibBmp::bitFieldsOfAnyWidth() {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 32;
    s.compression = 3;
    // 10-10-10 bits: full red and a middle grey.
    s.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    s.bits = QByteArray(8, '\0');
    put32(s.bits, 0, 0x3FF00000);
    put32(s.bits, 4, (512u << 20) | (512u << 10) | 512u);
    for (int headerSize : {40, 56, 124}) {
        s.headerSize = headerSize;
        const QImage img = decodeImage(makeBmp(s));
        QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(qRed(img.pixel(1, 0)), 128);
        QCOMPARE(qBlue(img.pixel(1, 0)), 128);
    }
    // 16 bits, 5-6-5, and the plain 5-5-5 default: the largest value maps to 255.
    BmpSpec t;
    t.width = 1;
    t.height = 1;
    t.bitCount = 16;
    t.compression = 3;
    t.masks = {0xF800, 0x07E0, 0x001F};
    t.bits = QByteArray::fromHex("e0070000"); // green only
    QCOMPARE(decodeImage(makeBmp(t)).pixel(0, 0), qRgb(0, 255, 0));
    t.compression = 0;
    t.masks.clear();
    t.bits = QByteArray::fromHex("1f000000"); // blue only in 5-5-5
    QCOMPARE(decodeImage(makeBmp(t)).pixel(0, 0), qRgb(0, 0, 255));
    // A missing channel stays dark instead of failing.
    t.compression = 3;
    t.masks = {0xFF00, 0x00FF, 0};
    t.bits = QByteArray::fromHex("ffff0000");
    QCOMPARE(decodeImage(makeBmp(t)).pixel(0, 0), qRgb(255, 255, 0));
}

void TestDibBmp::paletteTooShortOrTooLong() {
    // Two colours for an 8-bit picture: indices past them are black, not garbage.
    BmpSpec s;
    s.bitCount = 8;
    s.palette = {qRgb(10, 20, 30), qRgb(40, 50, 60)};
    s.bits = QByteArray::fromHex("00ff0000"
                                 "01c80000");
    QImage img = decodeImage(makeBmp(s));
    QCOMPARE(img.pixel(0, 1), qRgb(10, 20, 30));
    QCOMPARE(img.pixel(1, 1), qRgb(0, 0, 0));
    QCOMPARE(img.pixel(0, 0), qRgb(40, 50, 60));
    QCOMPARE(img.pixel(1, 0), qRgb(0, 0, 0));
    // A count far beyond the file (and beyond 256) reads what is there.
    s.colorsUsed = 100000;
    img = decodeImage(makeBmp(s));
    QCOMPARE(img.pixel(0, 0), qRgb(40, 50, 60));
    // A palette cut short by the pixel offset ends where the pixels begin.
    BmpSpec t;
    t.bitCount = 8;
    t.palette = kPalette4;
    t.colorsUsed = 4;
    t.bits = bits8();
    QByteArray b = makeBmp(t);
    put32(b, 10, 14 + 40 + 2 * 4); // offset claims two entries, but four follow
    b.remove(14 + 40 + 8, 8);
    img = decodeImage(b);
    QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(0, 1), qRgb(0, 0, 0));
}

void TestDibBmp::rleRunsDeltasAndClipping() {
    BmpSpec s;
    s.width = 4;
    s.height = 3;
    s.bitCount = 8;
    s.compression = 1;
    s.palette = kPalette4;
    // Bottom row: run of 6 x index 1 (cut at 4); end of line; delta (1, 1) from (0, 1);
    // literal 2, 3 (odd count padded); end of picture. Left-out pixels keep colour 0.
    s.bits = QByteArray::fromHex("0601"
                                 "0000"
                                 "00020101"
                                 "00030203"
                                 "0300"
                                 "0001");
    QImage img = decodeImage(makeBmp(s));
    for (int x = 0; x < 4; ++x)
        QCOMPARE(img.pixel(x, 2), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(1, 1), qRgb(255, 0, 0)); // skipped by the delta
    QCOMPARE(img.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(2, 0), qRgb(255, 255, 255));
    QCOMPARE(img.pixel(3, 0), qRgb(255, 255, 255)); // index 3 from the literal
    // A delta far beyond the picture ends it; a literal past the data stops.
    s.bits = QByteArray::fromHex("0401"
                                 "0002ffff"
                                 "0401");
    img = decodeImage(makeBmp(s));
    QCOMPARE(img.pixel(0, 2), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(0, 1), qRgb(255, 0, 0));
    s.bits = QByteArray::fromHex("00ff0102");
    QCOMPARE(decodeImage(makeBmp(s)).pixel(1, 2), qRgb(0, 0, 255));

    // RLE4: runs alternate the two nibbles, literals count pixels.
    BmpSpec t;
    t.width = 5;
    t.height = 1;
    t.bitCount = 4;
    t.compression = 2;
    t.palette = kPalette4;
    t.bits = QByteArray::fromHex("0312"
                                 "0003"
                                 "3010"
                                 "0001"); // last literal pixel cut
    img = decodeImage(makeBmp(t));
    QCOMPARE(img.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(img.pixel(2, 0), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(3, 0), qRgb(255, 255, 255));
    QCOMPARE(img.pixel(4, 0), qRgb(255, 0, 0));
}

void TestDibBmp::damagedFilesAreRefusedWithTheName() {
    BmpSpec s;
    s.width = 100;
    s.height = 50;
    s.bits = QByteArray(100 * 3 * 50, '\x7f');
    const QByteArray good = makeBmp(s);
    QVERIFY(refusal(good).isEmpty());

    // Truncated pixels: the header claims more than the file holds.
    const QString shortMsg = refusal(good.left(good.size() - 400));
    QVERIFY(shortMsg.contains(QStringLiteral("probe.bmp")));
    QVERIFY(shortMsg.contains(QStringLiteral("kürzer")));
    // Over the pixel limit, refused before anything is allocated.
    QByteArray big = good;
    put32(big, 18, 40000);
    put32(big, 22, 40000);
    QVERIFY(refusal(big).contains(QStringLiteral("zu groß")));
    // Width zero, height zero, height INT_MIN.
    for (auto [off, value] : {std::pair{18, 0u}, std::pair{22, 0u}, std::pair{22, 0x80000000u}}) {
        QByteArray b = good;
        put32(b, off, value);
        QVERIFY(!refusal(b).isEmpty());
    }
    // Unknown header size, RLE with the wrong depth, top-down RLE, embedded JPEG.
    QByteArray b = good;
    put32(b, 14, 41);
    QVERIFY(refusal(b).contains(QStringLiteral("41")));
    b = good;
    put32(b, 30, 1);
    QVERIFY(!refusal(b).isEmpty());
    BmpSpec r;
    r.height = -2;
    r.bitCount = 8;
    r.compression = 1;
    r.palette = kPalette4;
    r.bits = QByteArray::fromHex("0001");
    QVERIFY(!refusal(makeBmp(r)).isEmpty());
    b = good;
    put32(b, 30, 4);
    QVERIFY(refusal(b).contains(QStringLiteral("JPEG")));
    // Nothing but the magic, or not a BMP at all.
    QVERIFY(!refusal(good.left(2)).isEmpty());
    QVERIFY(!refusal(QByteArray("GIF89a")).isEmpty());
}


void TestDibBmp::loweredPixelCapRefusesLargerPictures() {
    // 8-bit RLE: a few bytes that claim 2000 x 1000 pixels of the first palette colour.
    BmpSpec s;
    s.width = 2000;
    s.height = 1000;
    s.bitCount = 8;
    s.compression = 1;
    s.palette = kPalette4;
    s.bits = QByteArray::fromHex("0401" "0001");
    const QByteArray rle = makeBmp(s);
    QImage img = decodeImage(rle);
    QCOMPARE(img.size(), QSize(2000, 1000));
    QCOMPARE(img.pixel(1999, 0), qRgb(255, 0, 0)); // filled rows are copies of the first
    QCOMPARE(img.pixel(3, 999), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(4, 999), qRgb(255, 0, 0));

    RasterLimits::SetMaxPixels(1'000'000);
    const QString refused = refusal(rle);
    const HDIB created = [] {
        try {
            return TDib::Create(1000, 1001, 24);
        } catch (const TRasterError&) {
            return HDIB();
        }
    }();
    RasterLimits::SetMaxPixels(RasterLimits::DefaultMaxPixels);
    QVERIFY2(refused.endsWith(QStringLiteral(": Das Bild ist zu groß (2000 × 1000 Bildpunkte, "
                                             "erlaubt sind höchstens 1.000.000).")),
             qPrintable(refused));
    QVERIFY(!created);
    // Back at the default cap the same picture decodes again, and the message names it.
    QCOMPARE(decodeImage(rle).size(), QSize(2000, 1000));
    QCOMPARE(RasterLimits::MaxPixels(), RasterLimits::DefaultMaxPixels);
    QCOMPARE(RasterLimits::TooLargeText(9000, 8000),
             QStringLiteral("Das Bild ist zu groß (9000 × 8000 Bildpunkte, erlaubt sind "
                            "höchstens 64 Millionen)."));
    QVERIFY(RasterLimits::TooManyPixels(int64_t(1) << 40, 1));
    QVERIFY(!RasterLimits::TooManyPixels(8000, 8000));
}

QTEST_GUILESS_MAIN(TestDibBmp)
#include "tst_dibbmp.moc"
