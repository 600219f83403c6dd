#include "emfpaintdevice.h"

#include "tmetafile.h"
#include "tmetafilecanvas.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <cmath>

namespace {

// Recorded units per device pixel: fine enough for print, far from overflowing.
constexpr double kSub = 16.0;

TColor colorRef(const QColor& c) {
    const QColor rgb = c.toRgb();
    return TColor(rgb.red()) | (TColor(rgb.green()) << 8) | (TColor(rgb.blue()) << 16);
}

int toUnits(double v) {
    return int(std::lround(std::clamp(v * kSub, -2.0e9, 2.0e9)));
}

QPoint toUnits(const QPointF& p) {
    return QPoint(toUnits(p.x()), toUnits(p.y()));
}

QList<QPoint> toUnits(const QPolygonF& poly) {
    QList<QPoint> out;
    out.reserve(poly.size());
    for (const QPointF& p : poly)
        out.append(toUnits(p));
    return out;
}

double lengthScale(const QTransform& t) {
    return std::sqrt(std::fabs(t.determinant()));
}

} // namespace

class TEmfPaintEngine : public QPaintEngine {
public:
    explicit TEmfPaintEngine(TMetafileCanvas& canvas)
        : QPaintEngine(QPaintEngine::AllFeatures), m_canvas(canvas) {}

    bool begin(QPaintDevice*) override {
        m_transform = QTransform();
        m_pen = QPen();
        m_brush = QBrush();
        m_clipSaved = false;
        setActive(true);
        return true;
    }
    bool end() override {
        if (m_clipSaved)
            m_canvas.RestoreDC();
        m_clipSaved = false;
        setActive(false);
        return true;
    }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        QPolygonF poly;
        for (int i = 0; i < count; ++i)
            poly.append(QPointF(points[i]));
        drawPolygon(poly.constData(), int(poly.size()), mode);
    }
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags flags) override;
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override;

private:
    bool applyPen();
    bool applyBrush();
    void updateClip();

    TMetafileCanvas& m_canvas;
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    bool m_clipSaved = false;
};

void TEmfPaintEngine::updateState(const QPaintEngineState& state) {
    const DirtyFlags f = state.state();
    if (f & DirtyTransform)
        m_transform = state.transform();
    if (f & DirtyPen)
        m_pen = state.pen();
    if (f & DirtyBrush)
        m_brush = state.brush();
    if (f & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled))
        updateClip();
}

// The clip is a saved state with the clip applied; a new clip restores that state first.
void TEmfPaintEngine::updateClip() {
    if (m_clipSaved) {
        m_canvas.RestoreDC();
        m_clipSaved = false;
    }
    QPainter* p = painter();
    if (!p || !p->hasClipping())
        return;
    const QPainterPath clip = p->clipPath();
    const QTransform t = p->combinedTransform();
    m_canvas.SaveDC();
    m_clipSaved = true;
    const QList<QPolygonF> polys = clip.toSubpathPolygons(t);
    if (polys.size() == 1 && t.type() <= QTransform::TxScale) {
        const QPolygonF& poly = polys[0];
        const QRectF box = poly.boundingRect();
        bool isRect = poly.size() <= 5;
        for (const QPointF& pt : poly)
            isRect = isRect && (qFuzzyCompare(pt.x(), box.left()) ||
                                qFuzzyCompare(pt.x(), box.right())) &&
                     (qFuzzyCompare(pt.y(), box.top()) || qFuzzyCompare(pt.y(), box.bottom()));
        if (isRect) {
            const QPoint tl = toUnits(box.topLeft()), br = toUnits(box.bottomRight());
            m_canvas.IntersectClipRect(QRect(tl, QSize(br.x() - tl.x(), br.y() - tl.y())));
            return;
        }
    }
    QList<QList<QPoint>> units;
    for (const QPolygonF& poly : polys)
        units.append(toUnits(poly));
    if (units.isEmpty()) // clipped to nothing
        units.append({QPoint(0, 0), QPoint(0, 0), QPoint(0, 0)});
    m_canvas.SetPolyFillMode(clip.fillRule() == Qt::WindingFill ? TMetafileCanvas::WINDING
                                                                : TMetafileCanvas::ALTERNATE);
    m_canvas.IntersectClipPolygons(units);
}

