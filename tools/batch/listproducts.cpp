// quillmark-batch --list-products [TEXT]: the label and card products of the installed
// catalogue, one a line (maker and part, description, label size, labels per sheet, paper),
// those holding every word of TEXT when it is given.

#include "batchmode.h"
#include "printing/labelproducts.h"

namespace {

const QCommandLineOption listProducts(
    QStringLiteral("list-products"),
    QStringLiteral("Listet die Etiketten- und Kartenbögen (Hersteller, Artikelnummer, "
                   "Beschreibung, Etikettengröße, Anzahl je Bogen), mit TEXT nur die passenden."));

int run(const QCommandLineParser& parser) {
    const TLabelCatalogue& catalogue = TLabelCatalogue::Installed();
    if (catalogue.IsEmpty())
        return BatchFailure(QStringLiteral("Es sind keine Bögen installiert (Paket glabels-data, "
                                           "gesucht in %1).")
                                .arg(TLabelCatalogue::InstalledFolder()));
    const QString text = parser.positionalArguments().join(QLatin1Char(' '));
    const auto found = catalogue.Search(text);
    if (found.empty())
        return BatchFailure(QStringLiteral("Kein Bogen passt zu „%1“.").arg(text));
    for (const TLabelProduct* p : found)
        BatchPrintLine(p->Summary());
    return 0;
}

const bool registered = RegisterBatchMode(BatchMode{
    11,
    QStringLiteral("  quillmark-batch --list-products [TEXT]"),
    [](QList<QCommandLineOption>& options) { options << listProducts; },
    [](const QCommandLineParser& parser) { return parser.isSet(listProducts); },
    run,
});

} // namespace
