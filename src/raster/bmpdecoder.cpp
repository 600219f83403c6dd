// Reader of Windows and OS/2 bitmap files: every header form, 1 to 32 bits per pixel,
// RLE4/RLE8, bit fields of any width, bottom-up and top-down rows. Every length and count
// is checked against the bytes present before anything is allocated.

#include "raster/decoders.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace {

enum : uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiJpeg = 4,
    BiPng = 5,
    BiAlphaBitfields = 6
};

uint16_t u16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t u32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m)
            return;
        shift = std::countr_zero(m);
        const int bits = std::bit_width(m >> shift);
        max = (uint64_t(1) << bits) - 1;
    }
    uint8_t operator()(uint32_t pixel) const {
        if (!max)
            return 0;
        const uint64_t v = (pixel & mask) >> shift;
        return uint8_t((v * 255 + max / 2) / max);
    }
};

struct Header {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0; // always positive; topDown says the row order
    bool topDown = false;
    bool core = false; // OS/2 1.x: 3-byte palette entries
    bool os2v2 = false;
    int planes = 1;
    int bitCount = 0;
    uint32_t compression = BiRgb;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;
    std::array<uint32_t, 3> masks{}; // red, green, blue
    bool hasMasks = false;
    size_t maskBytesAfterHeader = 0;
};

class BmpReader {
public:
    BmpReader(const uint8_t* data, size_t size, const QString& fileName)
        : m_data(data), m_size(size), m_fileName(fileName) {}

    HDIB read();

private:
    [[noreturn]] void fail(const QString& reason) const { throw TRasterError(m_fileName, reason); }
    void readHeader();
    void checkFormat();
    void readPalette(size_t paletteStart, size_t bitsOffset);
    void decodeRows(HDIB& dib, const uint8_t* bits);
    void decodeRle(HDIB& dib, const uint8_t* bits, size_t length);
    HDIB decodeEmbedded(const uint8_t* bits, size_t length);

    const uint8_t* m_data;
    size_t m_size;
    QString m_fileName;
    Header m_h;
    // Always 256 entries, zero beyond the file's palette, so that any index is harmless.
    std::array<RGBQUAD, 256> m_palette{};
};

