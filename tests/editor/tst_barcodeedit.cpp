// A code element in the editor: the button puts one on the shown side with one undo step, a
// copy offers other programs an EMF of the symbol in vectors that still reads as the code,
// and pasting gives an equal code element.

#include "common/barcodefixtures.h"
#include "document/barcode.h"
#include "editorfixture.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

class TestBarcodeEdit : public QObject {
    Q_OBJECT
private slots:
    void buttonAddsACodeOnTheShownSide_data() {
        QTest::addColumn<int>("side");
        QTest::newRow("Vorderseite") << 0;
        QTest::newRow("Rückseite") << 1;
    }
    void buttonAddsACodeOnTheShownSide() {
        QFETCH(int, side);
        TEditorFixture f;
        CurrentSide = side;
        QTest::mouseClick(f.editor->SpeedButtonBarcode, Qt::LeftButton);
        QCOMPARE(Document->Count(), 1);
        auto* e = dynamic_cast<TDocElementBAR*>(Document->Element(0));
        QVERIFY(e);
        QCOMPARE(e->Side, side);
        QVERIFY(BarcodeProblem(*e).isEmpty());
        QVERIFY(Document->Modified);
        QTest::mouseClick(f.editor->SpeedButtonReturn, Qt::LeftButton);
        QCOMPARE(Document->Count(), 0);
    }

    void copyOffersTheSymbolAsEmf_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::newRow("QR") << int(TBarcodeKind::QR) << "https://example.org/karte"
                            << "QR-Code";
        QTest::newRow("Code 128") << int(TBarcodeKind::Code128) << "QM-4711" << "CODE-128";
    }
    void copyOffersTheSymbolAsEmf() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, type);
        TEditorFixture f;
        auto code = std::make_unique<TDocElementBAR>();
        code->Kind = TBarcodeKind(kind);
        code->Text = text;
        code->Left = 12;
        code->Width = 40;
        code->Height = 25;
        Document->InsertElement(0, std::move(code));
        f.editor->SelectElement(0, false);
        QTest::mouseClick(f.editor->SpeedButtonCopy, Qt::LeftButton);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        TMetafile emf;
        QVERIFY(emf.LoadFromBytes(data->data(QStringLiteral("image/x-emf"))));
        QCOMPARE(emf.GetForm(), TMetafile::Form::Emf);
        if (!barcodefix::Available())
            QSKIP("zbarimg fehlt");
        // Played at 300 dpi onto white paper with a margin around it.
        const double px = 300 / 25.4;
        QImage img(int(60 * px), int(45 * px), QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            emf.Play(p, QRect(int(10 * px), int(10 * px), int(40 * px), int(25 * px)));
        }
        const auto found = barcodefix::Decode(img);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].type, type);
        QCOMPARE(found[0].data, text);

        QTest::mouseClick(f.editor->SpeedButtonPaste, Qt::LeftButton);
        QCOMPARE(Document->Count(), 2);
        auto* pasted = dynamic_cast<TDocElementBAR*>(Document->Element(0));
        QVERIFY(pasted);
        QCOMPARE(pasted->Text, text);
        QCOMPARE(pasted->Width, 40.0);
    }
};

QTEST_MAIN(TestBarcodeEdit)
#include "tst_barcodeedit.moc"
