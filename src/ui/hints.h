#pragma once
// Hints have a short and a long part separated by "|": the short part is the tool tip, the
// long part goes to the editor's status bar and names the context-help topic. A widget keeps
// its whole hint in the property "hint"; widgets that only set a tool tip and a status tip
// are understood as well.

#include <QString>

class QWidget;

// Sets the whole hint: tool tip = short part, status tip = long part.
void SetHint(QWidget* widget, const QString& hint);
// The whole hint of this widget (not its parents); empty when it has none.
QString HintOf(const QWidget* widget);
// The long part of a hint: the text after the first "|", or the whole hint without one.
QString LongHint(const QString& hint);
// The hint that applies under the pointer: the first widget from w upwards that has one.
QString HintUnder(const QWidget* widget);
