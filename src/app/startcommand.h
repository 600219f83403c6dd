#pragma once
// The program's command line: "quillmark [DOKUMENT.qmk]", --help and --version. Its answers
// are German, like the rest of the program.

#include <QString>
#include <QStringList>

struct TStartCommand {
    enum Action {
        Run,     // start the window, opening File when it is not empty
        Help,    // print Text on stdout and end with status 0
        Version, // the same
        Refuse,  // print Text as one line on stderr and end with status 1
    };
    Action What = Run;
    QString File; // the document to open, as given
    QString Text;
};

// args as QCoreApplication::arguments() gives them (the program's name first). Qt's own options
// (-platform, -style, ...) must have been taken out already, as QApplication does.
TStartCommand ParseStartCommand(const QStringList& args);

// Whether the command line asks only for --help or --version: that is answered before
// QApplication is made, so that it needs no display.
bool AsksForHelpOrVersion(const QStringList& args);
