#include "wmfplayer.h"

#include "mfdib.h"

#include <QHash>
#include <cmath>

namespace mf {

namespace {

QPointF yx(ByteReader& r) {
    double y = r.i16();
    double x = r.i16();
    return {x, y};
}

// Rectangles in WMF records come as bottom, right, top, left.
QRectF brtl(ByteReader& r) {
    double b = r.i16(), rt = r.i16(), t = r.i16(), l = r.i16();
    return QRectF(QPointF(l, t), QPointF(rt, b));
}

QPolygonF points16(ByteReader& r, int n) {
    QPolygonF pts;
    if (n <= 0 || !r.has(qint64(n) * 4))
        return pts;
    pts.reserve(n);
    for (int i = 0; i < n; ++i) {
        double x = r.i16();
        double y = r.i16();
        pts << QPointF(x, y);
    }
    return pts;
}

void hIgnore(GdiPlayer&, const WmfRecord&) {}
quint16 first16(const WmfRecord& rec) { return ByteReader(rec.params).u16(); }

void hSetBkColor(GdiPlayer& g, const WmfRecord& rec) { g.dc.bkColor = g.colorRef(ByteReader(rec.params).u32()); }
void hSetTextColor(GdiPlayer& g, const WmfRecord& rec) { g.dc.textColor = g.colorRef(ByteReader(rec.params).u32()); }
void hSetBkMode(GdiPlayer& g, const WmfRecord& rec) { g.dc.bkMode = first16(rec); }
void hSetMapMode(GdiPlayer& g, const WmfRecord& rec) { g.setMapMode(first16(rec)); }
void hSetRop2(GdiPlayer& g, const WmfRecord& rec) { g.dc.rop2 = first16(rec); }
void hSetPolyFill(GdiPlayer& g, const WmfRecord& rec) { g.dc.polyFillMode = first16(rec); }
void hSetStretch(GdiPlayer& g, const WmfRecord& rec) { g.dc.stretchMode = first16(rec); }
void hSetTextAlign(GdiPlayer& g, const WmfRecord& rec) { g.dc.textAlign = first16(rec); }
void hSetCharExtra(GdiPlayer& g, const WmfRecord& rec) { g.dc.textCharExtra = qint16(first16(rec)); }
void hSetTextJustification(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    const int count = r.u16(), extra = r.u16();
    if (r.failed())
        return;
    g.dc.textBreakCount = count;
    g.dc.textBreakExtra = extra;
}
void hSaveDc(GdiPlayer& g, const WmfRecord&) { g.saveDc(); }
void hRestoreDc(GdiPlayer& g, const WmfRecord& rec) { g.restoreDc(qint16(first16(rec))); }

void hSetWindowOrg(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.setWindowOrg(yx(r));
}
void hSetWindowExt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    QPointF p = yx(r);
    g.setWindowExt(QSizeF(p.x(), p.y()));
}
void hSetViewportOrg(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.setViewportOrg(yx(r));
}
void hSetViewportExt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    QPointF p = yx(r);
    g.setViewportExt(QSizeF(p.x(), p.y()));
}
void hOffsetWindowOrg(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.setWindowOrg(g.dc.windowOrg + yx(r));
}
void hOffsetViewportOrg(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.setViewportOrg(g.dc.viewportOrg + yx(r));
}
void hScaleWindowExt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    double yd = r.i16(), yn = r.i16(), xd = r.i16(), xn = r.i16();
    g.scaleWindowExt(xn, xd, yn, yd);
}
void hScaleViewportExt(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    double yd = r.i16(), yn = r.i16(), xd = r.i16(), xn = r.i16();
    g.scaleViewportExt(xn, xd, yn, yd);
}
void hLineTo(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.lineTo(yx(r));
}
void hMoveTo(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.moveTo(yx(r));
}
void hExcludeClip(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.excludeClipRect(brtl(r));
}
void hIntersectClip(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.intersectClipRect(brtl(r));
}
void hOffsetClip(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    g.offsetClip(yx(r));
}
template <GdiPlayer::ArcKind K> void hArc(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    QPointF end = yx(r);
    QPointF start = yx(r);
    QRectF box = brtl(r);
    if (!r.failed())
        g.arc(box, start, end, K);
}
void hEllipse(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    QRectF box = brtl(r);
    if (!r.failed())
        g.ellipse(box);
}
void hRectangle(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    QRectF box = brtl(r);
    if (!r.failed())
        g.rectangle(box);
}
void hRoundRect(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    double h = r.i16(), w = r.i16();
    QRectF box = brtl(r);
    if (!r.failed())
        g.roundRect(box, QSizeF(w, h));
}
void hSetPixel(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    QColor c = g.colorRef(r.u32());
    QPointF p = yx(r);
    if (!r.failed())
        g.setPixel(p, c);
}
void hPolygon(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int n = r.i16();
    if (g.spendPoints(qMax(0, n)))
        g.polygon(points16(r, n));
}
void hPolyline(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int n = r.i16();
    if (g.spendPoints(qMax(0, n)))
        g.polyline(points16(r, n));
}
void hPolyPolygon(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int nPolys = r.u16();
    if (!r.has(qint64(nPolys) * 2))
        return;
    QVector<int> counts;
    for (int i = 0; i < nPolys; ++i)
        counts << r.u16();
    QVector<QPolygonF> polys;
    for (int c : counts) {
        if (!g.spendPoints(c))
            return;
        QPolygonF p = points16(r, c);
        if (p.isEmpty() && c > 0)
            return;
        polys << p;
    }
    g.polyPolygon(polys);
}

