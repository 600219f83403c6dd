// EMF handlers for objects, regions, text and bitmaps.
#include "emfplayer.h"
#include "mfdib.h"

#include <QLinearGradient>
#include <cmath>

namespace mf {

namespace {

// A region's rectangles (RGNDATA) as a path.
QPainterPath readRegion(ByteReader r) {
    QPainterPath p;
    quint32 headerSize = r.u32();
    r.u32(); // type
    quint32 count = r.u32();
    r.u32(); // size
    if (r.failed() || headerSize < 32)
        return p;
    r.seek(headerSize);
    if (!r.has(qint64(count) * 16))
        count = quint32(r.remaining() / 16);
    for (quint32 i = 0; i < count; ++i) {
        QRectF rect = ReadRectL(r);
        p.addRect(rect.normalized());
    }
    p.setFillRule(Qt::WindingFill);
    return p;
}

QImage bitmapAt(GdiPlayer& g, const EmfRecord& rec, quint32 offBmi, quint32 cbBmi,
                quint32 offBits, quint32 cbBits, quint32 usage,
                const QVector<QRgb>* forceColors = nullptr, bool keepAlpha = false) {
    if (cbBmi == 0)
        return {};
    DibOptions opt;
    opt.usage = int(usage);
    opt.palette = g.palette();
    opt.forceColors = forceColors;
    opt.keepAlpha = keepAlpha;
    opt.pixelBudget = &g.pixelBudget;
    return DecodeDib(rec.whole.sub(offBmi, cbBmi), rec.whole.sub(offBits, cbBits), opt);
}

// Whether the DIB at offBmi stores its rows bottom-up (source y then counts from below).
bool bottomUp(const EmfRecord& rec, quint32 offBmi) {
    quint32 size = rec.whole.peekU32(offBmi);
    if (size == 12)
        return true;
    return qint32(rec.whole.peekU32(offBmi + 8)) > 0;
}

void hSelectObject(GdiPlayer& g, const EmfRecord& rec) { g.selectObject(ByteReader(rec.data).u32()); }
void hDeleteObject(GdiPlayer& g, const EmfRecord& rec) { g.deleteObject(ByteReader(rec.data).u32()); }

void hCreatePen(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    quint32 style = r.u32();
    qint32 width = r.i32();
    r.i32();
    quint32 color = r.u32();
    if (r.failed())
        return;
    GdiObject o;
    o.kind = GdiObject::Pen;
    o.pen.style = int(style & 0xF);
    o.pen.endCap = int(style & 0xF00);
    o.pen.join = int(style & 0xF000);
    o.pen.width = qMin(std::abs(double(width)), double(1 << 24));
    o.pen.cosmetic = width == 0;
    o.pen.color = g.colorRef(color);
    g.putObject(index, o);
}

void hExtCreatePen(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    r.skip(16); // pattern bitmap of hatched geometric pens: drawn with the pen colour
    quint32 style = r.u32();
    quint32 width = r.u32();
    quint32 brushStyle = r.u32();
    quint32 color = r.u32();
    r.u32(); // hatch
    quint32 n = r.u32();
    if (r.failed())
        return;
    GdiObject o;
    o.kind = GdiObject::Pen;
    o.pen.style = brushStyle == BS_NULL ? PS_NULL : int(style & 0xF);
    o.pen.endCap = int(style & 0xF00);
    o.pen.join = int(style & 0xF000);
    o.pen.cosmetic = !(style & 0x10000);
    o.pen.width = o.pen.cosmetic ? 0 : double(qMin<quint32>(width, 1u << 24));
    o.pen.color = g.colorRef(color);
    if (o.pen.style == PS_USERSTYLE && r.has(qint64(n) * 4) && n <= 16)
        for (quint32 i = 0; i < n; ++i)
            o.pen.dashes << double(r.u32());
    g.putObject(index, o);
}

void hCreateBrush(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    quint32 style = r.u32();
    quint32 color = r.u32();
    quint32 hatch = r.u32();
    if (r.failed())
        return;
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = style == BS_NULL || style == BS_HATCHED ? int(style) : BS_SOLID;
    o.brush.color = g.colorRef(color);
    o.brush.hatch = int(qMin<quint32>(hatch, 5));
    g.putObject(index, o);
}

void patternBrush(GdiPlayer& g, const EmfRecord& rec, bool mono) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    quint32 usage = r.u32();
    quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    if (r.failed())
        return;
    QVector<QRgb> mono2{g.dc.textColor.rgb(), g.dc.bkColor.rgb()};
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = BS_DIBPATTERN;
    o.brush.pattern =
        bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage, mono ? &mono2 : nullptr);
    if (o.brush.pattern.isNull())
        o.brush.style = BS_SOLID;
    g.putObject(index, o);
}
void hCreateMonoBrush(GdiPlayer& g, const EmfRecord& rec) { patternBrush(g, rec, true); }
void hCreateDibBrush(GdiPlayer& g, const EmfRecord& rec) { patternBrush(g, rec, false); }

