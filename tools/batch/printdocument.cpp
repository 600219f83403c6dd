// quillmark-batch DOKUMENT.qmk (-o AUSGABE.pdf | -P DRUCKER) [...]: prints the document as the
// printing workspace would, with the document's own print settings unless an option replaces
// one, optionally one address record per cell (--merge).

#include "platform/programdata.h"
#include "batchmode.h"
#include "document/appdocument.h"
#include "printing/calibrationsheet.h"
#include "printing/printdocument.h"
#include "printing/printrun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

const QString OutputName = QStringLiteral("o");
const QString PrinterOption = QStringLiteral("P");
const QString CopiesName = QStringLiteral("copies");
const QString CellsName = QStringLiteral("cells");
const QString MarginsName = QStringLiteral("margins");
const QString DistanceName = QStringLiteral("distance");
const QString LandscapeName = QStringLiteral("landscape");
const QString OutlineName = QStringLiteral("outline");
const QString FitName = QStringLiteral("fit");
const QString FrontName = QStringLiteral("offset-front");
const QString BackOffsetName = QStringLiteral("offset-back");
const QString BackName = QStringLiteral("back");
const QString MergeName = QStringLiteral("merge");
const QString RecordsName = QStringLiteral("records");
const QString FirstCellName = QStringLiteral("first-cell");
const QString TextBlockName = QStringLiteral("text-block");
const QString SkipEmptyName = QStringLiteral("skip-empty");
const QString AcceptDamagedName = QStringLiteral("accept-damaged");
const QString ProductName = QStringLiteral("product");

void addOptions(QList<QCommandLineOption>& options) {
    auto add = [&options](const QStringList& names, const QString& text, const QString& value) {
        AddBatchOption(options, QCommandLineOption(names, text, value));
    };
    add({OutputName, QStringLiteral("output")},
        QStringLiteral("Druckt das Dokument in diese PDF-Datei (A4, ohne Rand)."),
        QStringLiteral("DATEI"));
    add({PrinterOption, QStringLiteral("printer")},
        QStringLiteral("Druckt auf diesem Drucker (CUPS-Warteschlange)."),
        QStringLiteral("DRUCKER"));
    add({CopiesName}, QStringLiteral("Anzahl der Druckbogen (Vorgabe: die des Dokuments)."),
        QStringLiteral("N"));
    add({CellsName},
        QStringLiteral("Zu bedruckende Zellen, zeilenweise von oben links ab 1 gezählt: all oder "
                       "eine Liste wie 1,3-4."),
        QStringLiteral("all|LISTE"));
    add({MarginsName},
        QStringLiteral("Druckränder in mm: links,oben,rechts,unten (negativ nur mit --fit)."),
        QStringLiteral("L,O,R,U"));
    add({DistanceName}, QStringLiteral("Abstände der Zellen in mm: horizontal,vertikal."),
        QStringLiteral("H,V"));
    add({LandscapeName}, QStringLiteral("Druckt im Querformat."), QString());
    add({ProductName},
        QStringLiteral("Druckt auf die Etiketten oder Karten dieses Bogens, Hersteller und "
                       "Artikelnummer wie in --list-products (z. B. \"Avery C32011-10\"); "
                       "setzt Papier, Ränder und Abstände."),
        QStringLiteral("BOGEN"));
    add({OutlineName}, QStringLiteral("Zeichnet die Umrisse der Zellen (Trennlinien)."),
        QString());
    add({FitName},
        QStringLiteral("Passt den Inhalt in die bedruckbare Fläche ein (Einpassen)."),
        QString());
    add({FrontName}, QStringLiteral("Blattversatz der Vorderseite in mm, horizontal,vertikal."),
        QStringLiteral("H,V"));
    add({BackOffsetName}, QStringLiteral("Blattversatz der Rückseite in mm, horizontal,vertikal."),
        QStringLiteral("H,V"));
    add({BackName},
        QStringLiteral("Rückseite: separate = eigene Datei DATEI-Rueckseite.pdf (Vorgabe), "
                       "after = Seiten nach der Vorderseite, interleaved = Vorder- und "
                       "Rückseite im Wechsel (Duplex)."),
        QStringLiteral("separate|after|interleaved"));
    add({MergeName},
        QStringLiteral("Jede gewählte Zelle erhält die nächste Adresse dieser Datei "
                       "(Adressdatei, vCard oder CSV), Blatt für Blatt."),
        QStringLiteral("DATEI"));
    add({RecordsName},
        QStringLiteral("Die Adressen (ab 1 gezählt) für --merge: all oder eine Liste wie 2-40."),
        QStringLiteral("all|LISTE"));
    add({FirstCellName},
        QStringLiteral("Mit --merge: erste Zelle des ersten Blatts, die eine Adresse erhält "
                       "(die Zellen davor bleiben leer)."),
        QStringLiteral("N"));
    add({TextBlockName},
        QStringLiteral("Setzt den Textbaustein N (1-10) für <tN>; mehrfach angebbar."),
        QStringLiteral("N=TEXT"));
    add({SkipEmptyName},
        QStringLiteral("Leere Felder auslassen: ein leerer Platzhalter nimmt seine Leerzeichen "
                       "mit, ein Text aus lauter leeren Platzhaltern entfällt samt seinen "
                       "Wörtern (Vorgabe: die Einstellung des Dokuments)."),
        QString());
    add({AcceptDamagedName},
        QStringLiteral("Druckt auch ein beschädigtes Dokument, so weit es gelesen werden "
                       "konnte (sonst Abbruch mit Status 1)."),
        QString());
}

