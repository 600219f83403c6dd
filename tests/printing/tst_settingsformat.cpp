// Page "Allgemein" of the settings workspace driven through its widgets: the standard formats,
// a custom size, the exchange button, the paper position and its preview, the undo depth, the
// discard button and the note.

#include "document/units.h"
#include "ui/clicklabel.h"
#include "settingsfixture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

class TestSettingsFormat : public QObject {
    Q_OBJECT

private slots:
    void startShowsFirstPageAndFormatList();
    void enteringLoadsTheDocumentsFormat();
    void a5QuerSetsTheSheetAndDisablesTheEdits();
    void typed297By210SwitchesToA4Quer();
    void exchangeTurnsA6HochIntoQuer();
    void customSizeKeepsBenutzerdefiniert();
    void textThatIsNoSizeIsIgnored();
    void discardShowsTheDocumentAgain();
    void changingTheFormatOutdatesTheEditorView();
    void portraitPreviewHasTheSheetTopLeft();
    void landscapePreviewHasTheSheetBottomLeft();
    void undoDepthThreeRemovesTheSevenOldest();
    void undoDepthBelowOneShowsOne();
    void undoDepthThatIsNoNumberBecomesTen();
    void upDownStaysWithinItsRange();
    void notebookLabelsMoveTheSlider();
    void noteGoesIntoTheDocument();

private:
    static void apply(TfrmTabSettings* w) { QTest::mouseClick(w->ApplyBtn, Qt::LeftButton); }
    static void enter(TfrmTabSettings* w) { QTest::mouseClick(w->CancelBtn, Qt::LeftButton); }
};

void TestSettingsFormat::startShowsFirstPageAndFormatList()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    QCOMPARE(w->Pagecontrol->currentIndex(), int(TfrmTabSettings::PageAllgemein));
    QCOMPARE(w->FormatCombo->currentIndex(), 0);
    const QStringList items = {"Benutzerdefiniert",     "A4: 210 · 297 mm hoch",
                               "A4: 210 · 297 mm quer", "A5: 148 · 210 mm hoch",
                               "A5: 148 · 210 mm quer", "A6: 105 · 148 mm hoch",
                               "A6: 105 · 148 mm quer"};
    QCOMPARE(w->FormatCombo->count(), items.size());
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(w->FormatCombo->itemText(i), items.at(i));
    QCOMPARE(w->CancelBtn->text(), QStringLiteral("Einstellungen verwerfen"));
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("10"));
}

void TestSettingsFormat::enteringLoadsTheDocumentsFormat()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    Document->PageWidth = 148;
    Document->PageHeight = 210;
    Document->Orientation = 1;
    enter(w);
    QCOMPARE(w->FormatCombo->currentIndex(), 3);
    QCOMPARE(w->EditPageWidth->text(), QStringLiteral("  148.0"));
    QCOMPARE(w->EditPageHeight->text(), QStringLiteral("  210.0"));
    QVERIFY(!w->EditPageWidth->isEnabled());
    QVERIFY(!w->ApplyBtn->isEnabled());
    QVERIFY(w->OrientationButtons->button(1)->isChecked());
    QVERIFY(!Document->Modified);
}

void TestSettingsFormat::a5QuerSetsTheSheetAndDisablesTheEdits()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 4);
    QCOMPARE(w->FormatCombo->currentText(), QStringLiteral("A5: 148 · 210 mm quer"));
    QCOMPARE(Document->PageWidth, 210.0);
    QCOMPARE(Document->PageHeight, 148.0);
    QCOMPARE(w->EditPageWidth->text(), QStringLiteral("  210.0"));
    QCOMPARE(w->EditPageHeight->text(), QStringLiteral("  148.0"));
    QVERIFY(!w->EditPageWidth->isEnabled());
    QVERIFY(!w->EditPageHeight->isEnabled());
    QVERIFY(!w->ApplyBtn->isEnabled());
}

void TestSettingsFormat::typed297By210SwitchesToA4Quer()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 0);
    QVERIFY(w->EditPageWidth->isEnabled());
    typeInto(w->EditPageWidth, "297");
    typeInto(w->EditPageHeight, "210");
    apply(w);
    QCOMPARE(Document->PageWidth, 297.0);
    QCOMPARE(Document->PageHeight, 210.0);
    QCOMPARE(w->FormatCombo->currentIndex(), 2);
    QVERIFY(!w->EditPageWidth->isEnabled());
    QCOMPARE(w->EditPageWidth->text(), QStringLiteral("  297.0"));
}

void TestSettingsFormat::exchangeTurnsA6HochIntoQuer()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 5);
    QCOMPARE(Document->PageWidth, 105.0);
    QTest::mouseClick(w->Image2, Qt::LeftButton);
    QCOMPARE(Document->PageWidth, 148.0);
    QCOMPARE(Document->PageHeight, 105.0);
    QCOMPARE(w->FormatCombo->currentText(), QStringLiteral("A6: 105 · 148 mm quer"));
    QVERIFY(!w->EditPageWidth->isEnabled());
    // And back again.
    QTest::mouseClick(w->Image2, Qt::LeftButton);
    QCOMPARE(w->FormatCombo->currentIndex(), 5);
    QCOMPARE(Document->PageHeight, 148.0);
}

