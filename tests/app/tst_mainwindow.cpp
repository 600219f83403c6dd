// The main window driven as the user sees it: start-up, tab switching, placement, resizing,
// closing and the catalogue's effects.

#include "shellfixture.h"

#include "app/tfrmtabinfo.h"
#include "fileworkspace/tfrmtabfiler.h"
#include "editor/tfrmtabeditor.h"
#include "ui/helpwindow.h"
#include "ui/clicklabel.h"
#include "ui/tfrage.h"
#include "printworkspace/tfrmtabprinting.h"
#include "settings/tfrmtabsettings.h"

#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startShowsNotesThenTemplatesAfterThreeSeconds();
    void switchBeforeTheTimerKeepsTheUsersChoice();
    void placementIsRestoredAtTheFirstSwitch();
    void maximizedPlacementIsRestored();
    void badPlacementValuesAreSkipped();
    void placementIsSavedAtExit();
    void narrowOrLowWindowShowsOwnerPanel();
    void clickAreasSwitchWorkspacesAndMoveSlider();
    void fileAreaResetsEditorToFrontSide();
    void workspacesShowTheSheetAfterReplacingTheDocument();
    void settingsTabShowsAndKeepsNotes();
    void printingTabIsActiveOnlyWhileShown();
    void closingWithoutChangesEnds();
    void closingWithChangesAsks();
    void selectElementReachesTheDocument();

    void catalogueFillsLibrariesAndHelp();
    void missingCatalogueStartsInGermanWithoutHelp();
    void unreadableCatalogueGivesOneMessage();
};

void TestMainWindow::startShowsNotesThenTemplatesAfterThreeSeconds()
{
    ShellFixture f;
    // No settings yet: the window keeps its first size.
    TfrmMain* w = f.start();
    QCOMPARE(w->ActiveTab(), TfrmMain::TabInfo);
    QCOMPARE(w->StartTimer->interval(), 3000);
    QVERIFY(w->StartupPending);
    QVERIFY(!w->frmTabInfo->isEnabled());
    QCOMPARE(w->Slider->x(), 488);

    QTRY_COMPARE_WITH_TIMEOUT(w->ActiveTab(), TfrmMain::TabTemplates, 5000);
    QVERIFY(!w->StartupPending);
    QVERIFY(w->frmTabInfo->isEnabled());
    QCOMPARE(w->Slider->geometry(), QRect(9, 33, 68, 4));
    QCOMPARE(w->size(), QSize(640, 480));
    QVERIFY(!w->isMaximized());
}

void TestMainWindow::switchBeforeTheTimerKeepsTheUsersChoice()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QCOMPARE(w->ActiveTab(), TfrmMain::TabEditor);
    QVERIFY(!w->StartupPending);
    QTRY_VERIFY_WITH_TIMEOUT(w->frmTabInfo->isEnabled(), 5000);
    QCOMPARE(w->ActiveTab(), TfrmMain::TabEditor);

    // Going back to the notes before the timer is a choice as well.
    ShellFixture g;
    TfrmMain* v = g.start();
    QTest::mouseClick(v->Labels[TfrmMain::TabInfo], Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(v->frmTabInfo->isEnabled(), 5000);
    QCOMPARE(v->ActiveTab(), TfrmMain::TabInfo);
}

void TestMainWindow::placementIsRestoredAtTheFirstSwitch()
{
    ShellFixture f;
    f.settings->setValue("Settings/MainWindowMaximized", "False");
    f.settings->setValue("Settings/MainWindowLeft", "20");
    f.settings->setValue("Settings/MainWindowTop", "30");
    f.settings->setValue("Settings/MainWindowWidth", "700");
    f.settings->setValue("Settings/MainWindowHeight", "");
    TfrmMain* w = f.start();
    QCOMPARE(w->size(), QSize(640, 480)); // nothing applied before the first switch
    QTest::mouseClick(w->Labels[TfrmMain::TabFiler], Qt::LeftButton);
    QCOMPARE(w->pos(), QPoint(20, 30));
    QCOMPARE(w->size(), QSize(700, 480)); // the empty height is skipped

    // Only the first switch restores it.
    w->resize(650, 450);
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QCOMPARE(w->size(), QSize(650, 450));
}

