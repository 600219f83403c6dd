// Mouse editing on the sheet: selection, moving, resizing by edges and corners, carrying a
// freshly inserted element, and the undo entry written on release.

#include "ui/globals.h"
#include "document/units.h"
#include "editor/inspectorlink.h"
#include "editor/tfrmtabeditor.h"
#include "editor/undokeys.h"

#include <QScrollArea>
#include <QToolButton>
#include <algorithm>

void TfrmTabEditor::SelectElement(int index, bool insertion) {
    if (MainLink) {
        MainLink->SelectElement(index, insertion);
        return;
    }
    // Without a main window: what its SelectElement does, straight to the editor.
    Document->SelectedIndex = index;
    const bool valid = index >= 0 && index < Document->Count();
    if (ActiveEditor) {
        if (valid)
            ActiveEditor->PageProcessSimpleHit(Document->Element(index), 0, 0, insertion);
        else
            ActiveEditor->PageProcessSimpleHit(nullptr, 0, 0, false);
    }
}

TDocElement* TfrmTabEditor::liveSelection() {
    if (!SelectedElement)
        return nullptr;
    const int i = Document->SelectedIndex;
    if (i >= 0 && i < Document->Count() && Document->Element(i) == SelectedElement)
        return SelectedElement;
    // The stack was replaced or changed behind the editor's back: forget the selection
    // rather than touch an element that may be gone.
    SelectedElement = nullptr;
    endCarry(true);
    DragMode = 0;
    InsertPending = false;
    GeometryChanged = false;
    for (QToolButton* b : {SpeedButtonErase, SpeedButtonCut, SpeedButtonCopy})
        b->setEnabled(false);
    if (Inspector)
        Inspector->SetReference(nullptr);
    return nullptr;
}

void TfrmTabEditor::PageProcessSimpleHit(TDocElement* element, int x, int y, bool insertion) {
    // Any new selection, also the press that drops it, puts a carried element on the sheet.
    endCarry(true);
    // A carried element keeps its top-left corner under the pointer (page coordinates),
    // whatever position the caller hands over.
    DragStart = insertion ? QPoint(0, 0) : QPoint(x, y);
    GeometryChanged = false;
    DragStarted = false;
    if (insertion) {
        InsertPending = true;
    } else if (InsertPending && element != SelectedElement) {
        // The carried element was left where it is, or is gone (undone, erased): its
        // insertion is settled, and a drag of another element records its own entry.
        const auto& all = Document->Elements;
        if (std::any_of(all.begin(), all.end(),
                        [this](const auto& e) { return e.get() == SelectedElement; }))
            Document->Modified = true;
        InsertPending = false;
    }
    DragMode = 0;

    // An element that hangs on the pointer is the user's business at the sheet: its keys
    // (Ctrl+C, Ctrl+V, Delete) must reach the editor, wherever the keyboard was before (the
    // inspector, or nowhere after the open dialog closed). Otherwise they went astray and
    // the element stayed carried, to be dropped wherever the pointer went next.
    if (insertion && isVisible() && !window()->isActiveWindow())
        window()->activateWindow();
    ScrollBox->setFocus();
    for (QToolButton* b : {SpeedButtonErase, SpeedButtonCut, SpeedButtonCopy})
        b->setEnabled(false);

    SelectedElement = element;
    if (Inspector)
        Inspector->SetReference(element);

    if (element) {
        for (QToolButton* b : {SpeedButtonErase, SpeedButtonCut, SpeedButtonCopy})
            b->setEnabled(true);
        SavedGeometry = {element->Left, element->Top, element->Width, element->Height};
        DragMode = 1;
        if (insertion)
            beginCarry(element);
        PagePaint();
    }
}

void TfrmTabEditor::PageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                                  int y, bool doubleClick) {
    EdgeCode = 0;
    if (button != Qt::LeftButton)
        return;
    // Keypad and group-switch flags are no shift state.
    modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    // A plain press on an edge or corner of the selected element grabs that edge, also
    // where another element lies in front of it.
    if (TDocElement* selected = liveSelection();
        selected && modifiers == Qt::NoModifier && !doubleClick) {
        if (const int zone = EdgeZone(*selected, x, y, ZoomFactor); zone != 0) {
            PageProcessSimpleHit(selected, x, y, false);
            EdgeCode = std::uint8_t(zone);
            DragMode = 2;
            return;
        }
    }
    TDocElement* element = Document->HitTest(x, y, modifiers, ZoomFactor, CurrentSide, doubleClick);
    PageProcessSimpleHit(element, x, y, false);
    if (SelectedElement) {
        EdgeCode = std::uint8_t(EdgeZone(*SelectedElement, x, y, ZoomFactor));
        if (EdgeCode != 0)
            DragMode = 2;
    }
}

