// Editing in the whole program without surprises: pasted pictures keep their original,
// filling placeholders is one undo step, the font dialog starts from the element's font,
// typed text and address edits are not dropped, lengths take the decimal comma, EMF pictures
// come in, and the placeholder field fills the text without touching the rest.

#include "qmpaths.h"
#include "fileworkspace/tfrmtabfiler.h"
#include "common/editingsteps.h"
#include "editor/undokeys.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/numberformat.h"
#include "inspector/ttoolmaster.h"
#include "inspector/ttoolsubformtxt.h"
#include "addresses/addressrecords.h"
#include "settings/tfrmtabsettings.h"
#include "editingfixture.h"

#include <QComboBox>
#include <QFile>
#include <QFontDialog>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>

using namespace EditingSteps;

class TestEditingFlow : public QObject {
    Q_OBJECT
private slots:
    void pastedCopyOfAFreshPictureKeepsTheOriginal();
    void keysReachTheSheetRightAfterAnInsertion_data();
    void keysReachTheSheetRightAfterAnInsertion();
    void fillingPlaceholdersIsOneUndoStep();
    void fontDialogStartsFromTheElementsFont();
    void typedTextIsAppliedWhenAnotherElementIsClicked();
    void changedAddressIsNotDroppedSilently_data();
    void changedAddressIsNotDroppedSilently();
    void lengthsTakeTheDecimalComma_data();
    void lengthsTakeTheDecimalComma();
    void emfPicturesCanBeInserted();
    void placeholderFieldFillsTheTextAndKeepsTheRest_data();
    void placeholderFieldFillsTheTextAndKeepsTheRest();
};

void TestEditingFlow::pastedCopyOfAFreshPictureKeepsTheOriginal() {
    Session s;
    QTemporaryDir dir;
    const QString png = writePng(dir);
    QVERIFY(!png.isEmpty());
    s.editor->AskGraphicFileName = [&] { return png; };
    QTest::mouseClick(s.editor->SpeedButtonGraphic, Qt::LeftButton);
    QCOMPARE(pictureCount(), 1);
    TDocElement* original = Document->Element(0);
    // Carried to its place and dropped there: placed and still selected.
    clickAt(s.editor, 30, 30);
    QCOMPARE(s.editor->SelectedElement, original);

    pressKey(s.editor, Qt::Key_C, Qt::ControlModifier);
    pressKey(s.editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pictureCount(), 2);
    clickAt(s.editor, 100, 120);
    QCOMPARE(pictureCount(), 2);
    QCOMPARE(Document->Element(1), original);
    QVERIFY2(std::abs(original->Left - Document->Element(0)->Left) > 20,
             "the copy lies where the original was");

    // Undo takes the copy only.
    QTest::mouseClick(s.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(pictureCount(), 1);
    QCOMPARE(Document->Element(0), original);
}

void TestEditingFlow::keysReachTheSheetRightAfterAnInsertion_data() {
    QTest::addColumn<QString>("kind"); // what is inserted
    QTest::newRow("PNG") << "png";
    QTest::newRow("SVG") << "svg";
    QTest::newRow("Text") << "text";
}

// The picture hangs on the pointer after the open dialog, which left the keyboard with
// another window: Ctrl+C and Ctrl+V as the user types them must still copy and paste it,
// and the original stays where it was.
void TestEditingFlow::keysReachTheSheetRightAfterAnInsertion() {
    QFETCH(QString, kind);
    Session s;
    QTemporaryDir dir;
    QString file;
    if (kind == "png") {
        file = writePng(dir);
    } else if (kind == "svg") {
        file = dir.filePath(QStringLiteral("bild.svg"));
        QFile svg(file);
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"60mm\" height=\"40mm\" "
                  "viewBox=\"0 0 60 40\"><rect width=\"60\" height=\"40\" fill=\"#2a7\"/></svg>");
    }
    // The keyboard is elsewhere when the insertion happens (the dialog gave it away).
    auto elsewhere = [&] {
        QApplication::setActiveWindow(s.inspector);
        s.inspector->EditLeft->setFocus();
    };
    s.editor->AskGraphicFileName = [&] {
        elsewhere();
        return file;
    };
    if (kind == "text") {
        elsewhere();
        QTest::mouseClick(s.editor->SpeedButtonText, Qt::LeftButton);
    } else {
        QTest::mouseClick(s.editor->SpeedButtonGraphic, Qt::LeftButton);
    }
    QCOMPARE(Document->Count(), 1);
    TDocElement* original = Document->Element(0);
    (void)QTest::qWaitForWindowActive(s.editor->window());
    // Carried to 30 mm, not dropped.
    const QPoint p = pixelAt(s.editor, 30, 30);
    QTest::mouseMove(s.editor->Page, p + QPoint(8, 8));
    QTest::mouseMove(s.editor->Page, p);
    QCOMPARE(s.editor->CarriedElement(), original);

    // The keys go where the keyboard is.
    auto type = [](Qt::Key key) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key, Qt::ControlModifier);
    };
    type(Qt::Key_C);
    type(Qt::Key_V);
    QCOMPARE(Document->Count(), 2);
    clickAt(s.editor, 100, 120);
    QCOMPARE(Document->Count(), 2);
    QCOMPARE(Document->Element(1), original);
    QVERIFY2(std::abs(original->Left - 30) < 1, qPrintable(QString::number(original->Left)));
    QVERIFY2(std::abs(Document->Element(0)->Left - 100) < 1,
             qPrintable(QString::number(Document->Element(0)->Left)));

    // Undo takes the copy only.
    QTest::mouseClick(s.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(Document->Count(), 1);
    QCOMPARE(Document->Element(0), original);
}

