// Pages "Textbausteine" and "Adressen" of the settings workspace driven through their widgets:
// the text blocks in the settings store, the address file read at start and saved to the
// user's folder, the buttons "Neu", "Löschen" and "Importieren ...", and the failure paths.

#include "qmpaths.h"
#include "document/cp1252.h"
#include "document/docelement.h"
#include "readonlyfolder.h"
#include "settingsfixture.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

const QByteArray header("Kopfzeile \xE4\x81\tbleibt");
const QByteArray first("Sonnenfeld\tSonnenfeld GmbH\tGrafik\tAtelier\tLeitung\tLindenallee 12\t"
                       "34567\tMusterstadt\t0123 1\t0123 2\t0123 3\t0123 4\t0170 5\t"
                       "info@s.example\twww.s.example\tBank A\t100\t1000\tBank B\t200\t2000\t"
                       "Dipl.-Des.\tAnna\tSonnenfeld");
const QByteArray shortRecord("Kurz\tNur Firma");

QByteArray longRecord()
{
    QList<QByteArray> fields{"Lang"};
    for (int i = 2; i <= 25; ++i)
        fields << "L" + QByteArray::number(i);
    return fields.join('\t');
}

QByteArray programFile()
{
    return header + "\r\n" + first + "\r\n" + shortRecord + "\r\n" + longRecord() + "\r\n";
}

} // namespace

class TestSettingsAddresses : public QObject {
    Q_OBJECT

private slots:
    // text blocks
    void textBlocksComeFromTheSettingsStore();
    void typingAsksForSavingAndSavingTakesOver();

    // address records: valid
    void startMakesTheFirstRecordCurrent();
    void choosingARecordFillsThePlaceholders();
    void fewerFieldsShowEmptyEdits();
    void firstSaveCreatesTheUserFileReadFromTheNextStart();
    void savingRenamesTheEntryAndKeepsItSelected();
    void savingDropsFieldsBeyondTheTwentyFourth();
    void newRecordIsAppendedAndSelected();
    void deleteAsksAndKeepsTheLastRecord();
    void importAppendsEveryContactOfAVCard();
    void importOfACsvSaysHowManyCharactersWereReplaced();

    // bad
    void importOfAnUnknownFileAppendsNothing();
    void failedSaveKeepsTheOldFileTheEntryAndTheLabel();
    void savingWithoutARecordIsRefused();

    // missing
    void withoutAnyFileNothingIsListedAndNewStartsOne();

private:
    static QString userFile() { return UserAddressFile(); }
};

void TestSettingsAddresses::textBlocksComeFromTheSettingsStore()
{
    SettingsFixture f;
    f.settings->setValue(QStringLiteral("Textbausteine/T01"), QStringLiteral("Erster"));
    f.settings->setValue(QStringLiteral("Textbausteine/T10"), QStringLiteral("Zehnter"));
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QCOMPARE(w->TB.size(), 10);
    QCOMPARE(w->TB[0]->objectName(), QStringLiteral("TB01"));
    QCOMPARE(w->TB[0]->text(), QStringLiteral("Erster"));
    QCOMPARE(w->TB[9]->text(), QStringLiteral("Zehnter"));
    QCOMPARE(w->TB[4]->text(), QString());
    QCOMPARE(TextBlocks[1], QStringLiteral("Erster"));
    QCOMPARE(TextBlocks[10], QStringLiteral("Zehnter"));
}

