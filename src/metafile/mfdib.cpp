#include "mfdib.h"

#include "raster/dib.h"
#include "platform/nocoverage.h"

#include <algorithm>
#include <bit>

namespace mf {

namespace {

struct Header {
    qint64 width = 0;
    qint64 height = 0; // negative: top-down
    int bpp = 0;
    quint32 compression = 0;
    quint32 sizeImage = 0;
    quint32 colorsUsed = 0;
    quint32 masks[4] = {0, 0, 0, 0};
    bool hasMasks = false;
    qsizetype colorTableAt = 0;
    int colorEntrySize = 4;
    int colorCount = 0;
};

bool fail(QString* problem, const QString& why) {
    if (problem)
        *problem = why;
    return false;
}

bool readHeader(ByteReader r, Header& h, QString* problem) {
    quint32 size = r.u32();
    if (r.failed())
        return fail(problem, QStringLiteral("Bitmap-Kopf fehlt"));
    if (size == 12) {
        h.width = r.u16();
        h.height = r.u16();
        r.u16();
        h.bpp = r.u16();
        h.colorEntrySize = 3;
        h.colorTableAt = 12;
    } else if (size >= 40 && size <= 1024) {
        h.width = r.i32();
        h.height = r.i32();
        r.u16();
        h.bpp = r.u16();
        h.compression = r.u32();
        h.sizeImage = r.u32();
        r.u32();
        r.u32();
        h.colorsUsed = r.u32();
        r.u32();
        h.colorTableAt = size;
        if (size >= 52) {
            for (int i = 0; i < (size >= 56 ? 4 : 3); ++i)
                h.masks[i] = r.u32();
            h.hasMasks = h.compression == 3 || h.compression == 6;
        } else if (h.compression == 3 || h.compression == 6) {
            int n = h.compression == 6 ? 4 : 3;
            for (int i = 0; i < n; ++i)
                h.masks[i] = r.u32();
            h.hasMasks = true;
            h.colorTableAt = size + 4 * n;
        }
    } else {
        return fail(problem, QStringLiteral("unbekannter Bitmap-Kopf"));
    }
    if (r.failed())
        return fail(problem, QStringLiteral("Bitmap-Kopf unvollständig"));
    if (h.width <= 0 || h.height == 0)
        return fail(problem, QStringLiteral("Bitmap ohne Fläche"));
    qint64 pixels = 0;
    if (!checked::mul(h.width, std::abs(h.height), pixels) || pixels > MaxDibPixels())
        return fail(problem, QStringLiteral("Bitmap zu groß"));
    switch (h.bpp) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    case 0:
        if (h.compression == 4 || h.compression == 5)
            break;
        [[fallthrough]];
    default: return fail(problem, QStringLiteral("Farbtiefe %1 wird nicht unterstützt").arg(h.bpp));
    }
    if (h.bpp <= 8 && h.bpp > 0) {
        quint32 max = 1u << h.bpp;
        h.colorCount = int(h.colorsUsed == 0 || h.colorsUsed > max ? max : h.colorsUsed);
    } else {
        h.colorCount = int(qMin<quint32>(h.colorsUsed, 256));
    }
    return true;
}

QVector<QRgb> readColors(ByteReader r, const Header& h, const DibOptions& opt) {
    QVector<QRgb> colors;
    if (h.bpp > 8)
        return colors;
    if (opt.forceColors) {
        colors = *opt.forceColors;
    } else {
        r.seek(h.colorTableAt);
        for (int i = 0; i < h.colorCount; ++i) {
            if (opt.usage == 1) {
                quint16 idx = r.u16();
                if (r.failed())
                    break;
                colors << (idx < opt.palette.size() ? opt.palette[idx] : qRgb(0, 0, 0));
            } else {
                quint8 b = r.u8(), g = r.u8(), rd = r.u8();
                if (h.colorEntrySize == 4)
                    r.u8();
                if (r.failed())
                    break;
                colors << qRgb(rd, g, b);
            }
        }
    }
    // Missing entries: a monochrome bitmap without table is black and white.
    if (colors.isEmpty() && h.bpp == 1)
        colors << qRgb(0, 0, 0) << qRgb(255, 255, 255);
    while (colors.size() < (1 << h.bpp))
        colors << qRgb(0, 0, 0);
    return colors;
}

struct Channel {
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;
    int value(quint32 px) const {
        if (mask == 0)
            return 0;
        quint32 v = (px & mask) >> shift;
        if (bits >= 8)
            return int(v >> (bits - 8));
        quint32 max = (1u << bits) - 1;
        return int((v * 255 + max / 2) / max);
    }
};

Channel channel(quint32 mask) {
    Channel c;
    c.mask = mask;
    if (mask) {
        c.shift = std::countr_zero(mask);
        c.bits = std::popcount(mask >> c.shift);
        if (c.bits > 16)
            c.bits = 16;
    }
    return c;
}

struct Channels {
    Channel r, g, b, a;
    bool alpha = false; // 32 bits with alpha, premultiplied
};

// One row of an uncompressed DIB: one loop per depth, so that a pixel costs no decision about
// its format. pal holds 1 << bpp entries for the indexed depths.
QM_NO_COVERAGE void decodeRow(int bpp, const uchar* row, QRgb* out, int w, const QRgb* pal,
                              const Channels& ch) {
    constexpr QRgb opaque = 0xFF000000u;
    switch (bpp) {
    case 1:
        for (int x = 0; x < w; ++x)
            out[x] = pal[(row[x >> 3] >> (7 - (x & 7))) & 1] | opaque;
        break;
    case 4:
        for (int x = 0; x < w; ++x)
            out[x] = pal[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F] | opaque;
        break;
    case 8:
        for (int x = 0; x < w; ++x)
            out[x] = pal[row[x]] | opaque;
        break;
    case 16:
        for (int x = 0; x < w; ++x) {
            const quint32 px = quint32(row[2 * x]) | (quint32(row[2 * x + 1]) << 8);
            out[x] = qRgb(ch.r.value(px), ch.g.value(px), ch.b.value(px));
        }
        break;
    case 24:
        for (int x = 0; x < w; ++x) {
            const uchar* p = row + 3 * x;
            out[x] = opaque | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0];
        }
        break;
    default:
        for (int x = 0; x < w; ++x) {
            const uchar* p = row + 4 * x;
            const quint32 px = quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) |
                               (quint32(p[3]) << 24);
            if (!ch.alpha) {
                out[x] = qRgb(ch.r.value(px), ch.g.value(px), ch.b.value(px));
                continue;
            }
            const int a = ch.a.mask ? ch.a.value(px) : 255;
            // A colour above its alpha is no premultiplied pixel; keep it in range.
            out[x] = qRgba(std::min(ch.r.value(px), a), std::min(ch.g.value(px), a),
                           std::min(ch.b.value(px), a), a);
        }
        break;
    }
}

