// quillmark-batch: runs the program's tasks from the command line. Options are parsed with
// QCommandLineParser; every refusal ends with exit status 1 and one line on stderr.

#include "batchmode.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>

namespace {

std::vector<BatchMode>& modes() {
    static std::vector<BatchMode> list;
    return list;
}

void quietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

QString usageText() {
    QString text = QStringLiteral("Aufruf:\n");
    for (const BatchMode& m : BatchModes())
        text += m.usage + QLatin1Char('\n');
    return text;
}

// QCommandLineParser words its refusals in English; the tool speaks German.
QString germanParseError(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("Unbekannte Option „%1“; --help zeigt die Aufrufe.")
            .arg(parser.unknownOptionNames().first());
    const QString english = parser.errorText();
    const qsizetype open = english.indexOf(QLatin1Char('\''));
    const qsizetype close = english.lastIndexOf(QLatin1Char('\''));
    const QString name = open >= 0 && close > open ? english.mid(open + 1, close - open - 1) : QString();
    if (english.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("Der Option %1 fehlt ihr Wert.").arg(name);
    if (english.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("Die Option %1 nimmt keinen Wert.").arg(name);
    return QStringLiteral("Die Aufrufzeile ist fehlerhaft; --help zeigt die Aufrufe.");
}

// QCommandLineParser's own help is English; this one is German.
QString helpText(const QList<QCommandLineOption>& options) {
    QString text = QStringLiteral("Quillmark ohne Oberfläche: Aufgaben für Skripte.\n\n") +
                   usageText() + QStringLiteral("\nOptionen:\n");
    for (const QCommandLineOption& o : options) {
        QStringList names;
        for (const QString& n : o.names())
            names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        QString left = names.join(QStringLiteral(", "));
        if (!o.valueName().isEmpty())
            left += QLatin1Char(' ') + o.valueName();
        text += QStringLiteral("  ") + left.leftJustified(28) + QLatin1Char(' ') +
                o.description() + QLatin1Char('\n');
    }
    return text;
}

} // namespace

bool RegisterBatchMode(const BatchMode& mode) {
    auto& list = modes();
    list.push_back(mode);
    std::stable_sort(list.begin(), list.end(),
                     [](const BatchMode& a, const BatchMode& b) { return a.order < b.order; });
    return true;
}

const std::vector<BatchMode>& BatchModes() { return modes(); }

void AddBatchOption(QList<QCommandLineOption>& options, const QCommandLineOption& option) {
    for (const QCommandLineOption& o : options) {
        for (const QString& name : o.names()) {
            if (option.names().contains(name))
                return;
        }
    }
    options << option;
}

int BatchFailure(const QString& message) {
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "quillmark-batch: %s\n", line.toUtf8().constData());
    return 1;
}

void BatchPrintLine(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}

int main(int argc, char** argv) {
    // A command-line tool needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QM_BATCH_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    QList<QCommandLineOption> options;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Zeigt diese Hilfe."));
    options << help;
    for (const BatchMode& m : BatchModes())
        m.addOptions(options);
    for (const QCommandLineOption& o : options)
        parser.addOption(o);
    if (!parser.parse(app.arguments()))
        return BatchFailure(germanParseError(parser));
    if (parser.isSet(help)) {
        std::fprintf(stdout, "%s", helpText(options).toUtf8().constData());
        return 0;
    }
    for (const BatchMode& m : BatchModes()) {
        if (m.wanted(parser))
            return m.run(parser);
    }
    return BatchFailure(QStringLiteral("Keine Aufgabe angegeben; --help zeigt die Aufrufe."));
}
