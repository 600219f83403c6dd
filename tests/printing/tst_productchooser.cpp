// The field "Bogen" of the printing workspace driven through its widgets: searching, choosing
// with the keyboard, the size warning and "Blattformat anpassen" with its undo in the editor,
// own sheets, the refusal of a too large sheet, typed margins leaving the product, and a
// print into PDF that lands on the labels.

#include "common/questionanswer.h"
#include "printworkspace/qprintertarget.h"
#include "common/labelsheets.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "editor/inspectorlink.h"
#include "editor/tfrmtabeditor.h"
#include "ui/messages.h"
#include "printing/labelproducts.h"
#include "printing/printdocument.h"
#include "printworkspace/productchooser.h"
#include "printworkspace/tfrmtabprinting.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestProductChooser : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TfrmTabPrinting> form;
    QStringList messages;

    TProductChooser* chooser() { return form->ProductChooser; }

    void make(double width, double height) {
        labelsheets::MarkCorners(*Document, width, height);
        Document->Modified = false;
        form = std::make_unique<TfrmTabPrinting>();
        form->resize(1000, 760);
        form->show();
        SetupPdfPrinter(form->Printer(), false);
        form->Printer().setResolution(300);
        form->PdfFileHook = [this](const QString&) {
            return dir->filePath(QStringLiteral("bogen.pdf"));
        };
        form->Activate();
    }

    // Types the search and picks the first product listed, with the keyboard.
    void choose(const QString& search) {
        QLineEdit* edit = chooser()->Search;
        edit->clear();
        QTest::keyClicks(edit, search);
        QVERIFY2(chooser()->Combo->count() > 1, qPrintable(search));
        chooser()->Combo->setFocus();
        QTest::keyClick(chooser()->Combo, Qt::Key_Home);
        QTest::keyClick(chooser()->Combo, Qt::Key_Down);
    }