void TestSettingsAddresses::typingAsksForSavingAndSavingTakesOver()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QTest::mouseClick(w->Label5, Qt::LeftButton);
    QTest::keyClicks(w->TB[2], QStringLiteral("Herzliche Gruesse"));
    QCOMPARE(w->UebernehmenLabel->text(), QStringLiteral("Speichern!"));
    QCOMPARE(TextBlocks[3], QString());

    Document->AddText(QString());
    auto* text = static_cast<TDocElementTXT*>(Document->Element(0));
    text->MacroText = QStringLiteral("<t3>, <vorname> <name> <telefonprivat>");
    Document->FillPlaceholders(CurrentPlaceholderValues());
    QCOMPARE(text->Text, QStringLiteral(", Anna Sonnenfeld 0123 3"));

    QTest::mouseClick(w->Image1, Qt::LeftButton);
    QCOMPARE(w->UebernehmenLabel->text(), QStringLiteral("Übernommen!"));
    QCOMPARE(TextBlocks[3], QStringLiteral("Herzliche Gruesse"));
    Document->FillPlaceholders(CurrentPlaceholderValues());
    QCOMPARE(text->Text, QStringLiteral("Herzliche Gruesse, Anna Sonnenfeld 0123 3"));

    // Stored for the next start.
    f.settings->sync();
    QSettings again(f.settings->fileName(), QSettings::IniFormat);
    QCOMPARE(again.value(QStringLiteral("Textbausteine/T03")).toString(),
             QStringLiteral("Herzliche Gruesse"));
    QCOMPARE(again.value(QStringLiteral("Textbausteine/T01")).toString(), QString());
}

void TestSettingsAddresses::startMakesTheFirstRecordCurrent()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QCOMPARE(w->ComboBoxAdressen->count(), 3);
    QCOMPARE(w->ComboBoxAdressen->itemText(0), QStringLiteral("Sonnenfeld"));
    QCOMPARE(w->ComboBoxAdressen->itemText(2), QStringLiteral("Lang"));
    QCOMPARE(w->ComboBoxAdressen->currentIndex(), 0);
    QCOMPARE(w->AddressEdits[AfSet]->objectName(), QStringLiteral("EditASet"));
    QCOMPARE(w->AddressEdits[AfName]->objectName(), QStringLiteral("EditAName"));
    QCOMPARE(w->AddressEdits[AfOrt]->text(), QStringLiteral("Musterstadt"));
    QCOMPARE(AddressFields[0], QStringLiteral("Sonnenfeld GmbH"));
    QCOMPARE(AddressFields[3], QStringLiteral("Leitung"));
    QCOMPARE(AddressFields[7], QStringLiteral("0123 1"));
    QCOMPARE(AddressFields[8], QStringLiteral("0123 2"));
    QCOMPARE(AddressFields[9], QStringLiteral("0170 5"));
    QCOMPARE(AddressFields[21], QStringLiteral("0123 3"));
    QCOMPARE(AddressFields[22], QStringLiteral("0123 4"));
    QCOMPARE(AddressFields[20], QStringLiteral("Sonnenfeld"));
    QCOMPARE(AddressRecords.size(), 4);
    QVERIFY(f.messages.isEmpty());
    // Reading created the user's folder, but no file in it.
    QVERIFY(QFileInfo(QFileInfo(userFile()).absolutePath()).isDir());
    QVERIFY(!QFileInfo::exists(userFile()));
}

void TestSettingsAddresses::choosingARecordFillsThePlaceholders()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QTest::mouseClick(w->Label17, Qt::LeftButton);
    chooseItem(w->ComboBoxAdressen, 2);
    QCOMPARE(w->AddressEdits[AfSet]->text(), QStringLiteral("Lang"));
    QCOMPARE(w->AddressEdits[AfName]->text(), QStringLiteral("L24"));
    QCOMPARE(AddressFields[0], QStringLiteral("L2"));
    QCOMPARE(AddressFields[20], QStringLiteral("L24"));
    QCOMPARE(AddressFields[21], QStringLiteral("L11"));
    // Typing alone changes no placeholder value.
    QTest::keyClicks(w->AddressEdits[AfFirma1], QStringLiteral("X"));
    QCOMPARE(w->LabelUebernehmen->text(), QStringLiteral("Speichern!"));
    QCOMPARE(AddressFields[0], QStringLiteral("L2"));
}

