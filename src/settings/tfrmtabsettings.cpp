// The settings workspace: its notebook and the controls of its four pages. The handlers are in
// settingsformat.cpp (sheet format, undo depth, note) and settingsaddresses.cpp (text blocks
// and address records).

#include "settings/tfrmtabsettings.h"

#include "ui/globals.h"
#include "ui/clicklabel.h"
#include "ui/hints.h"
#include "addresses/addressrecords.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct TPageTab {
    const char* caption;
    const char* label;
    int sliderLeft;
    int sliderWidth;
};

// The tabs of the notebook picture and the bar under the active one.
const TPageTab pageTabs[TfrmTabSettings::PageCount] = {
    {"Allgemein", "Label4", 11, 72},
    {"Textbausteine", "Label5", 110, 94},
    {"Notiz", "Label7", 231, 53},
    {"Adressen", "Label17", 320, 70},
};

constexpr int registerWidth = 400;
constexpr int registerHeight = 26;

QPixmap registerPicture()
{
    QPixmap pixmap(registerWidth, registerHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    for (const TPageTab& tab : pageTabs) {
        const int left = tab.sliderLeft - 7;
        const int right = tab.sliderLeft + tab.sliderWidth + 7;
        QPainterPath shape;
        shape.moveTo(left, registerHeight - 1);
        shape.lineTo(left + 4, 4);
        shape.quadTo(left + 5, 2, left + 8, 2);
        shape.lineTo(right - 8, 2);
        shape.quadTo(right - 5, 2, right - 4, 4);
        shape.lineTo(right, registerHeight - 1);
        shape.closeSubpath();
        p.setBrush(QColor(110, 140, 240));
        p.setPen(QPen(QColor(40, 60, 140), 1));
        p.drawPath(shape);
        p.setPen(Qt::white);
        p.drawText(QRect(left, 2, right - left, registerHeight - 3), Qt::AlignCenter,
                   QString::fromUtf8(tab.caption));
    }
    return pixmap;
}

// The pictures of the image buttons: a check mark and two opposite arrows.
QIcon checkIcon()
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 150, 0), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(4, 12), QPointF(9, 17), QPointF(18, 5)}));
    return QIcon(pixmap);
}

QIcon exchangeIcon()
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 30, 90), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(4, 7), QPointF(18, 7));
    p.drawPolyline(QPolygonF({QPointF(14, 3), QPointF(18, 7), QPointF(14, 11)}));
    p.drawLine(QPointF(4, 15), QPointF(18, 15));
    p.drawPolyline(QPolygonF({QPointF(8, 11), QPointF(4, 15), QPointF(8, 19)}));
    return QIcon(pixmap);
}

QToolButton* imageButton(QWidget* parent, const char* name, const QIcon& icon,
                         const QString& text, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setIconSize(QSize(22, 22));
    button->setText(text);
    button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                              : Qt::ToolButtonTextBesideIcon);
    button->setCursor(Qt::PointingHandCursor);
    SetHint(button, hint);
    return button;
}

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* namedEdit(QWidget* parent, const QString& name, const QString& hint)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    SetHint(edit, hint);
    return edit;
}

// The paint box with the paper and the sheet on it.
class TPaperPreview : public QWidget {
public:
    TPaperPreview(TfrmTabSettings* form, QWidget* parent) : QWidget(parent), m_form(form) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        m_form->PagePaint(p, size());
    }

private:
    TfrmTabSettings* m_form;
};

} // namespace

TfrmTabSettings::TfrmTabSettings(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTabSettings"));
    // Texts on the workspace's coloured background are white.
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    setPalette(white);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->setSpacing(0);
    layout->addWidget(createRegister());
    Pagecontrol = new QStackedWidget(this);
    Pagecontrol->setObjectName(QStringLiteral("Pagecontrol"));
    Pagecontrol->addWidget(createGeneralPage());
    Pagecontrol->addWidget(createTextBlockPage());
    Pagecontrol->addWidget(createNotePage());
    Pagecontrol->addWidget(createAddressPage());
    layout->addSpacing(6);
    layout->addWidget(Pagecontrol, 1);
    connect(Pagecontrol, &QStackedWidget::currentChanged, this,
            &TfrmTabSettings::PagecontrolPageChanged);

    // The pages never hold the main window larger than it is; it shows its name panel
    // instead when it gets small.
    setMinimumSize(1, 1);

    // FormCreate: the text blocks from the settings store, then the first page.
    readTextBlocks();
    ShowPage(PageAllgemein);
}

