// vCard 2.1, 3.0 and 4.0: folded lines, quoted-printable with soft line breaks, CHARSET,
// escaped commas and semicolons, several cards per file, keywords in any letter case, lines
// ended by CR LF, LF or CR alone. Damaged files lose no contact that can still be read: a
// BEGIN:VCARD at the start of a line ends an unfinished card, a soft line break does not swallow
// the line that begins or ends a card, and what had to be repaired or left out is counted.

#include "addresses/contactimport.h"

#include "document/cp1252.h"

#include <QDir>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <optional>
#include <utility>

namespace {

// The properties an address is made of; the others are passed over.
enum class TName { N, FN, ORG, TITLE, ROLE, HonorificPrefix, ADR, TEL, EMAIL, URL, AGENT, Other };

// The types that choose between properties of one name, as bits.
enum TType : unsigned { Work = 1, Home = 2, Cell = 4, Fax = 8, Pref = 16, Pager = 32 };

struct TProperty {
    TName Name = TName::Other;
    unsigned Types = 0; // TType bits
    QByteArray Charset; // declared character set, empty when none
    bool QuotedPrintable = false;
    bool Binary = false; // base64 data, of no use for an address
    QByteArray Value;    // as in the file, quoted-printable already joined
};

using TCard = QList<TProperty>;

// The position of the first ':' that is not inside double quotes, or -1.
qsizetype nameEnd(QByteArrayView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted)
            return i;
    }
    return -1;
}

// The parts of a property head between the semicolons that are not inside double quotes.
// They point into head.
using TParams = QVarLengthArray<QByteArrayView, 8>;

TParams splitParams(QByteArrayView head)
{
    TParams parts;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < head.size(); ++i) {
        const char c = head.at(i);
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            parts.append(head.sliced(start, i - start));
            start = i + 1;
        }
    }
    parts.append(head.sliced(start));
    return parts;
}

bool sameWord(QByteArrayView text, QByteArrayView word)
{
    return text.size() == word.size() && text.compare(word, Qt::CaseInsensitive) == 0;
}

// A parameter "KEY=value" or a bare value: the key and value trimmed, the value without its
// quotes. Only a value with quotes is copied (into unquoted).
void splitParam(QByteArrayView param, QByteArrayView& key, QByteArrayView& value,
                QByteArray& unquoted)
{
    param = param.trimmed();
    const qsizetype eq = param.indexOf('=');
    key = eq < 0 ? QByteArrayView() : param.first(eq).trimmed();
    value = eq < 0 ? param : param.sliced(eq + 1).trimmed();
    if (value.contains('"')) {
        unquoted = value.toByteArray().replace('"', QByteArray());
        value = unquoted;
    }
}

// An encoding parameter, named (ENCODING=...) or bare: sets the two flags and returns true.
bool readEncoding(QByteArrayView key, QByteArrayView value, bool& quotedPrintable, bool& binary)
{
    const bool qp = sameWord(value, "QUOTED-PRINTABLE");
    const bool base64 = sameWord(value, "BASE64") || sameWord(value, "B");
    if (!sameWord(key, "ENCODING") &&
        !(key.isEmpty() && (qp || base64 || sameWord(value, "8BIT") || sameWord(value, "7BIT"))))
        return false;
    quotedPrintable = qp;
    binary = base64;
    return true;
}

// The property's name: the head's first part, its group ("item1.") removed.
QByteArrayView propertyName(QByteArrayView firstParam)
{
    QByteArrayView name = firstParam.trimmed();
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 ? name.sliced(dot + 1) : name;
}

TName nameOf(QByteArrayView name)
{
    static constexpr std::pair<const char*, TName> names[] = {
        {"N", TName::N},         {"FN", TName::FN},     {"ORG", TName::ORG},
        {"TITLE", TName::TITLE}, {"ROLE", TName::ROLE}, {"HONORIFIC-PREFIX", TName::HonorificPrefix},
        {"ADR", TName::ADR},     {"TEL", TName::TEL},   {"EMAIL", TName::EMAIL},
        {"URL", TName::URL},     {"AGENT", TName::AGENT}};
    for (const auto& [word, value] : names)
        if (sameWord(name, word))
            return value;
    return TName::Other;
}

unsigned typeOf(QByteArrayView type)
{
    static constexpr std::pair<const char*, TType> types[] = {
        {"work", Work}, {"home", Home}, {"cell", Cell},
        {"fax", Fax},   {"pref", Pref}, {"pager", Pager}};
    for (const auto& [word, value] : types)
        if (sameWord(type, word))
            return value;
    return 0;
}

