// The inspector's barcode page driven through its widgets: the vCard button fills the
// content from the address, choices are written at once with one undo step each, a content
// that does not fit is named on the page, and a quarter turn turns the box with the code.

#include "document/barcode.h"
#include "inspector/ttoolsubformbar.h"
#include "inspectorfixture.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

namespace {

std::unique_ptr<TDocElementBAR> code(TBarcodeKind kind, const QString& text) {
    auto e = std::make_unique<TDocElementBAR>();
    e->Kind = kind;
    e->Text = text;
    e->Left = 10;
    e->Top = 20;
    e->Width = 40;
    e->Height = 20;
    return e;
}

void choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class TestBarcodePage : public QObject {
    Q_OBJECT
private slots:
    void vcardButtonFillsFromTheAddress() {
        InspectorFixture f;
        AddressFields[19] = QStringLiteral("Jan");
        AddressFields[20] = QStringLiteral("Kurz");
        TDocElementBAR* e = f.select(code(TBarcodeKind::Code128, QStringLiteral("x")));
        TtoolSubFormBAR* page = f.inspector->BarcodePage;
        QVERIFY(!page->isHidden());
        QTest::mouseClick(page->VCardBtn, Qt::LeftButton);
        QCOMPARE(e->MacroText, SenderVCardTemplate());
        QCOMPARE(int(e->Kind), int(TBarcodeKind::QR)); // a bar code cannot hold a vCard
        QCOMPARE(e->Text, QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kurz;Jan;;;\r\n"
                                         "FN:Jan Kurz\r\nEND:VCARD"));
        QCOMPARE(Document->UndoList.size(), 1);
        QVERIFY(page->ProblemLabel->text().isEmpty());
    }

    void choicesAreWrittenAndProblemsShown_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("EAN-13 letter") << int(TBarcodeKind::EAN13) << "12345678901x"
                                       << "keine Ziffer";
        QTest::newRow("EAN-13 check digit") << int(TBarcodeKind::EAN13) << "4006381333932"
                                            << "Prüfziffer 2 stimmt nicht";
        QTest::newRow("QR fits") << int(TBarcodeKind::QR) << "https://example.org" << "";
    }
    void choicesAreWrittenAndProblemsShown() {
        QFETCH(int, kind);
        QFETCH(QString, content);
        QFETCH(QString, problem);
        InspectorFixture f;
        TDocElementBAR* e = f.select(code(TBarcodeKind::QR, QStringLiteral("a")));
        TtoolSubFormBAR* page = f.inspector->BarcodePage;
        page->EditContent->setPlainText(content);
        QTest::keyClick(page->EditContent, Qt::Key_Return); // Enter applies
        choose(page->KindCombo, kind);
        QCOMPARE(e->Text, content);
        QCOMPARE(int(e->Kind), kind);
        if (problem.isEmpty())
            QVERIFY(page->ProblemLabel->text().isEmpty());
        else
            QVERIFY2(page->ProblemLabel->text().contains(problem),
                     qPrintable(page->ProblemLabel->text()));
        page->FitBox->setChecked(false);
        QVERIFY(e->ModuleSize > 0);
        page->QuietZoneBox->setChecked(false);
        QVERIFY(!e->QuietZone);
        QCOMPARE(Document->UndoList.size(), 4);
    }

    void quarterTurnTurnsTheBox() {
        InspectorFixture f;
        TDocElementBAR* e = f.select(code(TBarcodeKind::Code128, QStringLiteral("abc")));
        QTest::mouseClick(f.inspector->BarcodePage->TurnLeftBtn, Qt::LeftButton);
        QCOMPARE(e->Turns, std::uint8_t(1));
        QCOMPARE(e->Width, 20.0);
        QCOMPARE(e->Height, 40.0);
        QCOMPARE(e->Left, 20.0); // about the centre (30, 30)
        QCOMPARE(e->Top, 10.0);
        QTest::mouseClick(f.inspector->BarcodePage->TurnRightBtn, Qt::LeftButton);
        QCOMPARE(e->Turns, std::uint8_t(0));
        QCOMPARE(e->Width, 40.0);
    }
};

QTEST_MAIN(TestBarcodePage)
#include "tst_barcodepage.moc"
