// The language file applied to the real forms, context help by F1 and by help mode, and the
// help viewer's topics.

#include "qmpaths.h"
#include "shellfixture.h"

#include "app/helptopics.h"
#include "document/placeholders.h"
#include "app/language.h"
#include "app/tfrmtabinfo.h"
#include "editor/tfrmtabeditor.h"
#include "ui/helpwindow.h"
#include "ui/clicklabel.h"
#include "ui/hints.h"

#include <QApplication>
#include <QComboBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

namespace {

const QByteArray helpCatalogue = "helpfiles\n#Label:Handbuch\n#File:help/quillmark.html\n#\n";

QWidget* editorControl(TfrmMain* w, const char* name)
{
    return w->frmTabEditor->findChild<QWidget*>(QString::fromLatin1(name));
}

Qt::CursorShape screenCursor()
{
    const QCursor* c = QApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

// Clicks a control in help mode and returns the topic the help window then shows.
QString helpClick(TfrmMain* w, QWidget* control)
{
    HelpWindowInstance()->hide();
    w->Label9Click();
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(3, 3));
    return HelpWindowInstance()->isVisible() ? HelpWindowInstance()->CurrentAnchor() : QString();
}

} // namespace

class TestLanguageHelp : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void germanColumnKeepsTheBuiltInTexts();
    void englishColumnReplacesCaptionsHintsAndItems();
    void columnPastTheTextsGivesEmptyTexts();
    void shortFileLeavesLaterLookupsGerman();
    void missingKeyKeepsGermanAndAppliesTheRest();
    void missingLanguageFileGivesOneMessage();
    void badColumnNumberGivesOneMessage();

    void helpModeOnRulerOpensLineal();
    void helpModeComparesTheLongPartOfTheHint();
    void helpModeClickWithoutHintOnlyEndsHelpMode();
    void translatedHintsOpenTheContents();
    void hintsGoToTheStatusBar();
    void f1OpensTheContents();
    void notesPictureOpensTheContents();
    void helpViewerShowsTheTopicsAnchor();
    void bundledHelpHasEveryTopic();
    void bundledHelpListsEveryPlaceholder();
};

void TestLanguageHelp::cleanup()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    HelpWindowInstance()->hide();
}

void TestLanguageHelp::germanColumnKeepsTheBuiltInTexts()
{
    // The German column must be exactly what the forms show without a language file.
    ShellFixture plain;
    TfrmMain* german = plain.create();
    QStringList builtIn;
    for (int i = 0; i < TfrmMain::TabCount; ++i)
        builtIn << german->pageMain->tabText(i);
    const char* buttons[] = {"SpeedButtonNew", "SpeedButtonErase", "SpeedButtonSave",
                             "SpeedButtonFullUp", "ZoomComboBox"};
    QStringList builtInHints;
    for (const char* b : buttons)
        builtInHints << HintOf(editorControl(german, b));
    auto* zoom = qobject_cast<QComboBox*>(editorControl(german, "ZoomComboBox"));
    const QString builtInZoom = zoom->itemText(2);

    ShellFixture f;
    f.writeBundledLanguage();
    f.writeCatalogue("language:1\n");
    TfrmMain* w = f.create();
    QVERIFY(f.messages.isEmpty());
    QVERIFY(LangStrings.size() > LangThresholdDialogs);
    for (int i = 0; i < TfrmMain::TabCount; ++i)
        QCOMPARE(w->pageMain->tabText(i), builtIn.at(i));
    for (int i = 0; i < int(std::size(buttons)); ++i)
        QCOMPARE(HintOf(editorControl(w, buttons[i])), builtInHints.at(i));
    zoom = qobject_cast<QComboBox*>(editorControl(w, "ZoomComboBox"));
    QCOMPARE(zoom->itemText(2), builtInZoom);
    QCOMPARE(LangText("124"), QString("Nicht gespeicherte Änderungen verwerfen?"));
}

