#pragma once
// Printing a document without the interface, as the printing workspace would with the
// document's own print settings (margins, distances, copies, all-cells flag, orientation), on
// an A4 PDF page without unprintable border: for scripts, checks and the batch tool.

#include "printing/printeroutput.h"
#include <QString>
#include <QStringList>

class TAppDocument;

struct TPdfPrint {
    bool Ok = false;
    QString Error;     // German, names the file
    QStringList Files; // the files written
    int Sheets = 0;    // printer sheets of both sides
};

// The back side goes to FILE-Rueckseite.pdf (Separate) or follows the front pages (After).
TPdfPrint PrintDocumentToPdf(const TAppDocument& doc, const QString& pdfFile,
                             TPrinterOutput::BackPages back, int dpi = 1200);

// The PDF printer the workspace uses when no printer is installed.
void SetupPdfPrinter(QPrinter& printer, bool landscape);