void TestEditingFlow::fillingPlaceholdersIsOneUndoStep() {
    Session s;
    AddressFields[AddressFieldsIndex(AfName)] = QStringLiteral("Altmann");
    AddressFields[AddressFieldsIndex(AfStrasse)] = QStringLiteral("Altweg 1");
    TDocElementTXT* street = addText(QStringLiteral("Altweg 1"), 10, 30, QStringLiteral("<strasse>"));
    TDocElementTXT* name = addText(QStringLiteral("Altmann"), 10, 10, QStringLiteral("<name>"));
    s.refresh();

    // The name typed over in the inspector.
    clickElement(s.editor, *name);
    QCOMPARE(s.inspector->Reference(), name);
    s.textPage()->EditTextCont->selectAll();
    QTest::keyClicks(s.textPage()->EditTextCont, QStringLiteral("XYZ"));
    QTest::keyClick(s.textPage()->EditTextCont, Qt::Key_Return);
    QCOMPARE(name->Text, QStringLiteral("XYZ"));

    // Another address, then "Textbausteine zuweisen".
    AddressFields[AddressFieldsIndex(AfName)] = QStringLiteral("Prüfer");
    AddressFields[AddressFieldsIndex(AfStrasse)] = QStringLiteral("Prüferweg 2");
    QTest::mouseClick(s.editor->SpeedButtonArange, Qt::LeftButton);
    name = static_cast<TDocElementTXT*>(Document->Element(0));
    street = static_cast<TDocElementTXT*>(Document->Element(1));
    QCOMPARE(name->Text, QStringLiteral("Prüfer"));
    QCOMPARE(street->Text, QStringLiteral("Prüferweg 2"));

    // One undo puts back exactly what the filling replaced, both texts.
    QVERIFY(s.editor->SpeedButtonReturn->isEnabled());
    QTest::mouseClick(s.editor->SpeedButtonReturn, Qt::LeftButton);
    name = static_cast<TDocElementTXT*>(Document->Element(0));
    street = static_cast<TDocElementTXT*>(Document->Element(1));
    QCOMPARE(name->Text, QStringLiteral("XYZ"));
    QCOMPARE(street->Text, QStringLiteral("Altweg 1"));
    QCOMPARE(name->MacroText, QStringLiteral("<name>"));
}

void TestEditingFlow::fontDialogStartsFromTheElementsFont() {
    Session s;
    TDocElementTXT* e = addText(QStringLiteral("Fett"), 10, 10);
    e->FontName = QStringLiteral("Arial");
    e->FontStyle = fsBold;
    e->FontSize = 140;
    s.refresh();
    clickElement(s.editor, *e);
    QCOMPARE(s.inspector->Reference(), e);

    QFont offered;
    s.answer = [&](QDialog& d) {
        auto* dialog = qobject_cast<QFontDialog*>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        offered = dialog->currentFont();
        return int(QDialog::Accepted); // OK without a change
    };
    QTest::mouseClick(s.textPage()->SpBtnFontDialog, Qt::LeftButton);
    // The family that draws "Arial" here, bold, 14 points.
    QCOMPARE(offered.family(), QFontInfo(QFont(QStringLiteral("Arial"))).family());
    QVERIFY(offered.bold());
    QCOMPARE(offered.pointSize(), 14);
    // Nothing changed: the element keeps its font as stored.
    QCOMPARE(e->FontName, QStringLiteral("Arial"));
    QCOMPARE(int(e->FontStyle), int(fsBold));
    QCOMPARE(e->FontSize, 140);
}

