#pragma once
// The help viewer: HTML help files shown in a window of our own. A topic keyword is an
// anchor of the help file (<a name="lineal">); a keyword the file does not hold opens the
// contents page, the anchor "Inhalt".

#include <QString>
#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Loads file (when it is not already shown) and scrolls to the anchor; falls back to the
    // contents anchor when the file has no such anchor. False when the file cannot be read.
    bool Open(const QString& file, const QString& anchor);
    // Whether the loaded page holds this anchor.
    bool HasAnchor(const QString& anchor) const;

    QString CurrentFile() const { return m_file; }
    QString CurrentAnchor() const { return m_anchor; }
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
    QString m_file;
    QString m_anchor;
};

// The contents page's anchor.
inline constexpr const char* HelpContentsTopic = "Inhalt";

// The application's help file: the first help file of the catalogue (empty without one).
void SetMainHelpFile(const QString& file);
QString MainHelpFile();

// Opens the main help file at a topic keyword; without a help file, or when it cannot be
// read, a message says so.
void ShowHelpTopic(const QString& keyword);
// Opens a help file at its contents page.
void ShowHelpContents(const QString& file);

// The one help window of the run (created on first use).
THelpWindow* HelpWindowInstance();
