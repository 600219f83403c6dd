// Reading the catalogue beside the program and the language file it chooses.

#include "qmpaths.h"
#include "app/catalogue.h"
#include "app/language.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void sectionNamesIgnoreCaseButMustBeTheWholeLine();
    void librarySectionFillsParallelLists();
    void sectionWithoutEndRunsToTheEndOfTheFile();
    void helpFilesAreRelativeToTheProgram();
    void languageLineOutsideSections();
    void valuesKeepTheirTextButBackslashesBecomeSlashes();
    void unreadableCatalogueNamesTheFile();
    void catalogueNameFollowsTheProgram();

    void languageColumns_data();
    void languageColumns();
    void languageKeysAndLookup();
    void languageHugeColumn();
    void languageColumnNumber();
    void missingLanguageFileNamesTheFile();
    void bundledCatalogueAndLanguageFile();
};

void TestCatalogue::sectionNamesIgnoreCaseButMustBeTheWholeLine()
{
    const TCatalogue upper = ParseCatalogue("TEMPLATES\r\n#Bib:a.lst\r\n#\r\n", "/p/");
    QCOMPARE(upper.Templates.Bibs, QStringList{"a.lst"});
    QVERIFY(upper.Templates.SectionSeen);

    const TCatalogue blank = ParseCatalogue("templates \r\n#Bib:a.lst\r\n#\r\n", "/p/");
    QVERIFY(!blank.Templates.SectionSeen);
    QCOMPARE(blank.Templates.LibraryCount, 0);

    // A key line outside any section belongs to no list.
    const TCatalogue outside = ParseCatalogue("#Bib:x\ncliparts\n#Bib:y\n#\n#Bib:z\n", "/p/");
    QCOMPARE(outside.Cliparts.Bibs, QStringList{"y"});
    QVERIFY(outside.Templates.Bibs.isEmpty());
}

void TestCatalogue::librarySectionFillsParallelLists()
{
    const QByteArray text = "templates\n"
                            "#Title:Briefe\n#Bib:briefe.lst\n#Dir:Briefe\n#Type:qmk\n"
                            "unknown line\n"
                            "#Title:Karten\n#Bib:karten.lst\n#Dir:Karten\n#Type:qmk\n"
                            "#\n"
                            "cliparts\n#Title:Tiere\n#Bib:tiere.lst\n#Dir:Tiere\n#Type:wmf\n#\n";
    const TCatalogue cat = ParseCatalogue(text, "/p/");
    QCOMPARE(cat.Templates.Titles, (QStringList{"Briefe", "Karten"}));
    QCOMPARE(cat.Templates.Bibs, (QStringList{"briefe.lst", "karten.lst"}));
    QCOMPARE(cat.Templates.Dirs, (QStringList{"Briefe", "Karten"}));
    QCOMPARE(cat.Templates.Types, (QStringList{"qmk", "qmk"}));
    QCOMPARE(cat.Templates.LibraryCount, 2);
    QCOMPARE(cat.Cliparts.Titles, QStringList{"Tiere"});
    QCOMPARE(cat.Cliparts.LibraryCount, 1);
    QVERIFY(!cat.HelpSectionSeen);
}

void TestCatalogue::sectionWithoutEndRunsToTheEndOfTheFile()
{
    // Everything after the open section is read as part of it, even another section's name.
    const TCatalogue cat =
        ParseCatalogue("helpfiles\n#Label:Handbuch\n#File:a.html\ntemplates\n#Bib:b.lst\n", "/p/");
    QCOMPARE(cat.HelpLabels, QStringList{"Handbuch"});
    QCOMPARE(cat.HelpFiles, QStringList{"/p/a.html"});
    QVERIFY(!cat.Templates.SectionSeen);
    QVERIFY(cat.Templates.Bibs.isEmpty());
}

