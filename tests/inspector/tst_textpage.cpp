// The text page: units between element and page, style and alignment buttons, angle
// buttons, the colour grid, the shadow and the font dialog.

#include "inspector/ttoolsubformtxt.h"
#include "inspectorfixture.h"
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

class TestTextPage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fontSizeKeepsItsTenths();
    void typedSizeAndAngleAreTruncatedTenths();
    void sizeArrowsApplyAtOnce();
    void angleButtons();
    void shadowToggleEnablesItsControls();
    void shadowOffsetsAreWholeMillimetres();
    void alignmentButtonMayBeReleased();
    void verticalAlignmentIsKept();
    void styleButtons();
    void colourGridButtons();
    void colourOutsideTheGridIsKept();
    void fontListAndUnknownFont();
    void fontDialogResultIsApplied();

private:
    std::unique_ptr<InspectorFixture> f;
    TDocElementTXT* t = nullptr;
    TtoolSubFormTXT* page = nullptr;
};

void TestTextPage::init() {
    f = std::make_unique<InspectorFixture>();
    auto e = std::make_unique<TDocElementTXT>();
    e->Width = 30;
    e->Height = 10;
    e->Text = QStringLiteral("Text");
    t = f->select(std::move(e));
    page = f->inspector->TextPage;
}

void TestTextPage::cleanup() {
    f.reset();
}

void TestTextPage::fontSizeKeepsItsTenths() {
    // Shown with its tenth, so that an apply of another field keeps the size.
    t->FontSize = 125;
    f->inspector->UpdateFromReference();
    QCOMPARE(page->EditFontSize->text(), QStringLiteral("12.5"));
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->FontSize, 125);
    // A size beyond the arrows' range is shown as it is, so an apply keeps it.
    t->FontSize = 20000;
    f->inspector->UpdateFromReference();
    QCOMPARE(page->EditFontSize->text(), QStringLiteral("2000"));
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->FontSize, 20000);
}

void TestTextPage::typedSizeAndAngleAreTruncatedTenths() {
    page->EditFontSize->setText(QStringLiteral("12.75"));
    page->EditAngle->setText(QStringLiteral("45.59"));
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->FontSize, 127);
    QCOMPARE(t->Angle, 455);
    // Unparseable fields leave the values alone.
    page->EditFontSize->setText(QStringLiteral("12x5"));
    page->EditAngle->setText(QStringLiteral("90°"));
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->FontSize, 127);
    QCOMPARE(t->Angle, 455);
}

void TestTextPage::sizeArrowsApplyAtOnce() {
    t->FontSize = 300;
    f->inspector->UpdateFromReference();
    QTest::mouseClick(page->SpinFontSize->UpButton(), Qt::LeftButton);
    QCOMPARE(page->EditFontSize->text(), QStringLiteral("31"));
    QCOMPARE(t->FontSize, 310);
    // The arrows start from what was typed.
    page->EditAngle->setText(QStringLiteral("10"));
    QTest::mouseClick(page->SpinAngle->DownButton(), Qt::LeftButton);
    QCOMPARE(t->Angle, 90);
    page->EditAngle->setText(QStringLiteral("180"));
    QTest::mouseClick(page->SpinAngle->UpButton(), Qt::LeftButton);
    QCOMPARE(t->Angle, 1800); // no wrap past the end of the range
    QCOMPARE(Document->UndoList.size(), 3);
}

void TestTextPage::angleButtons() {
    const std::pair<QToolButton*, int> cases[] = {{page->SpBtnAngleMinus90, -900},
                                                  {page->SpBtnAngle90, 900},
                                                  {page->SpBtnAngle180, 1800},
                                                  {page->SpBtnAngle0, 0}};
    for (const auto& [button, angle] : cases) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(page->EditAngle->text(), QString::number(angle / 10));
        QCOMPARE(t->Angle, angle);
    }
}

void TestTextPage::shadowToggleEnablesItsControls() {
    QVERIFY(!t->Shadow);
    QVERIFY(!page->EditShadowX->isEnabled());
    QVERIFY(!page->EditShadowY->isEnabled());
    QVERIFY(!page->SpinShadowX->isEnabled());
    QVERIFY(!page->ColorGrid->BackgroundEnabled);
    page->ShowRegister(1);
    QTest::mouseClick(page->SpBtnShadow, Qt::LeftButton);
    QVERIFY(t->Shadow);
    QVERIFY(page->EditShadowX->isEnabled());
    QVERIFY(page->SpinShadowY->isEnabled());
    QVERIFY(page->ColorGrid->BackgroundEnabled);
    QCOMPARE(Document->UndoList.size(), 1);
    // The undo copy is the element before the click (it already had the shadow, so the
    // first undo after the button did nothing).
    auto* before = dynamic_cast<TDocElementTXT*>(Document->UndoList.first().Object.get());
    QVERIFY(before);
    QVERIFY(!before->Shadow);
    QTest::mouseClick(page->SpBtnShadow, Qt::LeftButton);
    QVERIFY(!t->Shadow);
    before = dynamic_cast<TDocElementTXT*>(Document->UndoList.first().Object.get());
    QVERIFY(before && before->Shadow);
    QVERIFY(!page->EditShadowY->isEnabled());
}

