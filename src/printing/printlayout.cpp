#include "printing/printlayout.h"

#include "document/appdocument.h"
#include "printing/printtarget.h"
#include "printing/labelproducts.h"
#include <algorithm>
#include <cmath>

namespace {

// The paper the layout assumes; the printer's real paper size is not asked for.
constexpr double SheetShort = 210.33;
constexpr double SheetLong = 297.33;

// The largest n, at least 1, with margin + n * size + (n - 1) * gap <= limit.
int copiesThatFit(double margin, double size, double gap, double limit) {
    if (!(size + gap > 0))
        return 1;
    int n = 1;
    while (n < MaxCellsPerLine && margin + (n + 1) * size + n * gap <= limit)
        ++n;
    return n;
}

} // namespace

TPrinterInfo TPrinterInfo::FromTarget(const TPrintTarget& target) {
    TPrinterInfo info;
    info.Name = target.ToFile() ? QStringLiteral("PDF-Datei") : target.PrinterName;
    info.Landscape = target.Layout.orientation() == QPageLayout::Landscape;
    const QRectF mm = target.Layout.paintRect(QPageLayout::Millimeter);
    const QRectF px = target.Layout.paintRectPixels(target.Resolution);
    info.HorzSize = int(std::lround(mm.width()));
    info.VertSize = int(std::lround(mm.height()));
    info.HorzRes = int(std::lround(px.width()));
    info.VertRes = int(std::lround(px.height()));
    info.HorzSizeMm = mm.width();
    info.VertSizeMm = mm.height();
    info.LogPixelsY = target.Resolution;
    info.PrintingOffset = QPoint(int(std::lround(px.left())), int(std::lround(px.top())));
    const QRectF paper = target.Layout.fullRect(QPageLayout::Millimeter);
    info.PaperWidthMm = paper.width();
    info.PaperHeightMm = paper.height();
    return info;
}

TPrinterInfo TPrinterInfo::PdfA4(bool landscape, int dpi) {
    TPrinterInfo info;
    info.Name = QStringLiteral("PDF-Datei");
    info.Landscape = landscape;
    // A4 as a PDF page: 595 x 842 points.
    const int w = int(std::lround(595.0 * dpi / 72)), h = int(std::lround(842.0 * dpi / 72));
    info.HorzSize = landscape ? 297 : 210;
    info.VertSize = landscape ? 210 : 297;
    info.HorzRes = landscape ? h : w;
    info.VertRes = landscape ? w : h;
    info.LogPixelsY = dpi;
    info.PaperWidthMm = landscape ? 297 : 210;
    info.PaperHeightMm = landscape ? 210 : 297;
    return info;
}

