#include "printing/labelproducts.h"

#include "document/appdocument.h"
#include <QDir>
#include <QFile>
#include <QHash>
#include "printing/printtarget.h"
#include <QSettings>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace {

constexpr const char* DefaultFolder = "/usr/share/libglabels-3.0/templates";
constexpr const char* OwnSection = "Eigene Bögen";
// A sheet larger than the label by more than this would print over the label's edge.
constexpr double MaxOversize = 2.0;

// "85mm", "0.75in", "165.8pt", "1cm", or a bare number of points.
double lengthMm(QStringView text) {
    QStringView t = text.trimmed();
    double factor = 25.4 / 72;
    auto unit = [&t](QStringView u, double f, double& out) {
        if (!t.endsWith(u))
            return false;
        t.chop(u.size());
        out = f;
        return true;
    };
    if (!unit(u"mm", 1.0, factor) && !unit(u"cm", 10.0, factor) && !unit(u"in", 25.4, factor))
        unit(u"pt", 25.4 / 72, factor);
    bool ok = false;
    const double v = t.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v * factor : 0;
}

// The catalogue's kinds of products, as a German user searches for them.
QString germanKind(QStringView category) {
    static const QHash<QString, QString> names = {
        {QStringLiteral("label"), QStringLiteral("Etiketten")},
        {QStringLiteral("round-label"), QStringLiteral("runde Etiketten")},
        {QStringLiteral("square-label"), QStringLiteral("quadratische Etiketten")},
        {QStringLiteral("rectangle-label"), QStringLiteral("rechteckige Etiketten")},
        {QStringLiteral("card"), QStringLiteral("Karten")},
        {QStringLiteral("business-card"), QStringLiteral("Visitenkarten")},
        {QStringLiteral("name-badge"), QStringLiteral("Namensschilder")},
        {QStringLiteral("media"), QStringLiteral("CD DVD Etiketten")},
        {QStringLiteral("mail"), QStringLiteral("Adressetiketten Versandetiketten")},
        {QStringLiteral("foldable"), QStringLiteral("Klappkarten")},
        {QStringLiteral("photo"), QStringLiteral("Fotos")},
        {QStringLiteral("filing"), QStringLiteral("Ordneretiketten")},
    };
    return names.value(category.toString());
}

double attrMm(const QXmlStreamAttributes& a, QLatin1StringView name) {
    return lengthMm(a.value(name));
}

struct Reader {
    QHash<QString, std::pair<QString, QSizeF>> papers; // id -> name, size
    QHash<QString, size_t> byKey;                      // brand+part key -> index
    struct Equiv {
        QString brand, part, of;
    };
    QList<Equiv> equivs;
    std::vector<TLabelProduct> products;
    int skipped = 0;

