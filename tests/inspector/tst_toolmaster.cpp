// The inspector's position and size fields: number format, parsing, arrow steps,
// proportional sizing, Enter, undo entries, window sizes and translated texts.

#include "inspector/numberformat.h"
#include "inspector/ttoolsubformtxt.h"
#include "inspector/ttoolsubformwmf.h"
#include "inspectorfixture.h"
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

std::unique_ptr<TDocElementWMF> graphic(double l, double t, double w, double h, int kind = 0) {
    auto e = std::make_unique<TDocElementWMF>();
    e->Left = l;
    e->Top = t;
    e->Width = w;
    e->Height = h;
    e->SourceKind = std::uint8_t(kind);
    return e;
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestToolMaster : public QObject {
    Q_OBJECT
private slots:
    void numberFormatUsesFullStopInAnyLocale();
    void parsingRejectsAnythingButTheNumber();
    void noSelectionShowsDashesAndAppliesNothing();
    void decimalCommaAndFullStopAreTaken();
    void arrowStepsFollowTheStepToggle();
    void proportionalSizing();
    void proportionalFromZeroSizeKeepsTheTypedValues();
    void enterAppliesFromAnyField();
    void undoEntryOnEveryApplyWithinTheLimit();
    void textElementUndoKeepsACopy();
    void cancelShowsStoredValues();
    void fillingTheFieldsWritesNothing();
    void windowSizeFollowsThePage();
    void graphicPageGroupsFollowThePictureKind();
    void toggleButtonAndLanguageTexts();
};

void TestToolMaster::numberFormatUsesFullStopInAnyLocale() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(FormatMm(1.5), QStringLiteral(" 1.50"));
    QCOMPARE(FormatMm(123.456), QStringLiteral("123.46"));
    QCOMPARE(FormatMm(-5), QStringLiteral("-5.00"));
    QCOMPARE(FormatMm(0), QStringLiteral(" 0.00"));
    QCOMPARE(ParseNumber(QStringLiteral("12.5")), std::optional<double>(12.5));
    QLocale::setDefault(before);
}

void TestToolMaster::parsingRejectsAnythingButTheNumber() {
    QCOMPARE(ParseNumber(QStringLiteral("  7.25")), std::optional<double>(7.25));
    QCOMPARE(ParseNumber(QStringLiteral("-3")), std::optional<double>(-3));
    QCOMPARE(ParseNumber(QStringLiteral(".5")), std::optional<double>(0.5));
    QCOMPARE(ParseNumber(QStringLiteral("1e2")), std::optional<double>(100));
    // The German decimal comma counts like the point, but not both in one number.
    QCOMPARE(ParseNumber(QStringLiteral("12,5")), std::optional<double>(12.5));
    for (const QString bad : {"1.2,5", "1,2,5", "7 ", "7mm", "", " ", "-", ".", "1.2.3", "e5", "1e", "١٢"})
        QVERIFY2(!ParseNumber(bad), qPrintable(bad));
    QCOMPARE(TruncScaled(12.75, 10), 127);
    QCOMPARE(TruncScaled(4.35, 10), 43);
    QCOMPARE(TruncScaled(-2.7, 1), -2);
}

void TestToolMaster::noSelectionShowsDashesAndAppliesNothing() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    for (QLineEdit* e : {m.EditLeft, m.EditTop, m.EditWidth, m.EditHeight})
        QCOMPARE(e->text(), QStringLiteral("-"));
    QTest::mouseClick(m.SpinWidth->UpButton(), Qt::LeftButton);
    QCOMPARE(m.EditWidth->text(), QStringLiteral("-"));
    m.ApplyBtnClick();
    QVERIFY(Document->UndoList.isEmpty());
    QCOMPARE(f.refreshes, 0);
    QVERIFY(m.TextPage->isHidden());
    QVERIFY(m.GraphicPage->isHidden());
}