// The property a head declares, from the head's parts (splitParams) and its name.
TProperty parseHead(const TParams& params, TName name)
{
    TProperty p;
    p.Name = name;
    for (qsizetype i = 1; i < params.size(); ++i) {
        QByteArrayView key;
        QByteArrayView value;
        QByteArray unquoted;
        splitParam(params.at(i), key, value, unquoted);
        if (readEncoding(key, value, p.QuotedPrintable, p.Binary))
            continue;
        if (sameWord(key, "CHARSET")) {
            p.Charset = value.toByteArray();
        } else if (sameWord(key, "TYPE") || key.isEmpty()) {
            qsizetype from = 0;
            while (from <= value.size()) {
                qsizetype comma = value.indexOf(',', from);
                if (comma < 0)
                    comma = value.size();
                p.Types |= typeOf(value.sliced(from, comma - from).trimmed());
                from = comma + 1;
            }
        } else if (sameWord(key, "PREF")) {
            p.Types |= Pref;
        }
    }
    return p;
}

QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    auto hex = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c == '=' && i + 2 < in.size() && hex(in.at(i + 1)) >= 0 && hex(in.at(i + 2)) >= 0) {
            out += char(hex(in.at(i + 1)) * 16 + hex(in.at(i + 2)));
            i += 2;
        } else if (c == '=' && i + 1 == in.size()) {
            // A soft line break at the very end.
        } else {
            out += c;
        }
    }
    return out;
}

// The text of a value: quoted-printable undone, then decoded in its declared character set,
// or as UTF-8 when valid and Windows-1252 otherwise.
QString valueText(const TProperty& p)
{
    const QByteArray bytes = p.QuotedPrintable ? decodeQuotedPrintable(p.Value) : p.Value;
    if (!p.Charset.isEmpty()) {
        QStringDecoder decoder(p.Charset.constData());
        if (decoder.isValid())
            return decoder(bytes);
    }
    return DecodeUndeclaredText(bytes);
}

// Splits at unescaped separators and undoes the backslash escapes in each part.
QStringList components(const QString& text, QChar separator)
{
    QStringList parts;
    QString current;
    qsizetype from = 0; // the characters from here on are not in current yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            current.append(text.constData() + from, i - from);
            const QChar next = text.at(++i);
            current += (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QChar('\n') : next;
            from = i + 1;
        } else if (c == separator) {
            current.append(text.constData() + from, i - from);
            parts << current.trimmed();
            current.clear();
            from = i + 1;
        }
    }
    current.append(text.constData() + from, text.size() - from);
    parts << current.trimmed();
    return parts;
}

QString plainText(const TProperty& p)
{
    const QString text = valueText(p);
    // Most values have nothing to undo.
    if (!text.contains(QLatin1Char('\\')) && !text.contains(QChar(0)))
        return text.trimmed();
    return components(text, QChar(0)).join(QString());
}

// The property head declares quoted-printable. Heads that cannot (the word is not there and
// no quotes could hide it) are not taken apart.
bool declaresQuotedPrintable(QByteArrayView head)
{
    const QByteArrayView word("QUOTED-PRINTABLE");
    bool named = head.contains('"');
    for (qsizetype i = 0; !named && i + word.size() <= head.size(); ++i)
        named = (head.at(i) | 0x20) == 'q' && sameWord(head.sliced(i, word.size()), word);
    if (!named)
        return false;
    bool quotedPrintable = false;
    bool binary = false;
    const TParams params = splitParams(head);
    for (qsizetype i = 1; i < params.size(); ++i) {
        QByteArrayView key;
        QByteArrayView value;
        QByteArray unquoted;
        splitParam(params.at(i), key, value, unquoted);
        readEncoding(key, value, quotedPrintable, binary);
    }
    return quotedPrintable;
}

// The line begins or ends a card: "BEGIN:VCARD" or "END:VCARD" in any letter case.
bool isCardBoundary(QByteArrayView line)
{
    line = line.trimmed();
    return sameWord(line, "BEGIN:VCARD") || sameWord(line, "END:VCARD");
}

