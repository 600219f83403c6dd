#include "ui/messages.h"

#include <QMessageBox>

std::function<void(const QString& title, const QString& text)> MessageHook;

void ShowMessage(QWidget* parent, const QString& title, const QString& text)
{
    if (MessageHook) {
        MessageHook(title, text);
        return;
    }
    QMessageBox::warning(parent, title, text);
}
