#pragma once
// Small controls shared by the inspector's pages and the filter dialog.

#include "document/docelement.h"
#include <QWidget>
#include <array>
#include <functional>

class QDialog;
class QLineEdit;
class QToolButton;

// Hints have a short part (tool tip) and a long part (status bar, help key) separated by "|".
// SetHint comes from the shared hint helpers.
#include "ui/hints.h"
QString Hint(const QWidget* widget);

// Runs a modal dialog and returns its result. Tests replace it to answer dialogs.
extern std::function<int(QDialog&)> ExecDialog;

// An up-down arrow pair. With an associated edit it behaves like the platform's buddy
// up-down: a click reads the edit's number, steps it, and writes it back as an integer.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min = 0;
    int Max = 100;
    int Increment = 1;
    bool Wrap = false;
    QLineEdit* Associate = nullptr;

    int Position() const { return m_position; }
    // Sets the position (clamped) and, with an associated edit, its text.
    void SetPosition(int value);
    // One arrow step, as a click on the up or down arrow does.
    void Step(bool up);

    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

signals:
    // After every arrow step: the position may or may not have moved.
    void Click(bool up);
    // After a step that moved the position.
    void Changing();
    // The mouse button was released over one of the arrows (ends a held step).
    void MouseUp();

protected:
    void resizeEvent(QResizeEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_position = 0;
};

// The 16 static colours of the default palette in 8 columns x 2 rows. The left button
// chooses the foreground colour, the right button the background colour (when enabled).
class TColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent = nullptr);

    static TColor GridColor(int index);
    // -1: a colour of the element that is not in the grid (OwnForeground/OwnBackground),
    // kept until the user picks a cell.
    int ForegroundIndex = 0;
    int BackgroundIndex = 15;
    TColor OwnForeground = 0;
    TColor OwnBackground = 0;
    bool BackgroundEnabled = false;
    TColor ForegroundColor() const {
        return ForegroundIndex < 0 ? OwnForeground : GridColor(ForegroundIndex);
    }
    TColor BackgroundColor() const {
        return BackgroundIndex < 0 ? OwnBackground : GridColor(BackgroundIndex);
    }
    // Index of the cell under a point of the widget, -1 outside the cells.
    int CellAt(const QPoint& pos) const;
    QRect CellRect(int index) const;

signals:
    void Change();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
};

QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
