// The GIF, TIFF and JPEG readers: corpus files, hand-made files for transparency, clipping,
// limits and scans, and damaged copies of every sample.

#include "dibtestutil.h"

#include "metafile/rasterimport.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <jpeglib.h>
#include <tiffio.h>
#include <unistd.h>

using namespace dibtest;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

HDIB decodeFile(const QString& path) {
    const QByteArray b = readAll(path);
    return DecodeRasterBytes(bytes(b), size_t(b.size()), RasterKindOfName(path), path);
}

QString refusal(const QByteArray& b, TRasterKind kind) {
    try {
        DecodeRasterBytes(bytes(b), size_t(b.size()), kind, QStringLiteral("probe"));
    } catch (const TRasterError& e) {
        return e.message();
    }
    return {};
}

// Greyscale JPEG written by libjpeg with the given progressive scan script.
QByteArray progressiveGrey(const std::vector<jpeg_scan_info>& scans) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    c.scan_info = scans.data();
    c.num_scans = int(scans.size());
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            row[size_t(x)] = JSAMPLE((x * 16 + y * 7) & 255);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray result(reinterpret_cast<const char*>(out), int(size));
    free(out);
    return result;
}

std::vector<jpeg_scan_info> scanScript(bool refine) {
    std::vector<jpeg_scan_info> s;
    const int al = refine ? 1 : 0;
    s.push_back({1, {0}, 0, 0, 0, al});
    for (int k = 1; k < 64; ++k)
        s.push_back({1, {0}, k, k, 0, al});
    if (refine) {
        s.push_back({1, {0}, 0, 0, 1, 0});
        for (int k = 1; k < 64; ++k)
            s.push_back({1, {0}, k, k, 1, 0});
    }
    return s;
}

// Mean absolute difference per channel.
double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

class TestDibFormats : public QObject {
    Q_OBJECT

private slots:
    void corpusDecodesOrIsRefused_data();
    void corpusDecodesOrIsRefused();
    void damagedCopiesNeverCrash();
    void gifInterlacedEqualsPlain();
    void gifTransparencyClippingAndBadIndices();
    void tiffAlphaShowsPaperAndHugeSizesAreRefused();
    void tiffErrorsStayOffTheTerminal();
    void jpegColourSpacesAgree();
    void jpegLimits();
};

void TestDibFormats::corpusDecodesOrIsRefused_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("minimumDecoded");
    QTest::newRow("gif") << "gif" << 12;
    QTest::newRow("tiff") << "tiff" << 20;
    QTest::newRow("jpeg") << "jpeg" << 6;
}

void TestDibFormats::corpusDecodesOrIsRefused() {
    QFETCH(QString, folder);
    QFETCH(int, minimumDecoded);
    if (!haveCorpus(folder))
        QSKIP("corpus not available");
    int decoded = 0;
    QDirIterator it(corpus(folder), QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        try {
            const HDIB dib = decodeFile(path);
            QVERIFY(dib->Width() > 0 && dib->Height() > 0);
            QVERIFY(dib->BitCount() == 8 || dib->BitCount() == 24);
            ++decoded;
        } catch (const TRasterError& e) {
            QVERIFY2(e.message().contains(QFileInfo(path).fileName()), qPrintable(e.message()));
        }
    }
    QVERIFY2(decoded >= minimumDecoded, qPrintable(QString::number(decoded)));
}