void TestSettingsAddresses::fewerFieldsShowEmptyEdits()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    chooseItem(w->ComboBoxAdressen, 1);
    QCOMPARE(w->AddressEdits[AfFirma1]->text(), QStringLiteral("Nur Firma"));
    for (int i = AfFirma2; i < AddressFieldCount; ++i)
        QCOMPARE(w->AddressEdits[i]->text(), QString());
    QCOMPARE(AddressFields[0], QStringLiteral("Nur Firma"));
    QCOMPARE(AddressFields[20], QString());
    // Saving writes all 24 fields.
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    const QList<QByteArray> lines = SettingsFixture::read(userFile()).split('\n');
    QCOMPARE(lines.at(2), QByteArray("Kurz\tNur Firma") + QByteArray(22, '\t') + '\r');
}

void TestSettingsAddresses::firstSaveCreatesTheUserFileReadFromTheNextStart()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QTest::mouseClick(w->Label17, Qt::LeftButton);
    typeInto(w->AddressEdits[AfOrt], QStringLiteral("Neustadt"));
    QCOMPARE(w->LabelUebernehmen->text(), QStringLiteral("Speichern!"));
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    QCOMPARE(w->LabelUebernehmen->text(), QStringLiteral("Übernommen!"));
    QCOMPARE(AddressFields[6], QStringLiteral("Neustadt"));
    const QByteArray saved = SettingsFixture::read(userFile());
    // The header line is kept byte for byte; the program's file is left alone.
    QVERIFY(saved.startsWith(header + "\r\nSonnenfeld\t"));
    QVERIFY(saved.contains("\t34567\tNeustadt\t"));
    QCOMPARE(SettingsFixture::read(f.programDir + "adressen.dat"), programFile());

    // The next start reads the user's file.
    f.form.reset();
    AddressFields.fill(QString());
    w = f.start();
    QCOMPARE(w->AddressEdits[AfOrt]->text(), QStringLiteral("Neustadt"));
    QCOMPARE(AddressFields[6], QStringLiteral("Neustadt"));
}

void TestSettingsAddresses::savingRenamesTheEntryAndKeepsItSelected()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    chooseItem(w->ComboBoxAdressen, 1);
    typeInto(w->AddressEdits[AfSet], QStringLiteral("Kurz & knapp"));
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 3);
    QCOMPARE(w->ComboBoxAdressen->currentIndex(), 1);
    QCOMPARE(w->ComboBoxAdressen->itemText(1), QStringLiteral("Kurz & knapp"));
    QVERIFY(SettingsFixture::read(userFile()).contains("\r\nKurz & knapp\tNur Firma\t"));
}

void TestSettingsAddresses::savingDropsFieldsBeyondTheTwentyFourth()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    chooseItem(w->ComboBoxAdressen, 2);
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    const QList<QByteArray> lines = SettingsFixture::read(userFile()).split('\n');
    QCOMPARE(lines.size(), 5); // four lines and the empty rest after the last line break
    QVERIFY(lines.at(3).endsWith("\tL24\r"));
    QCOMPARE(lines.at(3).count('\t'), 23);
    QVERIFY(!lines.at(3).contains("L25"));
}

void TestSettingsAddresses::newRecordIsAppendedAndSelected()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QTest::mouseClick(w->ButtonNeu, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 4);
    QCOMPARE(w->ComboBoxAdressen->currentIndex(), 3);
    QCOMPARE(w->ComboBoxAdressen->currentText(), QStringLiteral("Neue Adresse"));
    QCOMPARE(w->AddressEdits[AfSet]->text(), QStringLiteral("Neue Adresse"));
    QCOMPARE(w->AddressEdits[AfFirma1]->text(), QString());
    QCOMPARE(AddressFields[0], QString());
    QVERIFY(SettingsFixture::read(userFile()).endsWith("\r\nNeue Adresse" + QByteArray(23, '\t') + "\r\n"));
    // The name is selected, so typing replaces it.
    QTest::keyClicks(w->AddressEdits[AfSet], QStringLiteral("Vereinsheim"));
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->itemText(3), QStringLiteral("Vereinsheim"));
}