QWidget* TfrmTabSettings::createRegister()
{
    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("RegisterPanel"));
    strip->setFixedHeight(registerHeight + 4);
    ImageRegister = new QLabel(strip);
    ImageRegister->setObjectName(QStringLiteral("ImageRegister"));
    ImageRegister->setPixmap(registerPicture());
    ImageRegister->setGeometry(0, 0, registerWidth, registerHeight);
    TClickLabel** labels[PageCount] = {&Label4, &Label5, &Label7, &Label17};
    for (int i = 0; i < PageCount; ++i) {
        auto* label = new TClickLabel(strip);
        label->setObjectName(QString::fromLatin1(pageTabs[i].label));
        label->setGeometry(pageTabs[i].sliderLeft - 7, 0, pageTabs[i].sliderWidth + 14,
                           registerHeight);
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &TClickLabel::clicked, this, [this, i] { ShowPage(i); });
        *labels[i] = label;
    }
    Slider = new QFrame(strip);
    Slider->setObjectName(QStringLiteral("Slider"));
    Slider->setStyleSheet(QStringLiteral("background-color: rgb(220, 0, 0); border-radius: 1px;"));
    Slider->setGeometry(pageTabs[0].sliderLeft, registerHeight, pageTabs[0].sliderWidth, 3);
    return strip;
}

