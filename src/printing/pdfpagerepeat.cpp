#include "printing/pdfpagerepeat.h"
#include "platform/fileerror.h"
#include "platform/safefile.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>

namespace {

struct PdfObject {
    qsizetype begin = -1; // first byte after "N 0 obj"
    qsizetype end = -1;   // first byte of "endobj"
};

// The last definition of object n wins, as in a PDF with updates.
PdfObject findObject(const QByteArray& pdf, int n) {
    const QRegularExpression re(QStringLiteral("(?:^|\\s)%1 0 obj").arg(n));
    const QString text = QString::fromLatin1(pdf);
    PdfObject found;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const qsizetype end = pdf.indexOf("endobj", m.capturedEnd());
        if (end < 0)
            break;
        found = {m.capturedEnd(), end};
    }
    return found;
}

int lastRef(const QByteArray& text, const char* key) {
    const QRegularExpression re(QStringLiteral("%1\\s+(\\d+)\\s+0\\s+R").arg(QLatin1String(key)));
    int value = -1;
    auto it = re.globalMatch(QString::fromLatin1(text));
    while (it.hasNext())
        value = it.next().captured(1).toInt();
    return value;
}

// expectedPages < 0: any number of pages.
bool arrangePages(QByteArray& pdf, const std::vector<int>& order, QString* error,
                  int expectedPages) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const qsizetype trailerAt = pdf.lastIndexOf("trailer");
    const qsizetype startxrefAt = pdf.lastIndexOf("startxref");
    if (trailerAt < 0 || startxrefAt < trailerAt)
        return fail(QStringLiteral("Die PDF-Datei hat keinen lesbaren Schluss."));
    const QByteArray trailer = pdf.mid(trailerAt, startxrefAt - trailerAt);
    const QRegularExpression sizeRe(QStringLiteral("/Size\\s+(\\d+)"));
    const auto sizeMatch = sizeRe.match(QString::fromLatin1(trailer));
    const int root = lastRef(trailer, "/Root");
    const int info = lastRef(trailer, "/Info");
    bool ok = false;
    const qsizetype prev =
        pdf.mid(startxrefAt + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!sizeMatch.hasMatch() || root < 0 || !ok)
        return fail(QStringLiteral("Der Schluss der PDF-Datei ist unvollständig."));
    int nextObject = sizeMatch.captured(1).toInt();

    const PdfObject catalog = findObject(pdf, root);
    if (catalog.begin < 0)
        return fail(QStringLiteral("Der Katalog der PDF-Datei fehlt."));
    const int pagesId = lastRef(pdf.mid(catalog.begin, catalog.end - catalog.begin), "/Pages");
    const PdfObject pages = findObject(pdf, pagesId);
    if (pages.begin < 0)
        return fail(QStringLiteral("Der Seitenbaum der PDF-Datei fehlt."));
    QByteArray pagesText = pdf.mid(pages.begin, pages.end - pages.begin);
    const qsizetype kidsAt = pagesText.indexOf("/Kids");
    const qsizetype open = pagesText.indexOf('[', kidsAt);
    const qsizetype close = pagesText.indexOf(']', open);
    if (kidsAt < 0 || open < 0 || close < 0)
        return fail(QStringLiteral("Der Seitenbaum der PDF-Datei hat keine Seitenliste."));
    std::vector<int> kids;
    const QRegularExpression refRe(QStringLiteral("(\\d+)\\s+0\\s+R"));
    auto it = refRe.globalMatch(QString::fromLatin1(pagesText.mid(open, close - open)));
    while (it.hasNext())
        kids.push_back(it.next().captured(1).toInt());
    if (expectedPages >= 0 && kids.size() != size_t(expectedPages))
        return fail(QStringLiteral("Die PDF-Datei hat %1 Seiten statt %2.")
                        .arg(kids.size())
                        .arg(expectedPages));
    for (const int page : order) {
        if (page < 0 || size_t(page) >= kids.size())
            return fail(QStringLiteral("Die PDF-Datei hat keine Seite %1, nur %2.")
                            .arg(page + 1)
                            .arg(kids.size()));
    }
    std::vector<int> identity(kids.size());
    for (size_t i = 0; i < kids.size(); ++i)
        identity[i] = int(i);
    if (order == identity)
        return true;

    QByteArray update = "\n";
    std::vector<std::pair<int, qsizetype>> offsets; // object number, byte offset
    QByteArray newKids = "[\n";
    const int firstNew = nextObject;
    std::vector<bool> used(kids.size(), false);
    for (const int page : order) {
        if (!used[size_t(page)]) {
            // A page's first place keeps its object; a page can have one parent only.
            used[size_t(page)] = true;
            newKids += QByteArray::number(kids[size_t(page)]) + " 0 R\n";
            continue;
        }
        const PdfObject object = findObject(pdf, kids[size_t(page)]);
        if (object.begin < 0)
            return fail(QStringLiteral("Seite %1 der PDF-Datei fehlt.").arg(page + 1));
        const int id = nextObject++;
        offsets.emplace_back(id, pdf.size() + update.size());
        update += QByteArray::number(id) + " 0 obj" + pdf.mid(object.begin, object.end - object.begin) +
                  "endobj\n";
        newKids += QByteArray::number(id) + " 0 R\n";
    }
    newKids += "]";
    // Pages left out no longer count.
    const int count = int(order.size());
    pagesText.replace(open, close - open + 1, newKids);
    static const QRegularExpression countRe(QStringLiteral("/Count\\s+\\d+"));
    pagesText = QString::fromLatin1(pagesText)
                    .replace(countRe, QStringLiteral("/Count %1").arg(count))
                    .toLatin1();
    const qsizetype pagesOffset = pdf.size() + update.size();
    update += QByteArray::number(pagesId) + " 0 obj" + pagesText + "endobj\n";

    // Cross-reference of the update: the new page objects, then the page tree.
    const qsizetype xrefAt = pdf.size() + update.size();
    auto entry = [](qsizetype offset) {
        return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    };
    update += "xref\n";
    if (nextObject > firstNew) {
        update += QByteArray::number(firstNew) + ' ' + QByteArray::number(nextObject - firstNew) +
                  '\n';
        for (const auto& [id, offset] : offsets)
            update += entry(offset);
    }
    update += QByteArray::number(pagesId) + " 1\n" + entry(pagesOffset);
    update += "trailer\n<<\n/Size " + QByteArray::number(nextObject) + "\n/Root " +
              QByteArray::number(root) + " 0 R\n";
    if (info >= 0)
        update += "/Info " + QByteArray::number(info) + " 0 R\n";
    update += "/Prev " + QByteArray::number(prev) + "\n>>\nstartxref\n" +
              QByteArray::number(xrefAt) + "\n%%EOF\n";
    pdf += update;
    return true;
}

} // namespace

bool ArrangePdfPages(QByteArray& pdf, const std::vector<int>& order, QString* error) {
    return arrangePages(pdf, order, error, -1);
}

bool RepeatPdfPages(QByteArray& pdf, const std::vector<int>& repeats, QString* error) {
    std::vector<int> order;
    for (size_t i = 0; i < repeats.size(); ++i)
        order.insert(order.end(), size_t(1 + std::max(0, repeats[i])), int(i));
    return arrangePages(pdf, order, error, int(repeats.size()));
}

bool EditPdfFile(const QString& fileName,
                 const std::function<bool(QByteArray& pdf, QString* error)>& edit,
                 QString* error) {
    QFile in(fileName);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = FileErrorText(in, errno);
        return false;
    }
    QByteArray pdf = in.readAll();
    in.close();
    if (!edit(pdf, error))
        return false;
    TSafeFile out(fileName);
    if (!out.open() || out.write(pdf) != pdf.size() || !out.commit()) {
        if (error)
            *error = out.Reason();
        return false;
    }
    return true;
}