// Sets the canvas pen from the painter's; false when nothing is stroked.
bool TEmfPaintEngine::applyPen() {
    if (m_pen.style() == Qt::NoPen || m_pen.brush().style() == Qt::NoBrush ||
        m_pen.color().alpha() == 0) {
        m_canvas.SetPenStyle(TMetafileCanvas::PS_NULL);
        return false;
    }
    int style = TMetafileCanvas::PS_SOLID;
    switch (m_pen.style()) {
    case Qt::DashLine:
        style = TMetafileCanvas::PS_DASH;
        break;
    case Qt::DotLine:
        style = TMetafileCanvas::PS_DOT;
        break;
    case Qt::DashDotLine:
        style = TMetafileCanvas::PS_DASHDOT;
        break;
    case Qt::DashDotDotLine:
        style = TMetafileCanvas::PS_DASHDOTDOT;
        break;
    default:
        break;
    }
    const double w = m_pen.widthF();
    int width;
    if (w <= 0)
        width = 0; // one device pixel on whatever device plays it
    else if (m_pen.isCosmetic())
        width = toUnits(w);
    else
        width = toUnits(w * lengthScale(m_transform));
    m_canvas.SetPen(style, width, colorRef(m_pen.color()));
    int cap = TMetafileCanvas::PS_ENDCAP_ROUND, join = TMetafileCanvas::PS_JOIN_ROUND;
    if (width > 0) { // a one-pixel pen has no visible ends
        if (m_pen.capStyle() == Qt::FlatCap)
            cap = TMetafileCanvas::PS_ENDCAP_FLAT;
        else if (m_pen.capStyle() == Qt::SquareCap)
            cap = TMetafileCanvas::PS_ENDCAP_SQUARE;
        if (m_pen.joinStyle() == Qt::BevelJoin)
            join = TMetafileCanvas::PS_JOIN_BEVEL;
        else if (m_pen.joinStyle() == Qt::MiterJoin || m_pen.joinStyle() == Qt::SvgMiterJoin)
            join = TMetafileCanvas::PS_JOIN_MITER;
    }
    m_canvas.SetPenEnds(cap, join);
    return true;
}

// Sets the canvas brush; gradients and patterns become their mean colour.
bool TEmfPaintEngine::applyBrush() {
    QColor c = m_brush.color();
    const Qt::BrushStyle s = m_brush.style();
    if (const QGradient* g = m_brush.gradient()) {
        const QGradientStops stops = g->stops();
        if (!stops.isEmpty()) {
            const QColor a = stops.first().second, b = stops.last().second;
            c = QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2,
                       (a.blue() + b.blue()) / 2, (a.alpha() + b.alpha()) / 2);
        }
    } else if (s == Qt::TexturePattern) {
        const QImage tex = m_brush.textureImage().scaled(1, 1, Qt::IgnoreAspectRatio,
                                                         Qt::SmoothTransformation);
        if (!tex.isNull())
            c = tex.pixelColor(0, 0);
    }
    if (s == Qt::NoBrush || c.alpha() == 0) {
        m_canvas.SetBrushStyle(TMetafileCanvas::BS_NULL);
        return false;
    }
    m_canvas.SetBrush(TMetafileCanvas::BS_SOLID, colorRef(c));
    return true;
}

void TEmfPaintEngine::drawPath(const QPainterPath& path) {
    const QList<QPolygonF> polys = path.toSubpathPolygons(m_transform);
    if (polys.isEmpty())
        return;
    QList<QList<QPoint>> units;
    bool allClosed = true;
    for (const QPolygonF& poly : polys) {
        units.append(toUnits(poly));
        allClosed = allClosed && poly.size() > 2 && poly.isClosed();
    }
    m_canvas.SetPolyFillMode(path.fillRule() == Qt::WindingFill ? TMetafileCanvas::WINDING
                                                                : TMetafileCanvas::ALTERNATE);
    const bool fill = applyBrush();
    const bool stroke = applyPen();
    if (fill && (allClosed || !stroke)) {
        m_canvas.PolyPolygon(units); // outline and fill in one record
        return;
    }
    if (fill) {
        m_canvas.SetPenStyle(TMetafileCanvas::PS_NULL);
        m_canvas.PolyPolygon(units);
        applyPen();
    }
    if (stroke)
        m_canvas.PolyPolyline(units);
}

void TEmfPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
    if (count < 2)
        return;
    QPolygonF poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i)
        poly.append(m_transform.map(points[i]));
    const QList<QPoint> units = toUnits(poly);
    if (mode == PolylineMode) {
        if (applyPen())
            m_canvas.Polyline(units);
        return;
    }
    m_canvas.SetPolyFillMode(mode == WindingMode ? TMetafileCanvas::WINDING
                                                 : TMetafileCanvas::ALTERNATE);
    const bool fill = applyBrush();
    const bool stroke = applyPen();
    if (fill || stroke)
        m_canvas.Polygon(units);
}

void TEmfPaintEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                                Qt::ImageConversionFlags) {
    if (image.isNull() || r.isEmpty())
        return;
    const QRect src = sr.toAlignedRect().intersected(image.rect());
    if (src.isEmpty())
        return;
    const QImage part = (src == image.rect()) ? image : image.copy(src);
    if (m_transform.type() <= QTransform::TxScale) {
        // Mirroring transforms give a negative destination extent, as GDI expects.
        const QPointF a = m_transform.map(r.topLeft()), b = m_transform.map(r.bottomRight());
        const QPoint ua = toUnits(a), ub = toUnits(b);
        m_canvas.StretchImage(ua.x(), ua.y(), ub.x() - ua.x(), ub.y() - ua.y(), part);
        return;
    }
    // Turned or sheared: a world transform carries the picture.
    const QTransform units = QTransform::fromScale(1 / kSub, 1 / kSub) * m_transform *
                             QTransform::fromScale(kSub, kSub);
    m_canvas.SaveDC();
    m_canvas.SetWorldTransform(units);
    const QPoint ua = toUnits(r.topLeft()), ub = toUnits(r.bottomRight());
    m_canvas.StretchImage(ua.x(), ua.y(), ub.x() - ua.x(), ub.y() - ua.y(), part);
    m_canvas.RestoreDC();
}

void TEmfPaintEngine::drawTextItem(const QPointF& p, const QTextItem& ti) {
    const QString text = ti.text();
    if (text.isEmpty() || m_pen.style() == Qt::NoPen)
        return;
    const QFont f = ti.font();
    QPaintDevice* dev = paintDevice();
    const double dpi = dev ? dev->logicalDpiY() : 96.0;
    const double px = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * dpi / 72.0;
    // Size along the vertical axis of the text, direction along its base line.
    const double sy = std::hypot(m_transform.m21(), m_transform.m22());
    const double angle = std::atan2(m_transform.m12(), m_transform.m11());
    int esc = int(std::lround(-angle * 1800.0 / M_PI)) % 3600;
    if (esc < 0)
        esc += 3600;
    TLogFont lf;
    lf.Height = -std::max(1, toUnits(px * sy));
    lf.Escapement = lf.Orientation = esc;
    lf.Weight = f.weight();
    lf.Italic = f.italic();
    lf.Underline = f.underline();
    lf.StrikeOut = f.strikeOut();
    lf.FaceName = f.family();
    m_canvas.SetFont(lf);
    m_canvas.SetTextColor(colorRef(m_pen.color()));
    m_canvas.SetBkMode(TMetafileCanvas::BK_TRANSPARENT);
    m_canvas.SetTextAlign(TMetafileCanvas::TA_BASELINE | TMetafileCanvas::TA_LEFT);
    const QPoint at = toUnits(m_transform.map(p));
    m_canvas.ExtTextOut(at.x(), at.y(), 0, nullptr, text);
}

// ---- the device ----

TEmfPaintDevice::TEmfPaintDevice(TMetafile& target, const QSize& size, double dpi)
    : m_size(size.expandedTo(QSize(1, 1))), m_dpi(dpi > 0 ? dpi : 96),
      m_canvas(std::make_unique<TMetafileCanvas>(target)) {
    int mmW = target.MMWidth(), mmH = target.MMHeight();
    if (mmW <= 0 || mmH <= 0) {
        mmW = int(std::lround(m_size.width() * 2540.0 / m_dpi));
        mmH = int(std::lround(m_size.height() * 2540.0 / m_dpi));
    }
    m_canvas->SetFrame(mmW, mmH);
    // Window: the painter's pixels in sixteenths; viewport: the frame in reference pixels.
    // Both as exact fractions (window = 2540 * px * 16, viewport = 0.01 mm * 96), reduced.
    m_canvas->SetAnisotropicScale(qint64(2540 * kSub) * m_size.width(), qint64(mmW) * 96,
                                  qint64(2540 * kSub) * m_size.height(), qint64(mmH) * 96);
    m_engine = std::make_unique<TEmfPaintEngine>(*m_canvas);
}

TEmfPaintDevice::~TEmfPaintDevice() {
    Close();
}

void TEmfPaintDevice::Close() {
    m_canvas->Close();
}

QPaintEngine* TEmfPaintDevice::paintEngine() const {
    return m_engine.get();
}

int TEmfPaintDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return int(std::lround(m_size.width() * 25.4 / m_dpi));
    case PdmHeightMM:
        return int(std::lround(m_size.height() * 25.4 / m_dpi));
    case PdmNumColors:
        return 1 << 24;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return int(std::lround(m_dpi));
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}
