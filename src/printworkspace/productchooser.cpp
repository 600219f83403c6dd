#include "printworkspace/productchooser.h"

#include "document/appdocument.h"
#include "ui/globals.h"
#include "editor/undokeys.h"
#include "ui/messages.h"
#include "printing/labelproducts.h"
#include "printworkspace/qprintertarget.h"
#include "printing/printdocument.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int OwnRole = Qt::UserRole + 1;

void whiteText(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    w->setPalette(p);
}

QString noProductsText() {
    return QStringLiteral("Es sind keine Etiketten- und Kartenbögen installiert (Paket "
                          "glabels-data); Ränder und Abstände werden von Hand gesetzt.");
}

} // namespace

TProductChooser::TProductChooser(QPrinter& printer, QWidget* parent)
    : QWidget(parent), m_printer(printer) {
    setObjectName(QStringLiteral("ProductChooser"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);
    auto* top = new QHBoxLayout;
    Caption = new QLabel(QStringLiteral("&Bogen"), this);
    Caption->setObjectName(QStringLiteral("LabelBogen"));
    whiteText(Caption);
    Search = new QLineEdit(this);
    Search->setObjectName(QStringLiteral("ProductSearch"));
    Search->setPlaceholderText(QStringLiteral("Suchen: Hersteller, Artikelnummer, Beschreibung "
                                              "oder Größe wie 85 x 54"));
    Search->setClearButtonEnabled(true);
    Combo = new QComboBox(this);
    Combo->setObjectName(QStringLiteral("ProductCombo"));
    Combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo->setMinimumContentsLength(40);
    Caption->setBuddy(Search);
    top->addWidget(Caption);
    top->addWidget(Search, 1);
    top->addWidget(Combo, 2);
    auto* bottom = new QHBoxLayout;
    Info = new QLabel(this);
    Info->setObjectName(QStringLiteral("ProductInfo"));
    Info->setWordWrap(true);
    whiteText(Info);
    FitSheetButton = new QPushButton(QStringLiteral("Blattformat anpassen"), this);
    FitSheetButton->setObjectName(QStringLiteral("FitSheetButton"));
    FitSheetButton->setToolTip(QStringLiteral("Übernimmt die Größe der Etiketten als "
                                              "Blattformat des Dokuments"));
    SaveButton = new QPushButton(QStringLiteral("Als Bogen speichern"), this);
    SaveButton->setObjectName(QStringLiteral("SaveProductButton"));
    SaveButton->setToolTip(QStringLiteral("Merkt sich Papier, Ränder und Abstände unter "
                                          "einem Namen"));
    DeleteButton = new QPushButton(QStringLiteral("Bogen löschen"), this);
    DeleteButton->setObjectName(QStringLiteral("DeleteProductButton"));
    bottom->addWidget(Info, 1);
    bottom->addWidget(FitSheetButton);
    bottom->addWidget(SaveButton);
    bottom->addWidget(DeleteButton);
    rows->addLayout(top);
    rows->addLayout(bottom);
    FitSheetButton->hide();
    DeleteButton->setEnabled(false);

    connect(Search, &QLineEdit::textChanged, this, &TProductChooser::Refill);
    connect(Combo, &QComboBox::activated, this, &TProductChooser::Choose);
    connect(FitSheetButton, &QPushButton::clicked, this, &TProductChooser::FitSheet);
    connect(SaveButton, &QPushButton::clicked, this, &TProductChooser::SaveOwn);
    connect(DeleteButton, &QPushButton::clicked, this, &TProductChooser::DeleteOwn);
}

const TLabelProduct* TProductChooser::Current() const {
    return Document ? DocumentProduct(*Document, Registry) : nullptr;
}

void TProductChooser::Activate() {
    Refill();
    SetPaper(Current());
}

bool TProductChooser::printerHasPaper(const TLabelProduct& product) const {
    if (m_printer.outputFormat() == QPrinter::PdfFormat)
        return true;
    const QList<QPageSize> sizes = QPrinterInfo(m_printer).supportedPageSizes();
    if (sizes.isEmpty())
        return true;
    const double a = std::min(product.Paper.width(), product.Paper.height());
    const double b = std::max(product.Paper.width(), product.Paper.height());
    for (const QPageSize& s : sizes) {
        const QSizeF mm = s.size(QPageSize::Millimeter);
        if (std::abs(mm.width() - a) < 1 && std::abs(mm.height() - b) < 1)
            return true;
    }
    return false;
}

void TProductChooser::Refill() {
    const TLabelCatalogue& catalogue = TLabelCatalogue::Installed();
    const QString current = Document ? ProductKey(Document->PrintProduct) : QString();
    const QSignalBlocker block(Combo);
    Combo->clear();
    Combo->addItem(QStringLiteral("Kein Bogen"));
    int chosen = 0;
    const QString text = Search->text();
    auto add = [&](const TLabelProduct& p) {
        const QString name = p.Own ? p.Part : p.Name();
        Combo->addItem(p.Summary(), name);
        Combo->setItemData(Combo->count() - 1, p.Own, OwnRole);
        if (ProductKey(name) == current)
            chosen = Combo->count() - 1;
    };
    const TProductFilter matches(text);
    if (Registry) {
        for (const TLabelProduct& p : OwnProducts(*Registry)) {
            if (matches(p) || ProductKey(p.Part) == current)
                add(p);
        }
    }
    for (const TLabelProduct* p : catalogue.Search(text)) {
        if (printerHasPaper(*p) || ProductKey(p->Name()) == current)
            add(*p);
    }
    // The document's product stays visible whatever the search says.
    if (chosen == 0 && !current.isEmpty()) {
        if (const TLabelProduct* p = Current())
            add(*p);
    }
    Combo->setCurrentIndex(chosen);
    updateInfo();
}

void TProductChooser::SetPaper(const TLabelProduct* product) {
    if (product) {
        ApplyProductPaper(m_printer, *product);
    } else if (m_printer.outputFormat() == QPrinter::PdfFormat && Document) {
        // The free layout assumes A4.
        m_printer.setPageSize(QPageSize(QPageSize::A4));
        m_printer.setPageOrientation(Document->Orientation == 1 ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
    }
}

void TProductChooser::Choose(int index) {
    if (!Document || index < 0 || index >= Combo->count())
        return;
    const QString name = Combo->itemData(index).toString();
    const QString before = Document->PrintProduct;
    if (index == 0) {
        Document->PrintProduct.clear();
        SetPaper(nullptr);
    } else {
        const bool own = Combo->itemData(index, OwnRole).toBool();
        const TLabelProduct* product = nullptr;
        TLabelProduct ownProduct;
        if (own && Registry) {
            for (const TLabelProduct& p : OwnProducts(*Registry)) {
                if (ProductKey(p.Part) == ProductKey(name))
                    ownProduct = p;
            }
            product = ownProduct.Own ? &ownProduct : nullptr;
        } else {
            product = TLabelCatalogue::Installed().Find(name);
        }
        if (!product) {
            Refill();
            return;
        }
        const QString refusal = ProductRefusal(*product, Document->PageWidth, Document->PageHeight);
        if (!refusal.isEmpty()) {
            ShowMessage(this, QStringLiteral("Bogen"),
                        refusal + QStringLiteral(" Wählen Sie einen Bogen mit größeren "
                                                 "Etiketten oder ändern Sie das Blattformat."));
            Refill(); // back to the product chosen before
            return;
        }
        ApplyProduct(*Document, *product);
        SetPaper(product);
    }
    if (Document->PrintProduct != before)
        Document->Modified = true;
    updateInfo();
    emit Changed();
}

void TProductChooser::FitSheet() {
    const TLabelProduct* product = Current();
    if (!Document || !product || product->Own)
        return;
    const double w = product->Label.width(), h = product->Label.height();
    if (w == Document->PageWidth && h == Document->PageHeight)
        return;
    Document->InsertUndo(SheetUndoKey(Document->PageWidth, Document->PageHeight));
    Document->PageWidth = w;
    Document->PageHeight = h;
    Document->Modified = true;
    KeepEditorView = false;
    KeepEditorBitmap = false;
    ApplyProduct(*Document, *product);
    updateInfo();
    emit Changed();
}

void TProductChooser::SaveOwn() {
    if (!Document || !Registry)
        return;
    const QString proposed = QStringLiteral("Eigener Bogen");
    QString name;
    if (NameHook) {
        name = NameHook(proposed);
    } else {
        bool ok = false;
        name = QInputDialog::getText(this, QStringLiteral("Als Bogen speichern"),
                                     QStringLiteral("Name des Bogens:"), QLineEdit::Normal,
                                     proposed, &ok);
        if (!ok)
            return;
    }
    name = name.simplified();
    if (name.isEmpty())
        return;
    if (TLabelCatalogue::Installed().Find(name)) {
        ShowMessage(this, QStringLiteral("Als Bogen speichern"),
                    QStringLiteral("„%1“ ist ein Bogen des Katalogs; bitte wählen Sie einen "
                                   "anderen Namen.")
                        .arg(name));
        return;
    }
    const QRectF paper = m_printer.pageLayout().fullRect(QPageLayout::Millimeter);
    const TLabelProduct own = OwnProductFrom(*Document, name, paper.size());
    SaveOwnProduct(*Registry, own);
    if (Document->PrintProduct != own.Part) {
        Document->PrintProduct = own.Part;
        Document->Modified = true;
    }
    Refill();
    emit Changed();
}

void TProductChooser::DeleteOwn() {
    const int index = Combo->currentIndex();
    if (!Registry || index <= 0 || !Combo->itemData(index, OwnRole).toBool())
        return;
    const QString name = Combo->itemData(index).toString();
    DeleteOwnProduct(*Registry, name);
    if (Document && ProductKey(Document->PrintProduct) == ProductKey(name)) {
        Document->PrintProduct.clear();
        Document->Modified = true;
    }
    Refill();
    emit Changed();
}

void TProductChooser::updateInfo() {
    const TLabelCatalogue& catalogue = TLabelCatalogue::Installed();
    const TLabelProduct* product = Current();
    const int index = Combo->currentIndex();
    DeleteButton->setEnabled(index > 0 && Combo->itemData(index, OwnRole).toBool());
    QString note;
    if (catalogue.IsEmpty())
        note = noProductsText();
    if (Document && !Document->PrintProduct.isEmpty() && !product)
        note = QStringLiteral("Der Bogen „%1“ des Dokuments ist nicht installiert; es gelten "
                              "die gespeicherten Ränder und Abstände.")
                   .arg(Document->PrintProduct);
    bool differs = false;
    if (Document && product && !product->Own) {
        const QString size = ProductSizeNote(*product, Document->PageWidth, Document->PageHeight);
        differs = !size.isEmpty();
        note = differs ? size
                       : QStringLiteral("%1 Etiketten je Bogen, jede Fläche liegt auf einem "
                                        "Etikett.")
                             .arg(product->Count());
    }
    Info->setText(note);
    FitSheetButton->setVisible(differs);
}