void TestLanguageHelp::englishColumnReplacesCaptionsHintsAndItems()
{
    ShellFixture f;
    f.writeBundledLanguage();
    f.writeCatalogue("Language:2\n");
    TfrmMain* w = f.create();
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabEditor), QString("Sheet"));
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabCD), QString("CD"));
    QCOMPARE(w->windowTitle(), QString("Quillmark"));
    QCOMPARE(HintOf(editorControl(w, "SpeedButtonErase")),
             QString("Delete object|The object is deleted at once"));
    QCOMPARE(editorControl(w, "SpeedButtonErase")->toolTip(), QString("Delete object"));
    auto* zoom = qobject_cast<QComboBox*>(editorControl(w, "ZoomComboBox"));
    QCOMPARE(zoom->itemText(0), QString("Whole sheet"));
    QCOMPARE(zoom->itemText(3), QString("200")); // items past the table stay
    QCOMPARE(LangText("124"), QString("Discard unsaved changes?"));
}

void TestLanguageHelp::columnPastTheTextsGivesEmptyTexts()
{
    ShellFixture f;
    f.write("lang.txt", "0\tQuillmark\tQuillmark\r\n2\tBlatt\tSheet\r\n");
    f.writeCatalogue("language:3\n");
    TfrmMain* w = f.create();
    QCOMPARE(LangKeys, (QStringList{"0", "2"}));
    QCOMPARE(LangStrings, (QStringList{"", ""}));
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabEditor), QString());
}

namespace {
// Zoom after choosing "175" and then the first item of the zoom box, with the English column
// of the bundled file cut to `lines` lines.
double zoomAfterFitItem(int lines, QString* caption = nullptr, QString* item = nullptr)
{
    ShellFixture f;
    f.writeBundledLanguage(lines);
    f.writeCatalogue("language:2\n");
    TfrmMain* w = f.create();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    TfrmTabEditor* editor = w->frmTabEditor;
    editor->ZoomComboBox->setCurrentIndex(4); // "175"
    editor->ZoomfeldChange();
    editor->ZoomComboBox->setCurrentIndex(0);
    editor->ZoomfeldChange();
    if (caption)
        *caption = w->pageMain->tabText(TfrmMain::TabFiler);
    if (item)
        *item = editor->ZoomComboBox->itemText(0);
    return editor->ZoomFactor;
}
} // namespace

void TestLanguageHelp::shortFileLeavesLaterLookupsGerman()
{
    // The captions set at start are translated, but the zoom box recognises its fit modes by
    // the translated texts only when the list has more than 90 lines.
    QString caption, item;
    QCOMPARE(zoomAfterFitItem(90, &caption, &item), 1.75);
    QCOMPARE(caption, QString("File"));
    QCOMPARE(item, QString("Whole sheet"));
    QVERIFY(zoomAfterFitItem(-1) != 1.75);
}

void TestLanguageHelp::missingKeyKeepsGermanAndAppliesTheRest()
{
    ShellFixture f;
    f.write("lang.txt", "1\tVorlagen\tTemplates\n3\tDatei\tFile\n75\tObjekt löschen|x\tErase|"
                        "Erases\n");
    f.writeCatalogue("language:2\n");
    TfrmMain* w = f.create();
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabTemplates), QString("Templates"));
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabEditor), QString("Blatt")); // key 2 missing
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabFiler), QString("File"));
    QCOMPARE(HintOf(editorControl(w, "SpeedButtonErase")), QString("Erase|Erases"));
    QCOMPARE(HintOf(editorControl(w, "SpeedButtonNew")), QString("Neues Dokument"));
}

void TestLanguageHelp::missingLanguageFileGivesOneMessage()
{
    ShellFixture f;
    f.writeCatalogue("language:2\n");
    TfrmMain* w = f.create();
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains("lang.txt"));
    QVERIFY(LangStrings.isEmpty());
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabEditor), QString("Blatt"));
}

