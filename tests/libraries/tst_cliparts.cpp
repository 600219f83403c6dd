// The clipart workspace: previews of path lists, metafiles and bitmaps, and adding the
// chosen picture to the sheet.
#include "fakemainlink.h"
#include "libraries/tfrmtabcliparts.h"
#include "document/librarylist.h"
#include "metafile/tmetafilecanvas.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class TestCliparts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pathListTakesItsSizeFromTheFirstLine();
    void badSizeLineNamesTheFile();
    void previewFitsKeepingTheAspect();
    void applyingAPathListAddsKindTwoOnTop();
    void applyingOnTheBackSide();
    void applyingAMetafileAndABitmap();
    void headingWithoutColonCannotBeApplied();
    void missingFileLeavesTheButtonDisabled();

private:
    void write(const QString& name, const QByteArray& bytes);
    std::unique_ptr<TfrmTabCliparts> makeWorkspace(int library);
    void select(TfrmTabCliparts& w, const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeMainLink m_main;
    QStringList m_errors;
};

static const QByteArray kTriangle = "G2100b1480h\r\nk255r0g0b\r\nM0x0y\r\nL2100x0y\r\n"
                                    "L1050x1480y\r\nB\r\n";

void TestCliparts::init() {
    ResetGlobals();
    m_dir = std::make_unique<QTemporaryDir>();
    ClipartDir = m_dir->path() + "/";
    m_main = FakeMainLink();
    MainLink = &m_main;
    m_errors.clear();
    TLibraryWorkspace::ErrorHook = [this](const QString& m) { m_errors << m; };
    QDir(m_dir->path()).mkpath("Pfade");
    QDir(m_dir->path()).mkpath("Meta");
    QDir(m_dir->path()).mkpath("Bilder");
    write("pfade.lst", "Formen\r\n#dreieck:Dreieck\r\n#kaputt:Kaputt\r\n#fehlt:Fehlt\r\n"
                       "Ohne Doppelpunkt\r\n");
    write("Pfade/dreieck.qmg", kTriangle);
    write("Pfade/kaputt.qmg", "Gbreitebhoch\r\nM0x0y\r\n");
    write("meta.lst", "#bild:Bild\r\n");
    write("bilder.lst", "#foto:Foto\r\n");

    TMetafile mf;
    mf.SetMMWidth(4000);
    mf.SetMMHeight(1000);
    {
        TMetafileCanvas canvas(mf);
        canvas.SetMapMode(TMetafileCanvas::MM_HIMETRIC);
        canvas.SetBrush(TMetafileCanvas::BS_SOLID, 0x0000FF);
        canvas.Rectangle(0, 0, 4000, -1000);
    }
    mf.SaveToFile(m_dir->filePath("Meta/bild.wmf"));
    QImage img(30, 20, QImage::Format_RGB888);
    img.fill(Qt::green);
    QVERIFY(img.save(m_dir->filePath("Bilder/foto.bmp"), "BMP"));
}

void TestCliparts::cleanup() {
    TLibraryWorkspace::ErrorHook = nullptr;
    MainLink = nullptr;
}

void TestCliparts::write(const QString& name, const QByteArray& bytes) {
    QFile f(m_dir->filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::unique_ptr<TfrmTabCliparts> TestCliparts::makeWorkspace(int library) {
    auto w = std::make_unique<TfrmTabCliparts>();
    w->resize(500, 400);
    w->Titles = QStringList{"Pfade", "Meta", "Bilder"};
    w->Bibs = QStringList{"pfade.lst", "meta.lst", "bilder.lst"};
    w->Dirs = QStringList{"Pfade", "Meta", "Bilder"};
    w->Types = QStringList{"qmg", "WMF", "bmp"};
    w->LibraryCount = 3;
    w->LibrariesRead();
    w->LibraryComboBox->setCurrentIndex(library);
    w->LibraryComboBoxClick();
    return w;
}

void TestCliparts::select(TfrmTabCliparts& w, const QString& name) {
    for (QTreeWidgetItem* item :
         w.TreeView->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive)) {
        if (item->data(0, Qt::UserRole).toString() == name) {
            w.TreeView->setCurrentItem(item);
            return;
        }
    }
    QFAIL(qPrintable("entry not found: " + name));
}

void TestCliparts::pathListTakesItsSizeFromTheFirstLine() {
    QStringList lines;
    TMetafile mf;
    LoadPathList(m_dir->filePath("Pfade/dreieck.qmg"), lines, mf);
    QCOMPARE(mf.MMWidth(), 2100);
    QCOMPARE(mf.MMHeight(), 1480);
    QCOMPARE(lines.size(), 6);
    QVERIFY(!mf.Empty());
}

void TestCliparts::badSizeLineNamesTheFile() {
    auto w = makeWorkspace(0);
    select(*w, "kaputt");
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors[0].contains("kaputt.qmg"));
    QVERIFY(!w->Button->isEnabled());
}