// RLE: pixels not set by the stream stay transparent, as GDI leaves them untouched.
void decodeRle(ByteReader r, const Header& h, const QVector<QRgb>& colors, QImage& img) {
    const int w = int(h.width), hh = int(std::abs(h.height));
    const bool four = h.compression == 2;
    int x = 0, y = 0;
    auto put = [&](int idx) {
        if (x < w && y < hh) {
            int row = h.height > 0 ? hh - 1 - y : y;
            reinterpret_cast<QRgb*>(img.scanLine(row))[x] = colors[idx & 0xFF] | 0xFF000000u;
        }
        ++x;
    };
    while (r.remaining() >= 2 && y < hh) {
        int count = r.u8(), value = r.u8();
        if (count > 0) {
            for (int i = 0; i < count && x < w; ++i)
                put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += r.u8();
            y += r.u8();
        } else {
            int n = value;
            int bytes = four ? (n + 1) / 2 : n;
            ByteReader run = r.sub(r.pos(), bytes);
            r.skip(bytes + (bytes & 1));
            for (int i = 0; i < n; ++i) {
                int at = four ? i / 2 : i;
                if (at >= run.size())
                    break;
                int b = static_cast<unsigned char>(run.data()[at]);
                put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            if (r.failed())
                break;
        }
    }
}

} // namespace

qint64 MaxDibPixels() {
    return std::min<qint64>(kMaxDibPixels, RasterLimits::MaxPixels());
}

