// Helpers shared by the vCard and the CSV import.

#include "printing/contactimport.h"

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

int FitRecordToAddressFile(TAddressRecord& record)
{
    int replaced = 0;
    while (record.size() < AddressFieldCount)
        record << QString();
    for (QString& field : record) {
        QString text = field;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QStringList parts = text.split(QLatin1Char('\n'));
        for (QString& part : parts)
            part = part.trimmed();
        parts.removeAll(QString());
        text = parts.join(QStringLiteral(", "));
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));

        QString fitted;
        fitted.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                ++i;
                fitted += QLatin1Char('?');
                ++replaced;
                continue;
            }
            // The code page has no character for it (the decoder's replacement mark included).
            const bool latin1 = c.unicode() < 0x80 || (c.unicode() >= 0xA0 && c.unicode() <= 0xFF);
            if (!latin1 && ToCp1252(QString(c)) == "?") {
                fitted += QLatin1Char('?');
                ++replaced;
                continue;
            }
            fitted += c;
        }
        field = fitted;
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
