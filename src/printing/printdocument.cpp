#include "printing/printdocument.h"

#include "document/appdocument.h"
#include "document/placeholders.h"
#include "printing/printrun.h"
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <memory>

void SetupPdfPrinter(QPrinter& printer, bool landscape) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
    printer.setCreator(QStringLiteral("Quillmark"));
}

namespace {

// Selects the cells of the given numbers (reading order, from 1).
bool selectCells(TPrintLayout& layout, const QList<int>& numbers, QString* error) {
    const std::vector<int> order = CellsInReadingOrder(layout);
    layout.SelectAll(false);
    for (const int n : numbers) {
        if (n < 1 || size_t(n) > order.size()) {
            *error = QStringLiteral("Das Druckblatt hat nur %1 Zellen; Zelle %2 gibt es nicht.")
                         .arg(order.size())
                         .arg(n);
            return false;
        }
        layout.Cells[size_t(order[size_t(n - 1)])].Selected = true;
    }
    return true;
}

} // namespace

TPdfPrint PrintDocumentJob(const TAppDocument& source, const TPrintJob& job) {
    TPdfPrint result;
    // The job's settings and filled placeholders go into a copy; the document stays as it is.
    TAppDocument doc(false);
    doc.CopyFrom(source);
    doc.Modified = false;
    if (job.Margins) {
        doc.PrintMarginLeft = job.Margins->left();
        doc.PrintMarginTop = job.Margins->top();
        doc.PrintMarginRight = job.Margins->right();
        doc.PrintMarginBottom = job.Margins->bottom();
    }
    if (job.Distances) {
        doc.PrintDistHor = job.Distances->x();
        doc.PrintDistVer = job.Distances->y();
    }
    if (job.SkipEmpty)
        doc.SkipEmpty = *job.SkipEmpty;
    const bool landscape = job.Landscape.value_or(source.Orientation == 1);
    doc.Orientation = landscape ? 1 : 0;

    QPrinter printer(QPrinter::HighResolution);
    if (!job.PrinterName.isEmpty()) {
        if (QPrinterInfo::printerInfo(job.PrinterName).isNull()) {
            result.Error = QStringLiteral("Den Drucker „%1“ gibt es nicht.").arg(job.PrinterName);
            return result;
        }
        printer.setPrinterName(job.PrinterName);
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer.setCreator(QStringLiteral("Quillmark"));
    } else {
        SetupPdfPrinter(printer, landscape);
        printer.setResolution(job.Dpi);
        printer.setOutputFileName(job.PdfFile);
    }
    printer.setDocName(source.FileName.isEmpty() ? QStringLiteral("Quillmark")
                                                 : QFileInfo(source.FileName).completeBaseName());

    TPrintLayout layout;
    layout.Adjust(TPrinterInfo::FromPrinter(printer), doc);
    if (!job.Cells.isEmpty()) {
        if (!selectCells(layout, job.Cells, &result.Error))
            return result;
    } else if (job.AllCells || doc.SelectAllCells) {
        layout.SelectAll(true);
    }

    TPrintRunSettings settings;
    const int copies = std::max(1, job.Copies.value_or(int(doc.CopyCount)));
    settings.CopyCount = copies;
    settings.Scale = job.Fit ? layout.FitScale : 1.0;
    settings.Separators = job.Outline;
    settings.FrontOffset = job.FrontOffset;
    settings.BackOffset = job.BackOffset;
    std::unique_ptr<TPrintMerge> merge;
    if (job.Merge) {
        if (job.FirstCell > int(layout.Cells.size())) {
            result.Error = QStringLiteral("Das Druckblatt hat nur %1 Zellen; Zelle %2 gibt es "
                                          "nicht.")
                               .arg(layout.Cells.size())
                               .arg(job.FirstCell);
            return result;
        }
        merge = std::make_unique<TPrintMerge>(doc, job.Records, job.Values);
        merge->SetFirstCell(job.FirstCell);
        const int sheets = merge->SheetCount(layout);
        if (sheets == 0) {
            result.Error = job.Records.isEmpty()
                               ? QStringLiteral("Es gibt keine Adressen zum Drucken.")
                               : QStringLiteral("Ab Zelle %1 ist keine Zelle zum Drucken gewählt.")
                                     .arg(job.FirstCell);
            return result;
        }
        settings.CopyCount = sheets * copies;
    }
    int cutTexts = 0;
    if (!job.Merge && job.FillPlaceholders)
        cutTexts = FillPlaceholdersWith(doc, job.Values);

    TPrinterOutput output(printer, job.Back);
    TPrintRun run(doc, layout, output, settings);
    if (merge) {
        merge->Attach(run, layout, copies);
        if (!job.ShareCommon)
            run.CommonDocument = nullptr;
    }
    run.AfterSheet = job.Progress;
    const TPrintRun::Result r = run.Run();
    result.Ok = r == TPrintRun::Done;
    result.Error = run.Error();
    result.Files = output.Written();
    result.Removed = output.Removed();
    result.Sheets = run.SheetsPrinted();
    if (merge) {
        cutTexts = merge->CutTexts();
        result.Notes << merge->BarcodeProblems();
    }
    if (cutTexts > 0)
        result.Notes << CutTextsNote(cutTexts);
    return result;
}

TPdfPrint PrintDocumentToPdf(const TAppDocument& doc, const QString& pdfFile,
                             TPrinterOutput::BackPages back, int dpi) {
    TPrintJob job;
    job.PdfFile = pdfFile;
    job.Back = back;
    job.Dpi = dpi;
    return PrintDocumentJob(doc, job);
}
