// The settings workspace inside the main window: the first address record fills the
// placeholders from the start on, the language file translates the page "Allgemein", and a
// format chosen there reshapes the sheet the editor shows next.

#include "document/docelement.h"
#include "editor/tfrmtabeditor.h"
#include "ui/clicklabel.h"
#include "settings/tfrmtabsettings.h"
#include "shellfixture.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

class TestSettingsWorkspace : public QObject {
    Q_OBJECT

private slots:
    void placeholdersFillFromTheFirstStart();
    void germanTextsWithoutLanguageFile();
    void englishColumnTranslatesKeys16To31();
    void chosenFormatIsFittedByTheEditor();
};

void TestSettingsWorkspace::placeholdersFillFromTheFirstStart()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(w->frmTabSettings->ComboBoxAdressen->count(), 3);
    QCOMPARE(AddressFields[0], QStringLiteral("Sonnenfeld Design GmbH"));
    TDocElementTXT* text = Document->AddText(QString());
    text->MacroText = QStringLiteral("<firma1>, <strasse>, <plz> <ort>");
    w->LabelClick(TfrmMain::TabEditor);
    QTest::mouseClick(w->frmTabEditor->SpeedButtonArange, Qt::LeftButton);
    QCOMPARE(text->Text, QStringLiteral("Sonnenfeld Design GmbH, Lindenallee 12, 34567 Musterstadt"));
}

void TestSettingsWorkspace::germanTextsWithoutLanguageFile()
{
    ShellFixture f;
    TfrmMain* w = f.create();
    TfrmTabSettings* s = w->frmTabSettings;
    QCOMPARE(s->LabelDokumentenformat->text(), QStringLiteral("Dokumentenformat"));
    QCOMPARE(s->GroupBoxBenutzerdefinition->title(), QStringLiteral(" Benutzerdefinition "));
    QCOMPARE(s->GroupBoxAllgemein->title(), QStringLiteral(" Allgemein "));
    QCOMPARE(s->PreferredPageOrientationRadio->title(), QStringLiteral("bevorzugte Lage zum Papier"));
    QCOMPARE(s->LabelBreite->text(), QStringLiteral("Breite"));
    QCOMPARE(s->LabelHeight->text(), QStringLiteral("Höhe"));
    QCOMPARE(s->LabelUndo->text(), QStringLiteral("Rückgängig"));
    QCOMPARE(s->OrientationButtons->button(0)->text(),
             QStringLiteral("Papier liegt in Richtung der Vorlage"));
    QCOMPARE(s->OrientationButtons->button(1)->text(), QStringLiteral("Papier liegt quer zur Vorlage"));
}

void TestSettingsWorkspace::englishColumnTranslatesKeys16To31()
{
    ShellFixture f;
    f.writeBundledLanguage();
    f.writeCatalogue("language:2\n");
    TfrmMain* w = f.create();
    QVERIFY(f.messages.isEmpty());
    TfrmTabSettings* s = w->frmTabSettings;
    QCOMPARE(s->LabelDokumentenformat->text(), QStringLiteral("Document format"));
    QCOMPARE(s->GroupBoxBenutzerdefinition->title(), QStringLiteral(" User-defined "));
    QCOMPARE(s->GroupBoxAllgemein->title(), QStringLiteral(" General "));
    QCOMPARE(s->PreferredPageOrientationRadio->title(),
             QStringLiteral("preferred position on the paper"));
    QCOMPARE(s->LabelBreite->text(), QStringLiteral("Width"));
    QCOMPARE(s->LabelHeight->text(), QStringLiteral("Height"));
    QCOMPARE(s->LabelUndo->text(), QStringLiteral("Undo"));
    QCOMPARE(s->OrientationButtons->button(0)->text(),
             QStringLiteral("Paper in the direction of the template"));
    QCOMPARE(s->OrientationButtons->button(1)->text(), QStringLiteral("Paper across the template"));
    QCOMPARE(s->FormatCombo->itemText(0), QStringLiteral("User-defined"));
    QCOMPARE(s->FormatCombo->itemText(1), QStringLiteral("A4: 210 · 297 mm portrait"));
    QCOMPARE(s->FormatCombo->itemText(6), QStringLiteral("A6: 105 · 148 mm landscape"));
}

void TestSettingsWorkspace::chosenFormatIsFittedByTheEditor()
{
    ShellFixture f;
    TfrmMain* w = f.start();
    TfrmTabSettings* s = w->frmTabSettings;
    auto choose = [s](int index) {
        s->FormatCombo->setFocus();
        while (s->FormatCombo->currentIndex() < index)
            QTest::keyClick(s->FormatCombo, Qt::Key_Down);
    };
    QTest::mouseClick(w->Labels[TfrmMain::TabSettings], Qt::LeftButton);
    QCOMPARE(s->FormatCombo->currentIndex(), 1);
    choose(2);
    QVERIFY(!KeepEditorView);
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    const double a4Zoom = w->frmTabEditor->ZoomFactor;

    QTest::mouseClick(w->Labels[TfrmMain::TabSettings], Qt::LeftButton);
    QCOMPARE(s->FormatCombo->currentIndex(), 2);
    choose(6);
    QCOMPARE(Document->PageWidth, 148.0);
    QCOMPARE(Document->PageHeight, 105.0);
    QTest::mouseClick(w->Labels[TfrmMain::TabEditor], Qt::LeftButton);
    // The smaller sheet is shown larger once the editor refits it.
    QVERIFY(w->frmTabEditor->ZoomFactor > a4Zoom);
    // Coming back shows the document's format again.
    QTest::mouseClick(w->Labels[TfrmMain::TabSettings], Qt::LeftButton);
    QCOMPARE(s->FormatCombo->currentIndex(), 6);
    QCOMPARE(s->EditPageWidth->text(), QStringLiteral("  148.0"));
}

QTEST_MAIN(TestSettingsWorkspace)
#include "tst_settingsworkspace.moc"
