#pragma once
// The inspector's barcode page: kind of code, content (with placeholders), module size or
// fitting into the box, error correction, colours, quiet zone, the text under bar codes,
// quarter turns and "vCard des Absenders". Changes of the choices are announced at once
// (Changed); the content is taken with the inspector's apply.

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QToolButton;
class TDocElementBAR;

class TtoolSubFormBAR : public QWidget {
    Q_OBJECT
public:
    explicit TtoolSubFormBAR(QWidget* parent = nullptr);

    void FillFromElement(const TDocElementBAR& element);
    // Writes the controls into the element; the content goes to MacroText when it holds
    // placeholders (Text is then filled by the caller), to Text otherwise.
    void WriteToElement(TDocElementBAR& element) const;
    // Shows why the element's content cannot be encoded (nothing when it can).
    void ShowProblem(const TDocElementBAR& element);

    QComboBox* KindCombo;
    QPlainTextEdit* EditContent;
    QToolButton* VCardBtn;
    QCheckBox* FitBox;
    QDoubleSpinBox* ModuleSpin;
    QComboBox* LevelCombo;
    QToolButton* ForeColorBtn;
    QToolButton* BackColorBtn;
    QCheckBox* QuietZoneBox;
    QCheckBox* HumanReadableBox;
    QToolButton* TurnLeftBtn;
    QToolButton* TurnRightBtn;
    QLabel* ProblemLabel;

signals:
    // A choice changed and should be written into the element now.
    void Changed();
    // A quarter turn (+1 counter-clockwise, -1 clockwise) was asked for.
    void Turn(int quarters);

private:
    void pickColor(bool background);
    void updateEnabled();
    void showColor(QToolButton* button, std::uint32_t colour);

    std::uint32_t m_fore = 0;
    std::uint32_t m_back = 0xFFFFFF;
    bool m_filling = false;
};
