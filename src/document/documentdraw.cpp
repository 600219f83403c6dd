// Drawing a side of the sheet, hit testing and the selection frame.
//
// Every length is converted with MmToPixel into the painter's coordinates, whatever the
// device: the caller picks the zoom that makes those coordinates right for it (screen
// bitmap, printer, metafile recorder). Font sizes follow the same scale: a size of p points
// becomes p * 25.4 / 72 mm, converted to pixels at the sheet scale, so text keeps its
// proportion to the box on every device and at every zoom.

#include "document/appdocument.h"
#include "document/barcode.h"
#include "document/elementpaint.h"
#include "document/units.h"
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

QColor toQColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Windows-style rectangle with exclusive right and bottom, as a QRect.
QRect boxRect(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

struct Anchor {
    int x = 0;
    int y = 0;
    int hAlign = 0; // 0 left, 1 centre, 2 right
    bool baseline = false;
};

Anchor textAnchor(const TDocElementTXT& e, const TElementMapping& m)
{
    auto px = [&m](double v) { return m.X(v); };
    auto py = [&m](double v) { return m.Y(v); };
    const double L = e.Left, T = e.Top, W = e.Width, H = e.Height;
    // Angles beyond the handled range are folded into it; the result is the same direction.
    int a = e.Angle % 3600;
    if (a > 1800)
        a -= 3600;
    else if (a < -1799)
        a += 3600;
    Anchor an;
    switch (e.AlignH) {
    case 1:
        an.hAlign = 1;
        an.x = px(L + W / 2);
        if (a == 0) {
            an.y = py(T);
        } else {
            an.baseline = true;
            an.y = py(T + H / 2);
        }
        break;
    case 2:
        an.hAlign = 2;
        if (a <= -900) {
            an.x = px(L + W + (a + 900) * W / 900);
            an.y = py(T + H);
        } else if (a <= 0) {
            an.x = px(L + W);
            an.y = py(T + H - (a + 900) * H / 900);
        } else if (a <= 900) {
            an.x = px(L + W - a * W / 900);
            an.y = py(T);
        } else {
            an.x = px(L);
            an.y = py(T + (a - 900) * H / 900);
        }
        break;
    default:
        // Left alignment, also for values no editor writes.
        if (a <= -900) {
            an.x = px(L + W);
            an.y = py(T - (a + 900) * H / 900);
        } else if (a <= 0) {
            an.x = px(L - a * W / 900);
            an.y = py(T);
        } else if (a <= 900) {
            an.x = px(L);
            an.y = py(T + a * H / 900);
        } else {
            an.x = px(L + (a - 900) * W / 900);
            an.y = py(T + H);
        }
        break;
    }
    return an;
}

void drawTextAt(QPainter& p, const QString& text, const Anchor& an, int dx, int dy, double angle,
                const QRect& clip, const QColor& color)
{
    if (clip.isEmpty())
        return;
    p.save();
    if (p.hasClipping())
        p.setClipRect(clip, Qt::IntersectClip);
    else
        p.setClipRect(clip);
    p.translate(an.x + dx, an.y + dy);
    if (angle != 0)
        p.rotate(-angle);
    const QFontMetricsF fm(p.font(), p.device());
    double x = 0;
    if (an.hAlign == 1)
        x = -fm.horizontalAdvance(text) / 2;
    else if (an.hAlign == 2)
        x = -fm.horizontalAdvance(text);
    const double y = an.baseline ? 0 : fm.ascent();
    p.setPen(color);
    p.drawText(QPointF(x, y), text);
    p.restore();
}

// The element's font at the mapping's size; none when it is too small or too large to draw.
std::optional<QFont> textFont(const TDocElementTXT& e, const TElementMapping& m)
{
    const double pixelSize = m.FontPixelSize(e.FontSize);
    if (!(pixelSize >= 0.5) || pixelSize > 1e6)
        return std::nullopt;
    QFont font(e.FontName);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setBold(e.FontStyle & fsBold);
    font.setItalic(e.FontStyle & fsItalic);
    font.setUnderline(e.FontStyle & fsUnderline);
    font.setStrikeOut(e.FontStyle & fsStrikeOut);
    return font;
}

void drawText(QPainter& p, const TDocElementTXT& e, const TElementMapping& m)
{
    const std::optional<QFont> font = textFont(e, m);
    if (!font)
        return;

    p.save();
    p.setBrush(Qt::NoBrush);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setFont(*font);
    const Anchor an = textAnchor(e, m);
    const double angle = e.Angle / 10.0;
    if (e.Shadow) {
        const QPoint shift = m.ShadowShift(e);
        drawTextAt(p, e.Text, an, shift.x(), shift.y(), angle, m.ShadowClip(e),
                   toQColor(e.ShadowColor));
    }
    drawTextAt(p, e.Text, an, 0, 0, angle, m.Box(e.Left, e.Top, e.Left + e.Width, e.Top + e.Height),
               toQColor(e.FontColor));
    p.restore();
}

// The screen: MmToPixel at the zoom, fonts in whole points at that zoom.
class TScreenMapping : public TElementMapping {
public:
    explicit TScreenMapping(double zoom) : m_zoom(zoom) {}
    int X(double mm) const override { return MmToPixel(m_zoom, mm); }
    int Y(double mm) const override { return MmToPixel(m_zoom, mm); }
    double FontPixelSize(int fontSize) const override
    {
        // Points at this zoom, rounded to the nearest integer with halves going to the even one.
        const double points = std::nearbyint(m_zoom * fontSize / 10.0);
        if (!(points >= 1))
            return 0; // too small to be seen at this zoom
        return points * 25.4 / 72.0 / MmPerPixel;
    }
    QPoint ShadowShift(const TDocElementTXT& e) const override
    {
        return QPoint(X(e.ShadowX), Y(e.ShadowY));
    }
    QRect ShadowClip(const TDocElementTXT& e) const override
    {
        const double sx = e.ShadowX, sy = e.ShadowY;
        return Box(e.Left + sx, e.Top + sy, e.Left + e.Width + sx, e.Top + e.Height + sy);
    }

private:
    double m_zoom;
};

} // namespace