void TestSettingsFormat::customSizeKeepsBenutzerdefiniert()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 0);
    typeInto(w->EditPageWidth, "100");
    typeInto(w->EditPageHeight, "100.5");
    // Return in an edit applies like the button.
    QTest::keyClick(w->EditPageHeight, Qt::Key_Return);
    QCOMPARE(Document->PageWidth, 100.0);
    QCOMPARE(Document->PageHeight, 100.5);
    QCOMPARE(w->FormatCombo->currentIndex(), 0);
    QVERIFY(w->EditPageWidth->isEnabled());
    QVERIFY(w->ApplyBtn->isEnabled());
    QCOMPARE(w->EditPageHeight->text(), QStringLiteral("  100.5"));
    // Leaving and entering again keeps the custom size on show.
    enter(w);
    QCOMPARE(w->FormatCombo->currentIndex(), 0);
    QCOMPARE(w->EditPageWidth->text(), QStringLiteral("  100.0"));
}

void TestSettingsFormat::textThatIsNoSizeIsIgnored()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 0);
    for (const QString& bad : {QStringLiteral("abc"), QStringLiteral("0"), QStringLiteral("-20"),
                               QStringLiteral("12;5"), QStringLiteral("1e9")}) {
        typeInto(w->EditPageWidth, bad);
        typeInto(w->EditPageHeight, "150");
        apply(w);
        QCOMPARE(Document->PageWidth, 210.0);
        QCOMPARE(Document->PageHeight, 150.0);
        QCOMPARE(w->EditPageWidth->text(), QStringLiteral("  210.0"));
        Document->PageHeight = 297;
        enter(w);
        chooseItem(w->FormatCombo, 0);
    }
}

void TestSettingsFormat::discardShowsTheDocumentAgain()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 0);
    typeInto(w->EditPageWidth, "123");
    QCOMPARE(Document->PageWidth, 210.0);
    enter(w);
    QCOMPARE(w->EditPageWidth->text(), QStringLiteral("  210.0"));
    QCOMPARE(w->FormatCombo->currentIndex(), 1);
}

void TestSettingsFormat::changingTheFormatOutdatesTheEditorView()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    QVERIFY(KeepEditorView && KeepEditorBitmap);
    QVERIFY(!Document->Modified);
    chooseItem(w->FormatCombo, 2);
    QVERIFY(!KeepEditorView);
    QVERIFY(!KeepEditorBitmap);
    QVERIFY(Document->Modified);
}

namespace {

bool isColour(const QImage& image, int x, int y, QRgb colour)
{
    return image.pixel(x, y) == colour;
}

const QRgb blue = qRgb(0, 0, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb white = qRgb(255, 255, 255);

} // namespace

void TestSettingsFormat::portraitPreviewHasTheSheetTopLeft()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 3); // A5 hoch, 148 by 210
    const QImage image = w->Page->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int pw = MmToPixel(0.12, 210);
    const int ph = MmToPixel(0.12, 297);
    QCOMPARE(pw, 94);
    QCOMPARE(ph, 133);
    const int left = (image.width() - pw) / 2;
    const int top = (image.height() - ph) / 2;
    // Paper: blue frame, right and bottom edge not overdrawn by the sheet.
    QVERIFY(isColour(image, left + pw - 1, top + ph / 2, blue));
    QVERIFY(isColour(image, left + pw / 2, top + ph - 1, blue));
    QVERIFY(isColour(image, left + pw, top + ph / 2, white));
    // Sheet: red frame from the paper's top left corner.
    const int sw = MmToPixel(0.12, 148);
    const int sh = MmToPixel(0.12, 210);
    QVERIFY(isColour(image, left, top, red));
    QVERIFY(isColour(image, left + sw - 1, top + sh / 2, red));
    QVERIFY(isColour(image, left + sw / 2, top + sh - 1, red));
    QVERIFY(isColour(image, left + sw / 2, top + sh / 2, white));
}

