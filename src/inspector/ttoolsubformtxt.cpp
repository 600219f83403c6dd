#include "inspector/ttoolsubformtxt.h"

#include "document/docelement.h"
#include "ui/globals.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/numberformat.h"
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <cmath>

namespace {

QToolButton* toolButton(QWidget* parent, const QString& caption, const QString& hint,
                        const QRect& geometry, bool checkable) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setCheckable(checkable);
    b->setAutoRaise(false);
    b->setGeometry(geometry);
    SetHint(b, hint);
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const QString& hint, const QRect& geometry, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setGeometry(geometry);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    SetHint(e, hint);
    return e;
}

TUpDown* upDown(QWidget* parent, QLineEdit* buddy, int min, int max) {
    auto* u = new TUpDown(parent);
    u->Min = min;
    u->Max = max;
    u->Associate = buddy;
    const QRect g = buddy->geometry();
    u->setGeometry(g.right() + 1, g.top(), 16, g.height());
    return u;
}

// The edit shows the value itself, also beyond the up-down's range, so that an apply
// without change never alters the element.
void showInteger(TUpDown* upDown, int value) {
    upDown->SetPosition(value);
    upDown->Associate->setText(QString::number(value));
}

// Values kept in tenths show their tenth too ("12.5"): shown as whole units, an apply of
// an unchanged page made 12.5 points 12.
void showTenths(TUpDown* upDown, int tenths) {
    upDown->SetPosition(tenths / 10);
    upDown->Associate->setText(FormatTenths(tenths));
}

// A shadow offset as its edit shows it: whole millimetres, or the value as kept.
QString shadowText(double mm) {
    const double v = std::clamp(mm, -1e6, 1e6);
    return v == std::trunc(v) ? QString::number(v, 'f', 0) : QString::number(v, 'g', 6);
}

} // namespace