void TestMainWindow::maximizedPlacementIsRestored()
{
    ShellFixture f;
    f.settings->setValue("Settings/MainWindowMaximized", "True");
    f.settings->setValue("Settings/MainWindowWidth", "300");
    TfrmMain* w = f.start();
    QTRY_COMPARE_WITH_TIMEOUT(w->ActiveTab(), TfrmMain::TabTemplates, 5000);
    QVERIFY(w->windowState() & Qt::WindowMaximized);

    ShellFixture g;
    g.settings->setValue("Settings/MainWindowMaximized", "true"); // only "True" counts
    TfrmMain* v = g.start();
    QTest::mouseClick(v->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QVERIFY(!(v->windowState() & Qt::WindowMaximized));
}

void TestMainWindow::badPlacementValuesAreSkipped()
{
    ShellFixture f;
    f.settings->setValue("Settings/MainWindowWidth", "breit");
    f.settings->setValue("Settings/MainWindowHeight", "420");
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QCOMPARE(w->size(), QSize(640, 420));
}

void TestMainWindow::placementIsSavedAtExit()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    w->move(40, 50);
    w->resize(720, 530);
    w->SavePlacement(*f.settings);
    QCOMPARE(f.settings->value("Settings/MainWindowMaximized").toString(), QString("False"));
    QCOMPARE(f.settings->value("Settings/MainWindowWidth").toString(), QString("720"));
    QCOMPARE(f.settings->value("Settings/MainWindowHeight").toString(), QString("530"));
    QCOMPARE(f.settings->value("Settings/MainWindowLeft").toString(),
             QString::number(w->pos().x()));

    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    w->SavePlacement(*f.settings);
    QCOMPARE(f.settings->value("Settings/MainWindowMaximized").toString(), QString("True"));
}

void TestMainWindow::narrowOrLowWindowShowsOwnerPanel()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    QVERIFY(w->pageMain->isVisible());
    QVERIFY(!w->OwnerPanel->isVisible());

    w->resize(599, 480);
    QTRY_VERIFY(w->OwnerPanel->isVisible());
    QVERIFY(!w->pageMain->isVisible());
    const QRect owner = w->OwnerPanel->geometry();
    QVERIFY(qAbs(owner.center().x() - 599 / 2) <= 1);
    QVERIFY(qAbs(owner.center().y() - 480 / 2) <= 1);
    QCOMPARE(w->RegisterStrip->y(), 0);

    w->resize(600, 480);
    QTRY_VERIFY(w->pageMain->isVisible());
    QVERIFY(!w->OwnerPanel->isVisible());

    w->resize(640, 399);
    QTRY_VERIFY(w->OwnerPanel->isVisible());
    w->resize(640, 400);
    QTRY_VERIFY(!w->OwnerPanel->isVisible());
}

void TestMainWindow::clickAreasSwitchWorkspacesAndMoveSlider()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    const struct {
        int label;
        TfrmMain::Tab tab;
        int left, width;
    } areas[] = {{4, TfrmMain::TabTemplates, 9, 68},   {92, TfrmMain::TabEditor, 96, 35},
                 {148, TfrmMain::TabFiler, 153, 40},    {208, TfrmMain::TabSettings, 213, 94},
                 {324, TfrmMain::TabCliparts, 329, 56}, {400, TfrmMain::TabPrinting, 405, 58},
                 {488, TfrmMain::TabInfo, 488, 65},     {572, TfrmMain::TabCD, 575, 24}};
    for (const auto& area : areas) {
        // Click the strip where the area lies, as the user does.
        QWidget* hit = w->RegisterStrip->childAt(area.label + 2, 10);
        QVERIFY2(qobject_cast<TClickLabel*>(hit), qPrintable(QString::number(area.label)));
        QTest::mouseClick(hit, Qt::LeftButton);
        QCOMPARE(w->ActiveTab(), area.tab);
        QVERIFY(w->Pages[area.tab]->isVisible());
        QCOMPARE(w->Slider->x(), area.left);
        QCOMPARE(w->Slider->width(), area.width);
    }
    QVERIFY(!w->pageMain->isTabVisible(TfrmMain::TabCD));
}

