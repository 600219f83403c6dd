// CSV files of address books: comma or semicolon, quoted fields, a header row whose column
// names say which field a column fills. Column names are read by one rule rather than a list of
// files: a name is taken apart into words; words such as "geschäftlich", "Work", "privat",
// "Home", "Weitere" or "Primäre" and a number say which of several columns of one kind comes
// first (work before home, 1 before 2), the remaining words say the kind ("Tel. dienstlich",
// "Work Phone", "Dienstlich: PLZ", "Home ZipCode"). Address books that write typed value pairs
// ("Phone 1 - Label" = "Work Fax" beside "Phone 1 - Value") are read by the label of each row.
// The street, second address line, postcode and town always come from one address, the work
// address before the home address.

#include "addresses/contactimport.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QVarLengthArray>
#include <algorithm>
#include <iterator>
#include <limits>

namespace {

// Fields beyond the record's: the second address line (to "Zusatz 1") and the job title (to
// "Zusatz 2"), each only when the file has no column of that field itself.
constexpr int FieldExtended = AddressFieldCount;
constexpr int FieldJobTitle = AddressFieldCount + 1;
constexpr int FieldCount = AddressFieldCount + 2;

// What the words of a column name (without qualifiers and numbers) stand for.
enum class TKind { Field, Phone, Fax, Mobile, Street, Extended, PLZ, Ort, EMail, URL, Formatted };

struct TBaseName {
    const char* name; // lower case letters and digits, umlauts spelt out
    TKind kind;
    int field; // for TKind::Field
    int rank;  // among columns of one field: lower wins
};

constexpr TBaseName baseNames[] = {
    {"set", TKind::Field, AfSet, 0}, {"anzeigename", TKind::Field, AfSet, 1},
    {"displayname", TKind::Field, AfSet, 1}, {"fullname", TKind::Field, AfSet, 1},
    {"vollstaendigername", TKind::Field, AfSet, 1},

    {"firma1", TKind::Field, AfFirma1, 0}, {"firma", TKind::Field, AfFirma1, 1},
    {"firmenname", TKind::Field, AfFirma1, 1}, {"company", TKind::Field, AfFirma1, 1},
    {"companyname", TKind::Field, AfFirma1, 1}, {"organization", TKind::Field, AfFirma1, 1},
    {"organisation", TKind::Field, AfFirma1, 1}, {"organizationname", TKind::Field, AfFirma1, 1},
    {"unternehmen", TKind::Field, AfFirma1, 1},
    {"firma2", TKind::Field, AfFirma2, 0}, {"abteilung", TKind::Field, AfFirma2, 1},
    {"department", TKind::Field, AfFirma2, 1},
    {"organizationdepartment", TKind::Field, AfFirma2, 1},
    {"zusatz1", TKind::Field, AfZusatz1, 0}, {"zusatz2", TKind::Field, AfZusatz2, 0},
    {"jobtitle", TKind::Field, FieldJobTitle, 0}, {"position", TKind::Field, FieldJobTitle, 0},
    {"arbeitstitel", TKind::Field, FieldJobTitle, 0},
    {"berufsbezeichnung", TKind::Field, FieldJobTitle, 0},
    {"funktion", TKind::Field, FieldJobTitle, 1}, {"beruf", TKind::Field, FieldJobTitle, 1},
    {"organizationtitle", TKind::Field, FieldJobTitle, 0},

    {"strasse", TKind::Street, 0, 0}, {"street", TKind::Street, 0, 0},
    {"streetaddress", TKind::Street, 0, 0}, {"addressline", TKind::Street, 0, 0},
    {"adresse", TKind::Street, 0, 1}, {"address", TKind::Street, 0, 1},
    {"anschrift", TKind::Street, 0, 1},
    {"adresszusatz", TKind::Extended, 0, 0}, {"zusatzadresse", TKind::Extended, 0, 0},
    {"extendedaddress", TKind::Extended, 0, 0},
    {"plz", TKind::PLZ, 0, 0}, {"postleitzahl", TKind::PLZ, 0, 0},
    {"postalcode", TKind::PLZ, 0, 0}, {"zip", TKind::PLZ, 0, 0}, {"zipcode", TKind::PLZ, 0, 0},
    {"postcode", TKind::PLZ, 0, 0},
    {"ort", TKind::Ort, 0, 0}, {"stadt", TKind::Ort, 0, 0}, {"wohnort", TKind::Ort, 0, 0},
    {"city", TKind::Ort, 0, 0}, {"town", TKind::Ort, 0, 0},

    {"tel", TKind::Phone, 0, 0}, {"telefon", TKind::Phone, 0, 0}, {"phone", TKind::Phone, 0, 0},
    {"telephone", TKind::Phone, 0, 0}, {"telefonnummer", TKind::Phone, 0, 0},
    {"phonenumber", TKind::Phone, 0, 0}, {"telnr", TKind::Phone, 0, 0},
    {"rufnummer", TKind::Phone, 0, 0},
    {"fax", TKind::Fax, 0, 0}, {"telefax", TKind::Fax, 0, 0}, {"faxnummer", TKind::Fax, 0, 0},
    {"faxnumber", TKind::Fax, 0, 0}, {"faxnr", TKind::Fax, 0, 0},
    {"mobil", TKind::Mobile, 0, 0}, {"mobiltelefon", TKind::Mobile, 0, 0},
    {"mobiltelnr", TKind::Mobile, 0, 0}, {"mobilnummer", TKind::Mobile, 0, 0},
    {"mobilfunk", TKind::Mobile, 0, 0}, {"mobilfunknummer", TKind::Mobile, 0, 0},
    {"handy", TKind::Mobile, 0, 0}, {"handynummer", TKind::Mobile, 0, 0},
    {"mobile", TKind::Mobile, 0, 0}, {"mobilephone", TKind::Mobile, 0, 0},
    {"mobilenumber", TKind::Mobile, 0, 0}, {"cell", TKind::Mobile, 0, 0},
    {"cellphone", TKind::Mobile, 0, 0},

    {"email", TKind::EMail, 0, 0}, {"emailadresse", TKind::EMail, 0, 0},
    {"emailaddress", TKind::EMail, 0, 0}, {"mail", TKind::EMail, 0, 0},
    {"url", TKind::URL, 0, 0}, {"webseite", TKind::URL, 0, 0}, {"website", TKind::URL, 0, 0},
    {"webpage", TKind::URL, 0, 0}, {"homepage", TKind::URL, 0, 0}, {"page", TKind::URL, 0, 0},
    {"internet", TKind::URL, 0, 0}, {"internetseite", TKind::URL, 0, 0},
    {"webadresse", TKind::URL, 0, 0}, {"web", TKind::URL, 0, 0},

    {"bank1", TKind::Field, AfBank1, 0}, {"bank", TKind::Field, AfBank1, 1},
    {"kreditinstitut", TKind::Field, AfBank1, 1}, {"bankname", TKind::Field, AfBank1, 1},
    {"blz1", TKind::Field, AfBLZ1, 0}, {"blz", TKind::Field, AfBLZ1, 1},
    {"bankleitzahl", TKind::Field, AfBLZ1, 1}, {"bic", TKind::Field, AfBLZ1, 2},
    {"konto1", TKind::Field, AfKonto1, 0}, {"konto", TKind::Field, AfKonto1, 1},
    {"kontonummer", TKind::Field, AfKonto1, 1}, {"iban", TKind::Field, AfKonto1, 2},
    {"bank2", TKind::Field, AfBank2, 0}, {"blz2", TKind::Field, AfBLZ2, 0},
    {"konto2", TKind::Field, AfKonto2, 0},

    // "Title" is the honorific ("Dr."), as in Outlook; the job title has columns of its own.
    {"titel", TKind::Field, AfTitel, 0}, {"title", TKind::Field, AfTitel, 0},
    {"anrede", TKind::Field, AfTitel, 1}, {"prefix", TKind::Field, AfTitel, 1},
    {"nameprefix", TKind::Field, AfTitel, 1}, {"namenspraefix", TKind::Field, AfTitel, 1},
    {"vorname", TKind::Field, AfVorname, 0}, {"firstname", TKind::Field, AfVorname, 0},
    {"givenname", TKind::Field, AfVorname, 0}, {"forename", TKind::Field, AfVorname, 0},
    {"nachname", TKind::Field, AfName, 0}, {"lastname", TKind::Field, AfName, 0},
    {"familyname", TKind::Field, AfName, 0}, {"familienname", TKind::Field, AfName, 0},
    {"surname", TKind::Field, AfName, 0}, {"zuname", TKind::Field, AfName, 0},
    // "Name" is our own label of the family name; beside a family name column it is the
    // whole name.
    {"name", TKind::Field, AfName, 5},
};

// Words of a column name that say which of several columns comes first, and their rank.
enum TQualifier { QPlain = 0, QWork = 1, QOther = 2, QHome = 3 };

int qualifierOf(const QString& word)
{
    static const QHash<QString, int> words = [] {
        QHash<QString, int> w;
        for (const char* s : {"geschaeftlich", "dienstlich", "business", "work", "buero", "office",
                              "arbeit"})
            w.insert(QString::fromLatin1(s), QWork);
        for (const char* s : {"privat", "private", "home", "personal", "persoenlich", "zuhause"})
            w.insert(QString::fromLatin1(s), QHome);
        for (const char* s : {"weitere", "weiterer", "weiteres", "other", "andere", "sonstige",
                              "sekundaere", "sekundaer", "secondary"})
            w.insert(QString::fromLatin1(s), QOther);
        for (const char* s : {"primaere", "primaer", "primary"})
            w.insert(QString::fromLatin1(s), QPlain);
        return w;
    }();
    return words.value(word, -1);
}

const TBaseName* baseName(const QString& key)
{
    static const QHash<QString, const TBaseName*> names = [] {
        QHash<QString, const TBaseName*> n;
        for (const TBaseName& b : baseNames)
            n.insert(QString::fromLatin1(b.name), &b);
        return n;
    }();
    return names.value(key, nullptr);
}

// The words of a column name: lower case, umlauts spelt out, split at everything that is not
// a letter or digit and between letters and digits ("Webseite1" is "webseite", "1").
QStringList wordsOf(const QString& name)
{
    QStringList words;
    QString word;
    auto flush = [&] {
        if (!word.isEmpty())
            words << word;
        word.clear();
    };
    for (const QChar c : name.toLower()) {
        if (!c.isLetterOrNumber()) {
            flush();
            continue;
        }
        if (!word.isEmpty() && word.back().isDigit() != c.isDigit())
            flush();
        switch (c.unicode()) {
        case 0xDF: word += QStringLiteral("ss"); break;
        case 0xE4: word += QStringLiteral("ae"); break;
        case 0xF6: word += QStringLiteral("oe"); break;
        case 0xFC: word += QStringLiteral("ue"); break;
        default: word += c;
        }
    }
    flush();
    return words;
}

// One column the import reads.
struct TColumn {
    qsizetype Index = 0; // in the file
    // A column of one meaning for every row:
    int Field = -1;      // record field or pseudo field; -1: see Kind
    TKind Kind = TKind::Field;
    int Rank = 0;
    int Group = -1;      // the address the column belongs to (address kinds only)
    int GroupRank = 0;
    // A value of a typed pair: its meaning depends on the row's label.
    bool Typed = false;
    int Number = 0;
    qsizetype LabelSlot = -1; // the label column's place among the read columns
    bool Label = false;       // the column is a label, read only for the typed values
};

// The label of a typed pair as the qualifier and kind it names ("* Work Fax": primary, work, fax).
struct TLabel {
    int Qualifier = QPlain;
    bool Primary = false;
    bool Fax = false;
    bool Mobile = false;
    bool Pager = false;
};

TLabel labelOf(const QString& text)
{
    TLabel label;
    label.Primary = text.trimmed().startsWith(QLatin1Char('*'));
    // Several labels in one cell (" ::: "): the first one counts.
    const QString first = text.section(QStringLiteral(":::"), 0, 0);
    for (const QString& word : wordsOf(first)) {
        const int q = qualifierOf(word);
        if (q == QWork || q == QHome)
            label.Qualifier = q;
        else if (q == QOther && label.Qualifier == QPlain)
            label.Qualifier = QOther;
        const TBaseName* b = baseName(word);
        if (b && b->kind == TKind::Fax)
            label.Fax = true;
        else if (b && b->kind == TKind::Mobile)
            label.Mobile = true;
        else if (word == QLatin1String("pager") || word == QLatin1String("piepser"))
            label.Pager = true;
    }
    return label;
}

// The field of a telephone number of the given qualifier.
int phoneField(TKind kind, int qualifier)
{
    if (kind == TKind::Mobile)
        return AfMobil;
    if (kind == TKind::Fax)
        return qualifier == QHome ? AfFaxPrivat : AfFax;
    return qualifier == QHome ? AfTelPrivat : AfTel;
}

// The column of a name: static (one meaning for all rows) or a part of a typed pair. Returns
// false for a column that is not read.
bool columnOf(const QString& header, TColumn& column, QString& typedKey, bool& isLabel)
{
    // Typed pairs: "<kind> <number> - <part>".
    static const QRegularExpression pair(QStringLiteral("^(.*\\D)\\s*(\\d+)\\s*-\\s*(.+)$"));
    const QRegularExpressionMatch m = pair.match(header);
    if (m.hasMatch()) {
        const TBaseName* kind = baseName(wordsOf(m.captured(1)).join(QString()));
        const QString part = wordsOf(m.captured(3)).join(QString());
        if (!kind)
            return false;
        const int number = qMin(m.captured(2).toInt(), 99);
        typedKey = QStringLiteral("%1-%2").arg(int(kind->kind) * 100 + kind->field).arg(number);
        isLabel = part == QLatin1String("label") || part == QLatin1String("type") ||
                  part == QLatin1String("typ") || part == QLatin1String("bezeichnung");
        column.Number = number;
        if (isLabel) {
            column.Label = true;
            return kind->kind != TKind::Field;
        }
        switch (kind->kind) {
        case TKind::Phone:
        case TKind::Fax:
        case TKind::Mobile:
        case TKind::EMail:
        case TKind::URL:
            if (part != QLatin1String("value") && part != QLatin1String("wert"))
                return false;
            column.Typed = true;
            column.Kind = kind->kind;
            return true;
        case TKind::Street: {
            // An address: its parts by their names, one group per number.
            column.Typed = true;
            column.Group = 100 + number;
            if (part == QLatin1String("formatted") || part == QLatin1String("formatiert")) {
                column.Kind = TKind::Formatted;
                return true;
            }
            const TBaseName* b = baseName(part);
            if (!b || b->kind == TKind::Field || b->kind == TKind::Formatted)
                return false;
            column.Kind = b->kind;
            column.Rank = b->rank;
            return b->kind == TKind::Street || b->kind == TKind::Extended ||
                   b->kind == TKind::PLZ || b->kind == TKind::Ort;
        }
        case TKind::Field:
            if (kind->field != AfFirma1)
                return false;
            // An organisation: its name, department and job title.
            column.Rank = number;
            if (part == QLatin1String("name"))
                column.Field = AfFirma1;
            else if (part == QLatin1String("department") || part == QLatin1String("abteilung"))
                column.Field = AfFirma2;
            else if (part == QLatin1String("title") || part == QLatin1String("titel") ||
                     part == QLatin1String("jobtitle"))
                column.Field = FieldJobTitle;
            else
                return false;
            return true;
        default:
            return false;
        }
    }

    const QStringList words = wordsOf(header);
    // Our own labels first, numbers included ("Firma 2", "Konto 1").
    if (const TBaseName* own = baseName(words.join(QString()));
        own && own->kind == TKind::Field) {
        column.Field = own->field;
        column.Rank = own->rank;
        return true;
    }
    int qualifier = QPlain;
    int number = 0;
    QString rest;
    for (const QString& word : words) {
        if (word.at(0).isDigit()) {
            number = qMin(word.toInt(), 10);
            continue;
        }
        const int q = qualifierOf(word);
        if (q >= 0) {
            qualifier = qMax(qualifier, q);
            continue;
        }
        rest += word;
    }
    const TBaseName* b = baseName(rest);
    if (!b)
        return false;
    column.Rank = qualifier * 100 + b->rank * 10 + qMax(number - 1, 0);
    column.Kind = b->kind;
    switch (b->kind) {
    case TKind::Field:
        column.Field = b->field;
        return true;
    case TKind::Phone:
    case TKind::Fax:
    case TKind::Mobile:
        column.Field = phoneField(b->kind, qualifier);
        return true;
    case TKind::EMail:
        column.Field = AfEMail;
        return true;
    case TKind::URL:
        column.Field = AfURL;
        return true;
    case TKind::Street:
        // "Straße geschäftlich 2", "Work Address 2": the second line of the address.
        if (number >= 2)
            column.Kind = TKind::Extended;
        [[fallthrough]];
    case TKind::Extended:
    case TKind::PLZ:
    case TKind::Ort:
        column.Group = qualifier;
        column.GroupRank = qualifier;
        column.Rank = b->rank * 10 + number;
        return true;
    default:
        return false;
    }
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

// Reads the rows of a CSV text one after the other without keeping them: quotes around a field
// allow the delimiter and line breaks inside, a doubled quote is one quote. Only the fields a
// caller asks for are copied.
class TCsvRows {
public:
    TCsvRows(const QString& text, QChar delimiter) : m_text(text), m_delimiter(delimiter) {}

    // Reads the next row that has any content. wanted(column) says whether a field is needed;
    // take(column, value) receives it. Returns false at the end of the text. anyText is set
    // when a field of the row holds more than blanks.
    template <class Wanted, class Take>
    bool Next(Wanted&& wanted, Take&& take, bool& anyText)
    {
        const qsizetype size = m_text.size();
        const QChar* data = m_text.constData();
        while (m_pos < size) {
            bool rowHasContent = false;
            anyText = false;
            qsizetype column = 0;
            bool rowEnded = false;
            while (!rowEnded) {
                // One field.
                const bool want = wanted(column);
                QString field;
                bool quoted = false;
                qsizetype from = m_pos;
                auto keep = [&](qsizetype end) {
                    if (want && end > from)
                        field.append(data + from, end - from);
                };
                bool fieldEnded = false;
                while (!fieldEnded) {
                    if (m_pos >= size) {
                        keep(m_pos);
                        fieldEnded = rowEnded = true;
                        break;
                    }
                    const QChar c = data[m_pos];
                    if (quoted) {
                        if (c == QLatin1Char('"')) {
                            keep(m_pos);
                            if (m_pos + 1 < size && data[m_pos + 1] == QLatin1Char('"')) {
                                if (want)
                                    field += c;
                                ++m_pos;
                            } else {
                                quoted = false;
                            }
                            from = m_pos + 1;
                        } else if (!anyText && !c.isSpace()) {
                            anyText = true;
                        }
                        ++m_pos;
                        continue;
                    }
                    if (c == QLatin1Char('"')) {
                        keep(m_pos);
                        quoted = true;
                        rowHasContent = true;
                        from = ++m_pos;
                    } else if (c == m_delimiter) {
                        keep(m_pos);
                        rowHasContent = true;
                        ++m_pos;
                        fieldEnded = true;
                    } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                        keep(m_pos);
                        if (c == QLatin1Char('\r') && m_pos + 1 < size &&
                            data[m_pos + 1] == QLatin1Char('\n'))
                            ++m_pos;
                        ++m_pos;
                        fieldEnded = rowEnded = true;
                    } else {
                        if (!c.isSpace()) {
                            anyText = true;
                            rowHasContent = true;
                        }
                        ++m_pos;
                    }
                }
                if (want && !field.isEmpty())
                    take(column, std::move(field));
                ++column;
            }
            if (rowHasContent || anyText)
                return true;
        }
        return false;
    }

private:
    const QString& m_text;
    QChar m_delimiter;
    qsizetype m_pos = 0;
};

// One address of a row: its parts, each the value of the column of lowest rank.
struct TAddressGroup {
    int Group = -1;
    int GroupRank = 0;
    QString Value[4]; // street, postcode, town, formatted
    int Rank[4] = {1 << 20, 1 << 20, 1 << 20, 1 << 20};
    QList<std::pair<int, QString>> Extended; // second lines by rank
};

int partOf(TKind kind)
{
    switch (kind) {
    case TKind::Street: return 0;
    case TKind::PLZ: return 1;
    case TKind::Ort: return 2;
    case TKind::Formatted: return 3;
    default: return -1;
    }
}

} // namespace

