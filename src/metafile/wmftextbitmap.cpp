// WMF handlers for text, bitmaps and pattern brushes.
#include "mfdib.h"
#include "wmfplayer.h"

namespace mf {

QImage ReadWmfBitmap16(ByteReader r) {
    r.i16(); // type
    int w = r.i16(), h = r.i16(), widthBytes = r.i16();
    int planes = r.u8(), bpp = r.u8();
    if (r.failed() || w <= 0 || h <= 0 || planes != 1 || widthBytes <= 0 ||
        qint64(w) * h > MaxDibPixels() || !r.has(qint64(widthBytes) * h))
        return {};
    // An 8-bit device bitmap's colours are those of the device's palette, unknown here.
    if ((bpp != 1 && bpp != 4 && bpp != 16 && bpp != 24 && bpp != 32) ||
        qint64(widthBytes) * 8 < qint64(w) * bpp)
        return {};
    // Four bits: the sixteen colours of the VGA palette, in the order Windows keeps them.
    static constexpr QRgb kVga[16] = {
        0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
        0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
    QImage img(w, h, QImage::Format_RGB32);
    const uchar* bits = reinterpret_cast<const uchar*>(r.data() + r.pos());
    for (int y = 0; y < h; ++y) {
        const uchar* row = bits + qsizetype(y) * widthBytes;
        QRgb* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (bpp == 1) {
                out[x] = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            } else if (bpp == 4) {
                out[x] = kVga[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
            } else if (bpp == 16) { // 5-5-5
                const int v = row[2 * x] | (row[2 * x + 1] << 8);
                const auto c = [](int five) { return (five << 3) | (five >> 2); };
                out[x] = qRgb(c((v >> 10) & 31), c((v >> 5) & 31), c(v & 31));
            } else {
                out[x] = qRgb(row[x * (bpp / 8) + 2], row[x * (bpp / 8) + 1], row[x * (bpp / 8)]);
            }
        }
    }
    return img;
}

namespace {

QPointF yx(ByteReader& r) {
    double y = r.i16();
    double x = r.i16();
    return {x, y};
}

QImage packedDib(GdiPlayer& g, ByteReader r, int usage) {
    DibOptions opt;
    opt.usage = usage;
    opt.palette = g.palette();
    opt.pixelBudget = &g.pixelBudget;
    return DecodePackedDib(r, opt);
}

bool dibBottomUp(ByteReader r) {
    quint32 size = r.peekU32(r.pos());
    return size == 12 || qint32(r.peekU32(r.pos() + 8)) > 0;
}

// Records whose size is exactly their fixed parameters carry no bitmap (pattern blits).
bool hasBitmap(const WmfRecord& rec) {
    return rec.params.size() / 2 != (rec.function >> 8);
}

void hTextOut(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int n = r.i16();
    if (n <= 0 || !r.has(n))
        return;
    QByteArray bytes = r.bytes(n);
    r.skip(n & 1);
    GdiPlayer::TextRun run;
    run.ref = yx(r);
    if (r.failed())
        return;
    run.text = DecodeAnsi(bytes, g.dc.font.charSet);
    g.textOut(run);
}

void hExtTextOut(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    GdiPlayer::TextRun run;
    run.ref = yx(r);
    int n = r.i16();
    run.options = r.u16();
    if (r.failed() || n < 0)
        return;
    if (run.options & (ETO_OPAQUE | ETO_CLIPPED)) {
        double l = r.i16(), t = r.i16(), rt = r.i16(), b = r.i16();
        run.rect = QRectF(QPointF(l, t), QPointF(rt, b));
        run.hasRect = true;
    }
    if (!r.has(n))
        n = int(r.remaining());
    QByteArray bytes = r.bytes(n);
    r.skip(n & 1);
    QVector<int> charBytes;
    if (run.options & ETO_GLYPH_INDEX)
        run.text = QString::fromLatin1(bytes);
    else
        run.text = DecodeAnsi(bytes, g.dc.font.charSet, &charBytes);
    // With ETO_PDY each advance comes with a displacement up the font's vertical.
    const bool pairs = (run.options & ETO_PDY) && r.has(qint64(n) * 4);
    if (!pairs)
        run.options &= ~ETO_PDY;
    if (r.has(qint64(n) * 2)) {
        for (int i = 0; i < n * (pairs ? 2 : 1); ++i)
            run.dx << double(r.i16());
        // Double-byte text has an advance per byte; a character takes those of its bytes.
        if (!charBytes.isEmpty())
            run.dx = DxPerChar(run.dx, charBytes, pairs);
        else if (run.text.size() != n)
            run.dx.clear();
    }
    g.textOut(run);
}

void hPatBlt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    quint32 rop = r.u32();
    double h = r.i16(), w = r.i16();
    QPointF p = yx(r);
    if (!r.failed())
        g.patBlt(QRectF(p.x(), p.y(), w, h), rop);
}

void hDibBitBlt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    quint32 rop = r.u32();
    QPointF src = yx(r);
    if (!hasBitmap(rec))
        r.u16();
    double h = r.i16(), w = r.i16();
    QPointF dst = yx(r);
    if (r.failed())
        return;
    if (!hasBitmap(rec)) {
        g.patBlt(QRectF(dst.x(), dst.y(), w, h), rop);
        return;
    }
    QImage img = packedDib(g, r.sub(r.pos(), -1), 0);
    if (!img.isNull())
        g.stretchBlt(QRectF(dst.x(), dst.y(), w, h), img, QRectF(src.x(), src.y(), w, h), rop);
}

void hDibStretchBlt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    quint32 rop = r.u32();
    double sh = r.i16(), sw = r.i16();
    QPointF src = yx(r);
    if (!hasBitmap(rec))
        r.u16();
    double dh = r.i16(), dw = r.i16();
    QPointF dst = yx(r);
    if (r.failed())
        return;
    if (!hasBitmap(rec)) {
        g.patBlt(QRectF(dst.x(), dst.y(), dw, dh), rop);
        return;
    }
    QImage img = packedDib(g, r.sub(r.pos(), -1), 0);
    if (!img.isNull())
        g.stretchBlt(QRectF(dst.x(), dst.y(), dw, dh), img, QRectF(src.x(), src.y(), sw, sh), rop);
}

