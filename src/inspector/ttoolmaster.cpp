#include "inspector/ttoolmaster.h"

#include "document/barcode.h"
#include "ui/globals.h"
#include "document/textfit.h"
#include "document/units.h"
#include "editor/undokeys.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/numberformat.h"
#include "inspector/tfilter.h"
#include "inspector/ttoolsubformbar.h"
#include "inspector/ttoolsubformtxt.h"
#include "inspector/ttoolsubformwmf.h"
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QToolButton>
#include <cmath>
#include <utility>

namespace {

// The text the placeholders of macroText give with the current text blocks and address,
// exactly as "Textbausteine zuweisen" fills it.
QString filledBarcode(const QString& macroText) {
    bool cut = false;
    return FillBarcodeContent(macroText, CurrentPlaceholderValues(),
                              Document ? Document->SkipEmpty : false, &cut);
}

QString filledText(const QString& macroText) {
    TAppDocument scratch(false);
    auto element = std::make_unique<TDocElementTXT>();
    element->MacroText = macroText;
    TDocElementTXT* raw = element.get();
    scratch.InsertElement(0, std::move(element));
    scratch.FillPlaceholders(CurrentPlaceholderValues());
    return raw->Text;
}

// Language texts replace the built-in ones only when a full language file is loaded.
constexpr int kLanguageThreshold = 100;

// Truncated to hundredths, as the proportional rule compares sizes.
long long hundredths(double v) {
    return (long long)(std::trunc(v * 100));
}

} // namespace

