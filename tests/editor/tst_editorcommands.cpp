// The tool-bar commands and the undo list, driven through the editor's buttons and keys.

#include "qmpaths.h"
#include "editor/undokeys.h"
#include "editorfixture.h"
#include "metafile/emfpaintdevice.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

namespace {

// Records what the editor asks of the main window.
struct TRecordingMainLink : TMainLink {
    void SelectElement(int index, bool insertion) override {
        Document->SelectedIndex = index;
        const bool valid = index >= 0 && index < Document->Count();
        ActiveEditor->PageProcessSimpleHit(valid ? Document->Element(index) : nullptr, 0, 0,
                                           valid && insertion);
        ++selects;
    }
    void Change2Save() override { ++saves; }
    bool AskFrage(const QString&, const QString&) override { return true; }
    int selects = 0;
    int saves = 0;
};

QStringList stackTexts() {
    QStringList texts;
    for (int i = 0; i < Document->Count(); ++i)
        texts << static_cast<TDocElementTXT*>(Document->Element(i))->Text;
    return texts;
}

// Four named texts, A on top.
void addFour(TEditorFixture& f) {
    for (const char* name : {"D", "C", "B", "A"}) {
        auto* e = f.addText(10, 10, 20, 10);
        e->Text = QString::fromLatin1(name);
    }
}

void clickButton(QToolButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

TMetafile recordedPicture(QSize size) {
    TMetafile picture;
    {
        TEmfPaintDevice device(picture, size);
        QPainter p(&device);
        p.fillRect(QRect(QPoint(0, 0), size), Qt::red);
    }
    return picture;
}

} // namespace

class TestEditorCommands : public QObject {
    Q_OBJECT
private slots:
    void onlyTheLastTenOfElevenActionsAreUndone();
    void stackingMovesDoNothingAtTheEnds();
    void oneLevelMoveSwapsWithNeighbourOfOtherSide();
    void undoOfFullDownRestoresOrderOfAllFour();
    void everyStackingMoveIsUndone();
    void eraseRecordsCopyAndUndoReinsertsIt();
    void cutThenTwoPastesGiveIndependentCarriedElements();
    void pasteOnBackSidePutsCopyOnBackSide();
    void copyOfTextLeavesSystemClipboardUnchanged();
    void copyOfPictureOffersEmfAndPng();
    void copyOfWmfPictureOffersRecordedEmf();
    void undoOfModifiedTextPutsFormerStateBack();
    void copiesOfAPathListPictureKeepKindAndList();
    void geometryEntryWithSizeZeroOrBelowIsReplayed();
    void undoEntriesThatNoLongerFitTouchNothing();
    void newDocumentClearsUndoNotesAndRefitsSheet();
    void quickSaveWritesOrOpensSavePage();
    void quickSaveFailureIsReported();
    void sideSwitchClearsSelection();
    void textBlockButtonFillsPlaceholders();
    void keysWorkLikeTheButtons();
    void undoKeysRoundTrip();
    void malformedUndoKeysAreInvalid();
};

void TestEditorCommands::onlyTheLastTenOfElevenActionsAreUndone() {
    TEditorFixture f;
    QCOMPARE(Document->UndoLimit, 10);
    QVERIFY(!f.editor->SpeedButtonReturn->isEnabled());
    for (int i = 0; i < 11; ++i)
        clickButton(f.editor->SpeedButtonText);
    QCOMPARE(Document->Count(), 11);
    QCOMPARE(Document->UndoList.size(), 10);
    for (int i = 0; i < 10; ++i) {
        QVERIFY(f.editor->SpeedButtonReturn->isEnabled());
        clickButton(f.editor->SpeedButtonReturn);
    }
    QCOMPARE(Document->Count(), 1);
    QCOMPARE(Document->UndoList.size(), 0);
    QVERIFY(!f.editor->SpeedButtonReturn->isEnabled());
    clickButton(f.editor->SpeedButtonReturn); // disabled: nothing happens
    QCOMPARE(Document->Count(), 1);
}

void TestEditorCommands::stackingMovesDoNothingAtTheEnds() {
    TEditorFixture f;
    addFour(f);
    TRecordingMainLink link;
    MainLink = &link;
    link.SelectElement(0, false);
    clickButton(f.editor->SpeedButtonFullUp);
    clickButton(f.editor->SpeedButton1Up);
    link.SelectElement(3, false);
    clickButton(f.editor->SpeedButtonFullDown);
    clickButton(f.editor->SpeedButton1Down);
    // Without a selection the moves do nothing either.
    link.SelectElement(-1, false);
    clickButton(f.editor->SpeedButtonFullDown);
    clickButton(f.editor->SpeedButtonFullUp);
    MainLink = nullptr;
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    QCOMPARE(Document->UndoList.size(), 0);
}

void TestEditorCommands::oneLevelMoveSwapsWithNeighbourOfOtherSide() {
    TEditorFixture f;
    addFour(f);
    Document->Element(1)->Side = 1; // B lies on the back
    f.editor->SelectElement(0, false);
    clickButton(f.editor->SpeedButton1Down);
    QCOMPARE(stackTexts(), QStringList({"B", "A", "C", "D"}));
    QCOMPARE(Document->SelectedIndex, 1);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("~0#1"));
    clickButton(f.editor->SpeedButton1Down);
    QCOMPARE(stackTexts(), QStringList({"B", "C", "A", "D"}));
    QCOMPARE(Document->SelectedIndex, 2);
}

