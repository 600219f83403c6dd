// The tool-bar commands of the editor that change the element stack, and their undo.

#include "document/globals.h"
#include "document/placeholders.h"
#include "editor/inspectorlink.h"
#include "editor/tfrmtabeditor.h"
#include "editor/undokeys.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QShortcut>
#include <QTabBar>
#include <QToolButton>

void TfrmTabEditor::Change2Save() {
    if (MainLink)
        MainLink->Change2Save();
}

void TfrmTabEditor::insertUndo(const QString& key) {
    Document->InsertUndo(key);
    // Insertions paint before their entry is written; keep the button in step at once.
    SpeedButtonReturn->setEnabled(!Document->UndoList.isEmpty());
}

void TfrmTabEditor::buildShortcuts() {
    // The usual keys for the buttons; each works only while its button does.
    auto bind = [this](const QKeySequence& keys, QToolButton* button) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    };
    bind(QKeySequence(Qt::Key_Delete), SpeedButtonErase);
    bind(QKeySequence::Cut, SpeedButtonCut);
    bind(QKeySequence::Copy, SpeedButtonCopy);
    bind(QKeySequence::Paste, SpeedButtonPaste);
    bind(QKeySequence::Undo, SpeedButtonReturn);
}

void TfrmTabEditor::SpeedButtonNewClick() {
    if (!Document->QueryDiscard())
        return;
    // The old elements are gone: drop the selection before anything draws or asks for it.
    SelectElement(-1, false);
    Document->UndoList.clear();
    // The new sheet may have another size than the one shown: a fit mode fits it anew.
    const int zoomItem = ZoomComboBox->currentIndex();
    if (zoomItem >= 0 && zoomItem <= 2)
        ZoomfeldChange();
    else
        AdjustPage();
    Document->Notes.clear();
}

void TfrmTabEditor::SpeedButtonSaveClick() {
    const QString name = Document->GetFileName();
    if (name.isEmpty()) {
        Change2Save();
        return;
    }
    const bool damaged = Document->IsDamagedFile(name);
    if (damaged && !Document->MaySaveOver(name))
        return;
    try {
        Document->SaveToFile(name);
    } catch (const TDocumentError& e) {
        ShowError(e.message());
        return;
    }
    if (damaged)
        Document->DamagedFile.clear();
}

void TfrmTabEditor::SpeedButtonEraseClick() {
    if (!liveSelection())
        return;
    Document->PushUndo();
    Document->UndoList[0].Key.prepend(QLatin1Char('+'));
    Document->DeleteSelected();
    SelectElement(-1, false);
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonCutClick() {
    if (!liveSelection())
        return;
    Document->PushUndo();
    Document->UndoList[0].Key.prepend(QLatin1Char('+'));
    SpeedButtonCopyClick();
    Document->DeleteSelected();
    SelectElement(-1, false);
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonCopyClick() {
    TDocElement* element = liveSelection();
    if (!element)
        return;
    ClipboardElement.reset(element->Clone());
    if (!ClipboardElement)
        return;
    ClipboardElement->Left = 0;
    ClipboardElement->Top = 0;
    SpeedButtonPaste->setEnabled(true);
    // Pictures also go to other programs; texts stay private.
    if (auto* graphic = dynamic_cast<TDocElementWMF*>(element)) {
        if (QMimeData* data = PictureMimeData(graphic->Metafile))
            QGuiApplication::clipboard()->setMimeData(data);
    }
}

void TfrmTabEditor::SpeedButtonPasteClick() {
    if (!ClipboardElement)
        return;
    ClipboardElement->Side = CurrentSide;
    std::unique_ptr<TDocElement> copy(ClipboardElement->Clone());
    if (!copy)
        return;
    Document->InsertElement(0, std::move(copy));
    SelectElement(0, true);
    insertUndo(InsertedUndoKey(0));
}

void TfrmTabEditor::SpeedButtonTextClick() {
    Document->AddText(QStringLiteral("Text"));
    SelectElement(0, true);
    PageFullRefresh();
    insertUndo(InsertedUndoKey(0));
}

bool TfrmTabEditor::moveElement(int from, int to) {
    const int n = Document->Count();
    if (from < 0 || from >= n || to < 0 || to >= n)
        return false;
    std::unique_ptr<TDocElement> element = Document->TakeElement(from);
    Document->InsertElement(to, std::move(element));
    return true;
}

void TfrmTabEditor::SpeedButtonFullDownClick() {
    const int i = Document->SelectedIndex;
    const int n = Document->Count();
    if (i < 0 || i >= n - 1)
        return;
    insertUndo(MovedUndoKey(i, n - 1));
    moveElement(i, n - 1);
    Document->SelectedIndex = n - 1;
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButton1DownClick() {
    const int i = Document->SelectedIndex;
    const int n = Document->Count();
    if (i < 0 || i >= n - 1)
        return;
    insertUndo(MovedUndoKey(i, i + 1));
    moveElement(i, i + 1);
    Document->SelectedIndex = i + 1;
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButton1UpClick() {
    const int i = Document->SelectedIndex;
    if (i <= 0 || i >= Document->Count())
        return;
    insertUndo(MovedUndoKey(i, i - 1));
    moveElement(i, i - 1);
    Document->SelectedIndex = i - 1;
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonFullUpClick() {
    const int i = Document->SelectedIndex;
    if (i <= 0 || i >= Document->Count())
        return;
    insertUndo(MovedUndoKey(i, 0));
    moveElement(i, 0);
    Document->SelectedIndex = 0;
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonReturnClick() {
    if (Document->UndoList.isEmpty())
        return;
    const TUndoEntry entry = Document->UndoList.first();
    const TUndoKey key = ParseUndoKey(entry.Key);
    const int n = Document->Count();
    // Every entry is checked against the stack as it is now; one that no longer fits (the
    // stack was replaced since) is dropped without touching any element.
    switch (key.kind) {
    case TUndoKey::Removed:
        if (entry.Object && key.index <= n) { // n: the element was the last one
            std::unique_ptr<TDocElement> copy(entry.Object->Clone());
            if (copy)
                Document->InsertElement(key.index, std::move(copy));
        }
        break;
    case TUndoKey::Inserted:
        if (key.index < n) {
            Document->SelectedIndex = key.index;
            Document->DeleteSelected();
        }
        break;
    case TUndoKey::Moved:
        moveElement(key.target, key.index);
        break;
    case TUndoKey::Geometry:
        // Replayed as written: the inspector stores sizes of 0 or below as typed, and undo
        // has to bring exactly those values back.
        if (key.index < n) {
            TDocElement* e = Document->Element(key.index);
            e->Left = key.left;
            e->Top = key.top;
            e->Width = key.width;
            e->Height = key.height;
        }
        break;
    case TUndoKey::Modified:
        if (entry.Object && key.index < n) {
            std::unique_ptr<TDocElement> copy(entry.Object->Clone());
            if (copy) {
                Document->TakeElement(key.index);
                Document->InsertElement(key.index, std::move(copy));
            }
        }
        break;
    case TUndoKey::Invalid:
        break;
    }
    SelectElement(-1, false);
    if (!Document->UndoList.isEmpty())
        Document->UndoList.removeFirst();
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonArangeClick() {
    SelectElement(-1, false);
    const int cut = Document->FillPlaceholders();
    PageFullRefresh();
    if (cut > 0)
        ShowError(CutTextsNote(cut));
}

void TfrmTabEditor::TabSetSeitenChange(int index) {
    if (index < 0)
        return;
    SelectElement(-1, false);
    CurrentSide = index;
    PageFullRefresh();
}