TToolMaster::TToolMaster(QWidget* parent) : TInspectorLink(parent) {
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Objekt-Inspektor"));

    MainPanel = new QWidget(this);
    MainPanel->setFixedWidth(169);
    MainPanel->setMinimumHeight(80);
    ChildPanel = new QWidget(this);
    // The window too: no bare grey shows where a page is lower or higher than the fields.
    for (QWidget* panel : {static_cast<QWidget*>(this), MainPanel, ChildPanel}) {
        panel->setAutoFillBackground(true);
        if (FormColor.isValid()) {
            QPalette pal = panel->palette();
            pal.setColor(QPalette::Window, FormColor);
            panel->setPalette(pal);
        }
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The fields panel runs down beside the taller text page; its fields stay at the top.
    layout->addWidget(MainPanel);
    layout->addWidget(ChildPanel, 1);
    buildMainPanel();

    FontDialog = new QFontDialog(this);
    ColorDialog = new QColorDialog(this);
    ColorDialog->setOptions(QColorDialog::DontUseNativeDialog);

    TextPage = new TtoolSubFormTXT;
    TextPageSize = TextPage->size();
    TextPage->FillFontList();
    EmbedForm(ChildPanel, TextPage);
    connectTextPage();

    GraphicPage = new TtoolSubFormWMF;
    GraphicPageSize = GraphicPage->size();
    for (QToolButton* b :
         {GraphicPage->SpBSpiegelnHor, GraphicPage->SpBSpiegelnVer, GraphicPage->SpBtnAngle180,
          GraphicPage->Filter, GraphicPage->SpBtnFLFarbe, GraphicPage->SpBtnSTFarbe}) {
        connect(b, &QToolButton::clicked, this, [this, b] { TtoolSubFormWMFChangeClick(b); });
    }
    connect(GraphicPage->SpinStrich, &TUpDown::Changing, this,
            [this] { TtoolSubFormWMFChanging(GraphicPage->SpinStrich); });
    EmbedForm(ChildPanel, GraphicPage);

    BarcodePage = new TtoolSubFormBAR;
    BarcodePageSize = BarcodePage->size();
    EmbedForm(ChildPanel, BarcodePage);
    connectBarcodePage();

    // Enter is seen before the focused field gets it, also on the docked pages.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    TextPage->hide();
    GraphicPage->hide();
    BarcodePage->hide();
    m_toggle = nullptr;
    setClientSize(370, 80);
    SetReference(nullptr);
}

TToolMaster::~TToolMaster() {
    // The fields lose the keyboard while the widgets above this one close them; what they
    // then report must not reach this half-destroyed inspector.
    m_ready = false;
    m_reference = nullptr;
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        disconnect(edit, nullptr, this, nullptr);
    if (m_ownsFilter && ::Filter) {
        delete ::Filter;
        ::Filter = nullptr;
    }
}

void TToolMaster::buildMainPanel() {
    auto edit = [this](const QString& hint, int x, int y) {
        auto* e = new QLineEdit(MainPanel);
        e->setGeometry(x, y, 60, 22);
        e->setAlignment(Qt::AlignRight);
        e->setText(QStringLiteral("0"));
        e->setProperty("helpContext", 404);
        SetHint(e, hint);
        return e;
    };
    auto spin = [this](QLineEdit* e) {
        auto* u = new TUpDown(MainPanel);
        u->Min = -1000;
        u->Max = 1000;
        u->Wrap = true;
        u->setGeometry(e->geometry().right() + 1, e->geometry().top(), 16, 22);
        connect(u, &TUpDown::Click, this, [this, u](bool up) { SpinClick(u, up); });
        return u;
    };
    EditLeft = edit(QStringLiteral("Abstand von links in mm"), 4, 4);
    EditTop = edit(QStringLiteral("Abstand von oben in mm"), 86, 4);
    EditWidth = edit(QStringLiteral("Breite in mm"), 4, 30);
    EditHeight = edit(QStringLiteral("Höhe in mm"), 86, 30);
    SpinLeft = spin(EditLeft);
    SpinTop = spin(EditTop);
    SpinWidth = spin(EditWidth);
    SpinHeight = spin(EditHeight);

    auto button = [this](const QString& caption, const QString& hint, int x, int w) {
        auto* b = new QToolButton(MainPanel);
        b->setText(caption);
        b->setGeometry(x, 56, w, 22);
        SetHint(b, hint);
        return b;
    };
    SpeedButtonOneZero =
        button(QStringLiteral("1.0"), QStringLiteral("Schrittweite 1.0 mm"), 4, 30);
    SpeedButtonZeroOne =
        button(QStringLiteral("0.1"), QStringLiteral("Schrittweite 0.1 mm"), 35, 30);
    auto* steps = new QButtonGroup(this);
    for (QToolButton* b : {SpeedButtonOneZero, SpeedButtonZeroOne}) {
        b->setCheckable(true);
        steps->addButton(b);
    }
    steps->setExclusive(true);
    SpeedButtonOneZero->setChecked(true);
    Proportbutton = button(QStringLiteral("]"), QStringLiteral("Proportionalität ein/aus"), 72, 22);
    Proportbutton->setCheckable(true);
    Proportbutton->setChecked(true);
    ApplyBtn = button(QStringLiteral("\u2714"), QStringLiteral("Übernehmen"), 108, 26);
    CancelBtn = button(QStringLiteral("\u2718"), QStringLiteral("Rückgängig"), 137, 26);
    ApplyBtn->setStyleSheet(QStringLiteral("color: #008000; font-weight: bold;"));
    CancelBtn->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    connect(ApplyBtn, &QToolButton::clicked, this, &TToolMaster::ApplyBtnClick);
    connect(CancelBtn, &QToolButton::clicked, this, &TToolMaster::CancelBtnClick);

    SpeedButtonFullRefresh = new QToolButton(MainPanel);
    SpeedButtonFullRefresh->hide();
    connect(SpeedButtonFullRefresh, &QToolButton::clicked, this, [this] {
        if (m_refresh)
            m_refresh();
    });
}

void TToolMaster::connectTextPage() {
    TtoolSubFormTXT* p = TextPage;
    connect(p->FontCombo, &QComboBox::currentIndexChanged, this, [this] { ApplyBtnClick(); });
    connect(p->ColorGrid, &TColorGrid::Change, this, &TToolMaster::ApplyBtnClick);
    for (QToolButton* b :
         {p->SpBtnFontBold, p->SpBtnFontItalic, p->SpBtnFontUnderline, p->SpBtnFontStrikeout,
          p->SpBtnTextHorLeft, p->SpBtnTextHorCenter, p->SpBtnTextHorRight}) {
        connect(b, &QToolButton::clicked, this, &TToolMaster::ApplyBtnClick);
    }
    // The placeholder field's check mark also fills the text from it.
    connect(p->ApplyBtn, &QToolButton::clicked, this, [this] {
        m_fillRequested = true;
        ApplyBtnClick();
    });
    // Leaving a text field applies what was typed there.
    for (QLineEdit* edit : {p->EditTextCont, p->EditTextMakro})
        connect(edit, &QLineEdit::editingFinished, this, [this] { applyPendingEdits(); });
    for (TUpDown* u : {p->SpinFontSize, p->SpinAngle, p->SpinShadowX, p->SpinShadowY})
        connect(u, &TUpDown::Click, this, [this, u](bool up) { SpinClick(u, up); });
    connect(p->SpBtnFontDialog, &QToolButton::clicked, this,
            &TToolMaster::ToolSubFormTXTSpBtnFontDialogClick);
    connect(p->SpBtnShadow, &QToolButton::clicked, this,
            &TToolMaster::TtoolSubFormTXTSpBtnShadowClick);
    for (QToolButton* b : {p->SpBtnAngleMinus90, p->SpBtnAngle0, p->SpBtnAngle90, p->SpBtnAngle180})
        connect(b, &QToolButton::clicked, this, [this, b] { TtoolSubFormTXTSpBtnAngleClick(b); });
}

void TToolMaster::setClientSize(int width, int height) {
    setFixedSize(width, height);
}

void TToolMaster::SetFullRefresh(std::function<void()> refresh) {
    m_refresh = std::move(refresh);
}

void TToolMaster::SetToggleButton(QAbstractButton* button) {
    m_toggle = button;
}

bool TToolMaster::Proportional() const {
    return Proportbutton->isChecked();
}

void TToolMaster::fullRefresh() {
    SpeedButtonFullRefresh->click();
}

int TToolMaster::referenceIndex() const {
    if (!m_reference || !Document)
        return -1;
    // Compared by address only: the element may have been removed meanwhile.
    for (int i = 0; i < Document->Count(); ++i) {
        if (Document->Element(i) == m_reference)
            return i;
    }
    return -1;
}

QStringList TToolMaster::editTexts() const {
    QStringList texts;
    for (const QLineEdit* edit :
         {EditLeft, EditTop, EditWidth, EditHeight, TextPage->EditTextCont, TextPage->EditTextMakro,
          TextPage->EditFontSize, TextPage->EditAngle, TextPage->EditShadowX,
          TextPage->EditShadowY})
        texts << edit->text();
    texts << BarcodePage->EditContent->toPlainText();
    return texts;
}

bool TToolMaster::hasPendingEdits() const {
    return m_ready && m_reference && editTexts() != m_shownTexts;
}

void TToolMaster::applyPendingEdits() {
    if (hasPendingEdits() && referenceIndex() >= 0)
        ApplyBtnClick();
}

void TToolMaster::SetReference(TDocElement* element) {
    // Typed text that was not applied yet belongs to the element shown so far.
    applyPendingEdits();
    m_reference = element;
    UpdateFromReference();
}

void TToolMaster::UpdateFromReference() {
    m_ready = false;
    TDocElement* e = m_reference;
    if (e) {
        auto* text = dynamic_cast<TDocElementTXT*>(e);
        auto* graphic = dynamic_cast<TDocElementWMF*>(e);
        auto* bar = dynamic_cast<TDocElementBAR*>(e);
        if (!BarcodePage->isHidden() && !bar)
            BarcodePage->hide();
        if (!TextPage->isHidden() && !text)
            TextPage->hide();
        if (!GraphicPage->isHidden() && !graphic)
            GraphicPage->hide();
        EditLeft->setText(FormatMm(e->Left));
        EditTop->setText(FormatMm(e->Top));
        EditWidth->setText(FormatMm(e->Width));
        EditHeight->setText(FormatMm(e->Height));
        if (text) {
            TextPage->FillFromElement(*text);
            setClientSize(MainPanel->width() + TextPageSize.width(), TextPageSize.height());
            TextPage->show();
        } else if (graphic) {
            setClientSize(MainPanel->width() + GraphicPageSize.width(), GraphicPageSize.height());
            GraphicPage->PrepareFor(*graphic);
            GraphicPage->show();
        } else if (bar) {
            BarcodePage->FillFromElement(*bar);
            setClientSize(MainPanel->width() + BarcodePageSize.width(), BarcodePageSize.height());
            BarcodePage->show();
        }
    } else {
        for (QLineEdit* edit : {EditLeft, EditTop, EditWidth, EditHeight})
            edit->setText(QStringLiteral("-"));
        TextPage->hide();
        GraphicPage->hide();
        BarcodePage->hide();
        // Only the fields: no empty page area beside them.
        setClientSize(MainPanel->width(), GraphicPageSize.height());
    }
    m_shownTexts = editTexts();
    m_ready = true;
}

void TToolMaster::CancelBtnClick() {
    UpdateFromReference();
}

void TToolMaster::SpinClick(QObject* sender, bool up) {
    QLineEdit* edit = nullptr;
    if (sender == SpinLeft)
        edit = EditLeft;
    else if (sender == SpinTop)
        edit = EditTop;
    else if (sender == SpinWidth)
        edit = EditWidth;
    else if (sender == SpinHeight)
        edit = EditHeight;
    if (edit) {
        if (const auto v = ParseNumber(edit->text())) {
            const double step = SpeedButtonOneZero->isChecked() ? 1.0 : 0.1;
            edit->setText(FormatMm(up ? *v + step : *v - step));
        }
    }
    ApplyBtnClick();
}

void TToolMaster::ApplyBtnClick() {
    const bool fillRequested = std::exchange(m_fillRequested, false);
    if (!m_ready || !m_reference)
        return;
    const int index = referenceIndex();
    if (Document && index < 0) {
        // The element is gone (undone, erased): nothing to write into.
        m_reference = nullptr;
        return;
    }
    TDocElement* e = m_reference;
    auto* text = dynamic_cast<TDocElementTXT*>(e);
    auto* bar = dynamic_cast<TDocElementBAR*>(e);

    // The four lengths first: a refused one is named and keeps its value.
    struct Field {
        QLineEdit* edit;
        const char* name;
        double current;
        std::optional<double> value;
    } fields[] = {{EditLeft, "Links", e->Left, {}},
                  {EditTop, "Oben", e->Top, {}},
                  {EditWidth, "Breite", e->Width, {}},
                  {EditHeight, "Höhe", e->Height, {}}};
    QStringList refused;
    for (Field& f : fields) {
        // A length as it was shown keeps the element's exact value: the shown one is rounded,
        // and taking it would change the size (and with proportions the other side) although
        // the user changed nothing there.
        if (f.edit->text() == FormatMm(f.current)) {
            f.value = f.current;
            continue;
        }
        QString reason;
        f.value = ParseMillimetres(f.edit->text(), &reason);
        if (!f.value) {
            refused << QStringLiteral("%1: %2").arg(QString::fromUtf8(f.name), reason);
            f.edit->setText(FormatMm(f.current));
        }
    }

    if (Document) {
        if (text || bar) {
            Document->InsertUndo(QString::number(index), std::shared_ptr<TDocElement>(e->Clone()));
        } else {
            // The same geometry record a move with the mouse writes.
            Document->InsertUndo(GeometryUndoKey(index, e->Left, e->Top, e->Width, e->Height));
        }
    }
    const double oldWidth = e->Width;
    const double oldHeight = e->Height;
    if (fields[0].value)
        e->Left = *fields[0].value;
    if (fields[1].value)
        e->Top = *fields[1].value;
    if (fields[2].value)
        e->Width = *fields[2].value;
    if (fields[3].value)
        e->Height = *fields[3].value;
    if (Proportbutton->isChecked()) {
        // A side of 0 has no proportion to keep; the sizes are then taken as typed.
        if (hundredths(e->Width) != hundredths(oldWidth) && oldWidth != 0) {
            e->Height = oldHeight * e->Width / oldWidth;
            EditHeight->setText(FormatMm(e->Height));
        }
        if (hundredths(e->Height) != hundredths(oldHeight) && oldHeight != 0) {
            e->Width = oldWidth * e->Height / oldHeight;
            EditWidth->setText(FormatMm(e->Width));
        }
    }
    if (text) {
        const QString macroBefore = text->MacroText;
        TextPage->WriteToElement(*text);
        // A new or confirmed placeholder text shows at once what it stands for.
        if (!text->MacroText.isEmpty() && (fillRequested || text->MacroText != macroBefore)) {
            text->Text = filledText(text->MacroText);
            TextPage->EditTextCont->setText(text->Text);
        }
        // A size typed by hand is kept from now on; a new box otherwise grows with its text,
        // in the same undo step as the text.
        const bool sizedByHand =
            hundredths(e->Width) != hundredths(oldWidth) || hundredths(e->Height) != hundredths(oldHeight);
        if (sizedByHand) {
            text->GrowsWithText = false;
        } else if (text->GrowsWithText && GrowBoxToText(*text)) {
            EditWidth->setText(FormatMm(e->Width));
            EditHeight->setText(FormatMm(e->Height));
        }
    }
    if (bar) {
        BarcodePage->WriteToElement(*bar);
        if (!bar->MacroText.isEmpty())
            bar->Text = filledBarcode(bar->MacroText);
        BarcodePage->ShowProblem(*bar);
    }
    m_shownTexts = editTexts();
    if (Document)
        Document->Modified = true;
    fullRefresh();
    if (!refused.isEmpty())
        showError(refused.join(QLatin1Char('\n')) +
                  QStringLiteral("\nDiese Werte bleiben wie zuvor."));
}

void TToolMaster::connectBarcodePage() {
    connect(BarcodePage, &TtoolSubFormBAR::Changed, this, [this] { applyBarcodePage(0); });
    connect(BarcodePage, &TtoolSubFormBAR::Turn, this,
            [this](int quarters) { applyBarcodePage(quarters); });
}

void TToolMaster::applyBarcodePage(int quarterTurns) {
    auto* bar = dynamic_cast<TDocElementBAR*>(m_reference);
    if (!m_ready || !bar)
        return;
    const int index = referenceIndex();
    if (Document && index < 0) {
        m_reference = nullptr;
        return;
    }
    if (Document)
        Document->InsertUndo(QString::number(index), std::shared_ptr<TDocElement>(bar->Clone()));
    BarcodePage->WriteToElement(*bar);
    if (!bar->MacroText.isEmpty())
        bar->Text = filledBarcode(bar->MacroText);
    if (quarterTurns != 0) {
        // The box turns about its centre with the symbol.
        bar->Turns = std::uint8_t(((bar->Turns + quarterTurns) % 4 + 4) % 4);
        const double cx = bar->Left + bar->Width / 2, cy = bar->Top + bar->Height / 2;
        std::swap(bar->Width, bar->Height);
        bar->Left = cx - bar->Width / 2;
        bar->Top = cy - bar->Height / 2;
    }
    if (Document)
        Document->Modified = true;
    UpdateFromReference();
    fullRefresh();
}

bool TToolMaster::FormKeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    // Return in the placeholder field does what its check mark does.
    m_fillRequested = focusWidget() == TextPage->EditTextMakro;
    ApplyBtnClick();
    return true;
}

