// The CD listing picture, checked through a text trace of the recorded EMF: page setup,
// columns, tree lines, title, the end of the last column and the folders that are read.
#include "document/cdlisting.h"
#include "cdtrace.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestCdListing : public QObject {
    Q_OBJECT
private slots:
    void init();
    void columnWidthRoundsHalvesToEven();
    void oneColumnIsTheWholeWidth();
    void threeColumnsOf35mmStartAt0_38_76();
    void smallTreeTracesExactly();
    void titleOnlyWhenAFileAndAFolderLineFit();
    void fontsFollowTheSizesAndStyles();
    void listingEndsWithTheLastColumn();
    void onlyTheFoldersThatAreShownAreRead();
    void namesInNaturalOrderIgnoringCase();
    void filesInTheFileFontAndTheLastEntryEndsTheLine();
    void folderAtTheFootOfAColumnListsItsContentInTheNext();
    void linksToFoldersAreListedNotFollowed();
    void unreadableFolderIsDrawnWithoutContent();
    void badLayoutsAreRefused();
    void namesThatAreNotUtf8AreShownAndCounted_data();
    void namesThatAreNotUtf8AreShownAndCounted();

private:
    TCdListingOptions options(int depth = 1) const;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

void TestCdListing::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path() + QStringLiteral("/cd");
    QDir().mkpath(m_root);
}

TCdListingOptions TestCdListing::options(int depth) const
{
    TCdListingOptions o;
    o.Folder = m_root;
    o.DirLevelMax = depth;
    o.DrawTitle = false;
    return o;
}

void TestCdListing::columnWidthRoundsHalvesToEven()
{
    QCOMPARE(CdColumnWidth(110, 3, 3), 35); // 104 / 3 = 34.67
    QCOMPARE(CdColumnWidth(10, 1, 2), 4);   // 4.5
    QCOMPARE(CdColumnWidth(12, 1, 2), 6);   // 5.5
    QCOMPARE(CdColumnWidth(80, 5, 1), 80);
}

void TestCdListing::oneColumnIsTheWholeWidth()
{
    TCdListingOptions o = options();
    o.ColCount = 1;
    o.ColsWidth = 80;
    o.ColHeight = 50;
    TMetafile mf;
    DrawCdListing(mf, o);
    QCOMPARE(mf.MMWidth(), 8000);
    QCOMPARE(mf.MMHeight(), 5000);
    const ParsedEmf parsed = ParseEmf(mf.Bytes());
    QVERIFY(parsed.sizesOk);
    QCOMPARE(CdTraceOf(mf.Bytes(), "MAPMODE WORLD WINDOWORG"),
             QStringList({"MAPMODE 2", "WORLD 0.1 0 0 0.1 0 0", "WINDOWORG 0 500"}));
}

void TestCdListing::threeColumnsOf35mmStartAt0_38_76()
{
    QStringList folders;
    for (int i = 1; i <= 12; ++i)
        folders << QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0'));
    MakeTree(m_root, folders);
    TCdListingOptions o = options();
    o.ColHeight = 20; // five lines of 4 mm per column
    TMetafile mf;
    const TCdListingResult r = DrawCdListing(mf, o);
    QCOMPARE(mf.MMWidth(), 11100);
    QCOMPARE(r.Columns, 3);
    QCOMPARE(r.Entries, 12);
    QVERIFY(r.Complete);
    const QStringList texts = CdTraceOf(mf.Bytes(), "TEXT");
    QCOMPARE(texts.at(0), QStringLiteral("TEXT 400 2000 d01"));
    QCOMPARE(texts.at(4), QStringLiteral("TEXT 400 400 d05"));
    QCOMPARE(texts.at(5), QStringLiteral("TEXT 4200 2000 d06"));  // 38 mm + indent
    QCOMPARE(texts.at(10), QStringLiteral("TEXT 8000 2000 d11")); // 76 mm + indent
    QCOMPARE(texts.at(11), QStringLiteral("TEXT 8000 1600 d12"));
}

