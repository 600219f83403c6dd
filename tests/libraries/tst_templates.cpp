// The template workspace: libraries from the catalogue lists, the tree, the preview and
// applying a template to the document.
#include "fakemainlink.h"
#include "libraries/tfrmtabtemplates.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void withoutLibrariesEverythingStaysEmpty();
    void libraryFillsTheTreeAndPreviewsTheFirstEntry();
    void headingDisablesTheButton();
    void resizingRefitsThePreview();
    void applyAsksWhenModifiedAndDecliningKeepsTheDocument();
    void applyCopiesTheTemplate();
    void missingListFileIsReportedAndTheWorkspaceGoesOn();
    void unreadableTemplateIsReportedAndNotApplied();
    void anotherLibraryShowsNoPreviewUntilAnEntryIsChosen();

private:
    void writeText(const QString& name, const QByteArray& text);
    void makeTemplate(const QString& name, double width, int elements);
    void selectEntry(TfrmTabTemplates& w, const QString& name);
    std::unique_ptr<TfrmTabTemplates> makeWorkspace(const QString& bib);

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMainLink m_main;
    QStringList m_errors;
};

void TestTemplates::init() {
    ResetGlobals();
    m_dir = std::make_unique<QTemporaryDir>();
    TemplateDir = m_dir->path() + "/";
    m_main = FakeMainLink();
    MainLink = &m_main;
    m_errors.clear();
    TLibraryWorkspace::ErrorHook = [this](const QString& m) { m_errors << m; };
    writeText("karten.lst", "Visitenkarten\r\n#blau:Blaue Karte\r\n#rot:Rote Karte\r\n"
                            "Leere Gruppe\r\n");
    makeTemplate("blau", 85, 2);
    makeTemplate("rot", 90, 1);
}

void TestTemplates::cleanup() {
    TLibraryWorkspace::ErrorHook = nullptr;
    MainLink = nullptr;
}

void TestTemplates::writeText(const QString& name, const QByteArray& text) {
    QFile f(m_dir->filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void TestTemplates::makeTemplate(const QString& name, double width, int elements) {
    QDir(m_dir->path()).mkpath("Karten");
    TAppDocument doc(false);
    doc.PageWidth = width;
    doc.PageHeight = 55;
    for (int i = 0; i < elements; ++i) {
        TDocElementTXT* t = doc.AddText(QStringLiteral("Zeile %1").arg(i));
        t->MacroText = QStringLiteral("<firma1>");
    }
    doc.SaveToFile(m_dir->filePath("Karten/" + name + ".qmk"));
}

std::unique_ptr<TfrmTabTemplates> TestTemplates::makeWorkspace(const QString& bib) {
    auto w = std::make_unique<TfrmTabTemplates>();
    w->resize(640, 400);
    w->Titles = QStringList{"Karten"};
    w->Bibs = QStringList{bib};
    w->Dirs = QStringList{"Karten"};
    w->Types = QStringList{"QMK"};
    w->LibraryCount = 1;
    w->LibrariesRead();
    return w;
}

void TestTemplates::selectEntry(TfrmTabTemplates& w, const QString& name) {
    const auto items = w.TreeView->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive);
    for (QTreeWidgetItem* item : items) {
        if (item->data(0, Qt::UserRole).toString() == name) {
            w.TreeView->setCurrentItem(item);
            return;
        }
    }
    QFAIL(qPrintable("entry not found: " + name));
}

void TestTemplates::withoutLibrariesEverythingStaysEmpty() {
    TfrmTabTemplates w;
    w.LibrariesRead();
    QCOMPARE(w.LibraryComboBox->count(), 0);
    QCOMPARE(w.TreeView->topLevelItemCount(), 0);
    QVERIFY(!w.Button->isEnabled());
    w.ButtonClick();
    QCOMPARE(m_main.EditorCalls, 0);
}

void TestTemplates::libraryFillsTheTreeAndPreviewsTheFirstEntry() {
    auto w = makeWorkspace("karten.lst");
    QCOMPARE(w->LibraryComboBox->count(), 1);
    QCOMPARE(w->TreeView->topLevelItemCount(), 2);
    QCOMPARE(w->TreeView->topLevelItem(0)->childCount(), 2);
    // The first node is a heading: nothing to apply yet.
    QVERIFY(!w->Button->isEnabled());
    selectEntry(*w, "rot");
    QVERIFY(w->Button->isEnabled());
    QCOMPARE(w->PreviewDocument()->PageWidth, 90.0);
    QCOMPARE(w->PreviewDocument()->Count(), 1);
    selectEntry(*w, "blau");
    QCOMPARE(w->PreviewDocument()->PageWidth, 85.0);
    QCOMPARE(w->PreviewDocument()->Count(), 2);
    // The preview shows the sheet: something other than white was drawn.
    const QImage& img = w->PreviewBitmap();
    QVERIFY(!img.isNull());
    bool drawn = false;
    for (int y = 0; y < img.height() && !drawn; ++y)
        for (int x = 0; x < img.width() && !drawn; ++x)
            drawn = img.pixel(x, y) != qRgb(255, 255, 255) &&
                    img.pixel(x, y) != qRgb(190, 190, 190); // not the sheet's outline
    QVERIFY(drawn);
    QVERIFY(m_errors.isEmpty());
}

void TestTemplates::headingDisablesTheButton() {
    auto w = makeWorkspace("karten.lst");
    selectEntry(*w, "blau");
    QVERIFY(w->Button->isEnabled());
    w->TreeView->setCurrentItem(w->TreeView->topLevelItem(1));
    QVERIFY(!w->Button->isEnabled());
}

void TestTemplates::resizingRefitsThePreview() {
    auto w = makeWorkspace("karten.lst");
    selectEntry(*w, "blau");
    w->show();
    w->resize(800, 500);
    const QRect box = w->PreviewBox->geometry();
    QCOMPARE(box.width(), 800 - box.left() - 15);
    QCOMPARE(box.height(), 500 - box.top() - 15);
    QCOMPARE(w->ShadowShape->geometry(), box.translated(5, 5));
    QCOMPARE(w->PreviewBitmap().size(), box.size());
    // Never smaller than 22 pixels, however small the workspace.
    w->resize(50, 30);
    QCOMPARE(w->PreviewBox->width(), 22);
    QCOMPARE(w->PreviewBox->height(), 22);
    QCOMPARE(w->PreviewBitmap().size(), QSize(22, 22));
}

void TestTemplates::applyAsksWhenModifiedAndDecliningKeepsTheDocument() {
    auto w = makeWorkspace("karten.lst");
    selectEntry(*w, "blau");
    Document->AddText("meins");
    QVERIFY(Document->Modified);
    m_main.Answer = false;
    w->ButtonClick();
    QCOMPARE(m_main.Questions.size(), 1);
    QVERIFY(m_main.Questions[0].contains("Nicht gespeicherte Änderungen verwerfen?"));
    QCOMPARE(Document->Count(), 1);
    QCOMPARE(static_cast<TDocElementTXT*>(Document->Element(0))->Text, QStringLiteral("meins"));
    QCOMPARE(Document->PageWidth, 210.0);
    QCOMPARE(m_main.EditorCalls, 0);
    QVERIFY(KeepEditorView);
}

void TestTemplates::applyCopiesTheTemplate() {
    auto w = makeWorkspace("karten.lst");
    selectEntry(*w, "blau");
    Document->InsertUndo("-0");
    w->ButtonClick();
    QVERIFY(m_main.Questions.isEmpty()); // nothing to lose, nothing asked
    QCOMPARE(Document->PageWidth, 85.0);
    QCOMPARE(Document->Count(), 2);
    QVERIFY(Document->Modified);
    QVERIFY(Document->GetFileName().isEmpty());
    QCOMPARE(static_cast<TDocElementTXT*>(Document->Element(1))->MacroText,
             QStringLiteral("<firma1>"));
    // The elements are copies, not the preview's own.
    QVERIFY(Document->Element(0) != w->PreviewDocument()->Element(0));
    QVERIFY(Document->UndoList.isEmpty());
    QVERIFY(!KeepEditorView);
    QVERIFY(!KeepEditorBitmap);
    QCOMPARE(m_main.EditorCalls, 1);
    QCOMPARE(m_main.Selected, QList<int>{-1});

    // Applying again now asks, since the copy counts as a change.
    selectEntry(*w, "rot");
    m_main.Answer = true;
    w->ButtonClick();
    QCOMPARE(m_main.Questions.size(), 1);
    QCOMPARE(Document->PageWidth, 90.0);
    QCOMPARE(Document->Count(), 1);
}

void TestTemplates::missingListFileIsReportedAndTheWorkspaceGoesOn() {
    auto w = makeWorkspace("fehlt.lst");
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors[0].contains("fehlt.lst"));
    QCOMPARE(w->TreeView->topLevelItemCount(), 0);
    QVERIFY(!w->Button->isEnabled());
}

