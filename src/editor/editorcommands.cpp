// The tool-bar commands of the editor that change the element stack, and their undo.

#include "document/barcode.h"
#include "metafile/emfpaintdevice.h"
#include "ui/globals.h"
#include "document/placeholders.h"
#include "editor/inspectorlink.h"
#include "editor/tfrmtabeditor.h"
#include "editor/undokeys.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cmath>
#include <QPainter>
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
    updateUndoButtons();
}

void TfrmTabEditor::updateUndoButtons() {
    SpeedButtonReturn->setEnabled(Document && !Document->UndoList.isEmpty());
    SpeedButtonRedo->setEnabled(Document && !Document->RedoList.isEmpty());
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
    // Both habits: Ctrl+Y of Windows programs, Ctrl+Shift+Z of the others.
    bind(QKeySequence(Qt::CTRL | Qt::Key_Y), SpeedButtonRedo);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), SpeedButtonRedo);
}

void TfrmTabEditor::SpeedButtonNewClick() {
    if (!QueryDiscard(*Document))
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
    if (damaged && !MaySaveOver(*Document, name))
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
    } else if (auto* bar = dynamic_cast<TDocElementBAR*>(element)) {
        // Other programs get the symbol as vectors at 600 dpi.
        const QSize size(std::max(1, int(std::lround(bar->Width * 600 / 25.4))),
                         std::max(1, int(std::lround(bar->Height * 600 / 25.4))));
        TMetafile picture;
        {
            TEmfPaintDevice device(picture, size, 600);
            QPainter painter(&device);
            PaintBarcode(painter, *bar, QRect(QPoint(0, 0), size));
        }
        if (QMimeData* data = PictureMimeData(picture))
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
    // The small new box grows with what the user types into it.
    Document->AddText(QStringLiteral("Text"), CurrentSide)->GrowsWithText = true;
    SelectElement(0, true);
    PageFullRefresh();
    insertUndo(InsertedUndoKey(0));
}

void TfrmTabEditor::SpeedButtonBarcodeClick() {
    auto e = std::make_unique<TDocElementBAR>();
    e->Side = CurrentSide;
    e->Text = QStringLiteral("Quillmark");
    Document->InsertElement(0, std::move(e));
    Document->Modified = true;
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

TUndoEntry TfrmTabEditor::applyUndoEntry(const TUndoEntry& entry) {
    const TUndoKey key = ParseUndoKey(entry.Key);
    const int n = Document->Count();
    TUndoEntry inverse;
    // Every entry is checked against the stack as it is now; one that no longer fits (the
    // stack was replaced since) is dropped without touching any element.
    switch (key.kind) {
    case TUndoKey::Removed:
        if (entry.Object && key.index <= n) { // n: the element was the last one
            std::unique_ptr<TDocElement> copy(entry.Object->Clone());
            if (copy) {
                Document->InsertElement(key.index, std::move(copy));
                inverse.Key = InsertedUndoKey(key.index);
            }
        }
        break;
    case TUndoKey::Inserted:
        if (key.index < n) {
            std::unique_ptr<TDocElement> removed = Document->TakeElement(key.index);
            Document->SelectedIndex = -1;
            inverse.Key = RemovedUndoKey(key.index);
            inverse.Object = std::move(removed);
        }
        break;
    case TUndoKey::Moved:
        if (moveElement(key.target, key.index))
            inverse.Key = MovedUndoKey(key.target, key.index);
        break;
    case TUndoKey::Geometry:
        // Replayed as written: the inspector stores sizes of 0 or below as typed, and undo
        // has to bring exactly those values back.
        if (key.index < n) {
            TDocElement* e = Document->Element(key.index);
            inverse.Key = GeometryUndoKey(key.index, e->Left, e->Top, e->Width, e->Height);
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
                std::unique_ptr<TDocElement> before = Document->TakeElement(key.index);
                Document->InsertElement(key.index, std::move(copy));
                inverse.Key = entry.Key;
                inverse.Object = std::move(before);
            }
        }
        break;
    case TUndoKey::Texts:
        for (const auto& [index, text] : entry.Texts) {
            QString* filled = index >= 0 && index < n ? FilledTextOf(Document->Element(index))
                                                      : nullptr;
            if (!filled)
                continue;
            inverse.Texts.append({index, *filled});
            *filled = text;
        }
        if (!inverse.Texts.isEmpty())
            inverse.Key = entry.Key;
        break;
    case TUndoKey::Sheet:
        inverse.Key = SheetUndoKey(Document->PageWidth, Document->PageHeight);
        Document->PageWidth = key.width;
        Document->PageHeight = key.height;
        Document->Modified = true;
        AdjustPage(); // the sheet's new size on the screen
        break;
    case TUndoKey::Invalid:
        break;
    }
    return inverse;
}

namespace {

// Puts an entry in front of a list of undo or redo steps, kept to the document's depth.
void pushStep(QList<TUndoEntry>& list, TUndoEntry entry) {
    if (entry.Key.isEmpty())
        return;
    list.insert(0, std::move(entry));
    const int limit = std::max(0, int(Document->UndoLimit));
    while (list.size() > limit)
        list.removeLast();
}

} // namespace

void TfrmTabEditor::SpeedButtonReturnClick() {
    if (Document->UndoList.isEmpty())
        return;
    // The selection goes first: values typed into the inspector are applied as their own
    // step before anything is undone.
    SelectElement(-1, false);
    if (!Document->UndoList.isEmpty()) {
        const TUndoEntry entry = Document->UndoList.takeFirst();
        pushStep(Document->RedoList, applyUndoEntry(entry));
    }
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonRedoClick() {
    if (Document->RedoList.isEmpty())
        return;
    // Values typed into the inspector are a new change, which ends what could be redone.
    SelectElement(-1, false);
    if (!Document->RedoList.isEmpty()) {
        const TUndoEntry entry = Document->RedoList.takeFirst();
        // Not InsertUndo: that would end the remaining redo steps.
        pushStep(Document->UndoList, applyUndoEntry(entry));
    }
    PageFullRefresh();
}

void TfrmTabEditor::SpeedButtonArangeClick() {
    SelectElement(-1, false);
    // The texts as they were, so that one undo puts back exactly what the filling replaced.
    QList<QPair<int, QString>> before;
    for (int i = 0; i < Document->Count(); ++i) {
        if (const QString* filled = FilledTextOf(Document->Element(i)))
            before.append({i, *filled});
    }
    const int cut = Document->FillPlaceholders(CurrentPlaceholderValues());
    TUndoEntry entry;
    entry.Key = TextsUndoKey();
    for (const auto& [index, text] : before) {
        if (*FilledTextOf(Document->Element(index)) != text)
            entry.Texts.append({index, text});
    }
    if (!entry.Texts.isEmpty()) {
        Document->InsertUndo(std::move(entry));
        Document->Modified = true;
    }
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