// root: a (a1, a2), b (b1); depth 2, title "T"; 10 pt folders: lines of 400, indent 400.
void TestCdListing::smallTreeTracesExactly()
{
    MakeTree(m_root, {"a/a1", "a/a2", "b/b1/deeper"});
    TCdListingOptions o = options(2);
    o.DrawTitle = true;
    o.Title = QStringLiteral("T");
    TMetafile mf;
    DrawCdListing(mf, o);
    const QStringList expected = {
        "TEXT 0 11000 T",
        // a: the level-1 line starts at the top of the column
        "MOVE 200 10600", "LINE 200 10467", "LINE 367 10467", "TEXT 400 10600 a",
        // a1: level 1 goes on from a's connector, level 2 starts below a
        "MOVE 200 10467", "LINE 200 10067", "MOVE 600 10200", "LINE 600 10067",
        "LINE 767 10067", "TEXT 800 10200 a1",
        "MOVE 200 10067", "LINE 200 9667", "MOVE 600 10067", "LINE 600 9667",
        "LINE 767 9667", "TEXT 800 9800 a2",
        "MOVE 200 9667", "LINE 200 9267", "LINE 367 9267", "TEXT 400 9400 b",
        // b is the last entry: no level-1 line beside its content
        "MOVE 600 9000", "LINE 600 8867", "LINE 767 8867", "TEXT 800 9000 b1",
    };
    QCOMPARE(CdTraceOf(mf.Bytes(), "MOVE LINE TEXT"), expected);
}

void TestCdListing::titleOnlyWhenAFileAndAFolderLineFit()
{
    MakeTree(m_root, {"a"});
    TCdListingOptions o = options();
    o.DrawTitle = true;
    o.Title = QStringLiteral("Titel");
    o.ColHeight = 7; // 400 + 360 >= 700
    TMetafile mf;
    DrawCdListing(mf, o);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"a"}));
    QCOMPARE(CdTraceOf(mf.Bytes(), "TEXT").first(), QStringLiteral("TEXT 400 700 a"));
    o.ColHeight = 8; // 760 < 800
    DrawCdListing(mf, o);
    QCOMPARE(CdTraceOf(mf.Bytes(), "TEXT"), QStringList({"TEXT 0 800 Titel", "TEXT 400 400 a"}));
}

void TestCdListing::fontsFollowTheSizesAndStyles()
{
    MakeTree(m_root, {"a", "z.txt"});
    TCdListingOptions o = options();
    o.DirsOnly = false;
    o.DirFont = TCdFont{QStringLiteral("Arial Narrow"), 12, 1 | 2, 0};
    TMetafile mf;
    DrawCdListing(mf, o);
    // trunc(12 x 25.4) = 304 points of the canvas -> 405 units; 9 pt: 228 -> 304
    QCOMPARE(CdTraceOf(mf.Bytes(), "FONT TEXT"),
             QStringList({"FONT -405 700 kursiv Arial Narrow", "TEXT 480 11000 a",
                          "FONT -304 400 normal Arial Narrow", "TEXT 480 10520 z.txt"}));
    QCOMPARE(FontDescription(o.DirFont), QStringLiteral("Arial Narrow, 12 Punkt, fett, kursiv"));
    QCOMPARE(FontDescription(TCdFont{QStringLiteral("Arial"), 9, 4 | 8, 0}),
             QStringLiteral("Arial, 9 Punkt, unterstrichen, durchgestrichen"));
}

void TestCdListing::listingEndsWithTheLastColumn()
{
    QStringList folders;
    for (int i = 1; i <= 20; ++i)
        folders << QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0'));
    MakeTree(m_root, folders);
    TCdListingOptions o = options();
    o.ColCount = 2;
    o.ColHeight = 20;
    TMetafile mf;
    const TCdListingResult r = DrawCdListing(mf, o);
    QCOMPARE(r.Entries, 10);
    QVERIFY(!r.Complete);
    const QStringList texts = CdTexts(mf.Bytes());
    QCOMPARE(texts.size(), 10);
    QCOMPARE(texts.last(), QStringLiteral("d10"));
    // Nothing is drawn outside the picture's frame.
    for (const QString& line : CdTraceOf(mf.Bytes(), "MOVE LINE TEXT")) {
        QVERIFY2(line.section(' ', 1, 1).toInt() < mf.MMWidth() &&
                     line.section(' ', 2, 2).toInt() >= 0,
                 qPrintable(line));
    }
}

