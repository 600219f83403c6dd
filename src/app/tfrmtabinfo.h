#pragma once
// The notes and help workspace ("Hinweise"): a short introduction, a picture that opens the
// manual, and one button for each help file of the catalogue.

#include <QList>
#include <QStringList>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class TClickLabel;

class TfrmTabInfo : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabInfo(QWidget* parent = nullptr);

    // Captions of the help files ("#Label:" lines of the catalogue), parallel to HelpFiles.
    QStringList HelpTitles;

    // Offers the collected help titles as buttons (the form's "···" button).
    void ButtonClick();
    // Opens HelpFiles[tag] at its contents page.
    void HelpButtonClick(int tag);

    QWidget* LogoPanel = nullptr;
    QFrame* OwnerPanel = nullptr;
    QFrame* ShapePage = nullptr;
    QFrame* HelpPanel = nullptr;
    QWidget* HelpButtonPanel = nullptr;
    TClickLabel* ImageAnleitung = nullptr;
    QPushButton* HelpButton = nullptr; // hidden "?" button, tag 0
    QList<QPushButton*> HelpTitleButtons;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPanels();
};