void TestEditingFlow::typedTextIsAppliedWhenAnotherElementIsClicked() {
    Session s;
    TDocElementTXT* second = addText(QStringLiteral("Zweiter"), 10, 40);
    TDocElementTXT* first = addText(QStringLiteral("Erster"), 10, 10);
    s.refresh();
    clickElement(s.editor, *first);
    QCOMPARE(s.inspector->Reference(), first);
    const int entries = Document->UndoList.size();
    s.textPage()->EditTextCont->selectAll();
    QTest::keyClicks(s.textPage()->EditTextCont, QStringLiteral("Getippt"));

    // No Return: the click on the other element leaves the field.
    clickElement(s.editor, *second);
    QCOMPARE(s.inspector->Reference(), second);
    first = static_cast<TDocElementTXT*>(Document->Element(0));
    QCOMPARE(first->Text, QStringLiteral("Getippt"));
    QCOMPARE(static_cast<TDocElementTXT*>(Document->Element(1))->Text, QStringLiteral("Zweiter"));
    QCOMPARE(s.textPage()->EditTextCont->text(), QStringLiteral("Zweiter"));

    // One undo step.
    QCOMPARE(Document->UndoList.size(), entries + 1);
    QTest::mouseClick(s.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(static_cast<TDocElementTXT*>(Document->Element(0))->Text, QStringLiteral("Erster"));
}

void TestEditingFlow::changedAddressIsNotDroppedSilently_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("shownAfter"); // combo index
    QTest::addColumn<QString>("storedFirst"); // name of the first record afterwards
    QTest::newRow("Ja") << "Ja" << 1 << "Neuname";
    QTest::newRow("Nein") << "Nein" << 1 << "Sonnenfeld";
    QTest::newRow("Abbrechen") << "Abbrechen" << 0 << "Sonnenfeld";
}

void TestEditingFlow::changedAddressIsNotDroppedSilently() {
    QFETCH(QString, answer);
    QFETCH(int, shownAfter);
    QFETCH(QString, storedFirst);
    Session s;
    TfrmTabSettings* settings = s.window->frmTabSettings;
    QComboBox* combo = settings->ComboBoxAdressen;
    QVERIFY(combo->count() >= 2);
    QCOMPARE(combo->currentIndex(), 0);
    QLineEdit* nameEdit = settings->AddressEdits[AfName];
    QCOMPARE(nameEdit->text(), QStringLiteral("Sonnenfeld"));
    nameEdit->selectAll();
    QTest::keyClicks(nameEdit, QStringLiteral("Neuname"));
    QCOMPARE(settings->LabelUebernehmen->text(), QStringLiteral("Speichern!"));

    QStringList questions;
    s.answer = [&](QDialog& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        if (!box)
            return int(QDialog::Rejected);
        questions << box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == answer)
                b->click();
        return box->result();
    };
    // The next record chosen with the keyboard.
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions.first().contains(QStringLiteral("Änderungen an der Adresse")),
             qPrintable(questions.first()));
    QCOMPARE(combo->currentIndex(), shownAfter);
    const TAddressRecord first = SplitAddressRecord(AddressRecords.at(1));
    QCOMPARE(first.at(AfName), storedFirst);
    if (answer == QStringLiteral("Abbrechen")) {
        // Nothing lost: the typed name is still there, still to be saved.
        QCOMPARE(nameEdit->text(), QStringLiteral("Neuname"));
        QCOMPARE(settings->LabelUebernehmen->text(), QStringLiteral("Speichern!"));
    } else {
        QCOMPARE(nameEdit->text(), SplitAddressRecord(AddressRecords.at(2)).at(AfName));
        QVERIFY(settings->LabelUebernehmen->text() != QStringLiteral("Speichern!"));
    }
    if (answer == QStringLiteral("Ja")) {
        // In the user's file too.
        const QStringList stored = ReadAddressFile(UserAddressFile());
        QCOMPARE(SplitAddressRecord(stored.at(1)).at(AfName), QStringLiteral("Neuname"));
    }
    // Unchanged edits switch without a question.
    questions.clear();
    QTest::keyClick(combo, Qt::Key_Up);
    QVERIFY(questions.isEmpty() || answer == QStringLiteral("Abbrechen"));
}

