// Helpers shared by the vCard and the CSV import.

#include "addresses/contactimport.h"

#include "document/cp1252.h"

#include <QStringDecoder>

QString DecodeUndeclaredText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return FromCp1252(bytes);
}

namespace {

// The characters of text that Windows-1252 lacks become "?"; a pair of surrogates is one
// character. Adds the number replaced to replaced.
QString fitToCp1252(const QString& text, int& replaced)
{
    // Most fields need no change: found in one pass without building a copy.
    qsizetype first = 0;
    while (first < text.size() && InCp1252(text.at(first)))
        ++first;
    if (first == text.size())
        return text;
    QString fitted;
    fitted.reserve(text.size());
    fitted.append(text.constData(), first);
    for (qsizetype i = first; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            fitted += QLatin1Char('?');
            ++replaced;
        } else if (!InCp1252(c)) {
            // The decoder's replacement mark and lone surrogates included.
            fitted += QLatin1Char('?');
            ++replaced;
        } else {
            fitted += c;
        }
    }
    return fitted;
}

} // namespace

int FitRecordToAddressFile(TAddressRecord& record)
{
    int replaced = 0;
    while (record.size() < AddressFieldCount)
        record << QString();
    for (QString& field : record) {
        QString text;
        if (field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            text = field;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            QStringList parts = text.split(QLatin1Char('\n'));
            for (QString& part : parts)
                part = part.trimmed();
            parts.removeAll(QString());
            text = parts.join(QStringLiteral(", "));
        } else {
            // One line: the same as splitting, trimming and joining, without the lists.
            text = field.trimmed();
        }
        if (text.contains(QLatin1Char('\t')))
            text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        field = fitToCp1252(text, replaced);
    }
    return replaced;
}

bool CompleteRecordName(TAddressRecord& record)
{
    bool any = false;
    for (const QString& field : std::as_const(record))
        any = any || !field.trimmed().isEmpty();
    if (!any)
        return false;
    if (!record.at(AfSet).trimmed().isEmpty())
        return true;
    const QString person =
        QStringLiteral("%1 %2").arg(record.at(AfVorname), record.at(AfName)).trimmed();
    if (!person.isEmpty()) {
        record[AfSet] = person;
        return true;
    }
    for (int field : {int(AfFirma1), int(AfEMail), int(AfMobil), int(AfTel), int(AfTelPrivat)}) {
        if (!record.at(field).trimmed().isEmpty()) {
            record[AfSet] = record.at(field).trimmed();
            return true;
        }
    }
    record[AfSet] = QStringLiteral("Kontakt");
    return true;
}
