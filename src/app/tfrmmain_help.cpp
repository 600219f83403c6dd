// The main window's message hook: F1, help mode and the hint shown for the control under the
// pointer.

#include "app/helptopics.h"
#include "app/tfrmmain.h"
#include "editor/tfrmtabeditor.h"
#include "ui/helpwindow.h"
#include "ui/hints.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>

namespace {

Qt::CursorShape screenCursor()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

bool inHelpMode()
{
    const Qt::CursorShape shape = screenCursor();
    return shape == Qt::WhatsThisCursor || shape == Qt::DragCopyCursor;
}

// Help mode pushes exactly one cursor; ending it takes that one away again.
void endHelpMode()
{
    if (inHelpMode())
        QApplication::restoreOverrideCursor();
}

} // namespace

void TfrmMain::Label9Click()
{
    if (inHelpMode())
        endHelpMode();
    else if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
}

void TfrmMain::ShowHint(const QString& hint)
{
    CurrentHint = hint;
    QStatusBar* bar = frmTabEditor ? frmTabEditor->StatusBar : nullptr;
    if (hint.isEmpty()) {
        if (bar)
            bar->clearMessage();
        if (screenCursor() == Qt::DragCopyCursor)
            QApplication::changeOverrideCursor(Qt::WhatsThisCursor);
        return;
    }
    if (bar)
        bar->showMessage(hint);
    // In help mode the cursor tells whether the control under the pointer has help.
    if (screenCursor() == Qt::WhatsThisCursor)
        QApplication::changeOverrideCursor(Qt::DragCopyCursor);
}

void TfrmMain::updateHintFrom(QWidget* widget)
{
    const QString hint = widget ? LongHint(HintUnder(widget)) : QString();
    if (hint != CurrentHint || inHelpMode())
        ShowHint(hint);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (AppMessage(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::AppMessage(QObject* receiver, QEvent* event)
{
    // Window-level events reach the widget next; handle each message once, at the widget.
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            endHelpMode();
            ShowHelpTopic(QString::fromLatin1(HelpContentsTopic));
            return true;
        }
        return false;
    case QEvent::Enter:
        updateHintFrom(widget);
        return false;
    case QEvent::Leave:
        updateHintFrom(QApplication::widgetAt(QCursor::pos()));
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton || !inHelpMode())
            return false;
        // The click belongs to help mode; neither it nor its release reaches the control.
        updateHintFrom(widget);
        const bool hasHelp = screenCursor() == Qt::DragCopyCursor;
        QString topic = HelpTopicForHint(CurrentHint);
        // A control whose long hint is a sentence ("Zoomfaktor für die Ansicht einstellen")
        // finds its topic by the short one ("Zoomfaktor").
        if (const QString full = HintUnder(widget);
            topic == QLatin1String(HelpContentsTopic) && full.contains(QLatin1Char('|')))
            topic = HelpTopicForHint(full.section(QLatin1Char('|'), 0, 0));
        endHelpMode();
        m_swallowRelease = true;
        if (hasHelp)
            ShowHelpTopic(topic);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_swallowRelease) {
            m_swallowRelease = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}
