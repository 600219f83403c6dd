#include "ui/globals.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

TAppDocument* Document = nullptr;
std::int32_t CurrentSide = 0;
std::array<QString, 11> TextBlocks;
std::array<QString, 23> AddressFields;
QStringList AddressRecords;
QStringList LangStrings;
QStringList LangKeys;
QStringList HelpFiles;
QColor FormColor;
QSettings* Registry = nullptr;
QString TemplateDir;
QString ClipartDir;
QString CatalogueFile;
bool KeepEditorView = true;
bool KeepEditorBitmap = true;
TMainLink* MainLink = nullptr;
std::function<bool(const QString& caption, const QString& question)> AskQuestionHook;
QString ApplicationTitle;

namespace {

// Language texts replace the built-in German ones only when a full language file is loaded.
constexpr int kLanguageThreshold = 100;

QString programTitle()
{
    const QString t = LangText(QStringLiteral("0"));
    return t.isEmpty() ? QStringLiteral("Quillmark") : t;
}

// The main window's question, or the tests' hook; with nobody to ask the answer is no.
bool ask(const QString& caption, const QString& question)
{
    if (MainLink)
        return MainLink->AskFrage(caption, question);
    if (AskQuestionHook)
        return AskQuestionHook(caption, question);
    return false;
}

} // namespace

TPlaceholderValues CurrentPlaceholderValues()
{
    TPlaceholderValues v;
    v.TextBlocks = TextBlocks;
    v.AddressFields = AddressFields;
    return v;
}

bool QueryDiscard(TAppDocument& doc)
{
    if (doc.AskBeforeDiscard && doc.Modified) {
        QString caption = QStringLiteral("Bestätigung");
        QString question = QStringLiteral("Nicht gespeicherte Änderungen verwerfen?");
        if (LangStrings.size() > kLanguageThreshold) {
            caption = LangText(QStringLiteral("0"));
            question = LangText(QStringLiteral("124"));
        }
        // With nobody to ask, the changes are kept: losing them silently is worse.
        if (!ask(caption, question))
            return false;
    }
    doc.Clear();
    return true;
}

bool MaySaveOver(const TAppDocument& doc, const QString& path)
{
    if (!doc.IsDamagedFile(path) || !QFileInfo::exists(path))
        return true;
    // With nobody to ask, the file is kept.
    return ask(QStringLiteral("Warnung"),
               DamageText(path, doc.LoadReport) +
                   QStringLiteral("\n\nBeim Speichern wird die Datei durch das Gelesene ersetzt; "
                                  "was nicht gelesen werden konnte, geht verloren. Trotzdem "
                                  "überschreiben?"));
}

void ShowTitleOf(TAppDocument& doc, QWidget* window)
{
    const TAppDocument* d = &doc;
    doc.FileNameChanged = [d, w = QPointer<QWidget>(window)] {
        ApplicationTitle = d->FileName.isEmpty()
                               ? programTitle()
                               : QFileInfo(d->FileName).fileName() + QStringLiteral(" - ") +
                                     programTitle();
        // The desktop appends the display name to window titles that do not end with it:
        // it names the program only, so that no title repeats it.
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setApplicationDisplayName(programTitle());
        if (w)
            w->setWindowTitle(ApplicationTitle);
    };
    doc.FileNameChanged();
}

QString LangText(const QString& key)
{
    // Keys are compared without regard to letter case; the first match wins.
    const int n = std::min(LangKeys.size(), LangStrings.size());
    for (int i = 0; i < n; ++i) {
        if (LangKeys.at(i).compare(key, Qt::CaseInsensitive) == 0)
            return LangStrings.at(i);
    }
    return QString();
}

void EmbedForm(QWidget* panel, QWidget* form)
{
    if (!panel || !form)
        return;
    form->setParent(panel);
    form->setWindowFlags(Qt::Widget);
    QLayout* layout = panel->layout();
    if (!layout) {
        layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    layout->addWidget(form);
    form->setVisible(true);
}

void ResetGlobals()
{
    delete Document;
    Document = new TAppDocument(true);
    CurrentSide = 0;
    TextBlocks.fill(QString());
    AddressFields.fill(QString());
    AddressRecords.clear();
    LangStrings.clear();
    LangKeys.clear();
    HelpFiles.clear();
    FormColor = QColor();
    // The registry object is owned by the start-up code; only forget it here.
    Registry = nullptr;
    TemplateDir.clear();
    ClipartDir.clear();
    CatalogueFile.clear();
    KeepEditorView = true;
    KeepEditorBitmap = true;
    MainLink = nullptr;
    AskQuestionHook = nullptr;
    ApplicationTitle.clear();
}
