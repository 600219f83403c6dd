#include "printing/calibrationsheet.h"

#include "document/appdocument.h"
#include "document/cellpainter.h"
#include "printing/printeroutput.h"
#include <QFont>
#include <QPainter>
#include <cmath>

namespace {

// Maps sheet millimetres into the device; mirror puts x at the sheet's other side, as the
// back page does so that its marks lie over the front's after turning.
class TMmPen {
public:
    TMmPen(QPainter& p, const TCellPainter& cp, const QRectF& cell, bool mirror)
        : m_p(p), m_cp(cp), m_cell(cell), m_mirror(mirror) {}

    QPoint At(double x, double y) const {
        const double mx = m_mirror ? m_cell.width() - x : x;
        return QPoint(m_cp.DeviceX(m_cell, mx, 1.0), m_cp.DeviceY(m_cell, y, 1.0));
    }
    void Line(double x1, double y1, double x2, double y2, double widthMm) {
        QPen pen(Qt::black);
        pen.setWidthF(widthMm * m_cp.Metrics().DevPixelsPerMmX);
        pen.setCapStyle(Qt::FlatCap);
        m_p.setPen(pen);
        m_p.drawLine(At(x1, y1), At(x2, y2));
    }
    // Text centred on (x, y), heightMm high; never mirrored itself.
    void Text(double x, double y, double heightMm, const QString& text) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(std::max(1, int(std::lround(heightMm * m_cp.Metrics().DevPixelsPerMmY))));
        m_p.setFont(font);
        m_p.setPen(Qt::black);
        const QPoint c = At(x, y);
        const double w = 40 * m_cp.Metrics().DevPixelsPerMmX;
        const double h = 2 * heightMm * m_cp.Metrics().DevPixelsPerMmY;
        m_p.drawText(QRectF(c.x() - w / 2, c.y() - h / 2, w, h), Qt::AlignCenter, text);
    }
    // A paragraph from (x, y) to the right (left on a mirrored page), widthMm wide.
    void Paragraph(double x, double y, double widthMm, double heightMm, const QString& text) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(std::max(1, int(std::lround(heightMm * m_cp.Metrics().DevPixelsPerMmY))));
        m_p.setFont(font);
        m_p.setPen(Qt::black);
        const QPoint a = At(x, y), b = At(m_mirror ? x + widthMm : x + widthMm, y + 40);
        m_p.drawText(QRect(a, b).normalized(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     text);
    }

private:
    QPainter& m_p;
    const TCellPainter& m_cp;
    QRectF m_cell;
    bool m_mirror;
};

QString number(int v) {
    return QString::number(v); // ASCII minus: "-20"
}

} // namespace

QString CalibrationFrontText() {
    return QStringLiteral("Vorderseite: Messen Sie, wie weit die Nulllinien vom Blattrand "
                          "liegen (richtig sind %1 mm), und tragen Sie die Abweichung mit "
                          "umgekehrtem Vorzeichen unter Vorderseite ein.")
        .arg(CalibrationZero);
}

QString CalibrationBackText() {
    return QStringLiteral("Lesen Sie ab, wo die Nulllinie der Rückseite auf der Skala der "
                          "Vorderseite liegt, und tragen Sie den Wert unter Rückseite ein.");
}

std::unique_ptr<TAppDocument> CalibrationDocument(bool landscape) {
    auto doc = std::make_unique<TAppDocument>(false);
    doc->PageWidth = landscape ? 297 : 210;
    doc->PageHeight = landscape ? 210 : 297;
    doc->Orientation = landscape ? 1 : 0;
    return doc;
}