private slots:
    void init() {
        QStandardPaths::setTestModeEnabled(true);
        ResetGlobals();
        dir = std::make_unique<QTemporaryDir>();
        settings = std::make_unique<QSettings>(dir->filePath(QStringLiteral("reg.ini")),
                                               QSettings::IniFormat);
        Registry = settings.get();
        messages.clear();
        MessageHook = [this](const QString&, const QString& text) { messages << text; };
    }
    void cleanup() {
        form.reset();
        Registry = nullptr;
        settings.reset();
        dir.reset();
        MessageHook = nullptr;
    }

    // What each search lists first, and where the chosen product puts the first cell.
    void searchAndChoose_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QSizeF>("document");
        QTest::addColumn<int>("cells");
        QTest::addColumn<QString>("marginLeft");
        QTest::addColumn<QString>("marginTop");
        QTest::newRow("part number") << "C32011" << "Avery C32011-10" << QSizeF(85, 54) << 10
                                     << "15.00" << "13.50";
        QTest::newRow("size, card 1 mm higher")
            << "visitenkarten 85x54 c32011" << "Avery C32011-10" << QSizeF(85, 55) << 10 << "15.00"
            << "13.00";
        QTest::newRow("maker and size of a CD label")
            << "zweckform 6015" << "Zweckform 6015" << QSizeF(117, 117) << 2 << "46.50"
            << "21.43";
    }
    void searchAndChoose() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        QFETCH(QString, search);
        QFETCH(QString, product);
        QFETCH(QSizeF, document);
        QFETCH(int, cells);
        QFETCH(QString, marginLeft);
        QFETCH(QString, marginTop);
        make(document.width(), document.height());
        QCOMPARE(chooser()->Combo->currentText(), QStringLiteral("Kein Bogen"));
        choose(search);
        QCOMPARE(Document->PrintProduct, product);
        QVERIFY(Document->Modified);
        QCOMPARE(int(form->Layout().Cells.size()), cells);
        QCOMPARE(form->EditPrintMarginLeft->text().trimmed(), marginLeft);
        QCOMPARE(form->EditPrintMarginTop->text().trimmed(), marginTop);
        QVERIFY(messages.isEmpty());
        // "Kein Bogen" gives the free layout with the margins as they are.
        QTest::keyClick(chooser()->Combo, Qt::Key_Home);
        QVERIFY(Document->PrintProduct.isEmpty());
        QVERIFY(form->Layout().Product == nullptr);
    }

    // 85 x 55 on 85 x 54: centred, the warning says by how much, the button takes the label's
    // size over as one undo step of the editor, and undo brings the old size back.
    void sizeWarningAndFitSheet() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        make(85, 55);
        choose(QStringLiteral("C32011"));
        QVERIFY2(chooser()->Info->text().contains(QStringLiteral("1 mm zu hoch")),
                 qPrintable(chooser()->Info->text()));
        QVERIFY(chooser()->FitSheetButton->isVisible());
        QCOMPARE(form->Layout().Cells[0].Top, 13.0);
        const int undoBefore = int(Document->UndoList.size());
        QTest::mouseClick(chooser()->FitSheetButton, Qt::LeftButton);
        QCOMPARE(Document->PageHeight, 54.0);
        QCOMPARE(Document->PageWidth, 85.0);
        QCOMPARE(int(Document->UndoList.size()), undoBefore + 1);
        QVERIFY(!chooser()->FitSheetButton->isVisible());
        QVERIFY(!chooser()->Info->text().contains(QStringLiteral("zu hoch")));
        QCOMPARE(form->Layout().Cells[0].Top, 13.5);
        QCOMPARE(form->EditPrintMarginTop->text().trimmed(), QStringLiteral("13.50"));

        InspectorFactory = nullptr;
        TfrmTabEditor editor;
        editor.SpeedButtonReturnClick();
        QCOMPARE(Document->PageHeight, 55.0);
        QCOMPARE(int(Document->UndoList.size()), undoBefore);
        editor.SpeedButtonRedoClick();
        QCOMPARE(Document->PageHeight, 54.0);
    }

    // More than 2 mm larger than the label: refused in German, the product stays as it was.
    void tooLargeSheetIsRefused() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        make(90, 54);
        choose(QStringLiteral("C32011"));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(QStringLiteral("Avery C32011-10")), qPrintable(messages[0]));
        QVERIFY(Document->PrintProduct.isEmpty());
        QCOMPARE(chooser()->Combo->currentIndex(), 0);
    }

    // Typing a margin by hand leaves the product for the free layout.
    void typedMarginLeavesTheProduct() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        make(85, 54);
        choose(QStringLiteral("C32011"));
        QCOMPARE(Document->PrintProduct, QStringLiteral("Avery C32011-10"));
        form->EditPrintMarginLeft->selectAll();
        QTest::keyClicks(form->EditPrintMarginLeft, QStringLiteral("10"));
        QVERIFY(Document->PrintProduct.isEmpty());
        QCOMPARE(Document->PrintMarginLeft, 10.0);
        QCOMPARE(form->Layout().Cells[0].Left, 10.0);
        QCOMPARE(chooser()->Combo->currentIndex(), 0);
    }

    // An own sheet is listed, chosen again after other products, and deleted.
    void ownSheets() {
        make(85, 54);
        form->EditPrintMarginLeft->selectAll();
        QTest::keyClicks(form->EditPrintMarginLeft, QStringLiteral("12.5"));
        form->EditPrintDistVer->selectAll();
        QTest::keyClicks(form->EditPrintDistVer, QStringLiteral("3"));
        chooser()->NameHook = [](const QString&) { return QStringLiteral("Vereinskarten"); };
        QTest::mouseClick(chooser()->SaveButton, Qt::LeftButton);
        QCOMPARE(Document->PrintProduct, QStringLiteral("Vereinskarten"));
        QVERIFY(chooser()->Combo->currentText().startsWith(QStringLiteral("Vereinskarten")));
        QVERIFY(chooser()->DeleteButton->isEnabled());

        // Another layout, then the own sheet again from the list.
        form->EditPrintMarginLeft->selectAll();
        QTest::keyClicks(form->EditPrintMarginLeft, QStringLiteral("0"));
        QVERIFY(Document->PrintProduct.isEmpty());
        choose(QStringLiteral("vereins"));
        QCOMPARE(Document->PrintProduct, QStringLiteral("Vereinskarten"));
        QCOMPARE(form->EditPrintMarginLeft->text().trimmed(), QStringLiteral("12.50"));
        QCOMPARE(form->EditPrintDistVer->text().trimmed(), QStringLiteral("3.00"));

        QTest::mouseClick(chooser()->DeleteButton, Qt::LeftButton);
        QVERIFY(Document->PrintProduct.isEmpty());
        QVERIFY(OwnProducts(*settings).isEmpty());
        chooser()->Search->setText(QStringLiteral("vereins"));
        QCOMPARE(chooser()->Combo->count(), 1);
    }

    // The calibration sheet covers the product's paper: its centre cross lies at the centre of
    // the A4 or Letter page.
    void calibrationOnTheProductsPaper_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QSizeF>("paper");
        QTest::newRow("A4 cards") << "C32011" << QSizeF(210, 297);
        QTest::newRow("Letter labels") << "WL-875" << QSizeF(215.9, 279.4);
    }
    void calibrationOnTheProductsPaper() {
        if (!labelsheets::Installed() || !pdfink::Available())
            QSKIP("glabels-data or poppler-utils is not installed");
        QFETCH(QString, search);
        QFETCH(QSizeF, paper);
        make(60, 25);
        choose(search);
        QVERIFY(!Document->PrintProduct.isEmpty());
        // The sheet has a back: the turning question is answered with its first button.
        const fixtures::QuestionAnswerer answer;
        QTest::mouseClick(form->CalibrationButton, Qt::LeftButton);
        const QList<QImage> pages = pdfink::Pages(dir->filePath(QStringLiteral("bogen.pdf")));
        QVERIFY(!pages.isEmpty());
        const QRectF page = pdfink::WholePage(pages[0]);
        QVERIFY(std::abs(page.width() - paper.width()) < 0.5);
        QVERIFY(std::abs(page.height() - paper.height()) < 0.5);
        const QPointF c(paper.width() / 2, paper.height() / 2);
        const QRectF cross = pdfink::DarkInkMm(pages[0], QRectF(c.x() - 12, c.y() - 12, 24, 24));
        QVERIFY2(std::abs(cross.center().x() - c.x()) <= 0.3 &&
                     std::abs(cross.center().y() - c.y()) <= 0.3,
                 qPrintable(QStringLiteral("%1 %2").arg(cross.center().x()).arg(cross.center().y())));
    }

    // Printed from the workspace: the cells lie on the labels of the chosen product.
    void printsOnTheChosenProduct() {
        if (!labelsheets::Installed() || !pdfink::Available())
            QSKIP("glabels-data or poppler-utils is not installed");
        make(85, 54);
        choose(QStringLiteral("C32011"));
        QTest::mouseClick(form->SelectAllButton, Qt::LeftButton);
        QTest::mouseClick(form->Button, Qt::LeftButton);
        const QList<QImage> pages = pdfink::Pages(dir->filePath(QStringLiteral("bogen.pdf")));
        QCOMPARE(pages.size(), 1);
        const labelsheets::Sheet sheet = labelsheets::SheetNamed(QStringLiteral("Avery C32011-10"));
        for (int col = 0; col < sheet.columns; ++col) {
            for (int row = 0; row < sheet.rows; ++row) {
                const QRectF label = sheet.Label(col, row);
                const QRectF ink = pdfink::DarkInkMm(pages[0], label);
                QVERIFY2(std::abs(ink.left() - label.left() - 1) <= 0.2 &&
                             std::abs(ink.top() - label.top() - 1) <= 0.2 &&
                             std::abs(ink.right() - label.right() + 1) <= 0.2 &&
                             std::abs(ink.bottom() - label.bottom() + 1) <= 0.2,
                         qPrintable(QStringLiteral("%1,%2: %3 %4").arg(col).arg(row)
                                        .arg(ink.left()).arg(ink.top())));
            }
        }
    }
};

QTEST_MAIN(TestProductChooser)
#include "tst_productchooser.moc"
