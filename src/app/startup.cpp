#include "app/startup.h"

#include "app/catalogue.h"
#include "ui/globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

QString InitProgramPaths(const QString& programPath)
{
    const QString dir = DataDirFor(programPath);
    TemplateDir = dir + QStringLiteral("Template/");
    ClipartDir = dir + QStringLiteral("Clipart/");
    CatalogueFile = CatalogueFileFor(dir + QFileInfo(programPath).fileName());
    return dir;
}

bool InstallQtGermanTexts()
{
    // One translator for the whole run: the program speaks German everywhere, so the
    // standard dialogs must not fall back to the system's (often English) language.
    static QPointer<QTranslator> translator;
    if (translator)
        return true;
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    translator = t;
    return true;
}