void PaintCalibrationSide(QPainter& painter, const TCellPainter& cellPainter, int side,
                          const QRectF& cellMm) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    TMmPen pen(painter, cellPainter, cellMm, side == 1);
    const double z = CalibrationZero;
    const double thin = 0.15, zeroWidth = 0.3;

    // Scale along the top edge: positions z + v, baseline at y = 12, ticks below it, numbers
    // above it; the zero line starts below the numbers so its "0" stays readable.
    pen.Line(z - CalibrationRange, 12, z + CalibrationRange, 12, thin);
    for (int v = -CalibrationRange; v <= CalibrationRange; ++v) {
        const double len = v % 5 == 0 ? 4 : 2;
        if (v != 0)
            pen.Line(z + v, 12, z + v, 12 + len, thin);
        if (v % 10 == 0)
            pen.Text(z + v, 8, 2.5, number(v));
    }
    pen.Line(z, 10.5, z, 28, zeroWidth);

    // Scale along the left edge: positions z + v, baseline at x = 13, ticks to the right,
    // numbers to the left. They count upwards: a back printed d mm too low lies at -d, the
    // correction to type, as a back printed d mm too far right (on its own page) lies at -d
    // on the top scale after turning.
    pen.Line(13, z - CalibrationRange, 13, z + CalibrationRange, thin);
    for (int v = -CalibrationRange; v <= CalibrationRange; ++v) {
        const double len = v % 5 == 0 ? 4 : 2;
        if (v != 0)
            pen.Line(13, z + v, 13 + len, z + v, thin);
        if (v % 10 == 0)
            pen.Text(5.5, z + v, 2.5, number(-v));
    }
    pen.Line(8, z, 28, z, zeroWidth);

    // The cross at the sheet's centre.
    const double cx = cellMm.width() / 2, cy = cellMm.height() / 2;
    pen.Line(cx - 10, cy, cx + 10, cy, zeroWidth);
    pen.Line(cx, cy - 10, cx, cy + 10, zeroWidth);

    pen.Text(cx, cy - 20, 5,
             side == 0 ? QStringLiteral("Vorderseite") : QStringLiteral("Rückseite"));
    pen.Paragraph(side == 1 ? cellMm.width() - 40 - 130 : 40, cy + 20, 130, 4,
                  side == 0 ? CalibrationFrontText() : CalibrationBackText());
    painter.restore();
}

TPdfPrint PrintCalibrationSheet(const TPrintTarget& printer, const QPoint& frontOffset,
                                const QPoint& backOffset, TPrinterOutput::BackPages back,
                                const TPrintHooks& hooks, bool paperSized) {
    TPdfPrint result;
    TPrintTarget target = printer;
    target.DocName = QStringLiteral("Kalibrierblatt");
    // One cell covering the sheet.
    const auto doc = CalibrationDocument(target.Layout.orientation() == QPageLayout::Landscape);
    if (paperSized) {
        const QRectF paper = target.Layout.fullRect(QPageLayout::Millimeter);
        doc->PageWidth = paper.width();
        doc->PageHeight = paper.height();
    }
    TPrintLayout layout;
    layout.Adjust(TPrinterInfo::FromTarget(target), *doc);
    TPrintRunSettings settings;
    settings.FrontOffset = frontOffset;
    settings.BackOffset = backOffset;
    TPrinterOutput output(target, back);
    TPrintRun run(*doc, layout, output, settings);
    run.PaintCell = PaintCalibrationSide;
    run.AfterCell = hooks.AfterCell;
    run.AfterSheet = hooks.Progress;
    if (hooks.AskTurn)
        run.AskTurn = hooks.AskTurn;
    if (hooks.Running)
        hooks.Running(&run);
    const TPrintRun::Result r = run.Run();
    if (hooks.Running)
        hooks.Running(nullptr);
    result.Ok = r == TPrintRun::Done;
    result.Aborted = r == TPrintRun::Aborted;
    result.Error = run.Error();
    result.Files = output.Written();
    result.Removed = output.Removed();
    result.Sheets = run.SheetsPrinted();
    return result;
}

TPdfPrint PrintCalibrationToPdf(const QString& pdfFile, const QPoint& frontOffset,
                                const QPoint& backOffset, int dpi) {
    return PrintCalibrationSheet(PdfA4Target(pdfFile, false, dpi), frontOffset, backOffset,
                                 TPrinterOutput::BackPages::After, {});
}
