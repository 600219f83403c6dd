#pragma once
// Label and card products bought as pre-cut sheets ("Bögen"): the makers' catalogue installed
// with the glabels-data package, read on first use, and the user's own sheets kept in the
// settings. A product fixes the paper and where each label lies on it; the print layout
// places cell k on label k.

#include <QPageSize>
#include <optional>
#include <QList>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

struct TPrintTarget;
class QSettings;
class TAppDocument;

struct TLabelProduct {
    QString Brand;       // maker as the catalogue writes it ("Avery"); empty for own sheets
    QString Part;        // part number ("C32011-10"); the name of an own sheet
    QString Description; // "Business Cards"
    QString Keywords;    // German names of the product's kinds, found by the search
    QString PaperName;   // "A4", "US Letter", or empty for a paper of its own size
    QSizeF Paper;        // mm, as the sheet goes through the printer (wider than high: landscape)
    // Catalogue products: the label's size (a round label's bounding square), mm, and the grid.
    QSizeF Label;
    bool Round = false;
    int Columns = 0, Rows = 0;
    double X0 = 0, Y0 = 0, Dx = 0, Dy = 0; // first label's corner and the pitch, mm
    // Own sheets: the free layout's margins and distances, mm.
    bool Own = false;
    double MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    double DistHor = 0, DistVer = 0;

    // "Avery C32011-10"; the name of an own sheet as given.
    QString Name() const;
    // One line for lists: maker, part, description, label size and labels per sheet.
    QString Summary() const;
    int Count() const { return Columns * Rows; }
    bool Landscape() const { return Paper.width() > Paper.height(); }
    // Label k in reading order is (column k % Columns, row k / Columns); mm on the paper.
    QRectF LabelRect(int column, int row) const;
};

// What a search in the field "Bogen" asks for: every word of the text in the product's summary
// (case ignored), a size such as "85 x 54", "85x54" or "85 × 54" as a whole.
class TProductFilter {
public:
    explicit TProductFilter(const QString& text);
    bool operator()(const TLabelProduct& product) const;

private:
    QStringList m_words;
    QList<QRegularExpression> m_sizes;
};

class TLabelCatalogue {
public:
    // Reads every *-templates.xml and paper-sizes.xml of the folder; an empty or missing
    // folder leaves the catalogue empty.
    void Load(const QString& folder);
    // The installed catalogue, read on first call.
    static const TLabelCatalogue& Installed();
    // Where the installed catalogue is looked for (QM_LABEL_CATALOGUE overrides it).
    static QString InstalledFolder();

    const std::vector<TLabelProduct>& Products() const { return m_products; }
    bool IsEmpty() const { return m_products.empty(); }
    // Products matching the search text (TProductFilter).
    std::vector<const TLabelProduct*> Search(const QString& text) const;
    // The product named so; case and blanks are ignored. Null when there is none.
    const TLabelProduct* Find(const QString& name) const;
    // The names closest to a name that was not found, best first.
    QStringList Closest(const QString& name, int count = 3) const;
    // Products that cannot be placed as one grid of labels (left out of the list).
    int Skipped() const { return m_skipped; }

private:
    std::vector<TLabelProduct> m_products;
    int m_skipped = 0;
};

// Blanks removed, lower case: how names are compared.
QString ProductKey(const QString& name);

// The user's own sheets in the settings ("Eigene Bögen").
QList<TLabelProduct> OwnProducts(QSettings& settings);
void SaveOwnProduct(QSettings& settings, const TLabelProduct& product);
void DeleteOwnProduct(QSettings& settings, const QString& name);

// The product the document names: own sheets first, then the installed catalogue. Null when
// it names none or one that is not installed.
const TLabelProduct* DocumentProduct(const TAppDocument& doc, QSettings* settings = nullptr);

// Why the document cannot go on the product's labels (more than 2 mm larger than the label),
// or empty when it can. German, names the product.
QString ProductRefusal(const TLabelProduct& product, double pageWidth, double pageHeight);
// How much the sheet is larger (positive) or smaller than the label, or empty when it matches.
QString ProductSizeNote(const TLabelProduct& product, double pageWidth, double pageHeight);

// Sets the document's margins and distances (and orientation) so that its cells lie centred
// on the product's labels; own sheets give their stored values. Names the product.
void ApplyProduct(TAppDocument& doc, const TLabelProduct& product);
// Takes the current paper, margins and distances as an own sheet.
TLabelProduct OwnProductFrom(const TAppDocument& doc, const QString& name, const QSizeF& paper);

// The product's paper, upright; none when the catalogue gives no size.
std::optional<QPageSize> ProductPageSize(const TLabelProduct& product);
// Sets the printer's paper to the product's, turned when the product's paper is wider than
// high.
void ApplyProductPaper(TPrintTarget& target, const TLabelProduct& product);
