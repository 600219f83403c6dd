#include "document/textfit.h"

#include "document/docelement.h"
#include "document/elementpaint.h"

#include <algorithm>
#include <cmath>

namespace {

// Sheet millimetres in hundredths, the font at its true size: fine enough for the glyphs'
// bounds, independent of any zoom.
constexpr double UnitsPerMm = 100.0;
// Less than this past the box is anti-aliasing or rounding, not a cut text.
constexpr double CutToleranceMm = 0.2;

class TFineMapping : public TElementMapping {
public:
    int X(double mm) const override { return int(std::lround(mm * UnitsPerMm)); }
    int Y(double mm) const override { return int(std::lround(mm * UnitsPerMm)); }
    double FontPixelSize(int fontSize) const override
    {
        return fontSize / 10.0 * 25.4 / 72.0 * UnitsPerMm;
    }
    QPoint ShadowShift(const TDocElementTXT&) const override { return {}; }
    QRect ShadowClip(const TDocElementTXT&) const override { return {}; }
};

// The text's extent in millimetres.
QRectF outlineMm(const TDocElementTXT& e, bool ink)
{
    const QRectF r = TextOutline(e, TFineMapping(), ink).boundingRect();
    return QRectF(r.x() / UnitsPerMm, r.y() / UnitsPerMm, r.width() / UnitsPerMm,
                  r.height() / UnitsPerMm);
}

bool usable(const TDocElementTXT& e)
{
    return std::isfinite(e.Left) && std::isfinite(e.Top) && std::isfinite(e.Width) &&
           std::isfinite(e.Height) && std::abs(e.Left) < 1e6 && std::abs(e.Top) < 1e6 &&
           std::abs(e.Width) < 1e6 && std::abs(e.Height) < 1e6;
}

} // namespace

bool TextIsCut(const TDocElementTXT& e)
{
    if (!usable(e))
        return false;
    const QRectF ink = outlineMm(e, true);
    if (ink.isEmpty())
        return false;
    // A box without area shows nothing of its text.
    if (!(e.Width > 0 && e.Height > 0))
        return true;
    const double t = CutToleranceMm;
    return ink.left() < e.Left - t || ink.top() < e.Top - t ||
           ink.right() > e.Left + e.Width + t || ink.bottom() > e.Top + e.Height + t;
}

bool GrowBoxToText(TDocElementTXT& e)
{
    if (!usable(e) || !(e.Width > 0 && e.Height > 0))
        return false;
    const double width = e.Width, height = e.Height;
    // The anchor of a centred or turned text moves with the box, so one step may leave part
    // of the overhang; every step takes at least half of what is left.
    for (int step = 0; step < 24; ++step) {
        const QRectF r = outlineMm(e, false);
        if (r.isEmpty())
            break;
        const double growW =
            std::max(0.0, e.Left - r.left()) + std::max(0.0, r.right() - (e.Left + e.Width));
        const double growH =
            std::max(0.0, e.Top - r.top()) + std::max(0.0, r.bottom() - (e.Top + e.Height));
        if (growW < 0.01 && growH < 0.01)
            break;
        e.Width += growW;
        e.Height += growH;
    }
    // Some room to spare: the screen draws at whole points of its zoom, a little larger.
    if (e.Width != width)
        e.Width *= 1.04;
    if (e.Height != height)
        e.Height *= 1.04;
    // Whole tenths of a millimetre, rounded up, as the inspector shows them.
    if (e.Width != width)
        e.Width = std::ceil(e.Width * 10 - 1e-6) / 10;
    if (e.Height != height)
        e.Height = std::ceil(e.Height * 10 - 1e-6) / 10;
    return e.Width != width || e.Height != height;
}
