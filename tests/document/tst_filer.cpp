// The file workspace: wildcard masks, opening and reopening, saving with the overwrite
// question, and the recent-files list kept in the settings store.
#include "ui/globals.h"
#include "fileworkspace/tfrmtabfiler.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
class FakeMainLink : public TMainLink {
public:
    void SelectElement(int index, bool) override { Selected << index; }
    void Change2Save() override {}
    bool AskFrage(const QString& caption, const QString& question) override {
        Questions << caption + "|" + question;
        return Answer;
    }
    void Change2Editor() override { ++EditorCalls; }
    bool Answer = true;
    QStringList Questions;
    QList<int> Selected;
    int EditorCalls = 0;
};
} // namespace

class TestFiler : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pagesAndStartMask();
    void starDotStarListsEveryFileAndOpensNothing();
    void openingLoadsSwitchesAndEmptiesTheUndoList();
    void openingAsksBeforeDroppingChanges();
    void previewLeavesTheDocumentAlone();
    void savingAsksOnlyForAnExistingFile();
    void decliningTheOverwriteKeepsTheFile();
    void recentListOrder();
    void openAgainWithoutSelectionStillSwitches();
    void openAgainAsksBeforeDroppingChanges();
    void openAgainPreviewShowsTheHighlightedEntry_data();
    void openAgainPreviewShowsTheHighlightedEntry();
    void recentListWritesAtMost33();
    void deletedFilesDropOutAtStart();
    void wholePathsInTheNameFieldAreTakenAsTheyAre();
    void documentWithoutExtensionIsListedForOpening();
    void fileErrorsAreGermanAndNameTheFile();

private:
    QString makeDocument(const QString& name, int texts);
    void saveAs(TfrmTabFiler& w, const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
    FakeMainLink m_main;
    QStringList m_errors;
};

void TestFiler::init() {
    ResetGlobals();
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<QSettings>(m_dir->filePath("registry.ini"), QSettings::IniFormat);
    Registry = m_settings.get();
    m_main = FakeMainLink();
    MainLink = &m_main;
    m_errors.clear();
    TfrmTabFiler::ErrorHook = [this](const QString& m) { m_errors << m; };
    QDir(m_dir->path()).mkpath("docs");
}

void TestFiler::cleanup() {
    TfrmTabFiler::ErrorHook = nullptr;
    MainLink = nullptr;
    Registry = nullptr;
}

QString TestFiler::makeDocument(const QString& name, int texts) {
    TAppDocument doc(false);
    for (int i = 0; i < texts; ++i)
        doc.AddText(QStringLiteral("Text %1").arg(i));
    const QString path = m_dir->filePath("docs/" + name);
    doc.SaveToFile(path);
    return path;
}

void TestFiler::saveAs(TfrmTabFiler& w, const QString& name) {
    w.SaveEdit->setText(name);
    w.SaveButtonClick();
}

void TestFiler::pagesAndStartMask() {
    TfrmTabFiler w;
    QCOMPARE(w.PageControl->count(), 3);
    QCOMPARE(w.PageControl->tabText(0), QStringLiteral("Öffnen"));
    QCOMPARE(w.PageControl->tabText(1), QStringLiteral("Erneut öffnen"));
    QCOMPARE(w.PageControl->tabText(2), QStringLiteral("Speichern"));
    QCOMPARE(w.LoadEdit->text(), QStringLiteral("*.qmk"));
    QCOMPARE(w.SaveEdit->text(), QStringLiteral("*.qmk"));
    makeDocument("a.qmk", 1);
    makeDocument("B.QMK", 1);
    QFile(m_dir->filePath("docs/notiz.txt")).open(QIODevice::WriteOnly);
    w.SetLoadDirectory(m_dir->filePath("docs"));
    QCOMPARE(w.LoadFileListBox->count(), 2);
}

void TestFiler::starDotStarListsEveryFileAndOpensNothing() {
    makeDocument("a.qmk", 1);
    QFile(m_dir->filePath("docs/notiz.txt")).open(QIODevice::WriteOnly);
    QFile(m_dir->filePath("docs/LIESMICH")).open(QIODevice::WriteOnly);
    TfrmTabFiler w;
    w.SetLoadDirectory(m_dir->filePath("docs"));
    w.LoadEdit->setText("*.*");
    w.OpenButtonClick();
    // Also the file without an extension.
    QCOMPARE(w.LoadFileListBox->count(), 3);
    QCOMPARE(w.LoadMask(), QStringLiteral("*.*"));
    QCOMPARE(m_main.EditorCalls, 0);
    QCOMPARE(Document->Count(), 0);
    w.LoadEdit->setText("?.qmk");
    w.OpenButtonClick();
    QCOMPARE(w.LoadFileListBox->count(), 1);
}

