// The "Drucken" workspace driven through its widgets: sheet offsets in the settings store,
// the margin edits, the preview with its hot cell and click selection, the printer setup and
// the print run with its turning question and abort dialog, printing into PDF files.

#include "common/printfixtures.h"
#include "printworkspace/qprintertarget.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "ui/hints.h"
#include "ui/messages.h"
#include "ui/tfrage.h"
#include "addresses/addressrecords.h"
#include "printing/calibrationsheet.h"
#include "printing/printdocument.h"
#include "printing/printeroutput.h"
#include "printworkspace/tfrmtabprinting.h"
#include "printworkspace/tprintabortdlg.h"
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

void addSquare(double left, double top, int side) {
    CurrentSide = side;
    auto* e = Document->AddGraphic(printfix::BlackSquare(), 0, nullptr, CurrentSide);
    e->Left = left;
    e->Top = top;
    e->Width = 10;
    e->Height = 10;
    CurrentSide = 0;
}

void moveTo(QWidget* w, const QPoint& pos) {
    QMouseEvent e(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Answers the next question dialog with its first button, remembering what it showed.
struct FrageAnswer {
    QString caption, hint, question;
    bool hintVisible = false;
    void arm(bool yes) {
        QTimer* t = new QTimer;
        t->setInterval(20);
        QObject::connect(t, &QTimer::timeout, t, [this, t, yes] {
            auto* f = qobject_cast<TFrage*>(QApplication::activeModalWidget());
            if (!f)
                return;
            caption = f->windowTitle();
            hint = f->LabelHinweis->text();
            hintVisible = f->LabelHinweis->isVisibleTo(f);
            question = f->LabelFrage->text();
            (yes ? f->ImageRegister : f->Image1)->click();
            t->deleteLater();
        });
        t->start();
    }
};

} // namespace

class TestPrintingWorkspace : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TfrmTabPrinting> form;
    QStringList messages;
    QStringList pdfAsked; // the names the PDF question proposed
    QString pdfAnswer;    // the file the user chooses there

    // Which quarters of an A4 page (2 x 2 cells of 105 x 148 mm) carry ink.
    static QList<bool> inkedQuarters(const QImage& page) {
        QList<bool> inked;
        for (int col = 0; col < 2; ++col)
            for (int row = 0; row < 2; ++row)
                inked << !pdfink::DarkInkMm(page, QRectF(col * 105 + 1, row * 148 + 1, 103, 146))
                              .isEmpty();
        return inked;
    }
    void selectLastThree() {
        for (int i = 0; i < 4; ++i) {
            moveTo(form->Page, cellCentre(i));
            QTest::mouseClick(form->Page, Qt::LeftButton, {}, cellCentre(i));
        }
        QCOMPARE(form->Layout().SelectedCount(), 3);
    }

    TfrmTabPrinting* make() {
        form = std::make_unique<TfrmTabPrinting>();
        form->resize(900, 700);
        form->show();
        // Print into a file of the test, whatever printers the machine has.
        SetupPdfPrinter(form->Printer(), false);
        pdfAsked.clear();
        pdfAnswer = dir->filePath(QStringLiteral("karte.pdf"));
        form->PdfFileHook = [this](const QString& proposed) {
            pdfAsked << proposed;
            return pdfAnswer;
        };
        return form.get();
    }

    QPoint cellCentre(int index) {
        const TCell& c = form->Layout().Cells[size_t(index)];
        auto px = [this](double mm) { return int(mm / 0.266497461928934 * form->PreviewScale); };
        return QPoint(px(c.Left + c.Width / 2), px(c.Top + c.Height / 2));
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
        FormColor = QColor(0, 0, 128);
    }
    void cleanup() {
        form.reset();
        Registry = nullptr;
        settings.reset();
        dir.reset();
        MessageHook = nullptr;
    }

    void offsetsComeFromAndGoToTheSettingsStore() {
        settings->beginGroup(QStringLiteral("Blattversatz"));
        settings->setValue(QStringLiteral("Vorderseite horizontal"), QStringLiteral("3"));
        settings->setValue(QStringLiteral("Vorderseite vertikal"), QStringLiteral("-2"));
        settings->setValue(QStringLiteral("Rückseite horizontal"), QStringLiteral("zwei"));
        settings->setValue(QStringLiteral("Rückseite vertikal"), QStringLiteral("40"));
        settings->endGroup();
        make();
        QCOMPARE(form->EditPrintOffsetHor->text(), QStringLiteral("3"));
        QCOMPARE(form->EditPrintOffsetVer->text(), QStringLiteral("-2"));
        QCOMPARE(form->EditPrintOffsetHorRueck->text(), QStringLiteral("0"));
        QCOMPARE(form->EditPrintOffsetVerRueck->text(), QStringLiteral("25"));
        QTest::keyClick(form->UpDown1, Qt::Key_Up);
        settings->beginGroup(QStringLiteral("Blattversatz"));
        QCOMPARE(settings->value(QStringLiteral("Vorderseite horizontal")).toString(),
                 QStringLiteral("4"));
        QCOMPARE(settings->value(QStringLiteral("Rückseite horizontal")).toString(),
                 QStringLiteral("0"));
        QCOMPARE(settings->value(QStringLiteral("Rückseite vertikal")).toString(),
                 QStringLiteral("25"));
        settings->endGroup();
        QCOMPARE(form->UpDown1->minimum(), -25);
        QCOMPARE(form->UpDown1->maximum(), 25);
    }

    void activationFillsTheFieldsAndLaysOut() {
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        Document->PrintMarginLeft = 0;
        Document->PrintDistVer = 12.5;
        Document->CopyCount = 7;
        make();
        form->Activate();
        QCOMPARE(form->EditPrintMarginLeft->text(), QStringLiteral(" 0.00"));
        QCOMPARE(form->EditPrintDistVer->text(), QStringLiteral("12.50"));
        QCOMPARE(form->EditCopyCount->text(), QStringLiteral("7"));
        QCOMPARE(form->Layout().Columns, 2);
        QCOMPARE(form->Layout().Rows, 1); // 148 + 12.5 + 148 > 297.33
        QVERIFY(form->InfoLabel1->isVisibleTo(form.get()));
        QVERIFY(!form->InfoLabel2->isVisibleTo(form.get()));
        QVERIFY(form->PrinterLabel->text().startsWith(QStringLiteral("PDF-Datei")));
        QCOMPARE(form->SpinCopyCount->minimum(), 1);
        QCOMPARE(form->SpinCopyCount->maximum(), 999);
        // The arrows must be seen: dark ink in the
        // button strip at the box's right end, though the group's captions are white.
        const QImage box = form->SpinCopyCount->grab().toImage();
        int dark = 0;
        for (int y = 2; y < box.height() - 2; ++y)
            for (int x = box.width() - 16; x < box.width() - 2; ++x)
                dark += qGray(box.pixel(x, y)) < 128;
        QVERIFY2(dark >= 6, qPrintable(QString::number(dark)));
    }

    // "Leere Felder auslassen" shows the document's setting and changes it with a click.
    void skipEmptyCheckBoxIsTheDocumentsSetting() {
        Document->SkipEmpty = true;
        make();
        form->Activate();
        QVERIFY(form->SkipEmptyCheck->isChecked());
        QVERIFY(!Document->Modified);
        QVERIFY(form->SkipEmptyCheck->geometry().bottom() < form->CellGroupBox->height());
        form->SkipEmptyCheck->click();
        QVERIFY(!Document->SkipEmpty);
        QVERIFY(Document->Modified);
        Document->Clear();
        form->Activate();
        QVERIFY(!form->SkipEmptyCheck->isChecked());
    }

    void typedMarginsRecomputeTheLayout() {
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        make();
        form->Activate();
        QCOMPARE(form->Layout().Columns, 2);
        form->EditPrintDistHor->clear();
        QTest::keyClicks(form->EditPrintDistHor, QStringLiteral("1"));
        QCOMPARE(Document->PrintDistHor, 1.0);
        QCOMPARE(form->Layout().Columns, 1);
        form->EditPrintDistHor->clear();
        QTest::keyClicks(form->EditPrintDistHor, QStringLiteral("x1"));
        QCOMPARE(Document->PrintDistHor, 0.0);
        QCOMPARE(form->Layout().Columns, 2);
        // Content in no printable area: a left margin pushing the copy off the sheet.
        addSquare(95, 10, 0);
        form->EditPrintMarginLeft->setText(QStringLiteral("120"));
        QVERIFY(!form->Layout().Fits);
        QVERIFY(form->InfoLabel2->isVisibleTo(form.get()));
        QCOMPARE(form->InfoLabel2->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(form->Layout().FitScale < 1);
    }

    void clickSelectionAndTheHotCell() {
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        make();
        form->Activate();
        QCOMPARE(int(form->Layout().Cells.size()), 4);
        QCOMPARE(form->Layout().SelectedCount(), 1);
        for (int i = 0; i < 4; ++i) {
            moveTo(form->Page, cellCentre(i));
            QCOMPARE(form->HotCell, i);
            QCOMPARE(QColor(form->Page->Picture.pixel(cellCentre(i))), QColor(Qt::red));
            QTest::mouseClick(form->Page, Qt::LeftButton, {}, cellCentre(i));
        }
        QCOMPARE(form->Layout().SelectedCount(), 3);
        QVERIFY(!form->Layout().Cells[0].Selected);
        QVERIFY(!Document->SelectAllCells);
        // A click toggles the hot cell, the one the last movement found.
        moveTo(form->Page, cellCentre(0));
        QTest::mouseClick(form->Page, Qt::LeftButton, {}, cellCentre(0));
        QVERIFY(Document->SelectAllCells);
        // Moving onto a group box clears the hot cell; selected cells show white.
        moveTo(form->CellGroupBox, QPoint(5, 5));
        QCOMPARE(form->HotCell, -1);
        QCOMPARE(QColor(form->Page->Picture.pixel(cellCentre(3))), QColor(Qt::white));
        QTest::mouseClick(form->SelectNoneButton, Qt::LeftButton);
        QCOMPARE(form->Layout().SelectedCount(), 0);
        QVERIFY(!Document->SelectAllCells);
        QCOMPARE(QColor(form->Page->Picture.pixel(cellCentre(3))), QColor(128, 128, 128));
        QTest::mouseClick(form->SelectAllButton, Qt::LeftButton);
        QCOMPARE(form->Layout().SelectedCount(), 4);
        QVERIFY(Document->SelectAllCells);
        // The document's flag selects every cell on the next activation.
        form->Activate();
        QCOMPARE(form->Layout().SelectedCount(), 4);
    }

    // Every chosen cell shows the front side as it is printed there; the back side and the
    // cells left out do not.
    void previewShowsTheFrontInChosenCells_data() {
        QTest::addColumn<QPointF>("front"); // the front square's corner, mm
        QTest::addColumn<QPointF>("back");
        QTest::newRow("oben links") << QPointF(10, 10) << QPointF(60, 100);
        QTest::newRow("unten rechts") << QPointF(80, 120) << QPointF(10, 10);
    }
    void previewShowsTheFrontInChosenCells() {
        QFETCH(QPointF, front);
        QFETCH(QPointF, back);
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        addSquare(front.x(), front.y(), 0);
        addSquare(back.x(), back.y(), 1);
        make();
        form->Activate();
        QCOMPARE(int(form->Layout().Cells.size()), 4);
        QTest::mouseClick(form->SelectAllButton, Qt::LeftButton);
        moveTo(form->Page, cellCentre(3));
        QTest::mouseClick(form->Page, Qt::LeftButton, {}, cellCentre(3)); // cell 3 left out
        moveTo(form->CellGroupBox, QPoint(5, 5));
        auto at = [this](int cell, QPointF mm) {
            const TCell& c = form->Layout().Cells[size_t(cell)];
            auto px = [this](double v) { return int(v / 0.266497461928934 * form->PreviewScale); };
            // The square's middle, 5 mm into it.
            return QColor(form->Page->Picture.pixel(px(c.Left + mm.x() + 5), px(c.Top + mm.y() + 5)));
        };
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(at(i, front).lightness() < 60, qPrintable(QString::number(i)));
            QCOMPARE(at(i, back), QColor(Qt::white));
        }
        QCOMPARE(at(3, front), QColor(128, 128, 128));
    }

    void printerSetupSwitchesToLandscape() {
        Document->PageWidth = 148;
        Document->PageHeight = 105;
        make();
        form->Activate();
        QCOMPARE(form->Layout().Rows, 2);
        QCOMPARE(form->Layout().Columns, 1);
        form->SetupDialogHook = [](QPrinter& p) {
            p.setPageOrientation(QPageLayout::Landscape);
            return true;
        };
        Document->Modified = false;
        QTest::mouseClick(form->PrinterSetupBtn, Qt::LeftButton);
        QCOMPARE(form->Layout().PrinterSheetWidth, 297.33);
        QCOMPARE(form->Layout().Columns, 2);
        // The printer's orientation is the printer's; the document is left alone.
        QCOMPARE(Document->Orientation, std::uint8_t(0));
        QVERIFY(!Document->Modified);
    }

    // The whole run from the print button: two copies, the question, the back side.
    void printButtonPrintsBothSides() {
        Document->PageWidth = 105;
        Document->PageHeight = 200;
        addSquare(20, 30, 0);
        addSquare(60, 100, 1);
        make();
        form->Activate();
        QTest::keyClick(form->SpinCopyCount, Qt::Key_Up);
        QTest::keyClick(form->UpDown2, Qt::Key_Up); // front 1 mm lower
        FrageAnswer answer;
        answer.arm(true);
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(answer.caption, QStringLiteral("Druck der Rückseite"));
        QCOMPARE(answer.hint, QStringLiteral("Bitte legen Sie das Blatt umgedreht"));
        QVERIFY(answer.hintVisible);
        QCOMPARE(answer.question, QStringLiteral("mit der OBERkante voraus in den Drucker."));
        QCOMPARE(Document->CopyCount, std::uint16_t(2));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!form->AbortDialog);
        QVERIFY(messages.isEmpty());
        const QString front = dir->filePath(QStringLiteral("karte.pdf"));
        const QList<QImage> pages = pdfink::Pages(front);
        QCOMPARE(pages.size(), 2);
        const QRectF f = pdfink::DarkInkMm(pages[1], pdfink::WholePage(pages[1]));
        QVERIFY2(std::abs(f.left() - 20) < 0.3 && std::abs(f.top() - 31) < 0.3,
                 qPrintable(QStringLiteral("%1 %2").arg(f.left()).arg(f.top())));
        const QList<QImage> back = pdfink::Pages(BackSideFileName(front));
        QCOMPARE(back.size(), 2);
        const QRectF b = pdfink::DarkInkMm(back[0], pdfink::WholePage(back[0]));
        QVERIFY(std::abs(b.left() - 165) < 0.3 && std::abs(b.top() - 100) < 0.3);
        QVERIFY(form->Layout().Cells[0].Selected);
        QVERIFY(!form->Layout().Cells[1].Selected);
    }

    // The abort dialog stays usable during the run; its button ends the run and nothing of
    // the aborted job is written.
    void abortDialogCancelsTheRun() {
        for (int k = 0; k < 60; ++k) {
            LangKeys << QString::number(k);
            LangStrings << QStringLiteral("T%1").arg(k);
        }
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        addSquare(20, 30, 0);
        addSquare(20, 30, 1);
        Document->CopyCount = 999;
        make();
        form->Activate();
        QTest::mouseClick(form->SelectAllButton, Qt::LeftButton);
        QString caption, info;
        QTimer::singleShot(0, form.get(), [&] {
            QVERIFY(form->AbortDialog);
            caption = form->AbortDialog->windowTitle();
            info = form->AbortDialog->InfoLabel->text();
            QVERIFY(form->AbortDialog->isVisible());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QTest::mouseClick(form->AbortDialog->ImageRegister, Qt::LeftButton);
        });
        FrageAnswer never;
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("T56"));
        QCOMPARE(info, QStringLiteral("T57"));
        QVERIFY(never.caption.isEmpty());
        QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("karte.pdf"))));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(form->Layout().SelectedCount(), 4);
        QVERIFY(messages.isEmpty());
    }

    void unwritableFileIsReported() {
        addSquare(20, 30, 0);
        make();
        const QString file = dir->filePath(QStringLiteral("fehlt/karte.pdf"));
        pdfAnswer = file;
        form->Activate();
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(file), qPrintable(messages[0]));
        QVERIFY(!QApplication::overrideCursor());
    }

    // The calibration sheet goes through the same run: offsets in force, turning question,
    // back side mirrored; the document's own layout and copies are left alone.
    void calibrationButtonPrintsTheMeasuringSheet() {
        Document->PageWidth = 105;
        Document->PageHeight = 200;
        addSquare(20, 30, 0);
        make();
        form->Activate();
        QCOMPARE(form->CalibrationButton->text(), QStringLiteral("Kalibrierblatt drucken"));
        QCOMPARE(HintOf(form->CalibrationButton),
                 QStringLiteral("|Druckt ein Messblatt für den Blattversatz"));
        QTest::keyClick(form->SpinCopyCount, Qt::Key_Up);
        QTest::keyClick(form->UpDown1, Qt::Key_Up); // front 2 mm to the right
        QTest::keyClick(form->UpDown1, Qt::Key_Up);
        QTest::keyClick(form->UpDown3, Qt::Key_Down); // back 1 mm to the left
        const QString docName = form->Printer().docName();
        FrageAnswer answer;
        answer.arm(true);
        QTest::mouseClick(form->CalibrationButton, Qt::LeftButton);
        QCOMPARE(answer.caption, QStringLiteral("Druck der Rückseite"));
        QCOMPARE(answer.hint, QStringLiteral("Bitte legen Sie das Blatt umgedreht"));
        QCOMPARE(answer.question, QStringLiteral("mit der OBERkante voraus in den Drucker."));
        QVERIFY(messages.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!form->AbortDialog);

        const QString front = dir->filePath(QStringLiteral("karte.pdf"));
        const QList<QImage> pages = pdfink::Pages(front);
        QCOMPARE(pages.size(), 1); // one sheet, whatever the copy count
        const double z = CalibrationZero;
        const QRectF zero = pdfink::DarkInkMm(pages[0], QRectF(z - 9, 19.5, 23, 5.5));
        QVERIFY2(std::abs(zero.center().x() - (z + 2)) < 0.3,
                 qPrintable(QString::number(zero.center().x())));
        const QList<QImage> back = pdfink::Pages(BackSideFileName(front));
        QCOMPARE(back.size(), 1);
        const QRectF b = pdfink::DarkInkMm(back[0], QRectF(210 - z - 14, 19.5, 23, 5.5));
        QVERIFY2(std::abs(b.center().x() - (210 - z - 1)) < 0.3,
                 qPrintable(QString::number(b.center().x())));
        QVERIFY(pdfink::Text(BackSideFileName(front))
                    .simplified()
                    .contains(QStringLiteral("Lesen Sie ab, wo die Nulllinie der Rückseite")));

        // The document's layout is untouched.
        QCOMPARE(form->Layout().Columns, 2);
        QVERIFY(form->Layout().Cells[0].Selected);
        QVERIFY(!form->Layout().Cells[1].Selected);
        QCOMPARE(form->Printer().docName(), docName);

        // Not turned: no back side.
        QFile::remove(BackSideFileName(front));
        FrageAnswer no;
        no.arm(false);
        QTest::mouseClick(form->CalibrationButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(BackSideFileName(front)));
        QCOMPARE(pdfink::PageCount(front), 1);
    }

    // Every print into a PDF asks for the file, proposing the document's name, and the
    // cells chosen in the preview are the cells on the page, the first time and the next.
    void pdfPrintsAskEveryTimeAndKeepTheSelection() {
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        Document->FileName = dir->filePath(QStringLiteral("Einladung.qmk"));
        addSquare(20, 30, 0);
        make();
        form->Activate();
        selectLastThree();
        pdfAnswer = dir->filePath(QStringLiteral("gewaehlt"));
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QCOMPARE(pdfAsked.size(), 1);
        QCOMPARE(QFileInfo(pdfAsked[0]).fileName(), QStringLiteral("Einladung.pdf"));
        const QString first = pdfAnswer + QStringLiteral(".pdf");
        QList<QImage> pages = pdfink::Pages(first);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(inkedQuarters(pages[0]), (QList<bool>{false, true, true, true}));
        QCOMPARE(form->Layout().SelectedCount(), 3);
        QVERIFY(form->WrittenLabel->isVisibleTo(form.get()));
        QVERIFY2(form->WrittenLabel->text().contains(QStringLiteral("gewaehlt.pdf")),
                 qPrintable(form->WrittenLabel->text()));

        // The next print asks again and does not overwrite the first file unasked.
        pdfAnswer = dir->filePath(QStringLiteral("zweite.pdf"));
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(pdfAsked.size(), 2);
        pages = pdfink::Pages(pdfAnswer);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(inkedQuarters(pages[0]), (QList<bool>{false, true, true, true}));
        QCOMPARE(pdfink::PageCount(first), 1);
        QVERIFY(form->WrittenLabel->text().contains(QStringLiteral("zweite.pdf")));

        // Cancelled: nothing printed, nothing asked further.
        pdfAnswer.clear();
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(pdfAsked.size(), 3);
        QVERIFY(messages.isEmpty());
    }

    // Changes that keep the grid keep the cells the user chose.
    void selectionSurvivesChangesThatKeepTheGrid() {
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        addSquare(20, 30, 0);
        make();
        form->Activate();
        selectLastThree();
        form->EditPrintMarginLeft->clear();
        QTest::keyClicks(form->EditPrintMarginLeft, QStringLiteral("0.3"));
        QCOMPARE(form->Layout().Columns, 2);
        QCOMPARE(form->Layout().SelectedCount(), 3);
        QVERIFY(!form->Layout().Cells[0].Selected);
        FrageAnswer no;
        no.arm(false);
        QTest::mouseClick(form->CalibrationButton, Qt::LeftButton);
        QCOMPARE(form->Layout().SelectedCount(), 3);
        QVERIFY(!form->Layout().Cells[0].Selected);
        // A change of the grid starts again from the first cell.
        form->EditPrintDistHor->clear();
        QTest::keyClicks(form->EditPrintDistHor, QStringLiteral("1"));
        QCOMPARE(form->Layout().Columns, 1);
        QCOMPARE(form->Layout().SelectedCount(), 1);
        QVERIFY(form->Layout().Cells[0].Selected);
    }

    // Esc and the window's close button on the abort dialog mean "Abbrechen".
    void escapeOrClosingAbortsTheRun_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("close button") << false;
    }
    void escapeOrClosingAbortsTheRun() {
        QFETCH(bool, escape);
        Document->PageWidth = 105;
        Document->PageHeight = 148;
        addSquare(20, 30, 0);
        addSquare(20, 30, 1);
        Document->CopyCount = 999;
        make();
        form->Activate();
        QTest::mouseClick(form->SelectAllButton, Qt::LeftButton);
        QTimer::singleShot(0, form.get(), [&] {
            QVERIFY(form->AbortDialog);
            if (escape)
                QTest::keyClick(form->AbortDialog, Qt::Key_Escape);
            else
                form->AbortDialog->close();
        });
        FrageAnswer never;
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QVERIFY(never.caption.isEmpty());
        QVERIFY(!QFile::exists(pdfAnswer));
        QVERIFY(!form->CurrentRun);
        QVERIFY(!QApplication::overrideCursor());
    }

    // No chosen cell: refused before anything is asked, with or without the addresses.
    void emptySelectionIsRefused_data() {
        QTest::addColumn<bool>("merge");
        QTest::newRow("one sheet") << false;
        QTest::newRow("Adressen reihum") << true;
    }
    void emptySelectionIsRefused() {
        QFETCH(bool, merge);
        AddressRecords = QStringList{QStringLiteral("Kopf"),
                                     JoinAddressRecord(NewAddressRecord(QStringLiteral("A")))};
        addSquare(20, 30, 0);
        make();
        form->Activate();
        form->MergeCheck->setChecked(merge);
        QTest::mouseClick(form->SelectNoneButton, Qt::LeftButton);
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(messages, QStringList{QStringLiteral("Es ist keine Fläche zum Drucken gewählt.")});
        QVERIFY(pdfAsked.isEmpty());
        QVERIFY(!QFile::exists(pdfAnswer));
    }

    // The number of copies is typed as well as stepped.
    void copiesAreTyped() {
        make();
        form->Activate();
        form->EditCopyCount->selectAll();
        QTest::keyClicks(form->EditCopyCount, QStringLiteral("125"));
        QTest::keyClick(form->EditCopyCount, Qt::Key_Backspace);
        QTest::keyClick(form->EditCopyCount, Qt::Key_Return);
        QCOMPARE(form->SpinCopyCount->value(), 12);
        addSquare(20, 30, 0);
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QCOMPARE(Document->CopyCount, std::uint16_t(12));
    }

    // A print without a back side does not leave the back of an earlier run beside it.
    void noStaleBackSide() {
        addSquare(20, 30, 0);
        make();
        const QString back = BackSideFileName(pdfAnswer);
        {
            QFile old(back);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("%PDF-1.4 alt");
        }
        form->Activate();
        QTest::mouseClick(form->Button, Qt::LeftButton);
        QVERIFY(messages.isEmpty());
        QVERIFY(QFile::exists(pdfAnswer));
        QVERIFY(!QFile::exists(back));
    }
};

QTEST_MAIN(TestPrintingWorkspace)
#include "tst_printingworkspace.moc"