void hCreatePalette(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    r.u16();
    quint16 n = r.u16();
    GdiObject o;
    o.kind = GdiObject::Palette;
    for (int i = 0; i < n && r.has(4); ++i) {
        quint8 red = r.u8(), green = r.u8(), blue = r.u8();
        r.u8();
        o.palette << qRgb(red, green, blue);
    }
    g.putObject(index, o);
}

void hSetPaletteEntries(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    quint32 start = r.u32();
    quint32 n = r.u32();
    if (r.failed() || !g.validIndex(index) || g.objects[index].kind != GdiObject::Palette)
        return;
    QVector<QRgb>& pal = g.objects[index].palette;
    for (quint32 i = 0; i < n && r.has(4) && start + i < 4096; ++i) {
        quint8 red = r.u8(), green = r.u8(), blue = r.u8();
        r.u8();
        if (start + i >= quint32(pal.size()))
            pal.resize(start + i + 1);
        pal[start + i] = qRgb(red, green, blue);
    }
}

void hResizePalette(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    quint32 n = r.u32();
    if (!r.failed() && g.validIndex(index) && g.objects[index].kind == GdiObject::Palette)
        g.objects[index].palette.resize(qMin<quint32>(n, 4096));
}

void hSelectPalette(GdiPlayer& g, const EmfRecord& rec) { g.selectObject(ByteReader(rec.data).u32()); }
void hIgnore(GdiPlayer&, const EmfRecord&) {}

LogBrush brushAt(GdiPlayer& g, quint32 index) {
    if (g.validIndex(index) && g.objects[index].kind == GdiObject::Brush)
        return g.objects[index].brush;
    if (index & 0x80000000u) {
        DcState saved = g.dc;
        g.selectStockObject(index & 0x7FFFFFFFu);
        LogBrush b = g.dc.brush;
        g.dc = saved;
        return b;
    }
    return g.dc.brush;
}

void hFillRgn(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 cb = r.u32();
    quint32 brush = r.u32();
    if (r.failed())
        return;
    QPainterPath region = g.logicalToDevice().map(readRegion(r.sub(r.pos(), cb)));
    g.fillRegion(region, brushAt(g, brush));
}

void hFrameRgn(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 cb = r.u32();
    quint32 brush = r.u32();
    double w = r.i32(), h = r.i32();
    if (r.failed())
        return;
    QPainterPath region = g.logicalToDevice().map(readRegion(r.sub(r.pos(), cb)));
    g.frameRegion(region, brushAt(g, brush), QSizeF(w, h));
}

void hInvertRgn(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 cb = r.u32();
    if (!r.failed())
        g.invertRegion(g.logicalToDevice().map(readRegion(r.sub(r.pos(), cb))));
}

void hPaintRgn(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 cb = r.u32();
    if (!r.failed())
        g.fillRegion(g.logicalToDevice().map(readRegion(r.sub(r.pos(), cb))), g.dc.brush);
}

void hExtSelectClipRgn(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 cb = r.u32();
    quint32 mode = r.u32();
    if (r.failed())
        return;
    if (cb < 32) {
        // No region: RGN_COPY resets the clip; other modes have nothing to combine.
        if (mode == RGN_COPY)
            g.setClipRegion(QPainterPath(), RGN_COPY, true);
        return;
    }
    g.setClipRegion(readRegion(r.sub(r.pos(), cb)), int(mode), false);
}

// The header shared by the blit records: bounds, destination, operation, source origin,
// source transform and background colour, then where the bitmap lies in the record.
struct BltHeader {
    double xd = 0, yd = 0, cxd = 0, cyd = 0;
    quint32 op = 0;
    double xs = 0, ys = 0;
    quint32 usage = 0, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
};

BltHeader readBltHeader(ByteReader& r) {
    BltHeader h;
    r.skip(16);
    h.xd = r.i32(), h.yd = r.i32(), h.cxd = r.i32(), h.cyd = r.i32();
    h.op = r.u32();
    h.xs = r.i32(), h.ys = r.i32();
    r.skip(24); // source transform
    r.u32();    // background colour of the source
    h.usage = r.u32();
    h.offBmi = r.u32(), h.cbBmi = r.u32(), h.offBits = r.u32(), h.cbBits = r.u32();
    return h;
}

