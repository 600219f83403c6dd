#pragma once
// Draws one side of a document into one cell of a printer sheet, on any QPainter whose
// coordinates are the device pixels of the printer counted from the printable area's corner
// (a QPrinter, a PDF, an image standing in for the printer in tests).
//
// A sheet point (ex, ey) in mm of a cell (x0, y0, w, h) lands at
//   DeviceX(ex) = N((x0 + (1 - a) w / 2 + a ex) * DevPixelsPerMmX) - PrintingOffsetPx.x
// and likewise for y, where a is the run's scale (shrinking about the cell's centre) and N
// rounds halves to the even neighbour. Metafiles are played as vectors into the device.

#include <QPoint>
#include <QRectF>

class QPainter;
class TAppDocument;

// What the cell painter needs to know of the printer.
struct TPrintDeviceMetrics {
    double DevPixelsPerMmX = 600 / 25.4;
    double DevPixelsPerMmY = 600 / 25.4;
    QPoint PrintingOffsetPx; // printable area's corner on the paper, device pixels
    int PrinterDpiY = 600;   // the printer's logical pixels per inch, vertical
    // Pixels per inch the device's fonts are measured in; the printer's own resolution on a
    // printer. 0 takes the painter's device.
    int FontPixelsPerInch = 0;
};

class TCellPainter {
public:
    TCellPainter(const TPrintDeviceMetrics& metrics, double scale, bool separators);

    // Draws the elements of side into the cell (x0, y0, w, h) in mm on the printer sheet,
    // then the cell's outline when separators are asked for.
    void PrintCell(QPainter& painter, const TAppDocument& doc, int side,
                   const QRectF& cellMm) const;
    // The cell in two layers, for drawing what many cells have in common only once: the
    // elements of the side that lie below stack index split (index > split), and the others
    // with the cell's outline. Both drawn one over the other give PrintCell.
    void PrintCellBelow(QPainter& painter, const TAppDocument& doc, int side,
                        const QRectF& cellMm, int split) const;
    void PrintCellAbove(QPainter& painter, const TAppDocument& doc, int side,
                        const QRectF& cellMm, int split) const;

    // The device mapping of the cell (x0, w) or (y0, h) at scale a.
    int DeviceX(const QRectF& cell, double ex, double a) const;
    int DeviceY(const QRectF& cell, double ey, double a) const;

    double Scale() const { return m_scale; }
    const TPrintDeviceMetrics& Metrics() const { return m_metrics; }

private:
    // The elements with stack index first..last, then the outline when separators is set.
    void printElements(QPainter& painter, const TAppDocument& doc, int side,
                       const QRectF& cellMm, int first, int last, bool separators) const;

    TPrintDeviceMetrics m_metrics;
    double m_scale;
    bool m_separators;
};

// Rounds to the nearest whole number, halves to the even one; clamped to what an int holds.
int RoundHalfEven(double v);
