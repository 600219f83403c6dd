#include "gdiplayer.h"

#include <QPaintEngine>
#include <QPainterPathStroker>
#include <QtMath>
#include <cmath>

namespace mf {

QColor ColorRef(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

const QVector<QRgb>& GdiPlayer::palette() const {
    static const QVector<QRgb> standard = {
        qRgb(0, 0, 0),       qRgb(0x80, 0, 0),    qRgb(0, 0x80, 0),       qRgb(0x80, 0x80, 0),
        qRgb(0, 0, 0x80),    qRgb(0x80, 0, 0x80), qRgb(0, 0x80, 0x80),    qRgb(0xC0, 0xC0, 0xC0),
        qRgb(0xC0, 0xDC, 0xC0), qRgb(0xA6, 0xCA, 0xF0), qRgb(0xFF, 0xFB, 0xF0),
        qRgb(0xA0, 0xA0, 0xA4), qRgb(0x80, 0x80, 0x80), qRgb(0xFF, 0, 0), qRgb(0, 0xFF, 0),
        qRgb(0xFF, 0xFF, 0), qRgb(0, 0, 0xFF),    qRgb(0xFF, 0, 0xFF),    qRgb(0, 0xFF, 0xFF),
        qRgb(0xFF, 0xFF, 0xFF)};
    return dc.palette.isEmpty() ? standard : dc.palette;
}

QColor GdiPlayer::colorRef(quint32 c) const {
    if ((c >> 24) != 1)
        return ColorRef(c);
    const QVector<QRgb>& pal = palette();
    const quint32 index = c & 0xFFFF;
    return QColor(index < quint32(pal.size()) ? pal[index] : pal.value(0, qRgb(0, 0, 0)));
}

namespace {
// A device-space rectangle that stands for "everything" where GDI starts from no clip.
const QRect kUniverse(-10000000, -10000000, 20000000, 20000000);
constexpr int kMaxRegionRects = 100000;
constexpr int kMaxRegionPoints = 1000000;
// Qt builds no region from a polygon more than 100,000 rows tall (it returns an empty one and
// keeps the memory of the attempt); taller polygons are built on a coarser grid.
constexpr int kMaxPolygonRows = 65536;

// The part of a polygon on one side of an axis-parallel line; the winding of every point on
// that side stays as it was, so both fill rules give the same area there.
QPolygonF keepSide(const QPolygonF& in, bool vertical, double at, bool keepGreater) {
    QPolygonF out;
    const int n = int(in.size());
    if (n == 0)
        return out;
    out.reserve(n + 4);
    auto coord = [vertical](const QPointF& p) { return vertical ? p.x() : p.y(); };
    auto inside = [&](const QPointF& p) { return keepGreater ? coord(p) >= at : coord(p) <= at; };
    QPointF prev = in.last();
    bool prevIn = inside(prev);
    for (const QPointF& cur : in) {
        const bool curIn = inside(cur);
        if (curIn != prevIn) {
            const double t = (at - coord(prev)) / (coord(cur) - coord(prev));
            const QPointF cut = prev + (cur - prev) * t;
            out.append(vertical ? QPointF(at, cut.y()) : QPointF(cut.x(), at));
        }
        if (curIn)
            out.append(cur);
        prev = cur;
        prevIn = curIn;
    }
    return out;
}

QRegion polygonRegion(const QPainterPath& path, const QRectF& window, int detailStep) {
    const QRectF bounds = path.boundingRect();
    if (!std::isfinite(bounds.left()) || !std::isfinite(bounds.top()) ||
        !std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
        return {};
    QPolygonF fill = path.toFillPolygon();
    if (!window.contains(bounds)) {
        fill = keepSide(fill, true, window.left(), true);
        fill = keepSide(fill, true, window.right(), false);
        fill = keepSide(fill, false, window.top(), true);
        fill = keepSide(fill, false, window.bottom(), false);
    }
    const double rows = fill.boundingRect().height();
    const int step = std::max(detailStep, int(std::ceil(rows / kMaxPolygonRows)));
    if (step <= 1)
        return QRegion(fill.toPolygon(), path.fillRule());
    for (QPointF& p : fill)
        p /= step;
    const QRegion coarse(fill.toPolygon(), path.fillRule());
    QList<QRect> rects;
    rects.reserve(coarse.rectCount());
    // Scaling keeps the rectangles in their bands and in order, as setRects needs them.
    for (const QRect& r : coarse)
        rects.append(QRect(r.x() * step, r.y() * step, r.width() * step, r.height() * step));
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

QRect roundedRect(const QRectF& r) {
    QRectF n = r.normalized();
    int l = int(std::lround(qBound(-1e7, n.left(), 1e7)));
    int t = int(std::lround(qBound(-1e7, n.top(), 1e7)));
    int rt = int(std::lround(qBound(-1e7, n.right(), 1e7)));
    int b = int(std::lround(qBound(-1e7, n.bottom(), 1e7)));
    return QRect(QPoint(l, t), QPoint(rt - 1, b - 1));
}

bool isAxisRect(const QPolygonF& p, QRectF& out) {
    int n = int(p.size());
    if (n == 5 && p.first() == p.last())
        n = 4;
    if (n != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        QPointF a = p[i], b = p[(i + 1) % 4];
        if (a.x() != b.x() && a.y() != b.y())
            return false;
    }
    out = QPolygonF(p).boundingRect();
    return true;
}

double signedArea(const QPolygonF& p) {
    double a = 0;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QPointF& u = p[i];
        const QPointF& v = p[(i + 1) % p.size()];
        a += u.x() * v.y() - v.x() * u.y();
    }
    return a / 2;
}

QString num(double v) {
    if (!std::isfinite(v))
        return QStringLiteral("nan");
    return QString::number(std::round(v * 10) / 10, 'g', 10);
}
} // namespace

GdiPlayer::GdiPlayer(QPainter& painter, const QTransform& deviceToDest,
                     const TMetafilePlayOptions& opts)
    : m_painter(painter), m_deviceToDest(deviceToDest), m_opts(opts),
      m_maxRecords(TMetafilePlayer::MaxRecords()),
      m_fewFonts(TMetafilePlayer::FewFonts()) {
    m_painter.save();
    m_base = m_painter.transform();
    m_baseHasClip = m_painter.hasClipping();
    if (m_baseHasClip)
        m_baseClip = m_painter.clipPath();
    m_painter.setTransform(m_deviceToDest * m_base);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    objects.resize(16);
    // Clip regions are kept in whole pixels as GDI does, but of a grid at least as fine as
    // the output, so that a picture of a coarse reference device enlarged shows no steps.
    const double outScale = std::sqrt(std::abs((m_deviceToDest * m_base).determinant()));
    if (std::isfinite(outScale))
        m_clipGrid = qBound(1, int(std::ceil(outScale - 0.01)), 64);
}

GdiPlayer::~GdiPlayer() {
    flushLines();
    m_painter.restore();
}

QTransform InvertedAffine(const QTransform& t, bool* invertible) {
    const double det = t.m11() * t.m22() - t.m12() * t.m21();
    if (t.isAffine() && det != 0 && std::isfinite(det)) {
        // Scaled to a determinant of one first, then the scale is taken back out.
        const double k = 1 / std::sqrt(std::abs(det));
        if (std::isfinite(k)) {
            bool ok = false;
            const QTransform unit = (t * QTransform::fromScale(k, k)).inverted(&ok);
            if (ok) {
                if (invertible)
                    *invertible = true;
                return QTransform::fromScale(k, k) * unit;
            }
        }
    }
    return t.inverted(invertible);
}

QRegion RegionFromPath(const QPainterPath& path, const QRectF& window, int detailStep) {
    if (path.elementCount() > kMaxRegionPoints)
        return {};
    QList<QPolygonF> polys = path.toSubpathPolygons();
    QList<QRegion> parts;
    parts.reserve(polys.size());
    // Rectangles are joined as the fill rule joins them: the alternate rule makes a hole
    // where two overlap (a frame drawn as two rectangles), the winding rule only where they
    // turn opposite ways, which is left to the polygon.
    const bool alternate = path.fillRule() == Qt::OddEvenFill;
    int turn = 0;
    for (const QPolygonF& poly : polys) {
        QRectF r;
        if (!isAxisRect(poly, r)) {
            parts.clear();
            break;
        }
        if (!alternate) {
            const int t = signedArea(poly) < 0 ? -1 : 1;
            if (turn != 0 && t != turn) {
                parts.clear();
                break;
            }
            turn = t;
        }
        if (parts.size() >= kMaxRegionRects)
            break;
        parts.append(QRegion(roundedRect(r)));
    }
    if (parts.isEmpty() && !polys.isEmpty())
        return polygonRegion(path, window.intersected(QRectF(kUniverse)),
                             qBound(1, detailStep, kUniverse.width()));
    // Pairwise merging keeps the cost near n log n.
    while (parts.size() > 1) {
        QList<QRegion> next;
        next.reserve(parts.size() / 2 + 1);
        for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
            next.append(alternate ? parts[i].xored(parts[i + 1]) : parts[i].united(parts[i + 1]));
        if (parts.size() % 2)
            next.append(parts.last());
        parts.swap(next);
    }
    return parts.isEmpty() ? QRegion() : parts.first();
}

// ---------------------------------------------------------------- state

void GdiPlayer::saveDc() {
    if (int(m_stack.size()) >= kMaxDcDepth) {
        // Deeper nesting only comes from broken or hostile files; keep the depth fixed so
        // the matching RestoreDC still pops the right level.
        m_stack.pop_front();
    }
    // The path belongs to the DC: a path filled inside a saved level is there again after
    // the restore (office programs fill it, restore, then clip to it).
    m_stack.push_back({dc, m_path, m_pathOpen, m_pathDefined});
}

void GdiPlayer::restoreDc(int which) {
    int depth = int(m_stack.size());
    int target; // number of saved states that remain after the restore
    if (which < 0)
        target = depth + which;
    else
        target = which - 1;
    if (target < 0 || target >= depth)
        return; // GDI refuses a level that does not exist
    const bool hadClip = dc.hasClip;
    const QRegion oldClip = dc.clip;
    SavedDc& saved = m_stack[size_t(target)];
    dc = saved.dc;
    m_path = saved.path;
    m_pathOpen = saved.pathOpen;
    m_pathDefined = saved.pathDefined;
    m_stack.resize(size_t(target));
    m_clipDirty = true;
    if (tracing() && (hadClip != dc.hasClip || oldClip != dc.clip))
        traceClip();
}

void GdiPlayer::setMapMode(int mode) {
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    int old = dc.mapMode;
    dc.mapMode = mode;
    // Device units per millimetre of the reference device.
    double mmScale = 0;
    switch (mode) {
    case MM_LOMETRIC: mmScale = 0.1; break;
    case MM_HIMETRIC: mmScale = 0.01; break;
    case MM_LOENGLISH: mmScale = 0.254; break;
    case MM_HIENGLISH: mmScale = 0.0254; break;
    case MM_TWIPS: mmScale = 25.4 / 1440; break;
    default: break;
    }
    if (mode == MM_TEXT) {
        dc.windowExt = {1, 1};
        dc.viewportExt = {1, 1};
    } else if (mmScale > 0) {
        dc.windowExt = {1, 1};
        dc.viewportExt = {mmScale * devPerMmX, -mmScale * devPerMmY};
    } else if (mode == MM_ISOTROPIC && old != MM_ISOTROPIC && old != MM_ANISOTROPIC) {
        // keeps the extents of the fixed mode it came from, like GDI
    }
}

void GdiPlayer::setWindowExt(QSizeF s) {
    if (dc.mapMode != MM_ISOTROPIC && dc.mapMode != MM_ANISOTROPIC)
        return;
    if (s.width() == 0 || s.height() == 0)
        return;
    dc.windowExt = s;
}

void GdiPlayer::setViewportExt(QSizeF s) {
    if (dc.mapMode != MM_ISOTROPIC && dc.mapMode != MM_ANISOTROPIC)
        return;
    if (s.width() == 0 || s.height() == 0)
        return;
    dc.viewportExt = s;
}

void GdiPlayer::scaleWindowExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen == 0 || yDen == 0)
        return;
    setWindowExt(QSizeF(dc.windowExt.width() * xNum / xDen, dc.windowExt.height() * yNum / yDen));
}

void GdiPlayer::scaleViewportExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen == 0 || yDen == 0)
        return;
    setViewportExt(
        QSizeF(dc.viewportExt.width() * xNum / xDen, dc.viewportExt.height() * yNum / yDen));
}