bool TToolMaster::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only the inspector's own window: its font and colour dialogs keep their Enter.
    if (event->type() == QEvent::KeyPress && widget && widget->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A drop-down list that is open keeps its own Enter.
        auto* combo = qobject_cast<QComboBox*>(watched);
        if (!(combo && combo->view() && combo->view()->isVisible()) && FormKeyDown(key->key()))
            return true;
    }
    return TInspectorLink::eventFilter(watched, event);
}

void TToolMaster::TtoolSubFormTXTSpBtnAngleClick(QObject* sender) {
    QString angle;
    if (sender == TextPage->SpBtnAngle0)
        angle = QStringLiteral("0");
    else if (sender == TextPage->SpBtnAngle90)
        angle = QStringLiteral("90");
    else if (sender == TextPage->SpBtnAngle180)
        angle = QStringLiteral("180");
    else if (sender == TextPage->SpBtnAngleMinus90)
        angle = QStringLiteral("-90");
    else
        return;
    TextPage->EditAngle->setText(angle);
    ApplyBtnClick();
}

void TToolMaster::TtoolSubFormTXTSpBtnShadowClick() {
    const bool on = TextPage->SpBtnShadow->isChecked();
    TextPage->EnableShadowControls(on);
    // The apply records the undo copy first and then writes the button's state into the
    // element; setting it here already would leave the copy with the new state.
    ApplyBtnClick();
}

