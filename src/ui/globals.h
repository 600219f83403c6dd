#pragma once
// The application's state, one instance each for the whole run, as the workspaces share it:
// the edited document, the side shown, the text blocks and the address the placeholders are
// filled with, the language texts and the settings store. The model below the workspaces
// never reads it; the workspaces pass what it needs. ResetGlobals() puts everything back to
// its start values (used by tests).

#include "document/appdocument.h"
#include <QColor>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QWidget;

// The main window's services that workspaces below it may call. The main window installs
// itself in MainLink; without one (in tests of a single workspace) calls fall back to
// plain behaviour.
class TMainLink {
public:
    virtual ~TMainLink() = default;
    virtual void SelectElement(int index, bool insertion) = 0;
    virtual void Change2Save() = 0;
    // The yes/no dialog "Frage": returns true for "OK".
    virtual bool AskFrage(const QString& caption, const QString& question) = 0;
    // Makes the sheet editor ("Blatt") the active workspace and runs the tab-change
    // handling, as after opening a file or applying a template.
    virtual void Change2Editor() {}
};

extern TAppDocument* Document;
extern std::int32_t CurrentSide;
extern std::array<QString, 11> TextBlocks;    // 1..10 used
extern std::array<QString, 23> AddressFields;
extern QStringList AddressRecords;
extern QStringList LangStrings;
extern QStringList LangKeys;
extern QStringList HelpFiles;
extern QColor FormColor;
extern QSettings* Registry;
extern QString TemplateDir;
extern QString ClipartDir;
extern QString CatalogueFile;
extern bool KeepEditorView;
extern bool KeepEditorBitmap;
extern TMainLink* MainLink;
// Answers QueryDiscard's question when no main window is installed (tests set it).
extern std::function<bool(const QString& caption, const QString& question)> AskQuestionHook;

// The application's title: "karte.qmk - Quillmark" with a document file, else the program's
// name (in the loaded language).
extern QString ApplicationTitle;

// The text of the loaded language column for a decimal key; empty when unknown.
QString LangText(const QString& key);
// Parks a form in a panel: child of the panel, filling it, without border, visible.
void EmbedForm(QWidget* panel, QWidget* form);
// The values the program itself holds: the global TextBlocks and AddressFields.
TPlaceholderValues CurrentPlaceholderValues();
// Before the document is emptied: unsaved changes of a document that asks before discarding
// are discarded only when the user says so. True when the document was emptied.
bool QueryDiscard(TAppDocument& doc);
// Before saving doc to path: saving over the damaged file it was read from asks the user
// first. True when saving may go on.
bool MaySaveOver(const TAppDocument& doc, const QString& path);
// From now on the application's title (and window's, while it exists) follows doc's file name.
void ShowTitleOf(TAppDocument& doc, QWidget* window);

// Fresh Document, default globals; for start-up and tests.
void ResetGlobals();