void GdiPlayer::modifyWorld(const QTransform& t, int mode) {
    switch (mode) {
    case 1: dc.world = QTransform(); break;     // MWT_IDENTITY
    case 2: dc.world = t * dc.world; break;     // MWT_LEFTMULTIPLY
    case 3: dc.world = dc.world * t; break;     // MWT_RIGHTMULTIPLY
    case 4: dc.world = t; break;                // MWT_SET
    default: break;
    }
}

QTransform GdiPlayer::logicalToDevice() const {
    double sx = dc.viewportExt.width() / dc.windowExt.width();
    double sy = dc.viewportExt.height() / dc.windowExt.height();
    if (dc.mapMode == MM_ISOTROPIC) {
        // The smaller scale wins on both axes; the signs stay.
        double s = qMin(std::abs(sx), std::abs(sy));
        sx = sx < 0 ? -s : s;
        sy = sy < 0 ? -s : s;
    }
    QTransform page(sx, 0, 0, sy, dc.viewportOrg.x() - dc.windowOrg.x() * sx,
                    dc.viewportOrg.y() - dc.windowOrg.y() * sy);
    return dc.world * page;
}

double GdiPlayer::logicalScale() const {
    QTransform t = logicalToDevice();
    return std::sqrt(std::abs(t.determinant()));
}

