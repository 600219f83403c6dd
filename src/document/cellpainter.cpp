#include "document/cellpainter.h"

#include "document/appdocument.h"
#include "document/elementpaint.h"
#include <QPaintDevice>
#include <QPainter>
#include <cmath>
#include <limits>

int RoundHalfEven(double v) {
    if (!(v == v))
        return 0;
    if (v <= -2147483648.0)
        return std::numeric_limits<int>::min();
    if (v >= 2147483647.0)
        return std::numeric_limits<int>::max();
    // The default rounding mode of the floating-point unit is to nearest, ties to even.
    return int(std::nearbyint(v));
}

namespace {

class TDeviceMapping : public TElementMapping {
public:
    TDeviceMapping(const TCellPainter& cp, const QRectF& cell, double fontPpi)
        : m_cp(cp), m_cell(cell), m_fontPpi(fontPpi) {}
    int X(double mm) const override { return m_cp.DeviceX(m_cell, mm, m_cp.Scale()); }
    int Y(double mm) const override { return m_cp.DeviceY(m_cell, mm, m_cp.Scale()); }
    double FontPixelSize(int fontSize) const override {
        // Whole points of the device's fonts, as the printer's canvas measures them.
        const double points = RoundHalfEven(m_cp.Metrics().PrinterDpiY * double(fontSize) *
                                            m_cp.Scale() / (m_fontPpi * 10.0));
        if (!(points >= 1))
            return 0;
        return points * m_fontPpi / 72.0;
    }
    // The shadow keeps its distance on paper whatever the scale.
    QPoint ShadowShift(const TDocElementTXT& e) const override {
        return QPoint(RoundHalfEven(m_cp.Metrics().DevPixelsPerMmX * e.ShadowX),
                      RoundHalfEven(m_cp.Metrics().DevPixelsPerMmY * e.ShadowY));
    }
    QRect ShadowClip(const TDocElementTXT& e) const override {
        return Box(e.Left, e.Top, e.Left + e.Width, e.Top + e.Height).translated(ShadowShift(e));
    }

private:
    const TCellPainter& m_cp;
    QRectF m_cell;
    double m_fontPpi;
};

} // namespace

TCellPainter::TCellPainter(const TPrintDeviceMetrics& metrics, double scale, bool separators)
    : m_metrics(metrics), m_scale(scale), m_separators(separators) {}

int TCellPainter::DeviceX(const QRectF& cell, double ex, double a) const {
    const double x0 = cell.x(), w = cell.width();
    return RoundHalfEven((x0 + (1 - a) * w / 2 + a * ex) * m_metrics.DevPixelsPerMmX) -
           m_metrics.PrintingOffsetPx.x();
}

int TCellPainter::DeviceY(const QRectF& cell, double ey, double a) const {
    const double y0 = cell.y(), h = cell.height();
    return RoundHalfEven((y0 + (1 - a) * h / 2 + a * ey) * m_metrics.DevPixelsPerMmY) -
           m_metrics.PrintingOffsetPx.y();
}

void TCellPainter::PrintCell(QPainter& painter, const TAppDocument& doc, int side,
                             const QRectF& cellMm) const {
    printElements(painter, doc, side, cellMm, 0, doc.Count() - 1, m_separators);
}

void TCellPainter::PrintCellBelow(QPainter& painter, const TAppDocument& doc, int side,
                                  const QRectF& cellMm, int split) const {
    printElements(painter, doc, side, cellMm, split + 1, doc.Count() - 1, false);
}

void TCellPainter::PrintCellAbove(QPainter& painter, const TAppDocument& doc, int side,
                                  const QRectF& cellMm, int split) const {
    printElements(painter, doc, side, cellMm, 0, split, m_separators);
}

void TCellPainter::printElements(QPainter& painter, const TAppDocument& doc, int side,
                                 const QRectF& cellMm, int first, int last,
                                 bool separators) const {
    double ppi = m_metrics.FontPixelsPerInch;
    if (ppi <= 0)
        ppi = painter.device() ? painter.device()->logicalDpiY() : 96;
    if (ppi <= 0)
        ppi = 96;
    if (first <= last) {
        painter.save();
        // What reaches beyond the sheet's edge is cut there, as on the screen, instead of
        // landing on the neighbouring cells.
        const int x0 = DeviceX(cellMm, 0, 1), y0 = DeviceY(cellMm, 0, 1);
        const int x1 = DeviceX(cellMm, cellMm.width(), 1);
        const int y1 = DeviceY(cellMm, cellMm.height(), 1);
        painter.setClipRect(QRect(x0, y0, x1 - x0, y1 - y0),
                            painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        // Pictures keep their pixels: a PDF would otherwise store them as JPEG.
        painter.setRenderHint(QPainter::LosslessImageRendering);
        PaintSideElements(painter, doc, side, TDeviceMapping(*this, cellMm, ppi), nullptr,
                          first, last);
        painter.restore();
    }
    if (!separators)
        return;
    // The outline of the whole cell, unshrunk; the thinnest line the device draws.
    const double w = cellMm.width(), h = cellMm.height();
    const QPoint corners[] = {
        {DeviceX(cellMm, 0, 1), DeviceY(cellMm, 0, 1)},
        {DeviceX(cellMm, 0, 1), DeviceY(cellMm, h, 1)},
        {DeviceX(cellMm, w, 1), DeviceY(cellMm, h, 1)},
        {DeviceX(cellMm, w, 1), DeviceY(cellMm, 0, 1)},
        {DeviceX(cellMm, 0, 1), DeviceY(cellMm, 0, 1)},
    };
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(corners, 5);
    painter.restore();
}
