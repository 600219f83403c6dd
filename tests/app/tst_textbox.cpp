// A text box and the text typed into it: a box the user has just created grows with its text
// in the same undo step, a box sized by hand or read from a file keeps its size, and every
// box whose text is cut carries a mark on the sheet.

#include "common/editingsteps.h"
#include "document/textfit.h"
#include "editingfixture.h"
#include "inspector/numberformat.h"

#include <QLineEdit>
#include <QToolButton>

using namespace EditingSteps;

namespace {

// The text typed into the inspector's field of the selected text, with Return.
void typeText(Session& s, const QString& text) {
    QLineEdit* edit = s.textPage()->EditTextCont;
    edit->setFocus();
    edit->selectAll();
    // As typed: key events cannot carry "ü" or "€" in the test's keyboard.
    edit->insert(text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void typeAngle(Session& s, const QString& angle) {
    QLineEdit* edit = s.textPage()->EditAngle;
    edit->selectAll();
    QTest::keyClicks(edit, angle);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Red pixels of the cut mark in the sheet image near the box's lower right corner.
int markPixels(const TfrmTabEditor* editor, const TDocElement& e) {
    const QPoint corner = pixelAt(editor, e.Left + e.Width, e.Top + e.Height);
    int n = 0;
    for (int y = corner.y() - 12; y <= corner.y(); ++y)
        for (int x = corner.x() - 12; x <= corner.x(); ++x)
            if (editor->SheetBitmap.rect().contains(x, y) &&
                editor->SheetBitmap.pixel(x, y) == TfrmTabEditor::CutTextMarkColor().rgb())
                ++n;
    return n;
}

} // namespace

class TestTextBox : public QObject {
    Q_OBJECT
private slots:
    void newBoxGrowsWithTypedText_data();
    void newBoxGrowsWithTypedText();
    void sizedOrStoredBoxKeepsItsSizeAndShowsTheCut_data();
    void sizedOrStoredBoxKeepsItsSizeAndShowsTheCut();
};

void TestTextBox::newBoxGrowsWithTypedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("angle"); // typed first; empty: left at 0
    QTest::addColumn<int>("align");     // 0 left, 1 centre, 2 right
    const QString greeting = QStringLiteral("Grüße aus München – 20 €");
    QTest::newRow("lang, waagrecht") << greeting << "" << 0;
    QTest::newRow("lang, zentriert") << greeting << "" << 1;
    QTest::newRow("lang, rechtsbündig") << greeting << "" << 2;
    QTest::newRow("gedreht 90°") << QStringLiteral("Text gedreht") << "90" << 0;
    QTest::newRow("gedreht 90°, zentriert") << QStringLiteral("Text gedreht") << "90" << 1;
    QTest::newRow("gedreht -90°, rechts") << QStringLiteral("Text gedreht") << "-90" << 2;
    QTest::newRow("gedreht 45°") << QStringLiteral("Schräg gestellt") << "45" << 0;
    QTest::newRow("kurz") << QStringLiteral("Hi") << "" << 0;
}

void TestTextBox::newBoxGrowsWithTypedText() {
    QFETCH(QString, text);
    QFETCH(QString, angle);
    QFETCH(int, align);
    Session s;
    QTest::mouseClick(s.editor->SpeedButtonText, Qt::LeftButton);
    clickAt(s.editor, 20, 20);
    auto* e = static_cast<TDocElementTXT*>(Document->Element(0));
    QCOMPARE(s.inspector->Reference(), e);
    const double width = e->Width, height = e->Height;
    if (!angle.isEmpty())
        typeAngle(s, angle);
    QToolButton* alignButtons[] = {s.textPage()->SpBtnTextHorLeft, s.textPage()->SpBtnTextHorCenter,
                                   s.textPage()->SpBtnTextHorRight};
    if (align != 0)
        QTest::mouseClick(alignButtons[align], Qt::LeftButton);
    const QByteArray before = state();
    const int steps = Document->UndoList.size();

    typeText(s, text);
    QCOMPARE(e->Text, text);
    QVERIFY(e->Width >= width && e->Height >= height);
    // Every pixel of the text is drawn: as many as in a box far too large for it.
    TDocElementTXT roomy(*e);
    roomy.Width = roomy.Height = 400;
    const int all = inkPixels(roomy);
    QVERIFY(all > 0);
    QVERIFY2(inkPixels(*e) >= all * 0.98, qPrintable(QStringLiteral("%1 of %2 pixels drawn in %3 x %4")
                                                        .arg(inkPixels(*e))
                                                        .arg(all)
                                                        .arg(e->Width)
                                                        .arg(e->Height)));
    QVERIFY(!TextIsCut(*e));
    QCOMPARE(markPixels(s.editor, *e), 0);
    // The inspector shows the new size.
    QCOMPARE(s.inspector->EditWidth->text(), FormatMm(e->Width));

    // Text and size are one undo step.
    QCOMPARE(Document->UndoList.size(), steps + 1);
    QTest::mouseClick(s.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(state(), before);
}

void TestTextBox::sizedOrStoredBoxKeepsItsSizeAndShowsTheCut_data() {
    QTest::addColumn<bool>("stored"); // read from a file; else new and then sized by hand
    QTest::newRow("von Hand bemessen") << false;
    QTest::newRow("aus einer Datei") << true;
}

void TestTextBox::sizedOrStoredBoxKeepsItsSizeAndShowsTheCut() {
    QFETCH(bool, stored);
    Session s;
    TDocElementTXT* e = nullptr;
    if (stored) {
        e = addText(QStringLiteral("Kurz"), 10, 10);
        e->Width = 30;
        s.refresh();
        clickElement(s.editor, *e);
    } else {
        QTest::mouseClick(s.editor->SpeedButtonText, Qt::LeftButton);
        clickAt(s.editor, 10, 10);
        e = static_cast<TDocElementTXT*>(Document->Element(0));
        QLineEdit* width = s.inspector->EditWidth;
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("30,5"));
        QTest::keyClick(width, Qt::Key_Return);
        QCOMPARE(e->Width, 30.5);
    }
    const double width = e->Width, height = e->Height;
    QCOMPARE(markPixels(s.editor, *e), 0);

    typeText(s, QStringLiteral("Grüße aus München – 20 €"));
    QCOMPARE(e->Width, width);
    QCOMPARE(e->Height, height);
    QVERIFY(TextIsCut(*e));
    QVERIFY(markPixels(s.editor, *e) > 5);

}

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