// Logical lines of the file: folded lines joined, quoted-printable soft breaks joined. Lines
// end with CR LF, LF or CR. Lines that were not joined share the bytes of the file, which must
// outlive them. A soft break right before a line that begins or ends a card is dropped instead
// of joining that line; the index of each such logical line is added to cut.
QList<QByteArray> logicalLines(const QByteArray& bytes, QList<qsizetype>& cut)
{
    QList<QByteArray> lines;
    bool softBreakOpen = false;
    bool currentIsQP = false;
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        qsizetype next = end + 1;
        if (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n')
            next = end + 2;
        const QByteArrayView line(data + start, end - start);
        start = next;

        if (softBreakOpen && !lines.isEmpty() && isCardBoundary(line)) {
            lines.last().chop(1); // the "=" of a soft break that leads nowhere
            cut << lines.size() - 1;
            softBreakOpen = false;
        }
        if (softBreakOpen && !lines.isEmpty()) {
            lines.last().chop(1); // the "=" of the soft break
            lines.last() += line;
        } else if (!line.isEmpty() && (line.at(0) == ' ' || line.at(0) == '\t') &&
                   !lines.isEmpty()) {
            lines.last() += line.sliced(1);
        } else if (line.trimmed().isEmpty()) {
            softBreakOpen = false;
            currentIsQP = false;
            continue;
        } else {
            // The line's bytes stay in the file's; only a joined line gets its own copy.
            lines << QByteArray::fromRawData(line.data(), line.size());
            const qsizetype colon = nameEnd(line);
            currentIsQP = colon > 0 && declaresQuotedPrintable(line.first(colon));
        }
        softBreakOpen = currentIsQP && lines.last().endsWith('=');
    }
    return lines;
}

// The property of the given name whose types fit best: the first with a wanted type, in the
// order of the wanted types, else the first one.
const TProperty* choose(const TCard& card, TName name, std::initializer_list<TType> wanted = {})
{
    for (const TType type : wanted) {
        for (const TProperty& p : card) {
            if (p.Name == name && (p.Types & type))
                return &p;
        }
    }
    for (const TProperty& p : card) {
        if (p.Name == name)
            return &p;
    }
    return nullptr;
}

QString telephoneNumber(const TProperty& p)
{
    QString number = plainText(p);
    if (number.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive))
        number = number.mid(4);
    return number.trimmed();
}

void fillTelephones(const TCard& card, TAddressRecord& r)
{
    bool preferred[AddressFieldCount] = {};
    for (const TProperty& p : card) {
        if (p.Name != TName::TEL)
            continue;
        const QString number = telephoneNumber(p);
        if (number.isEmpty())
            continue;
        const bool fax = p.Types & Fax;
        const bool home = p.Types & Home;
        int field = -1;
        if (fax)
            field = home ? AfFaxPrivat : AfFax;
        else if (p.Types & Cell)
            field = AfMobil;
        else if (p.Types & Pager)
            continue;
        else
            field = home ? AfTelPrivat : AfTel;
        // A preferred number wins over one written before it.
        const bool pref = p.Types & Pref;
        if (r.at(field).isEmpty() || (pref && !preferred[field])) {
            r[field] = number;
            preferred[field] = pref;
        }
    }
}

TAddressRecord recordOf(const TCard& card)
{
    static const TAddressRecord empty = SplitAddressRecord(QString());
    TAddressRecord r = empty;
    QString prefix;
    if (const TProperty* n = choose(card, TName::N)) {
        const QStringList parts = components(valueText(*n), QLatin1Char(';'));
        r[AfName] = parts.value(0);
        r[AfVorname] = parts.value(1);
        prefix = parts.value(3);
    }
    if (const TProperty* fn = choose(card, TName::FN))
        r[AfSet] = plainText(*fn);
    const TProperty* org = choose(card, TName::ORG);
    if (org) {
        QStringList parts = components(valueText(*org), QLatin1Char(';'));
        r[AfFirma1] = parts.value(0);
        parts.removeFirst();
        parts.removeAll(QString());
        r[AfFirma2] = parts.join(QStringLiteral(", "));
    }
    // Without N, a personal FN gives the two name fields: the last word is the family name.
    if (r.at(AfName).isEmpty() && r.at(AfVorname).isEmpty() && !r.at(AfSet).isEmpty() &&
        r.at(AfSet) != r.at(AfFirma1)) {
        const QString full = r.at(AfSet).simplified();
        const qsizetype space = full.lastIndexOf(QLatin1Char(' '));
        if (space > 0) {
            r[AfVorname] = full.left(space);
            r[AfName] = full.mid(space + 1);
        } else {
            r[AfName] = full;
        }
    }
    // TITLE is the job title ("Geschäftsführerin"), which the address file keeps in
    // "Zusatz 2"; the honorific ("Dr.") of "Titel" is N's prefix.
    if (const TProperty* title = choose(card, TName::TITLE))
        r[AfZusatz2] = plainText(*title);
    if (r.at(AfZusatz2).isEmpty()) {
        if (const TProperty* role = choose(card, TName::ROLE))
            r[AfZusatz2] = plainText(*role);
    }
    r[AfTitel] = prefix;
    if (r.at(AfTitel).isEmpty()) {
        if (const TProperty* honorific = choose(card, TName::HonorificPrefix))
            r[AfTitel] = plainText(*honorific);
    }

    // The extended address ("Hinterhaus", "Suite 100") is a line of its own, "Zusatz 1";
    // without a street it is the street, and without both the post office box is.
    if (const TProperty* adr = choose(card, TName::ADR, {Work, Home})) {
        const QStringList parts = components(valueText(*adr), QLatin1Char(';'));
        QString street = parts.value(2);
        QString extended = parts.value(1);
        if (street.isEmpty())
            std::swap(street, extended);
        if (street.isEmpty())
            street = parts.value(0);
        r[AfStrasse] = street;
        r[AfZusatz1] = extended;
        r[AfOrt] = parts.value(3);
        r[AfPLZ] = parts.value(5);
    }
    fillTelephones(card, r);
    if (const TProperty* mail = choose(card, TName::EMAIL, {Pref, Work}))
        r[AfEMail] = plainText(*mail);
    if (const TProperty* url = choose(card, TName::URL, {Work, Home}))
        r[AfURL] = plainText(*url);
    return r;
}

} // namespace

