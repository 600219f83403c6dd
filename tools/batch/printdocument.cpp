// quillmark-batch DOKUMENT.qmk -o AUSGABE.pdf [--back separate|after]: prints the document
// into a PDF as the printing workspace would, with the document's own print settings.

#include "printing/printdocument.h"
#include "batchmode.h"
#include "document/appdocument.h"

#include <QFileInfo>

namespace {

const QString OutputName = QStringLiteral("o");
const QString BackName = QStringLiteral("back");

void addOptions(QList<QCommandLineOption>& options) {
    AddBatchOption(options, QCommandLineOption({OutputName, QStringLiteral("output")},
                                        QStringLiteral("Druckt das Dokument in diese PDF-Datei "
                                                       "(A4, ohne Rand)."),
                                        QStringLiteral("DATEI")));
    options << QCommandLineOption(BackName,
                                  QStringLiteral("Rückseite: separate = eigene Datei "
                                                 "DATEI-Rueckseite.pdf (Vorgabe), after = Seiten "
                                                 "nach der Vorderseite."),
                                  QStringLiteral("separate|after"));
}

bool wanted(const QCommandLineParser& parser) {
    return parser.isSet(OutputName);
}

int run(const QCommandLineParser& parser) {
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return BatchFailure(
            QStringLiteral("Kein Dokument angegeben (DOKUMENT.qmk -o AUSGABE.pdf)."));
    if (args.size() > 1)
        return BatchFailure(QStringLiteral("Nur ein Dokument kann gedruckt werden, angegeben: %1.")
                                .arg(args.join(QStringLiteral(", "))));
    const QString out = parser.value(OutputName);
    if (out.isEmpty())
        return BatchFailure(QStringLiteral("Keine Ausgabedatei angegeben (-o AUSGABE.pdf)."));
    TPrinterOutput::BackPages back = TPrinterOutput::BackPages::Separate;
    if (parser.isSet(BackName)) {
        const QString v = parser.value(BackName);
        if (v == QLatin1String("after"))
            back = TPrinterOutput::BackPages::After;
        else if (v != QLatin1String("separate"))
            return BatchFailure(QStringLiteral("Unbekannter Wert für --back: „%1“ (erlaubt: "
                                               "separate, after).")
                                    .arg(v));
    }
    if (!QFileInfo(args.first()).isFile())
        return BatchFailure(QStringLiteral("Das Dokument „%1“ gibt es nicht.").arg(args.first()));
    TAppDocument doc(false);
    try {
        doc.LoadFromFile(args.first());
    } catch (const TDocumentError& e) {
        return BatchFailure(e.message());
    }
    doc.FileName = args.first();
    const TPdfPrint result = PrintDocumentToPdf(doc, QFileInfo(out).absoluteFilePath(), back);
    if (!result.Ok)
        return BatchFailure(result.Error);
    for (const QString& f : result.Files)
        BatchPrintLine(f);
    return 0;
}

// Printing is the task of a plain "DOCUMENT -o OUT" line; other tasks that write with -o name
// themselves with their own option, so they are asked first.
const bool registered = RegisterBatchMode(
    {90, QStringLiteral("  quillmark-batch DOKUMENT.qmk -o AUSGABE.pdf [--back separate|after]"),
     addOptions, wanted, run});

} // namespace