void blt(GdiPlayer& g, const EmfRecord& rec, bool stretch) {
    ByteReader r = rec.data;
    const auto [xd, yd, cxd, cyd, rop, xs, ys, usage, offBmi, cbBmi, offBits, cbBits] =
        readBltHeader(r);
    double cxs = cxd, cys = cyd;
    if (stretch) {
        cxs = r.i32();
        cys = r.i32();
    }
    if (r.failed())
        return;
    QRectF dst(xd, yd, cxd, cyd);
    if (cbBmi == 0) {
        g.patBlt(dst, rop);
        return;
    }
    QImage img = bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage);
    if (!img.isNull())
        g.stretchBlt(dst, img, QRectF(xs, ys, cxs, cys), rop);
}
void hBitBlt(GdiPlayer& g, const EmfRecord& rec) { blt(g, rec, false); }
void hStretchBlt(GdiPlayer& g, const EmfRecord& rec) { blt(g, rec, true); }

// TransparentBlt: the pixels of one colour are left out.
void hTransparentBlt(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    const auto [xd, yd, cxd, cyd, key, xs, ys, usage, offBmi, cbBmi, offBits, cbBits] =
        readBltHeader(r);
    double cxs = r.i32(), cys = r.i32();
    if (r.failed())
        return;
    QImage img = bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage);
    if (img.isNull())
        return;
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = g.colorRef(key).rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xFFFFFF) == transparent)
                row[x] = 0;
    }
    g.stretchBlt(QRectF(xd, yd, cxd, cyd), img, QRectF(xs, ys, cxs, cys), ROP_SRCCOPY);
}

// MaskBlt: the source where the mask is set, the page (or a second operation) elsewhere.
void hMaskBlt(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    const auto [xd, yd, cxd, cyd, rop4, xs, ys, usage, offBmi, cbBmi, offBits, cbBits] =
        readBltHeader(r);
    double xm = r.i32(), ym = r.i32();
    quint32 usageMask = r.u32();
    quint32 offBmiM = r.u32(), cbBmiM = r.u32(), offBitsM = r.u32(), cbBitsM = r.u32();
    if (r.failed())
        return;
    const quint32 fore = (rop4 & 0x00FFFFFF);
    const quint32 back = (rop4 >> 24) & 0xFF;
    QRectF dst(xd, yd, cxd, cyd);
    if (cbBmi == 0) {
        g.patBlt(dst, fore);
        return;
    }
    QImage img = bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage);
    if (img.isNull())
        return;
    QImage mask = bitmapAt(g, rec, offBmiM, cbBmiM, offBitsM, cbBitsM, usageMask);
    if (!mask.isNull() && back == 0xAA) { // the page stays where the mask is clear
        img = img.convertToFormat(QImage::Format_ARGB32);
        // Mask coordinates, kept in range before they become integers.
        auto at = [](double v) { return qint64(qBound(-1e9, v, 1e9)); };
        for (int y = 0; y < img.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            qint64 my = at(y - ys + ym);
            for (int x = 0; x < img.width(); ++x) {
                qint64 mx = at(x - xs + xm);
                bool set = mx >= 0 && my >= 0 && mx < mask.width() && my < mask.height() &&
                           qGray(mask.pixel(int(mx), int(my))) > 127;
                if (!set)
                    row[x] = 0;
            }
        }
    }
    g.stretchBlt(dst, img, QRectF(xs, ys, cxd, cyd), fore);
}

void hAlphaBlend(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    const auto [xd, yd, cxd, cyd, blend, xs, ys, usage, offBmi, cbBmi, offBits, cbBits] =
        readBltHeader(r);
    double cxs = r.i32(), cys = r.i32();
    if (r.failed())
        return;
    int constAlpha = int((blend >> 16) & 0xFF);
    bool srcAlpha = (blend >> 24) & 1;
    QImage img = bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage, nullptr, srcAlpha);
    if (!img.isNull())
        g.alphaBlend(QRectF(xd, yd, cxd, cyd), img, QRectF(xs, ys, cxs, cys), constAlpha, srcAlpha);
}