QWidget* TfrmTabSettings::createGeneralPage()
{
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("TabSheetAllgemein"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 4, 0, 0);

    LabelDokumentenformat = namedLabel(page, "LabelDokumentenformat",
                                       QStringLiteral("Dokumentenformat"));
    FormatCombo = new QComboBox(page);
    FormatCombo->setObjectName(QStringLiteral("FormatCombo"));
    FormatCombo->addItems({QStringLiteral("Benutzerdefiniert"),
                           QStringLiteral("A4: 210 · 297 mm hoch"),
                           QStringLiteral("A4: 210 · 297 mm quer"),
                           QStringLiteral("A5: 148 · 210 mm hoch"),
                           QStringLiteral("A5: 148 · 210 mm quer"),
                           QStringLiteral("A6: 105 · 148 mm hoch"),
                           QStringLiteral("A6: 105 · 148 mm quer")});
    SetHint(FormatCombo, QStringLiteral("Formatauswahl"));
    connect(FormatCombo, &QComboBox::activated, this, &TfrmTabSettings::FormatComboChange);
    auto* formatRow = new QVBoxLayout();
    formatRow->addWidget(LabelDokumentenformat);
    formatRow->addWidget(FormatCombo);
    grid->addLayout(formatRow, 0, 0);

    GroupBoxBenutzerdefinition = new QGroupBox(QStringLiteral(" Benutzerdefinition "), page);
    GroupBoxBenutzerdefinition->setObjectName(QStringLiteral("GroupBoxBenutzerdefinition"));
    auto* custom = new QGridLayout(GroupBoxBenutzerdefinition);
    LabelBreite = namedLabel(GroupBoxBenutzerdefinition, "LabelBreite", QStringLiteral("Breite"));
    LabelHeight = namedLabel(GroupBoxBenutzerdefinition, "LabelHeight", QStringLiteral("Höhe"));
    EditPageWidth = namedEdit(GroupBoxBenutzerdefinition, QStringLiteral("EditPageWidth"),
                              QStringLiteral("Breite in mm|Formatauswahl"));
    EditPageHeight = namedEdit(GroupBoxBenutzerdefinition, QStringLiteral("EditPageHeight"),
                               QStringLiteral("Höhe in mm|Formatauswahl"));
    EditPageWidth->setMaximumWidth(90);
    EditPageHeight->setMaximumWidth(90);
    Image2 = imageButton(GroupBoxBenutzerdefinition, "Image2", exchangeIcon(), QString(),
                         QStringLiteral("Breite und Höhe tauschen|Formatauswahl"));
    ApplyBtn = imageButton(GroupBoxBenutzerdefinition, "ApplyBtn", checkIcon(), QString(),
                           QStringLiteral("Format übernehmen|Formatauswahl"));
    custom->addWidget(LabelBreite, 0, 0);
    custom->addWidget(EditPageWidth, 0, 1);
    custom->addWidget(new QLabel(QStringLiteral("mm"), GroupBoxBenutzerdefinition), 0, 2);
    custom->addWidget(LabelHeight, 1, 0);
    custom->addWidget(EditPageHeight, 1, 1);
    custom->addWidget(new QLabel(QStringLiteral("mm"), GroupBoxBenutzerdefinition), 1, 2);
    custom->addWidget(Image2, 0, 3, 2, 1);
    custom->addWidget(ApplyBtn, 0, 4, 2, 1);
    connect(Image2, &QToolButton::clicked, this, &TfrmTabSettings::ExchangeBtnClick);
    connect(ApplyBtn, &QToolButton::clicked, this, &TfrmTabSettings::ApplyBtnClick);
    // Return in an edit applies, as the button does.
    connect(EditPageWidth, &QLineEdit::returnPressed, ApplyBtn, &QToolButton::click);
    connect(EditPageHeight, &QLineEdit::returnPressed, ApplyBtn, &QToolButton::click);
    grid->addWidget(GroupBoxBenutzerdefinition, 1, 0);

    PreferredPageOrientationRadio =
        new QGroupBox(QStringLiteral("bevorzugte Lage zum Papier"), page);
    PreferredPageOrientationRadio->setObjectName(QStringLiteral("PreferredPageOrientationRadio"));
    SetHint(PreferredPageOrientationRadio, QStringLiteral("Papierorientierung|Formatauswahl"));
    auto* radios = new QVBoxLayout(PreferredPageOrientationRadio);
    OrientationButtons = new QButtonGroup(this);
    const QString orientations[] = {QStringLiteral("Papier liegt in Richtung der Vorlage"),
                                    QStringLiteral("Papier liegt quer zur Vorlage")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(orientations[i], PreferredPageOrientationRadio);
        radio->setObjectName(QStringLiteral("OrientationItem%1").arg(i));
        radios->addWidget(radio);
        OrientationButtons->addButton(radio, i);
    }
    OrientationButtons->button(0)->setChecked(true);
    connect(OrientationButtons, &QButtonGroup::idClicked, this, &TfrmTabSettings::ApplyBtnClick);
    grid->addWidget(PreferredPageOrientationRadio, 2, 0);

    CancelBtn = new QPushButton(QStringLiteral("Einstellungen verwerfen"), page);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setCursor(Qt::PointingHandCursor);
    SetHint(CancelBtn, QStringLiteral("Einstellungen verwerfen"));
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmTabSettings::CancelBtnClick);
    grid->addWidget(CancelBtn, 3, 0, Qt::AlignLeft);

    GroupBoxAllgemein = new QGroupBox(QStringLiteral(" Allgemein "), page);
    GroupBoxAllgemein->setObjectName(QStringLiteral("GroupBoxAllgemein"));
    auto* general = new QHBoxLayout(GroupBoxAllgemein);
    LabelUndo = namedLabel(GroupBoxAllgemein, "LabelUndo", QStringLiteral("Rückgängig"));
    EditReturnMax = namedEdit(GroupBoxAllgemein, QStringLiteral("EditReturnMax"),
                              QStringLiteral("|Rückgängiglimit"));
    EditReturnMax->setMaximumWidth(70);
    UpDownUp = new QToolButton(GroupBoxAllgemein);
    UpDownUp->setObjectName(QStringLiteral("UpDownUp"));
    UpDownUp->setArrowType(Qt::UpArrow);
    UpDownUp->setAutoRepeat(true);
    UpDownDown = new QToolButton(GroupBoxAllgemein);
    UpDownDown->setObjectName(QStringLiteral("UpDownDown"));
    UpDownDown->setArrowType(Qt::DownArrow);
    UpDownDown->setAutoRepeat(true);
    // The arrows take the text colour, which is white on this workspace.
    for (QToolButton* arrow : {UpDownUp, UpDownDown}) {
        QPalette dark = arrow->palette();
        dark.setColor(QPalette::WindowText, Qt::black);
        dark.setColor(QPalette::ButtonText, Qt::black);
        arrow->setPalette(dark);
    }
    SetHint(UpDownUp, QStringLiteral("|Rückgängiglimit"));
    SetHint(UpDownDown, QStringLiteral("|Rückgängiglimit"));
    general->addWidget(LabelUndo);
    general->addWidget(EditReturnMax);
    general->addWidget(UpDownUp);
    general->addWidget(UpDownDown);
    general->addStretch(1);
    EditReturnMax->setText(QStringLiteral("10"));
    connect(EditReturnMax, &QLineEdit::textChanged, this, &TfrmTabSettings::EditReturnMaxChange);
    connect(UpDownUp, &QToolButton::clicked, this, [this] {
        setUndoDepthText(QString::number(EditReturnMax->text().trimmed().toInt() + 1));
    });
    connect(UpDownDown, &QToolButton::clicked, this, [this] {
        setUndoDepthText(QString::number(EditReturnMax->text().trimmed().toInt() - 1));
    });
    grid->addWidget(GroupBoxAllgemein, 4, 0);

    Page = new TPaperPreview(this, page);
    Page->setObjectName(QStringLiteral("Page"));
    Page->setFixedSize(170, 170);
    grid->addWidget(Page, 0, 1, 5, 1, Qt::AlignTop | Qt::AlignHCenter);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TfrmTabSettings::createTextBlockPage()
{
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("TabSheetTextbausteine"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 4, 0, 0);
    for (int i = 0; i < 10; ++i) {
        auto* label = new QLabel(QString::number(i + 1), page);
        QLineEdit* edit =
            namedEdit(page, QStringLiteral("TB%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                      QStringLiteral("Textbaustein <t%1>|Textbaustein").arg(i + 1));
        edit->installEventFilter(this);
        grid->addWidget(label, i, 0, Qt::AlignRight);
        grid->addWidget(edit, i, 1);
        TB << edit;
    }
    Image1 = imageButton(page, "Image1", checkIcon(), QStringLiteral("Übernehmen"),
                         QStringLiteral("Textbausteine übernehmen|Textbaustein"));
    connect(Image1, &QToolButton::clicked, this, &TfrmTabSettings::Image1Click);
    UebernehmenLabel = namedLabel(page, "UebernehmenLabel", QString());
    auto* row = new QHBoxLayout();
    row->addWidget(Image1);
    row->addWidget(UebernehmenLabel);
    row->addStretch(1);
    grid->addLayout(row, 10, 1);
    grid->setRowStretch(11, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget* TfrmTabSettings::createNotePage()
{
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("TabSheetNotiz"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 4, 0, 0);
    LabelNotiz = namedLabel(page, "LabelNotiz", QStringLiteral("Notiz des aktuellen Dokuments"));
    layout->addWidget(LabelNotiz);
    Notizen = new QPlainTextEdit(page);
    Notizen->setObjectName(QStringLiteral("Notizen"));
    SetHint(Notizen, QStringLiteral("Notiz"));
    layout->addWidget(Notizen, 1);
    connect(Notizen, &QPlainTextEdit::textChanged, this, &TfrmTabSettings::NotizenChange);
    return page;
}

QWidget* TfrmTabSettings::createAddressPage()
{
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("TabSheetAdressen"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 4, 0, 0);

    auto* top = new QHBoxLayout();
    ComboBoxAdressen = new QComboBox(page);
    ComboBoxAdressen->setObjectName(QStringLiteral("ComboBoxAdressen"));
    ComboBoxAdressen->setMinimumWidth(200);
    SetHint(ComboBoxAdressen, QStringLiteral("Adresse wählen|Adressen"));
    connect(ComboBoxAdressen, &QComboBox::activated, this,
            &TfrmTabSettings::ComboBoxAdressenActivated);
    ButtonNeu = new QPushButton(QStringLiteral("Neu"), page);
    ButtonNeu->setObjectName(QStringLiteral("ButtonNeu"));
    SetHint(ButtonNeu, QStringLiteral("Neue Adresse anlegen|Adressen"));
    ButtonLoeschen = new QPushButton(QStringLiteral("Löschen"), page);
    ButtonLoeschen->setObjectName(QStringLiteral("ButtonLoeschen"));
    SetHint(ButtonLoeschen, QStringLiteral("Gezeigte Adresse löschen|Adressen"));
    ButtonImport = new QPushButton(QStringLiteral("Importieren ..."), page);
    ButtonImport->setObjectName(QStringLiteral("ButtonImport"));
    SetHint(ButtonImport, QStringLiteral("Adressen aus vCard- oder CSV-Dateien übernehmen|Adressen"));
    connect(ButtonNeu, &QPushButton::clicked, this, &TfrmTabSettings::ButtonNeuClick);
    connect(ButtonLoeschen, &QPushButton::clicked, this, &TfrmTabSettings::ButtonLoeschenClick);
    connect(ButtonImport, &QPushButton::clicked, this, &TfrmTabSettings::ButtonImportClick);
    top->addWidget(ComboBoxAdressen, 1);
    top->addWidget(ButtonNeu);
    top->addWidget(ButtonLoeschen);
    top->addWidget(ButtonImport);
    layout->addLayout(top);

    // EditASet and the 23 fields, three columns of eight.
    static const char* const names[AddressFieldCount] = {
        "EditASet",       "EditAFirma1",    "EditAFirma2", "EditAFirma3", "EditAFirma4",
        "EditAStrasse",   "EditAPLZ",       "EditAOrt",    "EditATel",    "EditAFax",
        "EditATelprivat", "EditAFaxprivat", "EditAMobil",  "EditAEMail",  "EditAURL",
        "EditABank1",     "EditABLZ1",      "EditAKonto1", "EditABank2",  "EditABLZ2",
        "EditAKonto2",    "EditATitel",     "EditAVorname", "EditAName"};
    auto* grid = new QGridLayout();
    grid->setVerticalSpacing(3);
    for (int i = 0; i < AddressFieldCount; ++i) {
        const int column = i / 8;
        const int row = i % 8;
        auto* label = new QLabel(AddressFieldLabels().at(i), page);
        QLineEdit* edit = namedEdit(page, QString::fromLatin1(names[i]), QStringLiteral("Adressen"));
        edit->installEventFilter(this);
        grid->addWidget(label, row, column * 2, Qt::AlignRight);
        grid->addWidget(edit, row, column * 2 + 1);
        AddressEdits << edit;
    }
    layout->addLayout(grid);

    auto* bottom = new QHBoxLayout();
    Image4 = imageButton(page, "Image4", checkIcon(), QStringLiteral("Speichern"),
                         QStringLiteral("Adresse speichern|Adressen"));
    connect(Image4, &QToolButton::clicked, this, &TfrmTabSettings::Image4Click);
    LabelUebernehmen = namedLabel(page, "LabelUebernehmen", QString());
    bottom->addWidget(Image4);
    bottom->addWidget(LabelUebernehmen);
    bottom->addStretch(1);
    layout->addLayout(bottom);
    layout->addStretch(1);
    return page;
}

void TfrmTabSettings::ShowPage(int page)
{
    if (page < 0 || page >= PageCount)
        return;
    Pagecontrol->setCurrentIndex(page);
    PagecontrolPageChanged();
}

void TfrmTabSettings::PagecontrolPageChanged()
{
    const int page = Pagecontrol->currentIndex();
    if (page < 0 || page >= PageCount)
        return;
    Slider->setGeometry(pageTabs[page].sliderLeft, registerHeight, pageTabs[page].sliderWidth, 3);
}

bool TfrmTabSettings::eventFilter(QObject* watched, QEvent* event)
{
    // Typing into a text block or an address field asks for saving.
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit && TB.contains(edit))
            UebernehmenLabel->setText(QStringLiteral("Speichern!"));
        else if (edit && AddressEdits.contains(edit))
            LabelUebernehmen->setText(QStringLiteral("Speichern!"));
    }
    return QWidget::eventFilter(watched, event);
}
