#include "addresses/addressrecords.h"

#include "document/cp1252.h"
#include "addresses/contactimport.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

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

// The end of the line that starts at start (CR LF, LF or CR alone) and where the next begins.
qsizetype lineEnd(const QByteArray& bytes, qsizetype start, qsizetype& next)
{
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype end = start;
    while (end < size && data[end] != '\n' && data[end] != '\r')
        ++end;
    next = end + 1;
    if (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n')
        next = end + 2;
    return end;
}

// Lines ended by CR LF, LF or CR; the end of the last line needs no line break.
QStringList splitLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype next = 0;
        const qsizetype end = lineEnd(bytes, start, next);
        lines << FromCp1252(bytes.constData() + start, end - start);
        start = next;
    }
    return lines;
}

// Characters no text file holds: controls other than tab, line feed, form feed and carriage
// return. Pictures, archives and random bytes are full of them.
bool looksLikeText(const QByteArray& bytes)
{
    qsizetype controls = 0;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F)
            ++controls;
    }
    return controls <= 16 || controls * 100 <= bytes.size();
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

TAddressImport ReadAddressBytes(const QByteArray& source, const QString& fileName)
{
    const auto noAddresses = [&](const QString& reason) {
        return TAddressError(QStringLiteral("Die Datei %1 enthält keine Adressen: %2.")
                                 .arg(quoted(fileName), reason));
    };
    // Only blanks and line breaks: seen without copying the bytes.
    if (QByteArrayView(source).trimmed().isEmpty())
        throw noAddresses(QStringLiteral("sie ist leer"));

    // Text in UTF-16 or UTF-32 (with a byte order mark) is read as UTF-8, as every reader
    // below knows it.
    QByteArray bytes = source;
    bool utf8 = false;
    if (const auto encoding = QStringConverter::encodingForData(source);
        encoding && *encoding != QStringConverter::Utf8) {
        QStringDecoder decoder(*encoding);
        bytes = QString(decoder(source)).toUtf8();
        utf8 = true;
    }
    if (!looksLikeText(bytes))
        throw noAddresses(QStringLiteral("sie ist keine Textdatei, sondern enthält "
                                         "Steuerzeichen wie ein Bild oder ein Programm"));
    // A NUL byte in a field is no character of it.
    if (bytes.contains('\0'))
        bytes.removeIf([](char c) { return c == '\0'; });
    if (QByteArrayView(bytes).trimmed().isEmpty())
        throw noAddresses(QStringLiteral("sie ist leer"));

    if (LooksLikeVCard(bytes))
        return ReadVCards(bytes, fileName);

    // The header line is free text; the records below it are tab-separated.
    qsizetype next = 0;
    lineEnd(bytes, 0, next);
    qsizetype secondEnd = bytes.size();
    if (next < bytes.size()) {
        qsizetype afterSecond = 0;
        secondEnd = lineEnd(bytes, next, afterSecond);
    }
    const QByteArrayView firstLines = QByteArrayView(bytes).first(qMin(secondEnd, bytes.size()));
    if (firstLines.contains('\t')) {
        TAddressImport result;
        result.Kind = QStringLiteral("Adressdatei");
        // Record by record, without a list of all lines besides the records.
        qsizetype start = 0;
        bool header = true;
        while (start < bytes.size()) {
            const qsizetype end = lineEnd(bytes, start, next);
            if (!header) {
                const char* line = bytes.constData() + start;
                result.Records << SplitAddressRecord(utf8 ? QString::fromUtf8(line, end - start)
                                                          : FromCp1252(line, end - start));
            }
            header = false;
            start = next;
        }
        if (result.Records.isEmpty())
            throw TAddressError(QStringLiteral("Die Adressdatei %1 enthält keine Adressen, nur "
                                               "die Kopfzeile.")
                                    .arg(quoted(fileName)));
        return result;
    }
    return ReadCsvContacts(bytes, fileName);
}

QString AddressImportNote(const TAddressImport& import, const QString& fileName)
{
    if (import.Repaired == 0 && import.Skipped == 0)
        return QString();
    const qsizetype read = import.Records.size();
    QString note = read == 1 ? QStringLiteral("Aus %1 wurde ein Kontakt gelesen")
                                   .arg(quoted(fileName))
                             : QStringLiteral("Aus %1 wurden %2 Kontakte gelesen")
                                   .arg(quoted(fileName))
                                   .arg(read);
    if (import.Repaired > 0)
        note += QStringLiteral(", %1 davon unvollständig (ergänzt, bitte prüfen)")
                    .arg(import.Repaired);
    if (import.Skipped == 1)
        note += QStringLiteral("; 1 Kontakt übersprungen, er war nicht lesbar");
    else if (import.Skipped > 1)
        note += QStringLiteral("; %1 Kontakte übersprungen, sie waren nicht lesbar")
                    .arg(import.Skipped);
    return note + QLatin1Char('.');
}