void TestFiler::openingLoadsSwitchesAndEmptiesTheUndoList() {
    const QString path = makeDocument("zwei.qmk", 2);
    TfrmTabFiler w;
    w.SetLoadDirectory(m_dir->filePath("docs"));
    Document->InsertUndo("-0");
    w.LoadEdit->setText("fehlt.qmk");
    w.OpenButtonClick(); // no such file: nothing happens
    QCOMPARE(m_main.EditorCalls, 0);
    QCOMPARE(Document->UndoList.size(), 1);

    w.LoadEdit->setText("zwei.qmk");
    w.OpenButtonClick();
    QCOMPARE(Document->Count(), 2);
    QCOMPARE(Document->GetFileName(), path);
    QVERIFY(Document->UndoList.isEmpty());
    QCOMPARE(m_main.EditorCalls, 1);
    QCOMPARE(m_main.Selected, QList<int>{-1});
    QVERIFY(!KeepEditorView);
    QVERIFY(!KeepEditorBitmap);
    // The save page follows the opened file.
    QCOMPARE(w.SaveEdit->text(), QStringLiteral("zwei.qmk"));
    QCOMPARE(w.SaveDirectory(), m_dir->filePath("docs"));
    // Opening leaves the recent list alone.
    QVERIFY(w.RecentFiles().isEmpty());
}

void TestFiler::openingAsksBeforeDroppingChanges() {
    makeDocument("zwei.qmk", 2);
    TfrmTabFiler w;
    w.SetLoadDirectory(m_dir->filePath("docs"));
    Document->AddText("ungesichert");
    m_main.Answer = false;
    w.LoadEdit->setText("zwei.qmk");
    w.OpenButtonClick();
    QCOMPARE(m_main.Questions.size(), 1);
    QCOMPARE(Document->Count(), 1);
    QVERIFY(Document->Modified);
    QCOMPARE(m_main.EditorCalls, 0);
    m_main.Answer = true;
    w.OpenButtonClick();
    QCOMPARE(Document->Count(), 2);
    QVERIFY(!Document->Modified);
}

void TestFiler::previewLeavesTheDocumentAlone() {
    makeDocument("drei.qmk", 3);
    TfrmTabFiler w;
    w.SetLoadDirectory(m_dir->filePath("docs"));
    Document->AddText("meins");
    w.LoadFileListBox->setCurrentRow(0);
    w.LoadFileListBoxClick();
    QCOMPARE(w.PreviewDocument()->Count(), 3);
    QCOMPARE(Document->Count(), 1);
    QCOMPARE(m_main.EditorCalls, 0);
}

void TestFiler::savingAsksOnlyForAnExistingFile() {
    TfrmTabFiler w;
    w.SetSaveDirectory(m_dir->filePath("docs"));
    Document->AddText("neu");
    saveAs(w, "neu.qmk");
    QVERIFY(m_main.Questions.isEmpty());
    QVERIFY(QFile::exists(m_dir->filePath("docs/neu.qmk")));
    QVERIFY(!Document->Modified);
    saveAs(w, "neu.qmk");
    QCOMPARE(m_main.Questions.size(), 1);
    QCOMPARE(m_main.Questions[0],
             QStringLiteral("Warnung|Die Datei existiert bereits - überschreiben?"));
    // The name is used as typed: no extension is added.
    saveAs(w, "ohne");
    QVERIFY(QFile::exists(m_dir->filePath("docs/ohne")));
    QCOMPARE(m_main.Questions.size(), 1);
    // A mask in the name field filters the list instead of saving.
    saveAs(w, "*.qmk");
    QCOMPARE(w.SaveFileListBox->count(), 1);
}

void TestFiler::decliningTheOverwriteKeepsTheFile() {
    const QString path = makeDocument("alt.qmk", 3);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    TfrmTabFiler w;
    w.SetSaveDirectory(m_dir->filePath("docs"));
    Document->AddText("anders");
    m_main.Answer = false;
    saveAs(w, "alt.qmk");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QVERIFY(Document->Modified);
    QVERIFY(w.RecentFiles().isEmpty());
}

void TestFiler::recentListOrder() {
    TfrmTabFiler w;
    w.SetSaveDirectory(m_dir->filePath("docs"));
    saveAs(w, "eins.qmk");
    saveAs(w, "eins.qmk");
    QCOMPARE(w.RecentFiles(), QStringList{m_dir->filePath("docs/eins.qmk")});
    saveAs(w, "zwei.qmk");
    QCOMPARE(w.RecentFiles(),
             QStringList({m_dir->filePath("docs/zwei.qmk"), m_dir->filePath("docs/eins.qmk")}));
    // Saving an older one again keeps its place.
    saveAs(w, "eins.qmk");
    QCOMPARE(w.RecentFiles().first(), m_dir->filePath("docs/zwei.qmk"));
    QCOMPARE(w.RecentFilesListBox->count(), 2);
}