// ---- objects

void hSelectObject(GdiPlayer& g, const WmfRecord& rec) { g.selectObject(first16(rec)); }
void hDeleteObject(GdiPlayer& g, const WmfRecord& rec) { g.deleteObject(first16(rec)); }

void hCreatePen(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    GdiObject o;
    o.kind = GdiObject::Pen;
    quint16 style = r.u16();
    qint16 width = r.i16();
    r.i16();
    o.pen.color = g.colorRef(r.u32());
    o.pen.style = style & 0xF;
    o.pen.endCap = style & 0xF00;
    o.pen.join = style & 0xF000;
    o.pen.width = std::abs(width);
    o.pen.cosmetic = width == 0;
    g.insertLowestFree(o);
}

void hCreateBrush(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    GdiObject o;
    o.kind = GdiObject::Brush;
    quint16 style = r.u16();
    o.brush.color = g.colorRef(r.u32());
    o.brush.hatch = qMin<int>(r.u16(), 5);
    o.brush.style = style == BS_NULL || style == BS_HATCHED ? int(style) : int(BS_SOLID);
    g.insertLowestFree(o);
}

void hCreateFont(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    GdiObject o;
    o.kind = GdiObject::Font;
    LogFont& f = o.font;
    f.height = r.i16();
    f.width = r.i16();
    f.escapement = r.i16() % 3600;
    f.orientation = r.i16();
    f.weight = r.i16();
    f.italic = r.u8();
    f.underline = r.u8();
    f.strikeOut = r.u8();
    f.charSet = r.u8();
    r.skip(4);
    QByteArray face;
    while (r.has(1) && face.size() < 32) {
        char c = char(r.u8());
        if (c == 0)
            break;
        face += c;
    }
    f.face = DecodeAnsi(face, 0);
    g.insertLowestFree(o);
}

void hCreatePalette(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    GdiObject o;
    o.kind = GdiObject::Palette;
    r.u16();
    int n = r.u16();
    for (int i = 0; i < n && r.has(4); ++i) {
        quint8 red = r.u8(), green = r.u8(), blue = r.u8();
        r.u8();
        o.palette << qRgb(red, green, blue);
    }
    g.insertLowestFree(o);
}

void hSetPalEntries(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    int start = r.u16();
    int n = r.u16();
    for (int i = 0; i < n && r.has(4) && start + i < 4096; ++i) {
        quint8 red = r.u8(), green = r.u8(), blue = r.u8();
        r.u8();
        if (start + i >= g.dc.palette.size())
            g.dc.palette.resize(start + i + 1);
        g.dc.palette[start + i] = qRgb(red, green, blue);
    }
}

// A region object: a list of scans, each with its band and its x ranges.
void hCreateRegion(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    GdiObject o;
    o.kind = GdiObject::Region;
    r.skip(2 + 2 + 4 + 2); // next in chain, type, object count, size
    int scans = r.i16();
    r.skip(2 + 8);         // max scan, bounds
    QPainterPath region;
    // Each scan repeats its count after its x values. Windows makes no region of scans that
    // do not check out (odd counts, repeats that differ, more scans than the record holds);
    // drawing what could be read would paint stray bands.
    bool valid = scans >= 0;
    for (int s = 0; s < scans && valid; ++s) {
        int count = r.u16();
        double top = r.i16(), bottom = r.i16();
        if (r.failed() || count % 2 != 0 || !r.has(qint64(count) * 2 + 2)) {
            valid = false;
            break;
        }
        for (int i = 0; i + 1 < count; i += 2) {
            double left = r.i16(), right = r.i16();
            region.addRect(QRectF(QPointF(left, top), QPointF(right, bottom)).normalized());
        }
        valid = r.u16() == count;
    }
    if (!valid)
        region = QPainterPath();
    region.setFillRule(Qt::WindingFill);
    o.region = g.logicalToDevice().map(region);
    g.insertLowestFree(o);
}

