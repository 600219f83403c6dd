#include "app/startup.h"

#include "app/catalogue.h"
#include "document/globals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

QString InitProgramPaths(const QString& programPath)
{
    QString dir = QFileInfo(programPath).absolutePath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    TemplateDir = dir + QStringLiteral("Template/");
    ClipartDir = dir + QStringLiteral("Clipart/");
    CatalogueFile = CatalogueFileFor(QFileInfo(programPath).absoluteFilePath());
    return dir;
}

QSettings* OpenRegistry()
{
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ostrum"),
                         QStringLiteral("Folderkit"));
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
