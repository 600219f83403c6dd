#pragma once
// The sheet editor workspace ("Blatt"). Placeholder declaration fixed by the coordinator so
// that the main window can be written against it; the editor's author fills it in.

#include <QWidget>

class QStatusBar;
class QTabBar;
class QToolBar;
class TDocElement;

class TfrmTabEditor : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTabEditor(QWidget* parent = nullptr);
    ~TfrmTabEditor() override;

    // Called by the main window on tab changes.
    void Sleep();
    void WakeUp();
    void ZoomGanzeSeite();
    void AdjustPage();
    void MyMemoryBitmapPaint();
    void FormPaint();
    void PageFullRefresh();
    // Makes an element the selection; insertion = carry mode (the element follows the
    // pointer until the next click places it).
    void PageProcessSimpleHit(TDocElement* element, int x, int y, bool insertion);

    QStatusBar* StatusBar = nullptr;
    QTabBar* TabSetSeiten = nullptr; // "Vorderseite", "Rückseite"
    QToolBar* ToolBar = nullptr;
};
