#include "raster/dib.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace {

std::atomic<int64_t> maxPixels{RasterLimits::DefaultMaxPixels};

void putU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// The colour of pixel x of a row with a palette depth (1, 4 or 8 bits).
inline int paletteIndex(const uint8_t* row, int x, int bitCount) {
    switch (bitCount) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default:
        return row[x];
    }
}

} // namespace

int64_t RasterLimits::MaxPixels() {
    return maxPixels.load(std::memory_order_relaxed);
}

void RasterLimits::SetMaxPixels(int64_t pixels) {
    maxPixels.store(std::clamp<int64_t>(pixels, 1, DefaultMaxPixels), std::memory_order_relaxed);
}

bool RasterLimits::TooManyPixels(int64_t width, int64_t height) {
    const int64_t cap = MaxPixels();
    // Each side alone is checked first, so the product cannot overflow.
    return width > cap || height > cap || width * height > cap;
}

QString RasterLimits::TooLargeText(int64_t width, int64_t height) {
    const int64_t cap = MaxPixels();
    const QString allowed = cap % 1'000'000 == 0 && cap > 1'000'000
                                ? QStringLiteral("%1 Millionen").arg(cap / 1'000'000)
                                : QLocale(QLocale::German).toString(qlonglong(cap));
    return QStringLiteral("Das Bild ist zu groß (%1 × %2 Bildpunkte, erlaubt sind "
                          "höchstens %3).")
        .arg(width)
        .arg(height)
        .arg(allowed);
}

int64_t TDib::RowBytes(int64_t width, int bitCount) {
    if (width <= 0 || width > (int64_t(1) << 31) || bitCount <= 0 || bitCount > 64)
        return -1;
    return ((width * bitCount + 31) / 32) * 4;
}

HDIB TDib::Create(int width, int height, int bitCount, const QString& fileName) {
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        throw TRasterError(fileName,
                           QStringLiteral("Nicht unterstützte Farbtiefe (%1 Bit).").arg(bitCount));
    if (width <= 0 || height <= 0)
        throw TRasterError(fileName, QStringLiteral("Das Bild hat keine Bildpunkte."));
    if (RasterLimits::TooManyPixels(width, height))
        throw TRasterError(fileName, RasterLimits::TooLargeText(width, height));
    const int64_t stride = RowBytes(width, bitCount);
    HDIB dib(new TDib);
    dib->m_stride = int(stride);
    BITMAPINFOHEADER& h = dib->m_header;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = uint16_t(bitCount);
    h.biSizeImage = uint32_t(stride * height);
    if (bitCount <= 8) {
        dib->m_paletteSize = 1 << bitCount;
        h.biClrUsed = uint32_t(dib->m_paletteSize);
    }
    dib->m_infoSize = 40 + 4 * qsizetype(dib->m_paletteSize);
    try {
        dib->m_packed = QByteArray(dib->m_infoSize + qsizetype(stride * height), '\0');
    } catch (const std::bad_alloc&) {
        throw TRasterError(fileName, QStringLiteral("Nicht genug Speicher für das Bild."));
    }
    auto* p = reinterpret_cast<uint8_t*>(dib->m_packed.data());
    putU32(p + 0, h.biSize);
    putU32(p + 4, uint32_t(h.biWidth));
    putU32(p + 8, uint32_t(h.biHeight));
    putU16(p + 12, h.biPlanes);
    putU16(p + 14, h.biBitCount);
    putU32(p + 16, h.biCompression);
    putU32(p + 20, h.biSizeImage);
    putU32(p + 24, uint32_t(h.biXPelsPerMeter));
    putU32(p + 28, uint32_t(h.biYPelsPerMeter));
    putU32(p + 32, h.biClrUsed);
    putU32(p + 36, h.biClrImportant);
    return dib;
}

QByteArray TDib::InfoBytes() const {
    return m_packed.left(m_infoSize);
}

QImage TDib::ToImage() const {
    const int w = Width();
    const int h = Height();
    QImage image(w, h, QImage::Format_RGB888);
    if (image.isNull())
        return image;
    const int bpp = BitCount();
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = ScanLine(y);
        uint8_t* dst = image.scanLine(y);
        if (bpp == 24 || bpp == 32) {
            const int step = bpp / 8;
            for (int x = 0; x < w; ++x, src += step, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        } else {
            const int count = PaletteSize();
            for (int x = 0; x < w; ++x, dst += 3) {
                const int i = paletteIndex(src, x, bpp);
                const RGBQUAD c = i < count ? Palette()[i] : RGBQUAD();
                dst[0] = c.rgbRed;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbBlue;
            }
        }
    }
    return image;
}

HPALETTE CreateDIBPalette(const HDIB& dib) {
    auto palette = std::make_shared<TDibPalette>();
    if (!dib)
        return palette;
    for (int i = 0; i < dib->PaletteSize(); ++i) {
        const RGBQUAD& c = dib->Palette()[i];
        palette->colors.append(qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue));
    }
    return palette;
}

int GetDIBWidth(const HDIB& dib) {
    return dib ? dib->Width() : 0;
}

int GetDIBHeight(const HDIB& dib) {
    return dib ? dib->Height() : 0;
}

void DrawDIB(QPainter& dc, const HDIB& dib, const HPALETTE& palette, int x, int y) {
    if (!dib)
        return;
    const int w = dib->Width();
    const int h = dib->Height();
    const int bpp = dib->BitCount();
    if (bpp > 8 || !palette || palette->colors.isEmpty()) {
        dc.drawImage(QPoint(x, y), dib->ToImage());
        return;
    }
    // Palette pictures: the given palette stands for the colour table; indices beyond it
    // draw black.
    QImage image(w, h, QImage::Format_Indexed8);
    if (image.isNull())
        return;
    QList<QRgb> colors = palette->colors.mid(0, 256);
    while (colors.size() < 256)
        colors.append(qRgb(0, 0, 0));
    image.setColorTable(colors);
    for (int row = 0; row < h; ++row) {
        const uint8_t* src = dib->ScanLine(row);
        uint8_t* dst = image.scanLine(row);
        if (bpp == 8)
            std::memcpy(dst, src, size_t(w));
        else
            for (int i = 0; i < w; ++i)
                dst[i] = uint8_t(paletteIndex(src, i, bpp));
    }
    dc.drawImage(QPoint(x, y), image);
}
