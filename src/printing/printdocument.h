#pragma once
// Printing a document without the interface, as the printing workspace would with the
// document's own print settings (margins, distances, copies, all-cells flag, orientation), on
// an A4 PDF page without unprintable border or on a printer of the system, each setting
// replaceable: for scripts, checks and the batch tool.

#include "printing/addressrecords.h"
#include "printing/printeroutput.h"
#include "printing/printmerge.h"
#include <QList>
#include <QMarginsF>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TAppDocument;

struct TPdfPrint {
    bool Ok = false;
    QString Error;     // German, names the file or the printer
    QStringList Files; // the files written, or the jobs handed to the printer
    QStringList Removed; // back sides of an earlier print under the same name, removed
    int Sheets = 0;    // printer sheets of both sides
    QStringList Notes; // German notes on what was printed otherwise than asked (cut texts)
};

// What a print job changes against the document's own print settings.
struct TPrintJob {
    QString PdfFile;     // the PDF to write, or
    QString PrinterName; // a printer of the system (CUPS queue)
    TPrinterOutput::BackPages Back = TPrinterOutput::BackPages::Separate;
    int Dpi = 1200; // resolution of a PDF
    std::optional<int> Copies;
    // Cell numbers in reading order (from 1); empty: all cells with AllCells, else as the
    // document's all-cells flag says.
    QList<int> Cells;
    bool AllCells = false;
    std::optional<QMarginsF> Margins;   // left, top, right, bottom, mm
    std::optional<QPointF> Distances;   // horizontal, vertical, mm
    std::optional<bool> Landscape;
    bool Outline = false; // the cells' frames ("Trennlinien")
    bool Fit = false;     // "Einpassen"
    QPoint FrontOffset, BackOffset; // whole mm
    // Fills the placeholders of a copy of the document from Values; with Merge every cell
    // gets the next of Records instead of Values' address fields.
    bool FillPlaceholders = false;
    std::optional<bool> SkipEmpty; // "Leere Felder auslassen"; unset: the document's setting
    TPlaceholderValues Values;
    bool Merge = false;
    QList<TAddressRecord> Records;
    int FirstCell = 1;
    // Full merged sheets share what every cell has in common (drawn once per side); off, every
    // sheet is drawn whole. The pages look the same either way.
    bool ShareCommon = true;
    // Called after every printed side of a sheet of paper: sheet of sheets, and the side
    // (0 front, 1 back); a sheet printed on both sides is one sheet.
    std::function<void(int sheet, int sheets, int side)> Progress;
};

TPdfPrint PrintDocumentJob(const TAppDocument& doc, const TPrintJob& job);

// The back side goes to FILE-Rueckseite.pdf (Separate) or follows the front pages (After).
TPdfPrint PrintDocumentToPdf(const TAppDocument& doc, const QString& pdfFile,
                             TPrinterOutput::BackPages back, int dpi = 1200);

// The PDF printer the workspace uses when no printer is installed.
void SetupPdfPrinter(QPrinter& printer, bool landscape);
