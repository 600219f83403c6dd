// Pages "Textbausteine" and "Adressen" of the settings workspace: the ten text blocks in the
// settings store and the address records file, whose shown record fills the placeholders.

#include "settings/tfrmtabsettings.h"

#include "document/cp1252.h"
#include "ui/globals.h"
#include "inspector/inspectorwidgets.h"
#include "ui/messages.h"
#include "addresses/addressrecords.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

namespace {

const QString textBlockSection = QStringLiteral("Textbausteine");

QString textBlockKey(int i)
{
    return QStringLiteral("T%1").arg(i + 1, 2, 10, QLatin1Char('0'));
}

QString messageTitle()
{
    return QStringLiteral("Adressen");
}

bool ask(const QString& caption, const QString& question)
{
    if (MainLink)
        return MainLink->AskFrage(caption, question);
    if (AskQuestionHook)
        return AskQuestionHook(caption, question);
    return false;
}

} // namespace

void TfrmTabSettings::readTextBlocks()
{
    if (!Registry)
        return;
    Registry->beginGroup(textBlockSection);
    for (int i = 0; i < TB.size(); ++i) {
        TB[i]->setText(Registry->value(textBlockKey(i)).toString());
        TextBlocks[i + 1] = TB[i]->text();
    }
    Registry->endGroup();
}

void TfrmTabSettings::Image1Click()
{
    for (int i = 0; i < TB.size(); ++i)
        TextBlocks[i + 1] = TB[i]->text();
    if (Registry) {
        Registry->beginGroup(textBlockSection);
        for (int i = 0; i < TB.size(); ++i)
            Registry->setValue(textBlockKey(i), TB[i]->text());
        Registry->endGroup();
        Registry->sync();
        if (Registry->status() != QSettings::NoError) {
            ShowMessage(this, QStringLiteral("Textbausteine"),
                        QStringLiteral("Die Textbausteine gelten bis zum Programmende, lassen sich "
                                       "aber nicht in der Einstellungsdatei \u201E%1\u201C "
                                       "speichern: sie ist nicht beschreibbar.")
                            .arg(QDir::toNativeSeparators(Registry->fileName())));
            return;
        }
    }
    UebernehmenLabel->setText(QStringLiteral("Übernommen!"));
}

void TfrmTabSettings::FormShow(const QString& programDir)
{
    ProgramDir = programDir;
    FormatCombo->setCurrentIndex(0);
    // The user's folder exists from the first start on, so the first save finds it.
    QDir().mkpath(QFileInfo(UserAddressFile()).absolutePath());
    AddressRecords.clear();
    try {
        AddressRecords = ReadAddressFile(AddressFileToRead(programDir));
    } catch (const TAddressError& e) {
        ShowMessage(this, messageTitle(),
                    e.message() + QStringLiteral(" Mit \u201ENeu\u201C oder \u201EImportieren ..."
                                                 "\u201C auf der Seite \u201EAdressen\u201C "
                                                 "entsteht eine neue Adressdatei."));
    }
    fillAddressCombo(0);
}

void TfrmTabSettings::fillAddressCombo(int select)
{
    ComboBoxAdressen->clear();
    for (qsizetype i = 1; i < AddressRecords.size(); ++i)
        ComboBoxAdressen->addItem(AddressRecords.at(i).section(QLatin1Char('\t'), 0, 0));
    if (select >= 0 && select < ComboBoxAdressen->count()) {
        ComboBoxAdressen->setCurrentIndex(select);
        ComboBoxAdressenChange();
        return;
    }
    ComboBoxAdressen->setCurrentIndex(-1);
    m_shownAddress = -1;
    for (QLineEdit* edit : std::as_const(AddressEdits))
        edit->clear();
}

void TfrmTabSettings::ComboBoxAdressenChange()
{
    const int index = ComboBoxAdressen->currentIndex();
    if (index < 0 || index + 1 >= AddressRecords.size())
        return;
    const TAddressRecord record = SplitAddressRecord(AddressRecords.at(index + 1));
    for (int f = 0; f < AddressFieldCount; ++f)
        AddressEdits[f]->setText(record.at(f));
    for (int f = 1; f < AddressFieldCount; ++f)
        AddressFields[AddressFieldsIndex(f)] = AddressEdits[f]->text();
    m_shownAddress = index;
    // The edits hold the stored record: nothing left to save.
    if (LabelUebernehmen->text() == QStringLiteral("Speichern!"))
        LabelUebernehmen->clear();
}

bool TfrmTabSettings::addressEdited() const
{
    if (m_shownAddress < 0 || m_shownAddress + 1 >= AddressRecords.size())
        return false;
    const TAddressRecord record = SplitAddressRecord(AddressRecords.at(m_shownAddress + 1));
    for (int f = 0; f < AddressFieldCount && f < record.size(); ++f) {
        if (AddressEdits[f]->text() != record.at(f))
            return true;
    }
    return false;
}

void TfrmTabSettings::ComboBoxAdressenActivated()
{
    const int chosen = ComboBoxAdressen->currentIndex();
    const int shown = m_shownAddress;
    if (shown >= 0 && chosen != shown && addressEdited()) {
        QMessageBox box(QMessageBox::Question, messageTitle(),
                        QStringLiteral("Änderungen an der Adresse \u201E%1\u201C speichern?")
                            .arg(ComboBoxAdressen->itemText(shown)),
                        QMessageBox::NoButton, this);
        QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        ExecDialog(box);
        QAbstractButton* answer = box.clickedButton();
        const bool save = answer == yes;
        if ((answer != yes && answer != no) || (save && !saveAddress(shown))) {
            // Kept: the edits stay, and so does the record they belong to.
            ComboBoxAdressen->setCurrentIndex(shown);
            return;
        }
        if (save)
            ComboBoxAdressen->setCurrentIndex(chosen);
    }
    ComboBoxAdressenChange();
}