void TestEditorCommands::undoOfFullDownRestoresOrderOfAllFour() {
    TEditorFixture f;
    addFour(f);
    f.editor->SelectElement(0, false);
    clickButton(f.editor->SpeedButtonFullDown);
    QCOMPARE(stackTexts(), QStringList({"B", "C", "D", "A"}));
    QCOMPARE(Document->SelectedIndex, 3);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("~0#3"));
    QVERIFY(!Document->Modified);
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    QCOMPARE(Document->SelectedIndex, -1);
    QCOMPARE(f.editor->SelectedElement, nullptr);
}

void TestEditorCommands::everyStackingMoveIsUndone() {
    TEditorFixture f;
    addFour(f);
    f.editor->SelectElement(2, false); // C
    clickButton(f.editor->SpeedButton1Up);
    QCOMPARE(stackTexts(), QStringList({"A", "C", "B", "D"}));
    clickButton(f.editor->SpeedButtonFullUp);
    QCOMPARE(stackTexts(), QStringList({"C", "A", "B", "D"}));
    clickButton(f.editor->SpeedButton1Down);
    QCOMPARE(stackTexts(), QStringList({"A", "C", "B", "D"}));
    QCOMPARE(Document->UndoList.size(), 3);
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"C", "A", "B", "D"}));
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "C", "B", "D"}));
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
}

void TestEditorCommands::eraseRecordsCopyAndUndoReinsertsIt() {
    TEditorFixture f;
    addFour(f);
    Document->Element(1)->Left = 42;
    f.editor->SelectElement(1, false);
    clickButton(f.editor->SpeedButtonErase);
    QCOMPARE(stackTexts(), QStringList({"A", "C", "D"}));
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("+1"));
    QVERIFY(Document->UndoList.first().Object);
    QVERIFY(!f.editor->SpeedButtonErase->isEnabled());
    QVERIFY(!Document->Modified);
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    QCOMPARE(Document->Element(1)->Left, 42.0);
}

void TestEditorCommands::cutThenTwoPastesGiveIndependentCarriedElements() {
    TEditorFixture f;
    addFour(f);
    Document->Element(2)->Left = 50; // C
    f.editor->SelectElement(2, false);
    clickButton(f.editor->SpeedButtonCut);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "D"}));
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("+2"));
    QVERIFY(f.editor->SpeedButtonPaste->isEnabled());

    clickButton(f.editor->SpeedButtonPaste);
    TDocElement* first = Document->Element(0);
    QVERIFY(f.editor->InsertPending);
    QCOMPARE(f.editor->SelectedElement, first);
    f.click(f.px(20, 20)); // drop it
    clickButton(f.editor->SpeedButtonPaste);
    TDocElement* second = Document->Element(0);
    QVERIFY(second != first);
    QVERIFY(f.editor->InsertPending);
    QCOMPARE(f.editor->SelectedElement, second);
    QCOMPARE(stackTexts(), QStringList({"C", "C", "A", "B", "D"}));
    // The copy lies at the origin and each paste is a separate object.
    QCOMPARE(second->Left, 0.0);
    second->Width = 99;
    QVERIFY(first->Width != 99);
    QCOMPARE(Document->UndoList.at(0).Key, QStringLiteral("-0"));
    QCOMPARE(Document->UndoList.at(1).Key, QStringLiteral("-0"));
    QCOMPARE(Document->UndoList.at(2).Key, QStringLiteral("+2"));

    for (int i = 0; i < 3; ++i)
        clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    QCOMPARE(Document->Element(2)->Left, 50.0);
}

