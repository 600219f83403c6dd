#include "printing/addressrecords.h"

#include "document/cp1252.h"
#include "printing/contactimport.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Larger files are no address lists; reading them would only tie up the program.
constexpr qint64 maxSourceBytes = 64 * 1024 * 1024;

QString userDataOverride;

QString quoted(const QString& fileName)
{
    return QStringLiteral("\u201E%1\u201C").arg(QDir::toNativeSeparators(fileName));
}

// A German reason for a failed file operation (the system's own words are English).
QString reasonOf(const QFileDevice& file, bool writing)
{
    QString reason;
    switch (file.error()) {
    case QFileDevice::OpenError:
        if (!writing && !QFileInfo::exists(file.fileName()))
            reason = QStringLiteral("die Datei ist nicht vorhanden");
        else
            reason = writing ? QStringLiteral("die Datei lässt sich nicht zum Schreiben öffnen")
                             : QStringLiteral("die Datei lässt sich nicht öffnen");
        break;
    case QFileDevice::PermissionsError:
        reason = QStringLiteral("keine Berechtigung");
        break;
    case QFileDevice::ResourceError:
        reason = QStringLiteral("zu wenig Speicherplatz oder Systemmittel");
        break;
    case QFileDevice::WriteError:
        reason = QStringLiteral("Schreibfehler, vielleicht ist der Datenträger voll");
        break;
    case QFileDevice::ReadError:
        reason = QStringLiteral("Lesefehler");
        break;
    case QFileDevice::RenameError:
        reason = QStringLiteral("die neue Fassung kann die alte Datei nicht ersetzen");
        break;
    default:
        reason = writing ? QStringLiteral("Schreibfehler") : QStringLiteral("Lesefehler");
        break;
    }
    return reason;
}

QByteArray readSource(const QString& fileName, const QString& what)
{
    QFile file(fileName);
    if (QFileInfo(fileName).isDir())
        throw TAddressError(QStringLiteral("%1 %2 kann nicht gelesen werden: es ist ein Ordner.")
                                .arg(what, quoted(fileName)));
    if (!file.open(QIODevice::ReadOnly))
        throw TAddressError(QStringLiteral("%1 %2 kann nicht gelesen werden: %3.")
                                .arg(what, quoted(fileName), reasonOf(file, false)));
    if (file.size() > maxSourceBytes)
        throw TAddressError(
            QStringLiteral("%1 %2 wird nicht gelesen: sie ist mit %3 MB zu groß (höchstens %4 MB).")
                .arg(what, quoted(fileName))
                .arg(file.size() / (1024 * 1024))
                .arg(maxSourceBytes / (1024 * 1024)));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TAddressError(QStringLiteral("%1 %2 kann nicht gelesen werden: %3.")
                                .arg(what, quoted(fileName), reasonOf(file, false)));
    return bytes;
}

// Lines ended by CR LF or LF; the end of the last line needs no line break.
QStringList splitLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        lines << FromCp1252(bytes.constData() + start, stop - start);
        start = next;
    }
    return lines;
}

} // namespace

const QStringList& AddressFieldLabels()
{
    static const QStringList labels = {
        QStringLiteral("Set"),        QStringLiteral("Firma 1"),    QStringLiteral("Firma 2"),
        QStringLiteral("Zusatz 1"),   QStringLiteral("Zusatz 2"),   QStringLiteral("Straße"),
        QStringLiteral("PLZ"),        QStringLiteral("Ort"),        QStringLiteral("Tel"),
        QStringLiteral("Fax"),        QStringLiteral("Tel privat"), QStringLiteral("Fax privat"),
        QStringLiteral("Mobil"),      QStringLiteral("EMail"),      QStringLiteral("URL"),
        QStringLiteral("Bank 1"),     QStringLiteral("BLZ 1"),      QStringLiteral("Konto 1"),
        QStringLiteral("Bank 2"),     QStringLiteral("BLZ 2"),      QStringLiteral("Konto 2"),
        QStringLiteral("Titel"),      QStringLiteral("Vorname"),    QStringLiteral("Name")};
    return labels;
}

QString AddressHeaderLine()
{
    return AddressFieldLabels().join(QLatin1Char('\t'));
}

TAddressRecord SplitAddressRecord(const QString& line)
{
    // Fields beyond the last are cut, missing ones filled with empty fields.
    TAddressRecord fields;
    fields.reserve(AddressFieldCount);
    qsizetype from = 0;
    while (fields.size() < AddressFieldCount) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'), from);
        if (tab < 0) {
            fields << line.mid(from);
            break;
        }
        fields << line.mid(from, tab - from);
        from = tab + 1;
    }
    fields.resize(AddressFieldCount);
    return fields;
}