void TestTemplates::unreadableTemplateIsReportedAndNotApplied() {
    writeText("kaputt.lst", "#weg:Gibt es nicht\r\n#blau:Blau\r\n");
    // A template named in the list whose file is a folder cannot be read.
    QDir(m_dir->path()).mkpath("Karten/weg.qmk");
    auto w = makeWorkspace("kaputt.lst"); // previews the first entry, which fails
    QCOMPARE(m_errors.size(), 1);
    selectEntry(*w, "blau");
    QVERIFY(w->Button->isEnabled());
    selectEntry(*w, "weg");
    QCOMPARE(m_errors.size(), 2);
    QVERIFY(m_errors[1].contains("weg.qmk"));
    QVERIFY(!w->Button->isEnabled());
    w->ButtonClick();
    QCOMPARE(Document->Count(), 0);
    QCOMPARE(m_main.EditorCalls, 0);
}

void TestTemplates::anotherLibraryShowsNoPreviewUntilAnEntryIsChosen() {
    writeText("andere.lst", "Andere\r\n#rot:Rote Karte\r\n");
    auto w = makeWorkspace("karten.lst");
    w->Titles << "Andere";
    w->Bibs << "andere.lst";
    w->Dirs << "Karten";
    w->Types << "QMK";
    w->LibraryCount = 2;
    w->LibrariesRead();
    selectEntry(*w, "blau");
    QCOMPARE(w->PreviewDocument()->Count(), 2);
    // The other library starts at its heading: the blue card was still shown.
    w->LibraryComboBox->setCurrentIndex(1);
    w->LibraryComboBoxClick();
    QCOMPARE(w->PreviewDocument()->Count(), 0);
    QVERIFY(!w->Button->isEnabled());
    selectEntry(*w, "rot");
    QCOMPARE(w->PreviewDocument()->Count(), 1);
    // Back on a heading: nothing again.
    w->TreeView->setCurrentItem(w->TreeView->topLevelItem(0));
    QCOMPARE(w->PreviewDocument()->Count(), 0);
}

QTEST_MAIN(TestTemplates)
#include "tst_templates.moc"
