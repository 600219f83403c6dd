// Reading the language file and putting its texts into the forms.

#include "app/language.h"
#include "app/tfrmmain.h"
#include "app/tfrmtabinfo.h"
#include "cdlabel/tfrmtabcd.h"
#include "editor/tfrmtabeditor.h"
#include "ui/hints.h"
#include "ui/messages.h"
#include "printworkspace/tfrmtabprinting.h"
#include "settings/tfrmtabsettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

namespace {

enum class Target { Caption, Item, Hint };

struct LangTarget {
    int key;
    int form; // TfrmMain::Tab of the workspace holding the control
    const char* name;
    Target kind;
    int item;
};

constexpr int S = TfrmMain::TabSettings;
constexpr int P = TfrmMain::TabPrinting;
constexpr int C = TfrmMain::TabCD;
constexpr int E = TfrmMain::TabEditor;

// Keys 0 to 8 (window caption and tab captions) are handled apart.
const LangTarget targets[] = {
    {16, S, "LabelDokumentenformat", Target::Caption, 0},
    {17, S, "GroupBoxBenutzerdefinition", Target::Caption, 0},
    {18, S, "GroupBoxAllgemein", Target::Caption, 0},
    {19, S, "PreferredPageOrientationRadio", Target::Caption, 0},
    {20, S, "LabelBreite", Target::Caption, 0},
    {21, S, "LabelHeight", Target::Caption, 0},
    {22, S, "LabelUndo", Target::Caption, 0},
    {23, S, "PreferredPageOrientationRadio", Target::Item, 0},
    {24, S, "PreferredPageOrientationRadio", Target::Item, 1},
    {25, S, "FormatCombo", Target::Item, 0},
    {26, S, "FormatCombo", Target::Item, 1},
    {27, S, "FormatCombo", Target::Item, 2},
    {28, S, "FormatCombo", Target::Item, 3},
    {29, S, "FormatCombo", Target::Item, 4},
    {30, S, "FormatCombo", Target::Item, 5},
    {31, S, "FormatCombo", Target::Item, 6},
    {33, P, "PrinterSetupGroup", Target::Caption, 0},
    {34, P, "CopyGroup", Target::Caption, 0},
    {35, P, "GroupBoxSeiten", Target::Caption, 0},
    {38, P, "CellGroupBox", Target::Caption, 0},
    {39, P, "PrintMarginsGroup", Target::Caption, 0},
    {42, P, "LabelBlattversatz", Target::Caption, 0},
    {43, P, "LabelHorizontal", Target::Caption, 0},
    {44, P, "LabelVertikal", Target::Caption, 0},
    {45, P, "LabelAnzahl", Target::Caption, 0},
    {46, P, "PrintSeparatorsCheck", Target::Caption, 0},
    {47, P, "Scale2fitCheck", Target::Caption, 0},
    {48, P, "LabelLinks", Target::Caption, 0},
    {49, P, "LabelRechts", Target::Caption, 0},
    {50, P, "LabelHorz", Target::Caption, 0},
    {51, P, "LabelOben", Target::Caption, 0},
    {52, P, "LabelUnten", Target::Caption, 0},
    {53, P, "labelVert", Target::Caption, 0},
    {54, P, "InfoLabel1", Target::Caption, 0},
    {55, P, "InfoLabel2", Target::Caption, 0},
    {59, C, "DirGroupBox", Target::Caption, 0},
    {60, C, "FileGroupBox", Target::Caption, 0},
    {61, C, "LayoutGroupBox", Target::Caption, 0},
    {66, C, "DirsOnlyCheckBox", Target::Caption, 0},
    {67, C, "Tiefe", Target::Caption, 0},
    {68, C, "DrawTitleCheck", Target::Caption, 0},
    {69, C, "Spaltenzahl", Target::Caption, 0},
    {70, C, "Abstand", Target::Caption, 0},
    {71, C, "Breite", Target::Caption, 0},
    {72, C, "Hoehe", Target::Caption, 0},
    {73, E, "SpeedButtonNew", Target::Hint, 0},
    {74, E, "SpeedButtonSave", Target::Hint, 0},
    {75, E, "SpeedButtonErase", Target::Hint, 0},
    {76, E, "SpeedButtonCut", Target::Hint, 0},
    {77, E, "SpeedButtonCopy", Target::Hint, 0},
    {78, E, "SpeedButtonPaste", Target::Hint, 0},
    {79, E, "SpeedButtonReturn", Target::Hint, 0},
    {80, E, "SpeedButtonText", Target::Hint, 0},
    {81, E, "SpeedButtonGraphic", Target::Hint, 0},
    {82, E, "SpeedButtonObjectInspector", Target::Hint, 0},
    {83, E, "SpeedButtonFullDown", Target::Hint, 0},
    {84, E, "SpeedButton1Down", Target::Hint, 0},
    {85, E, "SpeedButton1Up", Target::Hint, 0},
    {86, E, "SpeedButtonFullUp", Target::Hint, 0},
    {87, E, "ZoomComboBox", Target::Hint, 0},
    {88, E, "ZoomComboBox", Target::Item, 0},
    {89, E, "ZoomComboBox", Target::Item, 1},
    {90, E, "ZoomComboBox", Target::Item, 2},
    {140, P, "CalibrationButton", Target::Caption, 0},
    {141, P, "CalibrationButton", Target::Hint, 0},
    {150, P, "MergeCheck", Target::Caption, 0},
};

void setCaption(QObject* target, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(target))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(target))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(target))
        group->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(target))
        action->setText(text);
    else
        target->setProperty("text", text);
}