bool LooksLikeVCard(const QByteArray& bytes)
{
    QByteArrayView head = QByteArrayView(bytes).first(qMin(bytes.size(), qsizetype(4096)));
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    const QByteArrayView begin("BEGIN:VCARD");
    head = head.trimmed();
    return head.size() >= begin.size() && sameWord(head.first(begin.size()), begin);
}

TAddressImport ReadVCards(const QByteArray& bytes, const QString& fileName)
{
    TAddressImport result;
    result.Kind = QStringLiteral("vCard");
    int depth = 0;
    TCard card;
    bool cardRepaired = false;
    bool afterAgent = false;  // the previous line was "AGENT:" without a value
    bool strayContent = false; // known properties outside any card (a lost BEGIN:VCARD)
    auto finishCard = [&] {
        TAddressRecord record = recordOf(card);
        result.Replaced += FitRecordToAddressFile(record);
        if (CompleteRecordName(record)) {
            result.Records << record;
            if (cardRepaired)
                ++result.Repaired;
        } else {
            ++result.Skipped;
        }
        if (result.Records.size() > MaxImportedContacts)
            throw TAddressError(QStringLiteral("Die vCard-Datei \u201E%1\u201C enthält mehr als %2 "
                                               "Kontakte; so viele nimmt die Adressdatei nicht "
                                               "auf.")
                                    .arg(QDir::toNativeSeparators(fileName))
                                    .arg(MaxImportedContacts));
        card.clear();
        cardRepaired = false;
        depth = 0;
    };
    auto finishStray = [&] {
        if (strayContent)
            ++result.Skipped;
        strayContent = false;
    };
    QList<qsizetype> cut;
    const QList<QByteArray> lines = logicalLines(bytes, cut);
    qsizetype nextCut = 0;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QByteArray& line = lines.at(index);
        if (nextCut < cut.size() && cut.at(nextCut) == index) {
            ++nextCut;
            if (depth > 0)
                cardRepaired = true;
        }
        const qsizetype colon = nameEnd(line);
        if (colon < 0)
            continue;
        const TParams params = splitParams(QByteArrayView(line).first(colon));
        // The name alone decides about the lines that begin and end a card and those outside.
        const QByteArrayView name = propertyName(params.at(0));
        const QByteArrayView value = QByteArrayView(line).sliced(colon + 1).trimmed();
        const bool vcard = sameWord(value, "VCARD");
        const bool agent = afterAgent;
        afterAgent = false;
        if (sameWord(name, "BEGIN") && vcard) {
            if (depth > 0 && agent) {
                // A card inside a card (AGENT of version 2.1) belongs to the outer one.
                ++depth;
                continue;
            }
            if (depth > 0) {
                // The card before has no END:VCARD: it ends here.
                cardRepaired = true;
                finishCard();
            }
            finishStray();
            depth = 1;
            continue;
        }
        if (sameWord(name, "END") && vcard) {
            if (depth == 0)
                finishStray();
            else if (--depth == 0)
                finishCard();
            continue;
        }
        const TName known = nameOf(name);
        if (depth == 0) {
            strayContent = strayContent || (known != TName::Other && !value.isEmpty());
            continue;
        }
        if (depth != 1 || known == TName::Other)
            continue;
        if (known == TName::AGENT) {
            afterAgent = value.isEmpty();
            continue;
        }
        TProperty p = parseHead(params, known);
        if (p.Binary)
            continue;
        p.Value = line.mid(colon + 1);
        card << std::move(p);
    }
    if (depth > 0) {
        // The last card has no END:VCARD.
        cardRepaired = true;
        finishCard();
    }
    finishStray();
    if (result.Records.isEmpty())
        throw TAddressError(QStringLiteral("Die vCard-Datei \u201E%1\u201C enthält keine Adressen: "
                                           "keine Karte darin nennt einen Namen, eine Firma oder "
                                           "eine Anschrift.")
                                .arg(QDir::toNativeSeparators(fileName)));
    return result;
}
