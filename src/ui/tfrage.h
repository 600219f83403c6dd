#pragma once
// The program's question dialog: a caption, a question and two answers. exec() returns 1 for
// "OK" (ImageRegister) and 2 for "Abbruch" (Image1); closing the window any other way gives 0,
// which callers treat like "no".

#include <QDialog>

class QLabel;
class QPushButton;

class TFrage : public QDialog {
    Q_OBJECT
public:
    explicit TFrage(QWidget* parent = nullptr);

    // Background of the dialog (the program's FormColor).
    void SetBackground(const QColor& color);
    // Sets caption and question, shows the dialog modally; true for "OK".
    bool Ask(const QString& caption, const QString& question);

    QLabel* LabelFrage = nullptr;
    QLabel* LabelHinweis = nullptr; // a second line above the question, hidden unless a caller shows it
    QPushButton* ImageRegister = nullptr; // "OK", result 1
    QPushButton* Image1 = nullptr;        // "Abbruch", result 2
};

// The one dialog of the run, created at start-up after the main window.
extern TFrage* Frage;
