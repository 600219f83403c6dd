#include "tmetafilecanvas.h"

#include "emfwriter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <numeric>

using emf::RecordBody;

namespace {

// Logical bounds of a point list, as a float rectangle.
QRectF pointBounds(const QList<QPoint>& points) {
    if (points.isEmpty())
        return {};
    int l = points[0].x(), r = l, t = points[0].y(), b = t;
    for (const QPoint& p : points) {
        l = std::min(l, p.x());
        r = std::max(r, p.x());
        t = std::min(t, p.y());
        b = std::max(b, p.y());
    }
    return QRectF(QPointF(l, t), QPointF(r, b));
}

RecordBody& points(RecordBody& body, const QList<QPoint>& pts) {
    for (const QPoint& p : pts)
        body.i32(p.x()).i32(p.y());
    return body;
}

} // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile& target)
    : m_target(target), m_writer(std::make_unique<emf::EmfWriter>()),
      m_frameW(target.MMWidth()), m_frameH(target.MMHeight()) {}

TMetafileCanvas::~TMetafileCanvas() {
    Close();
}

QByteArray TMetafileCanvas::finish(QRect* frame) const {
    return m_writer->finish(m_frameW, m_frameH, frame);
}

QByteArray TMetafileCanvas::Snapshot() const {
    return finish(nullptr);
}

void TMetafileCanvas::Close() {
    if (m_closed)
        return;
    // Leave no object selected that is still to be deleted, as GDI would on closing.
    while (!m_saved.isEmpty())
        RestoreDC();
    QRect frame;
    const QByteArray bytes = finish(&frame);
    m_closed = true;
    m_target.SetRecorded(bytes, std::abs(frame.right() - frame.left()),
                         std::abs(frame.bottom() - frame.top()));
}

// ---- page mapping ----

void TMetafileCanvas::setModeExtents(Mapping& m) {
    using namespace emf;
    auto fixed = [&](int perMmX10) { // window extent in units per 0.1 mm * 10
        m.windowExt = QSize(kRefWidthMm * perMmX10 / 10, kRefHeightMm * perMmX10 / 10);
        m.viewportExt = QSize(kRefWidthPx, -kRefHeightPx);
    };
    switch (m.mode) {
    case MM_TEXT:
        m.windowExt = m.viewportExt = QSize(1, 1);
        break;
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
        fixed(100);
        break;
    case MM_HIMETRIC:
        fixed(1000);
        break;
    case MM_LOENGLISH: // 0.01 inch
        m.windowExt = QSize(kRefWidthPx * 100 / kRefDpi, kRefHeightPx * 100 / kRefDpi);
        m.viewportExt = QSize(kRefWidthPx, -kRefHeightPx);
        break;
    case MM_HIENGLISH: // 0.001 inch
        m.windowExt = QSize(kRefWidthPx * 1000 / kRefDpi, kRefHeightPx * 1000 / kRefDpi);
        m.viewportExt = QSize(kRefWidthPx, -kRefHeightPx);
        break;
    case MM_TWIPS:
        m.windowExt = QSize(kRefWidthPx * 1440 / kRefDpi, kRefHeightPx * 1440 / kRefDpi);
        m.viewportExt = QSize(kRefWidthPx, -kRefHeightPx);
        break;
    default: // MM_ANISOTROPIC keeps the extents it finds
        break;
    }
}

// In MM_ISOTROPIC one logical unit has the same size on both axes: the viewport extent of
// the axis that would be scaled more is shrunk (square pixels on the reference device).
void TMetafileCanvas::fixIsotropic() {
    Mapping& m = m_map;
    if (m.mode != MM_ISOTROPIC || m.windowExt.width() == 0 || m.windowExt.height() == 0)
        return;
    const double xdim = std::fabs(double(m.viewportExt.width()) / m.windowExt.width());
    const double ydim = std::fabs(double(m.viewportExt.height()) / m.windowExt.height());
    if (xdim > ydim) {
        const int sign = (m.viewportExt.width() < 0) ? -1 : 1;
        int cx = int(std::floor(m.viewportExt.width() * ydim / xdim + 0.5));
        m.viewportExt.setWidth(cx ? cx : sign);
    } else if (ydim > xdim) {
        const int sign = (m.viewportExt.height() < 0) ? -1 : 1;
        int cy = int(std::floor(m.viewportExt.height() * xdim / ydim + 0.5));
        m.viewportExt.setHeight(cy ? cy : sign);
    }
}