void TestEditingFlow::lengthsTakeTheDecimalComma_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored"); // NaN: refused, the value stays
    QTest::addColumn<QString>("reason"); // part of the message; empty: no message
    const double refused = std::nan("");
    QTest::newRow("Blattbreite, Komma") << "Blattbreite" << "90,5" << 90.5 << "";
    QTest::newRow("Blattbreite, Punkt") << "Blattbreite" << "90.5" << 90.5 << "";
    QTest::newRow("Blattbreite mit Einheit") << "Blattbreite" << " 90,5 mm" << 90.5 << "";
    QTest::newRow("Blatthöhe 0") << "Blatthöhe" << "0" << refused << "Höhe: 0 mm geht nicht";
    QTest::newRow("Blatthöhe negativ") << "Blatthöhe" << "-5" << refused << "Höhe";
    QTest::newRow("Blattbreite Wort") << "Blattbreite" << "breit" << refused
                                      << "„breit“ ist keine Zahl";
    QTest::newRow("Blattbreite Tausender") << "Blattbreite" << "1.000,5" << refused
                                           << "ist keine Zahl";
    QTest::newRow("Links, Komma") << "Links" << "12,25" << 12.25 << "";
    QTest::newRow("Links, Punkt") << "Links" << "12.25" << 12.25 << "";
    QTest::newRow("Breite, Komma") << "Breite" << "33,5" << 33.5 << "";
    QTest::newRow("Links Wort") << "Links" << "links" << refused << "„links“ ist keine Zahl";
    QTest::newRow("Höhe leer") << "Höhe" << "" << refused << "kein Wert";
}

void TestEditingFlow::lengthsTakeTheDecimalComma() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(double, stored);
    QFETCH(QString, reason);
    Session s;
    double* value = nullptr;
    if (field.startsWith(QStringLiteral("Blatt"))) {
        TfrmTabSettings* settings = s.window->frmTabSettings;
        s.window->LabelClick(TfrmMain::TabSettings);
        settings->FormatCombo->setCurrentIndex(0);
        settings->FormatComboChange();
        QLineEdit* edit = field == QStringLiteral("Blattbreite") ? settings->EditPageWidth
                                                                  : settings->EditPageHeight;
        value = field == QStringLiteral("Blattbreite") ? &Document->PageWidth
                                                        : &Document->PageHeight;
        const double before = *value;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::mouseClick(settings->ApplyBtn, Qt::LeftButton);
        QCOMPARE(*value, std::isnan(stored) ? before : stored);
        if (reason.isEmpty()) {
            QVERIFY2(s.shell.messages.isEmpty(), qPrintable(s.shell.messages.join('\n')));
        } else {
            QCOMPARE(s.shell.messages.size(), 1);
            QVERIFY2(s.shell.messages.first().contains(reason),
                     qPrintable(s.shell.messages.first()));
        }
        return;
    }
    TDocElementTXT* e = addText(QStringLiteral("Maß"), 10, 10);
    s.refresh();
    clickElement(s.editor, *e);
    QCOMPARE(s.inspector->Reference(), e);
    s.inspector->Proportbutton->setChecked(false);
    QLineEdit* edit = field == QStringLiteral("Links")    ? s.inspector->EditLeft
                      : field == QStringLiteral("Breite") ? s.inspector->EditWidth
                                                          : s.inspector->EditHeight;
    e = static_cast<TDocElementTXT*>(Document->Element(0));
    value = field == QStringLiteral("Links") ? &e->Left
            : field == QStringLiteral("Breite") ? &e->Width
                                                : &e->Height;
    const double before = *value;
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    if (typed.isEmpty())
        edit->clear();
    QTest::keyClick(edit, Qt::Key_Return);
    e = static_cast<TDocElementTXT*>(Document->Element(0));
    value = field == QStringLiteral("Links") ? &e->Left
            : field == QStringLiteral("Breite") ? &e->Width
                                                : &e->Height;
    QCOMPARE(*value, std::isnan(stored) ? before : stored);
    if (reason.isEmpty()) {
        QVERIFY2(s.boxes.isEmpty(), qPrintable(s.boxes.join('\n')));
    } else {
        QCOMPARE(s.boxes.size(), 1);
        QVERIFY2(s.boxes.first().contains(field + QStringLiteral(": ")), qPrintable(s.boxes.first()));
        QVERIFY2(s.boxes.first().contains(reason), qPrintable(s.boxes.first()));
        // The field shows the kept value again.
        QCOMPARE(ParseNumber(edit->text()).value_or(-1), before);
    }
}

