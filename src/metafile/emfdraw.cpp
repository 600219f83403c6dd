// EMF handlers for state, coordinate mapping, shapes and paths.
#include "emfplayer.h"

#include <cmath>

namespace mf {

namespace {

QPointF readPointL(ByteReader& r) {
    double x = r.i32();
    double y = r.i32();
    return {x, y};
}

QTransform readXform(ByteReader& r) {
    double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(), dy = r.f32();
    for (double v : {m11, m12, m21, m22, dx, dy})
        if (!std::isfinite(v) || std::abs(v) > 1e9)
            return QTransform();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

// Poly records: bounds, count, points.
template <bool Short>
QPolygonF polyPoints(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 n = r.u32();
    if (!g.spendPoints(n))
        return {};
    QPolygonF pts = Short ? ReadPoints16(r, n) : ReadPoints32(r, n);
    return r.failed() ? QPolygonF() : pts;
}

template <bool Short>
QVector<QPolygonF> polyPolyPoints(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 nPolys = r.u32();
    quint32 total = r.u32();
    if (r.failed() || !r.has(qint64(nPolys) * 4) || !g.spendPoints(total))
        return {};
    QVector<quint32> counts;
    counts.reserve(qsizetype(nPolys));
    qint64 sum = 0;
    for (quint32 i = 0; i < nPolys; ++i) {
        counts << r.u32();
        sum += counts.last();
    }
    if (sum > total)
        return {};
    QVector<QPolygonF> polys;
    for (quint32 c : counts) {
        polys << (Short ? ReadPoints16(r, c) : ReadPoints32(r, c));
        if (r.failed())
            return {};
    }
    return polys;
}

template <bool Short> void hPolyBezier(GdiPlayer& g, const EmfRecord& rec) {
    g.polyBezier(polyPoints<Short>(g, rec), false);
}
template <bool Short> void hPolygon(GdiPlayer& g, const EmfRecord& rec) {
    g.polygon(polyPoints<Short>(g, rec));
}
template <bool Short> void hPolyline(GdiPlayer& g, const EmfRecord& rec) {
    g.polyline(polyPoints<Short>(g, rec));
}
template <bool Short> void hPolyBezierTo(GdiPlayer& g, const EmfRecord& rec) {
    QPolygonF p = polyPoints<Short>(g, rec);
    if (!p.isEmpty())
        g.polyBezier(p, true);
}
template <bool Short> void hPolylineTo(GdiPlayer& g, const EmfRecord& rec) {
    g.polylineTo(polyPoints<Short>(g, rec));
}
template <bool Short> void hPolyPolyline(GdiPlayer& g, const EmfRecord& rec) {
    g.polyPolyline(polyPolyPoints<Short>(g, rec));
}
template <bool Short> void hPolyPolygon(GdiPlayer& g, const EmfRecord& rec) {
    g.polyPolygon(polyPolyPoints<Short>(g, rec));
}
template <bool Short> void hPolyDraw(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    r.skip(16);
    quint32 n = r.u32();
    if (!g.spendPoints(n))
        return;
    QPolygonF pts = Short ? ReadPoints16(r, n) : ReadPoints32(r, n);
    QByteArray types = r.bytes(qsizetype(n));
    if (!r.failed())
        g.polyDraw(pts, types);
}

void hSetWindowExt(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    double x = r.i32(), y = r.i32();
    g.setWindowExt(QSizeF(x, y));
}
void hSetWindowOrg(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.setWindowOrg(readPointL(r));
}
void hSetViewportExt(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    double x = r.i32(), y = r.i32();
    g.setViewportExt(QSizeF(x, y));
}
void hSetViewportOrg(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.setViewportOrg(readPointL(r));
}
void hSetBrushOrg(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.dc.brushOrg = readPointL(r);
}
void hIgnore(GdiPlayer&, const EmfRecord&) {}
void hSetPixel(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    QPointF p = readPointL(r);
    g.setPixel(p, g.colorRef(r.u32()));
}
quint32 firstU32(const EmfRecord& rec) {
    ByteReader r = rec.data;
    return r.u32();
}
void hSetMapMode(GdiPlayer& g, const EmfRecord& rec) { g.setMapMode(int(firstU32(rec))); }
void hSetBkMode(GdiPlayer& g, const EmfRecord& rec) { g.dc.bkMode = int(firstU32(rec)); }
void hSetPolyFillMode(GdiPlayer& g, const EmfRecord& rec) {
    g.dc.polyFillMode = int(firstU32(rec));
}
void hSetRop2(GdiPlayer& g, const EmfRecord& rec) { g.dc.rop2 = int(firstU32(rec)); }
void hSetStretchMode(GdiPlayer& g, const EmfRecord& rec) { g.dc.stretchMode = int(firstU32(rec)); }
void hSetTextAlign(GdiPlayer& g, const EmfRecord& rec) { g.dc.textAlign = int(firstU32(rec)); }
void hSetTextColor(GdiPlayer& g, const EmfRecord& rec) { g.dc.textColor = g.colorRef(firstU32(rec)); }
void hSetBkColor(GdiPlayer& g, const EmfRecord& rec) { g.dc.bkColor = g.colorRef(firstU32(rec)); }
void hSetArcDirection(GdiPlayer& g, const EmfRecord& rec) {
    g.dc.arcDirection = int(firstU32(rec)) == AD_CLOCKWISE ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE;
}
void hSetMiterLimit(GdiPlayer& g, const EmfRecord& rec) {
    // Written as an integer by GDI, though documented as a float; accept both.
    quint32 v = firstU32(rec);
    double m = v < 0x10000 ? double(v) : double(ByteReader(rec.data).f32());
    if (std::isfinite(m) && m >= 1 && m < 1000)
        g.dc.miterLimit = m;
}
void hOffsetClip(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.offsetClip(readPointL(r));
}
void hMoveTo(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.moveTo(readPointL(r));
}
void hLineTo(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.lineTo(readPointL(r));
}
void hExcludeClip(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.excludeClipRect(ReadRectL(r));
}
void hIntersectClip(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.intersectClipRect(ReadRectL(r));
}
void hScaleViewport(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    double xn = r.i32(), xd = r.i32(), yn = r.i32(), yd = r.i32();
    g.scaleViewportExt(xn, xd, yn, yd);
}
void hScaleWindow(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    double xn = r.i32(), xd = r.i32(), yn = r.i32(), yd = r.i32();
    g.scaleWindowExt(xn, xd, yn, yd);
}
void hSaveDc(GdiPlayer& g, const EmfRecord&) { g.saveDc(); }
void hRestoreDc(GdiPlayer& g, const EmfRecord& rec) { g.restoreDc(qint32(firstU32(rec))); }
void hSetWorld(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.setWorld(readXform(r));
}
void hModifyWorld(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    QTransform t = readXform(r);
    g.modifyWorld(t, int(r.u32()));
}
void hAngleArc(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    QPointF c = readPointL(r);
    double radius = r.u32();
    double start = r.f32(), sweep = r.f32();
    g.angleArc(c, radius, start, sweep);
}
void hEllipse(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.ellipse(ReadRectL(r));
}
void hRectangle(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    g.rectangle(ReadRectL(r));
}
void hRoundRect(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    QRectF box = ReadRectL(r);
    double w = r.i32(), h = r.i32();
    g.roundRect(box, QSizeF(w, h));
}
template <GdiPlayer::ArcKind K> void hArc(GdiPlayer& g, const EmfRecord& rec) {
    ByteReader r = rec.data;
    QRectF box = ReadRectL(r);
    QPointF s = readPointL(r);
    QPointF e = readPointL(r);
    g.arc(box, s, e, K);
}
void hBeginPath(GdiPlayer& g, const EmfRecord&) { g.beginPath(); }
void hEndPath(GdiPlayer& g, const EmfRecord&) { g.endPath(); }
void hCloseFigure(GdiPlayer& g, const EmfRecord&) { g.closeFigure(); }
void hFillPath(GdiPlayer& g, const EmfRecord&) { g.fillPath(); }
void hStrokeAndFillPath(GdiPlayer& g, const EmfRecord&) { g.strokeAndFillPath(); }
void hStrokePath(GdiPlayer& g, const EmfRecord&) { g.strokePath(); }
void hFlattenPath(GdiPlayer& g, const EmfRecord&) { g.flattenPath(); }
void hWidenPath(GdiPlayer& g, const EmfRecord&) { g.widenPath(); }
void hSelectClipPath(GdiPlayer& g, const EmfRecord& rec) { g.selectClipPath(int(firstU32(rec))); }
void hAbortPath(GdiPlayer& g, const EmfRecord&) { g.abortPath(); }

} // namespace

void RegisterEmfDrawHandlers(EmfRecordType* t) {
    t[1].handler = hIgnore; // header: read before playback
    t[2].handler = hPolyBezier<false>;
    t[3].handler = hPolygon<false>;
    t[4].handler = hPolyline<false>;
    t[5].handler = hPolyBezierTo<false>;
    t[6].handler = hPolylineTo<false>;
    t[7].handler = hPolyPolyline<false>;
    t[8].handler = hPolyPolygon<false>;
    t[9].handler = hSetWindowExt;
    t[10].handler = hSetWindowOrg;
    t[11].handler = hSetViewportExt;
    t[12].handler = hSetViewportOrg;
    t[13].handler = hSetBrushOrg;
    t[14].handler = hIgnore; // EOF
    t[15].handler = hSetPixel;
    t[16].handler = hIgnore; // mapper flags: font matching only
    t[17].handler = hSetMapMode;
    t[18].handler = hSetBkMode;
    t[19].handler = hSetPolyFillMode;
    t[20].handler = hSetRop2;
    t[21].handler = hSetStretchMode;
    t[22].handler = hSetTextAlign;
    t[23].handler = hIgnore; // colour adjustment: halftone only
    t[24].handler = hSetTextColor;
    t[25].handler = hSetBkColor;
    t[26].handler = hOffsetClip;
    t[27].handler = hMoveTo;
    t[28].handler = hIgnore; // meta region: the clip already bounds drawing
    t[29].handler = hExcludeClip;
    t[30].handler = hIntersectClip;
    t[31].handler = hScaleViewport;
    t[32].handler = hScaleWindow;
    t[33].handler = hSaveDc;
    t[34].handler = hRestoreDc;
    t[35].handler = hSetWorld;
    t[36].handler = hModifyWorld;
    t[41].handler = hAngleArc;
    t[42].handler = hEllipse;
    t[43].handler = hRectangle;
    t[44].handler = hRoundRect;
    t[45].handler = hArc<GdiPlayer::ArcKind::Arc>;
    t[46].handler = hArc<GdiPlayer::ArcKind::Chord>;
    t[47].handler = hArc<GdiPlayer::ArcKind::Pie>;
    t[54].handler = hLineTo;
    t[55].handler = hArc<GdiPlayer::ArcKind::ArcTo>;
    t[56].handler = hPolyDraw<false>;
    t[57].handler = hSetArcDirection;
    t[58].handler = hSetMiterLimit;
    t[59].handler = hBeginPath;
    t[60].handler = hEndPath;
    t[61].handler = hCloseFigure;
    t[62].handler = hFillPath;
    t[63].handler = hStrokeAndFillPath;
    t[64].handler = hStrokePath;
    t[65].handler = hFlattenPath;
    t[66].handler = hWidenPath;
    t[67].handler = hSelectClipPath;
    t[68].handler = hAbortPath;
    t[70].handler = hIgnore; // comments, EMF+ included: the EMF records carry the picture
    t[85].handler = hPolyBezier<true>;
    t[86].handler = hPolygon<true>;
    t[87].handler = hPolyline<true>;
    t[88].handler = hPolyBezierTo<true>;
    t[89].handler = hPolylineTo<true>;
    t[90].handler = hPolyPolyline<true>;
    t[91].handler = hPolyPolygon<true>;
    t[92].handler = hPolyDraw<true>;
    t[98].handler = hIgnore; // ICM mode: colour management only
}

} // namespace mf