void TfrmTabEditor::PageMouseMove(int x, int y) {
    if (!liveSelection())
        return;
    switch (DragMode) {
    case 1:
        PageMouseMoveElement(x, y);
        break;
    case 2:
        PageMouseMoveEdge(x, y);
        break;
    default: {
        static const Qt::CursorShape cursors[9] = {
            Qt::ArrowCursor,     Qt::SizeHorCursor,   Qt::SizeHorCursor,
            Qt::SizeVerCursor,   Qt::SizeVerCursor,   Qt::SizeFDiagCursor,
            Qt::SizeBDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor};
        const int zone = EdgeZone(*SelectedElement, x, y, ZoomFactor);
        Page->setCursor(cursors[zone >= 0 && zone <= 8 ? zone : 0]);
        break;
    }
    }
}

void TfrmTabEditor::PageMouseMoveElement(int x, int y) {
    if (!DragStarted) {
        // A small dead zone keeps a plain click from nudging the element.
        if (std::abs(x - DragStart.x()) > 3 || std::abs(y - DragStart.y()) > 3)
            DragStarted = true;
        return;
    }
    GeometryChanged = true;
    const QRect carriedBefore = CarriedRect();
    SelectedElement->Left = SavedGeometry.Left + PixelToMm(x - DragStart.x(), ZoomFactor);
    SelectedElement->Top = SavedGeometry.Top + PixelToMm(y - DragStart.y(), ZoomFactor);
    if (Inspector)
        Inspector->UpdateFromReference();
    if (carriedBefore.isValid())
        carryStep(carriedBefore);
    else
        PagePaint();
}

void TfrmTabEditor::PageMouseMoveEdge(int x, int y) {
    GeometryChanged = true;
    const double dx = PixelToMm(x - DragStart.x(), ZoomFactor);
    const double dy = PixelToMm(y - DragStart.y(), ZoomFactor);
    const double L0 = SavedGeometry.Left, T0 = SavedGeometry.Top;
    const double W0 = SavedGeometry.Width, H0 = SavedGeometry.Height;
    const bool prop = Inspector && Inspector->Proportional();
    TDocElement& e = *SelectedElement;

    // Horizontal step first; with proportional sizing the other dimension changes by the
    // same millimetres, so with both steps the vertical movement decides. A step is skipped
    // when any size it sets would not stay positive (also the proportional one).
    const bool grabsLeft = EdgeCode == 1 || EdgeCode == 7 || EdgeCode == 8;
    const bool grabsRight = EdgeCode == 2 || EdgeCode == 5 || EdgeCode == 6;
    const bool grabsTop = EdgeCode == 3 || EdgeCode == 6 || EdgeCode == 8;
    const bool grabsBottom = EdgeCode == 4 || EdgeCode == 5 || EdgeCode == 7;
    const bool corner = EdgeCode >= 5;
    // A size set by hand is kept: the box no longer grows with its text.
    if (auto* text = dynamic_cast<TDocElementTXT*>(&e))
        text->GrowsWithText = false;

    if (grabsLeft || grabsRight) {
        const double d = grabsLeft ? -dx : dx; // growth of the width
        const bool linked = prop && corner;
        if (W0 + d > 0 && (!linked || H0 + d > 0)) {
            if (grabsLeft)
                e.Left = L0 + dx;
            e.Width = W0 + d;
            if (linked)
                e.Height = H0 + d;
        }
    }
    if (grabsTop || grabsBottom) {
        const double d = grabsTop ? -dy : dy; // growth of the height
        const bool linked = prop && corner;
        if (H0 + d > 0 && (!linked || W0 + d > 0)) {
            if (grabsTop)
                e.Top = T0 + dy;
            e.Height = H0 + d;
            if (linked) {
                // The width grows away from the fixed opposite corner.
                if (grabsLeft)
                    e.Left = L0 - d;
                e.Width = W0 + d;
            }
        }
    }
    if (Inspector)
        Inspector->UpdateFromReference();
    PagePaint();
}

void TfrmTabEditor::PageMouseUp() {
    DragMode = 0;
    // A release ends the carry whatever is selected now: the inserted element may have been
    // undone or erased meanwhile, and the next drag must record its own entry.
    const bool insertPending = InsertPending;
    InsertPending = false;
    endCarry(false); // a release without a press on the sheet; the refresh below redraws
    const bool selected = liveSelection() != nullptr;
    if ((selected && GeometryChanged) || insertPending) {
        if (!insertPending)
            insertUndo(GeometryUndoKey(Document->SelectedIndex, SavedGeometry.Left,
                                       SavedGeometry.Top, SavedGeometry.Width,
                                       SavedGeometry.Height));
        Document->Modified = true;
        PageFullRefresh();
    } else {
        PagePaint();
    }
    Page->setCursor(Qt::ArrowCursor);
}
