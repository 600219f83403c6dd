#include "document/placeholders.h"

#include <QLocale>
#include <algorithm>

namespace {

// Filling order: the ten text blocks, then the address placeholders.
const char* const kAddressNames[] = {
    "firma1", "firma2", "zusatz1", "zusatz2", "strasse", "plz", "ort", "telefon", "telefax",
    "telefonprivat", "telefaxprivat", "mobil", "email", "url", "bank1", "blz1", "konto1",
    "bank2", "blz2", "konto2", "titel", "vorname", "name"};
// AddressFields index of each address placeholder above.
const int kAddressIndex[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  21, 22, 9,
                             10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
constexpr qsizetype kLongestName = 13; // "telefonprivat"

const std::array<QString, TPlaceholderFiller::Count>& names() {
    static const std::array<QString, TPlaceholderFiller::Count> list = [] {
        std::array<QString, TPlaceholderFiller::Count> n;
        for (int i = 0; i < 10; ++i)
            n[size_t(i)] = QStringLiteral("t%1").arg(i + 1);
        for (int i = 0; i < 23; ++i)
            n[size_t(10 + i)] = QString::fromLatin1(kAddressNames[i]);
        return n;
    }();
    return list;
}

// The placeholder (from level on) that begins at text[at], and its length with the brackets;
// -1 when none does.
int placeholderAt(QStringView text, qsizetype at, int level, qsizetype* length) {
    if (text[at] != QLatin1Char('<'))
        return -1;
    const qsizetype end = std::min(text.size(), at + kLongestName + 2);
    qsizetype close = at + 1;
    while (close < end && text[close] != QLatin1Char('>') && text[close] != QLatin1Char('<'))
        ++close;
    if (close >= end || text[close] != QLatin1Char('>'))
        return -1;
    const QStringView name = text.sliced(at + 1, close - at - 1);
    const auto& list = names();
    for (int k = level; k < TPlaceholderFiller::Count; ++k) {
        if (list[size_t(k)] == name) {
            *length = close - at + 1;
            return k;
        }
    }
    return -1;
}

// Walks the text: words(span) for each stretch between placeholders (never empty), then
// placeholder(k) for the placeholder of filling index k, in order; stops early when one of
// them returns false. Returns whether it walked to the end.
template <class Words, class Placeholder>
bool walkText(QStringView text, int level, Words words, Placeholder placeholder) {
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 0;
        const int k = placeholderAt(text, i, level, &length);
        if (k < 0) {
            ++i;
            continue;
        }
        if ((i > from && !words(text.sliced(from, i - from))) || !placeholder(k))
            return false;
        i += length;
        from = i;
    }
    return from == text.size() || words(text.sliced(from));
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x00A0);
}

bool allBlank(QStringView s) {
    return std::all_of(s.begin(), s.end(), isBlank);
}

bool isSeparatorMark(QChar c) {
    return c == QChar(0x00B7) || c == QLatin1Char('|') || c == QChar(0x2013) ||
           c == QLatin1Char('/') || c == QChar(0x2022);
}

// A text cut in the middle of a surrogate pair loses the lone half.
void endCut(TFilledText& out) {
    if (out.Text.size() > MaxFilledLength)
        out.Text.truncate(MaxFilledLength);
    if (out.Cut && !out.Text.isEmpty() && out.Text.back().isHighSurrogate())
        out.Text.chop(1);
}

struct Piece {
    QStringView text;
    int placeholder = -1; // -1: the template's own words
    bool empty = false;   // a placeholder that came out empty
    bool cut = false;
};

struct Part {
    QStringView separatorBefore;
    std::vector<Piece> pieces;
};

// Splits the pieces at separators (blanks, a mark, blanks) within the template's words.
std::vector<Part> splitParts(const std::vector<Piece>& pieces) {
    std::vector<Part> parts(1);
    for (const Piece& p : pieces) {
        if (p.placeholder >= 0) {
            parts.back().pieces.push_back(p);
            continue;
        }
        const QStringView s = p.text;
        qsizetype from = 0;
        for (qsizetype i = 1; i + 1 < s.size(); ++i) {
            if (!isSeparatorMark(s[i]) || !isBlank(s[i - 1]) || !isBlank(s[i + 1]))
                continue;
            qsizetype a = i - 1, b = i + 2;
            while (a > from && isBlank(s[a - 1]))
                --a;
            while (b < s.size() && isBlank(s[b]))
                ++b;
            if (a > from)
                parts.back().pieces.push_back({s.sliced(from, a - from)});
            parts.push_back({s.sliced(a, b - a), {}});
            from = b;
            i = b - 1;
        }
        if (from < s.size())
            parts.back().pieces.push_back({s.sliced(from)});
    }
    return parts;
}

