#pragma once
// Editing steps through the program's own widgets, for tests of the whole program: clicks on
// elements of the sheet, keys sent to the editor of the active main window, and the document
// as bytes to compare states.

#include "ui/globals.h"
#include "document/units.h"
#include "editor/tfrmtabeditor.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

namespace EditingSteps {

inline QPoint pixelAt(const TfrmTabEditor* editor, double xmm, double ymm) {
    return QPoint(MmToPixel(editor->ZoomFactor, xmm), MmToPixel(editor->ZoomFactor, ymm));
}

// A click well inside the element, away from its edges.
inline void clickElement(TfrmTabEditor* editor, const TDocElement& e) {
    QTest::mouseClick(editor->Page, Qt::LeftButton, Qt::NoModifier,
                      pixelAt(editor, e.Left + e.Width / 2, e.Top + e.Height / 2));
}

// Moves there (a carried element follows once the pointer leaves its dead zone) and clicks.
inline void clickAt(TfrmTabEditor* editor, double xmm, double ymm) {
    const QPoint p = pixelAt(editor, xmm, ymm);
    QTest::mouseMove(editor->Page, p + QPoint(8, 8));
    QTest::mouseMove(editor->Page, p);
    QTest::mouseClick(editor->Page, Qt::LeftButton, Qt::NoModifier, p);
}

// A key with modifiers as the user presses it on the sheet: the editor's window active and
// the focus in it, so that its shortcuts apply.
inline void pressKey(TfrmTabEditor* editor, Qt::Key key,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // The inspector, a window of its own, takes the activation when it is shown.
    QApplication::setActiveWindow(editor->window());
    (void)QTest::qWaitForWindowActive(editor->window());
    editor->ScrollBox->setFocus();
    QTest::keyClick(editor->ScrollBox, key, modifiers);
}

// A text element on top of the stack, on the front side.
inline TDocElementTXT* addText(const QString& text, double left, double top,
                               const QString& macro = QString()) {
    TDocElementTXT* e = Document->AddText(text);
    e->Left = left;
    e->Top = top;
    e->Width = 40;
    e->Height = 10;
    e->Side = 0;
    e->MacroText = macro;
    return e;
}

// Dark pixels of one text element drawn alone at the zoom, cut to its box as always. The
// same text in a box large enough to hold it shows all of its pixels.
inline int inkPixels(const TDocElementTXT& e, double zoom = 2.0) {
    TDocElementTXT alone(e);
    alone.Shadow = false;
    const double margin = 20;
    alone.Left = margin;
    alone.Top = margin;
    const int w = MmToPixel(zoom, std::max(alone.Width, 0.0) + 2 * margin);
    const int h = MmToPixel(zoom, std::max(alone.Height, 0.0) + 2 * margin);
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TAppDocument::DrawElement(painter, alone, zoom);
    }
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

inline QByteArray state() {
    return Document->SaveToBytes();
}

} // namespace EditingSteps