void TPrintLayout::Adjust(const TPrinterInfo& printer, const TAppDocument& doc,
                          Selection selection) {
    Landscape = printer.Landscape;
    PrinterSheetWidth = Landscape ? SheetLong : SheetShort;
    PaperWidth = printer.PaperWidthMm > 0 ? printer.PaperWidthMm : (Landscape ? 297 : 210);
    PrinterSheetHeight = Landscape ? SheetShort : SheetLong;

    PrintableWidthMm = printer.HorzSize;
    PrintableHeightMm = printer.VertSize;
    PrinterDpiY = printer.LogPixelsY;
    // A printer that reports no size would divide by zero; take its resolution instead.
    const double horzMm = printer.HorzSizeMm > 0 ? printer.HorzSizeMm : printer.HorzSize;
    const double vertMm = printer.VertSizeMm > 0 ? printer.VertSizeMm : printer.VertSize;
    DevPixelsPerMmX = horzMm > 0 ? double(printer.HorzRes) / horzMm : printer.LogPixelsY / 25.4;
    DevPixelsPerMmY = vertMm > 0 ? double(printer.VertRes) / vertMm : printer.LogPixelsY / 25.4;
    PrintingOffsetPx = printer.PrintingOffset;
    PrintingOffsetMmX = DevPixelsPerMmX > 0 ? PrintingOffsetPx.x() / DevPixelsPerMmX : 0;
    PrintingOffsetMmY = DevPixelsPerMmY > 0 ? PrintingOffsetPx.y() / DevPixelsPerMmY : 0;

    // Content extent over both sides.
    double minLeft = doc.PageWidth, minTop = doc.PageHeight, maxRight = 0, maxBottom = 0;
    for (const auto& e : doc.Elements) {
        minLeft = std::min(minLeft, e->Left);
        minTop = std::min(minTop, e->Top);
        maxRight = std::max(maxRight, e->Left + e->Width);
        maxBottom = std::max(maxBottom, e->Top + e->Height);
    }

    // The user's choice of cells, kept when the grid stays the same.
    std::vector<bool> chosen;
    if (selection == KeepSelection) {
        for (const TCell& c : Cells)
            chosen.push_back(c.Selected);
    }
    const int oldColumns = Columns, oldRows = Rows;
    Cells.clear();
    const double pw = doc.PageWidth, ph = doc.PageHeight;
    // A product of the catalogue fixes the paper and the grid: cell (i, j) is centred on
    // label (i, j), whatever the margins say.
    Product = doc.PrintProduct.isEmpty() ? nullptr
                                         : TLabelCatalogue::Installed().Find(doc.PrintProduct);
    if (Product) {
        PrinterSheetWidth = Product->Paper.width();
        PrinterSheetHeight = Product->Paper.height();
        Columns = std::min(Product->Columns, MaxCellsPerLine);
        Rows = std::min(Product->Rows, MaxCellsPerLine);
        Cells.reserve(size_t(Columns) * size_t(Rows));
        for (int i = 0; i < Columns; ++i) {
            for (int j = 0; j < Rows; ++j) {
                const QRectF label = Product->LabelRect(i, j);
                Cells.emplace_back(i, label.left() + (label.width() - pw) / 2,
                                   label.top() + (label.height() - ph) / 2, pw, ph, j);
            }
        }
    } else {
        Columns = copiesThatFit(doc.PrintMarginLeft, pw, doc.PrintDistHor,
                                PrinterSheetWidth - doc.PrintMarginRight);
        Rows = copiesThatFit(doc.PrintMarginTop, ph, doc.PrintDistVer,
                             PrinterSheetHeight - doc.PrintMarginBottom);
        Cells.reserve(size_t(Columns) * size_t(Rows));
        for (int i = 0; i < Columns; ++i) {
            for (int j = 0; j < Rows; ++j) {
                Cells.emplace_back(i, doc.PrintMarginLeft + i * pw + i * doc.PrintDistHor,
                                   doc.PrintMarginTop + j * ph + j * doc.PrintDistVer, pw, ph, j);
            }
        }
    }
    if (selection == KeepSelection && Columns == oldColumns && Rows == oldRows &&
        chosen.size() == Cells.size()) {
        for (size_t i = 0; i < Cells.size(); ++i)
            Cells[i].Selected = chosen[i];
    } else if (!Cells.empty()) {
        Cells.front().Selected = true;
    }

    Fits = true;
    double fL = 1, fT = 1, fR = 1, fB = 1;
    for (const TCell& c : Cells) {
        if (c.Left + minLeft < PrintingOffsetMmX) {
            Fits = false;
            fL = 1 - 2 * (PrintingOffsetMmX - (c.Left + minLeft)) / c.Width;
        }
        if (c.Top + minTop < PrintingOffsetMmY) {
            Fits = false;
            fT = 1 - 2 * (PrintingOffsetMmY - (c.Top + minTop)) / c.Height;
        }
        if (c.Left + maxRight > PrintableWidthMm + PrintingOffsetMmX) {
            Fits = false;
            fR = 1 - 2 * ((c.Left + maxRight) - (PrintableWidthMm + PrintingOffsetMmX)) / c.Width;
        }
        if (c.Top + maxBottom > PrintableHeightMm + PrintingOffsetMmY) {
            Fits = false;
            fB = 1 - 2 * ((c.Top + maxBottom) - (PrintableHeightMm + PrintingOffsetMmY)) / c.Height;
        }
    }
    FitScale = 1.0;
    if (!Fits) {
        FitScale = std::min({1.0, fL, fT, fR, fB});
        // Content overflowing by half a cell or more would give a zero or negative scale,
        // which draws nothing or a mirrored picture.
        if (!(FitScale >= MinFitScale))
            FitScale = MinFitScale;
    }
}

void TPrintLayout::SelectAll(bool selected) {
    for (TCell& c : Cells)
        c.Selected = selected;
}

int TPrintLayout::SelectedCount() const {
    return int(
        std::count_if(Cells.begin(), Cells.end(), [](const TCell& c) { return c.Selected; }));
}

TPrintDeviceMetrics TPrintLayout::DeviceMetrics() const {
    TPrintDeviceMetrics m;
    m.DevPixelsPerMmX = DevPixelsPerMmX;
    m.DevPixelsPerMmY = DevPixelsPerMmY;
    m.PrintingOffsetPx = PrintingOffsetPx;
    m.PrinterDpiY = PrinterDpiY;
    return m;
}

int TPrintLayout::FrontOf(int i) const {
    if (i < 0 || i >= int(Cells.size()))
        return -1;
    const TCell& c = Cells[size_t(i)];
    const int column = Columns - 1 - c.Column;
    // Column-major: all rows of column 0, then column 1, ...
    const int j = column * Rows + c.Row;
    return j >= 0 && j < int(Cells.size()) ? j : -1;
}

QRectF TPrintLayout::PrintableArea() const {
    return QRectF(PrintingOffsetMmX, PrintingOffsetMmY, PrintableWidthMm, PrintableHeightMm);
}

double ParsePrintValue(const QString& text) {
    // The decimal comma is taken as well as the point.
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const double v = t.toDouble(&ok);
    // toDouble also takes "nan" and "inf"; a margin of either would break the layout.
    return ok && std::isfinite(v) ? v : 0;
}

int ParseOffsetValue(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

QString FormatPrintValue(double value) {
    return QStringLiteral("%1").arg(value, 5, 'f', 2);
}
