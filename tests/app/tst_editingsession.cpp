// Editing as a new user does it in the whole program: a bundled template is applied and its
// texts are edited in the inspector; a document is saved, closed with "Abbruch" and quick
// saved; "Neues Dokument" after a business card.

#include "qmpaths.h"
#include "document/appdocument.h"
#include "fileworkspace/tfrmtabfiler.h"
#include "document/units.h"
#include "editor/tfrmtabeditor.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/ttoolmaster.h"
#include "inspector/ttoolsubformtxt.h"
#include "ui/tfrage.h"
#include "shellfixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

class TestEditingSession : public QObject {
    Q_OBJECT
private slots:
    void editedTemplateTextStaysVisible();
    void quickSaveAfterCancelledCloseWritesTheFile();
    void newDocumentRefitsInFitMode();

private:
    static TfrmMain* applyBusinessCard(ShellFixture& f);
};

namespace {

const char* const BusinessCard = QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk";

TDocElementTXT* findText(const QString& text) {
    for (int i = 0; i < Document->Count(); ++i) {
        if (auto* t = dynamic_cast<TDocElementTXT*>(Document->Element(i)); t && t->Text == text)
            return t;
    }
    return nullptr;
}

// Pixels inside the element's box on the sheet image that are clearly darker than paper.
int inkIn(const TfrmTabEditor* editor, const TDocElement& e) {
    const double z = editor->ZoomFactor;
    const QRect box(QPoint(MmToPixel(z, e.Left), MmToPixel(z, e.Top)),
                    QPoint(MmToPixel(z, e.Left + e.Width) - 1, MmToPixel(z, e.Top + e.Height) - 1));
    int ink = 0;
    const QImage& img = editor->SheetBitmap;
    for (int y = std::max(0, box.top()); y <= std::min(img.height() - 1, box.bottom()); ++y)
        for (int x = std::max(0, box.left()); x <= std::min(img.width() - 1, box.right()); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                ++ink;
    return ink;
}

} // namespace

TfrmMain* TestEditingSession::applyBusinessCard(ShellFixture& f) {
    TfrmMain* w = f.start();
    // What the template workspace's apply does with the entry it previews.
    TAppDocument preview(false);
    preview.LoadFromFile(QString::fromUtf8(BusinessCard));
    Document->CopyFrom(preview);
    Document->UndoList.clear();
    KeepEditorView = false;
    KeepEditorBitmap = false;
    MainLink->Change2Editor();
    MainLink->SelectElement(-1, false);
    return w;
}

void TestEditingSession::editedTemplateTextStaysVisible() {
    ShellFixture f;
    TfrmMain* w = applyBusinessCard(f);
    TfrmTabEditor* editor = w->frmTabEditor;
    auto* inspector = qobject_cast<TToolMaster*>(editor->Inspector);
    QVERIFY(inspector);
    TtoolSubFormTXT* page = inspector->TextPage;

    TDocElementTXT* name = findText(QStringLiteral("Dipl.-Des. Anna Sonnenfeld"));
    QVERIFY(name);
    QVERIFY(!name->MacroText.isEmpty());
    QVERIFY(inkIn(editor, *name) > 20);

    // Click on the text, type another one in the inspector and press Enter.
    const double z = editor->ZoomFactor;
    const QPoint inside(MmToPixel(z, name->Left + 10), MmToPixel(z, name->Top + name->Height / 2));
    QTest::mouseClick(editor->Page, Qt::LeftButton, Qt::NoModifier, inside);
    QCOMPARE(inspector->Reference(), name);
    // The font box shows the element's font, also when the system substitutes it.
    QVERIFY(!page->FontCombo->currentText().isEmpty());
    QVERIFY(page->FontCombo->currentText().startsWith(QStringLiteral("Arial")));
    page->EditTextCont->selectAll();
    QTest::keyClicks(page->EditTextCont, QStringLiteral("Anna Sonnenfeld"));
    QTest::keyClick(page->EditTextCont, Qt::Key_Return);
    QCOMPARE(name->Text, QStringLiteral("Anna Sonnenfeld"));
    QCOMPARE(name->FontName, QStringLiteral("Arial"));
    QCOMPARE(name->FontColor, TColor(1973790)); // the template's dark grey, not white
    QVERIFY2(inkIn(editor, *name) > 20, "the edited text vanished from the sheet");

    // Size 6 -> 8 of the street line by the arrows.
    TDocElementTXT* street = findText(QStringLiteral("Lindenallee 12"));
    QVERIFY(street);
    QTest::mouseClick(editor->Page, Qt::LeftButton, Qt::NoModifier,
                      QPoint(MmToPixel(z, street->Left + 5),
                             MmToPixel(z, street->Top + street->Height / 2)));
    QCOMPARE(inspector->Reference(), street);
    page->SpinFontSize->Step(true);
    page->SpinFontSize->Step(true);
    QCOMPARE(street->FontSize, 80);
    QCOMPARE(street->FontName, QStringLiteral("Arial"));
    QVERIFY2(inkIn(editor, *street) > 10, "the resized text vanished from the sheet");
}

void TestEditingSession::quickSaveAfterCancelledCloseWritesTheFile() {
    ShellFixture f;
    TfrmMain* w = f.start();
    ShowTitleOf(*Document, w);
    const QString path = f.dir.filePath("karte.qmk");
    Document->AddText(QStringLiteral("Erster Stand"));
    Document->SaveToFile(path);
    QCOMPARE(Document->GetFileName(), path);
    MainLink->Change2Editor();

    // A change, then closing the window, answered with "Abbruch".
    Document->AddText(QStringLiteral("Zweiter Stand"));
    Document->Modified = true;
    Frage = new TFrage(w);
    QTimer::singleShot(100, Frage, [] { QTest::mouseClick(Frage->Image1, Qt::LeftButton); });
    QVERIFY(!w->close());
    delete Frage;
    Frage = nullptr;
    QCOMPARE(Document->GetFileName(), path);
    QVERIFY2(w->windowTitle().startsWith(QStringLiteral("karte.qmk")),
             qPrintable(w->windowTitle()));

    // Back on the sheet, the tool bar's save button writes the file under its name.
    MainLink->Change2Editor();
    QTest::mouseClick(w->frmTabEditor->SpeedButtonSave, Qt::LeftButton);
    QCOMPARE(w->ActiveTab(), TfrmMain::TabEditor);
    QVERIFY(!Document->Modified);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("Zweiter Stand"));
}

void TestEditingSession::newDocumentRefitsInFitMode() {
    ShellFixture f;
    TfrmMain* w = applyBusinessCard(f);
    TfrmTabEditor* editor = w->frmTabEditor;
    QCOMPARE(editor->ZoomComboBox->currentText(), QStringLiteral("Ganzes Blatt"));
    const double cardZoom = editor->ZoomFactor;
    Document->Modified = false;
    QTest::mouseClick(editor->SpeedButtonNew, Qt::LeftButton);
    QCOMPARE(Document->PageHeight, 297.0);
    QVERIFY(editor->ZoomFactor < cardZoom);
    // The whole A4 sheet fits the view: no scroll bars.
    QCoreApplication::processEvents();
    QVERIFY(editor->Page->height() <= editor->ScrollBox->viewport()->height());
    QVERIFY(editor->Page->width() <= editor->ScrollBox->viewport()->width());
    QVERIFY(!editor->ScrollBox->verticalScrollBar()->isVisible());
}

QTEST_MAIN(TestEditingSession)
#include "tst_editingsession.moc"