void TestEditorCommands::pasteOnBackSidePutsCopyOnBackSide() {
    TEditorFixture f;
    f.addText(10, 10, 20, 10, 0);
    f.editor->SelectElement(0, false);
    clickButton(f.editor->SpeedButtonCopy);
    f.editor->TabSetSeiten->setCurrentIndex(1);
    clickButton(f.editor->SpeedButtonPaste);
    QCOMPARE(Document->Count(), 2);
    QCOMPARE(Document->Element(0)->Side, 1);
    QCOMPARE(Document->Element(1)->Side, 0);
}

void TestEditorCommands::copyOfTextLeavesSystemClipboardUnchanged() {
    TEditorFixture f;
    QGuiApplication::clipboard()->setText(QStringLiteral("schon da"));
    f.addText(10, 10, 20, 10);
    f.editor->SelectElement(0, false);
    QVERIFY(!f.editor->SpeedButtonPaste->isEnabled());
    clickButton(f.editor->SpeedButtonCopy);
    QVERIFY(f.editor->SpeedButtonPaste->isEnabled());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("schon da"));
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/x-emf")));
}

void TestEditorCommands::copyOfPictureOffersEmfAndPng() {
    TEditorFixture f;
    const TMetafile picture = recordedPicture(QSize(40, 20));
    Document->AddGraphic(picture, 0, nullptr, CurrentSide);
    Document->Element(0)->Left = 30;
    f.editor->SelectElement(0, false);
    clickButton(f.editor->SpeedButtonCopy);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->data(QStringLiteral("image/x-emf")), picture.Bytes());
    QImage png;
    QVERIFY(png.loadFromData(data->data(QStringLiteral("image/png")), "PNG"));
    QCOMPARE(png.size(), QSize(40, 20));
    QCOMPARE(QColor(png.pixel(20, 10)), QColor(Qt::red));
    // The private copy lies at the origin.
    QCOMPARE(f.editor->ClipboardElement->Left, 0.0);
    QCOMPARE(Document->Element(0)->Left, 30.0);
}

void TestEditorCommands::copyOfWmfPictureOffersRecordedEmf() {
    const QString path = QStringLiteral(QM_CORPUS_DIR "/wmf/libwmf-arrow01.wmf");
    if (!QFile::exists(path))
        QSKIP("corpus folder not present");
    TMetafile wmf;
    wmf.LoadFromFile(path);
    QVERIFY(!wmf.Enhanced() || wmf.GetForm() != TMetafile::Form::Emf);
    std::unique_ptr<QMimeData> data(TfrmTabEditor::PictureMimeData(wmf));
    QVERIFY(data);
    const QByteArray emf = data->data(QStringLiteral("image/x-emf"));
    // An EMF starts with its header record (type 1) and carries " EMF" at offset 40.
    QVERIFY(emf.size() > 88);
    QCOMPARE(emf.at(0), char(1));
    QCOMPARE(emf.mid(40, 4), QByteArray(" EMF"));
    TMetafile back;
    QVERIFY(back.LoadFromBytes(emf));
    QCOMPARE(back.GetForm(), TMetafile::Form::Emf);
    QVERIFY(data->hasFormat(QStringLiteral("image/png")));
}

void TestEditorCommands::undoOfModifiedTextPutsFormerStateBack() {
    TEditorFixture f;
    addFour(f);
    f.editor->SelectElement(1, false);
    // What the inspector does before it changes a text element.
    Document->PushUndo();
    static_cast<TDocElementTXT*>(Document->Element(1))->Text = QStringLiteral("neu");
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("1"));
    f.editor->PagePaint();
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    QCOMPARE(Document->Count(), 4);
}

void TestEditorCommands::copiesOfAPathListPictureKeepKindAndList() {
    TEditorFixture f;
    const QStringList list = {"s", "M0x0y", "L10x0y", "L10x10y", "S"};
    TMetafile picture;
    TAppDocument::RenderPathList(picture, list);
    Document->AddGraphic(picture, 2, &list, CurrentSide);
    f.editor->SelectElement(0, false);

    // Copy and paste: the copy was a plain metafile (kind 0) without its list.
    clickButton(f.editor->SpeedButtonCopy);
    clickButton(f.editor->SpeedButtonPaste);
    f.click(QPoint(40, 40));
    QCOMPARE(Document->Count(), 2);
    auto* pasted = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(pasted);
    QCOMPARE(int(pasted->SourceKind), 2);
    QCOMPARE(pasted->PathList, list);

    // Erased and brought back by undo.
    f.editor->SelectElement(0, false);
    clickButton(f.editor->SpeedButtonErase);
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(Document->Count(), 2);
    auto* restored = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(restored);
    QCOMPARE(int(restored->SourceKind), 2);
    QCOMPARE(restored->PathList, list);

    // The list reaches the saved file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kopie.qmk"));
    Document->SaveToFile(path);
    TAppDocument loaded(false);
    loaded.LoadFromFile(path);
    QCOMPARE(loaded.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        auto* g = dynamic_cast<TDocElementWMF*>(loaded.Element(i));
        QVERIFY(g);
        QCOMPARE(int(g->SourceKind), 2);
        QCOMPARE(g->PathList, list);
    }
}

