#pragma once
// Printing a document: the one way both the printing workspace and the batch tool print. A job
// takes the document's own print settings (margins, distances, copies, all-cells flag,
// orientation), each replaceable, and prints a copy of the document on an A4 PDF page without
// unprintable border, on a printer of the system, or on the printer the user set up.

#include "addresses/addressrecords.h"
#include "printing/printeroutput.h"
#include "printing/printmerge.h"
#include "printing/printtarget.h"
#include <QList>
#include <QMarginsF>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TAppDocument;
class TPrintRun;

struct TPdfPrint {
    bool Ok = false;
    QString Error;     // German, names the file or the printer
    QStringList Files; // the files written, or the jobs handed to the printer
    QStringList Removed; // back sides of an earlier print under the same name, removed
    int Sheets = 0;    // printer sheets of both sides
    QStringList Notes; // German notes on what was printed otherwise than asked (cut texts)
    bool Aborted = false; // the user stopped the run; nothing was printed
};

// What a run asks of the interface while it goes on; every part may be left empty.
struct TPrintHooks {
    // Before the back side: true when the user turned the sheets (none: go on).
    std::function<bool(bool landscape)> AskTurn;
    // After every cell (the workspace keeps its abort button alive).
    std::function<void()> AfterCell;
    // The run while it goes on (to abort it), and nullptr when it ended.
    std::function<void(TPrintRun* run)> Running;
    // After every printed side of a sheet of paper: sheet of sheets, and the side (0 front,
    // 1 back); a sheet printed on both sides is one sheet.
    std::function<void(int sheet, int sheets, int side)> Progress;
};

// What a print job changes against the document's own print settings.
struct TPrintJob {
    QString PdfFile;     // the PDF to write, or
    QString PrinterName; // a printer of the system (CUPS queue), or
    std::optional<TPrintTarget> Target; // the printer as the user set it up
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
    // A label or card product ("Avery C32011-10"); empty: the document's own.
    QString Product;
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
    TPrintHooks Hooks;
};

TPdfPrint PrintDocumentJob(const TAppDocument& doc, const TPrintJob& job);

// The back side goes to FILE-Rueckseite.pdf (Separate) or follows the front pages (After).
TPdfPrint PrintDocumentToPdf(const TAppDocument& doc, const QString& pdfFile,
                             TPrinterOutput::BackPages back, int dpi = 1200);

