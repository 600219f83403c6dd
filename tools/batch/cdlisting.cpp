// quillmark-batch --cd-listing FOLDER -o OUT.emf: the CD workspace's column picture of a
// folder tree, written as an EMF file.

#include "batchmode.h"
#include "document/cdlisting.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

const QString kCdListing = QStringLiteral("cd-listing");

void addOptions(QList<QCommandLineOption>& options)
{
    options << QCommandLineOption(kCdListing,
                                  QStringLiteral("Zeichnet den Verzeichnisbaum von ORDNER als "
                                                 "Spaltenbild (EMF) für eine CD-Hülle."),
                                  QStringLiteral("ORDNER"));
    AddBatchOption(options, QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                                        QStringLiteral("Die Ausgabedatei."),
                                        QStringLiteral("DATEI")));
    options << QCommandLineOption(QStringLiteral("columns"),
                                  QStringLiteral("Spaltenzahl 1-11 (3)."), QStringLiteral("N"));
    AddBatchOption(options, QCommandLineOption(QStringLiteral("width"),
                                        QStringLiteral("Breite aller Spalten in mm, 3-333 (110)."),
                                        QStringLiteral("MM")));
    AddBatchOption(options, QCommandLineOption(QStringLiteral("height"),
                                        QStringLiteral("Spaltenhöhe in mm, 3-333 (110)."),
                                        QStringLiteral("MM")));
    // Printing takes --distance too, for the cells' distances.
    AddBatchOption(options, QCommandLineOption(QStringLiteral("distance"),
                                        QStringLiteral("Abstand in mm: der Spalten mit "
                                                       "--cd-listing, 1-111 (3); der Zellen "
                                                       "beim Drucken, H,V."),
                                        QStringLiteral("MM|H,V")));
    options << QCommandLineOption(QStringLiteral("depth"),
                                  QStringLiteral("Tiefste Ordnerebene, 1-22 (1)."),
                                  QStringLiteral("N"));
    options << QCommandLineOption(QStringLiteral("files"),
                                  QStringLiteral("Nimmt auch die Dateien auf, nicht nur Ordner."));
    options << QCommandLineOption(QStringLiteral("title"),
                                  QStringLiteral("Titelzeile (ohne Angabe: Name des Laufwerks)."),
                                  QStringLiteral("TEXT"));
    options << QCommandLineOption(QStringLiteral("no-title"),
                                  QStringLiteral("Zeichnet keine Titelzeile."));
}

bool wanted(const QCommandLineParser& parser)
{
    return parser.isSet(kCdListing);
}

// Reads a whole number option; returns false (and sets error) when it is not one.
bool number(const QCommandLineParser& parser, const QString& name, int& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const QString text = parser.value(name);
    const int v = text.trimmed().toInt(&ok);
    if (!ok) {
        error = QStringLiteral("--%1 erwartet eine ganze Zahl, nicht „%2“.").arg(name, text);
        return false;
    }
    value = v;
    return true;
}

int run(const QCommandLineParser& parser)
{
    TCdListingOptions o;
    o.Folder = parser.value(kCdListing);
    const QString out = parser.value(QStringLiteral("o"));
    if (out.isEmpty())
        return BatchFailure(QStringLiteral("--cd-listing braucht eine Ausgabedatei (-o DATEI)."));
    QString error;
    if (!number(parser, QStringLiteral("columns"), o.ColCount, error) ||
        !number(parser, QStringLiteral("width"), o.ColsWidth, error) ||
        !number(parser, QStringLiteral("height"), o.ColHeight, error) ||
        !number(parser, QStringLiteral("distance"), o.ColDist, error) ||
        !number(parser, QStringLiteral("depth"), o.DirLevelMax, error))
        return BatchFailure(error);
    const QString problem = CdLayoutProblem(o);
    if (!problem.isEmpty())
        return BatchFailure(problem);
    if (parser.isSet(QStringLiteral("title")) && parser.isSet(QStringLiteral("no-title")))
        return BatchFailure(QStringLiteral("--title und --no-title schließen einander aus."));

    const QFileInfo folder(o.Folder);
    const QString shown = QDir::toNativeSeparators(o.Folder);
    if (!folder.exists())
        return BatchFailure(QStringLiteral("Der Ordner „%1“ existiert nicht.").arg(shown));
    if (!folder.isDir())
        return BatchFailure(QStringLiteral("„%1“ ist kein Ordner.").arg(shown));
    if (!folder.isReadable() || !folder.isExecutable())
        return BatchFailure(QStringLiteral("Der Ordner „%1“ kann nicht gelesen werden.").arg(shown));
    o.Folder = folder.absoluteFilePath();
    o.DirsOnly = !parser.isSet(QStringLiteral("files"));
    o.DrawTitle = !parser.isSet(QStringLiteral("no-title"));
    // As in the workspace, the title is the drive's name unless one is given.
    o.Title = parser.isSet(QStringLiteral("title")) ? parser.value(QStringLiteral("title"))
                                                    : QStorageInfo(o.Folder).displayName();

    TMetafile picture;
    const TCdListingResult result = DrawCdListing(picture, o);
    try {
        picture.SaveToFile(out);
    } catch (const TMetafileError& e) {
        return BatchFailure(e.message());
    }
    QString line = QStringLiteral("%1: %2 Einträge in %3 Spalten")
                       .arg(QDir::toNativeSeparators(out))
                       .arg(result.Entries)
                       .arg(result.Columns);
    if (!result.Complete)
        line += QStringLiteral(", Spalten voll");
    if (result.BadNames > 0)
        line += QStringLiteral(", %1 Namen nicht in UTF-8 (mit Ersatzzeichen)")
                    .arg(result.BadNames);
    if (!result.Unreadable.isEmpty())
        line += QStringLiteral(", %1 Ordner nicht lesbar").arg(result.Unreadable.size());
    BatchPrintLine(line + QLatin1Char('.'));
    return 0;
}

const bool registered = RegisterBatchMode(
    {40,
     QStringLiteral("  quillmark-batch --cd-listing ORDNER -o AUSGABE.emf [--columns N] "
                    "[--width MM]\n      [--height MM] [--distance MM] [--depth N] [--files] "
                    "[--title TEXT | --no-title]"),
     addOptions, wanted, run});

} // namespace