void hStretchDibits(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    double xd = r.i32(), yd = r.i32(), xs = r.i32(), ys = r.i32(), cxs = r.i32(), cys = r.i32();
    quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    quint32 usage = r.u32();
    quint32 rop = r.u32();
    double cxd = r.i32(), cyd = r.i32();
    if (r.failed())
        return;
    QRectF dst(xd, yd, cxd, cyd);
    if (cbBmi == 0) {
        g.patBlt(dst, rop);
        return;
    }
    QImage img = bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage);
    if (img.isNull())
        return;
    // The source rectangle of a bottom-up DIB is counted from its last row.
    if (bottomUp(rec, offBmi))
        ys = img.height() - ys - cys;
    g.stretchBlt(dst, img, QRectF(xs, ys, cxs, cys), rop);
}

void hSetDibitsToDevice(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    double xd = r.i32(), yd = r.i32(), xs = r.i32(), ys = r.i32(), cxs = r.i32(), cys = r.i32();
    quint32 offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    quint32 usage = r.u32();
    if (r.failed())
        return;
    QImage img = bitmapAt(g, rec, offBmi, cbBmi, offBits, cbBits, usage);
    if (img.isNull())
        return;
    if (bottomUp(rec, offBmi))
        ys = img.height() - ys - cys;
    g.stretchBlt(QRectF(xd, yd, cxs, cys), img, QRectF(xs, ys, cxs, cys), ROP_SRCCOPY);
}

void hCreateFont(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    quint32 index = r.u32();
    GdiObject o;
    o.kind = GdiObject::Font;
    LogFont& f = o.font;
    f.height = r.i32();
    f.width = r.i32();
    f.escapement = r.i32() % 3600;
    f.orientation = r.i32();
    f.weight = r.i32();
    f.italic = r.u8();
    f.underline = r.u8();
    f.strikeOut = r.u8();
    f.charSet = r.u8();
    r.skip(4);
    if (r.failed())
        return;
    QString face;
    for (int i = 0; i < 32 && r.has(2); ++i) {
        quint16 c = r.u16();
        if (c == 0)
            break;
        face += QChar(c);
    }
    f.face = face;
    // Keep sizes in a range that cannot overflow later arithmetic.
    f.height = qBound(-1000000, f.height, 1000000);
    f.width = qBound(-1000000, f.width, 1000000);
    g.putObject(index, o);
}

// One EMRTEXT at the reader's position; offsets count from the record's start.
void emrText(GdiPlayer& g, const EmfRecord& rec, ByteReader& r, bool wide) {
    double x = r.i32(), y = r.i32();
    quint32 nChars = r.u32();
    quint32 offString = r.u32();
    quint32 options = r.u32();
    QRectF rect = ReadRectL(r);
    quint32 offDx = r.u32();
    if (r.failed())
        return;
    GdiPlayer::TextRun run;
    run.ref = QPointF(x, y);
    run.options = int(options);
    run.rect = rect;
    run.hasRect = !(options & 0x100) && !rect.isEmpty();
    qint64 bytes = qint64(nChars) * (wide ? 2 : 1);
    ByteReader s = rec.whole.sub(offString, bytes);
    if (s.size() < bytes)
        nChars = quint32(s.size() / (wide ? 2 : 1));
    QVector<int> charBytes;
    if (wide) {
        run.text.reserve(qsizetype(nChars));
        for (quint32 i = 0; i < nChars; ++i)
            run.text += QChar(s.u16());
    } else if (options & ETO_GLYPH_INDEX) { // glyph numbers, one byte each
        run.text = QString::fromLatin1(s.bytes(qsizetype(nChars)));
    } else {
        run.text = DecodeAnsi(s.bytes(qsizetype(nChars)), g.dc.font.charSet, &charBytes);
    }
    if (offDx != 0) {
        qint64 n = qint64(nChars) * ((options & ETO_PDY) ? 2 : 1);
        ByteReader d = rec.whole.sub(offDx, n * 4);
        if (d.size() == n * 4) {
            run.dx.reserve(n);
            for (qint64 i = 0; i < n; ++i)
                run.dx << double(d.i32());
        }
        // Double-byte text has an advance per byte; a character takes those of its bytes.
        if (!charBytes.isEmpty())
            run.dx = DxPerChar(run.dx, charBytes, options & ETO_PDY);
    }
    g.textOut(run);
}

void textOut(GdiPlayer& g, const EmfRecord& rec, bool wide) {
    ByteReader r = rec.data;
    r.skip(16 + 12); // bounds, graphics mode and scales
    emrText(g, rec, r, wide);
}

void hPolyTextOutW(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16 + 12);
    quint32 n = r.u32();
    for (quint32 i = 0; i < n && r.has(40) && !g.stopped(); ++i)
        emrText(g, rec, r, true);
}