void setItem(QObject* target, int item, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(target)) {
        if (item < combo->count())
            combo->setItemText(item, text);
        return;
    }
    // A radio group: its buttons in their order.
    const QList<QRadioButton*> radios = target->findChildren<QRadioButton*>();
    if (item < radios.size())
        radios.at(item)->setText(text);
}

void setHintOf(QObject* target, const QString& text)
{
    if (auto* widget = qobject_cast<QWidget*>(target)) {
        SetHint(widget, text);
        return;
    }
    if (auto* action = qobject_cast<QAction*>(target)) {
        const int bar = text.indexOf(QLatin1Char('|'));
        action->setProperty("hint", text);
        action->setToolTip(bar < 0 ? text : text.left(bar));
        action->setStatusTip(LongHint(text));
        // Buttons showing the action keep the hint too.
        for (QObject* shown : action->associatedObjects()) {
            if (auto* widget = qobject_cast<QWidget*>(shown))
                SetHint(widget, text);
        }
    }
}

} // namespace

void TfrmMain::sprache(int column)
{
    const QString file = ProgramDir + QStringLiteral("lang.txt");
    try {
        ReadLanguageFile(file, column, LangKeys, LangStrings);
    } catch (const TLanguageError& e) {
        LangKeys.clear();
        LangStrings.clear();
        ShowMessage(this, QStringLiteral("Quillmark"),
                    e.message() + QStringLiteral("\nDas Programm bleibt bei deutschen Texten."));
        return;
    }
    applyLanguage();
}

void TfrmMain::applyLanguage()
{
    // A key the file lacks leaves that control's German text; the others are still applied.
    auto text = [](int key, QString& out) {
        const int index = LanguageIndex(LangKeys, QString::number(key));
        if (index < 0 || index >= LangStrings.size())
            return false;
        out = LangStrings.at(index);
        return true;
    };
    QString t;
    if (text(0, t)) {
        ApplicationTitle = t;
        QGuiApplication::setApplicationDisplayName(t);
        setWindowTitle(t);
    }
    for (int tab = 0; tab < TabCount; ++tab) {
        if (text(tab + 1, t))
            pageMain->setTabText(tab, t);
    }
    redrawRegister();

    QWidget* forms[TabCount] = {nullptr};
    forms[TabSettings] = frmTabSettings;
    forms[TabPrinting] = frmTabPrinting;
    forms[TabCD] = frmTabCD;
    forms[TabEditor] = frmTabEditor;
    for (const LangTarget& target : targets) {
        if (!text(target.key, t) || !forms[target.form])
            continue;
        QObject* control = forms[target.form]->findChild<QObject*>(QString::fromLatin1(target.name));
        if (!control)
            continue;
        switch (target.kind) {
        case Target::Caption:
            setCaption(control, t);
            break;
        case Target::Item:
            setItem(control, target.item, t);
            break;
        case Target::Hint:
            setHintOf(control, t);
            break;
        }
    }
}