// ---------------------------------------------------------------- objects

int GdiPlayer::insertLowestFree(GdiObject obj) {
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].kind == GdiObject::Free) {
            objects[i] = std::move(obj);
            return int(i);
        }
    }
    if (int(objects.size()) >= kMaxObjects)
        return -1;
    objects.push_back(std::move(obj));
    return int(objects.size()) - 1;
}

void GdiPlayer::putObject(quint32 index, GdiObject obj) {
    if (index >= quint32(kMaxObjects))
        return;
    if (index >= objects.size())
        objects.resize(size_t(index) + 1);
    objects[index] = std::move(obj);
}

void GdiPlayer::selectObject(quint32 index) {
    if (index & 0x80000000u) {
        selectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    if (!validIndex(index))
        return;
    const GdiObject& o = objects[index];
    switch (o.kind) {
    case GdiObject::Pen: dc.pen = o.pen; break;
    case GdiObject::Brush: dc.brush = o.brush; break;
    case GdiObject::Font: dc.font = o.font; break;
    case GdiObject::Palette: dc.palette = o.palette; break;
    case GdiObject::Region: setClipRegion(o.region, RGN_COPY, false); break;
    default: break;
    }
}

void GdiPlayer::selectStockObject(quint32 n) {
    auto solidBrush = [this](QColor c) {
        dc.brush = LogBrush();
        dc.brush.color = c;
    };
    switch (n) {
    case 0: solidBrush(Qt::white); break;
    case 1: solidBrush(QColor(192, 192, 192)); break;
    case 2: solidBrush(QColor(128, 128, 128)); break;
    case 3: solidBrush(QColor(64, 64, 64)); break;
    case 4: solidBrush(Qt::black); break;
    case 5: dc.brush = LogBrush(); dc.brush.style = BS_NULL; break;
    case 6: dc.pen = LogPen(); dc.pen.color = Qt::white; break;
    case 7: dc.pen = LogPen(); break;
    case 8: dc.pen = LogPen(); dc.pen.style = PS_NULL; break;
    case 10: case 11: case 16:
        dc.font = LogFont();
        dc.font.face = QStringLiteral("Courier New");
        break;
    case 12: case 13: case 14: case 17:
        dc.font = LogFont();
        break;
    case 15: dc.palette.clear(); break;
    default: break; // DC_BRUSH/DC_PEN keep what is selected
    }
}

void GdiPlayer::deleteObject(quint32 index) {
    if (validIndex(index))
        objects[index] = GdiObject();
}

// ---------------------------------------------------------------- drawing

bool GdiPlayer::spendPoints(qint64 n) {
    if (n < 0 || m_points + n > kMaxPoints) {
        stop(QStringLiteral("Zu viele Punkte; die Wiedergabe wurde abgebrochen."));
        return false;
    }
    m_points += n;
    return true;
}

void GdiPlayer::stop(const QString& why) {
    m_stopped = true;
    if (m_opts.stats && m_opts.stats->problem.isEmpty())
        m_opts.stats->problem = why;
}

void GdiPlayer::unsupported(const QString& name) {
    if (m_opts.stats)
        ++m_opts.stats->unsupported[name];
}

QString GdiPlayer::fmt(QPointF p) const {
    QPointF d = m_deviceToDest.map(p);
    return num(d.x()) + QLatin1Char(',') + num(d.y());
}

QString GdiPlayer::traceBox(const QRectF& deviceRect) const {
    QRectF b = m_deviceToDest.mapRect(deviceRect.normalized());
    return num(b.left()) + QLatin1Char(',') + num(b.top()) + QLatin1Char(',') + num(b.right()) +
           QLatin1Char(',') + num(b.bottom());
}

QString GdiPlayer::tracePath(const QPainterPath& path) const {
    return QString::number(path.elementCount()) + QLatin1Char(' ') + traceBox(path.boundingRect());
}

QPen GdiPlayer::makePen() const {
    const LogPen& p = dc.pen;
    if (p.style == PS_NULL)
        return Qt::NoPen;
    double devWidth = p.cosmetic ? 0 : p.width * logicalScale();
    if (!p.cosmetic && minPenWidth > 0) {
        // The least width is one of the page's device pixels as the world transform draws
        // it: programs that place through a shrinking world transform (GDI+ in sixteenths
        // of a pixel) count widths in its units and mean a hairline by one pixel's worth.
        const double world = std::sqrt(std::abs(dc.world.determinant()));
        if (std::isfinite(world))
            devWidth = std::max(devWidth, minPenWidth * std::min(world, 1.0));
    }
    double destScale = deviceToDestScale();
    QPen pen(p.color);
    // GDI draws a pen narrower than a pixel of the output one pixel wide. Smoothed output
    // shows such a pen fainter, down to half a pixel, so that a picture drawn much smaller
    // than its device (an EMF's screen) does not turn heavy where it is drawn with fine pens.
    if (devWidth * destScale >= 1.0)
        pen.setWidthF(devWidth);
    else if (m_painter.testRenderHint(QPainter::Antialiasing) && devWidth > 0 && minPenWidth > 0)
        pen.setWidthF(std::max(devWidth, 0.5 / destScale));
    else
        pen.setWidthF(0);
    switch (p.style) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: case PS_ALTERNATE: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    case PS_USERSTYLE: {
        QVector<qreal> d;
        double w = qMax(1.0, devWidth);
        for (qreal v : p.dashes)
            d << qMax<qreal>(0.1, v * logicalScale() / w);
        if (d.size() % 2)
            d << d.last();
        if (!d.isEmpty())
            pen.setDashPattern(d);
        break;
    }
    default: pen.setStyle(Qt::SolidLine); break;
    }
    // Round ends and joins of lines under three pixels cannot be told from square ones, but
    // cost curve segments at every vertex; thin lines take the cheap forms.
    const bool thin = devWidth * destScale < 3.0;
    Qt::PenCapStyle roundCap = thin ? Qt::SquareCap : Qt::RoundCap;
    Qt::PenJoinStyle roundJoin = thin ? Qt::BevelJoin : Qt::RoundJoin;
    pen.setCapStyle(p.endCap == 0x100 ? Qt::SquareCap : p.endCap == 0x200 ? Qt::FlatCap : roundCap);
    pen.setJoinStyle(p.join == 0x1000 ? Qt::BevelJoin : p.join == 0x2000 ? Qt::MiterJoin : roundJoin);
    pen.setMiterLimit(dc.miterLimit);
    return pen;
}

