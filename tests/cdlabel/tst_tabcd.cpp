// The CD workspace driven through its widgets: defaults, regenerating on the fields that
// ask for it, bad fields, fonts, the folder list, and adding the picture to the sheet.
#include "cdlabel/tfrmtabcd.h"
#include "cdtrace.h"
#include "ui/globals.h"
#include "document/units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

class RecordingMainLink : public TMainLink {
public:
    void SelectElement(int index, bool insertion) override {
        Selected << index;
        Insertion = insertion;
        if (Document)
            Document->SelectedIndex = index;
    }
    void Change2Save() override {}
    bool AskFrage(const QString&, const QString&) override { return true; }
    void Change2Editor() override { ++EditorCalls; }

    QList<int> Selected;
    bool Insertion = false;
    int EditorCalls = 0;
};

} // namespace

class TestTabCD : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void defaultsAsTheFormHasThem();
    void columnCountDepthAndBoxRegenerate();
    void nonNumericFieldsKeepThePicture();
    void outOfRangeFieldsKeepThePictureAndSayWhy();
    void fontDialogChangesTheDescriptionAndThePicture();
    void choosingAFolderInTheListListsIt();
    void driveChangeCopiesItsNameIntoTheTitle();
    void applyAddsTheListingAsOneUndoStep();
    void previewKeepsTheAspect();

private:
    void type(QLineEdit* edit, const QString& text);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    RecordingMainLink m_main;
    std::unique_ptr<TfrmTabCD> m_form;
};

void TestTabCD::init()
{
    ResetGlobals();
    m_main = RecordingMainLink();
    MainLink = &m_main;
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path() + QStringLiteral("/cd");
    MakeTree(m_root, {"Alpha/A1", "Beta/B1", "Beta/B2", "Gamma", "notes.txt"});
    m_form = std::make_unique<TfrmTabCD>();
    m_form->resize(800, 600);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->SetDirectory(m_root);
}

void TestTabCD::cleanup()
{
    m_form.reset();
    MainLink = nullptr;
    TfrmTabCD::FontDialogHook = nullptr;
}

void TestTabCD::type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void TestTabCD::defaultsAsTheFormHasThem()
{
    TfrmTabCD& f = *m_form;
    QCOMPARE(f.EditColCount->text(), QStringLiteral("3"));
    QCOMPARE(f.EditColsWidth->text(), QStringLiteral("110"));
    QCOMPARE(f.EditColHeight->text(), QStringLiteral("110"));
    QCOMPARE(f.EditColDist->text(), QStringLiteral("3"));
    QCOMPARE(f.EditDirLevelMax->text(), QStringLiteral("1"));
    QVERIFY(f.DirsOnlyCheckBox->isChecked());
    QVERIFY(f.DrawTitleCheck->isChecked());
    QCOMPARE(f.DirFontLabel->text(), QStringLiteral("Arial Narrow, 10 Punkt, kursiv"));
    QCOMPARE(f.FileFontLabel->text(), QStringLiteral("Arial Narrow, 9 Punkt"));
    for (const char* name : {"DirGroupBox", "FileGroupBox", "LayoutGroupBox", "DirsOnlyCheckBox",
                             "Tiefe", "DrawTitleCheck", "Spaltenzahl", "Abstand", "Breite", "Hoehe"})
        QVERIFY2(f.findChild<QWidget*>(name), name);
    QCOMPARE(f.Directory(), m_root);
    QCOMPARE(f.Picture().MMWidth(), 11100);
    const QStringList texts = CdTexts(f.Picture().Bytes());
    QCOMPARE(texts, QStringList({f.TitleEdit->text(), "Alpha", "Beta", "Gamma"}));
}

void TestTabCD::columnCountDepthAndBoxRegenerate()
{
    TfrmTabCD& f = *m_form;
    int count = f.GenerateCount();
    type(f.EditColCount, QStringLiteral("1"));
    QVERIFY(f.GenerateCount() > count);
    QCOMPARE(f.Picture().MMWidth(), 11000);
    count = f.GenerateCount();
    type(f.EditDirLevelMax, QStringLiteral("2"));
    QVERIFY(f.GenerateCount() > count);
    QCOMPARE(CdTexts(f.Picture().Bytes()).mid(1),
             QStringList({"Alpha", "A1", "Beta", "B1", "B2", "Gamma"}));
    QTest::mouseClick(f.DirsOnlyCheckBox, Qt::LeftButton);
    QVERIFY(CdTexts(f.Picture().Bytes()).contains(QStringLiteral("notes.txt")));
    // Width, height and distance wait for the generate button.
    count = f.GenerateCount();
    type(f.EditColsWidth, QStringLiteral("90"));
    QCOMPARE(f.GenerateCount(), count);
    QTest::mouseClick(f.GenerateButton, Qt::LeftButton);
    QCOMPARE(f.Picture().MMWidth(), 9000);
}

void TestTabCD::nonNumericFieldsKeepThePicture()
{
    TfrmTabCD& f = *m_form;
    const QByteArray before = f.Picture().Bytes();
    QVERIFY(!before.isEmpty());
    type(f.EditColsWidth, QStringLiteral("8o"));
    QTest::mouseClick(f.GenerateButton, Qt::LeftButton);
    QCOMPARE(f.Picture().Bytes(), before);
    type(f.EditColsWidth, QStringLiteral("110"));
    type(f.EditColCount, QStringLiteral("zwei"));
    QCOMPARE(f.Picture().Bytes(), before);
    type(f.EditColCount, QString());
    QCOMPARE(f.Picture().Bytes(), before);
}