void TestSettingsAddresses::deleteAsksAndKeepsTheLastRecord()
{
    SettingsFixture f;
    f.writeProgramFile(header + "\r\n" + first + "\r\n" + shortRecord + "\r\n");
    TfrmTabSettings* w = f.start();
    chooseItem(w->ComboBoxAdressen, 1);

    f.main.Answer = false;
    QTest::mouseClick(w->ButtonLoeschen, Qt::LeftButton);
    QCOMPARE(f.main.Questions, QStringList{QStringLiteral("Bestätigung|Die Adresse „Kurz“ löschen?")});
    QCOMPARE(w->ComboBoxAdressen->count(), 2);
    QVERIFY(!QFileInfo::exists(userFile()));

    f.main.Answer = true;
    QTest::mouseClick(w->ButtonLoeschen, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 1);
    QCOMPARE(w->ComboBoxAdressen->currentIndex(), 0);
    QCOMPARE(AddressFields[0], QStringLiteral("Sonnenfeld GmbH"));
    QCOMPARE(SettingsFixture::read(userFile()), header + "\r\n" + first + "\r\n");

    // The last record stays; the user is told why.
    f.main.Questions.clear();
    QTest::mouseClick(w->ButtonLoeschen, Qt::LeftButton);
    QVERIFY(f.main.Questions.isEmpty());
    QCOMPARE(w->ComboBoxAdressen->count(), 1);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QStringLiteral("letzte Adresse")));
}

void TestSettingsAddresses::importAppendsEveryContactOfAVCard()
{
    const QString vcf = QStringLiteral(QM_CORPUS_DIR "/vcard/ezvcard-rfc2426-example.vcf");
    if (!QFile::exists(vcf))
        QSKIP("The corpus of vCards is not there.");
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    w->AskImportFileName = [vcf] { return vcf; };
    QTest::mouseClick(w->ButtonImport, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 5);
    QCOMPARE(w->ComboBoxAdressen->itemText(3), QStringLiteral("Frank Dawson"));
    QCOMPARE(w->ComboBoxAdressen->itemText(4), QStringLiteral("Tim Howes"));
    QCOMPARE(w->ComboBoxAdressen->currentIndex(), 3);
    QCOMPARE(AddressFields[0], QStringLiteral("Lotus Development Corporation"));
    QCOMPARE(AddressFields[5], QStringLiteral("27613-3502"));
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QStringLiteral("2 Adressen")));
    // Success is a notice, not a warning.
    QCOMPARE(LastMessageIcon, TMessageIcon::Information);
    const QList<QByteArray> lines = SettingsFixture::read(userFile()).split('\n');
    QCOMPARE(lines.size(), 7);
    QVERIFY(lines.at(5).startsWith("Tim Howes\tNetscape Communications Corp.\t"));
}

void TestSettingsAddresses::importOfACsvSaysHowManyCharactersWereReplaced()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    const QString csv = f.dir.filePath(QStringLiteral("kontakte.csv"));
    SettingsFixture::write(csv, "Vorname;Nachname;Ort\nWładysław;Nowak;Kraków\n");
    TfrmTabSettings* w = f.start();
    w->AskImportFileName = [csv] { return csv; };
    QTest::mouseClick(w->ButtonImport, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->currentText(), QStringLiteral("W?adys?aw Nowak"));
    QCOMPARE(w->AddressEdits[AfOrt]->text(), QStringLiteral("Kraków"));
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QStringLiteral("Eine Adresse")));
    QVERIFY(f.messages.first().contains(QStringLiteral("2 Zeichen")));
    QVERIFY(SettingsFixture::read(userFile()).endsWith("W?adys?aw Nowak\t" + QByteArray(6, '\t') +
                                                       "Krak\xF3w" + QByteArray(15, '\t') +
                                                       "W?adys?aw\tNowak\r\n"));
}

