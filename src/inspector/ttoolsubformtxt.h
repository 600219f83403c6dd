#pragma once
// The inspector's text page: text, text-block template, font, size, style, angle,
// alignment, colour and shadow of a text element. The page keeps no state of its own
// beyond its controls; the inspector connects them and copies them into the element.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class TColorGrid;
class TDocElementTXT;
class TUpDown;

class TtoolSubFormTXT : public QWidget {
    Q_OBJECT
public:
    explicit TtoolSubFormTXT(QWidget* parent = nullptr);

    // Fills the font list with the installed font families and selects "Arial".
    void FillFontList();
    void FillFromElement(const TDocElementTXT& element);
    void WriteToElement(TDocElementTXT& element) const;
    // Enables the shadow offsets and the grid's shadow colour while the shadow is on.
    void EnableShadowControls(bool on);
    // Selects the entry of the font name. A family that is not installed is listed under
    // its own name with the family shown in its place ("Arial (ersetzt durch ...)").
    void SelectFont(const QString& name);
    // The font name of the selected entry (what an apply stores); empty without one.
    QString SelectedFontName() const;
    // Item data of FontCombo: the font name an entry stands for, and the mark of the
    // entry added for a replaced font.
    static constexpr int FontNameRole = Qt::UserRole;
    static constexpr int SubstitutedRole = Qt::UserRole + 1;
    // Makes the first grid colour equal to colour the foreground (or background)
    // selection; a colour not in the grid is kept as the grid's own colour (no cell marked).
    void SelectGridColor(quint32 colour, bool background);
    // Shows the register page "Schrift" (0) or "Farbe" (1).
    void ShowRegister(int page);
    int Register() const;

    QLineEdit* EditTextCont;
    QLineEdit* EditTextMakro;
    QToolButton* ApplyBtn;
    QLabel* Label2; // "Schrift"
    QLabel* Label1; // "Farbe"
    QWidget* Slider;
    QStackedWidget* Notebook;

    QComboBox* FontCombo;
    QLineEdit* EditFontSize;
    TUpDown* SpinFontSize;
    QToolButton* SpBtnFontBold;
    QToolButton* SpBtnFontItalic;
    QToolButton* SpBtnFontUnderline;
    QToolButton* SpBtnFontStrikeout;
    QToolButton* SpBtnAngleMinus90;
    QToolButton* SpBtnAngle0;
    QToolButton* SpBtnAngle90;
    QToolButton* SpBtnAngle180;
    QLineEdit* EditAngle;
    TUpDown* SpinAngle;
    QToolButton* SpBtnTextHorLeft;
    QToolButton* SpBtnTextHorCenter;
    QToolButton* SpBtnTextHorRight;
    // Hidden: carry the vertical alignment through an apply.
    QToolButton* SpBtnTextVerTop;
    QToolButton* SpBtnTextVerBottom;
    QToolButton* SpBtnFontDialog;

    TColorGrid* ColorGrid;
    QToolButton* SpBtnShadow;
    QLineEdit* EditShadowX;
    TUpDown* SpinShadowX;
    QLineEdit* EditShadowY;
    TUpDown* SpinShadowY;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void alignClicked(QToolButton* button);
};
