// CSV files of address books: comma or semicolon, quoted fields, a header row whose column
// names (German or English, as address books and spreadsheets write them) say which field a
// column fills.

#include "printing/contactimport.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <iterator>
#include <limits>

namespace {

struct TColumnName {
    const char* name; // letters and digits only, lower case, umlauts spelt out
    int field;
    int rank; // for one field the column with the lowest rank and a value wins: work before home
};

const TColumnName columnNames[] = {
    {"set", AfSet, 0}, {"anzeigename", AfSet, 1}, {"displayname", AfSet, 1},
    {"fullname", AfSet, 1}, {"vollstaendigername", AfSet, 1},

    {"firma1", AfFirma1, 0}, {"firma", AfFirma1, 1}, {"company", AfFirma1, 1},
    {"companyname", AfFirma1, 1}, {"organization", AfFirma1, 1}, {"organisation", AfFirma1, 1},
    {"organization1name", AfFirma1, 1}, {"unternehmen", AfFirma1, 1},
    {"firma2", AfFirma2, 0}, {"abteilung", AfFirma2, 1}, {"department", AfFirma2, 1},
    {"organization1department", AfFirma2, 1},
    {"zusatz1", AfZusatz1, 0}, {"zusatz2", AfZusatz2, 0},

    {"strasse", AfStrasse, 0}, {"street", AfStrasse, 0}, {"streetaddress", AfStrasse, 0},
    {"address1street", AfStrasse, 0}, {"strassegeschaeftlich", AfStrasse, 1},
    {"businessstreet", AfStrasse, 1}, {"workstreet", AfStrasse, 1},
    {"workaddress", AfStrasse, 1}, {"adresse", AfStrasse, 2}, {"address", AfStrasse, 2},
    {"anschrift", AfStrasse, 2}, {"strasseprivat", AfStrasse, 3}, {"homestreet", AfStrasse, 3},
    {"homeaddress", AfStrasse, 3},

    {"plz", AfPLZ, 0}, {"postleitzahl", AfPLZ, 0}, {"postalcode", AfPLZ, 0}, {"zip", AfPLZ, 0},
    {"zipcode", AfPLZ, 0}, {"postcode", AfPLZ, 0}, {"address1postalcode", AfPLZ, 0},
    {"postleitzahlgeschaeftlich", AfPLZ, 1}, {"plzgeschaeftlich", AfPLZ, 1},
    {"businesspostalcode", AfPLZ, 1}, {"workzipcode", AfPLZ, 1}, {"workpostalcode", AfPLZ, 1},
    {"postleitzahlprivat", AfPLZ, 3}, {"plzprivat", AfPLZ, 3}, {"homepostalcode", AfPLZ, 3},
    {"homezipcode", AfPLZ, 3},

    {"ort", AfOrt, 0}, {"stadt", AfOrt, 0}, {"wohnort", AfOrt, 0}, {"city", AfOrt, 0},
    {"town", AfOrt, 0}, {"address1city", AfOrt, 0}, {"ortgeschaeftlich", AfOrt, 1},
    {"businesscity", AfOrt, 1}, {"workcity", AfOrt, 1}, {"ortprivat", AfOrt, 3},
    {"homecity", AfOrt, 3},

    {"tel", AfTel, 0}, {"telefon", AfTel, 0}, {"phone", AfTel, 0}, {"telephone", AfTel, 0},
    {"telefonnummer", AfTel, 0}, {"phonenumber", AfTel, 0}, {"telefongeschaeftlich", AfTel, 1},
    {"telgeschaeftlich", AfTel, 1}, {"businessphone", AfTel, 1}, {"workphone", AfTel, 1},
    {"fax", AfFax, 0}, {"telefax", AfFax, 0}, {"faxnummer", AfFax, 0}, {"faxnumber", AfFax, 0},
    {"faxgeschaeftlich", AfFax, 1}, {"businessfax", AfFax, 1}, {"workfax", AfFax, 1},
    {"telprivat", AfTelPrivat, 0}, {"telefonprivat", AfTelPrivat, 0},
    {"homephone", AfTelPrivat, 0}, {"faxprivat", AfFaxPrivat, 0}, {"homefax", AfFaxPrivat, 0},
    {"mobil", AfMobil, 0}, {"mobiltelefon", AfMobil, 0}, {"handy", AfMobil, 0},
    {"mobile", AfMobil, 0}, {"mobilephone", AfMobil, 0}, {"mobilenumber", AfMobil, 0},
    {"cell", AfMobil, 0}, {"cellphone", AfMobil, 0},

    {"email", AfEMail, 0}, {"emailadresse", AfEMail, 0}, {"emailaddress", AfEMail, 0},
    {"mail", AfEMail, 0}, {"primaryemail", AfEMail, 0}, {"email1value", AfEMail, 0},
    {"url", AfURL, 0}, {"webseite", AfURL, 0}, {"website", AfURL, 0}, {"webpage", AfURL, 0},
    {"homepage", AfURL, 0}, {"internet", AfURL, 0}, {"webadresse", AfURL, 0},
    {"website1value", AfURL, 0}, {"webpage1", AfURL, 0},

    {"bank1", AfBank1, 0}, {"bank", AfBank1, 1}, {"kreditinstitut", AfBank1, 1},
    {"bankname", AfBank1, 1}, {"blz1", AfBLZ1, 0}, {"blz", AfBLZ1, 1},
    {"bankleitzahl", AfBLZ1, 1}, {"bic", AfBLZ1, 2}, {"konto1", AfKonto1, 0},
    {"konto", AfKonto1, 1}, {"kontonummer", AfKonto1, 1}, {"iban", AfKonto1, 2},
    {"bank2", AfBank2, 0}, {"blz2", AfBLZ2, 0}, {"konto2", AfKonto2, 0},

    {"titel", AfTitel, 0}, {"title", AfTitel, 0}, {"anrede", AfTitel, 1},
    {"prefix", AfTitel, 1}, {"nameprefix", AfTitel, 1}, {"jobtitle", AfTitel, 2},
    {"position", AfTitel, 2},
    {"vorname", AfVorname, 0}, {"firstname", AfVorname, 0}, {"givenname", AfVorname, 0},
    {"forename", AfVorname, 0},
    {"nachname", AfName, 0}, {"lastname", AfName, 0}, {"familyname", AfName, 0},
    {"familienname", AfName, 0}, {"surname", AfName, 0}, {"zuname", AfName, 0},
    // "Name" is our own label of the family name; beside a family name column it is the
    // whole name.
    {"name", AfName, 5},
};

QString normalised(QString name)
{
    name = name.toLower();
    name.replace(QStringLiteral("ß"), QStringLiteral("ss"));
    name.replace(QStringLiteral("ä"), QStringLiteral("ae"));
    name.replace(QStringLiteral("ö"), QStringLiteral("oe"));
    name.replace(QStringLiteral("ü"), QStringLiteral("ue"));
    QString out;
    for (const QChar c : std::as_const(name))
        if (c.isLetterOrNumber())
            out += c;
    return out;
}

QChar delimiterOf(const QString& text)
{
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

// Rows of fields, at most maxRows: quotes around a field allow the delimiter and line breaks
// inside, a doubled quote is one quote.
QList<QStringList> rowsOf(const QString& text, QChar delimiter,
                          qsizetype maxRows = std::numeric_limits<qsizetype>::max())
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool rowHasContent = false;
    // The characters from here to the next quote, delimiter or line break belong to the field;
    // they are added in one piece.
    qsizetype from = 0;
    auto take = [&](qsizetype end) { field.append(text.constData() + from, end - from); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                take(i);
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
                from = i + 1;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            take(i);
            quoted = true;
            rowHasContent = true;
            from = i + 1;
        } else if (c == delimiter) {
            take(i);
            row << field;
            field.clear();
            rowHasContent = true;
            from = i + 1;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            take(i);
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            from = i + 1;
            if (rowHasContent || !field.isEmpty()) {
                row << field;
                rows << row;
                if (rows.size() == maxRows)
                    return rows;
            }
            row.clear();
            field.clear();
            rowHasContent = false;
        }
    }
    take(text.size());
    if (rowHasContent || !field.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

} // namespace

TAddressImport ReadCsvContacts(const QByteArray& bytes, const QString& fileName)
{
    const QString file = QDir::toNativeSeparators(fileName);
    const QString text = DecodeUndeclaredText(bytes);
    const QChar delimiter = delimiterOf(text);
    // The header row first: a file whose columns are unknown is refused without reading on.
    const QList<QStringList> head = rowsOf(text, delimiter, 1);
    if (head.isEmpty())
        throw TAddressError(
            QStringLiteral("Die Datei \u201E%1\u201C enthält keine Adressen.").arg(file));
    const QStringList& headers = head.first();

    static const QHash<QString, TColumnName> known = [] {
        QHash<QString, TColumnName> names;
        for (const TColumnName& c : columnNames)
            names.insert(QString::fromLatin1(c.name), c);
        return names;
    }();
    // Column index -> field and rank.
    QList<std::pair<int, int>> columns;
    bool familyColumn = false;
    for (const QString& header : headers) {
        const QString key = normalised(header);
        const auto it = known.constFind(key);
        if (it == known.constEnd()) {
            columns << std::pair(-1, 0);
            continue;
        }
        columns << std::pair(it->field, it->rank);
        familyColumn = familyColumn || (it->field == AfName && it->rank == 0);
    }
    int recognised = 0;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (familyColumn && normalised(headers.at(i)) == QLatin1String("name"))
            columns[i] = std::pair(int(AfSet), 2);
        if (columns.at(i).first >= 0)
            ++recognised;
    }
    if (recognised == 0)
        throw TAddressError(QStringLiteral("Die Datei \u201E%1\u201C ist weder eine Adressdatei "
                                           "noch eine vCard-Datei, und als CSV-Datei nennt ihre "
                                           "erste Zeile keine bekannte Spalte (etwa \u201EVorname"
                                           "\u201C, \u201EName\u201C, \u201EPLZ\u201C oder "
                                           "\u201EE-Mail\u201C).")
                                .arg(file));
    const QList<QStringList> rows = rowsOf(text, delimiter);
    if (rows.size() - 1 > MaxImportedContacts)
        throw TAddressError(QStringLiteral("Die CSV-Datei \u201E%1\u201C enthält mehr als %2 "
                                           "Kontakte; so viele nimmt die Adressdatei nicht auf.")
                                .arg(file)
                                .arg(MaxImportedContacts));

    TAddressImport result;
    result.Kind = QStringLiteral("CSV");
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows.at(r);
        TAddressRecord record = SplitAddressRecord(QString());
        int rank[AddressFieldCount];
        std::fill(std::begin(rank), std::end(rank), 1000);
        for (qsizetype c = 0; c < row.size() && c < columns.size(); ++c) {
            const auto [field, columnRank] = columns.at(c);
            const QString value = row.at(c).trimmed();
            if (field < 0 || value.isEmpty() || columnRank >= rank[field])
                continue;
            record[field] = value;
            rank[field] = columnRank;
        }
        result.Replaced += FitRecordToAddressFile(record);
        if (CompleteRecordName(record))
            result.Records << record;
    }
    if (result.Records.isEmpty())
        throw TAddressError(
            QStringLiteral("Die CSV-Datei \u201E%1\u201C enthält unter ihrer Kopfzeile keine "
                           "Adressen.")
                .arg(file));
    return result;
}
