#pragma once
// The paint boxes of the editor: the sheet and the two rulers. They own nothing; painting and
// mouse input go straight to the editor, which keeps all state.

#include <QWidget>

class TfrmTabEditor;

class TSheetPage : public QWidget {
    Q_OBJECT
public:
    TSheetPage(TfrmTabEditor* editor, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TfrmTabEditor* m_editor;
};

class TRulerBox : public QWidget {
    Q_OBJECT
public:
    TRulerBox(TfrmTabEditor* editor, bool atTop, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TfrmTabEditor* m_editor;
    bool m_atTop;
};
