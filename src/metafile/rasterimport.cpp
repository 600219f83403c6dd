#include "metafile/rasterimport.h"

#include "raster/decoders.h"
#include "metafile/tmetafilecanvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <cstring>

TRasterKind RasterKindOfName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("bmp"))
        return TRasterKind::Bmp;
    if (suffix == QLatin1String("gif"))
        return TRasterKind::Gif;
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return TRasterKind::Tiff;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return TRasterKind::Jpeg;
    if (suffix == QLatin1String("png"))
        return TRasterKind::Png;
    return TRasterKind::Unknown;
}

TRasterKind RasterKindOfBytes(const uint8_t* d, size_t size) {
    if (size >= 2 && d[0] == 'B' && d[1] == 'M')
        return TRasterKind::Bmp;
    if (size >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8')
        return TRasterKind::Gif;
    // Classic and big TIFF in both byte orders.
    if (size >= 4 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                      (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43))))
        return TRasterKind::Tiff;
    if (size >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
        return TRasterKind::Jpeg;
    if (size >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0)
        return TRasterKind::Png;
    return TRasterKind::Unknown;
}

HDIB DecodeRasterBytes(const uint8_t* data, size_t size, TRasterKind hint,
                       const QString& fileName) {
    TRasterKind kind = RasterKindOfBytes(data, size);
    if (kind == TRasterKind::Unknown)
        kind = hint;
    switch (kind) {
    case TRasterKind::Bmp:
        return DecodeBmp(data, size, fileName);
    case TRasterKind::Gif:
        return DecodeGif(data, size, fileName);
    case TRasterKind::Tiff:
        return DecodeTiff(data, size, fileName);
    case TRasterKind::Jpeg:
        return DecodeJpeg(data, size, fileName);
    case TRasterKind::Png: {
        // As a DIB the picture lies on white; the import records PNGs with their alpha.
        const QImage image = DecodePng(data, size, fileName);
        HDIB dib = TDib::Create(image.width(), image.height(), 24, fileName);
        QImage flat(image.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        for (int y = 0; y < flat.height(); ++y) {
            const uchar* in = flat.constScanLine(y);
            uint8_t* out = dib->ScanLine(y);
            for (int x = 0; x < flat.width(); ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        return dib;
    }
    case TRasterKind::Unknown:
        break;
    }
    throw TRasterError(fileName, QStringLiteral("Das Bildformat ist unbekannt (erwartet werden "
                                                "BMP, GIF, TIFF, JPEG oder PNG)."));
}

namespace {

// The physical size a PNG names in its pHYs chunk (pixels per metre), in 0.01 mm; false
// when it names none or an implausible one.
bool pngPhysicalSize(const uint8_t* d, size_t size, int w, int h, int& mmW, int& mmH) {
    size_t at = 8;
    while (at + 12 <= size) {
        const quint32 length = qFromBigEndian<quint32>(d + at);
        const uint8_t* type = d + at + 4;
        if (length > size - at - 12)
            return false;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0)
            return false;
        if (std::memcmp(type, "pHYs", 4) == 0) {
            if (length != 9 || d[at + 16] != 1) // unit 1: metre
                return false;
            const double ppmX = qFromBigEndian<quint32>(d + at + 8);
            const double ppmY = qFromBigEndian<quint32>(d + at + 12);
            // From about 2.5 to 10 000 dpi; a picture of at most 100 m.
            if (ppmX < 100 || ppmY < 100 || ppmX > 400'000 || ppmY > 400'000)
                return false;
            const double x = std::round(w * 100'000.0 / ppmX);
            const double y = std::round(h * 100'000.0 / ppmY);
            if (x < 1 || y < 1 || x > 10'000'000 || y > 10'000'000)
                return false;
            mmW = int(x);
            mmH = int(y);
            return true;
        }
        at += size_t(length) + 12;
    }
    return false;
}

} // namespace

QImage DecodePng(const uint8_t* data, size_t size, const QString& fileName, int* mmWidth,
                 int* mmHeight) {
    auto fail = [&](const QString& reason) -> TRasterError { return {fileName, reason}; };
    if (size > size_t(RasterLimits::MaxFileBytes))
        throw fail(QStringLiteral("Die Datei ist zu groß."));
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(false);
    const QSize header = reader.size();
    if (!header.isValid() || header.isEmpty())
        throw fail(QStringLiteral("Die PNG-Datei ist beschädigt (%1).").arg(reader.errorString()));
    if (RasterLimits::TooManyPixels(header.width(), header.height()))
        throw fail(RasterLimits::TooLargeText(header.width(), header.height()));
    // Room for the limit's pixels at 8 bytes each (16-bit channels), in MB.
    reader.setAllocationLimit(int(RasterLimits::MaxPixels() * 8 / (1 << 20)) + 1);
    QImage image = reader.read();
    if (image.isNull())
        throw fail(QStringLiteral("Die PNG-Datei ist beschädigt (%1).").arg(reader.errorString()));
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        throw fail(QStringLiteral("Nicht genug Speicher für das Bild."));
    int w = 0, h = 0;
    if (!pngPhysicalSize(data, size, image.width(), image.height(), w, h))
        w = h = 0;
    if (mmWidth)
        *mmWidth = w;
    if (mmHeight)
        *mmHeight = h;
    return image;
}

HDIB LoadRasterPicture(const QString& fileName) {
    TRasterFileData file(fileName);
    return DecodeRasterBytes(file.data(), file.size(), RasterKindOfName(fileName), fileName);
}

TMetafile RecordImage(const QImage& image, int mmWidth, int mmHeight) {
    TMetafile metafile;
    const int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0)
        return metafile;
    if (mmWidth > 0 && mmHeight > 0) {
        metafile.SetMMWidth(mmWidth);
        metafile.SetMMHeight(mmHeight);
    } else {
        metafile.SetWidth(w);
        metafile.SetHeight(h);
    }
    TMetafileCanvas canvas(metafile);
    if (metafile.Width() == w && metafile.Height() == h &&
        std::lround(w * 2540.0 / 96) == metafile.MMWidth() &&
        std::lround(h * 2540.0 / 96) == metafile.MMHeight()) {
        canvas.Draw(0, 0, image); // one pixel per reference pixel
    } else {
        // Logical units are image pixels, scaled onto the frame in reference pixels
        // (0.01 mm * 96 / 2540): window and viewport extents as a reduced exact fraction.
        canvas.SetAnisotropicScale(qint64(w) * 2540, qint64(metafile.MMWidth()) * 96,
                                   qint64(h) * 2540, qint64(metafile.MMHeight()) * 96);
        canvas.StretchImage(0, 0, w, h, image); // one logical unit per image pixel
    }
    canvas.Close();
    return metafile;
}

TMetafile RecordDib(const HDIB& dib) {
    TMetafile metafile;
    const int w = GetDIBWidth(dib);
    const int h = GetDIBHeight(dib);
    if (w <= 0 || h <= 0)
        return metafile;
    const int clear = dib->TransparentIndex();
    if (clear >= 0 && dib->BitCount() == 8) {
        // The transparent colour stays unpainted: an alpha picture.
        QImage image = dib->ToImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            throw TRasterError(QString(), QStringLiteral("Nicht genug Speicher für das Bild."));
        for (int y = 0; y < h; ++y) {
            const uint8_t* index = dib->ScanLine(y);
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                if (index[x] == clear)
                    row[x] = 0;
        }
        return RecordImage(image);
    }
    metafile.SetWidth(w);
    metafile.SetHeight(h);
    TMetafileCanvas canvas(metafile);
    if (dib->BitCount() == 24) {
        canvas.StretchDIBits(0, 0, w, h, 0, 0, w, h, dib->Packed());
    } else {
        // Palette pictures are drawn into a 24-bit bitmap first, which is then recorded.
        QImage bitmap(w, h, QImage::Format_RGB888);
        if (bitmap.isNull())
            throw TRasterError(QString(), QStringLiteral("Nicht genug Speicher für das Bild."));
        bitmap.fill(Qt::white);
        {
            QPainter painter(&bitmap);
            DrawDIB(painter, dib, CreateDIBPalette(dib), 0, 0);
        }
        canvas.Draw(0, 0, bitmap);
    }
    canvas.Close();
    return metafile;
}

TMetafile ImportRasterPicture(const QString& fileName) {
    TRasterFileData file(fileName);
    TRasterKind kind = RasterKindOfBytes(file.data(), file.size());
    if (kind == TRasterKind::Unknown)
        kind = RasterKindOfName(fileName);
    if (kind == TRasterKind::Png) {
        int mmW = 0, mmH = 0;
        const QImage image = DecodePng(file.data(), file.size(), fileName, &mmW, &mmH);
        return RecordImage(image, mmW, mmH);
    }
    const HDIB dib = DecodeRasterBytes(file.data(), file.size(), kind, fileName);
    if (kind == TRasterKind::Bmp && file.size() >= 46) {
        // Pixels taller than they are wide, or wider (unequal pels per metre), keep their
        // shape in the document: the width stays at the 96-dpi reference as for every
        // picture, the height follows the ratio. The decoded pixels stay as stored.
        const auto i32 = [&file](size_t at) {
            const uint8_t* p = file.data() + at;
            return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                           (uint32_t(p[3]) << 24));
        };
        const int32_t headerSize = i32(14), xPerMetre = i32(38), yPerMetre = i32(42);
        // Densities wildly apart (BMP Suite's baddens) are damage, not a shape.
        if (headerSize >= 40 && xPerMetre > 0 && yPerMetre > 0 && xPerMetre != yPerMetre &&
            xPerMetre / 16 <= yPerMetre && yPerMetre / 16 <= xPerMetre) {
            const int w = GetDIBWidth(dib), h = GetDIBHeight(dib);
            // Whole reference pixels, so that a ratio of two doubles each row exactly.
            const double rows = std::round(h * double(xPerMetre) / yPerMetre);
            if (w > 0 && h > 0 && rows >= 1 && rows != h)
                return RecordImage(dib->ToImage(), int(std::lround(w * 2540.0 / 96)),
                                   int(std::lround(rows * 2540.0 / 96)));
        }
    }
    return RecordDib(dib);
}