void TestDibFormats::damagedCopiesNeverCrash() {
    if (!haveCorpus(QStringLiteral("gif")))
        QSKIP("corpus not available");
    const QStringList samples = {QStringLiteral("gif/treescap-interlaced.gif"),
                                 QStringLiteral("gif/welcome2.gif"),
                                 QStringLiteral("tiff/quad-lzw-compat.tiff"),
                                 QStringLiteral("tiff/palette-1c-4b.tiff"),
                                 QStringLiteral("tiff/quad-tile.jpg.tiff"),
                                 QStringLiteral("jpeg/testorig.jpg"),
                                 QStringLiteral("jpeg/progressive-made-here.jpg"),
                                 QStringLiteral("bmp/g/pal4rle.bmp"),
                                 QStringLiteral("bmp/g/rgb16-565.bmp")};
    for (const QString& s : samples) {
        const QByteArray good = readAll(corpus(s));
        QVERIFY(!good.isEmpty());
        const TRasterKind kind = RasterKindOfName(s);
        // Cut short at many lengths, and with bytes overwritten all through the file.
        for (int cut = 1; cut < good.size(); cut += std::max(1, int(good.size()) / 23))
            refusal(good.left(cut), kind);
        for (int at = 6; at < good.size(); at += std::max(1, int(good.size()) / 31)) {
            QByteArray bad = good;
            bad[at] = char(bad[at] ^ 0xA5);
            if (at + 1 < bad.size())
                bad[at + 1] = char(0xFF);
            refusal(bad, kind);
        }
    }
}

void TestDibFormats::gifInterlacedEqualsPlain() {
    if (!haveCorpus(QStringLiteral("gif")))
        QSKIP("corpus not available");
    const QImage plain = decodeFile(corpus(QStringLiteral("gif/treescap.gif")))->ToImage();
    const QImage laced =
        decodeFile(corpus(QStringLiteral("gif/treescap-interlaced.gif")))->ToImage();
    QCOMPARE(plain.size(), QSize(40, 40));
    QCOMPARE(maxDifference(plain, laced), 0);
    // Not trivially equal: the picture has many distinct rows.
    QVERIFY(plain.pixel(20, 5) != plain.pixel(20, 35));
}

void TestDibFormats::gifTransparencyClippingAndBadIndices() {
    // Screen 4 x 2 with a map of two entries (green, red); index 1 is clear.
    // One frame at (1, 1), 4 x 1, with LZW codes of 2 bits: pixels 0, 3, 1, 0. Index 3 is
    // past the map, and the last pixel lies off the screen.
    const QByteArray gif = QByteArray::fromHex("474946383961"
                                               "0400"
                                               "0200"
                                               "800000"
                                               "00ff00"
                                               "ff0000"
                                               "21f904"
                                               "01000001"
                                               "00"
                                               "2c"
                                               "0100"
                                               "0100"
                                               "0400"
                                               "0100"
                                               "00"
                                               "02"
                                               "03c40205"
                                               "00"
                                               "3b");
    const HDIB dib = DecodeGif(bytes(gif), size_t(gif.size()), QStringLiteral("t.gif"));
    QCOMPARE(dib->BitCount(), 8);
    QCOMPARE(dib->PaletteSize(), 256);
    const QImage img = dib->ToImage();
    QCOMPARE(img.size(), QSize(4, 2));
    const QRgb white = qRgb(255, 255, 255);
    for (int x = 0; x < 4; ++x)
        QCOMPARE(img.pixel(x, 0), white); // around the frame: paper
    QCOMPARE(img.pixel(0, 1), white);
    QCOMPARE(img.pixel(1, 1), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(2, 1), qRgb(0, 0, 0)); // index past the map
    QCOMPARE(img.pixel(3, 1), white);         // the clear index

    // The same picture without any colour map is refused; so is one without a frame.
    QByteArray noMap = QByteArray::fromHex("474946383961"
                                           "0400"
                                           "0200"
                                           "000000"
                                           "2c"
                                           "0000"
                                           "0000"
                                           "0100"
                                           "0100"
                                           "00"
                                           "02"
                                           "03c40205"
                                           "00"
                                           "3b");
    QVERIFY(refusal(noMap, TRasterKind::Gif).contains(QStringLiteral("Farbtabelle")));
    QVERIFY(!refusal(gif.left(25) + QByteArray("\x3b"), TRasterKind::Gif).isEmpty());
    // A frame of 60000 x 1000 pixels cannot come from a dozen bytes of LZW data.
    QByteArray claim = gif;
    put16(claim, 32, 60000);
    put16(claim, 34, 1000);
    QVERIFY(refusal(claim, TRasterKind::Gif).contains(QStringLiteral("kürzer")));
}

