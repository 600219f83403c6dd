#pragma once
// How many copies of the document's sheet fit on one printer sheet, where each copy (a cell)
// lies, and by how much the copies' contents must shrink to stay inside the printable area.
// Independent of any widget: the printing workspace, the batch tool and tests share it.

#include "document/cellpainter.h"
#include <QPoint>
#include <QRectF>
#include <QString>
#include <vector>

struct TPrintTarget;
class TAppDocument;
struct TLabelProduct;

class TCell {
public:
    TCell(int column, double left, double top, double width, double height, int row)
        : Left(left), Top(top), Width(width), Height(height), Column(column), Row(row) {}
    QRectF Rect() const { return QRectF(Left, Top, Width, Height); }

    double Left;
    double Top;
    double Width;
    double Height;
    bool Selected = false;
    int Column;
    int Row;
};

// What the layout asks the printer, in the printer's own units.
struct TPrinterInfo {
    QString Name;
    bool Landscape = false;
    int HorzSize = 0;      // printable width, whole mm
    int VertSize = 0;      // printable height, whole mm
    int HorzRes = 0;       // printable width, device pixels
    int VertRes = 0;       // printable height, device pixels
    // The printable size unrounded, mm; 0 when unknown. Pixels per mm come from these: the
    // whole millimetres of a Letter page (279.4 -> 279) would misplace its bottom by 0.4 mm.
    double HorzSizeMm = 0;
    double VertSizeMm = 0;
    int LogPixelsY = 0;    // logical pixels per inch, vertical
    QPoint PrintingOffset; // printable area's corner on the paper, device pixels
    // The paper as laid out (turned for landscape), mm; 0 when unknown (A4 is taken).
    double PaperWidthMm = 0;
    double PaperHeightMm = 0;

    static TPrinterInfo FromTarget(const TPrintTarget& target);
    // An A4 PDF page without unprintable border, used when no printer is installed.
    static TPrinterInfo PdfA4(bool landscape, int dpi = 1200);
};

class TPrintLayout {
public:
    // What a new layout does with the cells the user chose.
    enum Selection {
        FirstOnly,     // only the first cell is selected
        KeepSelection, // the same cells stay selected when the grid (columns, rows) is the
                       // same; otherwise only the first
    };
    // Recomputes everything from the printer and the document's sheet size, margins and
    // distances.
    void Adjust(const TPrinterInfo& printer, const TAppDocument& doc,
                Selection selection = FirstOnly);

    void SelectAll(bool selected);
    int SelectedCount() const;
    bool AllSelected() const { return !Cells.empty() && SelectedCount() == int(Cells.size()); }
    TPrintDeviceMetrics DeviceMetrics() const;
    // The printable area on the paper, mm.
    QRectF PrintableArea() const;
    // Where the back of a cell is printed: turned over its long edge (portrait) or its short
    // edge (landscape), the paper's x becomes PaperWidth - x, so the back of the cell at
    // (x, y, w, h) lies at (PaperWidth - x - w, y, w, h).
    QRectF BackOf(const TCell& front) const {
        return QRectF(PaperWidth - front.Left - front.Width, front.Top, front.Width,
                      front.Height);
    }
    // The cell whose back the turned sheet shows in the cell of index i: the one in the
    // mirrored column of the same row; -1 when there is none.
    int FrontOf(int i) const;

    std::vector<TCell> Cells; // column-major: all rows of column 0, then column 1, ...
    int Columns = 0;
    int Rows = 0;
    double PrinterSheetWidth = 210.33;
    double PrinterSheetHeight = 297.33;
    double PaperWidth = 210; // the real paper as laid out, mm
    double DevPixelsPerMmX = 0;
    double DevPixelsPerMmY = 0;
    QPoint PrintingOffsetPx;
    double PrintingOffsetMmX = 0;
    double PrintingOffsetMmY = 0;
    int PrintableWidthMm = 0;
    int PrintableHeightMm = 0;
    int PrinterDpiY = 0;
    double FitScale = 1.0;
    bool Fits = true;
    bool Landscape = false;
    // The catalogue product the cells lie on, or null for the free layout.
    const TLabelProduct* Product = nullptr;
};

// Longest row or column of copies the layout builds; more cannot be told apart anyway.
constexpr int MaxCellsPerLine = 100;
// The smallest scale "Einpassen" shrinks to when content overflows by half a cell or more.
constexpr double MinFitScale = 0.01;

// A margin or distance as typed: a decimal number with a point; blanks around it are
// skipped; empty text and text that is not a number count as 0.
double ParsePrintValue(const QString& text);
// A sheet offset as typed or stored: a whole number; anything else counts as 0.
int ParseOffsetValue(const QString& text);
// Field width 5 with 2 decimals, as the margin edits show them (" 0.00", "12.50").
QString FormatPrintValue(double value);