void TestCatalogue::helpFilesAreRelativeToTheProgram()
{
    const TCatalogue cat = ParseCatalogue(
        "helpfiles\n#File:help\\quillmark.html\n#File:/abs/other.html\n#\n", "/opt/qm/");
    QCOMPARE(cat.HelpFiles, (QStringList{"/opt/qm/help/quillmark.html", "/abs/other.html"}));
}

void TestCatalogue::languageLineOutsideSections()
{
    TCatalogue cat = ParseCatalogue("LANGUAGE:2\n", "/p/");
    QVERIFY(cat.HasLanguage);
    QCOMPARE(cat.LanguageText, QString("2"));

    cat = ParseCatalogue("language of the interface: 3\n", "/p/");
    QVERIFY(cat.HasLanguage);
    QCOMPARE(cat.LanguageText, QString(" 3"));

    cat = ParseCatalogue("language 2\nlangua:2\n", "/p/");
    QVERIFY(!cat.HasLanguage);

    // Inside a section the line is just an unknown line.
    cat = ParseCatalogue("templates\nlanguage:2\n#\n", "/p/");
    QVERIFY(!cat.HasLanguage);
}

void TestCatalogue::valuesKeepTheirTextButBackslashesBecomeSlashes()
{
    const QByteArray text = "cliparts\n#Dir:Bilder\\Tiere \n#Title:Gr\xfc\xdf" "e\n#\n";
    const TCatalogue cat = ParseCatalogue(text, "/p/");
    QCOMPARE(cat.Cliparts.Dirs, QStringList{"Bilder/Tiere "});
    QCOMPARE(cat.Cliparts.Titles, QStringList{QString::fromUtf8("Grüße")});
}

void TestCatalogue::unreadableCatalogueNamesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quillmark.inf");
    // A folder where the file should be cannot be read as one.
    QVERIFY(QDir().mkpath(path));
    try {
        ReadCatalogue(path, dir.path() + "/");
        QFAIL("no error raised");
    } catch (const TCatalogueError& e) {
        QVERIFY2(e.message().contains("quillmark.inf"), qPrintable(e.message()));
    }
}

void TestCatalogue::catalogueNameFollowsTheProgram()
{
    QCOMPARE(CatalogueFileFor("/opt/qm/quillmark"), QString("/opt/qm/quillmark.inf"));
    QCOMPARE(CatalogueFileFor("/opt/qm/FOLDRKIT.EXE"), QString("/opt/qm/FOLDRKIT.inf"));
    // Only the program file's own extension is cut.
    QCOMPARE(CatalogueFileFor("/opt/a.exe.d/quillmark"), QString("/opt/a.exe.d/quillmark.inf"));
    QCOMPARE(CatalogueFileFor("/opt/qm/.exe"), QString("/opt/qm/.exe.inf"));
}

void TestCatalogue::languageColumns_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    const QString line = "0\tDeutsch\tEnglish";
    QTest::newRow("column 1 German") << line << 1 << "Deutsch";
    QTest::newRow("column 2 English") << line << 2 << "English";
    QTest::newRow("column 3 past the end") << line << 3 << "";
    QTest::newRow("column 4 past the end") << line << 4 << "";
    QTest::newRow("column 0 whole line") << line << 0 << line;
    QTest::newRow("empty field") << "5\t\tEmpty German" << 1 << "";
    QTest::newRow("line without TAB") << "nur Text" << 1 << "";
    QTest::newRow("trailing TAB") << "5\tA\t" << 2 << "";
    QTest::newRow("huge column") << line << 2000000000 << "";
}

void TestCatalogue::languageColumns()
{
    QFETCH(QString, line);
    QFETCH(int, column);
    QFETCH(QString, text);
    QCOMPARE(LanguageColumnText(line, column), text);
}