bool wanted(const QCommandLineParser& parser) {
    return parser.isSet(OutputName) || parser.isSet(PrinterOption);
}

// A refusal of the command line: one line for BatchFailure.
struct TBadOption {
    QString message;
};

// Margins and distances beyond a metre are typing errors, not sheets.
constexpr double MaxLength = 1000;

// "A,B,..." of exactly count finite numbers, each from min to max (mm).
QList<double> numbers(const QCommandLineParser& parser, const QString& name, int count,
                      bool whole, double min, double max) {
    const QString text = parser.value(name);
    const QStringList parts = text.split(QLatin1Char(','));
    QList<double> values;
    for (const QString& p : parts) {
        bool ok = false;
        const double v = whole ? double(p.trimmed().toInt(&ok)) : p.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v))
            break;
        values << v;
    }
    if (parts.size() != count || values.size() != count) {
        const QString what = whole ? QStringLiteral("ganze Zahlen") : QStringLiteral("Zahlen");
        throw TBadOption{QStringLiteral("--%1 erwartet %2 %3 durch Kommas getrennt, nicht „%4“.")
                             .arg(name)
                             .arg(count)
                             .arg(what, text)};
    }
    for (const double v : values) {
        if (v < min || v > max)
            throw TBadOption{QStringLiteral("--%1: jeder Wert muss zwischen %2 und %3 mm liegen, "
                                            "nicht „%4“.")
                                 .arg(name)
                                 .arg(min)
                                 .arg(max)
                                 .arg(text)};
    }
    return values;
}

int positiveNumber(const QCommandLineParser& parser, const QString& name, int max) {
    bool ok = false;
    const int v = parser.value(name).trimmed().toInt(&ok);
    if (!ok || v < 1 || v > max)
        throw TBadOption{QStringLiteral("--%1 erwartet eine ganze Zahl von 1 bis %2, nicht „%3“.")
                             .arg(name)
                             .arg(max)
                             .arg(parser.value(name))};
    return v;
}

// The text blocks and address fields the program itself would use: the user's stored text
// blocks and the first record of the user's address file.
TPlaceholderValues storedValues() {
    TPlaceholderValues values;
    const std::unique_ptr<QSettings> store(OpenRegistry());
    store->beginGroup(QStringLiteral("Textbausteine"));
    for (int i = 1; i <= 10; ++i)
        values.TextBlocks[size_t(i)] =
            store->value(QStringLiteral("T%1").arg(i, 2, 10, QLatin1Char('0'))).toString();
    store->endGroup();
    try {
        const QStringList lines =
            ReadAddressFile(AddressFileToRead(DataDirFor(QCoreApplication::applicationFilePath())));
        if (lines.size() > 1)
            SetAddressFields(values, SplitAddressRecord(lines.at(1)));
    } catch (const TAddressError&) {
        // Without an address file the address placeholders stay empty, as in the program.
    }
    return values;
}