void hSmallTextOut(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    double x = r.i32(), y = r.i32();
    quint32 n = r.u32();
    quint32 options = r.u32();
    r.skip(12); // graphics mode and scales
    GdiPlayer::TextRun run;
    run.ref = QPointF(x, y);
    run.options = int(options);
    if (!(options & 0x100)) {
        run.rect = ReadRectL(r);
        run.hasRect = true;
    }
    if (r.failed())
        return;
    if (options & 0x200) { // ETO_SMALL_CHARS: 8-bit characters
        run.text = DecodeAnsi(r.bytes(qMin<qint64>(n, r.remaining())), g.dc.font.charSet);
    } else {
        for (quint32 i = 0; i < n && r.has(2); ++i)
            run.text += QChar(r.u16());
    }
    g.textOut(run);
}

void hGradientFill(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 nVer = r.u32(), nTri = r.u32(), mode = r.u32();
    if (r.failed() || !r.has(qint64(nVer) * 16) || !g.spendPoints(qint64(nVer) + nTri))
        return;
    struct Vertex {
        QPointF p;
        QColor c;
    };
    QVector<Vertex> v;
    v.reserve(qsizetype(nVer));
    for (quint32 i = 0; i < nVer; ++i) {
        double x = r.i32(), y = r.i32();
        int red = r.u16() >> 8, green = r.u16() >> 8, blue = r.u16() >> 8;
        r.u16();
        v.append({QPointF(x, y), QColor(red, green, blue)});
    }
    const QTransform L = g.logicalToDevice();
    for (quint32 i = 0; i < nTri && !r.failed(); ++i) {
        if (mode == 2) { // triangles: flat in their mean colour
            quint32 a = r.u32(), b = r.u32(), c = r.u32();
            if (r.failed() || a >= nVer || b >= nVer || c >= nVer)
                return;
            QPainterPath p;
            p.addPolygon(L.map(QPolygonF({v[a].p, v[b].p, v[c].p})));
            QColor mean((v[a].c.red() + v[b].c.red() + v[c].c.red()) / 3,
                        (v[a].c.green() + v[b].c.green() + v[c].c.green()) / 3,
                        (v[a].c.blue() + v[b].c.blue() + v[c].c.blue()) / 3);
            g.fillDevice(p, mean, QStringLiteral("gradient"));
        } else {
            quint32 a = r.u32(), b = r.u32();
            if (r.failed() || a >= nVer || b >= nVer)
                return;
            QRectF box(v[a].p, v[b].p);
            QPointF end = mode == 0 ? QPointF(box.right(), box.top()) : QPointF(box.left(), box.bottom());
            QLinearGradient grad(L.map(box.topLeft()), L.map(end));
            grad.setColorAt(0, v[a].c);
            grad.setColorAt(1, v[b].c);
            QPainterPath p;
            p.addRect(box.normalized());
            g.fillDevice(L.map(p), grad, QStringLiteral("gradient"));
        }
    }
}

void hExtTextOutA(GdiPlayer& g, const EmfRecord& rec) { textOut(g, rec, false); }
void hExtTextOutW(GdiPlayer& g, const EmfRecord& rec) { textOut(g, rec, true); }

} // namespace

void RegisterEmfObjectHandlers(EmfRecordType* t) {
    t[37].handler = hSelectObject;
    t[38].handler = hCreatePen;
    t[39].handler = hCreateBrush;
    t[40].handler = hDeleteObject;
    t[48].handler = hSelectPalette;
    t[49].handler = hCreatePalette;
    t[50].handler = hSetPaletteEntries;
    t[51].handler = hResizePalette;
    t[52].handler = hIgnore; // realizing a palette changes nothing on a true-colour target
    t[71].handler = hFillRgn;
    t[72].handler = hFrameRgn;
    t[73].handler = hInvertRgn;
    t[74].handler = hPaintRgn;
    t[75].handler = hExtSelectClipRgn;
    t[76].handler = hBitBlt;
    t[77].handler = hStretchBlt;
    t[78].handler = hMaskBlt;
    t[80].handler = hSetDibitsToDevice;
    t[81].handler = hStretchDibits;
    t[82].handler = hCreateFont;
    t[83].handler = hExtTextOutA;
    t[84].handler = hExtTextOutW;
    t[93].handler = hCreateMonoBrush;
    t[94].handler = hCreateDibBrush;
    t[95].handler = hExtCreatePen;
    t[97].handler = hPolyTextOutW;
    t[108].handler = hSmallTextOut;
    t[114].handler = hAlphaBlend;
    t[116].handler = hTransparentBlt;
    t[118].handler = hGradientFill;
    t[115].handler = hIgnore; // layout: right-to-left mirroring is not used by drawings
}

} // namespace mf
