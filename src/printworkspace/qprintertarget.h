#pragma once
// The printer as Qt's print dialog sets it up, turned into what the printing code takes.

#include "printing/labelproducts.h"
#include "printing/printlayout.h"
#include "printing/printtarget.h"

class QPrinter;

// Name or PDF file, paper and printable area, resolution, title, duplex and the options of
// the dialog's advanced page.
TPrintTarget PrintTargetOf(const QPrinter& printer);
// What the layout asks of that printer.
TPrinterInfo PrinterInfoOf(const QPrinter& printer);
// Sets the printer's paper to the product's, turned when the product's paper is wider than
// high.
void ApplyProductPaper(QPrinter& printer, const TLabelProduct& product);
// The PDF printer the workspace uses when no printer is installed: A4 without border.
void SetupPdfPrinter(QPrinter& printer, bool landscape);
