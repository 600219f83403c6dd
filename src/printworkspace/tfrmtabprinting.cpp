#include "printworkspace/tfrmtabprinting.h"
#include "printworkspace/qprintertarget.h"

#include "document/appdocument.h"
#include "document/cellpainter.h"
#include "ui/globals.h"
#include "document/placeholders.h"
#include "document/units.h"
#include "ui/helpwindow.h"
#include "ui/hints.h"
#include "ui/messages.h"
#include "ui/tfrage.h"
#include "printing/calibrationsheet.h"
#include "printing/printdocument.h"
#include "printing/printeroutput.h"
#include "printing/printmerge.h"
#include "printing/printrun.h"
#include "printworkspace/productchooser.h"
#include "printworkspace/tprintabortdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <cmath>

const char* const OffsetSection = "Blattversatz";
const char* const OffsetNames[4] = {"Vorderseite horizontal", "Vorderseite vertikal",
                                    "Rückseite horizontal", "Rückseite vertikal"};

namespace {

// Preview reference size at PreviewScale 1 and the gap to the form's right and bottom edge.
constexpr int PreviewRefWidth = 876;
constexpr int PreviewRefHeight = 1221;
constexpr int PreviewGap = 7;
constexpr int PreviewMinSize = 22;
constexpr int OffsetRange = 25;
constexpr int ProductChooserHeight = 64;

// A product's paper larger than A4 (or turned) is shrunk to fit the preview's reference size.
double productShrink(const TPrintLayout& layout) {
    if (!layout.Product)
        return 1.0;
    return std::max({1.0, layout.PrinterSheetWidth / 210.33, layout.PrinterSheetHeight / 297.33});
}

void whiteText(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    w->setPalette(p);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int w = 60) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, w, 22);
    whiteText(l);
    return l;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title, const QRect& r) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(r);
    g->setMouseTracking(true);
    whiteText(g);
    return g;
}

} // namespace

TSheetPreviewBox::TSheetPreviewBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Page"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSheetPreviewBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Picture);
}

void TSheetPreviewBox::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    emit MouseMoved(pos.x(), pos.y());
}

void TSheetPreviewBox::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit Clicked();
}

void TSheetPreviewBox::leaveEvent(QEvent*) {
    emit Left();
}

TfrmTabPrinting::TfrmTabPrinting(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmTabPrinting"));
    setMouseTracking(true);
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    m_pdfOnly = printers.isEmpty();
    if (m_pdfOnly) {
        // Without a printer the pages go into a PDF file: A4 without unprintable border.
        SetupPdfPrinter(m_printer, false);
    } else if (m_printer.printerName().isEmpty()) {
        const QPrinterInfo def = QPrinterInfo::defaultPrinter();
        m_printer.setPrinterName(def.isNull() ? printers.first() : def.printerName());
    }
    m_printer.setCreator(QStringLiteral("Quillmark"));
    buildControls();
    readOffsets();
}

TfrmTabPrinting::~TfrmTabPrinting() {
    delete AbortDialog;
}