void TestCatalogue::languageKeysAndLookup()
{
    QStringList keys, strings;
    ParseLanguageLines({"0\tA\tB", "ohne Tab", "7\tC\tD", "7\tE\tF"}, 2, keys, strings);
    QCOMPARE(keys, (QStringList{"0", "", "7", "7"}));
    QCOMPARE(strings, (QStringList{"B", "", "D", "F"}));
    QCOMPARE(LanguageIndex(keys, "7"), 2); // first match
    QCOMPARE(LanguageIndex(keys, "8"), -1);
    QCOMPARE(LanguageIndex({"Ab"}, "aB"), 0);
}

void TestCatalogue::languageHugeColumn()
{
    // "language:2000000000" in the catalogue once cost that many steps on every line of the
    // language file, so the program never finished starting.
    int column = 0;
    QVERIFY(ParseLanguageColumn("2000000000", column));
    QStringList keys, strings;
    ParseLanguageLines(QStringList(2000, "7\tA\tB"), column, keys, strings);
    QCOMPARE(keys.size(), 2000);
    QCOMPARE(strings, QStringList(2000, QString()));
}

void TestCatalogue::languageColumnNumber()
{
    int column = -1;
    QVERIFY(ParseLanguageColumn(" 2 ", column));
    QCOMPARE(column, 2);
    QVERIFY(!ParseLanguageColumn("zwei", column));
    QVERIFY(!ParseLanguageColumn("", column));
    QCOMPARE(column, 2);
}

void TestCatalogue::missingLanguageFileNamesTheFile()
{
    QTemporaryDir dir;
    QStringList keys{"x"}, strings{"y"};
    try {
        ReadLanguageFile(dir.filePath("lang.txt"), 1, keys, strings);
        QFAIL("no error raised");
    } catch (const TLanguageError& e) {
        QVERIFY(e.message().contains("lang.txt"));
    }
}

void TestCatalogue::bundledCatalogueAndLanguageFile()
{
    const QString dataDir = QStringLiteral(QM_DATA_DIR "/");
    const TCatalogue cat = ReadCatalogue(dataDir + "quillmark.inf", dataDir);
    QVERIFY(cat.HasLanguage);
    int column = 0;
    QVERIFY(ParseLanguageColumn(cat.LanguageText, column));
    QVERIFY(column == 1 || column == 2);
    QVERIFY(!cat.HelpFiles.isEmpty());
    QCOMPARE(cat.HelpLabels.size(), cat.HelpFiles.size());
    for (const QString& file : cat.HelpFiles)
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
    for (const TCatalogueLibraries* libs : {&cat.Templates, &cat.Cliparts}) {
        QVERIFY(libs->LibraryCount > 0);
        QCOMPARE(libs->Titles.size(), libs->LibraryCount);
        QCOMPARE(libs->Dirs.size(), libs->LibraryCount);
        QCOMPARE(libs->Types.size(), libs->LibraryCount);
    }

    // Every key the program looks up, in both languages; more lines than the highest
    // threshold, so that the texts built at run time follow the file too.
    QList<int> wanted;
    auto range = [&](int from, int to) {
        for (int k = from; k <= to; ++k)
            wanted << k;
    };
    range(0, 8);
    range(16, 31);
    wanted << 33 << 34 << 35 << 38 << 39;
    range(42, 61);
    range(66, 100);
    range(103, 114);
    range(117, 124);
    wanted << 126 << 128 << 130;
    for (int column : {1, 2}) {
        QStringList keys, strings;
        ReadLanguageFile(dataDir + "lang.txt", column, keys, strings);
        QVERIFY(strings.size() > LangThresholdDialogs);
        for (int key : wanted) {
            const int index = LanguageIndex(keys, QString::number(key));
            QVERIFY2(index >= 0, qPrintable(QString::number(key)));
            QVERIFY2(!strings.at(index).isEmpty(), qPrintable(QString::number(key)));
        }
        QCOMPARE(LanguageIndex(keys, "0") >= 0 ? strings.at(LanguageIndex(keys, "0")) : QString(),
                 QString("Quillmark"));
    }
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
