#pragma once
// The main window: the register strip with its click areas, one panel per workspace behind
// it, start-up and closing, hints, help mode and the language file.

#include "app/catalogue.h"
#include "ui/globals.h"

#include <QMainWindow>
#include <QPointer>
#include <QVector>

class QFrame;
class QLabel;
class QTabWidget;
class QTimer;
class TClickLabel;
class TfrmTabCD;
class TfrmTabCliparts;
class TfrmTabEditor;
class TfrmTabFiler;
class TfrmTabInfo;
class TfrmTabPrinting;
class TfrmTabSettings;
class TfrmTabTemplates;

class TfrmMain : public QMainWindow, public TMainLink {
    Q_OBJECT
public:
    // The workspaces in the order of the tab sheets of pageMain.
    enum Tab { TabTemplates, TabEditor, TabFiler, TabSettings, TabCliparts, TabPrinting,
               TabInfo, TabCD, TabCount };

    // programDir: where lang.txt and the relative help files lie (with trailing "/").
    explicit TfrmMain(const QString& programDir, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Tab change handler: puts the workspaces into the state the active tab needs.
    void pageMainChange();
    // Click on a register area: brings that workspace to the front.
    void LabelClick(Tab tab);
    // The "?" area: switches help mode on and off.
    void Label9Click();
    // The application's hint handler; hint is the long part of the hint under the pointer.
    void ShowHint(const QString& hint);
    // Reads the language file of the program directory and applies the given column.
    void sprache(int column);
    // Opens file (a full path) as "Öffnen" of the file workspace would, once the start-up
    // runs (the first activation), instead of showing the templates after the start picture.
    void OpenAtStart(const QString& file) { m_startFile = file; }
    // Writes the window placement into the settings ("Settings" section).
    void SavePlacement(QSettings& settings) const;

    // TMainLink
    void SelectElement(int index, bool insertion) override;
    void Change2Save() override;
    void Change2Editor() override;
    bool AskFrage(const QString& caption, const QString& question) override;

    Tab ActiveTab() const;
    // Makes a tab active without running the change handler (the callers run it).
    void SetActiveTab(Tab tab);

    QString ProgramDir;
    QString MainHelpFile; // the main window's help file (first "#File:" of the catalogue)
    TCatalogue Catalogue; // what the catalogue named, for the workspaces and tests
    QString CurrentHint;  // the application's current hint (long part)

    bool FirstActivation = false;
    bool StartupPending = false;
    QPointer<QTimer> StartTimer;

    QWidget* RegisterStrip = nullptr;
    QLabel* RegisterImage = nullptr;
    QVector<TClickLabel*> Labels; // Label1 .. Label9, indexed by Tab; Label9 last
    TClickLabel* Label9 = nullptr;
    QFrame* Slider = nullptr;
    QTabWidget* pageMain = nullptr;
    QVector<QWidget*> Pages; // PageTemplates .. PageCDDir, indexed by Tab
    QLabel* OwnerPanel = nullptr;

    TfrmTabTemplates* frmTabTemplates = nullptr;
    TfrmTabEditor* frmTabEditor = nullptr;
    TfrmTabFiler* frmTabFiler = nullptr;
    TfrmTabSettings* frmTabSettings = nullptr;
    TfrmTabCliparts* frmTabCliparts = nullptr;
    TfrmTabPrinting* frmTabPrinting = nullptr;
    TfrmTabInfo* frmTabInfo = nullptr;
    TfrmTabCD* frmTabCD = nullptr;

    // Slider positions of the tabs (left, width).
    static QPoint SliderPlace(Tab tab);

protected:
    void closeEvent(QCloseEvent* event) override;   // FormClose
    void resizeEvent(QResizeEvent* event) override; // FormResize
    void changeEvent(QEvent* event) override;       // FormActivate
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createStrip();
    void createPages();
    void createWorkspaces();
    void readCatalogueFile();
    void FormActivate();
    void StartTimerTimer();
    void restorePlacement();
    void redrawRegister();
    void layoutOwnerPanel();
    bool AppMessage(QObject* receiver, QEvent* event);
    void updateHintFrom(QWidget* widget);
    void applyLanguage();

    QString m_startFile;
    bool m_swallowRelease = false;
    bool m_switching = false;
};
