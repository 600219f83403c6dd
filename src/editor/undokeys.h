#pragma once
// The text keys of the undo list. The first character selects the kind:
//   "+i"            element i was removed (a copy is attached)
//   "-i"            an element was inserted at index i
//   "~a#b"          the element at index a was moved to index b
//   ">iLl..t..w..h..#"  element i had this left, top, width and height before a move/resize
//   "i" (digits)    element i was modified (its former state is attached)
//   "*"             text elements were filled from their placeholders (their former texts
//                   are attached)
//   "=w..h..#"      the sheet format was this width and height before
// The four lengths of a geometry key are written in the user's locale, shortest form.

#include <QString>

QString RemovedUndoKey(int index);
QString InsertedUndoKey(int index);
QString MovedUndoKey(int from, int to);
QString GeometryUndoKey(int index, double left, double top, double width, double height);
QString TextsUndoKey();
QString SheetUndoKey(double width, double height);

struct TUndoKey {
    enum Kind { Invalid, Removed, Inserted, Moved, Geometry, Modified, Texts, Sheet };
    Kind kind = Invalid;
    int index = -1;  // Removed, Inserted, Geometry, Modified; the source a of Moved
    int target = -1; // Moved: b
    double left = 0, top = 0, width = 0, height = 0; // Sheet: width and height
};

// Reads a key back; anything malformed gives kind Invalid.
TUndoKey ParseUndoKey(const QString& key);
