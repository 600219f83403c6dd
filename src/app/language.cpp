#include "app/language.h"

#include "app/catalogue.h"

#include "platform/fileerror.h"
#include <QDir>
#include <QFile>
#include <cerrno>

QString LanguageColumnText(const QString& line, int column)
{
    if (column <= 0)
        return line;
    // Stops at the last field, so a huge column number costs no more than a small one.
    qsizetype start = 0;
    for (int i = 0; i < column; ++i) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'), start);
        if (tab < 0)
            return QString();
        start = tab + 1;
    }
    const qsizetype tab = line.indexOf(QLatin1Char('\t'), start);
    return line.mid(start, tab < 0 ? -1 : tab - start);
}

void ParseLanguageLines(const QStringList& lines, int column, QStringList& keys,
                        QStringList& strings)
{
    keys.clear();
    strings.clear();
    keys.reserve(lines.size());
    strings.reserve(lines.size());
    for (const QString& line : lines) {
        const int tab = line.indexOf(QLatin1Char('\t'));
        keys << (tab < 0 ? QString() : line.left(tab));
        strings << LanguageColumnText(line, column);
    }
}

void ReadLanguageFile(const QString& file, int column, QStringList& keys, QStringList& strings)
{
    QFile f(file);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        throw TLanguageError(QStringLiteral("Die Sprachdatei \"%1\" kann nicht gelesen werden: %2")
                                 .arg(QDir::toNativeSeparators(file), FileErrorText(f, errno)));
    constexpr qint64 maxSize = 4 * 1024 * 1024;
    if (f.size() > maxSize)
        throw TLanguageError(QStringLiteral("Die Sprachdatei \"%1\" ist zu groß.")
                                 .arg(QDir::toNativeSeparators(file)));
    ParseLanguageLines(DecodeTextLines(f.readAll()), column, keys, strings);
}

int LanguageIndex(const QStringList& keys, const QString& key)
{
    for (int i = 0; i < keys.size(); ++i) {
        if (keys.at(i).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool ParseLanguageColumn(const QString& text, int& column)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return false;
    column = value;
    return true;
}