void TestDibFormats::tiffAlphaShowsPaperAndHugeSizesAreRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alpha.tif"));
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    QVERIFY(tif);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 3);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    uint8_t row[] = {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 128};
    QCOMPARE(TIFFWriteScanline(tif, row, 0, 0), 1);
    TIFFClose(tif);
    const QImage img = ConvertTIFtoDIB(QFile::encodeName(path).constData())->ToImage();
    QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));     // opaque red
    QCOMPARE(img.pixel(1, 0), qRgb(255, 255, 255)); // fully clear: paper
    const QRgb half = img.pixel(2, 0);              // half-clear blue over paper
    QVERIFY2(qAbs(qRed(half) - 127) <= 2 && qBlue(half) == 255,
             qPrintable(QString::number(half, 16)));

    // A hand-made header that claims 100000 x 100000 pixels and holds ten bytes.
    QByteArray big = QByteArray::fromHex("49492a0008000000"
                                         "0900");
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        QByteArray e(12, '\0');
        put16(e, 0, tag);
        put16(e, 2, type);
        put32(e, 4, 1);
        put32(e, 8, value);
        big += e;
    };
    entry(256, 4, 100000);
    entry(257, 4, 100000);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, 8);
    entry(277, 3, 1);
    entry(278, 4, 100000);
    entry(279, 4, 10);
    big += QByteArray(4, '\0');
    const QString msg = refusal(big, TRasterKind::Tiff);
    QVERIFY2(msg.contains(QStringLiteral("zu groß")), qPrintable(msg));
    // 8000 x 8000 is within the limit, but not from ten bytes.
    put32(big, 10 + 8, 8000);
    put32(big, 10 + 12 + 8, 8000);
    QVERIFY(refusal(big, TRasterKind::Tiff).contains(QStringLiteral("kürzer")));

    // A directory of 5000 unknown tags is refused before libtiff sorts its fields for each.
    QByteArray many = QByteArray::fromHex("49492a0008000000");
    many += QByteArray(2, '\0');
    put16(many, 8, 5000);
    for (int i = 0; i < 5000; ++i) {
        QByteArray e(12, '\0');
        put16(e, 0, uint16_t(40000 + i));
        put16(e, 2, 3);
        put32(e, 4, 1);
        many += e;
    }
    many += QByteArray(4, '\0');
    const QString tooMany = refusal(many, TRasterKind::Tiff);
    QVERIFY2(tooMany.contains(QStringLiteral("5000 Einträge")), qPrintable(tooMany));
    // The same in big-endian order and as BigTIFF.
    QByteArray bigTiff = QByteArray::fromHex("4d4d002b00080000" "0000000000000010");
    bigTiff += QByteArray::fromHex("0000000000001388") + QByteArray(64, '\0');
    QVERIFY(refusal(bigTiff, TRasterKind::Tiff).contains(QStringLiteral("5000 Einträge")));
}

void TestDibFormats::tiffErrorsStayOffTheTerminal() {
    if (!haveCorpus(QStringLiteral("tiff")))
        QSKIP("corpus not available");
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved = dup(2);
    FILE* sink = std::fopen(QFile::encodeName(log).constData(), "w");
    QVERIFY(sink);
    dup2(fileno(sink), 2);
    int refused = 0;
    QDirIterator it(corpus(QStringLiteral("tiff")), QDir::Files);
    while (it.hasNext()) {
        const QByteArray b = readAll(it.next());
        for (const QByteArray& variant : {b, b.left(b.size() / 3)})
            if (!refusal(variant, TRasterKind::Tiff).isEmpty())
                ++refused;
    }
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(sink);
    QVERIFY(refused > 5);                 // the damaged halves did produce errors...
    QCOMPARE(readAll(log), QByteArray()); // ...and none of them was printed
}

