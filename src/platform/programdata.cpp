#include "platform/programdata.h"

#include "qminstall.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

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

QString CatalogueFileFor(const QString& programPath)
{
    QString base = programPath;
    // Only the extension of the program file counts; a ".exe" inside a folder name does not.
    const int slash = base.lastIndexOf(QLatin1Char('/'));
    if (base.size() - slash - 1 > 4 && base.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QStringLiteral(".inf");
}

QSettings* OpenRegistry()
{
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ostrum"),
                         QStringLiteral("Folderkit"));
}