void TToolMaster::ToolSubFormTXTSpBtnFontDialogClick() {
    if (auto* text = dynamic_cast<TDocElementTXT*>(m_reference)) {
        // The dialog lists installed families only: it opens on the one that draws the
        // element's font ("Arial" is drawn by its stand-in), in the element's style and size.
        const QString own = text->FontName;
        const QString shown = QFontInfo(QFont(own)).family();
        const int points = std::max(1, int(std::nearbyint(text->FontSize / 10.0)));
        QFont font(shown.isEmpty() ? own : shown);
        font.setPointSize(points);
        font.setBold(text->FontStyle & fsBold);
        font.setItalic(text->FontStyle & fsItalic);
        font.setUnderline(text->FontStyle & fsUnderline);
        font.setStrikeOut(text->FontStyle & fsStrikeOut);
        FontDialog->setCurrentFont(font);
        if (ExecDialog(*FontDialog) == QDialog::Accepted) {
            const QFont chosen = FontDialog->currentFont();
            {
                // One user action, one undo entry: the apply below writes the font.
                const QSignalBlocker block(TextPage->FontCombo);
                // The stand-in chosen means the element's own font, whose name is kept.
                const bool same = chosen.family().compare(shown, Qt::CaseInsensitive) == 0 ||
                                  chosen.family().compare(own, Qt::CaseInsensitive) == 0;
                TextPage->SelectFont(same ? own : chosen.family());
            }
            // A size left as it was keeps the element's tenths (the dialog knows whole points).
            const int chosenPoints =
                chosen.pointSize() > 0 ? chosen.pointSize() : int(chosen.pointSizeF());
            if (chosenPoints != points)
                TextPage->EditFontSize->setText(QString::number(chosenPoints));
            TextPage->SpBtnFontBold->setChecked(chosen.bold());
            TextPage->SpBtnFontItalic->setChecked(chosen.italic());
            TextPage->SpBtnFontUnderline->setChecked(chosen.underline());
            TextPage->SpBtnFontStrikeout->setChecked(chosen.strikeOut());
            // The platform's font dialog has no colour; the text colour stays as it is.
            TextPage->SelectGridColor(text->FontColor, false);
        }
    }
    ApplyBtnClick();
}

