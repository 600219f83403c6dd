#include "app/startup.h"

#include "app/catalogue.h"
#include "document/globals.h"
#include "qminstall.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

QString DataDirFor(const QString& programPath)
{
    const QFileInfo program(programPath);
    const QDir programDir = program.absoluteDir();
    // The catalogue marks the data folder: beside the program in the build folder (and in a
    // folder the user filled by hand), else where the installed layout puts it.
    const QString catalogue = QFileInfo(CatalogueFileFor(program.absoluteFilePath())).fileName();
    QString dir = programDir.absolutePath();
    if (!programDir.exists(catalogue)) {
        const QString installed =
            QDir::cleanPath(programDir.filePath(QStringLiteral(QM_DATA_FROM_BIN)));
        if (QDir(installed).exists(catalogue) ||
            QDir(installed).exists(QStringLiteral("quillmark.inf")))
            dir = installed;
    }
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString InitProgramPaths(const QString& programPath)
{
    const QString dir = DataDirFor(programPath);
    TemplateDir = dir + QStringLiteral("Template/");
    ClipartDir = dir + QStringLiteral("Clipart/");
    CatalogueFile = CatalogueFileFor(dir + QFileInfo(programPath).fileName());
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