void TestLanguageHelp::badColumnNumberGivesOneMessage()
{
    ShellFixture f;
    f.writeBundledLanguage();
    f.writeCatalogue("language:englisch\n");
    TfrmMain* w = f.create();
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains("englisch"));
    QCOMPARE(w->pageMain->tabText(TfrmMain::TabEditor), QString("Blatt"));
}

void TestLanguageHelp::helpModeOnRulerOpensLineal()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeCatalogue(helpCatalogue);
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QCOMPARE(helpClick(w, editorControl(w, "RulerAtTop")), QString("lineal"));
    QCOMPARE(screenCursor(), Qt::ArrowCursor); // help mode has ended
    QCOMPARE(helpClick(w, editorControl(w, "RulerAtSide")), QString("lineal"));
}

void TestLanguageHelp::helpModeComparesTheLongPartOfTheHint()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeCatalogue(helpCatalogue);
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QWidget* erase = editorControl(w, "SpeedButtonErase");
    // Its hint is "Objekt löschen|Objekt wird direkt gelöscht": the table knows only the
    // short part, which is tried when the long one is not known.
    QCOMPARE(helpClick(w, erase), QString("objektloeschen"));
    QWidget* zoom = editorControl(w, "ZoomComboBox");
    QCOMPARE(helpClick(w, zoom), QString("zoomfaktor")); // "Zoomfaktor für die Ansicht einstellen"
    QCOMPARE(helpClick(w, editorControl(w, "SpeedButtonNew")), QString("neuesdokument"));
    QCOMPARE(helpClick(w, editorControl(w, "TabSetSeiten")), QString("blattwender"));
    QCOMPARE(HelpTopicForHint("Objekt löschen"), QString("objektloeschen"));
    QCOMPARE(HelpTopicForHint("objekt löschen"), QString("Inhalt")); // letter case counts
}

void TestLanguageHelp::helpModeClickWithoutHintOnlyEndsHelpMode()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeCatalogue(helpCatalogue);
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    // The templates area has no hint: the click ends help mode and does not switch.
    QCOMPARE(helpClick(w, w->Labels[TfrmMain::TabTemplates]), QString());
    QCOMPARE(screenCursor(), Qt::ArrowCursor);
    QCOMPARE(w->ActiveTab(), TfrmMain::TabEditor);
    // Outside help mode the same click switches.
    QTest::mouseClick(w->Labels[TfrmMain::TabTemplates], Qt::LeftButton);
    QCOMPARE(w->ActiveTab(), TfrmMain::TabTemplates);

    // "?" toggles help mode; the cursor shows whether the control under it has help.
    w->Label9Click();
    QCOMPARE(screenCursor(), Qt::WhatsThisCursor);
    w->ShowHint("Lineal");
    QCOMPARE(screenCursor(), Qt::DragCopyCursor);
    w->ShowHint(QString());
    QCOMPARE(screenCursor(), Qt::WhatsThisCursor);
    w->Label9Click();
    QCOMPARE(screenCursor(), Qt::ArrowCursor);
}

void TestLanguageHelp::translatedHintsOpenTheContents()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeBundledLanguage();
    f.writeCatalogue("language:2\n" + helpCatalogue);
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QCOMPARE(helpClick(w, editorControl(w, "SpeedButtonNew")), QString("Inhalt"));
}

void TestLanguageHelp::hintsGoToTheStatusBar()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    QStatusBar* bar = w->frmTabEditor->StatusBar;
    QTest::mouseMove(editorControl(w, "ZoomComboBox"), QPoint(4, 4));
    QTRY_COMPARE(bar->currentMessage(), QString("Zoomfaktor für die Ansicht einstellen"));
    QCOMPARE(w->CurrentHint, bar->currentMessage());
    w->ShowHint(QString());
    QCOMPARE(bar->currentMessage(), QString());
}

