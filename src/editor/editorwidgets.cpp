#include "editor/editorwidgets.h"

#include "editor/tfrmtabeditor.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TSheetPage::TSheetPage(TfrmTabEditor* editor, QWidget* parent) : QWidget(parent), m_editor(editor) {
    // Moves without a pressed button matter too: the edge cursor and carry mode.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSheetPage::paintEvent(QPaintEvent* e) {
    QPainter painter(this);
    m_editor->PaintPage(painter, e->rect());
}

void TSheetPage::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    m_editor->PageMouseDown(e->button(), e->modifiers(), p.x(), p.y(), false);
}

void TSheetPage::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second press of a double click carries the double-click mark.
    const QPoint p = e->position().toPoint();
    m_editor->PageMouseDown(e->button(), e->modifiers(), p.x(), p.y(), true);
}

void TSheetPage::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    m_editor->PageMouseMove(p.x(), p.y());
}

void TSheetPage::mouseReleaseEvent(QMouseEvent*) {
    m_editor->PageMouseUp();
}

TRulerBox::TRulerBox(TfrmTabEditor* editor, bool atTop, QWidget* parent)
    : QWidget(parent), m_editor(editor), m_atTop(atTop) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TRulerBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_atTop)
        m_editor->PaintTopRuler(painter);
    else
        m_editor->PaintSideRuler(painter);
}