void TMetafileCanvas::SetMapMode(int mode) {
    if (!usable() || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    m_writer->add(emf::EMR_SETMAPMODE, RecordBody().u32(std::uint32_t(mode)));
    m_map.mode = mode;
    setModeExtents(m_map);
}

void TMetafileCanvas::SetWindowOrgEx(int x, int y) {
    if (!usable())
        return;
    m_writer->add(emf::EMR_SETWINDOWORGEX, RecordBody().i32(x).i32(y));
    m_map.windowOrg = QPoint(x, y);
}

void TMetafileCanvas::SetViewportOrgEx(int x, int y) {
    if (!usable())
        return;
    m_writer->add(emf::EMR_SETVIEWPORTORGEX, RecordBody().i32(x).i32(y));
    m_map.viewportOrg = QPoint(x, y);
}

void TMetafileCanvas::SetWindowExtEx(int cx, int cy) {
    if (!usable() || cx == 0 || cy == 0)
        return;
    if (m_map.mode != MM_ISOTROPIC && m_map.mode != MM_ANISOTROPIC)
        return; // GDI ignores extents in the fixed modes
    m_writer->add(emf::EMR_SETWINDOWEXTEX, RecordBody().i32(cx).i32(cy));
    m_map.windowExt = QSize(cx, cy);
    fixIsotropic();
}

void TMetafileCanvas::SetViewportExtEx(int cx, int cy) {
    if (!usable() || cx == 0 || cy == 0)
        return;
    if (m_map.mode != MM_ISOTROPIC && m_map.mode != MM_ANISOTROPIC)
        return;
    m_writer->add(emf::EMR_SETVIEWPORTEXTEX, RecordBody().i32(cx).i32(cy));
    m_map.viewportExt = QSize(cx, cy);
    fixIsotropic();
}

void TMetafileCanvas::SetAnisotropicScale(qint64 windowX, qint64 viewportX, qint64 windowY,
                                          qint64 viewportY) {
    auto reduce = [](qint64 win, qint64 view) {
        const qint64 g = std::gcd(win, view);
        win /= g ? g : 1;
        view /= g ? g : 1;
        while (win > 0x3FFFFFFF || view > 0x3FFFFFFF) {
            win = (win + 1) / 2;
            view = (view + 1) / 2;
        }
        return QSize(int(std::max<qint64>(win, 1)), int(std::max<qint64>(view, 1)));
    };
    const QSize x = reduce(windowX, viewportX);
    const QSize y = reduce(windowY, viewportY);
    SetMapMode(MM_ANISOTROPIC);
    SetWindowExtEx(x.width(), y.width());
    SetViewportExtEx(x.height(), y.height());
}

void TMetafileCanvas::SetWorldTransform(const QTransform& t) {
    if (!usable() || !t.isAffine() || !t.isInvertible())
        return;
    // EMF has no record for the graphics mode; text records carry it.
    m_advancedMode = true;
    m_writer->add(emf::EMR_SETWORLDTRANSFORM, RecordBody()
                                                  .f32(float(t.m11()))
                                                  .f32(float(t.m12()))
                                                  .f32(float(t.m21()))
                                                  .f32(float(t.m22()))
                                                  .f32(float(t.dx()))
                                                  .f32(float(t.dy())));
    m_map.world = t;
}

QTransform TMetafileCanvas::logicalToDevice() const {
    const Mapping& m = m_map;
    const double sx = double(m.viewportExt.width()) / m.windowExt.width();
    const double sy = double(m.viewportExt.height()) / m.windowExt.height();
    return m.world * QTransform::fromTranslate(-m.windowOrg.x(), -m.windowOrg.y()) *
           QTransform::fromScale(sx, sy) *
           QTransform::fromTranslate(m.viewportOrg.x(), m.viewportOrg.y());
}

double TMetafileCanvas::deviceScale() const {
    const QTransform t = logicalToDevice();
    return std::sqrt(std::fabs(t.determinant()));
}

// Inclusive device pixels covered by a logical rectangle; exclusive: its right and bottom
// edges are not painted (pictures, text), as opposed to an outline drawn with a pen.
QRect TMetafileCanvas::deviceBoundsOf(const QRectF& logical, bool exclusive) const {
    const QRectF dev = logicalToDevice().mapRect(logical.normalized());
    const auto c = [](double v) { return int(std::clamp(v, -1e9, 1e9)); };
    const int l = c(std::floor(dev.left())), t = c(std::floor(dev.top()));
    int r = c(std::floor(dev.right())), b = c(std::floor(dev.bottom()));
    if (exclusive) {
        r = std::max(l, c(std::ceil(dev.right())) - 1);
        b = std::max(t, c(std::ceil(dev.bottom())) - 1);
    }
    return QRect(QPoint(l, t), QPoint(r, b));
}

void TMetafileCanvas::addDeviceBounds(const QRectF& logical, double logicalMargin,
                                      bool exclusive) {
    const double m = logicalMargin;
    m_writer->addBounds(deviceBoundsOf(logical.normalized().adjusted(-m, -m, m, m), exclusive));
}

double TMetafileCanvas::penMargin() const {
    return (m_pen.style == PS_NULL) ? 0.0 : std::max(1, m_pen.width) / 2.0;
}

// ---- pen, brush, font ----

void TMetafileCanvas::SetPen(int style, int width, TColor colour) {
    m_pen.style = (style >= PS_SOLID && style <= PS_NULL) ? style : PS_SOLID;
    m_pen.width = std::max(0, width);
    m_pen.colour = colour & 0xFFFFFF;
}
void TMetafileCanvas::SetPenEnds(int endCap, int join) {
    const int cap = (endCap == PS_ENDCAP_SQUARE || endCap == PS_ENDCAP_FLAT) ? endCap : 0;
    const int j = (join == PS_JOIN_BEVEL || join == PS_JOIN_MITER) ? join : 0;
    m_pen.ends = cap | j;
}
void TMetafileCanvas::SetPenStyle(int style) { SetPen(style, m_pen.width, m_pen.colour); }
void TMetafileCanvas::SetPenWidth(int width) { SetPen(m_pen.style, width, m_pen.colour); }
void TMetafileCanvas::SetPenColor(TColor colour) { SetPen(m_pen.style, m_pen.width, colour); }

void TMetafileCanvas::SetBrush(int style, TColor colour) {
    m_brush.style = (style == BS_NULL) ? BS_NULL : BS_SOLID;
    m_brush.colour = colour & 0xFFFFFF;
}
void TMetafileCanvas::SetBrushStyle(int style) { SetBrush(style, m_brush.colour); }
void TMetafileCanvas::SetBrushColor(TColor colour) { SetBrush(m_brush.style, colour); }

void TMetafileCanvas::SetFont(const TLogFont& font) {
    m_font = font;
    m_font.FaceName.truncate(31);
}

bool TMetafileCanvas::handleInUse(std::uint32_t h) const {
    if (h == 0)
        return false;
    if (h == m_sel.pen || h == m_sel.brush || h == m_sel.font)
        return true;
    for (const SavedState& s : m_saved)
        if (h == s.sel.pen || h == s.sel.brush || h == s.sel.font)
            return true;
    return false;
}

// Deletes objects that neither the current state nor a saved one still selects.
void TMetafileCanvas::releaseHandles() {
    for (qsizetype i = m_pending.size() - 1; i >= 0; --i) {
        const std::uint32_t h = m_pending[i];
        if (handleInUse(h))
            continue;
        m_writer->add(emf::EMR_DELETEOBJECT, RecordBody().u32(h));
        m_writer->freeHandle(h);
        m_pending.removeAt(i);
    }
}

void TMetafileCanvas::selectObject(std::uint32_t& slot, std::uint32_t handle) {
    m_writer->add(emf::EMR_SELECTOBJECT, RecordBody().u32(handle));
    const std::uint32_t old = (slot & 0x80000000u) ? 0 : slot;
    slot = handle;
    if (old && !m_pending.contains(old))
        m_pending.append(old);
    releaseHandles();
}

void TMetafileCanvas::realisePen() {
    if (m_sel.penValid && m_sel.penState == m_pen)
        return;
    if (m_pen.style == PS_NULL) {
        selectObject(m_sel.pen, emf::NULL_PEN);
    } else if (m_pen.ends != 0) {
        const std::uint32_t h = m_writer->allocHandle();
        constexpr std::uint32_t kGeometric = 0x10000, kSize = 52;
        m_writer->add(emf::EMR_EXTCREATEPEN,
                      RecordBody()
                          .u32(h)
                          .u32(kSize).u32(0).u32(kSize).u32(0) // no pattern bitmap
                          .u32(kGeometric | std::uint32_t(m_pen.ends) | std::uint32_t(m_pen.style))
                          .u32(std::uint32_t(std::max(1, m_pen.width)))
                          .u32(BS_SOLID)
                          .u32(m_pen.colour)
                          .u32(0)   // hatch
                          .u32(0)); // no style entries
        selectObject(m_sel.pen, h);
    } else {
        const std::uint32_t h = m_writer->allocHandle();
        m_writer->add(emf::EMR_CREATEPEN, RecordBody()
                                              .u32(h)
                                              .u32(std::uint32_t(m_pen.style))
                                              .i32(m_pen.width)
                                              .i32(0)
                                              .u32(m_pen.colour));
        selectObject(m_sel.pen, h);
    }
    m_sel.penState = m_pen;
    m_sel.penValid = true;
}

void TMetafileCanvas::realiseBrush() {
    if (m_sel.brushValid && m_sel.brushState == m_brush)
        return;
    if (m_brush.style == BS_NULL) {
        selectObject(m_sel.brush, emf::NULL_BRUSH);
    } else {
        const std::uint32_t h = m_writer->allocHandle();
        m_writer->add(emf::EMR_CREATEBRUSHINDIRECT,
                      RecordBody().u32(h).u32(BS_SOLID).u32(m_brush.colour).u32(0));
        selectObject(m_sel.brush, h);
    }
    m_sel.brushState = m_brush;
    m_sel.brushValid = true;
}

static bool sameFont(const TLogFont& a, const TLogFont& b) {
    return a.Height == b.Height && a.Width == b.Width && a.Escapement == b.Escapement &&
           a.Orientation == b.Orientation && a.Weight == b.Weight && a.Italic == b.Italic &&
           a.Underline == b.Underline && a.StrikeOut == b.StrikeOut && a.CharSet == b.CharSet &&
           a.Quality == b.Quality && a.PitchAndFamily == b.PitchAndFamily &&
           a.FaceName == b.FaceName;
}

void TMetafileCanvas::realiseFont() {
    if (m_sel.fontValid && sameFont(m_sel.fontState, m_font))
        return;
    const std::uint32_t h = m_writer->allocHandle();
    RecordBody b;
    b.u32(h);
    // LOGFONTW
    b.i32(m_font.Height).i32(m_font.Width).i32(m_font.Escapement).i32(m_font.Orientation);
    b.i32(m_font.Weight);
    b.u8(m_font.Italic).u8(m_font.Underline).u8(m_font.StrikeOut).u8(m_font.CharSet);
    b.u8(0).u8(0).u8(m_font.Quality).u8(m_font.PitchAndFamily);
    b.utf16(m_font.FaceName, 32);
    // The rest of the panose form GDI itself writes: full name, style, version and so on.
    b.utf16(QString(), 64).utf16(QString(), 32);
    b.u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    b.bytes(QByteArray(10, '\0')).u16(0);
    m_writer->add(emf::EMR_EXTCREATEFONTINDIRECTW, b);
    selectObject(m_sel.font, h);
    m_sel.fontState = m_font;
    m_sel.fontValid = true;
}

// ---- text and fill state (recorded when it changes) ----

void TMetafileCanvas::SetTextColor(TColor colour) {
    colour &= 0xFFFFFF;
    if (!usable() || colour == m_text.textColour)
        return;
    m_writer->add(emf::EMR_SETTEXTCOLOR, RecordBody().u32(colour));
    m_text.textColour = colour;
}

void TMetafileCanvas::SetBkColor(TColor colour) {
    colour &= 0xFFFFFF;
    if (!usable() || colour == m_text.bkColour)
        return;
    m_writer->add(emf::EMR_SETBKCOLOR, RecordBody().u32(colour));
    m_text.bkColour = colour;
}

void TMetafileCanvas::SetBkMode(int mode) {
    if (!usable() || (mode != BK_TRANSPARENT && mode != BK_OPAQUE) || mode == m_text.bkMode)
        return;
    m_writer->add(emf::EMR_SETBKMODE, RecordBody().u32(std::uint32_t(mode)));
    m_text.bkMode = mode;
}

void TMetafileCanvas::SetTextAlign(std::uint32_t align) {
    if (!usable() || align == m_text.align)
        return;
    m_writer->add(emf::EMR_SETTEXTALIGN, RecordBody().u32(align));
    m_text.align = align;
}

void TMetafileCanvas::SetPolyFillMode(int mode) {
    if (!usable() || (mode != ALTERNATE && mode != WINDING) || mode == m_text.fillMode)
        return;
    m_writer->add(emf::EMR_SETPOLYFILLMODE, RecordBody().u32(std::uint32_t(mode)));
    m_text.fillMode = mode;
}

// ---- state stack and clipping ----

void TMetafileCanvas::SaveDC() {
    if (!usable())
        return;
    m_writer->add(emf::EMR_SAVEDC);
    m_saved.append(SavedState{m_map, m_sel, m_text, m_current, m_advancedMode});
}

void TMetafileCanvas::RestoreDC() {
    if (!usable() || m_saved.isEmpty())
        return;
    m_writer->add(emf::EMR_RESTOREDC, RecordBody().i32(-1));
    const SavedState s = m_saved.takeLast();
    // Objects selected after the save are deselected by the restore.
    for (std::uint32_t h : {m_sel.pen, m_sel.brush, m_sel.font})
        if (h && !(h & 0x80000000u) && !m_pending.contains(h))
            m_pending.append(h);
    m_map = s.mapping;
    m_sel = s.sel;
    m_text = s.text;
    m_current = s.current;
    m_advancedMode = s.advancedMode;
    releaseHandles();
}

void TMetafileCanvas::IntersectClipRect(const QRect& r) {
    if (!usable())
        return;
    m_writer->add(emf::EMR_INTERSECTCLIPRECT,
                  RecordBody().ltrb(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()));
}

void TMetafileCanvas::IntersectClipPolygons(const QList<QList<QPoint>>& polygons) {
    if (!usable())
        return;
    m_writer->add(emf::EMR_BEGINPATH);
    writePolyPoly(emf::EMR_POLYPOLYGON, polygons, 3, false);
    m_writer->add(emf::EMR_ENDPATH);
    m_writer->add(emf::EMR_SELECTCLIPPATH, RecordBody().u32(1)); // RGN_AND
}

// ---- drawing ----

void TMetafileCanvas::MoveTo(int x, int y) {
    if (!usable())
        return;
    m_writer->add(emf::EMR_MOVETOEX, RecordBody().i32(x).i32(y));
    m_current = QPoint(x, y);
}

void TMetafileCanvas::LineTo(int x, int y) {
    if (!usable())
        return;
    realisePen();
    m_writer->add(emf::EMR_LINETO, RecordBody().i32(x).i32(y));
    addDeviceBounds(QRectF(QPointF(m_current), QPointF(x, y)), penMargin());
    m_current = QPoint(x, y);
}

void TMetafileCanvas::writePoly(std::uint32_t type, const QList<QPoint>& pts, bool bounds) {
    RecordBody b;
    const QRectF lb = pointBounds(pts);
    b.rect(deviceBoundsOf(lb)).u32(std::uint32_t(pts.size()));
    points(b, pts);
    m_writer->add(type, b);
    if (bounds)
        addDeviceBounds(lb, penMargin());
}

void TMetafileCanvas::writePolyPoly(std::uint32_t type, const QList<QList<QPoint>>& polys,
                                    int minPoints, bool bounds) {
    QList<const QList<QPoint>*> used;
    qsizetype total = 0;
    QRectF lb;
    for (const QList<QPoint>& p : polys) {
        if (p.size() < minPoints)
            continue;
        used.append(&p);
        total += p.size();
        lb = lb.isNull() ? pointBounds(p) : lb.united(pointBounds(p));
    }
    if (used.isEmpty())
        return;
    RecordBody b;
    b.rect(deviceBoundsOf(lb)).u32(std::uint32_t(used.size())).u32(std::uint32_t(total));
    for (const auto* p : used)
        b.u32(std::uint32_t(p->size()));
    for (const auto* p : used)
        points(b, *p);
    m_writer->add(type, b);
    if (bounds)
        addDeviceBounds(lb, penMargin());
}

void TMetafileCanvas::Polyline(const QList<QPoint>& pts) {
    if (!usable() || pts.size() < 2)
        return;
    realisePen();
    writePoly(emf::EMR_POLYLINE, pts, true);
}

void TMetafileCanvas::Polygon(const QList<QPoint>& pts) {
    if (!usable() || pts.size() < 2)
        return;
    realisePen();
    realiseBrush();
    writePoly(emf::EMR_POLYGON, pts, true);
}

void TMetafileCanvas::PolyPolygon(const QList<QList<QPoint>>& polys) {
    if (!usable())
        return;
    realisePen();
    realiseBrush();
    writePolyPoly(emf::EMR_POLYPOLYGON, polys, 2, true);
}

void TMetafileCanvas::PolyPolyline(const QList<QList<QPoint>>& lines) {
    if (!usable())
        return;
    realisePen();
    writePolyPoly(emf::EMR_POLYPOLYLINE, lines, 2, true);
}

void TMetafileCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!usable())
        return;
    realisePen();
    realiseBrush();
    m_writer->add(emf::EMR_RECTANGLE, RecordBody().ltrb(left, top, right, bottom));
    addDeviceBounds(QRectF(QPointF(left, top), QPointF(right, bottom)), penMargin());
}

void TMetafileCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (!usable())
        return;
    realisePen();
    realiseBrush();
    m_writer->add(emf::EMR_ELLIPSE, RecordBody().ltrb(left, top, right, bottom));
    addDeviceBounds(QRectF(QPointF(left, top), QPointF(right, bottom)), penMargin());
}