void TestSettingsAddresses::importOfAnUnknownFileAppendsNothing()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    const QString bad = f.dir.filePath(QStringLiteral("brief.txt"));
    SettingsFixture::write(bad, "Sehr geehrte Damen und Herren,\nanbei die Rechnung.\n");
    TfrmTabSettings* w = f.start();
    w->AskImportFileName = [bad] { return bad; };
    QTest::mouseClick(w->ButtonImport, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 3);
    QCOMPARE(AddressRecords.size(), 4);
    QVERIFY(!QFileInfo::exists(userFile()));
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QStringLiteral("brief.txt")));
    QCOMPARE(LastMessageIcon, TMessageIcon::Warning);
    // Cancelling the dialog does nothing at all.
    w->AskImportFileName = [] { return QString(); };
    QTest::mouseClick(w->ButtonImport, Qt::LeftButton);
    QCOMPARE(f.messages.size(), 1);
}

void TestSettingsAddresses::failedSaveKeepsTheOldFileTheEntryAndTheLabel()
{
    SettingsFixture f;
    f.writeProgramFile(programFile());
    TfrmTabSettings* w = f.start();
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    const QByteArray before = SettingsFixture::read(userFile());
    QVERIFY(!before.isEmpty());

    TReadOnlyFolder lock(QFileInfo(userFile()).absolutePath());
    if (!lock.ok())
        QSKIP("The folder cannot be made read-only here.");
    typeInto(w->AddressEdits[AfSet], QStringLiteral("Umbenannt"));
    QCOMPARE(w->LabelUebernehmen->text(), QStringLiteral("Speichern!"));
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QDir::toNativeSeparators(userFile())));
    QVERIFY(f.messages.first().contains(QStringLiteral("bleibt unverändert")));
    QCOMPARE(SettingsFixture::read(userFile()), before);
    QCOMPARE(w->ComboBoxAdressen->itemText(0), QStringLiteral("Sonnenfeld"));
    QCOMPARE(w->LabelUebernehmen->text(), QStringLiteral("Speichern!"));

    // "Neu" and the import leave memory and file as they were, too.
    QTest::mouseClick(w->ButtonNeu, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 3);
    QCOMPARE(AddressRecords.size(), 4);
    QCOMPARE(SettingsFixture::read(userFile()), before);
}

void TestSettingsAddresses::savingWithoutARecordIsRefused()
{
    SettingsFixture f;
    f.writeProgramFile(header + "\r\n");
    TfrmTabSettings* w = f.start();
    QCOMPARE(w->ComboBoxAdressen->count(), 0);
    QCOMPARE(w->ComboBoxAdressen->currentIndex(), -1);
    QVERIFY(f.messages.isEmpty());
    typeInto(w->AddressEdits[AfSet], QStringLiteral("Niemand"));
    QTest::mouseClick(w->Image4, Qt::LeftButton);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QStringLiteral("keine Adresse gewählt")));
    QVERIFY(!QFileInfo::exists(userFile()));
    QCOMPARE(AddressRecords.size(), 1);
    for (const QString& field : AddressFields)
        QVERIFY(field.isEmpty());
}

void TestSettingsAddresses::withoutAnyFileNothingIsListedAndNewStartsOne()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    QCOMPARE(w->ComboBoxAdressen->count(), 0);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.first().contains(QDir::toNativeSeparators(f.programDir + "adressen.dat")));
    QVERIFY(f.messages.first().contains(QStringLiteral("nicht vorhanden")));
    QTest::mouseClick(w->ButtonNeu, Qt::LeftButton);
    QCOMPARE(w->ComboBoxAdressen->count(), 1);
    QCOMPARE(SettingsFixture::read(userFile()),
             ToCp1252(AddressHeaderLine()) + "\r\nNeue Adresse" + QByteArray(23, '\t') + "\r\n");
}

QTEST_MAIN(TestSettingsAddresses)
#include "tst_settingsaddresses.moc"