void BmpReader::readHeader() {
    if (m_size < 18 || m_data[0] != 'B' || m_data[1] != 'M')
        fail(QStringLiteral("Die Datei ist kein Windows-Bitmap."));
    Header& h = m_h;
    h.headerSize = u32(m_data + 14);
    const uint32_t hs = h.headerSize;
    const bool known = hs == 12 || hs == 40 || hs == 52 || hs == 56 || hs == 108 || hs == 124 ||
                       (hs >= 16 && hs <= 64 && hs % 4 == 0);
    if (!known)
        fail(QStringLiteral("Unbekannte Form des Bitmap-Kopfes (%1 Byte).").arg(hs));
    if (14 + size_t(hs) > m_size)
        fail(QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt."));
    const uint8_t* p = m_data + 14;
    if (hs == 12) {
        h.core = true;
        h.width = u16(p + 4);
        h.height = u16(p + 6);
        h.planes = u16(p + 8);
        h.bitCount = u16(p + 10);
        return;
    }
    h.os2v2 = !(hs == 40 || hs == 52 || hs == 56 || hs == 108 || hs == 124);
    h.width = int32_t(u32(p + 4));
    const int64_t height = int32_t(u32(p + 8));
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.planes = u16(p + 12);
    h.bitCount = u16(p + 14);
    // Shorter OS/2 headers leave out the fields at the end: they count as zero.
    auto field = [&](uint32_t offset) { return offset + 4 <= hs ? u32(p + offset) : 0u; };
    h.compression = field(16);
    h.sizeImage = field(20);
    h.colorsUsed = field(32);
    if (h.os2v2)
        return;
    if (h.compression == BiBitfields || h.compression == BiAlphaBitfields) {
        h.hasMasks = true;
        if (hs >= 52) {
            h.masks = {u32(p + 40), u32(p + 44), u32(p + 48)};
        } else {
            // The masks follow a 40-byte header.
            h.maskBytesAfterHeader = h.compression == BiAlphaBitfields ? 16 : 12;
            if (14 + size_t(hs) + h.maskBytesAfterHeader > m_size)
                fail(QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt."));
            const uint8_t* m = p + hs;
            h.masks = {u32(m), u32(m + 4), u32(m + 8)};
        }
    }
}

void BmpReader::checkFormat() {
    const Header& h = m_h;
    if (h.planes != 1)
        fail(QStringLiteral("Ungültige Zahl der Farbebenen (%1).").arg(h.planes));
    if (!h.os2v2 && (h.compression == BiJpeg || h.compression == BiPng))
        return; // the embedded picture says what it is
    const int b = h.bitCount;
    if (b != 1 && b != 2 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        fail(QStringLiteral("Nicht unterstützte Farbtiefe (%1 Bit).").arg(b));
    const uint32_t c = h.compression;
    if (h.os2v2 && c >= BiBitfields)
        fail(QStringLiteral("Die OS/2-Kompression dieser Datei wird nicht unterstützt."));
    const bool fits = c == BiRgb || (c == BiRle8 && b == 8) || (c == BiRle4 && b == 4) ||
                      ((c == BiBitfields || c == BiAlphaBitfields) && (b == 16 || b == 32));
    if (!fits)
        fail(
            QStringLiteral("Die Kompression %1 passt nicht zu %2 Bit je Bildpunkt.").arg(c).arg(b));
    if (h.width <= 0 || h.height <= 0)
        fail(QStringLiteral("Ungültige Bildgröße (%1 × %2).").arg(h.width).arg(h.height));
    if (h.topDown && c != BiRgb && c != BiBitfields && c != BiAlphaBitfields)
        fail(QStringLiteral("Komprimierte Bitmaps können nicht von oben nach unten gespeichert "
                            "sein."));
    if (RasterLimits::TooManyPixels(h.width, h.height))
        fail(RasterLimits::TooLargeText(h.width, h.height));
}

void BmpReader::readPalette(size_t paletteStart, size_t bitsOffset) {
    const size_t entry = m_h.core ? 3 : 4;
    size_t count = m_h.colorsUsed;
    if (m_h.bitCount <= 8 && count == 0)
        count = size_t(1) << m_h.bitCount;
    // Too long a palette is cut to what can be indexed, too short a one stays black beyond
    // its end; it never reaches into the pixels or past the file.
    const size_t end = bitsOffset > paletteStart ? bitsOffset : m_size;
    const size_t available =
        end > paletteStart ? (std::min(end, m_size) - paletteStart) / entry : 0;
    count = std::min({count, available, size_t(256)});
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* q = m_data + paletteStart + i * entry;
        m_palette[i].rgbBlue = q[0];
        m_palette[i].rgbGreen = q[1];
        m_palette[i].rgbRed = q[2];
    }
}

HDIB BmpReader::read() {
    readHeader();
    checkFormat();
    const size_t paletteStart = 14 + size_t(m_h.headerSize) + m_h.maskBytesAfterHeader;
    size_t bitsOffset = u32(m_data + 10);
    if (bitsOffset < paletteStart) {
        // No usable offset: the pixels follow the palette.
        size_t count = m_h.colorsUsed;
        if (m_h.bitCount <= 8 && count == 0)
            count = size_t(1) << m_h.bitCount;
        bitsOffset = paletteStart + std::min<size_t>(count, 256) * (m_h.core ? 3 : 4);
    }
    if (bitsOffset >= m_size)
        fail(QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt."));
    if (m_h.bitCount <= 8)
        readPalette(paletteStart, bitsOffset);

    const size_t available = m_size - bitsOffset;
    const uint8_t* bits = m_data + bitsOffset;
    if (!m_h.os2v2 && (m_h.compression == BiJpeg || m_h.compression == BiPng))
        return decodeEmbedded(bits, available);
    if (m_h.compression == BiRle8 || m_h.compression == BiRle4) {
        size_t length = available;
        if (m_h.sizeImage != 0 && m_h.sizeImage < length)
            length = m_h.sizeImage;
        HDIB dib = TDib::Create(int(m_h.width), int(m_h.height), 24, m_fileName);
        decodeRle(dib, bits, length);
        return dib;
    }
    // The last row may lack its padding; everything else must be there.
    const int64_t stride = TDib::RowBytes(m_h.width, m_h.bitCount);
    const int64_t needed = stride * (m_h.height - 1) + (m_h.width * m_h.bitCount + 7) / 8;
    if (int64_t(available) < needed)
        fail(QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt (%1 statt %2 Byte "
                            "Bilddaten).")
                 .arg(available)
                 .arg(needed));
    HDIB dib = TDib::Create(int(m_h.width), int(m_h.height), 24, m_fileName);
    decodeRows(dib, bits);
    return dib;
}

// A JPEG or PNG stream in place of the rows, as printers accept them.
HDIB BmpReader::decodeEmbedded(const uint8_t* bits, size_t length) {
    if (m_h.sizeImage != 0 && m_h.sizeImage < length)
        length = m_h.sizeImage;
    if (m_h.compression == BiJpeg)
        return DecodeJpeg(bits, length, m_fileName);
    QImage image;
    if (length > size_t(std::numeric_limits<int>::max()) ||
        !image.loadFromData(bits, int(length), "PNG"))
        fail(QStringLiteral("Das eingebettete PNG-Bild ist beschädigt."));
    if (RasterLimits::TooManyPixels(image.width(), image.height()))
        fail(QStringLiteral("Das Bild ist zu groß."));
    // Transparent parts show the paper.
    QImage flat(image.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    HDIB dib = TDib::Create(flat.width(), flat.height(), 24, m_fileName);
    for (int y = 0; y < flat.height(); ++y) {
        const uint8_t* src = flat.constScanLine(y);
        uint8_t* dst = dib->ScanLine(y);
        for (int x = 0; x < flat.width(); ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return dib;
}

void BmpReader::decodeRows(HDIB& dib, const uint8_t* bits) {
    const int w = int(m_h.width);
    const int h = int(m_h.height);
    const int bpp = m_h.bitCount;
    const qsizetype stride = TDib::RowBytes(w, bpp);
    const qsizetype lastRowBytes = (qsizetype(w) * bpp + 7) / 8;

    std::array<uint32_t, 3> masks = m_h.masks;
    if (!m_h.hasMasks) {
        if (bpp == 16)
            masks = {0x7C00, 0x03E0, 0x001F};
        else
            masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    const bool plain32 =
        bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF;
    // 16-bit pixels go through a table of all 65536 values.
    std::vector<RGBQUAD> table16;
    if (bpp == 16) {
        table16.resize(65536);
        for (uint32_t v = 0; v < 65536; ++v)
            table16[v] = RGBQUAD{blue(v), green(v), red(v), 0};
    }

    const int shiftPerPixel = bpp < 8 ? bpp : 0;
    const int mask = (1 << (bpp < 8 ? bpp : 8)) - 1;
    for (int r = 0; r < h; ++r) {
        const uint8_t* src = bits + qsizetype(r) * stride;
        uint8_t* dst = dib->Bits() + qsizetype(m_h.topDown ? h - 1 - r : r) * dib->Stride();
        if (bpp == 24) {
            std::memcpy(dst, src, size_t(r == h - 1 ? lastRowBytes : qsizetype(w) * 3));
            continue;
        }
        for (int x = 0; x < w; ++x, dst += 3) {
            RGBQUAD c;
            if (bpp <= 8) {
                int index;
                if (bpp == 8) {
                    index = src[x];
                } else {
                    const int perByte = 8 / shiftPerPixel;
                    const int shift = 8 - shiftPerPixel * (x % perByte + 1);
                    index = (src[x / perByte] >> shift) & mask;
                }
                c = m_palette[size_t(index)];
            } else if (bpp == 16) {
                c = table16[u16(src + 2 * x)];
            } else if (plain32) {
                const uint8_t* s = src + 4 * x;
                c = RGBQUAD{s[0], s[1], s[2], 0};
            } else {
                const uint32_t v = u32(src + 4 * x);
                c = RGBQUAD{blue(v), green(v), red(v), 0};
            }
            dst[0] = c.rgbBlue;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbRed;
        }
    }
}

void BmpReader::decodeRle(HDIB& dib, const uint8_t* bits, size_t length) {
    const int w = int(m_h.width);
    const int h = int(m_h.height);
    const bool four = m_h.compression == BiRle4;
    // Pixels the stream leaves out keep the first palette colour, as in Windows.
    // One row is filled, the others are copies of it.
    const RGBQUAD fill = m_palette[0];
    uint8_t* const rows = dib->Bits(); // the bottom row first
    const qsizetype stride = dib->Stride();
    for (int x = 0; x < w; ++x) {
        rows[3 * x] = fill.rgbBlue;
        rows[3 * x + 1] = fill.rgbGreen;
        rows[3 * x + 2] = fill.rgbRed;
    }
    for (int y = 1; y < h; ++y)
        std::memcpy(rows + qsizetype(y) * stride, rows, size_t(w) * 3);
    int x = 0;
    int y = 0;
    auto put = [&](int index) {
        if (x < w) {
            uint8_t* p = rows + qsizetype(y) * stride + 3 * qsizetype(x);
            const RGBQUAD& c = m_palette[size_t(index)];
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
        }
        ++x;
    };
    size_t pos = 0;
    while (pos + 2 <= length && y < h) {
        const int n = bits[pos];
        const int c = bits[pos + 1];
        pos += 2;
        if (n > 0) {
            // A run; pixels beyond the row end are dropped.
            const int count = std::min(n, std::max(w - x, 0));
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? c & 15 : c >> 4) : c);
            continue;
        }
        if (c == 0) { // end of line
            x = 0;
            ++y;
        } else if (c == 1) { // end of picture
            break;
        } else if (c == 2) { // delta, clamped to the picture
            if (pos + 2 > length)
                break;
            x = std::min(x + bits[pos], w);
            y += bits[pos + 1];
            pos += 2;
        } else { // literal pixels, padded to an even byte count
            const size_t bytes = four ? (size_t(c) + 1) / 2 : size_t(c);
            const size_t have = std::min(bytes, length - pos);
            const int pixels = four ? int(std::min<size_t>(c, have * 2)) : int(have);
            for (int i = 0; i < pixels; ++i) {
                if (x >= w)
                    break;
                const uint8_t b = bits[pos + (four ? size_t(i / 2) : size_t(i))];
                put(four ? ((i & 1) ? b & 15 : b >> 4) : b);
            }
            pos += bytes + (bytes & 1);
            if (have < bytes)
                break;
        }
    }
}

} // namespace

HDIB DecodeBmp(const uint8_t* data, size_t size, const QString& fileName) {
    if (size > size_t(RasterLimits::MaxFileBytes))
        throw TRasterError(fileName, QStringLiteral("Die Datei ist zu groß."));
    BmpReader reader(data, size, fileName);
    return reader.read();
}
