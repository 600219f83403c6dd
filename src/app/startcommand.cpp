#include "app/startcommand.h"

#include "qminstall.h"

#include <QCommandLineParser>

namespace {

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Zeigt diese Hilfe."));
const QCommandLineOption VersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Zeigt die Version."));

QString helpText()
{
    return QStringLiteral(
        "Aufruf: quillmark [DOKUMENT.qmk]\n"
        "Gestaltet Briefbögen, Visitenkarten, Grußkarten und CD-Einleger und druckt sie.\n"
        "Mit einem Dokument öffnet Quillmark es zum Bearbeiten.\n"
        "\n"
        "Optionen:\n"
        "  -h, --help      Zeigt diese Hilfe.\n"
        "  -v, --version   Zeigt die Version.\n"
        "\n"
        "Ohne Oberfläche drucken: quillmark-batch --help; als Bild ausgeben: "
        "quillmark-render --help.\n");
}

// QCommandLineParser words its refusals in English.
QString germanParseError(const QCommandLineParser& parser)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        return QStringLiteral("Unbekannte Option „%1%2“; quillmark --help zeigt den Aufruf.")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    return QStringLiteral("Die Aufrufzeile ist fehlerhaft; quillmark --help zeigt den Aufruf.");
}

bool parse(QCommandLineParser& parser, const QStringList& args)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(HelpOption);
    parser.addOption(VersionOption);
    return parser.parse(args);
}

} // namespace

TStartCommand ParseStartCommand(const QStringList& args)
{
    TStartCommand command;
    QCommandLineParser parser;
    const bool ok = parse(parser, args);
    if (ok && parser.isSet(HelpOption)) {
        command.What = TStartCommand::Help;
        command.Text = helpText();
        return command;
    }
    if (ok && parser.isSet(VersionOption)) {
        command.What = TStartCommand::Version;
        command.Text = QStringLiteral("Quillmark " QM_VERSION "\n");
        return command;
    }
    if (!ok) {
        command.What = TStartCommand::Refuse;
        command.Text = germanParseError(parser);
        return command;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        command.What = TStartCommand::Refuse;
        command.Text = QStringLiteral("Quillmark öffnet nur ein Dokument auf einmal; angegeben "
                                      "sind %1: %2.")
                           .arg(files.size())
                           .arg(files.join(QStringLiteral(", ")));
        return command;
    }
    if (!files.isEmpty()) {
        if (files.first().isEmpty()) {
            command.What = TStartCommand::Refuse;
            command.Text = QStringLiteral("Der Name des Dokuments ist leer.");
            return command;
        }
        command.File = files.first();
    }
    return command;
}

bool AsksForHelpOrVersion(const QStringList& args)
{
    QCommandLineParser parser;
    // Before QApplication, Qt's own options are still in the list: only a line that is
    // nothing but a request for help or the version is answered this early.
    if (!parse(parser, args) || !parser.positionalArguments().isEmpty())
        return false;
    return parser.isSet(HelpOption) || parser.isSet(VersionOption);
}
