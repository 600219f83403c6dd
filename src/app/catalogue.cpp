#include "app/catalogue.h"

#include "platform/fileerror.h"
#include <QDir>
#include <QFile>
#include <cerrno>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

enum class Section { None, Templates, Cliparts, HelpFiles };

QString valueOf(const QString& line, const QString& key)
{
    QString value = line.mid(key.size());
    value.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return value;
}

void readLibraryLine(TCatalogueLibraries& libs, const QString& line)
{
    if (line.startsWith(QLatin1String("#Title:")))
        libs.Titles << valueOf(line, QStringLiteral("#Title:"));
    else if (line.startsWith(QLatin1String("#Bib:"))) {
        libs.Bibs << valueOf(line, QStringLiteral("#Bib:"));
        ++libs.LibraryCount;
    } else if (line.startsWith(QLatin1String("#Dir:")))
        libs.Dirs << valueOf(line, QStringLiteral("#Dir:"));
    else if (line.startsWith(QLatin1String("#Type:")))
        libs.Types << valueOf(line, QStringLiteral("#Type:"));
}

} // namespace

QStringList DecodeTextLines(const QByteArray& bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.mid(3));
    else {
        QStringDecoder decoder("windows-1252");
        text = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TCatalogue ParseCatalogue(const QByteArray& bytes, const QString& programDir)
{
    TCatalogue cat;
    const QDir dir(programDir);
    Section section = Section::None;
    for (const QString& line : DecodeTextLines(bytes)) {
        if (section != Section::None) {
            if (line == QLatin1String("#")) {
                section = Section::None;
                continue;
            }
            if (section == Section::Templates)
                readLibraryLine(cat.Templates, line);
            else if (section == Section::Cliparts)
                readLibraryLine(cat.Cliparts, line);
            else if (line.startsWith(QLatin1String("#Label:")))
                cat.HelpLabels << valueOf(line, QStringLiteral("#Label:"));
            else if (line.startsWith(QLatin1String("#File:")))
                // Relative to the program's directory; an absolute path stays as it is.
                cat.HelpFiles << QDir::cleanPath(dir.filePath(valueOf(line, QStringLiteral("#File:"))));
            continue;
        }
        if (line.compare(QLatin1String("templates"), Qt::CaseInsensitive) == 0) {
            section = Section::Templates;
            cat.Templates.SectionSeen = true;
        } else if (line.compare(QLatin1String("cliparts"), Qt::CaseInsensitive) == 0) {
            section = Section::Cliparts;
            cat.Cliparts.SectionSeen = true;
        } else if (line.compare(QLatin1String("helpfiles"), Qt::CaseInsensitive) == 0) {
            section = Section::HelpFiles;
            cat.HelpSectionSeen = true;
        } else if (line.left(8).toLower() == QLatin1String("language") &&
                   line.contains(QLatin1Char(':'))) {
            cat.HasLanguage = true;
            cat.LanguageText = line.mid(line.indexOf(QLatin1Char(':')) + 1);
        }
    }
    return cat;
}

TCatalogue ReadCatalogue(const QString& file, const QString& programDir)
{
    QFile f(file);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        throw TCatalogueError(QStringLiteral("Die Katalogdatei \"%1\" kann nicht gelesen werden: %2")
                                  .arg(QDir::toNativeSeparators(file), FileErrorText(f, errno)));
    // The catalogue is a short list; a huge file is not one.
    constexpr qint64 maxSize = 4 * 1024 * 1024;
    if (f.size() > maxSize)
        throw TCatalogueError(QStringLiteral("Die Katalogdatei \"%1\" ist zu groß.")
                                  .arg(QDir::toNativeSeparators(file)));
    errno = 0;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw TCatalogueError(QStringLiteral("Die Katalogdatei \"%1\" kann nicht gelesen werden: %2")
                                  .arg(QDir::toNativeSeparators(file), FileErrorText(f, errno)));
    return ParseCatalogue(bytes, programDir);
}