TAddressImport ReadCsvContacts(const QByteArray& bytes, const QString& fileName)
{
    const QString file = QDir::toNativeSeparators(fileName);
    const QString text = DecodeUndeclaredText(bytes);
    const QChar delimiter = delimiterOf(text);
    TCsvRows rows(text, delimiter);

    // The header row: only the columns that are read are kept, so a header of millions of
    // empty columns costs no memory.
    QList<TColumn> columns;
    QHash<QString, qsizetype> labelSlots;   // typed pair -> its label's place in columns
    QList<std::pair<qsizetype, QString>> typedValues; // place in columns, typed pair
    bool familyColumn = false;
    QList<qsizetype> nameColumns;
    bool anyText = false;
    const bool hasHeader = rows.Next(
        [](qsizetype) { return true; },
        [&](qsizetype index, QString header) {
            TColumn column;
            column.Index = index;
            QString typedKey;
            bool isLabel = false;
            if (!columnOf(header, column, typedKey, isLabel))
                return;
            if (isLabel) {
                labelSlots.insert(typedKey, columns.size());
            } else if (column.Typed) {
                typedValues << std::pair(columns.size(), typedKey);
            } else if (column.Field == AfName && column.Rank == 0) {
                familyColumn = true;
            } else if (column.Field == AfName && column.Rank == 5) {
                nameColumns << columns.size();
            }
            columns << column;
        },
        anyText);
    if (!hasHeader)
        throw TAddressError(
            QStringLiteral("Die Datei \u201E%1\u201C enthält keine Adressen.").arg(file));
    for (const auto& [slot, key] : std::as_const(typedValues))
        columns[slot].LabelSlot = labelSlots.value(key, -1);
    if (familyColumn) {
        for (const qsizetype slot : std::as_const(nameColumns)) {
            columns[slot].Field = AfSet;
            columns[slot].Rank = 2;
        }
    }
    const bool recognised = std::any_of(columns.cbegin(), columns.cend(),
                                        [](const TColumn& c) { return !c.Label; });
    if (!recognised)
        throw TAddressError(QStringLiteral("Die Datei \u201E%1\u201C ist weder eine Adressdatei "
                                           "noch eine vCard-Datei, und als CSV-Datei nennt ihre "
                                           "erste Zeile keine bekannte Spalte (etwa \u201EVorname"
                                           "\u201C, \u201EName\u201C, \u201EPLZ\u201C oder "
                                           "\u201EE-Mail\u201C).")
                                .arg(file));

    TAddressImport result;
    result.Kind = QStringLiteral("CSV");
    QList<QString> values(columns.size());
    qsizetype next = 0; // the next read column while a row is taken apart
    auto wanted = [&](qsizetype index) {
        while (next < columns.size() && columns.at(next).Index < index)
            ++next;
        return next < columns.size() && columns.at(next).Index == index;
    };
    auto take = [&](qsizetype, QString value) { values[next] = std::move(value); };
    for (;;) {
        next = 0;
        for (QString& v : values)
            v.clear();
        if (!rows.Next(wanted, take, anyText))
            break;

        QString best[FieldCount];
        int bestRank[FieldCount];
        std::fill(std::begin(bestRank), std::end(bestRank), std::numeric_limits<int>::max());
        QVarLengthArray<TAddressGroup, 8> groups;
        auto offer = [&](int field, int rank, const QString& value) {
            if (rank < bestRank[field]) {
                best[field] = value;
                bestRank[field] = rank;
            }
        };
        for (qsizetype slot = 0; slot < columns.size(); ++slot) {
            const TColumn& c = columns.at(slot);
            if (c.Label)
                continue;
            QString value = values.at(slot).trimmed();
            if (value.isEmpty())
                continue;
            int groupRank = c.GroupRank;
            int rank = c.Rank;
            int field = c.Field;
            if (c.Typed) {
                // Several values in one cell (" ::: "): the first one.
                if (value.contains(QStringLiteral(":::")))
                    value = value.section(QStringLiteral(":::"), 0, 0).trimmed();
                const TLabel label =
                    labelOf(c.LabelSlot >= 0 ? values.at(c.LabelSlot) : QString());
                const int order = (label.Qualifier == QPlain ? 2 : label.Qualifier) * 100 +
                                  (label.Primary ? 0 : 50) + c.Number;
                switch (c.Kind) {
                case TKind::Phone:
                case TKind::Fax:
                case TKind::Mobile:
                    if (label.Pager)
                        continue;
                    field = phoneField(label.Fax      ? TKind::Fax
                                       : label.Mobile ? TKind::Mobile
                                                      : c.Kind,
                                       label.Qualifier);
                    rank = order;
                    break;
                case TKind::EMail:
                    field = AfEMail;
                    rank = order;
                    break;
                case TKind::URL:
                    field = AfURL;
                    rank = order;
                    break;
                default:
                    // Address parts: the label ranks the address, work before home.
                    groupRank = label.Qualifier == QPlain ? 2 : label.Qualifier;
                    break;
                }
            }
            if (c.Group < 0) {
                offer(field, rank, value);
                continue;
            }
            TAddressGroup* group = nullptr;
            for (TAddressGroup& g : groups)
                if (g.Group == c.Group)
                    group = &g;
            if (!group) {
                groups.append(TAddressGroup());
                group = &groups.last();
                group->Group = c.Group;
                group->GroupRank = groupRank;
            }
            if (c.Kind == TKind::Extended) {
                group->Extended << std::pair(rank, value);
                continue;
            }
            const int part = partOf(c.Kind);
            if (part >= 0 && rank < group->Rank[part]) {
                group->Value[part] = value;
                group->Rank[part] = rank;
            }
        }

        // The address: of those with a street or postcode the first, work before home;
        // a town alone (Outlook's "Ort" is the office's location) only without any such.
        const TAddressGroup* address = nullptr;
        for (const bool strong : {true, false}) {
            for (const TAddressGroup& g : groups) {
                const bool has = strong ? !g.Value[0].isEmpty() || !g.Value[1].isEmpty() ||
                                              !g.Value[3].isEmpty()
                                        : true;
                if (has && (!address || g.GroupRank < address->GroupRank))
                    address = &g;
            }
            if (address)
                break;
        }
        TAddressRecord record = SplitAddressRecord(QString());
        for (int f = 0; f < AddressFieldCount; ++f)
            record[f] = best[f];
        if (address) {
            QString street = address->Value[0];
            QList<std::pair<int, QString>> extended = address->Extended;
            std::stable_sort(extended.begin(), extended.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            QStringList lines;
            for (const auto& e : std::as_const(extended))
                lines << e.second;
            // A formatted address stands in for the street when the parts are missing.
            if (street.isEmpty() && address->Value[1].isEmpty() && address->Value[2].isEmpty())
                street = address->Value[3];
            if (street.isEmpty() && !lines.isEmpty())
                street = lines.takeFirst();
            record[AfStrasse] = street;
            record[AfPLZ] = address->Value[1];
            record[AfOrt] = address->Value[2];
            if (record.at(AfZusatz1).isEmpty())
                record[AfZusatz1] = lines.join(QStringLiteral(", "));
        }
        if (record.at(AfZusatz2).isEmpty())
            record[AfZusatz2] = best[FieldJobTitle];

        result.Replaced += FitRecordToAddressFile(record);
        if (CompleteRecordName(record)) {
            result.Records << record;
            if (result.Records.size() > MaxImportedContacts)
                throw TAddressError(QStringLiteral("Die CSV-Datei \u201E%1\u201C enthält mehr als "
                                                   "%2 Kontakte; so viele nimmt die Adressdatei "
                                                   "nicht auf.")
                                        .arg(file)
                                        .arg(MaxImportedContacts));
        } else if (anyText) {
            // A row with text, none of it in a column that is read.
            ++result.Skipped;
        }
    }
    if (result.Records.isEmpty())
        throw TAddressError(
            QStringLiteral("Die CSV-Datei \u201E%1\u201C enthält unter ihrer Kopfzeile keine "
                           "Adressen.")
                .arg(file));
    return result;
}