QBrush GdiPlayer::makeBrush(const LogBrush& b) const {
    switch (b.style) {
    case BS_NULL: return Qt::NoBrush;
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern,
                                                 Qt::DiagCrossPattern};
        return QBrush(b.color, hatches[qBound(0, b.hatch, 5)]);
    }
    case BS_PATTERN: case BS_DIBPATTERN: case BS_DIBPATTERNPT:
        if (!b.pattern.isNull())
            return QBrush(b.pattern);
        return QBrush(b.color);
    default: return QBrush(b.color);
    }
}

bool GdiPlayer::hasRasterOps() const {
    QPaintEngine* e = m_painter.paintEngine();
    return e && e->hasFeature(QPaintEngine::RasterOpModes);
}

void GdiPlayer::applyClip() {
    if (!m_clipDirty)
        return;
    const QTransform grid = QTransform::fromScale(1.0 / m_clipGrid, 1.0 / m_clipGrid);
    if (m_baseHasClip) {
        m_painter.setTransform(m_base);
        m_painter.setClipPath(m_baseClip);
        m_painter.setTransform(grid * m_deviceToDest * m_base);
        if (dc.hasClip)
            m_painter.setClipRegion(dc.clip, Qt::IntersectClip);
        m_painter.setTransform(m_deviceToDest * m_base);
    } else if (dc.hasClip) {
        // Replacing directly: switching clipping off first loses a following region clip
        // in Qt's raster engine. Where it was switched off for drawing without clip, it is
        // switched on again first: the engine reuses its switched-off clip for the region.
        if (!m_painter.hasClipping())
            m_painter.setClipping(true);
        m_painter.setTransform(grid * m_deviceToDest * m_base);
        m_painter.setClipRegion(dc.clip, Qt::ReplaceClip);
        m_painter.setTransform(m_deviceToDest * m_base);
    } else {
        m_painter.setClipping(false);
    }
    m_clipDirty = false;
}

