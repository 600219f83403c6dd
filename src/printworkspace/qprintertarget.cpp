#include "printworkspace/qprintertarget.h"

#include <QPrintEngine>
#include <QPrinter>

namespace {

// Qt's CUPS support keeps the options of the print dialog's advanced page under this key.
constexpr int CupsOptionsKey = 0xfe00;

} // namespace

TPrintTarget PrintTargetOf(const QPrinter& printer) {
    TPrintTarget target;
    if (printer.outputFormat() == QPrinter::PdfFormat)
        target.PdfFile = printer.outputFileName();
    else
        target.PrinterName = printer.printerName();
    // The engine's layout: in full-page mode when the printer prints from the paper's corner.
    target.Layout = printer.pageLayout();
    target.Resolution = printer.resolution();
    target.DocName = printer.docName();
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        target.Sides = TPrintTarget::Duplex::None;
        break;
    case QPrinter::DuplexLongSide:
        target.Sides = TPrintTarget::Duplex::LongSide;
        break;
    case QPrinter::DuplexShortSide:
        target.Sides = TPrintTarget::Duplex::ShortSide;
        break;
    case QPrinter::DuplexAuto:
        target.Sides = TPrintTarget::Duplex::Auto;
        break;
    }
    if (QPrintEngine* engine = printer.printEngine())
        target.CupsOptions =
            engine->property(QPrintEngine::PrintEnginePropertyKey(CupsOptionsKey)).toStringList();
    return target;
}

TPrinterInfo PrinterInfoOf(const QPrinter& printer) {
    TPrinterInfo info = TPrinterInfo::FromTarget(PrintTargetOf(printer));
    // The name shown for a PDF printer that has one.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.printerName().isEmpty())
        info.Name = printer.printerName();
    return info;
}

void SetupPdfPrinter(QPrinter& printer, bool landscape) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
    printer.setCreator(QStringLiteral("Quillmark"));
}

void ApplyProductPaper(QPrinter& printer, const TLabelProduct& product) {
    const auto size = ProductPageSize(product);
    if (!size)
        return;
    printer.setPageSize(*size);
    printer.setPageOrientation(product.Landscape() ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
}