bool TfrmTabSettings::writeRecords()
{
    try {
        WriteAddressFile(UserAddressFile(), AddressRecords);
        return true;
    } catch (const TAddressError& e) {
        ShowMessage(this, messageTitle(), e.message());
        return false;
    }
}

bool TfrmTabSettings::saveAddress(int index)
{
    if (index < 0 || index + 1 >= AddressRecords.size()) {
        ShowMessage(this, messageTitle(),
                    QStringLiteral("Es ist keine Adresse gewählt, die gespeichert werden könnte. "
                                   "Mit \u201ENeu\u201C legen Sie eine an."));
        return false;
    }
    TAddressRecord record;
    for (const QLineEdit* edit : std::as_const(AddressEdits))
        record << edit->text();
    const QString before = AddressRecords.at(index + 1);
    // The line as the file will hold it, so what is shown is what is stored.
    AddressRecords[index + 1] = FromCp1252(ToCp1252(JoinAddressRecord(record)));
    if (!writeRecords()) {
        AddressRecords[index + 1] = before;
        return false;
    }
    ComboBoxAdressen->setItemText(index, AddressRecords.at(index + 1).section(QLatin1Char('\t'), 0, 0));
    return true;
}

void TfrmTabSettings::Image4Click()
{
    // The record in the edits, whatever the box shows meanwhile.
    const int index = m_shownAddress >= 0 ? m_shownAddress : ComboBoxAdressen->currentIndex();
    if (!saveAddress(index))
        return;
    ComboBoxAdressen->setCurrentIndex(index);
    ComboBoxAdressenChange();
    LabelUebernehmen->setText(QStringLiteral("Übernommen!"));
}

void TfrmTabSettings::ButtonNeuClick()
{
    const QStringList before = AddressRecords;
    if (AddressRecords.isEmpty())
        AddressRecords << AddressHeaderLine();
    AddressRecords << JoinAddressRecord(NewAddressRecord(QStringLiteral("Neue Adresse")));
    if (!writeRecords()) {
        AddressRecords = before;
        return;
    }
    fillAddressCombo(int(AddressRecords.size()) - 2);
    AddressEdits[AfSet]->setFocus();
    AddressEdits[AfSet]->selectAll();
}

void TfrmTabSettings::ButtonLoeschenClick()
{
    const int index = ComboBoxAdressen->currentIndex();
    if (index < 0 || index + 1 >= AddressRecords.size()) {
        ShowMessage(this, messageTitle(),
                    QStringLiteral("Es ist keine Adresse gewählt, die gelöscht werden könnte."));
        return;
    }
    if (AddressRecords.size() <= 2) {
        ShowMessage(this, messageTitle(),
                    QStringLiteral("Die letzte Adresse kann nicht gelöscht werden; die "
                                   "Adressdatei behält mindestens eine. Ändern Sie sie "
                                   "stattdessen und speichern Sie."));
        return;
    }
    const QString name = ComboBoxAdressen->itemText(index);
    if (!ask(QStringLiteral("Bestätigung"),
             QStringLiteral("Die Adresse \u201E%1\u201C löschen?").arg(name)))
        return;
    const QStringList before = AddressRecords;
    AddressRecords.removeAt(index + 1);
    if (!writeRecords()) {
        AddressRecords = before;
        return;
    }
    fillAddressCombo(std::min(index, int(AddressRecords.size()) - 2));
}

void TfrmTabSettings::ButtonImportClick()
{
    QString fileName;
    if (AskImportFileName)
        fileName = AskImportFileName();
    else
        fileName = QFileDialog::getOpenFileName(
            this, QStringLiteral("Adressen importieren"), QDir::homePath(),
            QStringLiteral("Adressen (*.vcf *.vcard *.csv *.dat *.txt);;vCard (*.vcf *.vcard);;"
                           "CSV (*.csv);;Alle Dateien (*)"));
    if (!fileName.isEmpty())
        ImportAddressFile(fileName);
}

bool TfrmTabSettings::ImportAddressFile(const QString& fileName)
{
    TAddressImport imported;
    try {
        imported = ReadAddressSource(fileName);
    } catch (const TAddressError& e) {
        ShowMessage(this, messageTitle(), e.message());
        return false;
    }
    const QStringList before = AddressRecords;
    if (AddressRecords.isEmpty())
        AddressRecords << AddressHeaderLine();
    const int first = int(AddressRecords.size()) - 1;
    for (const TAddressRecord& record : std::as_const(imported.Records))
        AddressRecords << FromCp1252(ToCp1252(JoinAddressRecord(record)));
    if (!writeRecords()) {
        AddressRecords = before;
        return false;
    }
    fillAddressCombo(first);
    const int count = int(imported.Records.size());
    const QString file = QDir::toNativeSeparators(fileName);
    QString text =
        count == 1
            ? QStringLiteral("Eine Adresse aus \u201E%1\u201C wurde übernommen.").arg(file)
            : QStringLiteral("%1 Adressen aus \u201E%2\u201C wurden übernommen.").arg(count).arg(file);
    if (imported.Replaced > 0)
        text += QStringLiteral(" %1 Zeichen, die der Zeichensatz der Adressdatei nicht kennt, "
                               "stehen dort als \u201E?\u201C.")
                    .arg(imported.Replaced);
    const QString note = AddressImportNote(imported, fileName);
    if (!note.isEmpty())
        text += QLatin1Char(' ') + note;
    ShowInformation(this, messageTitle(), text);
    return true;
}
