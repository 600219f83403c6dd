#pragma once
// The tool-bar pictures of the editor, drawn in code so they scale and need no files.

#include <QIcon>

enum class TEditorIcon {
    New,
    Save,
    Erase,
    Cut,
    Copy,
    Paste,
    Undo,
    Redo,
    Text,
    Graphic,
    Inspector,
    FullDown,
    OneDown,
    OneUp,
    FullUp,
    TextBlocks,
    Barcode
};

QIcon EditorIcon(TEditorIcon which);