QImage DecodeDib(ByteReader info, ByteReader bits, const DibOptions& opt, QString* problem) {
    Header h;
    if (!readHeader(info, h, problem))
        return {};
    if (opt.pixelBudget) {
        // Many bitmaps in one file could each stay below the limit and still add up to
        // more than a playback should decode.
        const qint64 pixels = h.width * std::abs(h.height);
        if (pixels > *opt.pixelBudget) {
            fail(problem, QStringLiteral("zu viele Bildpunkte"));
            return {};
        }
        *opt.pixelBudget -= pixels;
    }
    if (h.compression == 4 || h.compression == 5) {
        QImage img;
        img.loadFromData(reinterpret_cast<const uchar*>(bits.data()), int(qMin<qsizetype>(bits.size(), INT_MAX)));
        if (img.isNull())
            fail(problem, QStringLiteral("eingebettetes Bild nicht lesbar"));
        return img;
    }
    // Const, so that reading a colour per pixel never checks for a detach.
    const QVector<QRgb> colors = readColors(info, h, opt);
    const int w = int(h.width), hh = int(std::abs(h.height));

    if (h.compression == 1 || h.compression == 2) {
        if ((h.compression == 1 && h.bpp != 8) || (h.compression == 2 && h.bpp != 4)) {
            fail(problem, QStringLiteral("RLE-Kompression passt nicht zur Farbtiefe"));
            return {};
        }
        QImage img(w, hh, QImage::Format_ARGB32);
        if (img.isNull())
            return {};
        img.fill(Qt::transparent);
        decodeRle(bits, h, colors, img);
        return img;
    }
    if (h.compression != 0 && h.compression != 3 && h.compression != 6) {
        fail(problem, QStringLiteral("Kompression %1 wird nicht unterstützt").arg(h.compression));
        return {};
    }

    qint64 rowBits = 0, stride = 0;
    if (!checked::mul(h.width, h.bpp, rowBits))
        return {};
    stride = ((rowBits + 31) / 32) * 4;
    qint64 rowsPresent = stride > 0 ? bits.size() / stride : 0;
    if (rowsPresent <= 0) {
        fail(problem, QStringLiteral("Bitmap-Daten fehlen"));
        return {};
    }
    const bool alpha = opt.keepAlpha && h.bpp == 32;
    // Alpha pixels are premultiplied, as GDI's AlphaBlend reads them.
    QImage img(w, hh, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (img.isNull())
        return {};
    img.fill(qRgb(255, 255, 255));

    Channel cr, cg, cb, ca;
    if (h.bpp == 16 || h.bpp == 32) {
        quint32 mr = h.masks[0], mg = h.masks[1], mb = h.masks[2];
        if (!h.hasMasks || (mr | mg | mb) == 0) {
            if (h.bpp == 16)
                mr = 0x7C00, mg = 0x03E0, mb = 0x001F;
            else
                mr = 0xFF0000, mg = 0xFF00, mb = 0xFF;
        }
        cr = channel(mr), cg = channel(mg), cb = channel(mb);
        // Alpha comes from the fourth byte unless the header names its own mask: the three
        // colour masks of BI_BITFIELDS say nothing about it, and AlphaBlend reads it anyway.
        ca = channel(h.hasMasks && h.masks[3] ? h.masks[3] : (alpha ? 0xFF000000u & ~(mr | mg | mb) : 0));
    }

    const uchar* src = reinterpret_cast<const uchar*>(bits.data());
    const Channels ch{cr, cg, cb, ca, alpha};
    for (int y = 0; y < hh && y < rowsPresent; ++y) {
        int outRow = h.height > 0 ? hh - 1 - y : y;
        decodeRow(h.bpp, src + y * stride, reinterpret_cast<QRgb*>(img.scanLine(outRow)), w,
                  colors.constData(), ch);
    }
    return img;
}

QImage DecodePackedDib(ByteReader dib, const DibOptions& opt, QString* problem) {
    Header h;
    if (!readHeader(dib, h, problem))
        return {};
    qint64 tableBytes = 0;
    if (h.bpp <= 8 || h.colorsUsed > 0)
        tableBytes = qint64(h.colorCount) * (opt.usage == 1 ? 2 : h.colorEntrySize);
    qint64 bitsAt = h.colorTableAt + tableBytes;
    if (bitsAt > dib.size()) {
        fail(problem, QStringLiteral("Bitmap-Daten fehlen"));
        return {};
    }
    return DecodeDib(dib.sub(0, bitsAt), dib.sub(bitsAt, -1), opt, problem);
}

} // namespace mf
