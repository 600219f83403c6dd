// quillmark-batch --calibration -o AUSGABE.pdf [--offset-front H,V] [--offset-back H,V]: the
// calibration sheet for the sheet offsets, front page then back page, into a PDF.

#include "batchmode.h"
#include "printing/calibrationsheet.h"

#include <QFileInfo>
#include <QPoint>
#include <cstdlib>

namespace {

const QString CalibrationName = QStringLiteral("calibration");
const QString FrontName = QStringLiteral("offset-front");
const QString BackName = QStringLiteral("offset-back");

void addOptions(QList<QCommandLineOption>& options) {
    options << QCommandLineOption(CalibrationName,
                                  QStringLiteral("Druckt das Kalibrierblatt für den "
                                                 "Blattversatz (Vorder- und Rückseite)."));
    AddBatchOption(options,
            QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                               QStringLiteral("Die Ausgabedatei."), QStringLiteral("DATEI")));
    options << QCommandLineOption(FrontName,
                                  QStringLiteral("Blattversatz der Vorderseite in mm, "
                                                 "horizontal,vertikal (0,0)."),
                                  QStringLiteral("H,V"))
            << QCommandLineOption(BackName,
                                  QStringLiteral("Blattversatz der Rückseite in mm, "
                                                 "horizontal,vertikal (0,0)."),
                                  QStringLiteral("H,V"));
}

bool wanted(const QCommandLineParser& parser) {
    return parser.isSet(CalibrationName);
}

// "H,V" in whole mm within the up-downs' range; false (and error) otherwise.
bool offset(const QCommandLineParser& parser, const QString& name, QPoint& value, QString& error) {
    if (!parser.isSet(name))
        return true;
    const QString text = parser.value(name);
    const QStringList parts = text.split(QLatin1Char(','));
    bool okH = false, okV = false;
    const int h = parts.size() == 2 ? parts[0].trimmed().toInt(&okH) : 0;
    const int v = parts.size() == 2 ? parts[1].trimmed().toInt(&okV) : 0;
    if (!okH || !okV) {
        error = QStringLiteral("--%1 erwartet zwei ganze Zahlen H,V, nicht „%2“.").arg(name, text);
        return false;
    }
    if (std::abs(h) > CalibrationRange || std::abs(v) > CalibrationRange) {
        error = QStringLiteral("--%1: der Blattversatz reicht von -%2 bis %2 mm, nicht „%3“.")
                    .arg(name)
                    .arg(CalibrationRange)
                    .arg(text);
        return false;
    }
    value = QPoint(h, v);
    return true;
}

int run(const QCommandLineParser& parser) {
    if (!parser.positionalArguments().isEmpty())
        return BatchFailure(QStringLiteral("--calibration nimmt kein Dokument, angegeben: %1.")
                                .arg(parser.positionalArguments().join(QStringLiteral(", "))));
    const QString out = parser.value(QStringLiteral("o"));
    if (out.isEmpty())
        return BatchFailure(
            QStringLiteral("--calibration braucht eine Ausgabedatei (-o AUSGABE.pdf)."));
    QPoint front, back;
    QString error;
    if (!offset(parser, FrontName, front, error) || !offset(parser, BackName, back, error))
        return BatchFailure(error);
    const TPdfPrint result = PrintCalibrationToPdf(QFileInfo(out).absoluteFilePath(), front, back);
    if (!result.Ok)
        return BatchFailure(result.Error);
    for (const QString& f : result.Files)
        BatchPrintLine(f);
    return 0;
}

// Asked before the plain "DOCUMENT -o OUT" print, which would take the -o for itself.
const bool registered = RegisterBatchMode(
    {50,
     QStringLiteral("  quillmark-batch --calibration -o AUSGABE.pdf [--offset-front H,V] "
                    "[--offset-back H,V]"),
     addOptions, wanted, run});

} // namespace