void TestTextPage::shadowOffsetsAreWholeMillimetres() {
    t->ShadowX = 3.9;
    t->ShadowY = -1.5;
    f->inspector->UpdateFromReference();
    // Shown as kept, so that an apply of another field keeps them.
    QCOMPARE(page->EditShadowX->text(), QStringLiteral("3.9"));
    QCOMPARE(page->EditShadowY->text(), QStringLiteral("-1.5"));
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->ShadowX, 3.9);
    QCOMPARE(t->ShadowY, -1.5);
    page->EditShadowX->setText(QStringLiteral("2.7"));
    page->EditShadowY->setText(QStringLiteral("x"));
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->ShadowX, 2.0);
    QCOMPARE(t->ShadowY, -1.5); // unparseable: unchanged
}

void TestTextPage::alignmentButtonMayBeReleased() {
    t->AlignH = 1;
    f->inspector->UpdateFromReference();
    QVERIFY(page->SpBtnTextHorCenter->isChecked());
    QTest::mouseClick(page->SpBtnTextHorCenter, Qt::LeftButton);
    QVERIFY(!page->SpBtnTextHorLeft->isChecked() && !page->SpBtnTextHorCenter->isChecked() &&
            !page->SpBtnTextHorRight->isChecked());
    QCOMPARE(t->AlignH, 1); // released: the stored alignment stays
    QTest::mouseClick(page->SpBtnTextHorRight, Qt::LeftButton);
    QCOMPARE(t->AlignH, 2);
    QTest::mouseClick(page->SpBtnTextHorLeft, Qt::LeftButton);
    QCOMPARE(t->AlignH, 0);
    QVERIFY(!page->SpBtnTextHorRight->isChecked());
}

void TestTextPage::verticalAlignmentIsKept() {
    for (int v : {0, 1, 2}) {
        t->AlignV = std::uint8_t(v);
        f->inspector->UpdateFromReference();
        f->inspector->ApplyBtnClick();
        QCOMPARE(int(t->AlignV), v);
    }
}

void TestTextPage::styleButtons() {
    QTest::mouseClick(page->SpBtnFontBold, Qt::LeftButton);
    QCOMPARE(int(t->FontStyle), int(fsBold));
    QTest::mouseClick(page->SpBtnFontStrikeout, Qt::LeftButton);
    QCOMPARE(int(t->FontStyle), int(fsBold | fsStrikeOut));
    QTest::mouseClick(page->SpBtnFontBold, Qt::LeftButton);
    QCOMPARE(int(t->FontStyle), int(fsStrikeOut));
    t->FontStyle = fsItalic | fsUnderline;
    f->inspector->UpdateFromReference();
    QVERIFY(page->SpBtnFontItalic->isChecked() && page->SpBtnFontUnderline->isChecked());
    QVERIFY(!page->SpBtnFontStrikeout->isChecked());
}

void TestTextPage::colourGridButtons() {
    page->ShowRegister(1);
    TColorGrid* grid = page->ColorGrid;
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(9).center());
    QCOMPARE(t->FontColor, TColor(0x0000FF)); // red
    // The right button chooses the shadow colour only while the shadow is on.
    const TColor shadow = t->ShadowColor;
    QTest::mouseClick(grid, Qt::RightButton, {}, grid->CellRect(10).center());
    QCOMPARE(t->ShadowColor, shadow);
    QTest::mouseClick(page->SpBtnShadow, Qt::LeftButton);
    QTest::mouseClick(grid, Qt::RightButton, {}, grid->CellRect(10).center());
    QCOMPARE(t->ShadowColor, TColor(0x00FF00));
    QCOMPARE(t->FontColor, TColor(0x0000FF));
    // Filling selects the grid cells of the stored colours.
    t->FontColor = 0x800000;
    t->ShadowColor = 0xC0C0C0;
    f->inspector->UpdateFromReference();
    QCOMPARE(grid->ForegroundIndex, 4);
    QCOMPARE(grid->BackgroundIndex, 7);
}

void TestTextPage::colourOutsideTheGridIsKept() {
    // The bundled business card's dark grey (1973790) once came back white after an apply.
    t->FontColor = 0x1E1E1E;
    t->ShadowColor = 0x000001;
    f->inspector->UpdateFromReference();
    QCOMPARE(page->ColorGrid->ForegroundIndex, -1);
    QCOMPARE(page->ColorGrid->BackgroundIndex, -1);
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->FontColor, TColor(0x1E1E1E));
    QCOMPARE(t->ShadowColor, TColor(0x000001));
    // A click on a cell replaces the own colour.
    QTest::mouseClick(page->ColorGrid, Qt::LeftButton, Qt::NoModifier,
                      page->ColorGrid->CellRect(4).center());
    QCOMPARE(t->FontColor, TColorGrid::GridColor(4));
}