QString JoinAddressRecord(const TAddressRecord& fields)
{
    // Tabs and line breaks inside a field become blanks ("\r\n" one blank): one line of
    // tab-separated fields.
    const qsizetype count = qMin(fields.size(), qsizetype(AddressFieldCount));
    qsizetype length = AddressFieldCount - 1;
    for (qsizetype i = 0; i < count; ++i)
        length += fields.at(i).size();
    QString out;
    out.reserve(length);
    for (qsizetype i = 0; i < AddressFieldCount; ++i) {
        if (i > 0)
            out += QLatin1Char('\t');
        if (i >= count)
            continue;
        const QString& field = fields.at(i);
        qsizetype from = 0;
        for (qsizetype k = 0; k < field.size(); ++k) {
            const QChar c = field.at(k);
            if (c != QLatin1Char('\r') && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
                continue;
            out.append(field.constData() + from, k - from);
            out += QLatin1Char(' ');
            const bool pair = c == QLatin1Char('\r') && k + 1 < field.size() &&
                              field.at(k + 1) == QLatin1Char('\n');
            if (pair)
                ++k;
            from = k + 1;
        }
        out.append(field.constData() + from, field.size() - from);
    }
    return out;
}

int AddressFieldsIndex(int field)
{
    // The placeholder values keep the private telephone and fax numbers at the end.
    static const int index[AddressFieldCount] = {-1, 0,  1,  2,  3,  4,  5,  6,  7,  8,  21, 22,
                                                 9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    return field >= 0 && field < AddressFieldCount ? index[field] : -1;
}

TAddressRecord NewAddressRecord(const QString& name)
{
    TAddressRecord record = SplitAddressRecord(QString());
    record[AfSet] = name;
    return record;
}

void SetUserDataFolder(const QString& folder)
{
    userDataOverride = folder;
}

QString UserAddressFile()
{
    QString base = userDataOverride;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("foldrkit/adressen.dat"));
}

QString AddressFileToRead(const QString& programDir)
{
    const QString user = UserAddressFile();
    if (QFileInfo(user).isFile())
        return user;
    return QDir(programDir).filePath(QStringLiteral("adressen.dat"));
}

QStringList ReadAddressFile(const QString& fileName)
{
    return splitLines(readSource(fileName, QStringLiteral("Die Adressdatei")));
}

void WriteAddressFile(const QString& fileName, const QStringList& lines)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw TAddressError(QStringLiteral("Die Adressdatei %1 kann nicht geschrieben werden: der "
                                           "Ordner %2 lässt sich nicht anlegen. Die bisherige "
                                           "Datei bleibt unverändert.")
                                .arg(quoted(fileName), quoted(folder)));
    QByteArray bytes;
    for (const QString& line : lines) {
        AppendCp1252(bytes, line);
        bytes.append("\r\n");
    }
    // The previous file is only replaced by a completely written new one.
    TSafeFile file(fileName);
    if (!file.open() || file.write(bytes) != bytes.size() || !file.commit())
        throw TAddressError(QStringLiteral("Die Adressdatei %1 kann nicht geschrieben werden: %2 "
                                           "Die bisherige Datei bleibt unverändert.")
                                .arg(quoted(fileName), file.Reason()));
}

TAddressImport ReadAddressSource(const QString& fileName)
{
    return ReadAddressBytes(readSource(fileName, QStringLiteral("Die Datei")), fileName);
}

TAddressImport ReadAddressBytes(const QByteArray& bytes, const QString& fileName)
{
    // Only blanks and line breaks: seen without copying the bytes.
    if (QByteArrayView(bytes).trimmed().isEmpty())
        throw TAddressError(
            QStringLiteral("Die Datei %1 enthält keine Adressen: sie ist leer.").arg(quoted(fileName)));
    if (LooksLikeVCard(bytes))
        return ReadVCards(bytes, fileName);

    // Binary files are neither of the three text forms.
    if (bytes.left(4096).contains('\0') && !bytes.startsWith("\xFF\xFE") &&
        !bytes.startsWith("\xFE\xFF"))
        throw TAddressError(QStringLiteral("Die Datei %1 ist weder eine Adressdatei noch eine "
                                           "vCard- oder CSV-Datei.")
                                .arg(quoted(fileName)));

    // The header line is free text; the records below it are tab-separated.
    const qsizetype firstEnd = bytes.indexOf('\n');
    const qsizetype secondEnd = firstEnd < 0 ? -1 : bytes.indexOf('\n', firstEnd + 1);
    const QByteArray firstLines = secondEnd < 0 ? bytes : bytes.left(secondEnd);
    if (firstLines.contains('\t') && !bytes.startsWith("\xFF\xFE") &&
        !bytes.startsWith("\xFE\xFF")) {
        TAddressImport result;
        result.Kind = QStringLiteral("Adressdatei");
        const QStringList lines = splitLines(bytes);
        for (qsizetype i = 1; i < lines.size(); ++i)
            result.Records << SplitAddressRecord(lines.at(i));
        if (result.Records.isEmpty())
            throw TAddressError(QStringLiteral("Die Adressdatei %1 enthält keine Adressen, nur "
                                               "die Kopfzeile.")
                                    .arg(quoted(fileName)));
        return result;
    }
    return ReadCsvContacts(bytes, fileName);
}