void TestToolMaster::decimalCommaAndFullStopAreTaken() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    m.Proportbutton->setChecked(false);
    TDocElementWMF* e = f.select(graphic(10, 20, 40, 20));
    QCOMPARE(m.EditWidth->text(), QStringLiteral("40.00"));
    typeInto(m.EditWidth, QStringLiteral("12,5"));
    QTest::mouseClick(m.ApplyBtn, Qt::LeftButton);
    QCOMPARE(e->Width, 12.5);
    QVERIFY(f.messages.isEmpty());
    typeInto(m.EditWidth, QStringLiteral("13.5"));
    QTest::mouseClick(m.ApplyBtn, Qt::LeftButton);
    QCOMPARE(e->Width, 13.5);
    // Text that is no length is named in a message and keeps the value.
    typeInto(m.EditWidth, QStringLiteral("1.000,5"));
    QTest::mouseClick(m.ApplyBtn, Qt::LeftButton);
    QCOMPARE(e->Width, 13.5);
    QCOMPARE(m.EditWidth->text(), QStringLiteral("13.50"));
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages.first().startsWith(QStringLiteral("Breite: „1.000,5“ ist keine Zahl")),
             qPrintable(f.messages.first()));
    QCOMPARE(e->Left, 10.0);
}

void TestToolMaster::arrowStepsFollowTheStepToggle() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    m.Proportbutton->setChecked(false);
    TDocElementWMF* e = f.select(graphic(0, 0, 40, 20));
    QVERIFY(m.SpeedButtonOneZero->isChecked());
    QTest::mouseClick(m.SpinWidth->UpButton(), Qt::LeftButton);
    QCOMPARE(m.EditWidth->text(), QStringLiteral("41.00"));
    QCOMPARE(e->Width, 41.0);
    QTest::mouseClick(m.SpeedButtonZeroOne, Qt::LeftButton);
    QVERIFY(!m.SpeedButtonOneZero->isChecked());
    QTest::mouseClick(m.SpinWidth->DownButton(), Qt::LeftButton);
    QCOMPARE(m.EditWidth->text(), QStringLiteral("40.90"));
    QCOMPARE(e->Width, 40.9);
    // Each arrow works on its own field.
    QTest::mouseClick(m.SpinLeft->DownButton(), Qt::LeftButton);
    QCOMPARE(e->Left, -0.1);
    QTest::mouseClick(m.SpinTop->UpButton(), Qt::LeftButton);
    QCOMPARE(e->Top, 0.1);
    // With proportional sizing the height follows the arrow step at once.
    m.Proportbutton->setChecked(true);
    m.SpeedButtonOneZero->click();
    e->Width = 40;
    e->Height = 20;
    m.UpdateFromReference();
    QTest::mouseClick(m.SpinWidth->UpButton(), Qt::LeftButton);
    QCOMPARE(e->Width, 41.0);
    QCOMPARE(e->Height, 20.5);
    QCOMPARE(m.EditHeight->text(), QStringLiteral("20.50"));
}

void TestToolMaster::proportionalSizing() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    QVERIFY(m.Proportional());
    TDocElementWMF* e = f.select(graphic(0, 0, 40, 20));
    typeInto(m.EditWidth, QStringLiteral("60"));
    m.ApplyBtnClick();
    QCOMPARE(e->Height, 30.0);
    QCOMPARE(m.EditHeight->text(), QStringLiteral("30.00"));
    QCOMPARE(e->Width, 60.0);

    e->Width = 40;
    e->Height = 20;
    m.UpdateFromReference();
    typeInto(m.EditHeight, QStringLiteral("10"));
    m.ApplyBtnClick();
    QCOMPARE(e->Width, 20.0);
    QCOMPARE(m.EditWidth->text(), QStringLiteral("20.00"));

    // Off: both taken as typed.
    m.Proportbutton->click();
    QVERIFY(!m.Proportional());
    typeInto(m.EditWidth, QStringLiteral("7"));
    m.ApplyBtnClick();
    QCOMPARE(e->Width, 7.0);
    QCOMPARE(e->Height, 10.0);
}

void TestToolMaster::proportionalFromZeroSizeKeepsTheTypedValues() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    TDocElementWMF* e = f.select(graphic(0, 0, 0, 20));
    typeInto(m.EditWidth, QStringLiteral("10"));
    m.ApplyBtnClick();
    QCOMPARE(e->Width, 10.0);
    QCOMPARE(e->Height, 20.0);
    QVERIFY(std::isfinite(e->Height));

    e->Width = 30;
    e->Height = 0;
    m.UpdateFromReference();
    typeInto(m.EditHeight, QStringLiteral("5"));
    m.ApplyBtnClick();
    QCOMPARE(e->Height, 5.0);
    QCOMPARE(e->Width, 30.0);
    QCOMPARE(m.EditWidth->text(), QStringLiteral("30.00"));
}

