// Quillmark: start, run and end of the program.

#include "app/startup.h"
#include "app/tfrmmain.h"
#include "document/globals.h"
#include "inspector/tfilter.h"
#include "platform/ui/tfrage.h"

#include <QApplication>
#include <QProxyStyle>

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
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setStyle(new TQuickHintStyle);
    InstallQtGermanTexts();

    const QString programDir = InitProgramPaths(QCoreApplication::applicationFilePath());
    Registry = OpenRegistry();

    Document = new TAppDocument(true);
    Document->ShowsTitle = true;
    Document->SetFileName(QString());

    int result = 0;
    {
        TfrmMain frmMain(programDir);
        Frage = new TFrage(&frmMain);
        Frage->SetBackground(FormColor);
        Filter = new TFilter(&frmMain);
        Document->MainWindow = &frmMain;
        Document->UndoLimit = 10;
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
