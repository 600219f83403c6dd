#include "editor/tfrmtabeditor.h"

#include "ui/globals.h"
#include "document/textfit.h"
#include "document/units.h"
#include "editor/editoricons.h"
#include "editor/editorwidgets.h"
#include "editor/inspectorlink.h"
#include "ui/hints.h"
#include "ui/messages.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

TfrmTabEditor* ActiveEditor = nullptr;

namespace {

constexpr int RulerThickness = 17;

// Delphi-style Round: halves go to the even neighbour.
int roundEven(double v) {
    return int(std::nearbyint(v));
}

const char* const ZoomItems[] = {"Ganzes Blatt", "Blattbreite", "Blatthöhe", "200", "175", "150",
                                 "125",          "100",         "75",        "50",  "25",  "10"};

} // namespace

TfrmTabEditor::TfrmTabEditor(QWidget* parent) : QWidget(parent) {
    ActiveEditor = this;
    ShowError = [this](const QString& text) { ShowMessage(this, QStringLiteral("Fehler"), text); };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    buildToolBar();
    outer->addWidget(ToolBar);

    RulerAtTop = new TRulerBox(this, true, this);
    RulerAtTop->setObjectName(QStringLiteral("RulerAtTop"));
    RulerAtTop->setFixedHeight(RulerThickness);
    SetHint(RulerAtTop, QStringLiteral("|Lineal"));
    outer->addWidget(RulerAtTop);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    RulerAtSide = new TRulerBox(this, false, this);
    RulerAtSide->setObjectName(QStringLiteral("RulerAtSide"));
    RulerAtSide->setFixedWidth(RulerThickness);
    SetHint(RulerAtSide, QStringLiteral("|Lineal"));
    middle->addWidget(RulerAtSide);

    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setFocusPolicy(Qt::StrongFocus);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* host = new QWidget;
    host->setObjectName(QStringLiteral("PageHost"));
    Page = new TSheetPage(this, host);
    Page->setObjectName(QStringLiteral("Page"));
    Page->move(0, 0);
    SetHint(Page, QStringLiteral("|Blatt"));
    TabSetSeiten = new QTabBar(host);
    TabSetSeiten->setObjectName(QStringLiteral("TabSetSeiten"));
    TabSetSeiten->setShape(QTabBar::RoundedSouth);
    TabSetSeiten->setExpanding(false);
    TabSetSeiten->setDrawBase(false);
    QFont tabFont(QStringLiteral("Arial"));
    tabFont.setPixelSize(9);
    TabSetSeiten->setFont(tabFont);
    TabSetSeiten->setAutoFillBackground(true);
    QPalette tabPalette = TabSetSeiten->palette();
    tabPalette.setColor(QPalette::Window, tabPalette.color(QPalette::ToolTipBase));
    tabPalette.setColor(QPalette::Button, tabPalette.color(QPalette::ToolTipBase));
    TabSetSeiten->setPalette(tabPalette);
    TabSetSeiten->addTab(QStringLiteral("Vorderseite"));
    TabSetSeiten->addTab(QStringLiteral("Rückseite"));
    SetHint(TabSetSeiten, QStringLiteral("Blattwender"));
    connect(TabSetSeiten, &QTabBar::currentChanged, this, &TfrmTabEditor::TabSetSeitenChange);
    ScrollBox->setWidget(host);
    // The rulers follow the scroll position.
    connect(ScrollBox->horizontalScrollBar(), &QScrollBar::valueChanged, RulerAtTop,
            qOverload<>(&QWidget::update));
    connect(ScrollBox->verticalScrollBar(), &QScrollBar::valueChanged, RulerAtSide,
            qOverload<>(&QWidget::update));
    middle->addWidget(ScrollBox, 1);
    outer->addLayout(middle, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    outer->addWidget(StatusBar);

    if (FormColor.isValid()) {
        QPalette p = palette();
        p.setColor(QPalette::Window, FormColor);
        ScrollBox->setPalette(p);
        ScrollBox->viewport()->setPalette(p);
        host->setPalette(p);
    }

    if (InspectorFactory) {
        Inspector = InspectorFactory(this);
        if (Inspector) {
            if (QScreen* screen = QGuiApplication::primaryScreen()) {
                const QRect g = screen->geometry();
                Inspector->move(g.width() / 2, g.height() / 2);
            }
            Inspector->SetFullRefresh([this] { PageFullRefresh(); });
            Inspector->SetToggleButton(SpeedButtonObjectInspector);
        }
    }
    InspectorWasVisible = SpeedButtonObjectInspector->isChecked();

    buildShortcuts();
    ZoomGanzeSeite();
    AdjustPage();
}

TfrmTabEditor::~TfrmTabEditor() {
    if (Inspector) {
        Inspector->SetToggleButton(nullptr);
        Inspector->SetFullRefresh(nullptr);
    }
    if (ActiveEditor == this)
        ActiveEditor = nullptr;
}

void TfrmTabEditor::buildToolBar() {
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setFixedHeight(29);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);

    auto button = [this](const char* name, const QString& hint, const QIcon& icon,
                         void (TfrmTabEditor::*handler)()) {
        auto* b = new QToolButton(ToolBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoRaise(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setIcon(icon);
        b->setFixedHeight(21);
        b->setMinimumWidth(23);
        SetHint(b, hint);
        connect(b, &QToolButton::clicked, this, handler);
        ToolBar->addWidget(b);
        return b;
    };
    SpeedButtonNew = button("SpeedButtonNew", QStringLiteral("Neues Dokument"),
                            EditorIcon(TEditorIcon::New), &TfrmTabEditor::SpeedButtonNewClick);
    SpeedButtonSave = button(
        "SpeedButtonSave",
        QStringLiteral("(Schnell) Speichern|Speichert das Dokument unter dem aktuellen Dateinamen"),
        EditorIcon(TEditorIcon::Save), &TfrmTabEditor::SpeedButtonSaveClick);
    ToolBar->addSeparator();
    SpeedButtonErase =
        button("SpeedButtonErase", QStringLiteral("Objekt löschen|Objekt wird direkt gelöscht"),
               EditorIcon(TEditorIcon::Erase), &TfrmTabEditor::SpeedButtonEraseClick);
    SpeedButtonCut =
        button("SpeedButtonCut",
               QStringLiteral("Ausschneiden|Objekt ausschneiden und im Clipboard deponieren"),
               EditorIcon(TEditorIcon::Cut), &TfrmTabEditor::SpeedButtonCutClick);
    SpeedButtonCopy =
        button("SpeedButtonCopy", QStringLiteral("Kopieren|Objekt ins Clipboard kopieren"),
               EditorIcon(TEditorIcon::Copy), &TfrmTabEditor::SpeedButtonCopyClick);
    SpeedButtonPaste =
        button("SpeedButtonPaste", QStringLiteral("Einfügen|Objekt aus dem Clipboard einfügen"),
               EditorIcon(TEditorIcon::Paste), &TfrmTabEditor::SpeedButtonPasteClick);
    SpeedButtonReturn =
        button("SpeedButtonReturn", QStringLiteral("Rückgängig"), EditorIcon(TEditorIcon::Undo),
               &TfrmTabEditor::SpeedButtonReturnClick);
    SpeedButtonRedo = button("SpeedButtonRedo", QStringLiteral("Wiederherstellen"),
                             EditorIcon(TEditorIcon::Redo), &TfrmTabEditor::SpeedButtonRedoClick);
    ToolBar->addSeparator();
    SpeedButtonText = button("SpeedButtonText", QStringLiteral("einzeiliges Textobjekt anlegen"),
                             EditorIcon(TEditorIcon::Text), &TfrmTabEditor::SpeedButtonTextClick);
    SpeedButtonBarcode =
        button("SpeedButtonBarcode", QStringLiteral("QR-Code oder Strichcode anlegen"),
               EditorIcon(TEditorIcon::Barcode), &TfrmTabEditor::SpeedButtonBarcodeClick);
    SpeedButtonGraphic =
        button("SpeedButtonGraphic", QStringLiteral("Grafik aus Datei einfügen"),
               EditorIcon(TEditorIcon::Graphic), &TfrmTabEditor::SpeedButtonGraphicClick);
    ToolBar->addSeparator();
    SpeedButtonObjectInspector =
        button("SpeedButtonObjectInspector", QStringLiteral("Objekt-Inspektor"),
               EditorIcon(TEditorIcon::Inspector), &TfrmTabEditor::SpeedButtonObjectInspectorClick);
    SpeedButtonObjectInspector->setCheckable(true);
    SpeedButtonObjectInspector->setChecked(true);
    ToolBar->addSeparator();
    SpeedButtonFullDown =
        button("SpeedButtonFullDown", QStringLiteral("Objekt ganz nach hinten"),
               EditorIcon(TEditorIcon::FullDown), &TfrmTabEditor::SpeedButtonFullDownClick);
    SpeedButton1Down =
        button("SpeedButton1Down", QStringLiteral("Objekt eine Ebene nach hinten"),
               EditorIcon(TEditorIcon::OneDown), &TfrmTabEditor::SpeedButton1DownClick);
    SpeedButton1Up = button("SpeedButton1Up", QStringLiteral("Objekt eine Ebene nach vorne"),
                            EditorIcon(TEditorIcon::OneUp), &TfrmTabEditor::SpeedButton1UpClick);
    SpeedButtonFullUp =
        button("SpeedButtonFullUp", QStringLiteral("Objekt ganz nach vorne"),
               EditorIcon(TEditorIcon::FullUp), &TfrmTabEditor::SpeedButtonFullUpClick);
    ToolBar->addSeparator();

    ZoomComboBox = new QComboBox(ToolBar);
    ZoomComboBox->setObjectName(QStringLiteral("ZoomComboBox"));
    ZoomComboBox->setFixedWidth(110);
    ZoomComboBox->setEditable(false);
    for (const char* item : ZoomItems)
        ZoomComboBox->addItem(QString::fromUtf8(item));
    SetHint(ZoomComboBox, QStringLiteral("Zoomfaktor|Zoomfaktor für die Ansicht einstellen"));
    // Only a choice of the user recomputes; setting the index from code does not.
    connect(ZoomComboBox, &QComboBox::activated, this, [this] { ZoomfeldChange(); });
    ZoomComboBox->installEventFilter(this);
    ToolBar->addWidget(ZoomComboBox);
    ToolBar->addSeparator();

    SpeedButtonArange =
        button("SpeedButtonArange", QStringLiteral("Textbausteine zuweisen"),
               EditorIcon(TEditorIcon::TextBlocks), &TfrmTabEditor::SpeedButtonArangeClick);
    SpeedButtonArange->setFixedWidth(29);

    for (QToolButton* b :
         {SpeedButtonErase, SpeedButtonCut, SpeedButtonCopy, SpeedButtonPaste, SpeedButtonReturn,
          SpeedButtonRedo})
        b->setEnabled(false);
}

// --- view -----------------------------------------------------------------------------------

void TfrmTabEditor::Sleep() {
    if (Inspector && Inspector->isVisible()) {
        InspectorWasVisible = true;
        Inspector->hide();
    }
}

void TfrmTabEditor::WakeUp() {
    liveSelection();
    if (Inspector && InspectorWasVisible)
        Inspector->show();
}

void TfrmTabEditor::ZoomGanzeSeite() {
    const double w = ScrollBox->width() - 25;
    const double h = ScrollBox->height() - 25;
    const double byWidth = w / std::trunc(Document->PageWidth / 25.4 * 96);
    const double byHeight = h / std::trunc(Document->PageHeight / 25.4 * 96);
    const double zoom = byWidth < byHeight ? byWidth : byHeight;
    // A sheet too small to measure or a window without room gives no usable fit.
    ZoomFactor = std::isfinite(zoom) && zoom > 0 ? zoom : 0.1;
}

void TfrmTabEditor::ZoomSeitenbreite() {
    const double zoom = (ScrollBox->width() - 25) / std::trunc(Document->PageWidth / MmPerPixel);
    ZoomFactor = std::isfinite(zoom) && zoom > 0 ? zoom : 0.1;
}

void TfrmTabEditor::ZoomSeitenHoehe() {
    const double zoom = (ScrollBox->height() - 25) / std::trunc(Document->PageHeight / 25.4 * 96);
    ZoomFactor = std::isfinite(zoom) && zoom > 0 ? zoom : 0.1;
}

void TfrmTabEditor::ZoomfeldChange() {
    const QString text = ZoomComboBox->currentText();
    bool ok = false;
    int percent = text.trimmed().toInt(&ok);
    if (!ok)
        percent = roundEven(ZoomFactor * 100);
    ZoomFactor = percent / 100.0;

    const bool translated = LangStrings.size() > 90;
    const QString whole =
        translated ? LangText(QStringLiteral("88")) : QStringLiteral("Ganzes Blatt");
    const QString width =
        translated ? LangText(QStringLiteral("89")) : QStringLiteral("Blattbreite");
    const QString height =
        translated ? LangText(QStringLiteral("90")) : QStringLiteral("Blatthöhe");
    if (text == whole)
        ZoomGanzeSeite();
    else if (text == width)
        ZoomSeitenbreite();
    else if (text == height)
        ZoomSeitenHoehe();

    if (ZoomFactor < 0.1) {
        ZoomFactor = 0.1;
        ZoomComboBox->setCurrentIndex(11);
    }
    // AdjustPage rebuilds the images and paints; a second rebuild would draw the same.
    AdjustPage();
}

void TfrmTabEditor::AdjustPage() {
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
    const int w = std::max(1, roundEven(Document->PageWidth / MmPerPixel * ZoomFactor));
    const int h = std::max(1, roundEven(Document->PageHeight / MmPerPixel * ZoomFactor));
    Page->setGeometry(0, 0, w, h);
    const int tabHeight = TabSetSeiten->sizeHint().height();
    TabSetSeiten->setGeometry(Page->x(), Page->y() + h, w, tabHeight);
    ScrollBox->widget()->resize(w, h + tabHeight);
    MyMemoryBitmapPaint();
    PagePaint();
}

TfrmTabEditor::TRulerSteps TfrmTabEditor::RulerStepsFor(double zoom) {
    if (zoom < 0.75)
        return {10, 50, 100};
    if (zoom < 1.5)
        return {5, 25, 50};
    return {1, 5, 10};
}

void TfrmTabEditor::MyMemoryBitmapPaint() {
    ++m_rebuildCount;
    drawRulers(RulerStepsFor(ZoomFactor));

    const QSize size = Page->size();
    if (SheetBitmap.size() != size)
        SheetBitmap = QImage(size, QImage::Format_RGB32);
    // A sheet too large for memory at this zoom stays blank rather than failing.
    if (SheetBitmap.isNull())
        return;
    SheetBitmap.fill(Qt::white);
    QPainter painter(&SheetBitmap);
    Document->DrawElements(painter, ZoomFactor, CurrentSide, CarriedElement());
    drawCutTextMarks(painter);
    renderCarried();
}

void TfrmTabEditor::drawCutTextMarks(QPainter& painter) {
    // Only here, on the screen's sheet: print shows the text as cut, and the mark tells the
    // user so before printing.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(CutTextMarkColor());
    for (int i = 0; i < Document->Count(); ++i) {
        const auto* text = dynamic_cast<const TDocElementTXT*>(Document->Element(i));
        if (!text || text->Side != CurrentSide || text == CarriedElement() || !TextIsCut(*text))
            continue;
        // A small triangle in the box's lower right corner, pointing right.
        const int right = MmToPixel(ZoomFactor, text->Left + std::max(0.0, text->Width));
        const int bottom = MmToPixel(ZoomFactor, text->Top + std::max(0.0, text->Height));
        const int size = 7;
        const QPointF tip(right - 1, bottom - 1 - size / 2);
        const QPointF points[3] = {tip, tip + QPointF(-size, -size / 2.0),
                                   tip + QPointF(-size, size / 2.0)};
        painter.drawPolygon(points, 3);
    }
    painter.restore();
}

QColor TfrmTabEditor::CutTextMarkColor() {
    return QColor(220, 0, 0);
}

void TfrmTabEditor::drawRulers(const TRulerSteps& steps) {
    const double zoom = ZoomFactor;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(9); // 7 pt on the 96-dpi screen

    const QSize topSize(Page->width() + 20, RulerThickness);
    if (TopRulerBitmap.size() != topSize)
        TopRulerBitmap = QImage(topSize, QImage::Format_RGB32);
    TopRulerBitmap.fill(Qt::white);
    {
        QPainter p(&TopRulerBitmap);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.setFont(font);
        const int bottom = topSize.height() - 1;
        const int counts[2] = {steps.Small, steps.Middle};
        const int lengths[2] = {3, 5};
        for (int k = 0; k < 2; ++k) {
            const int n = int(std::trunc(Document->PageWidth / counts[k]));
            for (int i = 0; i <= n; ++i) {
                const int x = MmToPixel(zoom, double(i) * counts[k]);
                p.drawLine(x, bottom, x, bottom - lengths[k] + 1);
            }
        }
        const QFontMetrics fm(font);
        const int n = int(std::trunc(Document->PageWidth / steps.Label));
        for (int i = 0; i <= n; ++i) {
            const int x = MmToPixel(zoom, double(i) * steps.Label);
            p.drawText(x, 1 + fm.ascent(), QString::number(i * steps.Label));
        }
    }

    const QSize sideSize(RulerThickness, Page->height());
    if (SideRulerBitmap.size() != sideSize)
        SideRulerBitmap = QImage(sideSize, QImage::Format_RGB32);
    SideRulerBitmap.fill(Qt::white);
    {
        QPainter p(&SideRulerBitmap);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.setFont(font);
        const int right = sideSize.width() - 1;
        const int counts[2] = {steps.Small, steps.Middle};
        const int lengths[2] = {3, 5};
        for (int k = 0; k < 2; ++k) {
            const int n = int(std::trunc(Document->PageHeight / counts[k]));
            for (int i = 0; i <= n; ++i) {
                const int y = MmToPixel(zoom, double(i) * counts[k]);
                p.drawLine(right, y, right - lengths[k] + 1, y);
            }
        }
        // The labels run down from their tick, turned a quarter right: upright, "100" would
        // be wider than the space left of the ticks.
        const QFontMetrics fm(font);
        const int n = int(std::trunc(Document->PageHeight / steps.Label));
        for (int i = 0; i <= n; ++i) {
            const int y = MmToPixel(zoom, double(i) * steps.Label);
            p.save();
            p.translate(1 + fm.descent(), y + 1);
            p.rotate(90);
            p.drawText(0, 0, QString::number(i * steps.Label));
            p.restore();
        }
    }
}

void TfrmTabEditor::FormPaint() {
    PagePaint();
}

void TfrmTabEditor::PagePaint() {
    // Only the copies of the three images and the frame: cheap enough for every drag step.
    RulerAtTop->update();
    RulerAtSide->update();
    Page->update();
    updateUndoButtons();
}

void TfrmTabEditor::PageFullRefresh() {
    MyMemoryBitmapPaint();
    PagePaint();
}

void TfrmTabEditor::PaintPage(QPainter& painter, const QRect& exposed) {
    // Only what needs repainting: a carried element's step exposes two small rectangles.
    const QRect area = exposed.isValid() ? exposed : Page->rect();
    painter.drawImage(area.topLeft(), SheetBitmap, area);
    if (SheetBitmap.width() < Page->width() || SheetBitmap.height() < Page->height()) {
        // The page was resized after the last rebuild; keep the rest white.
        painter.fillRect(QRect(SheetBitmap.width(), 0, Page->width(), Page->height()), Qt::white);
        painter.fillRect(QRect(0, SheetBitmap.height(), Page->width(), Page->height()), Qt::white);
    }
    if (CarriedElement() && !m_carriedImage.isNull())
        painter.drawImage(CarriedRect().topLeft(), m_carriedImage);
    Document->DrawSelection(painter, ZoomFactor);
}

void TfrmTabEditor::PaintTopRuler(QPainter& painter) {
    painter.fillRect(RulerAtTop->rect(), Qt::white);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(1, 1 + QFontMetrics(font).ascent(), QStringLiteral("mm"));
    const int scrollX = ScrollBox->horizontalScrollBar()->value();
    painter.drawImage(QPoint(RulerThickness, 0), TopRulerBitmap,
                      QRect(scrollX, 0, RulerAtTop->width(), RulerAtTop->height()));
}

void TfrmTabEditor::PaintSideRuler(QPainter& painter) {
    painter.fillRect(RulerAtSide->rect(), Qt::white);
    const int scrollY = ScrollBox->verticalScrollBar()->value();
    painter.drawImage(QPoint(0, 0), SideRulerBitmap,
                      QRect(0, scrollY, RulerAtSide->width(), RulerAtSide->height()));
}

void TfrmTabEditor::FormResize() {
    const int index = ZoomComboBox->currentIndex();
    if (index >= 0 && index <= 2)
        ZoomfeldChange();
}

void TfrmTabEditor::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The scroll box gets its new size from the layout only when it runs.
    if (layout())
        layout()->activate();
    FormResize();
}

void TfrmTabEditor::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!m_shownOnce) {
        m_shownOnce = true;
        QSignalBlocker block(ZoomComboBox);
        ZoomComboBox->setCurrentIndex(0);
    }
}

bool TfrmTabEditor::event(QEvent* e) {
    // The long part of a hint goes to the editor's own status bar.
    if (e->type() == QEvent::StatusTip) {
        StatusBar->showMessage(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QWidget::event(e);
}

bool TfrmTabEditor::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ZoomComboBox && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ZoomfeldChange();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TfrmTabEditor::SpeedButtonObjectInspectorClick() {
    if (!Inspector)
        return;
    if (Inspector->isVisible())
        Inspector->hide();
    else
        Inspector->show();
}