QPen GdiPlayer::seamPen(const QBrush& brush) const {
    // GDI fills without smoothing, so shapes that share an edge tile the area. Smoothed,
    // each covers the edge's pixels only in part and the page shows through the seam (a
    // light grid over surface plots); a line of the fill's own colour closes it. It is one
    // pixel of the device wide, no wider than one of the output: a picture drawn small keeps
    // its thin filled shapes thin.
    if (brush.style() != Qt::SolidPattern || !m_painter.testRenderHint(QPainter::Antialiasing))
        return Qt::NoPen;
    const double destScale = deviceToDestScale();
    if (!(destScale > 0) || !std::isfinite(destScale))
        return Qt::NoPen;
    return QPen(brush.color(), std::min(1.0, 1.0 / destScale));
}

void GdiPlayer::emitPath(const QPainterPath& path, bool fill, bool stroke) {
    if (m_stopped || path.isEmpty())
        return;
    if (dc.rop2 == R2_NOP)
        return;
    if (!spendPoints(path.elementCount()))
        return;
    QPen pen = stroke ? makePen() : QPen(Qt::NoPen);
    QBrush brush = fill ? makeBrush(dc.brush) : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    if (pen.style() == Qt::NoPen && dc.rop2 == R2_COPYPEN)
        pen = seamPen(brush);
    applyClip();
    QPainterPath p = path;
    p.setFillRule(dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);

    // A dashed pen along a path that is very long for its dash length would take the dasher
    // ages; such lines are drawn solid.
    if (pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen) {
        double destScale = deviceToDestScale();
        double unit = qMax(1.0, pen.widthF() * destScale);
        if (p.length() * destScale / unit > 200000)
            pen.setStyle(Qt::SolidLine);
    }

    bool raster = hasRasterOps();
    switch (dc.rop2) {
    case R2_BLACK: pen.setColor(Qt::black); brush.setColor(Qt::black); break;
    case R2_WHITE: pen.setColor(Qt::white); brush.setColor(Qt::white); break;
    case R2_XORPEN:
        if (raster)
            m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        break;
    case R2_NOTXORPEN:
        if (raster)
            m_painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        break;
    case R2_MASKPEN:
        if (raster)
            m_painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        break;
    case R2_MERGEPEN:
        if (raster)
            m_painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        break;
    case R2_NOT:
        if (raster)
            m_painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        break;
    default: break;
    }
    // Hatched brushes in opaque mode lay the background colour under the hatch.
    if (fill && dc.brush.style == BS_HATCHED && dc.bkMode == OPAQUE) {
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(dc.bkColor);
        m_painter.drawPath(p);
    }
    m_painter.setPen(pen);
    m_painter.setBrush(brush);
    m_painter.setBrushOrigin(dc.brushOrg);
    m_painter.drawPath(p);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void GdiPlayer::addToPathOrDraw(const QPainterPath& logicalPath, bool closedShape) {
    QPainterPath dev = logicalToDevice().map(logicalPath);
    if (m_pathOpen) {
        m_path.addPath(dev);
        return;
    }
    if (tracing())
        trace(closedShape ? QStringLiteral("polygon ") + tracePath(dev) + QStringLiteral(" fill stroke")
                          : QStringLiteral("polyline ") + tracePath(dev));
    emitPath(dev, closedShape, true);
}

void GdiPlayer::moveTo(QPointF p) {
    dc.curPos = p;
    if (m_pathOpen)
        m_path.moveTo(toDevice(p));
}

bool GdiPlayer::canBatchLines() const {
    // Joined segments look like separate ones only with round ends and joins (or one-pixel
    // pens), a solid line and plain copying.
    const LogPen& p = dc.pen;
    return dc.rop2 == R2_COPYPEN && (p.style == PS_SOLID || p.style == PS_INSIDEFRAME) &&
           (p.cosmetic || p.width == 0 || (p.endCap == 0 && p.join == 0));
}

void GdiPlayer::flushLines() {
    if (m_lines.isEmpty())
        return;
    QPainterPath lines;
    lines.swap(m_lines);
    if (tracing())
        trace(QStringLiteral("polyline ") + tracePath(lines));
    emitPath(lines, false, true);
}

void GdiPlayer::lineTo(QPointF p) {
    if (!m_pathOpen && !m_stopped && canBatchLines()) {
        QTransform t = logicalToDevice();
        QPointF a = t.map(dc.curPos);
        if (m_lines.elementCount() == 0 || m_lines.currentPosition() != a)
            m_lines.moveTo(a);
        m_lines.lineTo(t.map(p));
        dc.curPos = p;
        if (m_lines.elementCount() >= 8192)
            flushLines();
        return;
    }
    QPolygonF pts;
    pts << p;
    polylineTo(pts);
}

void GdiPlayer::polylineTo(const QPolygonF& pts) {
    if (pts.isEmpty())
        return;
    if (m_pathOpen) {
        QTransform t = logicalToDevice();
        QPointF start = t.map(dc.curPos);
        if (m_path.elementCount() == 0 || m_path.currentPosition() != start)
            m_path.moveTo(start);
        for (QPointF p : pts)
            m_path.lineTo(t.map(p));
        dc.curPos = pts.last();
        return;
    }
    QPolygonF all;
    all.reserve(pts.size() + 1);
    all << dc.curPos << pts;
    dc.curPos = pts.last();
    polyline(all);
}

void GdiPlayer::polyline(const QPolygonF& pts) {
    if (pts.size() < 2)
        return;
    QPainterPath p;
    p.addPolygon(pts);
    addToPathOrDraw(p, false);
}

void GdiPlayer::polygon(const QPolygonF& pts) {
    if (pts.size() < 2)
        return;
    QPainterPath p;
    p.addPolygon(pts);
    p.closeSubpath();
    addToPathOrDraw(p, true);
}

void GdiPlayer::polyPolygon(const QVector<QPolygonF>& polys) {
    QPainterPath p;
    for (const QPolygonF& poly : polys) {
        if (poly.size() < 2)
            continue;
        p.addPolygon(poly);
        p.closeSubpath();
    }
    addToPathOrDraw(p, true);
}

void GdiPlayer::polyPolyline(const QVector<QPolygonF>& polys) {
    QPainterPath p;
    for (const QPolygonF& poly : polys)
        if (poly.size() >= 2)
            p.addPolygon(poly);
    addToPathOrDraw(p, false);
}

void GdiPlayer::polyBezier(const QPolygonF& pts, bool fromCurrent) {
    QPainterPath p;
    int i = 0;
    if (fromCurrent) {
        p.moveTo(dc.curPos);
    } else {
        if (pts.isEmpty())
            return;
        p.moveTo(pts[0]);
        i = 1;
    }
    for (; i + 2 < pts.size(); i += 3)
        p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    if (fromCurrent) {
        if (i > 0)
            dc.curPos = pts[i - 1];
        if (m_pathOpen) {
            // Continue the current figure instead of starting a new one.
            QPainterPath dev = logicalToDevice().map(p);
            if (m_path.elementCount() == 0 || m_path.currentPosition() != dev.elementAt(0))
                m_path.moveTo(dev.elementAt(0));
            m_path.connectPath(dev);
            return;
        }
    }
    addToPathOrDraw(p, false);
}

void GdiPlayer::polyDraw(const QPolygonF& pts, const QByteArray& types) {
    QPainterPath p;
    p.moveTo(dc.curPos);
    for (int i = 0; i < pts.size() && i < types.size(); ++i) {
        int t = quint8(types[i]);
        switch (t & ~1) {
        case 6: p.moveTo(pts[i]); break;
        case 2: p.lineTo(pts[i]); break;
        case 4:
            if (i + 2 < pts.size()) {
                p.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
                i += 2;
                t = quint8(types[qMin<qsizetype>(i, types.size() - 1)]);
            }
            break;
        default: break;
        }
        if (t & 1)
            p.closeSubpath();
        dc.curPos = pts[qMin<qsizetype>(i, pts.size() - 1)];
    }
    addToPathOrDraw(p, false);
}

void GdiPlayer::rectangle(QRectF r) {
    QPainterPath p;
    p.addRect(r.normalized());
    addToPathOrDraw(p, true);
}

void GdiPlayer::roundRect(QRectF r, QSizeF corner) {
    QPainterPath p;
    QRectF n = r.normalized();
    p.addRoundedRect(n, qMin(std::abs(corner.width()) / 2, n.width() / 2),
                     qMin(std::abs(corner.height()) / 2, n.height() / 2), Qt::AbsoluteSize);
    addToPathOrDraw(p, true);
}

void GdiPlayer::ellipse(QRectF r) {
    QPainterPath p;
    p.addEllipse(r.normalized());
    addToPathOrDraw(p, true);
}

void GdiPlayer::arc(QRectF box, QPointF start, QPointF end, ArcKind kind) {
    QRectF b = box.normalized();
    if (b.width() <= 0 || b.height() <= 0)
        return;
    QPointF c = b.center();
    double rx = b.width() / 2, ry = b.height() / 2;
    // Qt angles are parametric and counter-clockwise on screen, as GDI's default.
    auto angleOf = [&](QPointF p) {
        return qRadiansToDegrees(std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx));
    };
    double a0 = angleOf(start), a1 = angleOf(end);
    double sweep;
    if (dc.arcDirection == AD_CLOCKWISE) {
        sweep = std::fmod(a0 - a1 + 720.0, 360.0);
        if (sweep <= 1e-9)
            sweep = 360;
        sweep = -sweep;
    } else {
        sweep = std::fmod(a1 - a0 + 720.0, 360.0);
        if (sweep <= 1e-9)
            sweep = 360;
    }
    QPainterPath p;
    switch (kind) {
    case ArcKind::Arc:
        p.arcMoveTo(b, a0);
        p.arcTo(b, a0, sweep);
        break;
    case ArcKind::ArcTo: {
        QPainterPath tmp;
        tmp.arcMoveTo(b, a0);
        p.moveTo(dc.curPos);
        p.lineTo(tmp.currentPosition());
        p.arcTo(b, a0, sweep);
        dc.curPos = p.currentPosition();
        break;
    }
    case ArcKind::Chord:
        p.arcMoveTo(b, a0);
        p.arcTo(b, a0, sweep);
        p.closeSubpath();
        break;
    case ArcKind::Pie:
        p.moveTo(c);
        p.arcTo(b, a0, sweep);
        p.closeSubpath();
        break;
    }
    addToPathOrDraw(p, kind == ArcKind::Chord || kind == ArcKind::Pie);
}

