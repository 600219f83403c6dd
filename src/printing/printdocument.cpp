#include "printing/printdocument.h"

#include "document/appdocument.h"
#include "printing/printrun.h"
#include <QFileInfo>
#include <QPrinter>

void SetupPdfPrinter(QPrinter& printer, bool landscape) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
    printer.setCreator(QStringLiteral("Quillmark"));
}

TPdfPrint PrintDocumentToPdf(const TAppDocument& doc, const QString& pdfFile,
                             TPrinterOutput::BackPages back, int dpi) {
    TPdfPrint result;
    QPrinter printer(QPrinter::HighResolution);
    SetupPdfPrinter(printer, doc.Orientation == 1);
    printer.setResolution(dpi);
    printer.setOutputFileName(pdfFile);
    printer.setDocName(doc.FileName.isEmpty() ? QStringLiteral("Quillmark")
                                              : QFileInfo(doc.FileName).completeBaseName());
    TPrintLayout layout;
    layout.Adjust(TPrinterInfo::FromPrinter(printer), doc);
    if (doc.SelectAllCells)
        layout.SelectAll(true);
    TPrintRunSettings settings;
    settings.CopyCount = doc.CopyCount;
    TPrinterOutput output(printer, back);
    TPrintRun run(doc, layout, output, settings);
    const TPrintRun::Result r = run.Run();
    result.Ok = r == TPrintRun::Done;
    result.Error = run.Error();
    result.Files = output.Written();
    result.Sheets = run.SheetsPrinted();
    return result;
}