void TestEditorCommands::geometryEntryWithSizeZeroOrBelowIsReplayed() {
    TEditorFixture f;
    addFour(f);
    // The inspector stores sizes as typed; its entry brings back exactly what was there.
    Document->InsertUndo(GeometryUndoKey(1, 5, 6, 0, -2.5));
    f.editor->PagePaint();
    clickButton(f.editor->SpeedButtonReturn);
    const TDocElement* e = Document->Element(1);
    QCOMPARE(e->Left, 5.0);
    QCOMPARE(e->Top, 6.0);
    QCOMPARE(e->Width, 0.0);
    QCOMPARE(e->Height, -2.5);
    QVERIFY(Document->UndoList.isEmpty());
}

void TestEditorCommands::undoEntriesThatNoLongerFitTouchNothing() {
    TEditorFixture f;
    addFour(f);
    const auto before = [] {
        QList<double> g;
        for (int i = 0; i < Document->Count(); ++i)
            g << Document->Element(i)->Left << Document->Element(i)->Width;
        return g;
    }();
    // Entries left from a stack that was replaced since, and garbage.
    for (const QString& key :
         {QStringLiteral(">7l1t2w3h4#"), QStringLiteral("-9"), QStringLiteral("~8#2"),
          QStringLiteral("~1#12"), QStringLiteral("12"), QStringLiteral(">x"),
          QStringLiteral("?")}) {
        Document->InsertUndo(key);
        f.editor->PagePaint();
        clickButton(f.editor->SpeedButtonReturn);
        QVERIFY2(Document->UndoList.isEmpty(), qPrintable(key));
        QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    }
    QList<double> after;
    for (int i = 0; i < Document->Count(); ++i)
        after << Document->Element(i)->Left << Document->Element(i)->Width;
    QCOMPARE(after, before);

    // A removal entry beyond the end belongs to another stack: nothing comes back.
    Document->InsertUndo(QStringLiteral("+9"),
                         std::shared_ptr<TDocElement>(Document->Element(0)->Clone()));
    f.editor->PagePaint();
    clickButton(f.editor->SpeedButtonReturn);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    QVERIFY(Document->UndoList.isEmpty());
}

void TestEditorCommands::newDocumentClearsUndoNotesAndRefitsSheet() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    Document->PageWidth = 85;
    Document->PageHeight = 55;
    f.editor->AdjustPage();
    QCOMPARE(f.editor->Page->width(), 319);
    Document->Notes = QStringLiteral("Notiz");
    clickButton(f.editor->SpeedButtonText);
    f.click(QPoint(10, 10));
    QVERIFY(Document->Modified);

    // Refused: nothing changes.
    AskQuestionHook = [](const QString&, const QString&) { return false; };
    clickButton(f.editor->SpeedButtonNew);
    QCOMPARE(Document->Count(), 1);
    QCOMPARE(Document->Notes, QStringLiteral("Notiz"));

    AskQuestionHook = [](const QString&, const QString&) { return true; };
    clickButton(f.editor->SpeedButtonNew);
    QCOMPARE(Document->Count(), 0);
    QVERIFY(Document->UndoList.isEmpty());
    QVERIFY(Document->Notes.isEmpty());
    QCOMPARE(f.editor->SelectedElement, nullptr);
    QCOMPARE(f.editor->Page->size(), QSize(788, 1114));
    AskQuestionHook = nullptr;
}

void TestEditorCommands::quickSaveWritesOrOpensSavePage() {
    TEditorFixture f;
    TRecordingMainLink link;
    MainLink = &link;
    clickButton(f.editor->SpeedButtonSave);
    QCOMPARE(link.saves, 1);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("brief.qmk"));
    Document->FileName = name;
    f.addText(10, 10, 20, 10);
    Document->Modified = true;
    clickButton(f.editor->SpeedButtonSave);
    MainLink = nullptr;
    QCOMPARE(link.saves, 1);
    QVERIFY(QFile::exists(name));
    QVERIFY(!Document->Modified);
    QVERIFY(f.errors.isEmpty());
}

