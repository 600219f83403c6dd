// Quillmark: start, run and end of the program.

#include "app/startcommand.h"
#include "app/startup.h"
#include "app/tfrmmain.h"
#include "ui/globals.h"
#include "inspector/tfilter.h"
#include "ui/tfrage.h"

#include <QApplication>
#include <QFileInfo>
#include <QProxyStyle>
#include <cstdio>

namespace {
// Tool tips (the short part of a hint) show after 100 ms.
class TQuickHintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay)
            return 100;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStringList rawArguments(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// Help and version go to stdout with status 0; a refusal is one line on stderr, status 1.
int answer(const TStartCommand& command)
{
    if (command.What == TStartCommand::Refuse) {
        std::fprintf(stderr, "quillmark: %s\n", command.Text.toUtf8().constData());
        return 1;
    }
    std::fprintf(stdout, "%s", command.Text.toUtf8().constData());
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    // Asked only for help or the version, the program answers without a window or a display.
    if (AsksForHelpOrVersion(rawArguments(argc, argv)))
        return answer(ParseStartCommand(rawArguments(argc, argv)));

    QApplication app(argc, argv);
    const TStartCommand command = ParseStartCommand(QApplication::arguments());
    if (command.What != TStartCommand::Run)
        return answer(command);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    // The menu entry (quillmark.desktop) of the installed program belongs to this window.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmark"));
    QApplication::setStyle(new TQuickHintStyle);
    InstallQtGermanTexts();

    const QString programDir = InitProgramPaths(QCoreApplication::applicationFilePath());
    Registry = OpenRegistry();

    Document = new TAppDocument(true);
    ShowTitleOf(*Document, nullptr);

    int result = 0;
    {
        TfrmMain frmMain(programDir);
        Frage = new TFrage(&frmMain);
        Frage->SetBackground(FormColor);
        Filter = new TFilter(&frmMain);
        ShowTitleOf(*Document, &frmMain);
        Document->UndoLimit = 10;
        if (!command.File.isEmpty())
            frmMain.OpenAtStart(QFileInfo(command.File).absoluteFilePath());
        frmMain.show();
        result = app.exec();

        // Closing work: the window's placement for the next start.
        frmMain.SavePlacement(*Registry);
        Registry->sync();
        Frage = nullptr;
        Filter = nullptr;
    }
    delete Registry;
    Registry = nullptr;
    delete Document;
    Document = nullptr;
    return result;
}