TPrintJob jobFromOptions(const QCommandLineParser& parser) {
    TPrintJob job;
    if (parser.isSet(OutputName) && parser.isSet(PrinterOption))
        throw TBadOption{QStringLiteral("Entweder -o DATEI oder -P DRUCKER, nicht beides.")};
    if (parser.isSet(OutputName)) {
        if (parser.value(OutputName).isEmpty())
            throw TBadOption{QStringLiteral("Keine Ausgabedatei angegeben (-o AUSGABE.pdf).")};
        job.PdfFile = QFileInfo(parser.value(OutputName)).absoluteFilePath();
    } else {
        job.PrinterName = parser.value(PrinterOption).trimmed();
        if (job.PrinterName.isEmpty())
            throw TBadOption{QStringLiteral("Kein Drucker angegeben (-P DRUCKER).")};
    }
    if (parser.isSet(BackName)) {
        const QString v = parser.value(BackName);
        if (v == QLatin1String("after"))
            job.Back = TPrinterOutput::BackPages::After;
        else if (v == QLatin1String("interleaved"))
            job.Back = TPrinterOutput::BackPages::Interleaved;
        else if (v != QLatin1String("separate"))
            throw TBadOption{QStringLiteral("Unbekannter Wert für --back: „%1“ (erlaubt: "
                                            "separate, after, interleaved).")
                                 .arg(v)};
    }
    if (parser.isSet(CopiesName))
        job.Copies = positiveNumber(parser, CopiesName, 999);
    const QString cells = parser.value(CellsName).trimmed();
    if (parser.isSet(CellsName) && (cells.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0 ||
                                    cells.compare(QLatin1String("alle"), Qt::CaseInsensitive) == 0)) {
        job.AllCells = true;
    } else if (parser.isSet(CellsName)) {
        QString why;
        // The number of cells is known once the layout is made; the job checks the upper end.
        if (!ParseNumberList(parser.value(CellsName), 100 * 100, &job.Cells, &why))
            throw TBadOption{QStringLiteral("--cells: ") + why};
    }
    if (parser.isSet(MarginsName)) {
        const QList<double> m = numbers(parser, MarginsName, 4, false,
                                         parser.isSet(FitName) ? -MaxLength : 0, MaxLength);
        job.Margins = QMarginsF(m[0], m[1], m[2], m[3]);
    }
    if (parser.isSet(DistanceName)) {
        const QList<double> d = numbers(parser, DistanceName, 2, false, 0, MaxLength);
        job.Distances = QPointF(d[0], d[1]);
    }
    if (parser.isSet(LandscapeName))
        job.Landscape = true;
    if (parser.isSet(ProductName)) {
        job.Product = parser.value(ProductName).trimmed();
        if (job.Product.isEmpty())
            throw TBadOption{QStringLiteral("--product erwartet den Namen eines Bogens; "
                                            "--list-products zeigt sie.")};
    }
    if (parser.isSet(SkipEmptyName))
        job.SkipEmpty = true;
    job.Outline = parser.isSet(OutlineName);
    job.Fit = parser.isSet(FitName);
    if (parser.isSet(FrontName)) {
        const QList<double> o = numbers(parser, FrontName, 2, true, -CalibrationRange, CalibrationRange);
        job.FrontOffset = QPoint(int(o[0]), int(o[1]));
    }
    if (parser.isSet(BackOffsetName)) {
        const QList<double> o = numbers(parser, BackOffsetName, 2, true, -CalibrationRange, CalibrationRange);
        job.BackOffset = QPoint(int(o[0]), int(o[1]));
    }
    if (!parser.isSet(MergeName)) {
        for (const QString& name : {RecordsName, FirstCellName}) {
            if (parser.isSet(name))
                throw TBadOption{QStringLiteral("--%1 gilt nur mit --merge DATEI.").arg(name)};
        }
    }
    if (parser.isSet(FirstCellName))
        job.FirstCell = positiveNumber(parser, FirstCellName, 100 * 100);

    const QStringList blocks = parser.values(TextBlockName);
    if (!blocks.isEmpty() || parser.isSet(MergeName)) {
        job.FillPlaceholders = true;
        job.Values = storedValues();
    }
    for (const QString& b : blocks) {
        const qsizetype eq = b.indexOf(QLatin1Char('='));
        bool ok = false;
        const int n = eq > 0 ? b.left(eq).trimmed().toInt(&ok) : 0;
        if (!ok || n < 1 || n > 10)
            throw TBadOption{QStringLiteral("--text-block erwartet N=TEXT mit N von 1 bis 10, "
                                            "nicht „%1“.")
                                 .arg(b)};
        job.Values.TextBlocks[size_t(n)] = b.mid(eq + 1);
    }
    return job;
}