void TestSettingsFormat::landscapePreviewHasTheSheetBottomLeft()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    enter(w);
    chooseItem(w->FormatCombo, 6); // A6 quer, 148 by 105
    QTest::mouseClick(w->OrientationButtons->button(1), Qt::LeftButton);
    QCOMPARE(int(Document->Orientation), 1);
    QCOMPARE(w->FormatCombo->currentIndex(), 6);
    const QImage image = w->Page->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int pw = MmToPixel(0.12, 297);
    const int ph = MmToPixel(0.12, 210);
    const int left = (image.width() - pw) / 2;
    const int top = (image.height() - ph) / 2;
    QVERIFY(isColour(image, left + pw / 2 + 20, top, blue));   // landscape paper, top edge
    QVERIFY(isColour(image, left + pw - 1, top + ph / 2, blue)); // right edge
    const int sw = MmToPixel(0.12, 148);
    const int sh = MmToPixel(0.12, 105);
    const int sheetTop = top + MmToPixel(0.12, 210 - 105);
    QCOMPARE(sheetTop + sh - 1, top + ph - 1); // the sheet ends where the paper ends
    QVERIFY(isColour(image, left, top + ph - 1, red));
    QVERIFY(isColour(image, left + sw / 2, sheetTop, red));
    QVERIFY(isColour(image, left + sw - 1, sheetTop + sh / 2, red));
    QVERIFY(isColour(image, left + sw / 2, sheetTop - 5, white));
    QVERIFY(isColour(image, left, top + 5, blue)); // above the sheet the paper edge shows
}

void TestSettingsFormat::undoDepthThreeRemovesTheSevenOldest()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    for (int i = 1; i <= 10; ++i)
        Document->InsertUndo(QString::number(i));
    QCOMPARE(Document->UndoList.size(), 10);
    typeInto(w->EditReturnMax, "3");
    QCOMPARE(Document->UndoLimit, 3);
    QCOMPARE(Document->UndoList.size(), 3);
    QCOMPARE(Document->UndoList.at(0).Key, QStringLiteral("10"));
    QCOMPARE(Document->UndoList.at(2).Key, QStringLiteral("8"));
}

void TestSettingsFormat::undoDepthBelowOneShowsOne()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    Document->InsertUndo(QStringLiteral("a"));
    Document->InsertUndo(QStringLiteral("b"));
    typeInto(w->EditReturnMax, "0");
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("1"));
    QCOMPARE(Document->UndoLimit, 1);
    QCOMPARE(Document->UndoList.size(), 1);
    // A negative number pasted in whole.
    QApplication::clipboard()->setText(QStringLiteral("-7"));
    w->EditReturnMax->selectAll();
    QTest::keyClick(w->EditReturnMax, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("1"));
    QCOMPARE(Document->UndoLimit, 1);
    // An erase still finds the entry it marks: one is always kept.
    Document->AddText(QStringLiteral("x"));
    Document->SelectedIndex = 0;
    Document->PushUndo();
    QCOMPARE(Document->UndoList.size(), 1);
}

void TestSettingsFormat::undoDepthThatIsNoNumberBecomesTen()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    typeInto(w->EditReturnMax, "4");
    QCOMPARE(Document->UndoLimit, 4);
    typeInto(w->EditReturnMax, "x");
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("10"));
    QCOMPARE(Document->UndoLimit, 10);
    typeInto(w->EditReturnMax, "");
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("10"));
}

void TestSettingsFormat::upDownStaysWithinItsRange()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    typeInto(w->EditReturnMax, "2");
    QTest::mouseClick(w->UpDownDown, Qt::LeftButton);
    QTest::mouseClick(w->UpDownDown, Qt::LeftButton);
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("1"));
    QCOMPARE(Document->UndoLimit, 1);
    QTest::mouseClick(w->UpDownUp, Qt::LeftButton);
    QCOMPARE(Document->UndoLimit, 2);
    typeInto(w->EditReturnMax, "40000");
    QCOMPARE(w->EditReturnMax->text(), QStringLiteral("32000"));
    QTest::mouseClick(w->UpDownUp, Qt::LeftButton);
    QCOMPARE(Document->UndoLimit, 32000);
}

void TestSettingsFormat::notebookLabelsMoveTheSlider()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    const struct {
        TClickLabel* label;
        int page, left, width;
    } tabs[] = {{w->Label5, 1, 110, 94}, {w->Label7, 2, 231, 53}, {w->Label17, 3, 320, 70},
                {w->Label4, 0, 11, 72}};
    for (const auto& tab : tabs) {
        QTest::mouseClick(tab.label, Qt::LeftButton);
        QCOMPARE(w->Pagecontrol->currentIndex(), tab.page);
        QCOMPARE(w->Slider->x() - w->ImageRegister->x(), tab.left);
        QCOMPARE(w->Slider->width(), tab.width);
        QCOMPARE(w->Slider->height(), 3);
    }
}

void TestSettingsFormat::noteGoesIntoTheDocument()
{
    SettingsFixture f;
    TfrmTabSettings* w = f.start();
    Document->Notes = QStringLiteral("Karton 250 g");
    enter(w);
    QTest::mouseClick(w->Label7, Qt::LeftButton);
    QCOMPARE(w->Notizen->toPlainText(), QStringLiteral("Karton 250 g"));
    QVERIFY(!Document->Modified);
    w->Notizen->setFocus();
    w->Notizen->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->Notizen, ", matt");
    QCOMPARE(Document->Notes, QStringLiteral("Karton 250 g, matt"));
    QVERIFY(Document->Modified);
}

QTEST_MAIN(TestSettingsFormat)
#include "tst_settingsformat.moc"