void TestToolMaster::enterAppliesFromAnyField() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    TDocElementWMF* g = f.select(graphic(0, 0, 40, 20));
    typeInto(m.EditLeft, QStringLiteral("5.5"));
    QTest::keyClick(m.EditLeft, Qt::Key_Return);
    QCOMPARE(g->Left, 5.5);
    typeInto(m.EditTop, QStringLiteral("3"));
    QTest::keyClick(m.EditTop, Qt::Key_Enter); // the number block's Enter
    QCOMPARE(g->Top, 3.0);

    auto text = std::make_unique<TDocElementTXT>();
    TDocElementTXT* t = f.select(std::move(text));
    QVERIFY(!m.TextPage->isHidden());
    typeInto(m.TextPage->EditTextCont, QStringLiteral("Hallo"));
    QCOMPARE(t->Text, QString()); // typing alone applies nothing
    QTest::keyClick(m.TextPage->EditTextCont, Qt::Key_Return);
    QCOMPARE(t->Text, QStringLiteral("Hallo"));
    typeInto(m.TextPage->EditFontSize, QStringLiteral("14"));
    QTest::keyClick(m.TextPage->EditFontSize, Qt::Key_Return);
    QCOMPARE(t->FontSize, 140);
    // Other keys apply nothing.
    const int undo = int(Document->UndoList.size());
    QTest::keyClick(m.TextPage->EditTextCont, Qt::Key_Escape);
    QCOMPARE(int(Document->UndoList.size()), undo);
}

void TestToolMaster::undoEntryOnEveryApplyWithinTheLimit() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    Document->InsertElement(0, graphic(1, 1, 1, 1));
    TDocElementWMF* e = f.select(graphic(12.5, 3, 40, 20));
    Document->SelectedIndex = 0;
    typeInto(m.EditLeft, QStringLiteral("14"));
    m.ApplyBtnClick();
    QCOMPARE(Document->UndoList.size(), 1);
    QCOMPARE(Document->UndoList.at(0).Key, QStringLiteral(">0l12.5t3w40h20#"));
    QVERIFY(!Document->UndoList.at(0).Object);
    // Recorded also when nothing differs; the newest entry carries the old values.
    m.ApplyBtnClick();
    QCOMPARE(Document->UndoList.at(0).Key, QStringLiteral(">0l14t3w40h20#"));
    Document->UndoLimit = 10;
    for (int i = 0; i < 15; ++i)
        m.ApplyBtnClick();
    QCOMPARE(Document->UndoList.size(), 10);
    QCOMPARE(e->Left, 14.0);
    QLocale::setDefault(before);
}

void TestToolMaster::textElementUndoKeepsACopy() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    Document->InsertElement(0, graphic(1, 1, 1, 1));
    auto text = std::make_unique<TDocElementTXT>();
    text->Text = QStringLiteral("alt");
    text->Width = 30;
    text->Height = 10;
    Document->InsertElement(1, std::move(text));
    Document->SelectedIndex = 1;
    auto* t = static_cast<TDocElementTXT*>(Document->Element(1));
    m.SetReference(t);
    typeInto(m.TextPage->EditTextCont, QStringLiteral("neu"));
    m.ApplyBtnClick();
    QCOMPARE(t->Text, QStringLiteral("neu"));
    QCOMPARE(Document->UndoList.size(), 1);
    QCOMPARE(Document->UndoList.at(0).Key, QStringLiteral("1"));
    auto* copy = dynamic_cast<TDocElementTXT*>(Document->UndoList.at(0).Object.get());
    QVERIFY(copy);
    QVERIFY(copy != t);
    QCOMPARE(copy->Text, QStringLiteral("alt"));
}

void TestToolMaster::cancelShowsStoredValues() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    TDocElementWMF* e = f.select(graphic(1.5, 2, 40, 20));
    typeInto(m.EditLeft, QStringLiteral("99"));
    typeInto(m.EditHeight, QStringLiteral("abc"));
    QTest::mouseClick(m.CancelBtn, Qt::LeftButton);
    QCOMPARE(m.EditLeft->text(), QStringLiteral(" 1.50"));
    QCOMPARE(m.EditHeight->text(), QStringLiteral("20.00"));
    QCOMPARE(e->Left, 1.5);
    QVERIFY(Document->UndoList.isEmpty());
}