void TestDibFormats::jpegColourSpacesAgree() {
    if (!haveCorpus(QStringLiteral("jpeg")))
        QSKIP("corpus not available");
    const QImage rgb = decodeFile(corpus(QStringLiteral("jpeg/testorig.jpg")))->ToImage();
    const QImage cmyk = decodeFile(corpus(QStringLiteral("jpeg/cmyk-made-here.jpg")))->ToImage();
    const QImage prog =
        decodeFile(corpus(QStringLiteral("jpeg/progressive-made-here.jpg")))->ToImage();
    const QImage grey = decodeFile(corpus(QStringLiteral("jpeg/gray-made-here.jpg")))->ToImage();
    QCOMPARE(cmyk.size(), rgb.size());
    QVERIFY2(meanDifference(rgb, cmyk) < 6, qPrintable(QString::number(meanDifference(rgb, cmyk))));
    QVERIFY2(meanDifference(rgb, prog) < 4, qPrintable(QString::number(meanDifference(rgb, prog))));
    // Grey comes out grey and about as bright as the colour version (the grey file was made
    // with another luma formula).
    const QImage greyOfRgb =
        rgb.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(meanDifference(grey, greyOfRgb) < 15,
             qPrintable(QString::number(meanDifference(grey, greyOfRgb))));
    QCOMPARE(qRed(grey.pixel(100, 70)), qBlue(grey.pixel(100, 70)));
}

void TestDibFormats::jpegLimits() {
    // 64 scans are fine, 128 are more than a picture needs.
    const QByteArray ok = progressiveGrey(scanScript(false));
    const HDIB dib = DecodeJpeg(bytes(ok), size_t(ok.size()), QStringLiteral("ok.jpg"));
    QCOMPARE(dib->Width(), 16);
    QVERIFY(qAbs(int(dib->ScanLine(0)[3 * 8]) - 128) <= 4);
    const QString many = refusal(progressiveGrey(scanScript(true)), TRasterKind::Jpeg);
    QVERIFY2(many.contains(QStringLiteral("100")), qPrintable(many));

    if (!haveCorpus(QStringLiteral("jpeg")))
        QSKIP("corpus not available");
    try {
        decodeFile(corpus(QStringLiteral("jpeg/monkey12.jpg")));
        QFAIL("a 12-bit JPEG was decoded");
    } catch (const TRasterError& e) {
        QVERIFY(e.message().contains(QStringLiteral("monkey12.jpg")));
        QVERIFY(e.reason().contains(QStringLiteral("8 Bit")));
    }
    // Cut short, the picture would be partly grey: refused. Only the end marker missing is
    // harmless.
    const QByteArray orig = readAll(corpus(QStringLiteral("jpeg/testorig.jpg")));
    QVERIFY(refusal(orig.left(orig.size() * 2 / 3), TRasterKind::Jpeg)
                .contains(QStringLiteral("unvollständig")));
    QVERIFY(refusal(orig.left(orig.size() - 2), TRasterKind::Jpeg).isEmpty());
    const QByteArray prog = readAll(corpus(QStringLiteral("jpeg/progressive-made-here.jpg")));
    QVERIFY(!refusal(prog.left(prog.size() / 2), TRasterKind::Jpeg).isEmpty());
    // Over the pixel limit: the frame header says 65000 x 65000.
    QByteArray huge = readAll(corpus(QStringLiteral("jpeg/testorig.jpg")));
    const int sof = huge.indexOf(QByteArray::fromHex("ffc0"));
    QVERIFY(sof > 0);
    huge[sof + 5] = char(0xFD);
    huge[sof + 6] = char(0xE8);
    huge[sof + 7] = char(0xFD);
    huge[sof + 8] = char(0xE8);
    QVERIFY(refusal(huge, TRasterKind::Jpeg).contains(QStringLiteral("zu groß")));
    // 8000 x 8000 is allowed, but not from a few kilobytes of Huffman-coded data.
    huge[sof + 5] = char(0x1F);
    huge[sof + 6] = char(0x40);
    huge[sof + 7] = char(0x1F);
    huge[sof + 8] = char(0x40);
    QVERIFY(refusal(huge, TRasterKind::Jpeg).contains(QStringLiteral("kürzer")));
}

QTEST_GUILESS_MAIN(TestDibFormats)
#include "tst_dibformats.moc"