void TestCdListing::onlyTheFoldersThatAreShownAreRead()
{
    QStringList folders;
    for (int i = 1; i <= 30; ++i)
        for (int j = 1; j <= 5; ++j)
            folders << QStringLiteral("d%1/s%2/t").arg(i, 2, 10, QLatin1Char('0')).arg(j);
    MakeTree(m_root, folders);
    TCdListingOptions o = options(3);
    o.ColCount = 1;
    o.ColHeight = 20;
    TMetafile mf;
    const TCdListingResult r = DrawCdListing(mf, o);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"d01", "s1", "t", "s2", "t"}));
    QCOMPARE(r.FoldersRead, 4); // the folder, d01, d01/s1, d01/s2
    QVERIFY(!r.Complete);
}

void TestCdListing::namesInNaturalOrderIgnoringCase()
{
    MakeTree(m_root, {"b", "A10", "a2", "a1", "B1", "Z.txt", "c3.txt"});
    TCdListingOptions o = options();
    o.DirsOnly = false;
    TMetafile mf;
    DrawCdListing(mf, o);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"a1", "a2", "A10", "b", "B1", "c3.txt", "Z.txt"}));
    o.DirsOnly = true;
    DrawCdListing(mf, o);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"a1", "a2", "A10", "b", "B1"}));
}

// A file before the last folder: the folder is the last entry, so its content has no
// level-1 line beside it; a file after a folder keeps that line going.
void TestCdListing::filesInTheFileFontAndTheLastEntryEndsTheLine()
{
    MakeTree(m_root, {"0.txt", "a/a1"});
    TCdListingOptions o = options(2);
    o.DirsOnly = false;
    TMetafile mf;
    DrawCdListing(mf, o);
    QCOMPARE(CdTraceOf(mf.Bytes(), "MOVE LINE TEXT"),
             QStringList({"MOVE 200 11000", "LINE 200 10880", "LINE 367 10880",
                          "TEXT 400 11000 0.txt", // file line: 360 high, connector 120 down
                          "MOVE 200 10880", "LINE 200 10507", "LINE 367 10507", "TEXT 400 10640 a",
                          "MOVE 600 10240", "LINE 600 10107", "LINE 767 10107",
                          "TEXT 800 10240 a1"}));
    MakeTree(m_root, {"b.txt"});
    DrawCdListing(mf, o);
    const QStringList lines = CdTraceOf(mf.Bytes(), "MOVE LINE TEXT");
    QVERIFY(lines.contains("MOVE 200 10507")); // beside a1, down to b.txt
}

void TestCdListing::folderAtTheFootOfAColumnListsItsContentInTheNext()
{
    MakeTree(m_root, {"a", "b", "c", "d", "e/e1"});
    TCdListingOptions o = options(2);
    o.ColHeight = 20;
    TMetafile mf;
    DrawCdListing(mf, o);
    const QStringList texts = CdTraceOf(mf.Bytes(), "TEXT");
    QCOMPARE(texts.at(4), QStringLiteral("TEXT 400 400 e"));
    QCOMPARE(texts.at(5), QStringLiteral("TEXT 4600 2000 e1")); // column 2, level 2
    // Both levels start at the top of the new column.
    const QStringList lines = CdTraceOf(mf.Bytes(), "MOVE LINE");
    QVERIFY(!lines.contains(QStringLiteral("MOVE 4000 2000"))); // e was last: level 1 ended
    QVERIFY(lines.contains(QStringLiteral("MOVE 4400 2000")));
}

