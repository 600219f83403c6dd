#include "app/tfrmmain.h"

#include "app/language.h"
#include "app/pictures.h"
#include "app/tfrmtabinfo.h"
#include "cdlabel/tfrmtabcd.h"
#include "fileworkspace/tfrmtabfiler.h"
#include "editor/inspectorlink.h"
#include "editor/tfrmtabeditor.h"
#include "inspector/ttoolmaster.h"
#include "libraries/tfrmtabcliparts.h"
#include "libraries/tfrmtabtemplates.h"
#include "ui/helpwindow.h"
#include "ui/clicklabel.h"
#include "ui/messages.h"
#include "ui/tfrage.h"
#include "printworkspace/tfrmtabprinting.h"
#include "settings/tfrmtabsettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <utility>

namespace {

constexpr int stripHeight = 37; // register picture (33) and the slider under it
constexpr int sliderHeight = 4;

struct TabPlace {
    const char* sheet;
    const char* caption;
    const char* panel;
    const char* label;
    int labelLeft;
    int sliderLeft;
    int sliderWidth;
};

// Sheets of pageMain, their panels and register areas, in the order of TfrmMain::Tab.
const TabPlace tabs[TfrmMain::TabCount] = {
    {"tabTemplates", "Vorlagen", "PageTemplates", "Label1", 4, 9, 68},
    {"tabEditor", "Blatt", "PageEditor", "Label2", 92, 96, 35},
    {"tabFiler", "Datei", "PageFiler", "Label8", 148, 153, 40},
    {"tabSettings", "Einstellungen", "PageSettings", "Label3", 208, 213, 94},
    {"TabCliparts", "Cliparts", "PageCliparts", "Label4", 324, 329, 56},
    {"tabPrinting", "Drucken", "PagePrinting", "Label5", 400, 405, 58},
    {"tabInfo", "Hinweise", "PageInfo", "Label6", 488, 488, 65},
    {"tabCD", "CD", "PageCDDir", "Label7", 572, 575, 24},
};

void paintBackground(QWidget* widget, const QColor& color)
{
    if (!widget)
        return;
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

} // namespace

QPoint TfrmMain::SliderPlace(Tab tab)
{
    return QPoint(tabs[tab].sliderLeft, tabs[tab].sliderWidth);
}

TfrmMain::TfrmMain(const QString& programDir, QWidget* parent)
    : QMainWindow(parent), ProgramDir(programDir)
{
    setObjectName(QStringLiteral("frmMain"));
    qApp->installEventFilter(this);
    LangStrings.clear();
    LangKeys.clear();
    AddressRecords.clear();
    MainLink = this;

    setWindowTitle(ApplicationTitle.isEmpty() ? QStringLiteral("Quillmark") : ApplicationTitle);
    resize(640, 480);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FormColor = QColor(82, 115, 231);
    paintBackground(this, FormColor);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    createStrip();
    layout->addWidget(RegisterStrip);
    createPages();
    // pageMain sits in a holder of its own, so that hiding it leaves the strip at the top.
    auto* holder = new QWidget(central);
    holder->setObjectName(QStringLiteral("PageHolder"));
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->addWidget(pageMain);
    layout->addWidget(holder, 1);

    OwnerPanel = new QLabel(QStringLiteral("Quillmark"), central);
    OwnerPanel->setObjectName(QStringLiteral("OwnerPanel"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(40);
    big.setBold(true);
    big.setItalic(true);
    OwnerPanel->setFont(big);
    OwnerPanel->setAlignment(Qt::AlignCenter);
    QPalette white = OwnerPanel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    OwnerPanel->setPalette(white);
    OwnerPanel->resize(300, 80);
    OwnerPanel->hide();

    createWorkspaces();
    // The first address record fills the placeholders from the start on.
    frmTabSettings->FormShow(ProgramDir);

    FirstActivation = true;
    SetActiveTab(TabInfo);
    pageMainChange();

    readCatalogueFile();
    if (!HelpFiles.isEmpty())
        MainHelpFile = HelpFiles.first();
    // Without help files in the catalogue the program has no help file at all.
    SetMainHelpFile(MainHelpFile);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    if (MainLink == this)
        MainLink = nullptr;
    LangStrings.clear();
    LangKeys.clear();
    AddressRecords.clear();
}

void TfrmMain::createStrip()
{
    RegisterStrip = new QWidget(this);
    RegisterStrip->setObjectName(QStringLiteral("RegisterStrip"));
    RegisterStrip->setFixedHeight(stripHeight);
    paintBackground(RegisterStrip, QColor(192, 192, 192));

    RegisterImage = new QLabel(RegisterStrip);
    RegisterImage->setObjectName(QStringLiteral("RegisterImage"));
    RegisterImage->setGeometry(0, 0, RegisterPictureWidth, RegisterPictureHeight);

    Labels.resize(TabCount);
    for (int i = 0; i < TabCount; ++i) {
        auto* label = new TClickLabel(RegisterStrip);
        label->setObjectName(QString::fromLatin1(tabs[i].label));
        // Each area reaches to the next one on the picture.
        int next = RegisterHelpLeft;
        for (const TabPlace& other : tabs) {
            if (other.labelLeft > tabs[i].labelLeft && other.labelLeft < next)
                next = other.labelLeft;
        }
        label->setGeometry(tabs[i].labelLeft, 0, next - tabs[i].labelLeft, RegisterPictureHeight);
        label->setCursor(Qt::PointingHandCursor);
        const Tab tab = Tab(i);
        connect(label, &TClickLabel::clicked, this, [this, tab] { LabelClick(tab); });
        Labels[i] = label;
    }

    Label9 = new TClickLabel(QStringLiteral("?"), RegisterStrip);
    Label9->setObjectName(QStringLiteral("Label9"));
    QFont bold(QStringLiteral("Arial"));
    bold.setPixelSize(15);
    bold.setBold(true);
    Label9->setFont(bold);
    QPalette white = Label9->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label9->setPalette(white);
    Label9->setAlignment(Qt::AlignCenter);
    Label9->setGeometry(RegisterHelpLeft, 0, 19, RegisterPictureHeight);
    Label9->setCursor(Qt::PointingHandCursor);
    connect(Label9, &TClickLabel::clicked, this, &TfrmMain::Label9Click);

    Slider = new QFrame(RegisterStrip);
    Slider->setObjectName(QStringLiteral("Slider"));
    paintBackground(Slider, QColor(220, 0, 0));
    Slider->setGeometry(tabs[TabInfo].sliderLeft, RegisterPictureHeight, tabs[TabInfo].sliderWidth,
                        sliderHeight);
}

void TfrmMain::createPages()
{
    pageMain = new QTabWidget(this);
    pageMain->setObjectName(QStringLiteral("pageMain"));
    pageMain->setDocumentMode(true);
    // The register picture is the visible tab row; the tab control only keeps the state.
    pageMain->tabBar()->hide();
    Pages.resize(TabCount);
    for (int i = 0; i < TabCount; ++i) {
        auto* sheet = new QWidget();
        sheet->setObjectName(QString::fromLatin1(tabs[i].sheet));
        auto* sheetLayout = new QVBoxLayout(sheet);
        sheetLayout->setContentsMargins(0, 0, 0, 0);
        auto* panel = new QWidget(sheet);
        panel->setObjectName(QString::fromLatin1(tabs[i].panel));
        paintBackground(panel, FormColor);
        sheetLayout->addWidget(panel);
        pageMain->addTab(sheet, QString::fromLatin1(tabs[i].caption));
        Pages[i] = panel;
    }
    pageMain->setTabText(TabSettings, QStringLiteral("Einstellungen"));
    pageMain->setTabText(TabInfo, QStringLiteral("Hinweise"));
    pageMain->setTabVisible(TabCD, false);
    connect(pageMain, &QTabWidget::currentChanged, this, [this] {
        // Switches by keyboard on the tab control run the handler like the click areas.
        if (!m_switching)
            pageMainChange();
    });
    redrawRegister();
}

void TfrmMain::createWorkspaces()
{
    if (!InspectorFactory)
        InspectorFactory = [](QWidget* parent) { return new TToolMaster(parent); };

    frmTabTemplates = new TfrmTabTemplates();
    frmTabEditor = new TfrmTabEditor();
    frmTabFiler = new TfrmTabFiler();
    frmTabSettings = new TfrmTabSettings();
    frmTabCliparts = new TfrmTabCliparts();
    frmTabPrinting = new TfrmTabPrinting();
    frmTabInfo = new TfrmTabInfo();
    frmTabCD = new TfrmTabCD();
    QWidget* forms[TabCount] = {frmTabTemplates, frmTabEditor,   frmTabFiler, frmTabSettings,
                                frmTabCliparts,  frmTabPrinting, frmTabInfo,  frmTabCD};
    for (int i = 0; i < TabCount; ++i) {
        paintBackground(forms[i], FormColor);
        EmbedForm(Pages[i], forms[i]);
    }
    if (frmTabEditor->TabSetSeiten)
        paintBackground(frmTabEditor->TabSetSeiten, FormColor);
    paintBackground(frmTabEditor->StatusBar, FormColor);
    paintBackground(frmTabEditor->ToolBar, FormColor);
    paintBackground(frmTabInfo->HelpPanel, FormColor);
    paintBackground(frmTabInfo->HelpButtonPanel, FormColor);
}

void TfrmMain::redrawRegister()
{
    QStringList captions;
    QVector<int> lefts;
    // Areas sorted by their place on the picture.
    const Tab order[] = {TabTemplates, TabEditor,   TabFiler, TabSettings,
                         TabCliparts,  TabPrinting, TabInfo,  TabCD};
    for (Tab tab : order) {
        captions << pageMain->tabText(tab);
        lefts << tabs[tab].labelLeft;
    }
    RegisterImage->setPixmap(RegisterPicture(captions, lefts, QColor(82, 115, 231)));
}

TfrmMain::Tab TfrmMain::ActiveTab() const
{
    return Tab(pageMain->currentIndex());
}

void TfrmMain::SetActiveTab(Tab tab)
{
    m_switching = true;
    pageMain->setCurrentIndex(tab);
    Pages[tab]->raise();
    m_switching = false;
}

void TfrmMain::pageMainChange()
{
    const Tab active = ActiveTab();
    if (active == TabSettings && Document)
        frmTabSettings->Notizen->setPlainText(Document->Notes);
    if (StartupPending) {
        StartupPending = false;
        restorePlacement();
    }
    frmTabEditor->Sleep();
    frmTabPrinting->Active = false;
    if (active == TabEditor) {
        frmTabEditor->WakeUp();
        if (!KeepEditorView) {
            frmTabEditor->ZoomGanzeSeite();
            frmTabEditor->AdjustPage();
        }
        if (!KeepEditorBitmap)
            frmTabEditor->MyMemoryBitmapPaint();
        frmTabEditor->FormPaint();
    }
    if (active == TabPrinting)
        frmTabPrinting->Activate();
    if (active == TabSettings)
        frmTabSettings->CancelBtn->click();
    if (active == TabCD)
        frmTabCD->FormShow();
    const QPoint place = SliderPlace(active);
    Slider->setGeometry(place.x(), RegisterPictureHeight, place.y(), sliderHeight);
}

void TfrmMain::LabelClick(Tab tab)
{
    SetActiveTab(tab);
    pageMainChange();
    if (tab == TabTemplates || tab == TabFiler) {
        CurrentSide = 0;
        if (frmTabEditor->TabSetSeiten)
            frmTabEditor->TabSetSeiten->setCurrentIndex(0);
    }
}

void TfrmMain::restorePlacement()
{
    if (!Registry)
        return;
    Registry->beginGroup(QStringLiteral("Settings"));
    const bool maximized =
        Registry->value(QStringLiteral("MainWindowMaximized")).toString() == QLatin1String("True");
    // A value that is not a whole number is skipped like a missing one.
    auto number = [](const QVariant& value, int& out) {
        const QString text = value.toString();
        if (text.isEmpty())
            return false;
        bool ok = false;
        const int n = text.trimmed().toInt(&ok);
        if (ok)
            out = n;
        return ok;
    };
    QRect frame = frameGeometry();
    QSize size = this->size();
    int v = 0;
    if (!maximized) {
        if (number(Registry->value(QStringLiteral("MainWindowLeft")), v))
            frame.moveLeft(v);
        if (number(Registry->value(QStringLiteral("MainWindowTop")), v))
            frame.moveTop(v);
        if (number(Registry->value(QStringLiteral("MainWindowWidth")), v) && v > 0)
            size.setWidth(v);
        if (number(Registry->value(QStringLiteral("MainWindowHeight")), v) && v > 0)
            size.setHeight(v);
    }
    Registry->endGroup();
    if (maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    move(frame.topLeft());
    resize(size);
}

void TfrmMain::SavePlacement(QSettings& settings) const
{
    settings.beginGroup(QStringLiteral("Settings"));
    const bool maximized = isMaximized();
    settings.setValue(QStringLiteral("MainWindowMaximized"),
                      maximized ? QStringLiteral("True") : QStringLiteral("False"));
    // A maximized window keeps the place it returns to when it is restored.
    const QRect normal = normalGeometry();
    const QPoint topLeft = maximized && normal.isValid() ? normal.topLeft() : pos();
    const QSize size = maximized && normal.isValid() ? normal.size() : this->size();
    settings.setValue(QStringLiteral("MainWindowLeft"), QString::number(topLeft.x()));
    settings.setValue(QStringLiteral("MainWindowTop"), QString::number(topLeft.y()));
    settings.setValue(QStringLiteral("MainWindowWidth"), QString::number(size.width()));
    settings.setValue(QStringLiteral("MainWindowHeight"), QString::number(size.height()));
    settings.endGroup();
}

void TfrmMain::readCatalogueFile()
{
    if (CatalogueFile.isEmpty() || !QFile::exists(CatalogueFile))
        return;
    try {
        Catalogue = ReadCatalogue(CatalogueFile, ProgramDir);
    } catch (const TCatalogueError& e) {
        ShowMessage(this, QStringLiteral("Quillmark"),
                    e.message() + QStringLiteral("\nDas Programm startet ohne Bibliotheken und "
                                                 "Hilfe in deutscher Sprache."));
        return;
    }
    if (Catalogue.HasLanguage) {
        int column = 0;
        if (ParseLanguageColumn(Catalogue.LanguageText, column))
            sprache(column);
        else
            ShowMessage(this, QStringLiteral("Quillmark"),
                        QStringLiteral("Die Katalogdatei \"%1\" nennt keine gültige Sprachspalte "
                                       "(\"%2\"). Das Programm startet in deutscher Sprache.")
                            .arg(CatalogueFile, Catalogue.LanguageText));
    }
    auto fill = [](TLibraryWorkspace* workspace, const TCatalogueLibraries& libs) {
        if (!libs.SectionSeen)
            return;
        workspace->Titles = libs.Titles;
        workspace->Bibs = libs.Bibs;
        workspace->Dirs = libs.Dirs;
        workspace->Types = libs.Types;
        workspace->LibraryCount = libs.LibraryCount;
        workspace->LibrariesRead();
    };
    fill(frmTabTemplates, Catalogue.Templates);
    fill(frmTabCliparts, Catalogue.Cliparts);
    HelpFiles << Catalogue.HelpFiles;
    if (Catalogue.HelpSectionSeen) {
        frmTabInfo->HelpTitles = Catalogue.HelpLabels;
        frmTabInfo->ButtonClick();
    }
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Some window systems never activate a window nobody clicked; start anyway.
    if (FirstActivation)
        QTimer::singleShot(0, this, [this] {
            if (FirstActivation)
                FormActivate();
        });
}

void TfrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && FirstActivation)
        FormActivate();
}

void TfrmMain::FormActivate()
{
    FirstActivation = false;
    StartupPending = true;
    SetActiveTab(TabInfo);
    StartTimer = new QTimer(this);
    StartTimer->setObjectName(QStringLiteral("StartTimer"));
    StartTimer->setSingleShot(true);
    StartTimer->setInterval(3000);
    connect(StartTimer, &QTimer::timeout, this, &TfrmMain::StartTimerTimer);
    StartTimer->start();
    if (!m_startFile.isEmpty()) {
        // After the activation event: opening may ask or show a message.
        QTimer::singleShot(0, this, [this] {
            const QString file = std::exchange(m_startFile, QString());
            frmTabFiler->OpenFile(file);
        });
    }
}

void TfrmMain::StartTimerTimer()
{
    if (StartTimer)
        StartTimer->deleteLater();
    if (ActiveTab() == TabInfo && StartupPending) {
        SetActiveTab(TabTemplates);
        pageMainChange();
    }
    frmTabInfo->setEnabled(true);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!Document || QueryDiscard(*Document)) {
        event->accept();
        return;
    }
    event->ignore();
    Change2Save();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    const bool small = width() < 600 || height() < 400;
    OwnerPanel->setVisible(small);
    pageMain->setVisible(!small);
    layoutOwnerPanel();
}

void TfrmMain::layoutOwnerPanel()
{
    // The client area fills the window; its own size is only updated after this event.
    OwnerPanel->move((width() - OwnerPanel->width()) / 2, (height() - OwnerPanel->height()) / 2);
    OwnerPanel->raise();
}

void TfrmMain::Change2Save()
{
    SetActiveTab(TabFiler);
    pageMainChange();
    QTabWidget* pages = frmTabFiler->PageControl;
    if (!pages)
        return;
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->tabText(i).remove(QLatin1Char('&')) == QLatin1String("Speichern"))
            pages->setCurrentIndex(i);
    }
    if (frmTabFiler->SaveEdit)
        frmTabFiler->SaveEdit->setFocus();
}

void TfrmMain::Change2Editor()
{
    SetActiveTab(TabEditor);
    pageMainChange();
}

void TfrmMain::SelectElement(int index, bool insertion)
{
    if (!Document)
        return;
    Document->SelectedIndex = index;
    TDocElement* element =
        index >= 0 && index < Document->Count() ? Document->Element(index) : nullptr;
    // A carried element follows the pointer from where it is now, in sheet coordinates.
    QWidget* page = frmTabEditor->Page ? frmTabEditor->Page : frmTabEditor;
    const QPoint at = page->mapFromGlobal(QCursor::pos());
    frmTabEditor->PageProcessSimpleHit(element, at.x(), at.y(), element && insertion);
}

bool TfrmMain::AskFrage(const QString& caption, const QString& question)
{
    if (Frage)
        return Frage->Ask(caption, question);
    if (AskQuestionHook)
        return AskQuestionHook(caption, question);
    return false;
}
