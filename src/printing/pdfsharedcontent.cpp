#include "printing/pdfsharedcontent.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <utility>

namespace {

// A dictionary of the PDF's page tree, as far as pages and their resources need it: other
// values are kept as their text (names, numbers, references, arrays).
struct TPdfEntry;

struct TPdfValue {
    bool IsDict = false;
    QByteArray Raw;
    // An entry type of its own, not std::pair: a pair of the class being defined asks for it
    // complete, which clang refuses.
    std::vector<TPdfEntry> Dict;

    TPdfValue* find(const QByteArray& key);
    void set(const QByteArray& key, const QByteArray& raw);
};

struct TPdfEntry {
    QByteArray Key;
    TPdfValue Value;
};

TPdfValue* TPdfValue::find(const QByteArray& key) {
    for (auto& [k, v] : Dict) {
        if (k == key)
            return &v;
    }
    return nullptr;
}

void TPdfValue::set(const QByteArray& key, const QByteArray& raw) {
    TPdfValue v;
    v.Raw = raw;
    if (TPdfValue* old = find(key))
        *old = v;
    else
        Dict.push_back({key, v});
}

bool isWhite(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDelimiter(char c) {
    return isWhite(c) || c == '/' || c == '[' || c == ']' || c == '<' || c == '>' || c == '(' ||
           c == ')' || c == '{' || c == '}' || c == '%';
}

class TTokens {
public:
    explicit TTokens(const QByteArray& text) : m_text(text) {}
    // The next token; empty at the end and for what this reader does not take (strings).
    QByteArray next() {
        const qsizetype n = m_text.size();
        while (m_pos < n && (isWhite(m_text[m_pos]) || m_text[m_pos] == '%')) {
            if (m_text[m_pos] == '%') {
                while (m_pos < n && m_text[m_pos] != '\n' && m_text[m_pos] != '\r')
                    ++m_pos;
            } else {
                ++m_pos;
            }
        }
        if (m_pos >= n)
            return {};
        const char c = m_text[m_pos];
        if ((c == '<' || c == '>') && m_pos + 1 < n && m_text[m_pos + 1] == c) {
            m_pos += 2;
            return m_text.mid(m_pos - 2, 2);
        }
        if (c == '[' || c == ']')
            return m_text.mid(m_pos++, 1);
        if (c == '(' || c == '<' || c == '>' || c == ')' || c == '{' || c == '}')
            return {};
        const qsizetype begin = m_pos++;
        while (m_pos < n && !isDelimiter(m_text[m_pos]))
            ++m_pos;
        return m_text.mid(begin, m_pos - begin);
    }
    qsizetype pos() const { return m_pos; }
    void seek(qsizetype pos) { m_pos = pos; }

private:
    const QByteArray& m_text;
    qsizetype m_pos = 0;
};

bool isInteger(const QByteArray& t) {
    if (t.isEmpty())
        return false;
    return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool parseValue(TTokens& tokens, TPdfValue& value, int depth = 0) {
    if (depth > 32)
        return false;
    const QByteArray t = tokens.next();
    if (t.isEmpty() || t == ">>" || t == "]")
        return false;
    if (t == "<<") {
        value.IsDict = true;
        for (;;) {
            const QByteArray key = tokens.next();
            if (key == ">>")
                return true;
            if (!key.startsWith('/') || key.size() < 2)
                return false;
            TPdfValue v;
            if (!parseValue(tokens, v, depth + 1))
                return false;
            value.Dict.push_back({key, std::move(v)});
        }
    }
    if (t == "[") {
        value.Raw = "[";
        for (int open = 1; open > 0;) {
            const QByteArray item = tokens.next();
            if (item.isEmpty())
                return false;
            open += item == "[" || item == "<<" ? 1 : item == "]" || item == ">>" ? -1 : 0;
            value.Raw += ' ' + item;
        }
        return true;
    }
    value.Raw = t;
    if (isInteger(t)) {
        // "n g R" is one value, a reference.
        const qsizetype at = tokens.pos();
        const QByteArray generation = tokens.next();
        if (isInteger(generation) && tokens.next() == "R")
            value.Raw = t + ' ' + generation + " R";
        else
            tokens.seek(at);
    }
    return true;
}

bool parseDict(const QByteArray& text, TPdfValue& dict) {
    TTokens tokens(text);
    return parseValue(tokens, dict) && dict.IsDict && tokens.next().isEmpty();
}

QByteArray writeValue(const TPdfValue& v) {
    if (!v.IsDict)
        return v.Raw;
    QByteArray out = "<<\n";
    for (const auto& [key, value] : v.Dict)
        out += key + ' ' + writeValue(value) + '\n';
    return out + ">>";
}

// Adds from's entries to into; a name both give must mean the same. *clash names it if not.
bool mergeDict(TPdfValue& into, const TPdfValue& from, QByteArray* clash) {
    for (const auto& [key, value] : from.Dict) {
        TPdfValue* mine = into.find(key);
        if (!mine) {
            into.Dict.push_back({key, value});
        } else if (mine->IsDict && value.IsDict) {
            if (!mergeDict(*mine, value, clash))
                return false;
        } else if (mine->IsDict || value.IsDict || mine->Raw != value.Raw) {
            *clash = key;
            return false;
        }
    }
    return true;
}

std::vector<int> references(const QByteArray& raw) {
    std::vector<int> refs;
    static const QRegularExpression re(QStringLiteral("(\\d+)\\s+0\\s+R"));
    auto it = re.globalMatch(QString::fromLatin1(raw));
    while (it.hasNext())
        refs.push_back(it.next().captured(1).toInt());
    return refs;
}

// The file's objects as its cross-reference sections (the newest update first) place them,
// its trailer and its pages.
class TPdfFile {
public:
    explicit TPdfFile(const QByteArray& pdf) : m_pdf(pdf) {}

    bool Read(QString* error) {
        const qsizetype at = m_pdf.lastIndexOf("startxref");
        if (at < 0)
            return fail(error, QStringLiteral("Die PDF-Datei hat keinen lesbaren Schluss."));
        TTokens tokens(m_pdf);
        tokens.seek(at + 9);
        bool ok = false;
        StartXref = tokens.next().toLongLong(&ok);
        if (!ok || !readSections(StartXref, error))
            return false;
        const std::vector<int> pagesRef = references(dictValue(object(Root), "/Pages"));
        if (pagesRef.size() != 1)
            return fail(error, QStringLiteral("Der Seitenbaum der PDF-Datei fehlt."));
        TPdfValue pages;
        if (!parseDict(object(pagesRef[0]), pages) || !pages.find("/Kids"))
            return fail(error, QStringLiteral("Der Seitenbaum der PDF-Datei hat keine "
                                              "Seitenliste."));
        Kids = references(pages.find("/Kids")->Raw);
        for (const int kid : Kids) {
            TPdfValue page;
            const TPdfValue* type = nullptr;
            if (!parseDict(object(kid), page) || !(type = page.find("/Type")) ||
                type->Raw != "/Page")
                return fail(error, QStringLiteral("Der Seitenbaum der PDF-Datei ist verschachtelt "
                                                  "oder unlesbar."));
        }
        return true;
    }

    // The text of object n between "n 0 obj" and "endobj"; empty when there is none.
    QByteArray object(int n) const {
        const qsizetype at = m_offsets.value(n, -1);
        if (at < 0 || at >= m_pdf.size())
            return {};
        TTokens tokens(m_pdf);
        tokens.seek(at);
        if (tokens.next() != QByteArray::number(n) || tokens.next() != "0" ||
            tokens.next() != "obj")
            return {};
        const qsizetype end = m_pdf.indexOf("endobj", tokens.pos());
        return end < 0 ? QByteArray() : m_pdf.mid(tokens.pos(), end - tokens.pos());
    }

    int Size = -1, Root = -1, Info = -1;
    qsizetype StartXref = -1;
    std::vector<int> Kids;

private:
    static bool fail(QString* error, const QString& why) {
        if (error)
            *error = why;
        return false;
    }

    static QByteArray dictValue(const QByteArray& text, const QByteArray& key) {
        TPdfValue dict;
        const TPdfValue* v = parseDict(text, dict) ? dict.find(key) : nullptr;
        return v ? writeValue(*v) : QByteArray();
    }

    bool readSections(qsizetype at, QString* error) {
        const QString broken = QStringLiteral("Das Verzeichnis der PDF-Datei ist unlesbar.");
        QSet<qsizetype> seen;
        bool newest = true;
        while (at >= 0) {
            if (seen.contains(at) || at >= m_pdf.size())
                return fail(error, broken);
            seen.insert(at);
            TTokens tokens(m_pdf);
            tokens.seek(at);
            if (tokens.next() != "xref")
                return fail(error, broken);
            for (;;) {
                const QByteArray first = tokens.next();
                if (first == "trailer")
                    break;
                bool ok1 = false, ok2 = false;
                const int start = first.toInt(&ok1);
                const int count = tokens.next().toInt(&ok2);
                if (!ok1 || !ok2 || start < 0 || count < 0 || count > 10000000)
                    return fail(error, broken);
                for (int i = 0; i < count; ++i) {
                    const qsizetype offset = tokens.next().toLongLong(&ok1);
                    tokens.next();
                    const QByteArray type = tokens.next();
                    if (!ok1 || (type != "n" && type != "f"))
                        return fail(error, broken);
                    if (!m_offsets.contains(start + i))
                        m_offsets.insert(start + i, type == "n" ? offset : -1);
                }
            }
            const qsizetype dictAt = tokens.pos();
            const qsizetype end = m_pdf.indexOf("startxref", dictAt);
            TPdfValue trailer;
            if (end < 0 || !parseDict(m_pdf.mid(dictAt, end - dictAt), trailer))
                return fail(error, broken);
            if (newest) {
                const TPdfValue* size = trailer.find("/Size");
                const TPdfValue* root = trailer.find("/Root");
                const TPdfValue* info = trailer.find("/Info");
                Size = size ? size->Raw.toInt() : -1;
                Root = root && references(root->Raw).size() == 1 ? references(root->Raw)[0] : -1;
                Info = info && references(info->Raw).size() == 1 ? references(info->Raw)[0] : -1;
                if (Size <= 0 || Root < 0)
                    return fail(error, QStringLiteral("Der Schluss der PDF-Datei ist "
                                                      "unvollständig."));
                newest = false;
            }
            const TPdfValue* prev = trailer.find("/Prev");
            bool ok = true;
            at = prev ? prev->Raw.toLongLong(&ok) : -1;
            if (!ok)
                return fail(error, broken);
        }
        return true;
    }

    const QByteArray& m_pdf;
    QHash<int, qsizetype> m_offsets;
};

} // namespace

bool ShareBaseContents(QByteArray& pdf, const std::vector<int>& base, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    TPdfFile file(pdf);
    if (!file.Read(error))
        return false;
    const std::vector<int>& kids = file.Kids;
    if (base.size() != kids.size())
        return fail(QStringLiteral("Die PDF-Datei hat %1 Seiten statt %2.")
                        .arg(kids.size())
                        .arg(base.size()));
    int nextObject = file.Size;
    QByteArray update = "\n";
    std::vector<std::pair<int, qsizetype>> offsets; // object number, byte offset
    std::vector<std::pair<int, QByteArray>> written;
    auto add = [&](int id, const QByteArray& body) {
        offsets.emplace_back(id, pdf.size() + update.size());
        update += QByteArray::number(id) + " 0 obj\n" + body + "\nendobj\n";
        written.emplace_back(id, body);
    };
    // The common page's drawing is wrapped in q ... Q: its page matrix and graphics state end
    // with it.
    int save = -1, restore = -1;
    QHash<QByteArray, int> resourceObjects; // merged resources already written
    auto resourcesOf = [&file](TPdfValue& page, TPdfValue* resources) {
        const TPdfValue* r = page.find("/Resources");
        if (!r)
            return true; // a page without resources
        if (r->IsDict) {
            *resources = *r;
            return true;
        }
        const std::vector<int> ref = references(r->Raw);
        return ref.size() == 1 && parseDict(file.object(ref[0]), *resources);
    };
    for (size_t i = 0; i < base.size(); ++i) {
        const int b = base[i];
        if (b < 0)
            continue;
        if (size_t(b) >= kids.size() || size_t(b) == i || base[size_t(b)] >= 0)
            return fail(QStringLiteral("Seite %1 der PDF-Datei kann Seite %2 nicht zugrunde "
                                       "legen.")
                            .arg(i + 1)
                            .arg(b + 1));
        TPdfValue page, common, pageResources, commonResources;
        if (!parseDict(file.object(kids[i]), page) ||
            !parseDict(file.object(kids[size_t(b)]), common) ||
            !resourcesOf(page, &pageResources) || !resourcesOf(common, &commonResources))
            return fail(QStringLiteral("Seite %1 oder %2 der PDF-Datei ist unlesbar.")
                            .arg(b + 1)
                            .arg(i + 1));
        const TPdfValue* ownContents = page.find("/Contents");
        const TPdfValue* baseContents = common.find("/Contents");
        const std::vector<int> own = ownContents ? references(ownContents->Raw) : std::vector<int>();
        const std::vector<int> below =
            baseContents ? references(baseContents->Raw) : std::vector<int>();
        if (own.empty() || below.empty())
            return fail(QStringLiteral("Seite %1 oder %2 der PDF-Datei hat keinen Inhalt.")
                            .arg(b + 1)
                            .arg(i + 1));
        QByteArray clash;
        commonResources.IsDict = true;
        if (!mergeDict(commonResources, pageResources, &clash))
            return fail(QStringLiteral("Die Seiten %1 und %2 der PDF-Datei nennen mit „%3“ "
                                       "Verschiedenes.")
                            .arg(b + 1)
                            .arg(i + 1)
                            .arg(QString::fromLatin1(clash)));
        if (save < 0) {
            save = nextObject++;
            restore = nextObject++;
            add(save, "<<\n/Length 2\n>>\nstream\nq\n\nendstream");
            add(restore, "<<\n/Length 2\n>>\nstream\nQ\n\nendstream");
        }
        const QByteArray resources = writeValue(commonResources);
        int resourcesId = resourceObjects.value(resources, -1);
        if (resourcesId < 0) {
            resourcesId = nextObject++;
            resourceObjects.insert(resources, resourcesId);
            add(resourcesId, resources);
        }
        QByteArray contents = "[" + QByteArray::number(save) + " 0 R";
        for (const int c : below)
            contents += ' ' + QByteArray::number(c) + " 0 R";
        contents += ' ' + QByteArray::number(restore) + " 0 R";
        for (const int c : own)
            contents += ' ' + QByteArray::number(c) + " 0 R";
        page.set("/Contents", contents + ']');
        page.set("/Resources", QByteArray::number(resourcesId) + " 0 R");
        add(kids[i], writeValue(page));
    }
    if (offsets.empty())
        return true;

    std::sort(offsets.begin(), offsets.end());
    const qsizetype xrefAt = pdf.size() + update.size();
    update += "xref\n";
    for (const auto& [id, offset] : offsets)
        update += QByteArray::number(id) + " 1\n" +
                  QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    update += "trailer\n<<\n/Size " + QByteArray::number(nextObject) + "\n/Root " +
              QByteArray::number(file.Root) + " 0 R\n";
    if (file.Info >= 0)
        update += "/Info " + QByteArray::number(file.Info) + " 0 R\n";
    update += "/Prev " + QByteArray::number(file.StartXref) + "\n>>\nstartxref\n" +
              QByteArray::number(xrefAt) + "\n%%EOF\n";

    // The update must read back as written before it replaces anything.
    const QByteArray result = pdf + update;
    TPdfFile check(result);
    QString why;
    if (!check.Read(&why) || check.Kids != kids)
        return fail(QStringLiteral("Die ergänzte PDF-Datei ist unlesbar: %1").arg(why));
    for (const auto& [id, body] : written) {
        if (check.object(id).trimmed() != body.trimmed())
            return fail(QStringLiteral("Das Objekt %1 der ergänzten PDF-Datei liest sich anders, "
                                       "als es geschrieben wurde.")
                            .arg(id));
    }
    pdf = result;
    return true;
}
