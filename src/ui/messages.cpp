#include "ui/messages.h"

#include <QMessageBox>

std::function<void(const QString& title, const QString& text)> MessageHook;

TMessageIcon LastMessageIcon = TMessageIcon::Warning;

void ShowMessage(QWidget* parent, const QString& title, const QString& text)
{
    LastMessageIcon = TMessageIcon::Warning;
    if (MessageHook) {
        MessageHook(title, text);
        return;
    }
    QMessageBox::warning(parent, title, text);
}

void ShowInformation(QWidget* parent, const QString& title, const QString& text)
{
    LastMessageIcon = TMessageIcon::Information;
    if (MessageHook) {
        MessageHook(title, text);
        return;
    }
    QMessageBox::information(parent, title, text);
}