void TfrmTabPrinting::buildControls() {
    PrinterSetupGroup =
        group(this, "PrinterSetupGroup", QStringLiteral("Drucker "), QRect(8, 4, 244, 58));
    PrinterLabel = label(PrinterSetupGroup, "PrinterLabel", QString(), 10, 24, 190);
    PrinterSetupBtn = new QToolButton(PrinterSetupGroup);
    PrinterSetupBtn->setObjectName(QStringLiteral("PrinterSetupBtn"));
    PrinterSetupBtn->setGeometry(204, 20, 32, 30);
    PrinterSetupBtn->setText(QStringLiteral("…"));
    PrinterSetupBtn->setToolTip(QStringLiteral("Drucker einrichten"));
    connect(PrinterSetupBtn, &QToolButton::clicked, this, &TfrmTabPrinting::PrinterSetupBtnClick);

    LabelBlattversatz =
        label(this, "LabelBlattversatz", QStringLiteral("Blattversatz (mm)"), 10, 66, 108);
    SetHint(LabelBlattversatz, QStringLiteral("Blattversatz"));
    LabelHorizontal = label(this, "LabelHorizontal", QStringLiteral("horizontal"), 100, 86, 70);
    LabelVertikal = label(this, "LabelVertikal", QStringLiteral("vertikal"), 176, 86, 70);
    LabelVorderseite = label(this, "LabelVorderseite", QStringLiteral("Vorderseite"), 10, 108, 88);
    LabelRueckseite = label(this, "LabelRueckseite", QStringLiteral("Rückseite"), 10, 136, 88);
    auto makeUpDown = [this](const char* name, const char* editName, int x, int y) {
        auto* u = new TPrintUpDown(this);
        u->setObjectName(QString::fromLatin1(name));
        u->Edit()->setObjectName(QString::fromLatin1(editName));
        u->setRange(-OffsetRange, OffsetRange);
        u->setGeometry(x, y, 66, 24);
        connect(u, &QSpinBox::valueChanged, this, &TfrmTabPrinting::UpDown1Click);
        return u;
    };
    UpDown1 = makeUpDown("UpDown1", "EditPrintOffsetHor", 100, 107);
    UpDown2 = makeUpDown("UpDown2", "EditPrintOffsetVer", 176, 107);
    UpDown3 = makeUpDown("UpDown3", "EditPrintOffsetHorRueck", 100, 135);
    UpDown4 = makeUpDown("UpDown4", "EditPrintOffsetVerRueck", 176, 135);
    EditPrintOffsetHor = UpDown1->Edit();
    EditPrintOffsetVer = UpDown2->Edit();
    EditPrintOffsetHorRueck = UpDown3->Edit();
    EditPrintOffsetVerRueck = UpDown4->Edit();
    CalibrationButton = new QPushButton(QStringLiteral("Kalibrierblatt drucken"), this);
    CalibrationButton->setObjectName(QStringLiteral("CalibrationButton"));
    // Wide enough for its text in any style, right-aligned with the groups; the label beside
    // it gives way.
    const int calibrationWidth = std::max(132, CalibrationButton->sizeHint().width() + 8);
    CalibrationButton->setGeometry(252 - calibrationWidth, 64, calibrationWidth, 24);
    const int labelWidth = std::min(108, 252 - calibrationWidth - 14);
    if (LabelBlattversatz->sizeHint().width() > labelWidth) {
        // Not cut: "(mm)" goes to a second line, beside which the row below leaves room.
        LabelBlattversatz->setWordWrap(true);
        LabelBlattversatz->setGeometry(10, 58, labelWidth, 34);
    } else {
        LabelBlattversatz->setFixedWidth(labelWidth);
    }
    SetHint(CalibrationButton, QStringLiteral("|Druckt ein Messblatt für den Blattversatz"));
    connect(CalibrationButton, &QPushButton::clicked, this,
            &TfrmTabPrinting::CalibrationButtonClick);

    PrintMarginsGroup = group(this, "PrintMarginsGroup", QStringLiteral("Ränder und Abstände (mm)"),
                              QRect(8, 166, 244, 138));
    SetHint(PrintMarginsGroup, QStringLiteral("Ränder und Abstände"));
    auto makeEdit = [this](const char* name, int x, int y) {
        auto* e = new QLineEdit(PrintMarginsGroup);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(6);
        e->setGeometry(x, y, 50, 22);
        e->setText(QStringLiteral("0.00"));
        connect(e, &QLineEdit::textChanged, this, &TfrmTabPrinting::EditPrintMarginChange);
        return e;
    };
    LabelLinks = label(PrintMarginsGroup, "LabelLinks", QStringLiteral("Links"), 10, 22);
    EditPrintMarginLeft = makeEdit("EditPrintMarginLeft", 74, 22);
    LabelRechts = label(PrintMarginsGroup, "LabelRechts", QStringLiteral("Rechts"), 124, 22, 56);
    EditPrintMarginRight = makeEdit("EditPrintMarginRight", 180, 22);
    LabelOben = label(PrintMarginsGroup, "LabelOben", QStringLiteral("Oben"), 10, 50);
    EditPrintMarginTop = makeEdit("EditPrintMarginTop", 74, 50);
    LabelUnten = label(PrintMarginsGroup, "LabelUnten", QStringLiteral("Unten"), 124, 50, 56);
    EditPrintMarginBottom = makeEdit("EditPrintMarginBottom", 180, 50);
    LabelAbstaende =
        label(PrintMarginsGroup, "LabelAbstaende", QStringLiteral("Abstände"), 10, 80, 120);
    LabelHorz = label(PrintMarginsGroup, "LabelHorz", QStringLiteral("Horizontal"), 10, 106, 64);
    EditPrintDistHor = makeEdit("EditPrintDistHor", 74, 106);
    labelVert = label(PrintMarginsGroup, "labelVert", QStringLiteral("Vertikal"), 124, 106, 56);
    EditPrintDistVer = makeEdit("EditPrintDistVer", 180, 106);

    CopyGroup = group(this, "CopyGroup", QStringLiteral("Kopien"), QRect(8, 310, 244, 80));
    GroupBoxSeiten =
        group(CopyGroup, "GroupBoxSeiten", QStringLiteral("Seiten"), QRect(8, 20, 228, 52));
    LabelAnzahl = label(GroupBoxSeiten, "LabelAnzahl", QStringLiteral("Anzahl "), 10, 22);
    SpinCopyCount = new TPrintUpDown(GroupBoxSeiten);
    SpinCopyCount->setObjectName(QStringLiteral("SpinCopyCount"));
    SpinCopyCount->Edit()->setObjectName(QStringLiteral("EditCopyCount"));
    SpinCopyCount->setRange(1, 999);
    // The group's white captions would make the arrows white on a light button: the box takes
    // the text colours of the application again (set role by role, so that they are not
    // inherited from the group).
    QPalette spinColours = SpinCopyCount->palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
        for (const QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            spinColours.setColor(group, role, QApplication::palette().color(group, role));
    SpinCopyCount->setPalette(spinColours);
    SpinCopyCount->setGeometry(80, 18, 90, 26);
    EditCopyCount = SpinCopyCount->Edit();

    CellGroupBox =
        group(this, "CellGroupBox", QStringLiteral("Einzelflächen"), QRect(8, 396, 244, 222));
    SetHint(CellGroupBox, QStringLiteral("Einzelflächen"));
    PrintSeparatorsCheck = new QCheckBox(QStringLiteral("Trennlinien drucken"), CellGroupBox);
    PrintSeparatorsCheck->setObjectName(QStringLiteral("PrintSeparatorsCheck"));
    PrintSeparatorsCheck->setGeometry(10, 22, 220, 22);
    Scale2fitCheck = new QCheckBox(QStringLiteral("Einpassen"), CellGroupBox);
    Scale2fitCheck->setObjectName(QStringLiteral("Scale2fitCheck"));
    Scale2fitCheck->setGeometry(10, 46, 220, 22);
    MergeCheck = new QCheckBox(QStringLiteral("Adressen reihum"), CellGroupBox);
    MergeCheck->setObjectName(QStringLiteral("MergeCheck"));
    MergeCheck->setGeometry(10, 70, 220, 22);
    MergeCheck->setToolTip(QStringLiteral("Jede gewählte Fläche erhält die nächste Adresse "
                                          "des Adressbuchs, Blatt für Blatt"));
    connect(MergeCheck, &QCheckBox::toggled, this, &TfrmTabPrinting::UpdateMergeCount);
    SkipEmptyCheck = new QCheckBox(QStringLiteral("Leere Felder auslassen"), CellGroupBox);
    SkipEmptyCheck->setObjectName(QStringLiteral("SkipEmptyCheck"));
    SkipEmptyCheck->setGeometry(10, 192, 220, 22);
    SkipEmptyCheck->setToolTip(QStringLiteral("Ein leerer Platzhalter nimmt seine Leerzeichen "
                                              "mit; eine Zeile aus lauter leeren Platzhaltern "
                                              "entfällt samt ihren Wörtern"));
    connect(SkipEmptyCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (Document && Active && Document->SkipEmpty != on) {
            Document->SkipEmpty = on;
            Document->Modified = true;
        }
    });
    for (QCheckBox* c : {PrintSeparatorsCheck, Scale2fitCheck, MergeCheck, SkipEmptyCheck})
        whiteText(c);
    // The preview shows the design at the size it is printed.
    connect(Scale2fitCheck, &QCheckBox::toggled, this, [this] { PagePaint(); });
    MergeCountLabel = label(CellGroupBox, "MergeCountLabel", QString(), 30, 92, 204);
    MergeCountLabel->hide();
    InfoLabel1 =
        label(CellGroupBox, "InfoLabel1", QStringLiteral("Alles zum Ausdruck bereit"), 10, 116, 224);
    InfoLabel1->setWordWrap(true);
    InfoLabel1->resize(224, 60);
    InfoLabel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    InfoLabel2 = label(CellGroupBox, "InfoLabel2",
                       QStringLiteral("Die einzelnen Druckflächen müssen wegen Überschreitung der "
                                      "bedruckbaren Fläche eingepaßt werden!"),
                       10, 116, 224);
    InfoLabel2->setWordWrap(true);
    InfoLabel2->resize(224, 60);
    InfoLabel2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    {
        QPalette p = InfoLabel2->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        InfoLabel2->setPalette(p);
    }
    InfoLabel2->hide();
    SelectAllButton = new QToolButton(CellGroupBox);
    SelectAllButton->setObjectName(QStringLiteral("SelectAllButton"));
    SelectAllButton->setText(QStringLiteral("Alle wählen"));
    SelectAllButton->setGeometry(10, 182, 108, 30);
    SelectNoneButton = new QToolButton(CellGroupBox);
    SelectNoneButton->setObjectName(QStringLiteral("SelectNoneButton"));
    SelectNoneButton->setText(QStringLiteral("Keine wählen"));
    SelectNoneButton->setGeometry(126, 182, 108, 30);
    connect(SelectAllButton, &QToolButton::clicked, this, [this] { SelectButtonClick(true); });
    connect(SelectNoneButton, &QToolButton::clicked, this, [this] { SelectButtonClick(false); });
    connect(SpinCopyCount, &QSpinBox::valueChanged, this, &TfrmTabPrinting::UpdateMergeCount);

    Button = new QPushButton(QStringLiteral("Drucken"), this);
    Button->setObjectName(QStringLiteral("Button"));
    Button->setGeometry(8, 626, 244, 36);
    Button->setDefault(true);
    connect(Button, &QPushButton::clicked, this, &TfrmTabPrinting::ButtonClick);
    WrittenLabel = label(this, "WrittenLabel", QString(), 8, 666, 244);
    WrittenLabel->setWordWrap(true);
    WrittenLabel->resize(244, 48);
    WrittenLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    WrittenLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WrittenLabel->hide();

    ProductChooser = new TProductChooser(m_printer, this);
    ProductChooser->setGeometry(262, 4, 600, ProductChooserHeight);
    connect(ProductChooser, &TProductChooser::Changed, this, &TfrmTabPrinting::ProductChanged);

    Page = new TSheetPreviewBox(this);
    Page->setGeometry(262, 8 + ProductChooserHeight, PreviewMinSize, PreviewMinSize);
    connect(Page, &TSheetPreviewBox::MouseMoved, this, &TfrmTabPrinting::PageMouseMove);
    connect(Page, &TSheetPreviewBox::Clicked, this, &TfrmTabPrinting::PageClick);
    connect(Page, &TSheetPreviewBox::Left, this, &TfrmTabPrinting::FormMouseMove);

    // The pointer over the rest of the workspace clears the hot cell.
    for (QWidget* w : std::initializer_list<QWidget*>{
             this, PrinterSetupGroup, PrintMarginsGroup, CopyGroup, GroupBoxSeiten, CellGroupBox,
             SelectAllButton, SelectNoneButton, PrinterSetupBtn, Button, CalibrationButton}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool TfrmTabPrinting::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        FormMouseMove();
    return QWidget::eventFilter(watched, event);
}

void TfrmTabPrinting::readOffsets() {
    TPrintUpDown* ups[4] = {UpDown1, UpDown2, UpDown3, UpDown4};
    for (int i = 0; i < 4; ++i) {
        QString text = QStringLiteral("0");
        if (Registry) {
            Registry->beginGroup(QString::fromLatin1(OffsetSection));
            text = Registry->value(QString::fromUtf8(OffsetNames[i]), text).toString();
            Registry->endGroup();
        }
        // A stored value that is not a whole number counts as 0; the control keeps its range.
        const QSignalBlocker block(ups[i]);
        ups[i]->setValue(ParseOffsetValue(text));
    }
}

void TfrmTabPrinting::UpDown1Click() {
    if (!Registry)
        return;
    const QLineEdit* edits[4] = {EditPrintOffsetHor, EditPrintOffsetVer, EditPrintOffsetHorRueck,
                                 EditPrintOffsetVerRueck};
    Registry->beginGroup(QString::fromLatin1(OffsetSection));
    for (int i = 0; i < 4; ++i)
        Registry->setValue(QString::fromUtf8(OffsetNames[i]), edits[i]->text());
    Registry->endGroup();
}

void TfrmTabPrinting::Activate() {
    if (!Document)
        return;
    Active = false;
    m_printer.setPageOrientation(Document->Orientation == 1 ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
    ProductChooser->Activate();
    EditPrintMarginLeft->setText(FormatPrintValue(Document->PrintMarginLeft));
    EditPrintMarginRight->setText(FormatPrintValue(Document->PrintMarginRight));
    EditPrintMarginTop->setText(FormatPrintValue(Document->PrintMarginTop));
    EditPrintMarginBottom->setText(FormatPrintValue(Document->PrintMarginBottom));
    EditPrintDistHor->setText(FormatPrintValue(Document->PrintDistHor));
    EditPrintDistVer->setText(FormatPrintValue(Document->PrintDistVer));
    SpinCopyCount->setValue(Document->CopyCount);
    SkipEmptyCheck->setChecked(Document->SkipEmpty);
    Active = true;
    Adjust2Printer();
    if (Document->SelectAllCells)
        SelectButtonClick(true);
}

void TfrmTabPrinting::EditPrintMarginChange() {
    // Margins typed by hand leave the product's layout for the free one.
    if (Active && Document && !Document->PrintProduct.isEmpty()) {
        Document->PrintProduct.clear();
        Document->Modified = true;
        ProductChooser->SetPaper(nullptr);
        ProductChooser->Refill();
    }
    Adjust2Printer();
}

void TfrmTabPrinting::ProductChanged() {
    if (!Document)
        return;
    const bool active = Active;
    Active = false;
    EditPrintMarginLeft->setText(FormatPrintValue(Document->PrintMarginLeft));
    EditPrintMarginRight->setText(FormatPrintValue(Document->PrintMarginRight));
    EditPrintMarginTop->setText(FormatPrintValue(Document->PrintMarginTop));
    EditPrintMarginBottom->setText(FormatPrintValue(Document->PrintMarginBottom));
    EditPrintDistHor->setText(FormatPrintValue(Document->PrintDistHor));
    EditPrintDistVer->setText(FormatPrintValue(Document->PrintDistVer));
    Active = active;
    Adjust2Printer();
}

void TfrmTabPrinting::Adjust2Printer() {
    if (!Active || !Document)
        return;
    PreviewScale = std::min(double(Page->width()) / PreviewRefWidth,
                            double(Page->height()) / PreviewRefHeight);
    const TPrinterInfo info = PrinterInfoOf(m_printer);
    showPrinterName();
    Document->PrintMarginLeft = ParsePrintValue(EditPrintMarginLeft->text());
    Document->PrintMarginRight = ParsePrintValue(EditPrintMarginRight->text());
    Document->PrintMarginTop = ParsePrintValue(EditPrintMarginTop->text());
    Document->PrintMarginBottom = ParsePrintValue(EditPrintMarginBottom->text());
    Document->PrintDistHor = ParsePrintValue(EditPrintDistHor->text());
    Document->PrintDistVer = ParsePrintValue(EditPrintDistVer->text());
    // The cells the user chose stay chosen while the grid stays the same.
    const bool sameDocument =
        m_layoutDocument == Document && m_layoutFileName == Document->FileName;
    m_layout.Adjust(info, *Document,
                    sameDocument ? TPrintLayout::KeepSelection : TPrintLayout::FirstOnly);
    PreviewScale /= productShrink(m_layout);
    m_layoutDocument = Document;
    m_layoutFileName = Document->FileName;
    HotCell = -1;
    m_cellPreview = QImage(); // the document may have changed since
    InfoLabel1->setVisible(m_layout.Fits);
    InfoLabel2->setVisible(!m_layout.Fits);
    PagePaint();
}

void TfrmTabPrinting::showPrinterName() {
    if (m_printer.outputFormat() == QPrinter::PdfFormat) {
        PrinterLabel->setText(QStringLiteral("PDF-Datei"));
        PrinterLabel->setToolTip(QStringLiteral("Beim Drucken wird nach der Datei gefragt."));
    } else {
        PrinterLabel->setText(m_printer.printerName());
        PrinterLabel->setToolTip(m_printer.printerName());
    }
}

QRect TfrmTabPrinting::cellPixels(const TCell& c) const {
    const int l = MmToPixel(PreviewScale, c.Left), t = MmToPixel(PreviewScale, c.Top);
    const int r = MmToPixel(PreviewScale, c.Left + c.Width);
    const int b = MmToPixel(PreviewScale, c.Top + c.Height);
    return QRect(l, t, r - l, b - t);
}

void TfrmTabPrinting::UpdateMergeCount() {
    if (!MergeCheck->isChecked()) {
        MergeCountLabel->hide();
        return;
    }
    const int records = std::max(0, int(AddressRecords.size()) - 1);
    const int sheets = TPrintMerge::SheetCount(m_layout, records, 1) * SpinCopyCount->value();
    MergeCountLabel->setText(MergeSheetCountText(sheets, records));
    MergeCountLabel->show();
}

const QImage& TfrmTabPrinting::cellPreview(const QSize& size) {
    const double scale = Scale2fitCheck->isChecked() ? m_layout.FitScale : 1.0;
    if (m_cellPreview.size() == size && m_cellPreviewScale == scale)
        return m_cellPreview;
    m_cellPreview = QImage();
    m_cellPreviewScale = scale;
    if (size.isEmpty() || !Document || m_layout.Cells.empty())
        return m_cellPreview;
    m_cellPreview = QImage(size, QImage::Format_RGB32);
    if (m_cellPreview.isNull())
        return m_cellPreview;
    m_cellPreview.fill(Qt::white);
    // The cell painter with the preview as its printer: as many pixels per mm as the preview
    // shows, fonts in whole points of the print.
    TPrintDeviceMetrics metrics;
    metrics.DevPixelsPerMmX = PreviewScale / MmPerPixel;
    metrics.DevPixelsPerMmY = PreviewScale / MmPerPixel;
    const int ppi = std::max(1, int(std::lround(metrics.DevPixelsPerMmY * 25.4)));
    metrics.PrinterDpiY = ppi;
    metrics.FontPixelsPerInch = ppi;
    const TCell& cell = m_layout.Cells.front();
    QPainter p(&m_cellPreview);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    TCellPainter(metrics, scale, false)
        .PrintCell(p, *Document, 0, QRectF(0, 0, cell.Width, cell.Height));
    return m_cellPreview;
}

void TfrmTabPrinting::PagePaint() {
    UpdateMergeCount();
    QImage& img = Page->Picture;
    if (img.size() != Page->size())
        img = QImage(Page->size(), QImage::Format_RGB32);
    img.fill(FormColor.isValid() ? FormColor : palette().color(QPalette::Window));
    {
        QPainter p(&img);
        auto px = [this](double mm) { return MmToPixel(PreviewScale, mm); };
        const QRect sheet(0, 0, px(m_layout.PrinterSheetWidth), px(m_layout.PrinterSheetHeight));
        p.fillRect(sheet, QColor(128, 128, 128));
        auto frame = [&p](const QRect& r, const QColor& c) {
            if (r.width() <= 0 || r.height() <= 0)
                return;
            p.setPen(QPen(c, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        };
        for (int i = 0; i < int(m_layout.Cells.size()); ++i) {
            const TCell& c = m_layout.Cells[size_t(i)];
            const QRect r = cellPixels(c);
            // A chosen cell shows the design it will carry.
            if (c.Selected && !r.isEmpty()) {
                // Rendered once; cells differ by a pixel at most.
                const QImage& design = cellPreview(cellPixels(m_layout.Cells.front()).size());
                if (design.isNull())
                    p.fillRect(r, Qt::white);
                else
                    p.drawImage(r, design);
            }
            if (i == HotCell)
                p.fillRect(r, Qt::red);
            else
                frame(r, Qt::red);
        }
        frame(sheet, Qt::black);
        frame(QRect(QPoint(px(m_layout.PrintingOffsetMmX), px(m_layout.PrintingOffsetMmY)),
                    QPoint(px(m_layout.PrintingOffsetMmX + m_layout.PrintableWidthMm),
                           px(m_layout.PrintingOffsetMmY + m_layout.PrintableHeightMm)))
                  .adjusted(0, 0, -1, -1),
              Qt::yellow);
    }
    Page->update();
}

void TfrmTabPrinting::PageMouseMove(int x, int y) {
    HotCell = -1;
    for (int i = 0; i < int(m_layout.Cells.size()); ++i) {
        const TCell& c = m_layout.Cells[size_t(i)];
        if (MmToPixel(PreviewScale, c.Left) < x && x < MmToPixel(PreviewScale, c.Left + c.Width) &&
            MmToPixel(PreviewScale, c.Top) < y && y < MmToPixel(PreviewScale, c.Top + c.Height))
            HotCell = i;
    }
    PagePaint();
}

void TfrmTabPrinting::FormMouseMove() {
    if (HotCell >= 0) {
        HotCell = -1;
        PagePaint();
    }
}

void TfrmTabPrinting::PageClick() {
    if (HotCell >= 0 && HotCell < int(m_layout.Cells.size()))
        m_layout.Cells[size_t(HotCell)].Selected = !m_layout.Cells[size_t(HotCell)].Selected;
    if (Document)
        Document->SelectAllCells = m_layout.AllSelected();
    UpdateMergeCount();
}

void TfrmTabPrinting::SelectButtonClick(bool all) {
    m_layout.SelectAll(all);
    if (Document)
        Document->SelectAllCells = all;
    PagePaint();
}

void TfrmTabPrinting::PrinterSetupBtnClick() {
    if (SetupDialogHook) {
        SetupDialogHook(m_printer);
    } else {
        QPrintDialog dialog(&m_printer, this);
        dialog.setWindowTitle(QStringLiteral("Drucker einrichten"));
        dialog.exec();
    }
    // The orientation picked there is the printer's; the document is left as it is.
    Adjust2Printer();
}

void TfrmTabPrinting::resizeEvent(QResizeEvent*) {
    ProductChooser->resize(std::max(PreviewMinSize, width() - ProductChooser->x() - PreviewGap),
                           ProductChooserHeight);
    const int w = std::max(PreviewMinSize, width() - Page->x() - PreviewGap);
    const int h = std::max(PreviewMinSize, height() - Page->y() - PreviewGap);
    Page->resize(w, h);
    PreviewScale = std::min(double(w) / PreviewRefWidth, double(h) / PreviewRefHeight) /
                   productShrink(m_layout);
    PagePaint();
}

bool TfrmTabPrinting::askTurn(bool landscape) {
    std::unique_ptr<TFrage> own;
    TFrage* frage = Frage;
    if (!frage) {
        own = std::make_unique<TFrage>(this);
        frage = own.get();
    }
    frage->LabelHinweis->setText(TurnQuestionHint());
    frage->LabelHinweis->show();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool yes = frage->Ask(TurnQuestionCaption(), TurnQuestionText(landscape));
    QApplication::restoreOverrideCursor();
    frage->LabelHinweis->hide();
    return yes;
}

void TfrmTabPrinting::ButtonClick() {
    if (CurrentRun || !Document)
        return;
    UpDown1Click();
    if (const QCursor* c = QApplication::overrideCursor();
        c && (c->shape() == Qt::WhatsThisCursor || c->shape() == Qt::DragCopyCursor)) {
        QApplication::restoreOverrideCursor();
        ShowHelpTopic(QStringLiteral("Inhalt"));
        return;
    }
    Document->CopyCount = std::uint16_t(SpinCopyCount->value());
    // Nothing chosen would print blank sheets.
    if (m_layout.SelectedCount() == 0) {
        ShowMessage(this, QStringLiteral("Drucken"), NoCellChosenText());
        return;
    }
    if (!choosePdfFile(Document->FileName.isEmpty()
                           ? QStringLiteral("Quillmark")
                           : QFileInfo(Document->FileName).completeBaseName()))
        return;
    // The same job the batch tool prints (it names the job after the document): the cells the user chose, the printer as set up.
    TPrintJob job;
    job.Target = PrintTargetOf(m_printer);
    const std::vector<int> order = CellsInReadingOrder(m_layout);
    for (size_t n = 0; n < order.size(); ++n) {
        if (m_layout.Cells[size_t(order[n])].Selected)
            job.Cells << int(n + 1);
    }
    job.Copies = Document->CopyCount;
    job.Fit = Scale2fitCheck->isChecked();
    job.Outline = PrintSeparatorsCheck->isChecked();
    const TPrintRunSettings offsets = offsetSettings();
    job.FrontOffset = offsets.FrontOffset;
    job.BackOffset = offsets.BackOffset;
    if (MergeCheck->isChecked()) {
        // One record of the address store per selected cell, in the store's order.
        job.Merge = true;
        for (qsizetype i = 1; i < AddressRecords.size(); ++i)
            job.Records << SplitAddressRecord(AddressRecords.at(i));
        job.Values = CurrentPlaceholderValues();
    }
    const TPdfPrint result = runWithDialog(
        [&](const TPrintHooks& hooks) {
            job.Hooks = hooks;
            return PrintDocumentJob(*Document, job);
        });
    // Cut texts and codes that could not be drawn; a long list is cut short.
    if (result.Ok && !result.Notes.isEmpty())
        ShowMessage(this, QStringLiteral("Drucken"),
                    result.Notes.mid(0, 20).join(QLatin1Char('\n')));
}

void TfrmTabPrinting::CalibrationButtonClick() {
    if (CurrentRun)
        return;
    UpDown1Click();
    if (!choosePdfFile(QStringLiteral("Kalibrierblatt")))
        return;
    // One cell covering the sheet; the document's own layout and selection stay as they are.
    const TPrintRunSettings offsets = offsetSettings();
    // The sheet of a product is measured as the paper it is.
    const bool paperSized = bool(m_layout.Product);
    runWithDialog([&](const TPrintHooks& hooks) {
        return PrintCalibrationSheet(PrintTargetOf(m_printer), offsets.FrontOffset,
                                     offsets.BackOffset, TPrinterOutput::BackPages::Separate,
                                     hooks, paperSized);
    });
}

bool TfrmTabPrinting::choosePdfFile(const QString& baseName) {
    if (m_printer.outputFormat() != QPrinter::PdfFormat)
        return true;
    // Every print asks, so that no earlier PDF is replaced unasked; the file dialog asks
    // before it replaces one.
    QString folder = m_pdfFolder;
    if (folder.isEmpty() && Document && !Document->FileName.isEmpty())
        folder = QFileInfo(Document->FileName).absolutePath();
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString proposed = QDir(folder).filePath(baseName + QStringLiteral(".pdf"));
    QString file = PdfFileHook ? PdfFileHook(proposed)
                               : QFileDialog::getSaveFileName(
                                     this, QStringLiteral("Drucken in PDF-Datei"), proposed,
                                     QStringLiteral("PDF-Dateien (*.pdf)"));
    if (file.isEmpty())
        return false;
    if (!file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    m_printer.setOutputFileName(file);
    m_pdfFolder = QFileInfo(file).absolutePath();
    return true;
}

TPrintRunSettings TfrmTabPrinting::offsetSettings() const {
    TPrintRunSettings settings;
    settings.FrontOffset = QPoint(ParseOffsetValue(EditPrintOffsetHor->text()),
                                  ParseOffsetValue(EditPrintOffsetVer->text()));
    settings.BackOffset = QPoint(ParseOffsetValue(EditPrintOffsetHorRueck->text()),
                                 ParseOffsetValue(EditPrintOffsetVerRueck->text()));
    return settings;
}

TPdfPrint TfrmTabPrinting::runWithDialog(const std::function<TPdfPrint(const TPrintHooks&)>& print) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    delete AbortDialog;
    AbortDialog = new TPrintAbortDlg(nullptr);
    if (LangStrings.size() > 56) {
        AbortDialog->setWindowTitle(LangText(QStringLiteral("56")));
        AbortDialog->InfoLabel->setText(LangText(QStringLiteral("57")));
    }
    // Only the dialog takes input while the run lets events through after each cell.
    AbortDialog->setWindowModality(Qt::ApplicationModal);

    TPrintHooks hooks;
    hooks.AfterCell = [] { QCoreApplication::processEvents(); };
    hooks.AskTurn = [this](bool landscape) { return askTurn(landscape); };
    hooks.Running = [this](TPrintRun* run) {
        CurrentRun = run;
        if (AbortDialog)
            AbortDialog->AbortJob = run ? std::function<void()>([run] { run->Abort(); })
                                        : std::function<void()>();
    };
    AbortDialog->Printing = true;
    AbortDialog->show();
    const TPdfPrint result = print(hooks);
    CurrentRun = nullptr;

    AbortDialog->Printing = false;
    AbortDialog->AbortJob = nullptr;
    AbortDialog->hide();
    AbortDialog->deleteLater();
    AbortDialog = nullptr;
    if (Frage)
        Frage->LabelHinweis->hide();
    QApplication::restoreOverrideCursor();
    PagePaint();
    WrittenLabel->setVisible(result.Ok);
    if (result.Ok) {
        QStringList names;
        for (const QString& f : result.Files)
            names << QFileInfo(f).fileName();
        WrittenLabel->setText(
            m_printer.outputFormat() == QPrinter::PdfFormat
                ? QStringLiteral("Geschrieben: %1").arg(names.join(QStringLiteral(", ")))
                : QStringLiteral("An den Drucker %1 übergeben.").arg(m_printer.printerName()));
        if (!result.Removed.isEmpty()) {
            QStringList removed;
            for (const QString& f : result.Removed)
                removed << QFileInfo(f).fileName();
            WrittenLabel->setText(
                WrittenLabel->text() +
                QStringLiteral("; die Rückseite eines früheren Drucks (%1) wurde entfernt.")
                    .arg(removed.join(QStringLiteral(", "))));
        }
        WrittenLabel->setToolTip(result.Files.join(QLatin1Char('\n')));
    }
    if (!result.Ok && !result.Aborted)
        ShowMessage(this, QStringLiteral("Drucken"), result.Error);
    return result;
}
