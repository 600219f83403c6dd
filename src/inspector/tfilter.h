#pragma once
// The colour filter dialog "Filter": brightness, red, yellow and blue as percentages and
// the one-shot grey scale, soften and invert. The dialog has no logic of its own: every
// control hands itself to Dispatch (the inspector's graphic dispatcher), which changes the
// selected picture; the sheet is the preview.
//
// One instance lives for the whole run: the program creates it at start-up
// (Filter = new TFilter(mainWindow)); the inspector creates one itself when it is missing.

#include <QDialog>
#include <functional>

class QLineEdit;
class QToolButton;
class TUpDown;

class TFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFilter(QWidget* parent = nullptr);
    ~TFilter() override;

    // Receives the control that was used (an up-down on mouse release, or an image button).
    std::function<void(QObject* sender)> Dispatch;

    // Sets the four values back to 0 (up-downs and their edits).
    void ResetValues();

    QLineEdit* EditHelligkeit;
    TUpDown* UpDownHelligkeit;
    QLineEdit* EditRot;
    TUpDown* UpDownRot;
    QLineEdit* EditGelb;
    TUpDown* UpDownGelb;
    QLineEdit* EditBlau;
    TUpDown* UpDownBlau;
    QToolButton* SpBtnGraustufen;
    QToolButton* SpBtnWeichwenig;
    QToolButton* SpBtnInvertieren;
    QToolButton* Button; // confirm
    QToolButton* Image1; // cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void dispatch(QObject* sender);
};

extern TFilter* Filter;