void TestFiler::openAgainWithoutSelectionStillSwitches() {
    TfrmTabFiler w;
    w.OpenAgainButtonClick();
    QCOMPARE(m_main.EditorCalls, 1);
    QCOMPARE(Document->Count(), 0);
}

void TestFiler::openAgainPreviewShowsTheHighlightedEntry_data() {
    QTest::addColumn<QString>("how"); // how the user reaches the entry
    QTest::addColumn<int>("texts");   // of the document the preview must show
    QTest::newRow("Klick auf den zweiten") << "click" << 2;
    QTest::newRow("Pfeil nach unten") << "down" << 2;
    QTest::newRow("Pfeil nach unten und zurück") << "downup" << 3;
    QTest::newRow("von der Seite Öffnen her") << "page" << 0;
    QTest::newRow("zurück zur Seite Öffnen") << "pageback" << 1;
}

void TestFiler::openAgainPreviewShowsTheHighlightedEntry() {
    QFETCH(QString, how);
    QFETCH(int, texts);
    m_settings->setValue("RecentFiles/Count", "2");
    m_settings->setValue("RecentFiles/File1", makeDocument("drei.qmk", 3));
    m_settings->setValue("RecentFiles/File2", makeDocument("zwei.qmk", 2));
    makeDocument("eins.qmk", 1);
    TfrmTabFiler w;
    w.show();
    QCOMPARE(w.RecentFilesListBox->count(), 2);
    w.SetLoadDirectory(m_dir->filePath("docs"));
    QListWidget* list = w.RecentFilesListBox;
    auto click = [](QListWidget* l, int row) {
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
    };
    if (how == "page" || how == "pageback") {
        // Entry 1 highlighted on "Erneut öffnen", then a file previewed on "Öffnen".
        w.PageControl->setCurrentIndex(1);
        click(list, 0);
        w.PageControl->setCurrentIndex(0);
        const auto found = w.LoadFileListBox->findItems("eins.qmk", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        click(w.LoadFileListBox, w.LoadFileListBox->row(found.first()));
        QCOMPARE(w.PreviewDocument()->Count(), 1);
        // Back on "Erneut öffnen", where the choice on "Öffnen" took the highlight away:
        // no preview rather than the other page's file.
        w.PageControl->setCurrentIndex(1);
        if (how == "pageback")
            w.PageControl->setCurrentIndex(0);
    } else {
        w.PageControl->setCurrentIndex(1);
        if (how == "click") {
            click(list, 0);
            click(list, 1);
        } else {
            click(list, 0);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Down);
            if (how == "downup")
                QTest::keyClick(list, Qt::Key_Up);
        }
    }
    QCOMPARE(w.PreviewDocument()->Count(), texts);
}

void TestFiler::openAgainAsksBeforeDroppingChanges() {
    const QString path = makeDocument("zwei.qmk", 2);
    m_settings->setValue("RecentFiles/Count", "1");
    m_settings->setValue("RecentFiles/File1", path);
    TfrmTabFiler w;
    QCOMPARE(w.RecentFilesListBox->count(), 1);
    w.RecentFilesListBox->setCurrentRow(0);
    w.RecentFilesListBoxClick();
    QCOMPARE(w.PreviewDocument()->Count(), 2);
    Document->AddText("ungesichert");
    m_main.Answer = false;
    w.OpenAgainButtonClick();
    QCOMPARE(Document->Count(), 1);
    QCOMPARE(m_main.EditorCalls, 0);
    m_main.Answer = true;
    w.OpenAgainButtonClick();
    QCOMPARE(Document->Count(), 2);
    QCOMPARE(Document->GetFileName(), path);
    QCOMPARE(m_main.EditorCalls, 1);
    QCOMPARE(w.LoadEdit->text(), QStringLiteral("zwei.qmk"));
}

void TestFiler::recentListWritesAtMost33() {
    {
        TfrmTabFiler w;
        w.SetSaveDirectory(m_dir->filePath("docs"));
        for (int i = 1; i <= 40; ++i)
            saveAs(w, QStringLiteral("datei%1.qmk").arg(i));
        QCOMPARE(w.RecentFiles().size(), 40);
    } // written when the workspace goes
    m_settings->sync();
    QCOMPARE(m_settings->value("RecentFiles/Count").toString(), QStringLiteral("33"));
    QCOMPARE(m_settings->value("RecentFiles/File1").toString(),
             m_dir->filePath("docs/datei40.qmk"));
    QCOMPARE(m_settings->value("RecentFiles/File33").toString(),
             m_dir->filePath("docs/datei8.qmk"));
    QVERIFY(!m_settings->contains("RecentFiles/File34"));
    TfrmTabFiler again;
    QCOMPARE(again.RecentFiles().size(), 33);
}

