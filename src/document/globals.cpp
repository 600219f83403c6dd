#include "document/globals.h"

#include <QLayout>
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
}