bool dropPart(const Part& part) {
    bool placeholder = false;
    for (const Piece& p : part.pieces) {
        if (p.placeholder >= 0 && !p.empty)
            return false;
        placeholder = placeholder || p.placeholder >= 0;
    }
    return placeholder;
}

// Shrinks the blanks around each marked place (an empty placeholder) to one, to none at the
// start or the end of the text.
void collapseBlanks(QString& s, std::vector<qsizetype>& marks) {
    for (size_t m = marks.size(); m-- > 0;) {
        const qsizetype p = std::min(marks[m], s.size());
        qsizetype a = p, b = p;
        while (a > 0 && isBlank(s[a - 1]))
            --a;
        while (b < s.size() && isBlank(s[b]))
            ++b;
        if (a == b)
            continue;
        if (a == 0 || b == s.size())
            s.remove(a, b - a);
        else
            s.replace(a, b - a, QStringLiteral(" "));
        for (size_t j = m; j-- > 0 && marks[j] > a;)
            marks[j] = a;
    }
}

} // namespace

QString TPlaceholderFiller::Name(int index) {
    return QLatin1Char('<') + names()[size_t(index)] + QLatin1Char('>');
}

TPlaceholderFiller::TPlaceholderFiller(const TPlaceholderValues& values, bool skipEmpty)
    : m_skipEmpty(skipEmpty), m_filled(Count) {
    // From the last placeholder to the first: a value is filled with those after it, whose
    // filled values are known by then.
    for (int k = Count - 1; k >= 0; --k) {
        const QString& value =
            k < 10 ? values.TextBlocks[size_t(k + 1)]
                   : values.AddressFields[size_t(kAddressIndex[k - 10])];
        m_filled[size_t(k)] = expand(value, k + 1);
    }
}

TFilledText TPlaceholderFiller::Fill(QStringView macroText) const {
    return expand(macroText, 0);
}

TFilledText TPlaceholderFiller::expand(QStringView text, int level) const {
    TFilledText out;
    if (!m_skipEmpty) {
        // Appends s; false once the text is full.
        auto append = [&out](QStringView s, bool cut) {
            const qsizetype room = MaxFilledLength - out.Text.size();
            if (s.size() > room || cut) {
                out.Text += s.first(std::min(room, s.size()));
                out.Cut = true;
                return false;
            }
            out.Text += s;
            return true;
        };
        walkText(
            text, level, [&](QStringView words) { return append(words, false); },
            [&](int k) { return append(m_filled[size_t(k)].Text, m_filled[size_t(k)].Cut); });
        endCut(out);
        return out;
    }

    std::vector<Piece> pieces;
    bool anyPlaceholder = false, anyFilled = false;
    walkText(
        text, level,
        [&](QStringView words) {
            pieces.push_back({words});
            return true;
        },
        [&](int k) {
            const TFilledText& value = m_filled[size_t(k)];
            const bool empty = allBlank(value.Text);
            pieces.push_back({value.Text, k, empty, value.Cut});
            anyPlaceholder = true;
            anyFilled = anyFilled || !empty;
            return true;
        });
    // A text whose placeholders all came out empty is left out with its own words.
    if (anyPlaceholder && !anyFilled)
        return out;

    // The text is built to twice the limit at most; shrinking blanks cannot bring back more.
    const qsizetype limit = 2 * MaxFilledLength;
    std::vector<qsizetype> marks;
    bool first = true;
    for (const Part& part : splitParts(pieces)) {
        if (dropPart(part))
            continue;
        if (!first)
            out.Text += part.separatorBefore;
        first = false;
        for (const Piece& p : part.pieces) {
            if (p.empty)
                marks.push_back(out.Text.size());
            const qsizetype room = limit - out.Text.size();
            out.Text += p.text.first(std::min(room, p.text.size()));
            out.Cut = out.Cut || p.cut || p.text.size() > room;
            if (out.Cut)
                break;
        }
        if (out.Cut)
            break;
    }
    collapseBlanks(out.Text, marks);
    out.Cut = out.Cut || out.Text.size() > MaxFilledLength;
    endCut(out);
    return out;
}

QString CutTextsNote(int texts) {
    const QString limit = QLocale(QLocale::German, QLocale::Germany).toString(MaxFilledLength);
    const QString what = texts == 1 ? QStringLiteral("Ein Text wurde")
                                    : QStringLiteral("%1 Texte wurden").arg(texts);
    return QStringLiteral("%1 nach %2 Zeichen abgeschnitten: die Platzhalter füllen sich mit "
                          "Werten, die wieder Platzhalter enthalten, ohne Ende.")
        .arg(what, limit);
}