TtoolSubFormTXT::TtoolSubFormTXT(QWidget* parent) : QWidget(parent) {
    setFixedSize(329, 148);
    setAutoFillBackground(true);
    QPalette pal = palette();
    if (FormColor.isValid())
        pal.setColor(QPalette::Window, FormColor);
    setPalette(pal);

    EditTextCont = lineEdit(this, QStringLiteral("Text-Eingabefeld"), QRect(4, 4, 321, 22), 0);
    EditTextMakro =
        lineEdit(this, QStringLiteral("Textbausteine-Eingabefeld"), QRect(4, 28, 293, 22), 0);
    ApplyBtn = toolButton(this, QStringLiteral("\u2714"), QStringLiteral("Übernehmen"),
                          QRect(299, 28, 26, 22), false);

    // The register strip: two click areas and the red bar under the open page.
    Label2 = new QLabel(QStringLiteral("Schrift"), this);
    Label2->setGeometry(30, 52, 112, 18);
    Label2->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(QStringLiteral("Farbe"), this);
    Label1->setGeometry(164, 52, 106, 18);
    Label1->setAlignment(Qt::AlignCenter);
    for (QLabel* l : {Label1, Label2}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    Slider = new QWidget(this);
    Slider->setAutoFillBackground(true);
    QPalette red = Slider->palette();
    red.setColor(QPalette::Window, Qt::red);
    Slider->setPalette(red);

    Notebook = new QStackedWidget(this);
    Notebook->setGeometry(0, 74, 329, 74);
    auto* schrift = new QWidget(Notebook);
    auto* farbe = new QWidget(Notebook);
    Notebook->addWidget(schrift);
    Notebook->addWidget(farbe);

    // Page "Schrift"
    FontCombo = new QComboBox(schrift);
    FontCombo->setGeometry(4, 2, 150, 22);
    FontCombo->setEditable(false);
    FontCombo->setMaxVisibleItems(20);
    SetHint(FontCombo, QStringLiteral("Schriftenauswahl"));
    FontCombo->setProperty("helpContext", 416);
    EditFontSize = lineEdit(schrift, QStringLiteral("Schriftgröße"), QRect(158, 2, 38, 22), 5);
    EditFontSize->setProperty("helpContext", 417);
    SpinFontSize = upDown(schrift, EditFontSize, 0, 999);
    SpBtnFontBold = toolButton(schrift, QStringLiteral("F"), QStringLiteral("Fett an/aus"),
                               QRect(220, 2, 24, 22), true);
    SpBtnFontItalic = toolButton(schrift, QStringLiteral("K"), QStringLiteral("Kursiv an/aus"),
                                 QRect(246, 2, 24, 22), true);
    SpBtnFontUnderline =
        toolButton(schrift, QStringLiteral("U"), QStringLiteral("Unterstrichen an/aus"),
                   QRect(272, 2, 24, 22), true);
    SpBtnFontStrikeout =
        toolButton(schrift, QStringLiteral("D"), QStringLiteral("Durchgestrichen an/aus"),
                   QRect(298, 2, 24, 22), true);
    QFont f = SpBtnFontBold->font();
    f.setBold(true);
    SpBtnFontBold->setFont(f);
    f = SpBtnFontItalic->font();
    f.setItalic(true);
    SpBtnFontItalic->setFont(f);
    f = SpBtnFontUnderline->font();
    f.setUnderline(true);
    SpBtnFontUnderline->setFont(f);
    f = SpBtnFontStrikeout->font();
    f.setStrikeOut(true);
    SpBtnFontStrikeout->setFont(f);

    SpBtnAngleMinus90 = toolButton(schrift, QStringLiteral("-90°"),
                                   QStringLiteral("Drehung auf -90°"), QRect(4, 28, 34, 22), false);
    SpBtnAngle0 = toolButton(schrift, QStringLiteral("0°"), QStringLiteral("Drehung auf 0°"),
                             QRect(39, 28, 30, 22), false);
    SpBtnAngle90 = toolButton(schrift, QStringLiteral("90°"), QStringLiteral("Drehung auf 90°"),
                              QRect(70, 28, 32, 22), false);
    SpBtnAngle180 = toolButton(schrift, QStringLiteral("180°"), QStringLiteral("Drehung auf 180°"),
                               QRect(103, 28, 36, 22), false);
    EditAngle = lineEdit(schrift, QStringLiteral("Drehwinkel in °"), QRect(142, 28, 38, 22), 6);
    EditAngle->setProperty("helpContext", 418);
    SpinAngle = upDown(schrift, EditAngle, -180, 180);

    SpBtnTextHorLeft = toolButton(schrift, QStringLiteral("\u2261L"), QStringLiteral("linksbündig"),
                                  QRect(202, 28, 28, 22), true);
    SpBtnTextHorCenter = toolButton(schrift, QStringLiteral("\u2261M"), QStringLiteral("mittig"),
                                    QRect(231, 28, 28, 22), true);
    SpBtnTextHorRight = toolButton(schrift, QStringLiteral("\u2261R"),
                                   QStringLiteral("rechtsbündig"), QRect(260, 28, 28, 22), true);
    for (QToolButton* b : {SpBtnTextHorLeft, SpBtnTextHorCenter, SpBtnTextHorRight})
        connect(b, &QToolButton::clicked, this, [this, b] { alignClicked(b); });
    SpBtnTextVerTop = toolButton(schrift, QString(), QString(), QRect(0, 0, 1, 1), true);
    SpBtnTextVerBottom = toolButton(schrift, QString(), QString(), QRect(0, 0, 1, 1), true);
    SpBtnTextVerTop->hide();
    SpBtnTextVerBottom->hide();
    SpBtnFontDialog = toolButton(schrift, QStringLiteral("..."), QStringLiteral("Schriftdialog"),
                                 QRect(294, 28, 28, 22), false);

    // Page "Farbe"
    ColorGrid = new TColorGrid(farbe);
    ColorGrid->setGeometry(4, 2, 176, 48);
    SetHint(ColorGrid, QStringLiteral("Farbe für Text und Schatten"));
    ColorGrid->setProperty("helpContext", 402);
    SpBtnShadow =
        toolButton(farbe, QStringLiteral("S"), QStringLiteral("Textschatten hinzufügen/löschen"),
                   QRect(188, 2, 26, 22), true);
    EditShadowX = lineEdit(farbe, QStringLiteral("horizontaler Abstand des Schattens vom Text"),
                           QRect(222, 2, 40, 22), 8);
    SpinShadowX = upDown(farbe, EditShadowX, -333, 333);
    EditShadowY = lineEdit(farbe, QStringLiteral("vertikaler Abstand des Schattens vom Text"),
                           QRect(222, 28, 40, 22), 8);
    SpinShadowY = upDown(farbe, EditShadowY, -333, 333);
    for (QWidget* w : {static_cast<QWidget*>(EditShadowX), static_cast<QWidget*>(EditShadowY)})
        w->setProperty("helpContext", 419);
    auto* xLabel = new QLabel(QStringLiteral("x"), farbe);
    xLabel->setGeometry(282, 2, 20, 22);
    auto* yLabel = new QLabel(QStringLiteral("y"), farbe);
    yLabel->setGeometry(282, 28, 20, 22);

    EditFontSize->setText(QStringLiteral("30"));
    EditAngle->setText(QStringLiteral("0"));
    EditShadowX->setText(QStringLiteral("1"));
    EditShadowY->setText(QStringLiteral("1"));
    EnableShadowControls(false);
    ShowRegister(0);
}

void TtoolSubFormTXT::FillFontList() {
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    const QSignalBlocker block(FontCombo);
    FontCombo->clear();
    FontCombo->addItems(families);
    for (int i = 0; i < FontCombo->count(); ++i)
        FontCombo->setItemData(i, FontCombo->itemText(i), FontNameRole);
    SelectFont(QStringLiteral("Arial"));
}

void TtoolSubFormTXT::SelectFont(const QString& name) {
    // The entry of a replaced font belongs to the element shown before; drop it.
    const int old = FontCombo->findData(true, SubstitutedRole);
    if (old >= 0 && FontCombo->itemData(old, FontNameRole).toString() != name)
        FontCombo->removeItem(old);
    int index = FontCombo->findData(name, FontNameRole, Qt::MatchFixedString);
    if (index < 0 && !name.isEmpty()) {
        // A family that is not installed ("Arial") is drawn in the one the font system puts
        // in its place; list it under its own name, marked as replaced, so that the box
        // shows what the element holds and an apply keeps that name.
        // The narrow box shows the mark only; the entry's tool tip names the replacement.
        const QString shown = QFontInfo(QFont(name)).family();
        const bool replaced = !shown.isEmpty() && shown.compare(name, Qt::CaseInsensitive) != 0;
        const QString text = replaced ? QStringLiteral("%1 (ersetzt)").arg(name) : name;
        index = 0;
        while (index < FontCombo->count() &&
               QString::compare(FontCombo->itemText(index), text, Qt::CaseInsensitive) < 0)
            ++index;
        FontCombo->insertItem(index, text);
        FontCombo->setItemData(index, name, FontNameRole);
        FontCombo->setItemData(index, true, SubstitutedRole);
        if (replaced)
            FontCombo->setItemData(index,
                                   QStringLiteral("„%1“ ist nicht installiert und wird durch „%2“ "
                                                  "ersetzt.")
                                       .arg(name, shown),
                                   Qt::ToolTipRole);
    }
    FontCombo->setCurrentIndex(index);
}

QString TtoolSubFormTXT::SelectedFontName() const {
    const int index = FontCombo->currentIndex();
    if (index < 0)
        return QString();
    const QString name = FontCombo->itemData(index, FontNameRole).toString();
    return name.isEmpty() ? FontCombo->itemText(index) : name;
}

void TtoolSubFormTXT::SelectGridColor(quint32 colour, bool background) {
    // A colour outside the grid stays the element's own: marking grid colour 15 (white)
    // instead made an apply of any other field turn dark text white on the sheet.
    int index = -1;
    for (int i = 0; i < 16; ++i) {
        if (TColorGrid::GridColor(i) == colour) {
            index = i;
            break;
        }
    }
    if (background) {
        ColorGrid->BackgroundIndex = index;
        ColorGrid->OwnBackground = colour;
    } else {
        ColorGrid->ForegroundIndex = index;
        ColorGrid->OwnForeground = colour;
    }
    ColorGrid->update();
}

void TtoolSubFormTXT::ShowRegister(int page) {
    Notebook->setCurrentIndex(page == 1 ? 1 : 0);
    if (page == 1)
        Slider->setGeometry(4 + 160, 70, 106, 3);
    else
        Slider->setGeometry(4 + 26, 70, 112, 3);
}

int TtoolSubFormTXT::Register() const {
    return Notebook->currentIndex();
}

bool TtoolSubFormTXT::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Label2) {
            ShowRegister(0);
            return true;
        }
        if (watched == Label1) {
            ShowRegister(1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TtoolSubFormTXT::alignClicked(QToolButton* button) {
    // One exclusive group in which the pressed button may also be released.
    if (!button->isChecked())
        return;
    for (QToolButton* b : {SpBtnTextHorLeft, SpBtnTextHorCenter, SpBtnTextHorRight}) {
        if (b != button)
            b->setChecked(false);
    }
}

void TtoolSubFormTXT::EnableShadowControls(bool on) {
    EditShadowX->setEnabled(on);
    EditShadowY->setEnabled(on);
    SpinShadowX->setEnabled(on);
    SpinShadowY->setEnabled(on);
    ColorGrid->BackgroundEnabled = on;
    ColorGrid->update();
}

void TtoolSubFormTXT::FillFromElement(const TDocElementTXT& e) {
    EditTextCont->setText(e.Text);
    EditTextMakro->setText(e.MacroText);
    {
        const QSignalBlocker block(FontCombo);
        SelectFont(e.FontName);
    }
    showTenths(SpinFontSize, e.FontSize);
    SpBtnFontBold->setChecked(e.FontStyle & fsBold);
    SpBtnFontItalic->setChecked(e.FontStyle & fsItalic);
    SpBtnFontUnderline->setChecked(e.FontStyle & fsUnderline);
    SpBtnFontStrikeout->setChecked(e.FontStyle & fsStrikeOut);
    SpBtnTextHorLeft->setChecked(e.AlignH == 0);
    SpBtnTextHorCenter->setChecked(e.AlignH == 1);
    SpBtnTextHorRight->setChecked(e.AlignH == 2);
    SpBtnTextVerTop->setChecked(e.AlignV == 0);
    SpBtnTextVerBottom->setChecked(e.AlignV == 2);
    showTenths(SpinAngle, e.Angle);
    SelectGridColor(e.FontColor, false);
    SpBtnShadow->setChecked(e.Shadow);
    EnableShadowControls(e.Shadow);
    SpinShadowX->SetPosition(int(std::trunc(std::clamp(e.ShadowX, -1e6, 1e6))));
    EditShadowX->setText(shadowText(e.ShadowX));
    SpinShadowY->SetPosition(int(std::trunc(std::clamp(e.ShadowY, -1e6, 1e6))));
    EditShadowY->setText(shadowText(e.ShadowY));
    SelectGridColor(e.ShadowColor, true);
}

void TtoolSubFormTXT::WriteToElement(TDocElementTXT& e) const {
    e.Text = EditTextCont->text();
    e.MacroText = EditTextMakro->text();
    // Never an empty name: without a selection the element keeps the one it has.
    if (const QString name = SelectedFontName(); !name.isEmpty())
        e.FontName = name;
    // A number field as it was shown keeps the element's value: an apply of another field
    // (or Return in the text fields) changes nothing else.
    if (const auto size = ParseNumber(EditFontSize->text());
        size && EditFontSize->text() != FormatTenths(e.FontSize))
        e.FontSize = TruncScaled(*size, 10);
    std::uint8_t style = 0;
    if (SpBtnFontBold->isChecked())
        style |= fsBold;
    if (SpBtnFontItalic->isChecked())
        style |= fsItalic;
    if (SpBtnFontUnderline->isChecked())
        style |= fsUnderline;
    if (SpBtnFontStrikeout->isChecked())
        style |= fsStrikeOut;
    e.FontStyle = style;
    if (SpBtnTextHorLeft->isChecked())
        e.AlignH = 0;
    else if (SpBtnTextHorCenter->isChecked())
        e.AlignH = 1;
    else if (SpBtnTextHorRight->isChecked())
        e.AlignH = 2;
    if (SpBtnTextVerTop->isChecked())
        e.AlignV = 0;
    else if (SpBtnTextVerBottom->isChecked())
        e.AlignV = 2;
    if (const auto angle = ParseNumber(EditAngle->text());
        angle && EditAngle->text() != FormatTenths(e.Angle))
        e.Angle = TruncScaled(*angle, 10);
    e.FontColor = ColorGrid->ForegroundColor();
    e.Shadow = SpBtnShadow->isChecked();
    if (const auto x = ParseNumber(EditShadowX->text());
        x && EditShadowX->text() != shadowText(e.ShadowX))
        e.ShadowX = TruncScaled(*x, 1);
    if (const auto y = ParseNumber(EditShadowY->text());
        y && EditShadowY->text() != shadowText(e.ShadowY))
        e.ShadowY = TruncScaled(*y, 1);
    e.ShadowColor = ColorGrid->BackgroundColor();
}