void TestMainWindow::fileAreaResetsEditorToFrontSide()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    w->frmTabEditor->TabSetSeiten->setCurrentIndex(1);
    CurrentSide = 1;
    QTest::mouseClick(w->Labels[TfrmMain::TabFiler], Qt::LeftButton);
    QCOMPARE(CurrentSide, 0);
    QCOMPARE(w->frmTabEditor->TabSetSeiten->currentIndex(), 0);

    // The settings area leaves the side alone.
    CurrentSide = 1;
    QTest::mouseClick(w->Labels[TfrmMain::TabSettings], Qt::LeftButton);
    QCOMPARE(CurrentSide, 1);
}

void TestMainWindow::workspacesShowTheSheetAfterReplacingTheDocument()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabTemplates], Qt::LeftButton);
    // A template replaced the document: the sheet is shown and refitted.
    KeepEditorView = false;
    MainLink->Change2Editor();
    QCOMPARE(w->ActiveTab(), TfrmMain::TabEditor);
    QVERIFY(w->Pages[TfrmMain::TabEditor]->isVisible());
    QCOMPARE(w->Slider->x(), 96);
}

void TestMainWindow::settingsTabShowsAndKeepsNotes()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    Document->Notes = "Papier: 120 g";
    QTest::mouseClick(w->Labels[TfrmMain::TabSettings], Qt::LeftButton);
    QCOMPARE(w->frmTabSettings->Notizen->toPlainText(), QString("Papier: 120 g"));
    w->frmTabSettings->Notizen->setFocus();
    w->frmTabSettings->Notizen->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->frmTabSettings->Notizen, ", matt");
    QCOMPARE(Document->Notes, QString("Papier: 120 g, matt"));
}

void TestMainWindow::printingTabIsActiveOnlyWhileShown()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    Document->PrintMarginLeft = 12.5;
    Document->CopyCount = 3;
    QTest::mouseClick(w->Labels[TfrmMain::TabPrinting], Qt::LeftButton);
    QVERIFY(w->frmTabPrinting->Active);
    QCOMPARE(w->frmTabPrinting->EditPrintMarginLeft->text(), QString("12.50"));
    QCOMPARE(w->frmTabPrinting->EditPrintMarginTop->text(), QString(" 0.00"));
    QCOMPARE(w->frmTabPrinting->EditCopyCount->text(), QString("3"));
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QVERIFY(!w->frmTabPrinting->Active);
}

void TestMainWindow::closingWithoutChangesEnds()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    Frage = new TFrage(w);
    bool asked = false;
    QTimer::singleShot(200, Frage, [&] {
        if (Frage->isVisible()) {
            asked = true;
            Frage->Image1->click();
        }
    });
    QVERIFY(w->close());
    QVERIFY(!asked);
    delete Frage;
    Frage = nullptr;
}

void TestMainWindow::closingWithChangesAsks()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    Frage = new TFrage(w);
    Document->Modified = true;
    QString question;
    // "Abbruch": the window stays and shows the save page.
    QTimer::singleShot(100, Frage, [&] {
        question = Frage->LabelFrage->text();
        QTest::mouseClick(Frage->Image1, Qt::LeftButton);
    });
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QVERIFY(Document->Modified);
    QCOMPARE(question, QString("Nicht gespeicherte Änderungen verwerfen?"));
    QCOMPARE(w->ActiveTab(), TfrmMain::TabFiler);
    QTabWidget* pages = w->frmTabFiler->PageControl;
    QCOMPARE(pages->tabText(pages->currentIndex()).remove('&'), QString("Speichern"));
    QCOMPARE(w->Slider->x(), 153);

    // "OK": the changes are dropped and the window closes.
    QTimer::singleShot(100, Frage, [&] { QTest::mouseClick(Frage->ImageRegister, Qt::LeftButton); });
    QVERIFY(w->close());
    QVERIFY(!Document->Modified);
    delete Frage;
    Frage = nullptr;
}