void TestFiler::deletedFilesDropOutAtStart() {
    const QString a = makeDocument("a.qmk", 1);
    const QString b = makeDocument("b.qmk", 1);
    const QString c = makeDocument("c.qmk", 1);
    m_settings->setValue("RecentFiles/Count", "4");
    m_settings->setValue("RecentFiles/File1", a);
    m_settings->setValue("RecentFiles/File2", b);
    m_settings->setValue("RecentFiles/File3", c);
    m_settings->setValue("RecentFiles/File4", m_dir->filePath("docs/nie.qmk"));
    QFile::remove(b);
    {
        TfrmTabFiler w;
        QCOMPARE(w.RecentFiles(), QStringList({a, c}));
    }
    m_settings->sync();
    QCOMPARE(m_settings->value("RecentFiles/Count").toString(), QStringLiteral("2"));
    QCOMPARE(m_settings->value("RecentFiles/File2").toString(), c);
    QVERIFY(!m_settings->contains("RecentFiles/File3"));
    // A count that is no number reads as an empty list.
    m_settings->setValue("RecentFiles/Count", "viele");
    TfrmTabFiler w;
    QVERIFY(w.RecentFiles().isEmpty());
}

void TestFiler::wholePathsInTheNameFieldAreTakenAsTheyAre() {
    QDir(m_dir->path()).mkpath("anderswo");
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", m_dir->path().toLocal8Bit());
    TfrmTabFiler w;
    w.SetSaveDirectory(m_dir->filePath("docs"));
    w.SetLoadDirectory(m_dir->filePath("docs"));
    Document->AddText("absolut");
    // Typed as a whole: /.../anderswo/karte.qmk was appended to the folder shown.
    const QString absolute = m_dir->filePath("anderswo/karte.qmk");
    saveAs(w, absolute);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join('\n')));
    QVERIFY(QFile::exists(absolute));
    QCOMPARE(Document->GetFileName(), absolute);
    QCOMPARE(w.SaveDirectory(), m_dir->filePath("anderswo"));
    QCOMPARE(w.SaveEdit->text(), QStringLiteral("karte.qmk"));

    // Relative to the home folder.
    w.SetSaveDirectory(m_dir->filePath("docs"));
    saveAs(w, "~/heim.qmk");
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join('\n')));
    QVERIFY(QFile::exists(m_dir->filePath("heim.qmk")));
    QCOMPARE(w.RecentFiles().first(), m_dir->filePath("heim.qmk"));

    // Opening by a whole path.
    Document->Modified = false;
    w.LoadEdit->setText(absolute);
    w.OpenButtonClick();
    QCOMPARE(Document->GetFileName(), absolute);
    QCOMPARE(m_main.EditorCalls, 1);
    w.LoadEdit->setText("~/heim.qmk");
    w.OpenButtonClick();
    QCOMPARE(Document->GetFileName(), m_dir->filePath("heim.qmk"));
    QCOMPARE(m_main.EditorCalls, 2);
    qputenv("HOME", oldHome);
}

void TestFiler::documentWithoutExtensionIsListedForOpening() {
    makeDocument("a.qmk", 1);
    QFile(m_dir->filePath("docs/LIESMICH")).open(QIODevice::WriteOnly);
    TfrmTabFiler w;
    w.SetSaveDirectory(m_dir->filePath("docs"));
    Document->AddText("ohne Endung");
    saveAs(w, "karte");
    QVERIFY(QFile::exists(m_dir->filePath("docs/karte")));
    w.SetLoadDirectory(m_dir->filePath("docs"));
    QStringList shown;
    for (int i = 0; i < w.LoadFileListBox->count(); ++i)
        shown << w.LoadFileListBox->item(i)->text();
    // The plain text file without extension is no document and stays out.
    QCOMPARE(shown, QStringList({"a.qmk", "karte"}));
    w.LoadFileListBox->setCurrentRow(1);
    w.LoadEdit->setText("karte");
    Document->Modified = false;
    w.OpenButtonClick();
    QCOMPARE(Document->GetFileName(), m_dir->filePath("docs/karte"));
    QCOMPARE(Document->Count(), 1);
}

void TestFiler::fileErrorsAreGermanAndNameTheFile() {
    TfrmTabFiler w;
    Document->AddText("x");
    const QString target = m_dir->filePath("fehlt/karte.qmk");
    saveAs(w, target);
    QCOMPARE(m_errors.size(), 1);
    const QString message = m_errors.first();
    QVERIFY2(message.contains(QStringLiteral("karte.qmk")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("existiert nicht")), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("No such")), qPrintable(message));
    QVERIFY(Document->GetFileName().isEmpty());
}

QTEST_MAIN(TestFiler)
#include "tst_filer.moc"