    void readPapers(const QString& file) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return;
        QXmlStreamReader x(&f);
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"Paper-size") {
                const auto a = x.attributes();
                QString name = a.value(QLatin1StringView("_name")).toString();
                if (name.isEmpty())
                    name = a.value(QLatin1StringView("name")).toString();
                papers.insert(a.value(QLatin1StringView("id")).toString(),
                              {name, QSizeF(attrMm(a, QLatin1StringView("width")),
                                            attrMm(a, QLatin1StringView("height")))});
            }
        }
    }

    void readTemplates(const QString& file) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return;
        QXmlStreamReader x(&f);
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == u"Template")
                readTemplate(x);
        }
    }

    void readTemplate(QXmlStreamReader& x) {
        const auto a = x.attributes();
        TLabelProduct p;
        p.Brand = a.value(QLatin1StringView("brand")).toString().trimmed();
        p.Part = a.value(QLatin1StringView("part")).toString().trimmed();
        p.Description = a.value(QLatin1StringView("_description")).toString();
        if (p.Description.isEmpty())
            p.Description = a.value(QLatin1StringView("description")).toString();
        if (a.hasAttribute(QLatin1StringView("equiv"))) {
            equivs.append(Equiv{p.Brand, p.Part, a.value(QLatin1StringView("equiv")).toString().trimmed()});
            x.skipCurrentElement();
            return;
        }
        const QString size = a.value(QLatin1StringView("size")).toString();
        if (size == u"Other" || !papers.contains(size)) {
            p.Paper = QSizeF(attrMm(a, QLatin1StringView("width")),
                             attrMm(a, QLatin1StringView("height")));
        } else {
            p.PaperName = papers.value(size).first;
            p.Paper = papers.value(size).second;
        }
        int labels = 0, layouts = 0;
        bool usable = true;
        while (x.readNextStartElement()) {
            const QStringView n = x.name();
            if (!n.startsWith(u"Label-")) {
                if (n == u"Meta") {
                    const QString kind =
                        germanKind(x.attributes().value(QLatin1StringView("category")));
                    if (!kind.isEmpty())
                        p.Keywords += QLatin1Char(' ') + kind;
                }
                x.skipCurrentElement();
                continue;
            }
            ++labels;
            const auto la = x.attributes();
            if (n == u"Label-rectangle") {
                p.Label = QSizeF(attrMm(la, QLatin1StringView("width")),
                                 attrMm(la, QLatin1StringView("height")));
            } else if (n == u"Label-round" || n == u"Label-cd") {
                const double d = 2 * attrMm(la, QLatin1StringView("radius"));
                p.Label = QSizeF(d, d);
                p.Round = true;
            } else {
                usable = false; // ellipses and other shapes
            }
            while (x.readNextStartElement()) {
                if (x.name() == u"Layout") {
                    ++layouts;
                    const auto l = x.attributes();
                    p.Columns = l.value(QLatin1StringView("nx")).toInt();
                    p.Rows = l.value(QLatin1StringView("ny")).toInt();
                    p.X0 = attrMm(l, QLatin1StringView("x0"));
                    p.Y0 = attrMm(l, QLatin1StringView("y0"));
                    p.Dx = attrMm(l, QLatin1StringView("dx"));
                    p.Dy = attrMm(l, QLatin1StringView("dy"));
                }
                x.skipCurrentElement();
            }
        }
        // One label shape in one grid is what the layout places; several grids are left out.
        if (labels != 1 || layouts != 1 || !usable || p.Columns < 1 || p.Rows < 1 ||
            !(p.Label.width() > 0) || !(p.Label.height() > 0) || !(p.Paper.width() > 0) ||
            !(p.Paper.height() > 0) || p.Brand.isEmpty() || p.Part.isEmpty() ||
            (p.Columns > 1 && !(p.Dx >= p.Label.width() - 0.01)) ||
            (p.Rows > 1 && !(p.Dy >= p.Label.height() - 0.01))) {
            ++skipped;
            return;
        }
        add(std::move(p));
    }

    void add(TLabelProduct p) {
        const QString key = ProductKey(p.Name());
        if (byKey.contains(key))
            return; // the first entry of a name wins
        byKey.insert(key, products.size());
        products.push_back(std::move(p));
    }

    void resolveEquivs() {
        for (const Equiv& e : equivs) {
            const auto it = byKey.constFind(ProductKey(e.brand + QLatin1Char(' ') + e.of));
            if (it == byKey.constEnd()) {
                ++skipped;
                continue;
            }
            TLabelProduct p = products[*it];
            p.Part = e.part;
            add(std::move(p));
        }
    }
};

QString normalised(QString text) {
    text.replace(QChar(0x00D7), QLatin1Char('x'));
    return text.toCaseFolded();
}

