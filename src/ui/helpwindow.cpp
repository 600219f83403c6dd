#include "ui/helpwindow.h"

#include "ui/messages.h"

#include <QFileInfo>
#include <QPointer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString g_mainHelpFile;
QPointer<THelpWindow> g_window;

const QString helpTitle = QStringLiteral("Hilfe");
} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(helpTitle);
    // An open help window does not keep the program running after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(640, 560);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    layout->addWidget(m_browser);
    // Links inside the help file change the shown topic; keep CurrentAnchor in step.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { m_anchor = url.fragment(); });
}

bool THelpWindow::Open(const QString& file, const QString& anchor)
{
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        return false;
    const QString path = info.absoluteFilePath();
    if (path != m_file) {
        m_browser->setSource(QUrl::fromLocalFile(path));
        m_file = path;
    }
    const QString target = HasAnchor(anchor) ? anchor : QString::fromLatin1(HelpContentsTopic);
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(target);
    m_browser->setSource(url);
    m_browser->scrollToAnchor(target);
    m_anchor = target;
    return true;
}

bool THelpWindow::HasAnchor(const QString& anchor) const
{
    if (anchor.isEmpty())
        return false;
    const QTextDocument* doc = m_browser->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && format.anchorNames().contains(anchor))
                return true;
        }
    }
    return false;
}

void SetMainHelpFile(const QString& file)
{
    g_mainHelpFile = file;
}

QString MainHelpFile()
{
    return g_mainHelpFile;
}

THelpWindow* HelpWindowInstance()
{
    if (!g_window)
        g_window = new THelpWindow();
    return g_window;
}

static void openHelp(const QString& file, const QString& anchor)
{
    if (file.isEmpty()) {
        ShowMessage(nullptr, helpTitle, QStringLiteral("Es ist keine Hilfedatei eingerichtet."));
        return;
    }
    THelpWindow* window = HelpWindowInstance();
    if (!window->Open(file, anchor)) {
        ShowMessage(nullptr, helpTitle,
                    QStringLiteral("Die Hilfedatei \"%1\" kann nicht gelesen werden.").arg(file));
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowHelpTopic(const QString& keyword)
{
    openHelp(g_mainHelpFile, keyword);
}

void ShowHelpContents(const QString& file)
{
    openHelp(file, QString::fromLatin1(HelpContentsTopic));
}
