#include "app/startup.h"

#include "app/catalogue.h"
#include "document/globals.h"

#include <QFileInfo>
#include <QSettings>

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
