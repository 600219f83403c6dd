#pragma once
// The calibration sheet for the sheet offsets ("Blattversatz"): a front page with a millimetre
// scale along the top and the left edge around zero lines 45 mm from the paper's edges and a
// cross at the centre, and a back page with the same scales mirrored as they lie after the
// sheet is turned. Both pages go through the ordinary print run with the offsets in force.

#include "printing/printdocument.h"
#include "printing/printrun.h"
#include <QPoint>
#include <QRectF>
#include <QString>
#include <memory>

class QPainter;
class TCellPainter;

// Where the zero lines lie, mm from the paper's top and left edge (right edge on the back):
// far enough in that the two scales, reaching CalibrationRange to either side, stay apart in
// the corner where they would meet.
constexpr double CalibrationZero = 45;
// The scales reach this far to either side of the zero line, mm.
constexpr int CalibrationRange = 25;

QString CalibrationFrontText();
QString CalibrationBackText();

// A document of one sheet's size without margins: its layout has one cell covering the sheet.
std::unique_ptr<TAppDocument> CalibrationDocument(bool landscape);

// Draws one side of the sheet into the cell (the whole sheet, offsets applied) through the
// cell painter's device mapping.
void PaintCalibrationSide(QPainter& painter, const TCellPainter& cellPainter, int side,
                          const QRectF& cellMm);

// Prints the sheet on the printer, landscape when its paper is turned; paperSized makes the
// sheet as large as the paper (a product's sheet).
TPdfPrint PrintCalibrationSheet(const TPrintTarget& printer, const QPoint& frontOffset,
                                const QPoint& backOffset, TPrinterOutput::BackPages back,
                                const TPrintHooks& hooks, bool paperSized = false);
// Prints the sheet into an A4 PDF, the back page after the front page.
TPdfPrint PrintCalibrationToPdf(const QString& pdfFile, const QPoint& frontOffset,
                                const QPoint& backOffset, int dpi = 1200);