void TestEditorCommands::quickSaveFailureIsReported() {
    TEditorFixture f;
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("fehlt/brief.qmk"));
    Document->FileName = name;
    f.addText(10, 10, 20, 10);
    clickButton(f.editor->SpeedButtonSave);
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(QStringLiteral("brief.qmk")), qPrintable(f.errors.first()));
    QCOMPARE(Document->Count(), 1);
}

void TestEditorCommands::sideSwitchClearsSelection() {
    TEditorFixture f;
    f.addText(10, 10, 20, 10);
    f.editor->SelectElement(0, false);
    QVERIFY(f.editor->SelectedElement);
    f.editor->TabSetSeiten->setCurrentIndex(1);
    QCOMPARE(CurrentSide, 1);
    QCOMPARE(f.editor->SelectedElement, nullptr);
    QCOMPARE(Document->SelectedIndex, -1);
    clickButton(f.editor->SpeedButtonText);
    QCOMPARE(Document->Element(0)->Side, 1);
    f.editor->TabSetSeiten->setCurrentIndex(0);
    QCOMPARE(CurrentSide, 0);
}

void TestEditorCommands::textBlockButtonFillsPlaceholders() {
    TEditorFixture f;
    auto* e = f.addText(10, 10, 20, 10);
    e->MacroText = QStringLiteral("Gruß <t1>");
    TextBlocks[1] = QStringLiteral("Anna");
    f.editor->SelectElement(0, false);
    clickButton(f.editor->SpeedButtonArange);
    QCOMPARE(e->Text, QStringLiteral("Gruß Anna"));
    QCOMPARE(f.editor->SelectedElement, nullptr);
}

void TestEditorCommands::keysWorkLikeTheButtons() {
    TEditorFixture f;
    addFour(f);
    f.click(f.px(15, 15));
    QCOMPARE(Document->SelectedIndex, 0);
    QTest::keyClick(f.editor->Page, Qt::Key_Delete);
    QCOMPARE(stackTexts(), QStringList({"B", "C", "D"}));
    QTest::keyClick(f.editor->Page, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(stackTexts(), QStringList({"A", "B", "C", "D"}));
    // Without a selection Delete does nothing.
    QTest::keyClick(f.editor->Page, Qt::Key_Delete);
    QCOMPARE(Document->Count(), 4);
}

void TestEditorCommands::undoKeysRoundTrip() {
    for (const char* name : {"C", "de_DE", "en_US"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        const QString key = GeometryUndoKey(3, 12.5, -0.25, 1234.125, 1e-7);
        const TUndoKey k = ParseUndoKey(key);
        QCOMPARE(k.kind, TUndoKey::Geometry);
        QCOMPARE(k.index, 3);
        QCOMPARE(k.left, 12.5);
        QCOMPARE(k.top, -0.25);
        QCOMPARE(k.width, 1234.125);
        QCOMPARE(k.height, 1e-7);
    }
    // Written under a German locale, read back under it (comma as decimal separator).
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    QCOMPARE(GeometryUndoKey(0, 1.5, 2, 3, 4), QStringLiteral(">0l1,5t2w3h4#"));
    QLocale::setDefault(QLocale::c());
    // A key written with a full stop is understood under any locale.
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    QCOMPARE(ParseUndoKey(QStringLiteral(">2l1.5t2w3h4#")).left, 1.5);
    QLocale::setDefault(QLocale::c());

    QCOMPARE(ParseUndoKey(QStringLiteral("+3")).kind, TUndoKey::Removed);
    QCOMPARE(ParseUndoKey(QStringLiteral("-0")).kind, TUndoKey::Inserted);
    const TUndoKey moved = ParseUndoKey(MovedUndoKey(4, 0));
    QCOMPARE(moved.kind, TUndoKey::Moved);
    QCOMPARE(moved.index, 4);
    QCOMPARE(moved.target, 0);
    QCOMPARE(ParseUndoKey(QStringLiteral("17")).index, 17);
}

void TestEditorCommands::malformedUndoKeysAreInvalid() {
    for (const QString& key :
         {QString(), QStringLiteral("+"), QStringLiteral("+-1"), QStringLiteral("- 1"),
          QStringLiteral("~1"), QStringLiteral("~#2"), QStringLiteral("~1#"),
          QStringLiteral(">1l2t3w4h5"), QStringLiteral(">l2t3w4h5#"), QStringLiteral(">1l2t3w4h#"),
          QStringLiteral(">1lxt3w4h5#"), QStringLiteral(">1l2t3w4h5#x"), QStringLiteral("1a"),
          QStringLiteral("99999999999")})
        QVERIFY2(ParseUndoKey(key).kind == TUndoKey::Invalid, qPrintable(key));
}

QTEST_MAIN(TestEditorCommands)
#include "tst_editorcommands.moc"