void TestLanguageHelp::f1OpensTheContents()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeCatalogue(helpCatalogue);
    TfrmMain* w = f.start();
    w->Label9Click();
    QTest::keyClick(w->Labels[TfrmMain::TabEditor], Qt::Key_F1);
    QVERIFY(HelpWindowInstance()->isVisible());
    QCOMPARE(HelpWindowInstance()->CurrentAnchor(), QString("Inhalt"));
    QCOMPARE(screenCursor(), Qt::ArrowCursor);
}

void TestLanguageHelp::notesPictureOpensTheContents()
{
    ShellFixture f;
    f.writeBundledHelp();
    f.writeCatalogue(helpCatalogue);
    TfrmMain* w = f.start();
    QTRY_VERIFY_WITH_TIMEOUT(w->frmTabInfo->isEnabled(), 5000);
    QTest::mouseClick(w->Labels[TfrmMain::TabInfo], Qt::LeftButton);
    QTest::mouseClick(w->frmTabInfo->ImageAnleitung, Qt::LeftButton);
    QVERIFY(HelpWindowInstance()->isVisible());
    QCOMPARE(HelpWindowInstance()->CurrentFile(), f.dir.filePath("help/quillmark.html"));
    QCOMPARE(HelpWindowInstance()->CurrentAnchor(), QString("Inhalt"));
}

void TestLanguageHelp::helpViewerShowsTheTopicsAnchor()
{
    QStringList messages;
    MessageHook = [&](const QString&, const QString& text) { messages << text; };
    SetMainHelpFile(QStringLiteral(QM_DATA_DIR "/help/quillmark.html"));
    ShowHelpTopic("schatten");
    THelpWindow* help = HelpWindowInstance();
    QCOMPARE(help->CurrentAnchor(), QString("schatten"));
    QCOMPARE(help->Browser()->source().fragment(), QString("schatten"));
    ShowHelpTopic("gibtesnicht");
    QCOMPARE(help->CurrentAnchor(), QString("Inhalt"));
    SetMainHelpFile("/nonexistent/hilfe.html");
    ShowHelpTopic("lineal");
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains("hilfe.html"));
    SetMainHelpFile(QString());
    MessageHook = nullptr;
}

void TestLanguageHelp::bundledHelpHasEveryTopic()
{
    THelpWindow* help = HelpWindowInstance();
    QVERIFY(help->Open(QStringLiteral(QM_DATA_DIR "/help/quillmark.html"), "Inhalt"));
    QVERIFY(help->HasAnchor("Inhalt"));
    for (const QString& topic : AllHelpTopics())
        QVERIFY2(help->HasAnchor(topic), qPrintable(topic));
    QVERIFY(!help->HasAnchor("gibtesnicht"));
}

void TestLanguageHelp::bundledHelpListsEveryPlaceholder()
{
    QFile file(QStringLiteral(QM_DATA_DIR "/help/quillmark.html"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    const qsizetype section = html.indexOf(QStringLiteral("name=\"arbeitmittextbausteinen\""));
    QVERIFY(section >= 0);
    const QString text = html.mid(section, html.indexOf(QStringLiteral("<hr>"), section) - section);
    // Every placeholder the filling knows, written as the help shows it; the text blocks as
    // their range.
    for (int i = 0; i < TPlaceholderFiller::Count; ++i) {
        QString name = TPlaceholderFiller::Name(i);
        if (name.startsWith(QLatin1String("<t")) && name != QLatin1String("<titel>")) {
            if (name != QLatin1String("<t1>") && name != QLatin1String("<t10>"))
                continue;
        }
        name.replace(QLatin1Char('<'), QLatin1String("&lt;")).replace(QLatin1Char('>'), QLatin1String("&gt;"));
        QVERIFY2(text.contains(QStringLiteral("<code>") + name), qPrintable(name));
    }
}

QTEST_MAIN(TestLanguageHelp)
#include "tst_languagehelp.moc"
