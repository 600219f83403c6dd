// Redo: every kind of change the undo list records can be undone and redone, by the tool-bar
// buttons and by the keys of both habits; a new change ends what could be redone, and redo
// keeps the undo depth.

#include "editingfixture.h"
#include "editor/undokeys.h"
#include "addresses/addressrecords.h"

#include <QLayout>
#include <QLineEdit>

using namespace EditingSteps;

class TestRedo : public QObject {
    Q_OBJECT
private slots:
    void everyUndoneChangeCanBeRedone_data();
    void everyUndoneChangeCanBeRedone();
    void redoKeepsTheUndoDepth();
};

namespace {

// The changes the undo list records, each made through the program's widgets on a sheet
// with the texts "Oben" (index 0), "Mitte" (1) and a picture (2).
void makeChange(Session& s, const QString& change) {
    TfrmTabEditor* editor = s.editor;
    auto element = [](int i) { return Document->Element(i); };
    if (change == QStringLiteral("neuer Text")) {
        QTest::mouseClick(editor->SpeedButtonText, Qt::LeftButton);
        clickAt(editor, 120, 150);
    } else if (change == QStringLiteral("Löschen")) {
        clickElement(editor, *element(1));
        QTest::mouseClick(editor->SpeedButtonErase, Qt::LeftButton);
    } else if (change == QStringLiteral("Ausschneiden")) {
        clickElement(editor, *element(0));
        pressKey(editor, Qt::Key_X, Qt::ControlModifier);
    } else if (change == QStringLiteral("Einfügen")) {
        clickElement(editor, *element(2));
        pressKey(editor, Qt::Key_C, Qt::ControlModifier);
        pressKey(editor, Qt::Key_V, Qt::ControlModifier);
        clickAt(editor, 100, 160);
    } else if (change == QStringLiteral("ganz nach hinten")) {
        clickElement(editor, *element(0));
        QTest::mouseClick(editor->SpeedButtonFullDown, Qt::LeftButton);
    } else if (change == QStringLiteral("eine Ebene nach vorne")) {
        clickElement(editor, *element(2));
        QTest::mouseClick(editor->SpeedButton1Up, Qt::LeftButton);
    } else if (change == QStringLiteral("Ziehen mit der Maus")) {
        const TDocElement& e = *element(1);
        const QPoint from = pixelAt(editor, e.Left + e.Width / 2, e.Top + e.Height / 2);
        QTest::mousePress(editor->Page, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(editor->Page, from + QPoint(30, 20));
        QTest::mouseMove(editor->Page, from + QPoint(60, 40));
        QTest::mouseRelease(editor->Page, Qt::LeftButton, Qt::NoModifier, from + QPoint(60, 40));
    } else if (change == QStringLiteral("Inspektor: Bildgröße")) {
        clickElement(editor, *element(2));
        s.inspector->EditWidth->setText(QStringLiteral("25,5"));
        QTest::keyClick(s.inspector->EditWidth, Qt::Key_Return);
    } else if (change == QStringLiteral("Inspektor: Text")) {
        clickElement(editor, *element(0));
        s.textPage()->EditTextCont->setText(QStringLiteral("Neu"));
        QTest::mouseClick(s.textPage()->SpBtnFontBold, Qt::LeftButton);
    } else if (change == QStringLiteral("Textbausteine zuweisen")) {
        AddressFields[AddressFieldsIndex(AfOrt)] = QStringLiteral("Neustadt");
        QTest::mouseClick(editor->SpeedButtonArange, Qt::LeftButton);
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown change ") + change));
    }
}

void prepareSheet(Session& s) {
    QVERIFY(s.editor->ImportGraphicFile(writePng(s.tmp)));
    MainLink->SelectElement(-1, false);
    TDocElement* picture = Document->Element(0);
    picture->Left = 60;
    picture->Top = 60;
    picture->Width = 30;
    picture->Height = 20;
    AddressFields[AddressFieldsIndex(AfOrt)] = QStringLiteral("Altstadt");
    addText(QStringLiteral("Altstadt"), 10, 30, QStringLiteral("<ort>"));
    addText(QStringLiteral("Oben"), 10, 5);
    Document->UndoList.clear();
    Document->RedoList.clear();
    s.refresh();
}

} // namespace

void TestRedo::everyUndoneChangeCanBeRedone_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("kind"); // first character of the undo entry
    for (const char* row : {"neuer Text", "Einfügen"})
        QTest::newRow(row) << QString::fromUtf8(row) << "-";
    for (const char* row : {"Löschen", "Ausschneiden"})
        QTest::newRow(row) << QString::fromUtf8(row) << "+";
    for (const char* row : {"ganz nach hinten", "eine Ebene nach vorne"})
        QTest::newRow(row) << QString::fromUtf8(row) << "~";
    for (const char* row : {"Ziehen mit der Maus", "Inspektor: Bildgröße"})
        QTest::newRow(row) << QString::fromUtf8(row) << ">";
    QTest::newRow("Inspektor: Text") << "Inspektor: Text" << "0";
    QTest::newRow("Textbausteine zuweisen") << "Textbausteine zuweisen" << "*";
}