QPolygonF TextOutline(const TDocElementTXT& e, const TElementMapping& m, bool ink)
{
    const std::optional<QFont> font = textFont(e, m);
    if (!font || e.Text.isEmpty())
        return {};
    // Measured as drawText places the text: from its anchor, turned by its angle.
    const QFontMetricsF fm(*font);
    const Anchor an = textAnchor(e, m);
    const double advance = fm.horizontalAdvance(e.Text);
    double x = 0;
    if (an.hAlign == 1)
        x = -advance / 2;
    else if (an.hAlign == 2)
        x = -advance;
    const double baseline = an.baseline ? 0 : fm.ascent();
    QRectF r = ink ? fm.tightBoundingRect(e.Text).translated(x, baseline)
                   : QRectF(x, baseline - fm.ascent(), advance, fm.ascent() + fm.descent());
    if (r.isEmpty())
        return {};
    QTransform t;
    t.translate(an.x, an.y);
    t.rotate(-e.Angle / 10.0);
    return t.map(QPolygonF(r));
}

QRect TElementMapping::Box(double left, double top, double right, double bottom) const
{
    return boxRect(X(left), Y(top), X(right), Y(bottom));
}

void PaintElement(QPainter& canvas, const TDocElement& e, const TElementMapping& m)
{
    if (const auto* g = dynamic_cast<const TDocElementWMF*>(&e)) {
        // The player reads the rectangle as GDI corners; left > right mirrors.
        const QRect dest(QPoint(m.X(e.Left), m.Y(e.Top)),
                         QPoint(m.X(e.Left + e.Width), m.Y(e.Top + e.Height)));
        canvas.save();
        // Enlarged raster pictures are interpolated, not drawn as blocks of pixels.
        canvas.setRenderHint(QPainter::SmoothPixmapTransform);
        g->Metafile.Play(canvas, dest);
        canvas.restore();
    } else if (const auto* t = dynamic_cast<const TDocElementTXT*>(&e)) {
        drawText(canvas, *t, m);
    } else if (const auto* b = dynamic_cast<const TDocElementBAR*>(&e)) {
        PaintBarcode(canvas, *b, m.Box(e.Left, e.Top, e.Left + e.Width, e.Top + e.Height));
    }
}