void TestCdListing::linksToFoldersAreListedNotFollowed()
{
    MakeTree(m_root, {"a/inner"});
    QVERIFY(QFile::link(m_root, m_root + "/a/loop"));
    TCdListingOptions o = options(22);
    TMetafile mf;
    const TCdListingResult r = DrawCdListing(mf, o);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"a", "inner", "loop"}));
    QCOMPARE(r.FoldersRead, 3);
    QVERIFY(r.Complete);
}

void TestCdListing::unreadableFolderIsDrawnWithoutContent()
{
    MakeTree(m_root, {"a/a1", "locked/inner", "z"});
    QFile::setPermissions(m_root + "/locked", QFileDevice::Permissions());
    QFile::setPermissions(m_dir->path(), QFileDevice::Permissions(0x7755));
    TCdListingOptions o = options(2);
    TMetafile mf;
    TCdListingResult r;
    // root reads every folder: look at it as nobody (keeping root as the saved id).
    const bool root = geteuid() == 0;
    if (root)
        QVERIFY(setresuid(65534, 65534, 0) == 0);
    r = DrawCdListing(mf, o);
    if (root)
        QVERIFY(setresuid(0, 0, 0) == 0);
    QFile::setPermissions(m_root + "/locked", QFileDevice::Permissions(0x7700));
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"a", "a1", "locked", "z"}));
    QCOMPARE(r.Unreadable, QStringList({m_root + "/locked"}));
}

void TestCdListing::badLayoutsAreRefused()
{
    TCdListingOptions o = options();
    QVERIFY(CdLayoutProblem(o).isEmpty());
    o.ColCount = 0;
    QCOMPARE(CdLayoutProblem(o), QStringLiteral("Die Spaltenzahl muss zwischen 1 und 11 liegen, nicht 0."));
    o.ColCount = 11;
    o.ColsWidth = 3;
    o.ColDist = 1; // (3 - 10) / 11 < 1
    QVERIFY(CdLayoutProblem(o).contains(QStringLiteral("passen nicht")));
    o = options();
    o.DirLevelMax = 23;
    QVERIFY(CdLayoutProblem(o).contains(QStringLiteral("Tiefe")));
}

QTEST_MAIN(TestCdListing)
#include "tst_cdlisting.moc"

// Names from other systems (Latin-1, cut UTF-8) are listed with replacement characters and
// counted; a folder of such a name is read like any other.
void TestCdListing::namesThatAreNotUtf8AreShownAndCounted_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("folderShown");
    QTest::addColumn<int>("bad");
    QTest::newRow("Latin-1 folder and file")
        << QByteArray("M\xfcller") << QByteArray("caf\xe9.txt") << QStringLiteral("M\uFFFDller")
        << 2;
    QTest::newRow("cut UTF-8 folder")
        << QByteArray("ab\xc3") << QByteArray("gut.txt") << QStringLiteral("ab\uFFFD") << 1;
    QTest::newRow("valid UTF-8") << QByteArray("M\xc3\xbcller") << QByteArray("x.txt")
                                 << QStringLiteral("Müller") << 0;
}

void TestCdListing::namesThatAreNotUtf8AreShownAndCounted()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, file);
    QFETCH(QString, folderShown);
    QFETCH(int, bad);
    const QByteArray root = QFile::encodeName(m_root);
    const QByteArray sub = root + '/' + folder;
    QCOMPARE(::mkdir(sub.constData(), 0755), 0);
    const int fd = ::open((sub + '/' + file).constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    TCdListingOptions o = options(2);
    o.DirsOnly = false;
    TMetafile mf;
    const TCdListingResult r = DrawCdListing(mf, o);
    QCOMPARE(r.Entries, 2);
    QCOMPARE(r.BadNames, bad);
    QCOMPARE(r.FoldersRead, 2);
    QVERIFY(r.Unreadable.isEmpty());
    const QStringList texts = CdTexts(mf.Bytes());
    QVERIFY2(texts.contains(folderShown), qPrintable(texts.join(QLatin1Char('|'))));
    QCOMPARE(texts.size(), 2);
    // Qt cannot remove names it cannot encode: they go by their bytes.
    ::unlink((sub + '/' + file).constData());
    ::rmdir(sub.constData());
}