void TestRedo::everyUndoneChangeCanBeRedone() {
    QFETCH(QString, change);
    QFETCH(QString, kind);
    Session s;
    prepareSheet(s);
    TfrmTabEditor* editor = s.editor;
    QVERIFY(!editor->SpeedButtonRedo->isEnabled());
    const QByteArray before = state();
    makeChange(s, change);
    const QByteArray after = state();
    QVERIFY(after != before);
    QVERIFY(!Document->UndoList.isEmpty());
    QVERIFY2(Document->UndoList.first().Key.startsWith(kind),
             qPrintable(Document->UndoList.first().Key));

    // The redo button sits next to undo.
    QLayout* bar = editor->ToolBar->layout();
    QCOMPARE(bar->indexOf(editor->SpeedButtonRedo), bar->indexOf(editor->SpeedButtonReturn) + 1);

    QTest::mouseClick(editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(state(), before);
    QVERIFY(editor->SpeedButtonRedo->isEnabled());
    QTest::mouseClick(editor->SpeedButtonRedo, Qt::LeftButton);
    QCOMPARE(state(), after);
    QVERIFY(!editor->SpeedButtonRedo->isEnabled());

    // The keys of both habits.
    pressKey(editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(state(), before);
    pressKey(editor, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(state(), after);
    pressKey(editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(state(), before);
    pressKey(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(state(), after);

    // Undone again, then a new change: nothing is left to redo.
    QTest::mouseClick(editor->SpeedButtonReturn, Qt::LeftButton);
    QVERIFY(editor->SpeedButtonRedo->isEnabled());
    QTest::mouseClick(editor->SpeedButtonText, Qt::LeftButton);
    QVERIFY(!editor->SpeedButtonRedo->isEnabled());
    QVERIFY(Document->RedoList.isEmpty());
    const QByteArray latest = state();
    pressKey(editor, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(state(), latest);
}

void TestRedo::redoKeepsTheUndoDepth() {
    Session s;
    prepareSheet(s);
    Document->UndoLimit = 3;
    TfrmTabEditor* editor = s.editor;
    QList<QByteArray> states{state()};
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(editor->SpeedButtonText, Qt::LeftButton);
        clickAt(editor, 20 + 10 * i, 150);
        states << state();
    }
    QCOMPARE(Document->UndoList.size(), 3);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(state(), states.at(2));
    QVERIFY(!editor->SpeedButtonReturn->isEnabled());
    QCOMPARE(Document->RedoList.size(), 3);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(editor->SpeedButtonRedo, Qt::LeftButton);
    QCOMPARE(state(), states.at(5));
    QCOMPARE(Document->UndoList.size(), 3);
    // A new document ends both lists.
    Document->Modified = false;
    editor->SpeedButtonNewClick();
    QVERIFY(Document->UndoList.isEmpty());
    QVERIFY(Document->RedoList.isEmpty());
}

QTEST_MAIN(TestRedo)
#include "tst_redo.moc"
