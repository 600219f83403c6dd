// Raster import speed: a 12-megapixel JPEG, LZW TIFF and BMP are written into a temporary
// folder, then decoded and recorded into a metafile the way the graphic import does it.
// Each figure is the best of a few runs; QImageReader on the same file is the yardstick.

#include "metafile/rasterimport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <functional>
#include <tiffio.h>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRuns = 3;

// Something like a photograph: smooth gradients with fine detail, so that the compressed
// forms are neither trivial nor pure noise.
QImage makePicture() {
    QImage img(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const unsigned h = unsigned(x * 7919u ^ y * 104729u) >> 3;
            p[0] = uchar((x * 255) / kWidth + (h & 7));
            p[1] = uchar((y * 255) / kHeight + ((h >> 3) & 7));
            p[2] = uchar(((x + y) & 255) ^ ((x / 64 + y / 64) & 1 ? 0x20 : 0));
        }
    }
    return img;
}

bool writeLzwTiff(const QImage& img, const QString& path) {
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, img.width());
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, img.height());
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
    std::vector<uchar> row(size_t(img.width()) * 3);
    bool ok = true;
    for (int y = 0; y < img.height() && ok; ++y) {
        std::memcpy(row.data(), img.constScanLine(y), row.size());
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    }
    TIFFClose(tif);
    return ok;
}

// Best time of kRuns in milliseconds; -1 when the work fails.
double best(const std::function<bool()>& work) {
    double bestMs = -1;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        if (!work())
            return -1;
        const double ms = t.nsecsElapsed() / 1e6;
        if (bestMs < 0 || ms < bestMs)
            bestMs = ms;
    }
    return bestMs;
}

void report(const char* kind, const QString& path) {
    const double decode = best([&] { return LoadRasterPicture(path)->Width() == kWidth; });
    const HDIB dib = LoadRasterPicture(path);
    const double record = best([&] { return RecordDib(dib).Width() == kWidth; });
    const double import = best([&] { return ImportRasterPicture(path).Width() == kWidth; });
    const double qt = best([&] {
        QImageReader reader(path);
        reader.setAllocationLimit(0);
        return reader.read().width() == kWidth;
    });
    std::printf("%-5s decode %8.1f ms   record %8.1f ms   import %8.1f ms", kind, decode, record,
                import);
    if (qt > 0)
        std::printf("   QImageReader %8.1f ms   decode/Qt %.2f\n", qt, decode / qt);
    else
        std::printf("   QImageReader cannot read this form\n");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QImage picture = makePicture();
    const QString jpg = dir.filePath(QStringLiteral("bench.jpg"));
    const QString bmp = dir.filePath(QStringLiteral("bench.bmp"));
    const QString tif = dir.filePath(QStringLiteral("bench.tif"));
    if (!picture.save(jpg, "JPG", 90) || !picture.save(bmp, "BMP") || !writeLzwTiff(picture, tif)) {
        std::fprintf(stderr, "cannot write the sample files\n");
        return 1;
    }
    std::printf("%d x %d pixels, best of %d runs\n", kWidth, kHeight, kRuns);
    try {
        report("JPEG", jpg);
        report("TIFF", tif);
        report("BMP", bmp);
    } catch (const TRasterError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // libtiff's own RGBA reading is the floor for TIFF, since Qt has no TIFF reader here.
    const double floor = best([&] {
        TIFF* t = TIFFOpen(QFile::encodeName(tif).constData(), "r");
        if (!t)
            return false;
        std::vector<uint32_t> raster(size_t(kWidth) * kHeight);
        const bool ok = TIFFReadRGBAImageOriented(t, kWidth, kHeight, raster.data(),
                                                  ORIENTATION_BOTLEFT, 1) == 1;
        TIFFClose(t);
        return ok;
    });
    std::printf("TIFF  libtiff RGBA alone %8.1f ms\n", floor);
    return 0;
}