void hSelectClipRegion(GdiPlayer& g, const WmfRecord& rec) {
    quint16 i = first16(rec);
    if (g.validIndex(i) && g.objects[i].kind == GdiObject::Region)
        g.setClipRegion(g.objects[i].region, RGN_COPY, false);
    else
        g.setClipRegion(QPainterPath(), RGN_COPY, true);
}

void hFillRegion(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    quint16 region = r.u16(), brush = r.u16();
    if (g.validIndex(region) && g.objects[region].kind == GdiObject::Region &&
        g.validIndex(brush) && g.objects[brush].kind == GdiObject::Brush)
        g.fillRegion(g.objects[region].region, g.objects[brush].brush);
}

void hPaintRegion(GdiPlayer& g, const WmfRecord& rec) {
    quint16 region = first16(rec);
    if (g.validIndex(region) && g.objects[region].kind == GdiObject::Region)
        g.fillRegion(g.objects[region].region, g.dc.brush);
}

void hInvertRegion(GdiPlayer& g, const WmfRecord& rec) {
    quint16 region = first16(rec);
    if (g.validIndex(region) && g.objects[region].kind == GdiObject::Region)
        g.invertRegion(g.objects[region].region);
}

void hFrameRegion(GdiPlayer& g, const WmfRecord& rec) {
    ByteReader r = rec.params;
    quint16 region = r.u16(), brush = r.u16();
    double h = r.i16(), w = r.i16();
    if (g.validIndex(region) && g.objects[region].kind == GdiObject::Region &&
        g.validIndex(brush) && g.objects[brush].kind == GdiObject::Brush)
        g.frameRegion(g.objects[region].region, g.objects[brush].brush, QSizeF(w, h));
}

