#include "inspector/ttoolsubformbar.h"

#include "document/barcode.h"
#include "document/placeholders.h"
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QColor toQColor(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::uint32_t fromQColor(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) |
           (std::uint32_t(c.blue()) << 16);
}

// Whether the content holds one of the placeholders filling knows.
bool hasPlaceholder(const QString& content)
{
    for (int i = 0; i < TPlaceholderFiller::Count; ++i) {
        if (content.contains(TPlaceholderFiller::Name(i)))
            return true;
    }
    return false;
}

} // namespace

TtoolSubFormBAR::TtoolSubFormBAR(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TtoolSubFormBAR"));
    auto* form = new QFormLayout;
    form->setContentsMargins(4, 4, 4, 4);

    KindCombo = new QComboBox(this);
    KindCombo->setObjectName(QStringLiteral("KindCombo"));
    for (int i = 0; i < BarcodeKindCount; ++i)
        KindCombo->addItem(BarcodeKindName(TBarcodeKind(i)), i);
    form->addRow(QStringLiteral("Art:"), KindCombo);

    EditContent = new QPlainTextEdit(this);
    EditContent->setObjectName(QStringLiteral("EditContent"));
    EditContent->setTabChangesFocus(true);
    EditContent->setFixedHeight(90);
    EditContent->setToolTip(QStringLiteral(
        "Inhalt des Codes; Platzhalter wie <name> werden aus der Adresse gefüllt"));
    form->addRow(QStringLiteral("Inhalt:"), EditContent);

    VCardBtn = new QToolButton(this);
    VCardBtn->setObjectName(QStringLiteral("VCardBtn"));
    VCardBtn->setText(QStringLiteral("vCard des Absenders"));
    VCardBtn->setToolTip(QStringLiteral(
        "Füllt den Inhalt mit einer vCard aus den Adressfeldern; leere Felder entfallen"));
    form->addRow(QString(), VCardBtn);

    FitBox = new QCheckBox(QStringLiteral("An den Rahmen anpassen"), this);
    FitBox->setObjectName(QStringLiteral("FitBox"));
    form->addRow(QString(), FitBox);
    ModuleSpin = new QDoubleSpinBox(this);
    ModuleSpin->setObjectName(QStringLiteral("ModuleSpin"));
    ModuleSpin->setLocale(QLocale(QLocale::German, QLocale::Germany));
    ModuleSpin->setRange(0.05, 10);
    ModuleSpin->setDecimals(3);
    ModuleSpin->setSingleStep(0.05);
    ModuleSpin->setSuffix(QStringLiteral(" mm"));
    ModuleSpin->setValue(0.33);
    ModuleSpin->setKeyboardTracking(false);
    form->addRow(QStringLiteral("Modulbreite:"), ModuleSpin);

    LevelCombo = new QComboBox(this);
    LevelCombo->setObjectName(QStringLiteral("LevelCombo"));
    LevelCombo->addItems({QStringLiteral("automatisch"), QStringLiteral("niedrig (L)"),
                          QStringLiteral("mittel (M)"), QStringLiteral("hoch (Q)"),
                          QStringLiteral("höchste (H)")});
    form->addRow(QStringLiteral("Fehlerkorrektur:"), LevelCombo);

    auto* colours = new QHBoxLayout;
    ForeColorBtn = new QToolButton(this);
    ForeColorBtn->setObjectName(QStringLiteral("ForeColorBtn"));
    ForeColorBtn->setText(QStringLiteral("Vordergrund"));
    BackColorBtn = new QToolButton(this);
    BackColorBtn->setObjectName(QStringLiteral("BackColorBtn"));
    BackColorBtn->setText(QStringLiteral("Hintergrund"));
    colours->addWidget(ForeColorBtn);
    colours->addWidget(BackColorBtn);
    form->addRow(QStringLiteral("Farben:"), colours);

    QuietZoneBox = new QCheckBox(QStringLiteral("Ruhezone freihalten"), this);
    QuietZoneBox->setObjectName(QStringLiteral("QuietZoneBox"));
    form->addRow(QString(), QuietZoneBox);
    HumanReadableBox = new QCheckBox(QStringLiteral("Klartext unter dem Strichcode"), this);
    HumanReadableBox->setObjectName(QStringLiteral("HumanReadableBox"));
    form->addRow(QString(), HumanReadableBox);

    auto* turns = new QHBoxLayout;
    TurnLeftBtn = new QToolButton(this);
    TurnLeftBtn->setObjectName(QStringLiteral("TurnLeftBtn"));
    TurnLeftBtn->setText(QStringLiteral("90° links"));
    TurnRightBtn = new QToolButton(this);
    TurnRightBtn->setObjectName(QStringLiteral("TurnRightBtn"));
    TurnRightBtn->setText(QStringLiteral("90° rechts"));
    turns->addWidget(TurnLeftBtn);
    turns->addWidget(TurnRightBtn);
    form->addRow(QStringLiteral("Drehen:"), turns);

    ProblemLabel = new QLabel(this);
    ProblemLabel->setObjectName(QStringLiteral("ProblemLabel"));
    ProblemLabel->setWordWrap(true);
    ProblemLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    form->addRow(ProblemLabel);
    setLayout(form);
    resize(330, 420);

    auto changed = [this] {
        updateEnabled();
        if (!m_filling)
            emit Changed();
    };
    connect(KindCombo, &QComboBox::activated, this, changed);
    connect(LevelCombo, &QComboBox::activated, this, changed);
    connect(FitBox, &QCheckBox::toggled, this, changed);
    connect(QuietZoneBox, &QCheckBox::toggled, this, changed);
    connect(HumanReadableBox, &QCheckBox::toggled, this, changed);
    connect(ModuleSpin, &QDoubleSpinBox::valueChanged, this, changed);
    connect(ForeColorBtn, &QToolButton::clicked, this, [this] { pickColor(false); });
    connect(BackColorBtn, &QToolButton::clicked, this, [this] { pickColor(true); });
    connect(TurnLeftBtn, &QToolButton::clicked, this, [this] { emit Turn(1); });
    connect(TurnRightBtn, &QToolButton::clicked, this, [this] { emit Turn(-1); });
    connect(VCardBtn, &QToolButton::clicked, this, [this] {
        EditContent->setPlainText(SenderVCardTemplate());
        // A bar code cannot hold a vCard.
        if (BarcodeKindIsLinear(TBarcodeKind(std::max(0, KindCombo->currentIndex())))) {
            KindCombo->setCurrentIndex(int(TBarcodeKind::QR));
            updateEnabled();
        }
        emit Changed();
    });
}

