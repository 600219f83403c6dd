#pragma once
// Notices to the user go through here, so that tests (and batch tools) can catch them
// instead of blocking on a modal box.

#include <QString>
#include <functional>

class QWidget;

// When set, receives every notice instead of a message box.
extern std::function<void(const QString& title, const QString& text)> MessageHook;

// A modal warning box (German texts), or the hook when one is installed.
void ShowMessage(QWidget* parent, const QString& title, const QString& text);
// The same for a notice that reports success: the information icon instead of the warning.
void ShowInformation(QWidget* parent, const QString& title, const QString& text);

// The icon of the last notice, whether shown or handed to the hook.
enum class TMessageIcon { Warning, Information };
extern TMessageIcon LastMessageIcon;