void hStretchDib(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    quint32 rop = r.u32();
    int usage = r.u16();
    double sh = r.i16(), sw = r.i16();
    QPointF src = yx(r);
    double dh = r.i16(), dw = r.i16();
    QPointF dst = yx(r);
    if (r.failed())
        return;
    ByteReader dib = r.sub(r.pos(), -1);
    QImage img = packedDib(g, dib, usage);
    if (img.isNull())
        return;
    double ys = src.y();
    if (dibBottomUp(dib))
        ys = img.height() - ys - sh;
    g.stretchBlt(QRectF(dst.x(), dst.y(), dw, dh), img, QRectF(src.x(), ys, sw, sh), rop);
}

void hSetDibToDev(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int usage = r.u16();
    r.u16(); // scan count
    r.u16(); // start scan
    QPointF src = yx(r);
    double h = r.i16(), w = r.i16();
    QPointF dst = yx(r);
    if (r.failed())
        return;
    ByteReader dib = r.sub(r.pos(), -1);
    QImage img = packedDib(g, dib, usage);
    if (img.isNull())
        return;
    double ys = src.y();
    if (dibBottomUp(dib))
        ys = img.height() - ys - h;
    g.stretchBlt(QRectF(dst.x(), dst.y(), w, h), img, QRectF(src.x(), ys, w, h), ROP_SRCCOPY);
}