QString mm(double v) {
    return QString::number(std::round(v * 10) / 10, 'f', std::fmod(std::round(v * 10), 10) == 0 ? 0 : 1);
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diag = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = std::min({up + 1, row[size_t(j - 1)] + 1,
                                       diag + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row.back();
}

} // namespace

QString ProductKey(const QString& name) {
    QString k;
    k.reserve(name.size());
    for (const QChar c : name) {
        if (!c.isSpace())
            k += c;
    }
    return k.toCaseFolded();
}

QString TLabelProduct::Name() const {
    return Brand.isEmpty() ? Part : Brand + QLatin1Char(' ') + Part;
}

QString TLabelProduct::Summary() const {
    if (Own) {
        return QStringLiteral("%1 – eigener Bogen, %2 x %3 mm")
            .arg(Part, mm(Paper.width()), mm(Paper.height()));
    }
    QString line = Name();
    if (!Description.isEmpty())
        line += QStringLiteral(" – ") + Description;
    line += QStringLiteral(", %1 x %2 mm%3, %4 je Bogen")
                .arg(mm(Label.width()), mm(Label.height()),
                     Round ? QStringLiteral(" rund") : QString())
                .arg(Count());
    line += QStringLiteral(" (%1)").arg(
        PaperName.isEmpty() ? mm(Paper.width()) + QStringLiteral(" x ") + mm(Paper.height()) +
                                  QStringLiteral(" mm")
                            : PaperName);
    return line;
}

QRectF TLabelProduct::LabelRect(int column, int row) const {
    return QRectF(X0 + column * Dx, Y0 + row * Dy, Label.width(), Label.height());
}

QString TLabelCatalogue::InstalledFolder() {
    const QString env = qEnvironmentVariable("QM_LABEL_CATALOGUE");
    return env.isEmpty() ? QString::fromLatin1(DefaultFolder) : env;
}

const TLabelCatalogue& TLabelCatalogue::Installed() {
    static const TLabelCatalogue catalogue = [] {
        TLabelCatalogue c;
        c.Load(InstalledFolder());
        return c;
    }();
    return catalogue;
}

void TLabelCatalogue::Load(const QString& folder) {
    m_products.clear();
    m_skipped = 0;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return;
    Reader r;
    r.readPapers(dir.filePath(QStringLiteral("paper-sizes.xml")));
    const QStringList files =
        dir.entryList({QStringLiteral("*-templates.xml")}, QDir::Files, QDir::Name);
    for (const QString& f : files)
        r.readTemplates(dir.filePath(f));
    r.resolveEquivs();
    m_products = std::move(r.products);
    m_skipped = r.skipped;
    std::stable_sort(m_products.begin(), m_products.end(),
                     [](const TLabelProduct& a, const TLabelProduct& b) {
                         const int c = QString::compare(a.Brand, b.Brand, Qt::CaseInsensitive);
                         if (c != 0)
                             return c < 0;
                         return QString::compare(a.Part, b.Part, Qt::CaseInsensitive) < 0;
                     });
}

TProductFilter::TProductFilter(const QString& text) {
    QString t = normalised(text);
    static const QRegularExpression size(
        QStringLiteral("(\\d+(?:[.,]\\d+)?)\\s*x\\s*(\\d+(?:[.,]\\d+)?)"));
    auto number = [](QString n) {
        n.replace(QLatin1Char(','), QLatin1Char('.'));
        return QRegularExpression::escape(n);
    };
    for (auto it = size.globalMatch(t); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        m_sizes << QRegularExpression(QStringLiteral("(?<![\\d.])") + number(m.captured(1)) +
                                      QStringLiteral(" x ") + number(m.captured(2)) +
                                      QStringLiteral("(?!\\d)"));
    }
    t.replace(size, QStringLiteral(" "));
    m_words = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool TProductFilter::operator()(const TLabelProduct& product) const {
    if (m_words.isEmpty() && m_sizes.isEmpty())
        return true;
    const QString s = normalised(product.Summary() + product.Keywords);
    return std::all_of(m_words.begin(), m_words.end(),
                       [&s](const QString& w) { return s.contains(w); }) &&
           std::all_of(m_sizes.begin(), m_sizes.end(),
                       [&s](const QRegularExpression& r) { return s.contains(r); });
}

std::vector<const TLabelProduct*> TLabelCatalogue::Search(const QString& text) const {
    const TProductFilter matches(text);
    std::vector<const TLabelProduct*> found;
    for (const TLabelProduct& p : m_products) {
        if (matches(p))
            found.push_back(&p);
    }
    return found;
}

const TLabelProduct* TLabelCatalogue::Find(const QString& name) const {
    const QString key = ProductKey(name);
    if (key.isEmpty())
        return nullptr;
    for (const TLabelProduct& p : m_products) {
        if (ProductKey(p.Name()) == key)
            return &p;
    }
    return nullptr;
}

QStringList TLabelCatalogue::Closest(const QString& name, int count) const {
    const QString key = ProductKey(name);
    std::vector<std::pair<int, const TLabelProduct*>> ranked;
    ranked.reserve(m_products.size());
    for (const TLabelProduct& p : m_products)
        ranked.emplace_back(editDistance(key, ProductKey(p.Name())), &p);
    const size_t n = std::min(ranked.size(), size_t(std::max(0, count)));
    std::partial_sort(ranked.begin(), ranked.begin() + qsizetype(n), ranked.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    for (size_t i = 0; i < n; ++i)
        names << ranked[i].second->Name();
    return names;
}

QList<TLabelProduct> OwnProducts(QSettings& settings) {
    QList<TLabelProduct> list;
    settings.beginGroup(QString::fromUtf8(OwnSection));
    const QStringList names = settings.childGroups();
    for (const QString& g : names) {
        settings.beginGroup(g);
        TLabelProduct p;
        p.Own = true;
        p.Part = settings.value(QStringLiteral("Name"), g).toString();
        const QStringList v = settings.value(QStringLiteral("Werte")).toString().split(
            QLatin1Char(' '), Qt::SkipEmptyParts);
        settings.endGroup();
        if (p.Part.trimmed().isEmpty() || v.size() != 8)
            continue;
        double n[8];
        bool ok = true;
        for (int i = 0; i < 8 && ok; ++i) {
            n[i] = v[i].toDouble(&ok);
            ok = ok && std::isfinite(n[i]);
        }
        if (!ok || !(n[0] > 0) || !(n[1] > 0))
            continue;
        p.Paper = QSizeF(n[0], n[1]);
        p.MarginLeft = n[2];
        p.MarginTop = n[3];
        p.MarginRight = n[4];
        p.MarginBottom = n[5];
        p.DistHor = n[6];
        p.DistVer = n[7];
        list << p;
    }
    settings.endGroup();
    std::sort(list.begin(), list.end(), [](const TLabelProduct& a, const TLabelProduct& b) {
        return QString::compare(a.Part, b.Part, Qt::CaseInsensitive) < 0;
    });
    return list;
}

void SaveOwnProduct(QSettings& settings, const TLabelProduct& product) {
    settings.beginGroup(QString::fromUtf8(OwnSection));
    settings.beginGroup(ProductKey(product.Part));
    settings.setValue(QStringLiteral("Name"), product.Part.trimmed());
    QStringList v;
    for (const double d : {product.Paper.width(), product.Paper.height(), product.MarginLeft,
                           product.MarginTop, product.MarginRight, product.MarginBottom,
                           product.DistHor, product.DistVer})
        v << QString::number(d, 'g', 10);
    settings.setValue(QStringLiteral("Werte"), v.join(QLatin1Char(' ')));
    settings.endGroup();
    settings.endGroup();
    settings.sync();
}

void DeleteOwnProduct(QSettings& settings, const QString& name) {
    settings.beginGroup(QString::fromUtf8(OwnSection));
    settings.remove(ProductKey(name));
    settings.endGroup();
    settings.sync();
}

const TLabelProduct* DocumentProduct(const TAppDocument& doc, QSettings* settings) {
    if (doc.PrintProduct.isEmpty())
        return nullptr;
    if (settings) {
        static TLabelProduct own; // the last own sheet asked for
        const QString key = ProductKey(doc.PrintProduct);
        for (const TLabelProduct& p : OwnProducts(*settings)) {
            if (ProductKey(p.Part) == key) {
                own = p;
                return &own;
            }
        }
    }
    return TLabelCatalogue::Installed().Find(doc.PrintProduct);
}

QString ProductRefusal(const TLabelProduct& product, double pageWidth, double pageHeight) {
    if (product.Own)
        return {};
    const double w = pageWidth - product.Label.width(), h = pageHeight - product.Label.height();
    if (w <= MaxOversize + 1e-9 && h <= MaxOversize + 1e-9)
        return {};
    return QStringLiteral("Das Blattformat %1 x %2 mm ist größer als die Etiketten von „%3“ "
                          "(%4 x %5 mm); es würde über deren Rand gedruckt.")
        .arg(mm(pageWidth), mm(pageHeight), product.Name(), mm(product.Label.width()),
             mm(product.Label.height()));
}

QString ProductSizeNote(const TLabelProduct& product, double pageWidth, double pageHeight) {
    if (product.Own)
        return {};
    const double w = pageWidth - product.Label.width(), h = pageHeight - product.Label.height();
    QStringList parts;
    auto say = [&parts](double d, const QString& big, const QString& small) {
        if (std::abs(d) < 0.05)
            return;
        parts << QStringLiteral("%1 mm %2").arg(mm(std::abs(d)), d > 0 ? big : small);
    };
    say(w, QStringLiteral("zu breit"), QStringLiteral("zu schmal"));
    say(h, QStringLiteral("zu hoch"), QStringLiteral("zu niedrig"));
    if (parts.isEmpty())
        return {};
    return QStringLiteral("Das Blatt ist %1 für die Etiketten (%2 x %3 mm); es wird auf ihnen "
                          "zentriert.")
        .arg(parts.join(QStringLiteral(" und ")), mm(product.Label.width()),
             mm(product.Label.height()));
}

void ApplyProduct(TAppDocument& doc, const TLabelProduct& product) {
    doc.PrintProduct = product.Own ? product.Part : product.Name();
    doc.Orientation = product.Landscape() ? 1 : 0;
    if (product.Own) {
        doc.PrintMarginLeft = product.MarginLeft;
        doc.PrintMarginTop = product.MarginTop;
        doc.PrintMarginRight = product.MarginRight;
        doc.PrintMarginBottom = product.MarginBottom;
        doc.PrintDistHor = product.DistHor;
        doc.PrintDistVer = product.DistVer;
        return;
    }
    // The cells centred on the labels; the free layout's values describe the same grid.
    const double cx = (product.Label.width() - doc.PageWidth) / 2;
    const double cy = (product.Label.height() - doc.PageHeight) / 2;
    const QRectF last = product.LabelRect(product.Columns - 1, product.Rows - 1);
    doc.PrintMarginLeft = product.X0 + cx;
    doc.PrintMarginTop = product.Y0 + cy;
    doc.PrintMarginRight = std::max(0.0, product.Paper.width() - last.right() + cx);
    doc.PrintMarginBottom = std::max(0.0, product.Paper.height() - last.bottom() + cy);
    doc.PrintDistHor = product.Columns > 1 ? product.Dx - doc.PageWidth : 0;
    doc.PrintDistVer = product.Rows > 1 ? product.Dy - doc.PageHeight : 0;
}

TLabelProduct OwnProductFrom(const TAppDocument& doc, const QString& name, const QSizeF& paper) {
    TLabelProduct p;
    p.Own = true;
    p.Part = name.trimmed();
    p.Paper = paper;
    p.MarginLeft = doc.PrintMarginLeft;
    p.MarginTop = doc.PrintMarginTop;
    p.MarginRight = doc.PrintMarginRight;
    p.MarginBottom = doc.PrintMarginBottom;
    p.DistHor = doc.PrintDistHor;
    p.DistVer = doc.PrintDistVer;
    return p;
}

std::optional<QPageSize> ProductPageSize(const TLabelProduct& product) {
    const double w = product.Paper.width(), h = product.Paper.height();
    if (!(w > 0) || !(h > 0))
        return std::nullopt;
    return QPageSize(QSizeF(std::min(w, h), std::max(w, h)), QPageSize::Millimeter,
                     product.PaperName, QPageSize::FuzzyMatch);
}

void ApplyProductPaper(TPrintTarget& target, const TLabelProduct& product) {
    const auto size = ProductPageSize(product);
    if (!size)
        return;
    target.Layout.setPageSize(*size);
    target.Layout.setOrientation(product.Landscape() ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait);
}