void TestTextPage::fontListAndUnknownFont() {
    const QStringList families = QFontDatabase::families();
    if (families.isEmpty())
        QSKIP("no fonts installed");
    const QString installed = families.last();
    t->FontName = installed;
    f->inspector->UpdateFromReference();
    QCOMPARE(page->FontCombo->count(), int(QSet<QString>(families.begin(), families.end()).size()));
    QCOMPARE(page->FontCombo->currentText(), installed);
    // Choosing another font applies at once.
    const int other = page->FontCombo->currentIndex() == 0 ? 1 : 0;
    if (page->FontCombo->count() > 1) {
        page->FontCombo->setCurrentIndex(other);
        QCOMPARE(t->FontName, page->FontCombo->itemText(other));
    }
    // A font that is not installed is listed under its name, marked as replaced, and an
    // apply keeps that name (the box was empty, and a template's "Arial" was lost).
    const int count = page->FontCombo->count();
    t->FontName = QStringLiteral("Gibt es nicht");
    f->inspector->UpdateFromReference();
    QCOMPARE(page->FontCombo->currentText(), QStringLiteral("Gibt es nicht (ersetzt)"));
    QVERIFY2(page->FontCombo->itemData(page->FontCombo->currentIndex(), Qt::ToolTipRole)
                 .toString()
                 .startsWith(QStringLiteral("„Gibt es nicht“ ist nicht installiert und wird durch „")),
             qPrintable(page->FontCombo->currentText()));
    QCOMPARE(page->FontCombo->count(), count + 1);
    f->inspector->ApplyBtnClick();
    QCOMPARE(t->FontName, QStringLiteral("Gibt es nicht"));
    if (QFontDatabase::families().contains(QStringLiteral("Liberation Sans")) &&
        !QFontDatabase::families().contains(QStringLiteral("Arial"))) {
        t->FontName = QStringLiteral("Arial");
        f->inspector->UpdateFromReference();
        QCOMPARE(page->FontCombo->currentText(), QStringLiteral("Arial (ersetzt)"));
        QCOMPARE(page->FontCombo->itemData(page->FontCombo->currentIndex(), Qt::ToolTipRole)
                     .toString(),
                 QStringLiteral("„Arial“ ist nicht installiert und wird durch „Liberation Sans“ "
                                "ersetzt."));
        // The box shows the whole entry: text and the arrow's room fit its width.
        QVERIFY(page->FontCombo->fontMetrics().horizontalAdvance(page->FontCombo->currentText()) +
                    30 <=
                page->FontCombo->width());
        // Only the element shown has an entry of its own.
        QCOMPARE(page->FontCombo->count(), count + 1);
        page->EditFontSize->setText(QStringLiteral("8"));
        f->inspector->ApplyBtnClick();
        QCOMPARE(t->FontName, QStringLiteral("Arial"));
        QCOMPARE(t->FontSize, 80);
    }
    // Back at an installed font the extra entry is gone.
    t->FontName = installed;
    f->inspector->UpdateFromReference();
    QCOMPARE(page->FontCombo->count(), count);
    QCOMPARE(page->FontCombo->currentText(), installed);
}

void TestTextPage::fontDialogResultIsApplied() {
    QString family;
    for (const QString& fam : QFontDatabase::families()) {
        if (QFontDatabase::styles(fam).contains(QStringLiteral("Bold")) &&
            QFontDatabase::isScalable(fam)) {
            family = fam;
            break;
        }
    }
    if (family.isEmpty())
        QSKIP("no scalable font with a bold style installed");
    t->FontSize = 125;
    t->FontStyle = fsItalic;
    QFont preset;
    f->answer = [&](QDialog& d) {
        auto* fd = qobject_cast<QFontDialog*>(&d);
        if (!fd)
            return int(QDialog::Rejected);
        preset = fd->currentFont();
        QFont chosen(family);
        chosen.setPointSize(20);
        chosen.setBold(true);
        fd->setCurrentFont(chosen);
        return int(QDialog::Accepted);
    };
    const int before = int(Document->UndoList.size());
    QTest::mouseClick(page->SpBtnFontDialog, Qt::LeftButton);
    // One confirmed dialog, one undo entry (selecting the family in the box wrote a second).
    QCOMPARE(int(Document->UndoList.size()), before + 1);
    QCOMPARE(preset.pointSize(), 12); // 12.5 rounds to even
    QVERIFY(preset.italic());
    QCOMPARE(page->EditFontSize->text(), QStringLiteral("20"));
    QCOMPARE(t->FontSize, 200);
    QCOMPARE(int(t->FontStyle), int(fsBold));
    QCOMPARE(t->FontName, page->FontCombo->currentText());
    QCOMPARE(t->FontName, family);
    // Cancelled: nothing chosen, the page is still applied.
    f->answer = nullptr;
    const int undo = int(Document->UndoList.size());
    QTest::mouseClick(page->SpBtnFontDialog, Qt::LeftButton);
    QCOMPARE(int(Document->UndoList.size()), undo + 1);
    QCOMPARE(t->FontSize, 200);
}

QTEST_MAIN(TestTextPage)
#include "tst_textpage.moc"