void PaintSideElements(QPainter& canvas, const TAppDocument& doc, int side,
                       const TElementMapping& m, const TDocElement* skip, int first, int last)
{
    if (last < 0 || last >= doc.Count())
        last = doc.Count() - 1;
    for (int i = last; i >= std::max(0, first); --i) {
        const TDocElement* e = doc.Elements[i].get();
        if (e->Side == side && e != skip)
            PaintElement(canvas, *e, m);
    }
}

void TAppDocument::DrawElements(QPainter& canvas, double zoom, int side,
                                const TDocElement* skip) const
{
    // Cut at the sheet's edge, as the print cuts every cell.
    const TScreenMapping m(zoom);
    canvas.save();
    canvas.setClipRect(QRect(0, 0, m.X(PageWidth), m.Y(PageHeight)),
                       canvas.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    PaintSideElements(canvas, *this, side, m, skip);
    canvas.restore();
}

void TAppDocument::DrawElement(QPainter& canvas, const TDocElement& e, double zoom)
{
    PaintElement(canvas, e, TScreenMapping(zoom));
}

QRect TAppDocument::ElementExtent(const TDocElement& e, double zoom)
{
    const TScreenMapping m(zoom);
    // Normalised: a mirrored picture has its corners swapped.
    QRect r = QRect(QPoint(m.X(e.Left), m.Y(e.Top)),
                    QPoint(m.X(e.Left + e.Width), m.Y(e.Top + e.Height)))
                  .normalized();
    if (const auto* t = dynamic_cast<const TDocElementTXT*>(&e); t && t->Shadow)
        r = r.united(m.ShadowClip(*t).normalized());
    return r;
}

TDocElement* TAppDocument::HitTest(int x, int y, Qt::KeyboardModifiers shift, double zoom,
                                   int side, bool doubleClick)
{
    const double xm = PixelToMm(x, zoom);
    const double ym = PixelToMm(y, zoom);
    // A billionth of a millimetre absorbs the rounding of the conversions, so that a
    // position exactly five pixels away from an edge counts as within the tolerance.
    const double tol = PixelToMm(5, zoom) + 1e-9;
    const int previous = SelectedIndex;
    SelectedIndex = -1;
    // The keypad flag says nothing about what the user holds down.
    const Qt::KeyboardModifiers mods = shift & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier && !doubleClick;
    const bool altWalk = mods == Qt::AltModifier && !doubleClick;
    if (!plain && !altWalk)
        return nullptr;
    for (int i = 0; i < Count(); ++i) {
        const TDocElement* e = Elements[i].get();
        const bool hit = e->Left - tol <= xm && xm <= e->Left + e->Width + tol &&
                         e->Top - tol <= ym && ym <= e->Top + e->Height + tol &&
                         e->Side == side;
        if (!hit)
            continue;
        if (plain || i > previous) {
            SelectedIndex = i;
            return Elements[i].get();
        }
    }
    return nullptr;
}

void TAppDocument::DrawSelection(QPainter& canvas, double zoom) const
{
    const TDocElement* e = Selected();
    if (!e)
        return;
    int l = MmToPixel(zoom, e->Left), t = MmToPixel(zoom, e->Top);
    int r = MmToPixel(zoom, e->Left + e->Width), b = MmToPixel(zoom, e->Top + e->Height);
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    // Right and bottom are exclusive, as for a drawn rectangle; each pixel is set once so
    // that a second drawing in not-xor mode restores the picture exactly.
    const int R = std::max(l, r - 1), B = std::max(t, b - 1);
    QPolygon dots;
    auto dot = [&dots](int x, int y) {
        if (((x + y) & 1) == 0)
            dots << QPoint(x, y);
    };
    for (int x = l; x <= R; ++x) {
        dot(x, t);
        if (B != t)
            dot(x, B);
    }
    for (int y = t + 1; y < B; ++y) {
        dot(l, y);
        if (R != l)
            dot(R, y);
    }
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(QPen(QColor(0, 0, 255), 0));
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.drawPoints(dots);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.restore();
}