void TestTabCD::outOfRangeFieldsKeepThePictureAndSayWhy()
{
    TfrmTabCD& f = *m_form;
    const QByteArray before = f.Picture().Bytes();
    type(f.EditColCount, QStringLiteral("0"));
    QCOMPARE(f.Picture().Bytes(), before);
    QVERIFY(f.InfoLabel->text().contains(QStringLiteral("Spaltenzahl")));
    f.EditColCount->setText(QStringLiteral("12")); // typing would pass through "1"
    QCOMPARE(f.Picture().Bytes(), before);
    f.EditColCount->setText(QStringLiteral("3"));
    type(f.EditColDist, QStringLiteral("112"));
    QTest::mouseClick(f.GenerateButton, Qt::LeftButton);
    QCOMPARE(f.Picture().Bytes(), before);
    QVERIFY(f.InfoLabel->text().contains(QStringLiteral("Abstand")));
}

void TestTabCD::fontDialogChangesTheDescriptionAndThePicture()
{
    TfrmTabCD& f = *m_form;
    TfrmTabCD::FontDialogHook = [](QWidget*, TCdFont& font) {
        font.Size = 12;
        font.Style = 1;
        return true;
    };
    QTest::mouseClick(f.DirFontButton, Qt::LeftButton);
    QCOMPARE(f.DirFontLabel->text(), QStringLiteral("Arial Narrow, 12 Punkt, fett"));
    QVERIFY(CdTrace(f.Picture().Bytes()).contains(QStringLiteral("FONT -405 700 normal Arial Narrow")));
    // A cancelled dialog changes nothing.
    const QByteArray before = f.Picture().Bytes();
    TfrmTabCD::FontDialogHook = [](QWidget*, TCdFont&) { return false; };
    QTest::mouseClick(f.FileFontButton, Qt::LeftButton);
    QCOMPARE(f.FileFontLabel->text(), QStringLiteral("Arial Narrow, 9 Punkt"));
    QCOMPARE(f.Picture().Bytes(), before);
}

void TestTabCD::choosingAFolderInTheListListsIt()
{
    TfrmTabCD& f = *m_form;
    const QModelIndex beta = f.DirModel->index(m_root + QStringLiteral("/Beta"));
    QVERIFY(beta.isValid());
    f.DirectoryListBox->setCurrentIndex(beta);
    QCOMPARE(f.Directory(), m_root + QStringLiteral("/Beta"));
    QCOMPARE(CdTexts(f.Picture().Bytes()).mid(1), QStringList({"B1", "B2"}));
}

void TestTabCD::driveChangeCopiesItsNameIntoTheTitle()
{
    TfrmTabCD& f = *m_form;
    QVERIFY(f.DriveComboBox->count() >= 1);
    f.TitleEdit->setText(QStringLiteral("eigener Titel"));
    const int other = f.DriveComboBox->currentIndex() == 0 && f.DriveComboBox->count() > 1 ? 1 : 0;
    f.DriveComboBox->setCurrentIndex(other);
    if (f.DriveComboBox->count() == 1) // no second drive: choose the one there is again
        QMetaObject::invokeMethod(f.DriveComboBox, "currentIndexChanged", Q_ARG(int, 0));
    const QString root = f.DriveComboBox->currentData().toString();
    QCOMPARE(f.Directory(), root);
    QCOMPARE(f.TitleEdit->text(), QStorageInfo(root).displayName());
    QVERIFY(f.TitleEdit->text() != QStringLiteral("eigener Titel"));
}

void TestTabCD::applyAddsTheListingAsOneUndoStep()
{
    TfrmTabCD& f = *m_form;
    CurrentSide = 1;
    KeepEditorBitmap = true;
    Document->AddText(QStringLiteral("schon da"), CurrentSide);
    Document->Modified = false;
    const int undo = Document->UndoList.size();
    QTest::mouseClick(f.Button, Qt::LeftButton);
    QCOMPARE(m_main.EditorCalls, 1);
    QVERIFY(!KeepEditorBitmap);
    QCOMPARE(Document->Count(), 2);
    auto* e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    QCOMPARE(int(e->SourceKind), 0);
    QCOMPARE(e->Left, 0.0);
    QCOMPARE(e->Top, 0.0);
    QCOMPARE(e->Side, 1);
    // A picture comes in at its own physical size (its frame), which fits this sheet.
    QCOMPARE(e->Width, f.Picture().MMWidth() / 100.0);
    QCOMPARE(e->Metafile.Bytes(), f.Picture().Bytes());
    QCOMPARE(m_main.Selected, QList<int>({0}));
    QVERIFY(m_main.Insertion);
    QVERIFY(Document->Modified);
    QCOMPARE(Document->UndoList.size(), undo + 1);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));
    // A disabled button does nothing.
    f.Button->setEnabled(false);
    f.ButtonClick();
    QCOMPARE(Document->Count(), 2);
}

void TestTabCD::previewKeepsTheAspect()
{
    TMetafile mf;
    mf.SetMMWidth(11100);
    mf.SetMMHeight(5550); // 2:1 at the reference
    const double aspect = double(mf.Width()) / mf.Height();
    QCOMPARE(TCdPreview::PictureRect(QSize(400, 100), mf),
             QRect(1, 1, int(aspect * 100), 100));
    QCOMPARE(TCdPreview::PictureRect(QSize(100, 400), mf),
             QRect(1, 1, 100, int(100 / aspect)));
    QVERIFY(TCdPreview::PictureRect(QSize(0, 400), mf).isEmpty());
    // The workspace's preview follows its size, at least 22 pixels each way.
    m_form->resize(200, 20);
    QCOMPARE(m_form->Preview->width(), 22);
    QCOMPARE(m_form->Preview->height(), 22);
}

QTEST_MAIN(TestTabCD)
#include "tst_tabcd.moc"