// The old blits with a device-dependent bitmap.
void ddbBlt(GdiPlayer& g, const WmfRecord& rec, bool stretch) {
    ByteReader r = rec.params;
    quint32 rop = r.u32();
    double sh = 0, sw = 0;
    if (stretch) {
        sh = r.i16();
        sw = r.i16();
    }
    QPointF src = yx(r);
    if (!hasBitmap(rec))
        r.u16();
    double h = r.i16(), w = r.i16();
    QPointF dst = yx(r);
    if (r.failed())
        return;
    if (!stretch)
        sh = h, sw = w;
    if (!hasBitmap(rec)) {
        g.patBlt(QRectF(dst.x(), dst.y(), w, h), rop);
        return;
    }
    ByteReader bitmap = r.sub(r.pos(), -1);
    QImage img = ReadWmfBitmap16(bitmap);
    if (img.isNull())
        return;
    bitmap.skip(9);
    if (bitmap.u8() == 1) {
        // A monochrome bitmap on a colour device: 0 is the text colour, 1 the background.
        const QRgb ink = g.dc.textColor.rgb(), paper = g.dc.bkColor.rgb();
        for (int y = 0; y < img.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                row[x] = qRed(row[x]) ? paper : ink;
        }
    }
    g.stretchBlt(QRectF(dst.x(), dst.y(), w, h), img, QRectF(src.x(), src.y(), sw, sh), rop);
}
void hBitBlt(GdiPlayer& g, const WmfRecord& rec) { ddbBlt(g, rec, false); }
void hStretchBlt(GdiPlayer& g, const WmfRecord& rec) { ddbBlt(g, rec, true); }

void hDibCreatePatternBrush(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int style = r.u16();
    int usage = r.u16();
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = BS_DIBPATTERN;
    // Writers put a DIB here for BS_PATTERN too; its header size tells it from a Bitmap16.
    const quint32 headerSize = r.peekU32(r.pos());
    const bool dib = headerSize == 12 || headerSize == 40 || headerSize == 52 ||
                     headerSize == 56 || headerSize == 108 || headerSize == 124;
    if (style == BS_PATTERN && !dib) {
        ByteReader b = r.sub(r.pos(), -1);
        // A Bitmap16 whose 4-byte bits pointer is followed by 18 reserved bytes.
        QByteArray head = b.bytes(10);
        b.skip(4 + 18);
        QByteArray joined = head + b.bytes(b.remaining());
        o.brush.pattern = ReadWmfBitmap16(ByteReader(joined));
    } else {
        o.brush.pattern = packedDib(g, r.sub(r.pos(), -1), usage);
    }
    if (o.brush.pattern.isNull())
        o.brush.style = BS_SOLID;
    g.insertLowestFree(o);
}

void hCreatePatternBrush(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader b = rec.params;
    QByteArray head = b.bytes(10);
    b.skip(4 + 18);
    QByteArray joined = head + b.bytes(b.remaining());
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = BS_PATTERN;
    o.brush.pattern = ReadWmfBitmap16(ByteReader(joined));
    if (o.brush.pattern.isNull())
        o.brush.style = BS_SOLID;
    g.insertLowestFree(o);
}

} // namespace

void RegisterWmfTextAndBitmapHandlers(QVector<WmfRecordType>& t) {
    t << WmfRecordType{0x0521, "META_TEXTOUT", hTextOut, false}
      << WmfRecordType{0x0A32, "META_EXTTEXTOUT", hExtTextOut, false}
      << WmfRecordType{0x061D, "META_PATBLT", hPatBlt, false}
      << WmfRecordType{0x0922, "META_BITBLT", hBitBlt, false}
      << WmfRecordType{0x0B23, "META_STRETCHBLT", hStretchBlt, false}
      << WmfRecordType{0x0940, "META_DIBBITBLT", hDibBitBlt, false}
      << WmfRecordType{0x0B41, "META_DIBSTRETCHBLT", hDibStretchBlt, false}
      << WmfRecordType{0x0F43, "META_STRETCHDIB", hStretchDib, false}
      << WmfRecordType{0x0D33, "META_SETDIBTODEV", hSetDibToDev, false}
      << WmfRecordType{0x0142, "META_DIBCREATEPATTERNBRUSH", hDibCreatePatternBrush, true}
      << WmfRecordType{0x01F9, "META_CREATEPATTERNBRUSH", hCreatePatternBrush, true};
}

} // namespace mf