void TestToolMaster::fillingTheFieldsWritesNothing() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    auto text = std::make_unique<TDocElementTXT>();
    text->FontName = QStringLiteral("Keine Schrift dieses Namens");
    text->FontColor = 0x123456; // not a grid colour
    TDocElementTXT* t = f.select(std::move(text));
    // Changing the selection raises change events of the page; none may apply.
    f.select(graphic(0, 0, 5, 5));
    m.SetReference(t);
    QVERIFY(Document->UndoList.isEmpty());
    QCOMPARE(f.refreshes, 0);
    QCOMPARE(t->FontColor, TColor(0x123456));
    QVERIFY(m.IsReady());
}

void TestToolMaster::windowSizeFollowsThePage() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    QCOMPARE(m.TextPageSize, QSize(329, 148));
    QCOMPARE(m.GraphicPageSize, QSize(470, 81));
    f.select(std::make_unique<TDocElementTXT>());
    QCOMPARE(m.size(), QSize(169 + 329, 148));
    QVERIFY(!m.TextPage->isHidden());
    QVERIFY(m.GraphicPage->isHidden());
    f.select(graphic(0, 0, 5, 5));
    QCOMPARE(m.size(), QSize(169 + 470, 81));
    QVERIFY(m.TextPage->isHidden());
    QVERIFY(!m.GraphicPage->isHidden());
    m.SetReference(nullptr);
    QCOMPARE(m.size(), QSize(169, 81)); // the fields alone, no empty page beside them
    QVERIFY(m.TextPage->isHidden() && m.GraphicPage->isHidden());
}

void TestToolMaster::graphicPageGroupsFollowThePictureKind() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    TtoolSubFormWMF* page = m.GraphicPage;
    f.select(graphic(0, 0, 5, 5, 0));
    QVERIFY(page->RotationGroup->isHidden());
    QVERIFY(page->FillStrokeGroup->isHidden());
    auto p = graphic(0, 0, 5, 5, 2);
    p->PathList = QStringList{"x10b10h", "K0r0g0b", "w35#", "w50#"};
    f.select(std::move(p));
    QVERIFY(!page->RotationGroup->isHidden());
    QVERIFY(!page->FillStrokeGroup->isHidden());
    QCOMPARE(page->Editstrich->text(), QStringLiteral("35"));
    // A list without a width line keeps the previous text.
    auto p2 = graphic(0, 0, 5, 5, 2);
    p2->PathList = QStringList{"x10b10h", "M1x1y"};
    f.select(std::move(p2));
    QCOMPARE(page->Editstrich->text(), QStringLiteral("35"));
    f.select(graphic(0, 0, 5, 5, 1));
    QVERIFY(!page->RotationGroup->isHidden());
    QVERIFY(page->FillStrokeGroup->isHidden());
}

void TestToolMaster::toggleButtonAndLanguageTexts() {
    InspectorFixture f;
    TToolMaster& m = *f.inspector;
    QToolButton toggle;
    toggle.setCheckable(true);
    m.SetToggleButton(&toggle);
    m.show();
    QVERIFY(toggle.isChecked());
    QCOMPARE(m.windowTitle(), QStringLiteral("Objekt-Inspektor"));
    QCOMPARE(m.EditWidth->toolTip(), QStringLiteral("Breite in mm"));
    m.hide();
    QVERIFY(!toggle.isChecked());

    // A loaded language file (more than 100 texts) replaces caption and hints.
    for (int k = 0; k <= 130; ++k) {
        LangKeys << QString::number(k);
        LangStrings << QStringLiteral("T%1").arg(k);
    }
    m.show();
    QCOMPARE(m.windowTitle(), QStringLiteral("T82"));
    QCOMPARE(m.EditWidth->toolTip(), QStringLiteral("T98"));
    QCOMPARE(m.TextPage->SpBtnFontDialog->toolTip(), QStringLiteral("T123"));
    m.SetToggleButton(nullptr);
    m.hide();
    QVERIFY(toggle.isChecked()); // no longer followed
}

QTEST_MAIN(TestToolMaster)
#include "tst_toolmaster.moc"