QVector<WmfRecordType> buildTable() {
    QVector<WmfRecordType> t = {
        {0x0000, "META_EOF", hIgnore, false},
        {0x001E, "META_SAVEDC", hSaveDc, false},
        {0x0035, "META_REALIZEPALETTE", hIgnore, false},
        {0x0037, "META_SETPALENTRIES", hSetPalEntries, false},
        {0x00F7, "META_CREATEPALETTE", hCreatePalette, true},
        {0x0102, "META_SETBKMODE", hSetBkMode, false},
        {0x0103, "META_SETMAPMODE", hSetMapMode, false},
        {0x0104, "META_SETROP2", hSetRop2, false},
        {0x0105, "META_SETRELABS", hIgnore, false},
        {0x0106, "META_SETPOLYFILLMODE", hSetPolyFill, false},
        {0x0107, "META_SETSTRETCHBLTMODE", hSetStretch, false},
        {0x0108, "META_SETTEXTCHAREXTRA", hSetCharExtra, false},
        {0x0127, "META_RESTOREDC", hRestoreDc, false},
        {0x012A, "META_INVERTREGION", hInvertRegion, false},
        {0x012B, "META_PAINTREGION", hPaintRegion, false},
        {0x012C, "META_SELECTCLIPREGION", hSelectClipRegion, false},
        {0x012D, "META_SELECTOBJECT", hSelectObject, false},
        {0x012E, "META_SETTEXTALIGN", hSetTextAlign, false},
        {0x0139, "META_RESIZEPALETTE", hIgnore, false},
        {0x0149, "META_SETLAYOUT", hIgnore, false},
        {0x01F0, "META_DELETEOBJECT", hDeleteObject, false},
        {0x0201, "META_SETBKCOLOR", hSetBkColor, false},
        {0x0209, "META_SETTEXTCOLOR", hSetTextColor, false},
        {0x020A, "META_SETTEXTJUSTIFICATION", hSetTextJustification, false},
        {0x020B, "META_SETWINDOWORG", hSetWindowOrg, false},
        {0x020C, "META_SETWINDOWEXT", hSetWindowExt, false},
        {0x020D, "META_SETVIEWPORTORG", hSetViewportOrg, false},
        {0x020E, "META_SETVIEWPORTEXT", hSetViewportExt, false},
        {0x020F, "META_OFFSETWINDOWORG", hOffsetWindowOrg, false},
        {0x0211, "META_OFFSETVIEWPORTORG", hOffsetViewportOrg, false},
        {0x0213, "META_LINETO", hLineTo, false},
        {0x0214, "META_MOVETO", hMoveTo, false},
        {0x0220, "META_OFFSETCLIPRGN", hOffsetClip, false},
        {0x0228, "META_FILLREGION", hFillRegion, false},
        {0x0231, "META_SETMAPPERFLAGS", hIgnore, false},
        {0x0234, "META_SELECTPALETTE", hSelectObject, false},
        {0x02FA, "META_CREATEPENINDIRECT", hCreatePen, true},
        {0x02FB, "META_CREATEFONTINDIRECT", hCreateFont, true},
        {0x02FC, "META_CREATEBRUSHINDIRECT", hCreateBrush, true},
        {0x0324, "META_POLYGON", hPolygon, false},
        {0x0325, "META_POLYLINE", hPolyline, false},
        {0x0410, "META_SCALEWINDOWEXT", hScaleWindowExt, false},
        {0x0412, "META_SCALEVIEWPORTEXT", hScaleViewportExt, false},
        {0x0415, "META_EXCLUDECLIPRECT", hExcludeClip, false},
        {0x0416, "META_INTERSECTCLIPRECT", hIntersectClip, false},
        {0x0418, "META_ELLIPSE", hEllipse, false},
        {0x0419, "META_FLOODFILL", nullptr, false},
        {0x041B, "META_RECTANGLE", hRectangle, false},
        {0x041F, "META_SETPIXEL", hSetPixel, false},
        {0x0429, "META_FRAMEREGION", hFrameRegion, false},
        {0x0436, "META_ANIMATEPALETTE", hIgnore, false},
        {0x0538, "META_POLYPOLYGON", hPolyPolygon, false},
        {0x0548, "META_EXTFLOODFILL", nullptr, false},
        {0x061C, "META_ROUNDRECT", hRoundRect, false},
        {0x0626, "META_ESCAPE", hIgnore, false},
        {0x06FF, "META_CREATEREGION", hCreateRegion, true},
        {0x0817, "META_ARC", hArc<GdiPlayer::ArcKind::Arc>, false},
        {0x081A, "META_PIE", hArc<GdiPlayer::ArcKind::Pie>, false},
        {0x0830, "META_CHORD", hArc<GdiPlayer::ArcKind::Chord>, false},
    };
    RegisterWmfTextAndBitmapHandlers(t);
    return t;
}

const QHash<quint16, WmfRecordType>& table() {
    static const QHash<quint16, WmfRecordType> h = [] {
        QHash<quint16, WmfRecordType> m;
        for (const WmfRecordType& t : buildTable())
            m.insert(t.function, t);
        return m;
    }();
    return h;
}

} // namespace

const WmfRecordType* WmfType(quint16 function) {
    auto it = table().constFind(function);
    return it == table().constEnd() ? nullptr : &it.value();
}

QString WmfRecordName(quint16 function) {
    const WmfRecordType* t = WmfType(function);
    return t ? QString::fromLatin1(t->name)
             : QStringLiteral("META_0x%1").arg(function, 4, 16, QLatin1Char('0'));
}

bool WmfCreatesObject(quint16 function) {
    if (const WmfRecordType* t = WmfType(function))
        return t->creates;
    // The create records all have a low byte from 0xF7 up (0x00F8 CREATEBRUSH, 0x01F9, ...).
    return (function & 0xFF) >= 0xF7;
}

void PlayWmfRecords(GdiPlayer& g, ByteReader bytes, qsizetype start) {
    WmfRecordIterator it(bytes, start);
    WmfRecord rec;
    while (!g.stopped() && it.next(rec)) {
        if (!g.countRecord())
            break;
        if (rec.function != 0x0213 && rec.function != 0x0214) // LINETO, MOVETO
            g.flushLines();
        const WmfRecordType* t = WmfType(rec.function);
        if (t && t->handler) {
            t->handler(g, rec);
            continue;
        }
        g.unsupported(WmfRecordName(rec.function));
        // Every create record takes a slot, understood or not, or later indices would
        // point at the wrong objects.
        if (WmfCreatesObject(rec.function)) {
            GdiObject placeholder;
            placeholder.kind = GdiObject::Placeholder;
            g.insertLowestFree(placeholder);
        }
    }
    g.flushLines();
    if (!it.problem().isEmpty())
        g.stop(it.problem());
}

} // namespace mf