// Reads the merge file and picks the records; throws TBadOption or TAddressError.
void readRecords(const QCommandLineParser& parser, TPrintJob& job) {
    const QString file = parser.value(MergeName);
    if (file.isEmpty())
        throw TBadOption{QStringLiteral("--merge erwartet eine Adressdatei.")};
    const TAddressImport source = ReadAddressSource(file);
    if (source.Records.isEmpty())
        throw TBadOption{QStringLiteral("Die Datei „%1“ enthält keine Adressen.").arg(file)};
    // Repaired or skipped contacts are said before the print, which goes on with the others.
    const QString note = AddressImportNote(source, file);
    if (!note.isEmpty())
        std::fprintf(stderr, "quillmark-batch: %s\n", note.toUtf8().constData());
    QList<int> chosen;
    QString why;
    if (!ParseNumberList(parser.isSet(RecordsName) ? parser.value(RecordsName)
                                                   : QStringLiteral("all"),
                         int(source.Records.size()), &chosen, &why))
        throw TBadOption{QStringLiteral("--records für „%1“: %2").arg(file, why)};
    job.Merge = true;
    for (const int n : chosen)
        job.Records << source.Records.at(n - 1);
}

int run(const QCommandLineParser& parser) {
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return BatchFailure(
            QStringLiteral("Kein Dokument angegeben (DOKUMENT.qmk -o AUSGABE.pdf)."));
    if (args.size() > 1)
        return BatchFailure(QStringLiteral("Nur ein Dokument kann gedruckt werden, angegeben: %1.")
                                .arg(args.join(QStringLiteral(", "))));
    TPrintJob job;
    try {
        job = jobFromOptions(parser);
        if (parser.isSet(MergeName))
            readRecords(parser, job);
    } catch (const TBadOption& e) {
        return BatchFailure(e.message);
    } catch (const TAddressError& e) {
        return BatchFailure(e.message());
    }
    if (!QFileInfo(args.first()).isFile())
        return BatchFailure(QStringLiteral("Das Dokument „%1“ gibt es nicht.").arg(args.first()));
    // An unreadable file is left to the loader, which names the reason.
    if (QFileInfo(args.first()).isReadable() && !IsDocumentFile(args.first()))
        return BatchFailure(
            QStringLiteral("Die Datei „%1“ ist kein Quillmark-Dokument.").arg(args.first()));
    TAppDocument doc(false);
    try {
        doc.LoadFromFile(args.first());
    } catch (const TDocumentError& e) {
        return BatchFailure(e.message());
    }
    doc.FileName = args.first();
    if (doc.LoadReport.Damaged) {
        const QString damage = DamageText(args.first(), doc.LoadReport);
        if (!parser.isSet(AcceptDamagedName))
            return BatchFailure(damage + QStringLiteral(" Mit --accept-damaged wird gedruckt, "
                                                        "was gelesen wurde."));
        std::fprintf(stderr, "quillmark-batch: Hinweis: %s\n", damage.toUtf8().constData());
    }
    // Sheets of paper are counted; with a back side each line says which side is done.
    const bool twoSided = TPrintRun::HasBackSide(doc);
    job.Hooks.Progress = [twoSided](int sheet, int sheets, int side) {
        QString line = QStringLiteral("Blatt %1 von %2").arg(sheet).arg(sheets);
        if (twoSided)
            line += side == 0 ? QStringLiteral(", Vorderseite") : QStringLiteral(", Rückseite");
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
    };
    const TPdfPrint result = PrintDocumentJob(doc, job);
    if (!result.Ok)
        return BatchFailure(result.Error);
    for (const QString& note : result.Notes)
        std::fprintf(stderr, "quillmark-batch: Hinweis: %s\n", note.toUtf8().constData());
    for (const QString& f : result.Files)
        BatchPrintLine(f);
    for (const QString& f : result.Removed)
        std::fprintf(stderr, "%s\n",
                     QStringLiteral("Die Rückseite „%1“ eines früheren Drucks wurde entfernt.")
                         .arg(f)
                         .toUtf8()
                         .constData());
    return 0;
}

// Printing is the task of a plain "DOCUMENT -o OUT" line; other tasks that write with -o name
// themselves with their own option, so they are asked first.
const bool registered = RegisterBatchMode(
    {90,
     QStringLiteral(
         "  quillmark-batch DOKUMENT.qmk (-o AUSGABE.pdf | -P DRUCKER) [--copies N]\n"
         "      [--cells all|1,3-4] [--margins L,O,R,U] [--distance H,V] [--landscape]\n"
         "      [--product BOGEN]\n"
         "      [--outline] [--fit] [--offset-front H,V] [--offset-back H,V]\n"
         "      [--back separate|after|interleaved] [--merge DATEI] [--records all|2-40]\n"
         "      [--first-cell N] [--text-block N=TEXT ...] [--skip-empty]\n"
         "      [--accept-damaged]"),
     addOptions, wanted, run});

} // namespace
