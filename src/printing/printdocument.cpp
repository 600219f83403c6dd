#include "printing/printdocument.h"

#include "document/appdocument.h"
#include "document/placeholders.h"
#include "printing/labelproducts.h"
#include "printing/printrun.h"
#include <QFileInfo>
#include <memory>

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
    if (!job.Product.trimmed().isEmpty()) {
        const TLabelCatalogue& catalogue = TLabelCatalogue::Installed();
        const TLabelProduct* product = catalogue.Find(job.Product);
        if (!product) {
            result.Error =
                catalogue.IsEmpty()
                    ? QStringLiteral("Es sind keine Bögen installiert (Paket glabels-data); "
                                     "„%1“ gibt es nicht.")
                          .arg(job.Product.trimmed())
                    : QStringLiteral("Den Bogen „%1“ gibt es nicht; am ähnlichsten sind: %2.")
                          .arg(job.Product.trimmed(),
                               catalogue.Closest(job.Product).join(QStringLiteral(", ")));
            return result;
        }
        const QString refusal = ProductRefusal(*product, doc.PageWidth, doc.PageHeight);
        if (!refusal.isEmpty()) {
            result.Error = refusal;
            return result;
        }
        ApplyProduct(doc, *product);
    }
    const TLabelProduct* product =
        doc.PrintProduct.isEmpty() ? nullptr : TLabelCatalogue::Installed().Find(doc.PrintProduct);
    // A product's paper has its own orientation.
    const bool landscape =
        product ? product->Landscape() : job.Landscape.value_or(doc.Orientation == 1);
    doc.Orientation = landscape ? 1 : 0;

    TPrintTarget target;
    if (job.Target) {
        target = *job.Target;
    } else if (!job.PrinterName.isEmpty()) {
        const auto printer = SystemPrinterTarget(job.PrinterName, landscape, &result.Error);
        if (!printer)
            return result;
        target = *printer;
        if (product)
            ApplyProductPaper(target, *product);
    } else {
        target = PdfA4Target(job.PdfFile, landscape, job.Dpi);
        if (product)
            ApplyProductPaper(target, *product);
    }
    if (!job.Target || target.DocName.isEmpty() || !source.FileName.isEmpty())
        target.DocName = source.FileName.isEmpty()
                             ? QStringLiteral("Quillmark")
                             : QFileInfo(source.FileName).completeBaseName();

    TPrintLayout layout;
    layout.Adjust(TPrinterInfo::FromTarget(target), doc);
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
            result.Error = job.Records.isEmpty() ? QStringLiteral("Es gibt keine Adressen zum Drucken.")
                           : job.FirstCell > 1
                               ? QStringLiteral("Ab Zelle %1 ist keine Zelle zum Drucken gewählt.")
                                     .arg(job.FirstCell)
                               : NoCellChosenText();
            return result;
        }
        settings.CopyCount = sheets * copies;
    }
    int cutTexts = 0;
    if (!job.Merge && job.FillPlaceholders)
        cutTexts = doc.FillPlaceholders(job.Values);

    TPrinterOutput output(target, job.Back);
    TPrintRun run(doc, layout, output, settings);
    if (merge) {
        merge->Attach(run, layout, copies);
        if (!job.ShareCommon)
            run.CommonDocument = nullptr;
    }
    run.AfterSheet = job.Hooks.Progress;
    run.AfterCell = job.Hooks.AfterCell;
    if (job.Hooks.AskTurn)
        run.AskTurn = job.Hooks.AskTurn;
    if (job.Hooks.Running)
        job.Hooks.Running(&run);
    const TPrintRun::Result r = run.Run();
    if (job.Hooks.Running)
        job.Hooks.Running(nullptr);
    result.Ok = r == TPrintRun::Done;
    result.Aborted = r == TPrintRun::Aborted;
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