void TtoolSubFormBAR::showColor(QToolButton* button, std::uint32_t colour)
{
    QPixmap swatch(14, 14);
    swatch.fill(toQColor(colour));
    button->setIcon(QIcon(swatch));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TtoolSubFormBAR::pickColor(bool background)
{
    const QColor c = QColorDialog::getColor(toQColor(background ? m_back : m_fore), this,
                                            background ? QStringLiteral("Hintergrundfarbe")
                                                       : QStringLiteral("Vordergrundfarbe"));
    if (!c.isValid())
        return;
    (background ? m_back : m_fore) = fromQColor(c);
    showColor(background ? BackColorBtn : ForeColorBtn, fromQColor(c));
    emit Changed();
}

void TtoolSubFormBAR::updateEnabled()
{
    const auto kind = TBarcodeKind(std::max(0, KindCombo->currentIndex()));
    ModuleSpin->setEnabled(!FitBox->isChecked());
    LevelCombo->setEnabled(BarcodeKindHasErrorLevels(kind));
    HumanReadableBox->setEnabled(BarcodeKindIsLinear(kind));
}

void TtoolSubFormBAR::FillFromElement(const TDocElementBAR& e)
{
    m_filling = true;
    KindCombo->setCurrentIndex(int(e.Kind));
    EditContent->setPlainText(e.MacroText.isEmpty() ? e.Text : e.MacroText);
    FitBox->setChecked(!(e.ModuleSize > 0));
    if (e.ModuleSize > 0)
        ModuleSpin->setValue(e.ModuleSize);
    LevelCombo->setCurrentIndex(std::min<int>(e.ErrorLevel, 4));
    m_fore = e.ForeColor;
    m_back = e.BackColor;
    showColor(ForeColorBtn, m_fore);
    showColor(BackColorBtn, m_back);
    QuietZoneBox->setChecked(e.QuietZone);
    HumanReadableBox->setChecked(e.HumanReadable);
    updateEnabled();
    ShowProblem(e);
    m_filling = false;
}

void TtoolSubFormBAR::WriteToElement(TDocElementBAR& e) const
{
    e.Kind = TBarcodeKind(std::max(0, KindCombo->currentIndex()));
    const QString content = EditContent->toPlainText();
    if (hasPlaceholder(content)) {
        e.MacroText = content;
    } else {
        e.MacroText.clear();
        e.Text = content;
    }
    e.ModuleSize = FitBox->isChecked() ? 0 : ModuleSpin->value();
    e.ErrorLevel = std::uint8_t(std::max(0, LevelCombo->currentIndex()));
    e.ForeColor = m_fore;
    e.BackColor = m_back;
    e.QuietZone = QuietZoneBox->isChecked();
    e.HumanReadable = HumanReadableBox->isChecked();
}

void TtoolSubFormBAR::ShowProblem(const TDocElementBAR& e)
{
    const QString problem = BarcodeProblem(e);
    ProblemLabel->setText(problem.isEmpty() ? QString()
                                            : QStringLiteral("Nicht darstellbar: %1").arg(problem));
}