void TestCliparts::previewFitsKeepingTheAspect() {
    auto w = makeWorkspace(1);
    select(*w, "bild");
    QVERIFY(w->Button->isEnabled());
    // 40 x 10 mm in a tall area: as wide as the area, a quarter as high.
    const int areaW = w->PreviewBox->width();
    QCOMPARE(w->PreviewMetafile().Width(), areaW);
    QCOMPARE(w->PreviewMetafile().Height(), areaW / 4);
    w->resize(900, 300);
    QVERIFY(w->PreviewMetafile().Width() <= w->PreviewBox->width());
    QVERIFY(w->PreviewMetafile().Height() <= w->PreviewBox->height());
    QVERIFY(w->PreviewMetafile().Width() == w->PreviewBox->width() ||
            w->PreviewMetafile().Height() == w->PreviewBox->height());
}

void TestCliparts::applyingAPathListAddsKindTwoOnTop() {
    auto w = makeWorkspace(0);
    select(*w, "dreieck");
    QVERIFY(w->Button->isEnabled());
    Document->AddText("schon da", CurrentSide);
    w->ButtonClick();
    QCOMPARE(Document->Count(), 2);
    auto* e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    QCOMPARE(int(e->SourceKind), 2);
    QCOMPARE(e->PathList.size(), 6);
    QCOMPARE(e->PathList.first(), QStringLiteral("G2100b1480h"));
    QCOMPARE(e->Left, 0.0);
    QCOMPARE(e->Side, 0);
    // 21 mm wide at the 96-dpi reference, converted back to millimetres.
    QVERIFY(qAbs(e->Width - 21.0) < 0.5);
    QVERIFY(qAbs(e->Height - 14.8) < 0.5);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));
    QCOMPARE(m_main.Selected, QList<int>{0});
    QVERIFY(m_main.Insertion);
    QCOMPARE(m_main.EditorCalls, 1);
    QVERIFY(!KeepEditorBitmap);
    QVERIFY(KeepEditorView);
    QVERIFY(Document->Modified);
}

void TestCliparts::applyingOnTheBackSide() {
    CurrentSide = 1;
    auto w = makeWorkspace(0);
    select(*w, "dreieck");
    w->ButtonClick();
    QCOMPARE(Document->Element(0)->Side, 1);
}

void TestCliparts::applyingAMetafileAndABitmap() {
    auto w = makeWorkspace(1);
    select(*w, "bild");
    w->ButtonClick();
    auto* meta = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(meta);
    QCOMPARE(int(meta->SourceKind), 0);
    QVERIFY(meta->PathList.isEmpty());
    // At its own size (40 x 10 mm), not at the size of the preview area.
    QVERIFY2(qAbs(meta->Width - 40) < 0.1 && qAbs(meta->Height - 10) < 0.1,
             qPrintable(QString("%1 x %2").arg(meta->Width).arg(meta->Height)));
    // On a sheet narrower than the picture it is shrunk in proportion.
    Document->PageWidth = 30;
    w->ButtonClick();
    auto* shrunk = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(qAbs(shrunk->Width - 30) < 0.01 && qAbs(shrunk->Height - 7.5) < 0.1);
    Document->SelectedIndex = 0;
    Document->DeleteSelected();
    Document->UndoList.removeFirst();
    Document->PageWidth = 210;

    w->LibraryComboBox->setCurrentIndex(2);
    w->LibraryComboBoxClick();
    select(*w, "foto");
    QVERIFY(w->Button->isEnabled());
    QVERIFY(!w->PreviewMetafile().Empty());
    w->ButtonClick();
    QCOMPARE(Document->Count(), 2);
    auto* bmp = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(bmp);
    QCOMPARE(int(bmp->SourceKind), 1);
    // 30 x 20 pixels at 96 dpi, whatever the preview box measures.
    QVERIFY2(qAbs(bmp->Width - 30 * 25.4 / 96) < 0.1 && qAbs(bmp->Height - 20 * 25.4 / 96) < 0.1,
             qPrintable(QString("%1 x %2").arg(bmp->Width).arg(bmp->Height)));
    QCOMPARE(Document->UndoList.size(), 2);
    QVERIFY(m_errors.isEmpty());
}

void TestCliparts::headingWithoutColonCannotBeApplied() {
    auto w = makeWorkspace(0);
    select(*w, "dreieck");
    w->TreeView->setCurrentItem(w->TreeView->topLevelItem(1));
    QCOMPARE(w->TreeView->currentItem()->text(0), QStringLiteral("Ohne Doppelpunkt"));
    QVERIFY(!w->Button->isEnabled());
    w->ButtonClick();
    QCOMPARE(Document->Count(), 0);
}

void TestCliparts::missingFileLeavesTheButtonDisabled() {
    auto w = makeWorkspace(0);
    select(*w, "dreieck");
    const int shownWidth = w->PreviewMetafile().Width();
    select(*w, "fehlt");
    QVERIFY(!w->Button->isEnabled());
    QCOMPARE(w->PreviewMetafile().Width(), shownWidth);
    QVERIFY(m_errors.isEmpty());
}

QTEST_MAIN(TestCliparts)
#include "tst_cliparts.moc"