void TestEditingFlow::emfPicturesCanBeInserted() {
    Session s;
    const QString emf = QStringLiteral(QM_CORPUS_DIR "/emf/e2s-emf-test-088.emf");
    QVERIFY(QFile::exists(emf));
    QVERIFY(TfrmTabEditor::GraphicFilter().split(QStringLiteral(";;")).first().contains(
        QStringLiteral("*.emf")));
    s.editor->AskGraphicFileName = [&] { return emf; };
    QStringList errors;
    s.editor->ShowError = [&](const QString& text) { errors << text; };
    QTest::mouseClick(s.editor->SpeedButtonGraphic, Qt::LeftButton);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    QCOMPARE(pictureCount(), 1);
    auto* e = static_cast<TDocElementWMF*>(Document->Element(0));
    QCOMPARE(e->Metafile.GetForm(), TMetafile::Form::Emf);
    QVERIFY(e->Width > 0 && e->Height > 0);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));
    // The same picture in capitals is taken as well.
    QTemporaryDir dir;
    const QString upper = dir.filePath(QStringLiteral("BILD.EMF"));
    QVERIFY(QFile::copy(emf, upper));
    QVERIFY(s.editor->ImportGraphicFile(upper));
    QCOMPARE(pictureCount(), 2);
}

void TestEditingFlow::placeholderFieldFillsTheTextAndKeepsTheRest_data() {
    QTest::addColumn<bool>("byReturn");
    QTest::newRow("Haken") << false;
    QTest::newRow("Eingabetaste") << true;
}

void TestEditingFlow::placeholderFieldFillsTheTextAndKeepsTheRest() {
    QFETCH(bool, byReturn);
    Session s;
    AddressFields[AddressFieldsIndex(AfVorname)] = QStringLiteral("Anna");
    TDocElementTXT* e = addText(QStringLiteral("Alt"), 10, 10);
    // Values the page shows rounded or shortened would change with every apply.
    e->FontSize = 125;
    e->Angle = 455;
    e->Shadow = true;
    e->ShadowX = 1.5;
    e->ShadowY = -0.25;
    e->FontColor = 0x123456;
    s.refresh();
    clickElement(s.editor, *e);
    QCOMPARE(s.inspector->Reference(), e);

    QLineEdit* macro = s.textPage()->EditTextMakro;
    macro->setFocus();
    QTest::keyClicks(macro, QStringLiteral("<vorname> Muster"));
    if (byReturn)
        QTest::keyClick(macro, Qt::Key_Return);
    else
        QTest::mouseClick(s.textPage()->ApplyBtn, Qt::LeftButton);
    e = static_cast<TDocElementTXT*>(Document->Element(0));
    QCOMPARE(e->MacroText, QStringLiteral("<vorname> Muster"));
    QCOMPARE(e->Text, QStringLiteral("Anna Muster"));
    QCOMPARE(s.textPage()->EditTextCont->text(), QStringLiteral("Anna Muster"));
    QCOMPARE(e->FontSize, 125);
    QCOMPARE(e->Angle, 455);
    QCOMPARE(e->ShadowX, 1.5);
    QCOMPARE(e->ShadowY, -0.25);
    QCOMPARE(e->FontColor, TColor(0x123456));

    // Another confirmation without a change keeps everything as it is.
    const QByteArray before = state();
    if (byReturn)
        QTest::keyClick(macro, Qt::Key_Return);
    else
        QTest::mouseClick(s.textPage()->ApplyBtn, Qt::LeftButton);
    QCOMPARE(state(), before);
}

QTEST_MAIN(TestEditingFlow)
#include "tst_editingflow.moc"