void GdiPlayer::angleArc(QPointF center, double radius, double startDeg, double sweepDeg) {
    if (!std::isfinite(startDeg) || !std::isfinite(sweepDeg) || radius <= 0)
        return;
    sweepDeg = qBound(-3600.0, sweepDeg, 3600.0);
    QRectF b(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath p;
    p.moveTo(dc.curPos);
    QPainterPath tmp;
    tmp.arcMoveTo(b, startDeg);
    p.lineTo(tmp.currentPosition());
    p.arcTo(b, startDeg, sweepDeg);
    dc.curPos = p.currentPosition();
    addToPathOrDraw(p, false);
}

void GdiPlayer::setPixel(QPointF p, QColor c) {
    if (m_stopped || m_pathOpen)
        return;
    applyClip();
    QPointF d = toDevice(p);
    m_painter.fillRect(QRectF(d, QSizeF(1, 1)), c);
}

// ---------------------------------------------------------------- paths

void GdiPlayer::beginPath() {
    m_path = QPainterPath();
    m_pathOpen = true;
    m_pathDefined = false;
}

void GdiPlayer::abortPath() {
    m_path = QPainterPath();
    m_pathOpen = false;
    m_pathDefined = false;
}

void GdiPlayer::closeFigure() {
    if (m_pathOpen)
        m_path.closeSubpath();
}

void GdiPlayer::fillPath() {
    m_pathOpen = false;
    m_pathDefined = false;
    if (tracing())
        trace(QStringLiteral("polygon ") + tracePath(m_path) + QStringLiteral(" fill path"));
    emitPath(m_path, true, false);
    m_path = QPainterPath();
}

void GdiPlayer::strokePath() {
    m_pathOpen = false;
    m_pathDefined = false;
    if (tracing())
        trace(QStringLiteral("polyline ") + tracePath(m_path) + QStringLiteral(" path"));
    emitPath(m_path, false, true);
    m_path = QPainterPath();
}

void GdiPlayer::strokeAndFillPath() {
    m_pathOpen = false;
    m_pathDefined = false;
    if (tracing())
        trace(QStringLiteral("polygon ") + tracePath(m_path) + QStringLiteral(" fill stroke path"));
    emitPath(m_path, true, true);
    m_path = QPainterPath();
}

void GdiPlayer::flattenPath() {
    // Curves become polylines; Qt draws both alike, so only the form changes.
    QPainterPath flat;
    for (const QPolygonF& poly : m_path.toSubpathPolygons())
        flat.addPolygon(poly);
    m_path = flat;
}

void GdiPlayer::widenPath() {
    QPainterPathStroker s;
    s.setWidth(qMax(1.0, dc.pen.width * logicalScale()));
    m_path = s.createStroke(m_path);
}

void GdiPlayer::selectClipPath(int mode) {
    // GDI refuses without a closed path bracket (none yet, or used up by a fill) and leaves
    // the clip as it was.
    if (m_pathOpen || !m_pathDefined)
        return;
    m_pathDefined = false;
    // Every figure of the path is closed for the region, filled by the DC's fill mode.
    QPainterPath area = m_path;
    area.setFillRule(dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    setClipRegion(clipRegionOf(area), mode, false);
    m_path = QPainterPath();
}

// ---------------------------------------------------------------- clipping

void GdiPlayer::intersectClipRect(QRectF r) {
    QPainterPath p;
    p.addRect(r.normalized());
    setClipRegion(logicalToDevice().map(p), RGN_AND, false);
}

void GdiPlayer::excludeClipRect(QRectF r) {
    QPainterPath p;
    p.addRect(r.normalized());
    setClipRegion(logicalToDevice().map(p), RGN_DIFF, false);
}

void GdiPlayer::offsetClip(QPointF logicalOffset) {
    if (!dc.hasClip)
        return;
    QTransform t = logicalToDevice();
    QPointF d = t.map(logicalOffset) - t.map(QPointF(0, 0));
    if (!std::isfinite(d.x()) || !std::isfinite(d.y()))
        return;
    dc.clip.translate(int(std::lround(qBound(-1e7, d.x() * m_clipGrid, 1e7))),
                      int(std::lround(qBound(-1e7, d.y() * m_clipGrid, 1e7))));
    m_clipDirty = true;
    traceClip();
}

QRegion GdiPlayer::clipRegionOf(const QPainterPath& devicePath) const {
    // Beyond the output a clip needs no detail; the window reaches half an output size
    // further on every side, so that a region moved by OffsetClipRgn still has its edges.
    // Nor does it need finer steps than an output pixel where the picture is drawn small.
    QRectF window = QRectF(kUniverse);
    int detailStep = 1;
    const QTransform toGrid = QTransform::fromScale(m_clipGrid, m_clipGrid);
    const QPaintDevice* out = m_painter.device();
    const QTransform toOutput = m_deviceToDest * m_base;
    bool invertible = false;
    const QTransform toDevice = InvertedAffine(toOutput, &invertible);
    if (out && invertible && out->width() > 0 && out->height() > 0) {
        const QRectF seen = toDevice.mapRect(QRectF(0, 0, out->width(), out->height()));
        const QRectF grid = toGrid.mapRect(seen);
        if (std::isfinite(grid.width()) && std::isfinite(grid.height()))
            window = grid.adjusted(-grid.width() / 2 - 16, -grid.height() / 2 - 16,
                                   grid.width() / 2 + 16, grid.height() / 2 + 16);
        const double largestScale = std::max(std::hypot(toOutput.m11(), toOutput.m12()),
                                             std::hypot(toOutput.m21(), toOutput.m22()));
        const double gridPerPixel = m_clipGrid / largestScale;
        if (std::isfinite(gridPerPixel) && gridPerPixel >= 2)
            detailStep = int(std::min(gridPerPixel, 1e7));
    }
    return RegionFromPath(m_clipGrid == 1 ? devicePath : toGrid.map(devicePath), window,
                          detailStep);
}

void GdiPlayer::setClipRegion(const QPainterPath& region, int mode, bool reset) {
    setClipRegion(reset ? QRegion() : clipRegionOf(region), mode, reset);
}

void GdiPlayer::setClipRegion(const QRegion& region, int mode, bool reset) {
    m_clipDirty = true;
    if (reset) {
        dc.hasClip = false;
        dc.clip = QRegion();
        traceClip();
        return;
    }
    QRegion current = dc.hasClip ? dc.clip : QRegion(kUniverse);
    switch (mode) {
    case RGN_AND: current = current.intersected(region); break;
    case RGN_OR: current = current.united(region); break;
    case RGN_XOR: current = current.xored(region); break;
    case RGN_DIFF: current = current.subtracted(region); break;
    case RGN_COPY: current = region; break;
    default: return;
    }
    dc.clip = current;
    dc.hasClip = true;
    traceClip();
}

void GdiPlayer::traceClip() {
    if (!tracing())
        return;
    if (!dc.hasClip)
        trace(QStringLiteral("clip none"));
    else if (dc.clip.isEmpty())
        trace(QStringLiteral("clip empty"));
    else
        trace(QStringLiteral("clip ") +
              traceBox(QTransform::fromScale(1.0 / m_clipGrid, 1.0 / m_clipGrid)
                           .mapRect(QRectF(dc.clip.boundingRect()))) +
              QStringLiteral(" rects=%1").arg(dc.clip.rectCount()));
}

void GdiPlayer::fillRegion(const QPainterPath& region, const LogBrush& brush) {
    if (m_stopped)
        return;
    applyClip();
    if (tracing())
        trace(QStringLiteral("polygon ") + tracePath(region) + QStringLiteral(" fill region"));
    m_painter.fillPath(region, makeBrush(brush));
}

void GdiPlayer::frameRegion(const QPainterPath& region, const LogBrush& brush, QSizeF size) {
    if (m_stopped)
        return;
    applyClip();
    QPen pen(makeBrush(brush), qMax(1.0, std::abs(size.width()) * logicalScale()));
    m_painter.strokePath(region, pen);
}

void GdiPlayer::fillDevice(const QPainterPath& path, const QBrush& brush, const QString& what) {
    if (m_stopped || m_pathOpen || !spendPoints(path.elementCount()))
        return;
    applyClip();
    if (tracing())
        trace(QStringLiteral("polygon ") + tracePath(path) + QStringLiteral(" fill ") + what);
    m_painter.fillPath(path, brush);
    const QPen seam = seamPen(brush);
    if (seam.style() != Qt::NoPen)
        m_painter.strokePath(path, seam);
}

void GdiPlayer::invertRegion(const QPainterPath& region) {
    if (m_stopped || !hasRasterOps())
        return;
    applyClip();
    m_painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    m_painter.fillPath(region, Qt::black);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace mf