void TestMainWindow::selectElementReachesTheDocument()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    Document->AddText("Hallo", CurrentSide);
    Document->AddText("Welt", CurrentSide);
    QWidget* erase = w->frmTabEditor->findChild<QWidget*>("SpeedButtonErase");
    QVERIFY(erase);
    MainLink->SelectElement(1, false);
    QCOMPARE(Document->SelectedIndex, 1);
    QVERIFY(erase->isEnabled()); // the editor has the element
    MainLink->SelectElement(-1, false);
    QCOMPARE(Document->SelectedIndex, -1);
    QVERIFY(!erase->isEnabled());
    // An index past the stack selects nothing but is not an error.
    w->SelectElement(7, false);
    QCOMPARE(Document->SelectedIndex, 7);
}

void TestMainWindow::catalogueFillsLibrariesAndHelp()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeCatalogue("helpfiles\r\n#Label:Handbuch\r\n#File:help/quillmark.html\r\n"
                     "#Label:Zweites\r\n#File:help/none.html\r\n#\r\n");
    TfrmMain* w = f.create();
    QCOMPARE(HelpFiles, (QStringList{f.dir.filePath("help/quillmark.html"),
                                     f.dir.filePath("help/none.html")}));
    QCOMPARE(w->MainHelpFile, f.dir.filePath("help/quillmark.html"));
    QCOMPARE(MainHelpFile(), w->MainHelpFile);
    QCOMPARE(w->frmTabInfo->HelpTitleButtons.size(), 2);
    QCOMPARE(w->frmTabInfo->HelpTitleButtons.at(1)->text(), QString("Zweites"));
    TfrmTabInfo* info = w->frmTabInfo;
    QCOMPARE(info->HelpPanel->height(), 2 * 30 + 18);
    QCOMPARE(info->HelpButtonPanel->height(), info->HelpPanel->height() - 8);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->resize(900, 600);
    QTRY_COMPARE(info->width(), 900);
    QCOMPARE(info->OwnerPanel->x(), (900 - info->OwnerPanel->width()) / 2);
    QCOMPARE(info->LogoPanel->x(), (900 - info->LogoPanel->width()) / 2);
    QCOMPARE(info->ShapePage->x(), info->OwnerPanel->x() + 5);
    const QRect buttons = info->HelpButtonPanel->geometry();
    QCOMPARE(buttons.center(), QRect(QPoint(), info->HelpPanel->size()).center());
    QVERIFY(f.messages.isEmpty());

    // The second help file is missing: its button says so instead of failing.
    w->frmTabInfo->HelpButtonClick(1);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains("none.html"));
}

void TestMainWindow::missingCatalogueStartsInGermanWithoutHelp()
{
    ShellFixture f;
    f.writeBundledLanguage(); // present, but nothing asks for it
    TfrmMain* w = f.create();
    QVERIFY(LangStrings.isEmpty());
    QVERIFY(HelpFiles.isEmpty());
    QVERIFY(MainHelpFile().isEmpty());
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabInfo), QString("Hinweise"));
    QVERIFY(f.messages.isEmpty());
    ShowHelpTopic("lineal");
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains("keine Hilfedatei"));
}

void TestMainWindow::unreadableCatalogueGivesOneMessage()
{
    ShellFixture f;
    QVERIFY(QDir().mkpath(f.dir.filePath("quillmark.inf")));
    TfrmMain* w = f.create();
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains("quillmark.inf"));
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabEditor), QString("Blatt"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