void TToolMaster::showEvent(QShowEvent* event) {
    applyLanguage();
    if (m_toggle)
        m_toggle->setChecked(true);
    TInspectorLink::showEvent(event);
}

void TToolMaster::hideEvent(QHideEvent* event) {
    if (m_toggle)
        m_toggle->setChecked(false);
    TInspectorLink::hideEvent(event);
}

void TToolMaster::applyLanguage() {
    if (LangStrings.size() <= kLanguageThreshold)
        return;
    auto t = [](int key) { return LangText(QString::number(key)); };
    setWindowTitle(t(82));
    const std::pair<QWidget*, int> hints[] = {
        {ApplyBtn, 91},
        {CancelBtn, 92},
        {SpeedButtonOneZero, 93},
        {SpeedButtonZeroOne, 94},
        {Proportbutton, 95},
        {EditLeft, 96},
        {EditTop, 97},
        {EditWidth, 98},
        {EditHeight, 99},
        {TextPage->EditTextCont, 100},
        {TextPage->FontCombo, 103},
        {TextPage->SpBtnAngleMinus90, 104},
        {TextPage->SpBtnAngle0, 105},
        {TextPage->SpBtnAngle90, 106},
        {TextPage->SpBtnAngle180, 107},
        {TextPage->EditAngle, 108},
        {TextPage->EditFontSize, 109},
        {TextPage->SpBtnFontBold, 110},
        {TextPage->SpBtnFontItalic, 111},
        {TextPage->SpBtnFontUnderline, 112},
        {TextPage->SpBtnFontStrikeout, 113},
        {TextPage->ColorGrid, 114},
        {TextPage->SpBtnShadow, 117},
        {TextPage->EditShadowX, 118},
        {TextPage->EditShadowY, 119},
        {TextPage->SpBtnTextHorLeft, 120},
        {TextPage->SpBtnTextHorCenter, 121},
        {TextPage->SpBtnTextHorRight, 122},
        {TextPage->SpBtnFontDialog, 123},
    };
    for (const auto& [widget, key] : hints)
        SetHint(widget, t(key));
}

void TToolMaster::showError(const QString& message) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    ExecDialog(box);
}
