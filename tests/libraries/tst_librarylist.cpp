// Rules of the library list files, the size line of path lists and the preview fitting.
#include "document/librarylist.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLibraryList : public QObject {
    Q_OBJECT
private slots:
    void templateListGroupsEntriesUnderTheLatestHeading();
    void templateEntryBeforeAnyHeadingStaysAtTopLevel();
    void templateLabelKeepsLaterColons();
    void clipartListRules();
    void clipartChildWithoutTopLevelNodeIsKept();
    void clipartLabelsAreCut();
    void readsWindows1252WithEitherLineEnd();
    void unreadableListNamesTheFile();
    void qmgSizeLine_data();
    void qmgSizeLine();
    void fitKeepsTheAspect_data();
    void fitKeepsTheAspect();
    void veryTallPictureSizeLineFitsTheArea();
};

void TestLibraryList::templateListGroupsEntriesUnderTheLatestHeading() {
    const auto nodes = ParseTemplateList(
        {"Briefbogen", "#brief1:Klassisch", "#brief2:Modern", "Karten", "#karte1:Blau"});
    QCOMPARE(nodes.size(), 2);
    QCOMPARE(nodes[0].Text, QStringLiteral("Briefbogen"));
    QVERIFY(!nodes[0].HasName);
    QCOMPARE(nodes[0].Children.size(), 2);
    QCOMPARE(nodes[0].Children[1].Name, QStringLiteral("brief2"));
    QCOMPARE(nodes[0].Children[1].Text, QStringLiteral("Modern"));
    QVERIFY(nodes[0].Children[1].HasName);
    QCOMPARE(nodes[1].Children.size(), 1);
    QCOMPARE(nodes[1].Children[0].Name, QStringLiteral("karte1"));
}

void TestLibraryList::templateEntryBeforeAnyHeadingStaysAtTopLevel() {
    const auto nodes = ParseTemplateList({"#erste:Erste Vorlage", "Gruppe", "#zweite:Zweite"});
    QCOMPARE(nodes.size(), 2);
    QVERIFY(nodes[0].HasName);
    QCOMPARE(nodes[0].Name, QStringLiteral("erste"));
    QCOMPARE(nodes[1].Children.size(), 1);
}

void TestLibraryList::templateLabelKeepsLaterColons() {
    const auto nodes = ParseTemplateList({"#name:Titel: mit Doppelpunkt", "#ohne"});
    QCOMPARE(nodes[0].Text, QStringLiteral("Titel: mit Doppelpunkt"));
    QCOMPARE(nodes[1].Name, QStringLiteral("ohne"));
}

void TestLibraryList::clipartListRules() {
    const auto nodes = ParseClipartList({"Tiere", "", "#hund:Hund", "#katze:Katze", "sonne:Sonne",
                                         "#strahl:Strahl", "Überschrift #2", "#ohnedoppelpunkt"});
    QCOMPARE(nodes.size(), 3);
    // A line without ":" is a heading without a name.
    QCOMPARE(nodes[0].Text, QStringLiteral("Tiere"));
    QVERIFY(!nodes[0].HasName);
    QCOMPARE(nodes[0].Children.size(), 2);
    QCOMPARE(nodes[0].Children[0].Name, QStringLiteral("hund"));
    QCOMPARE(nodes[0].Children[0].Text, QStringLiteral("Hund"));
    // A top-level line with ":" is an entry itself and collects the "#" lines after it.
    QVERIFY(nodes[1].HasName);
    QCOMPARE(nodes[1].Name, QStringLiteral("sonne"));
    QCOMPARE(nodes[1].Children[0].Name, QStringLiteral("strahl"));
    QCOMPARE(nodes[2].Text, QStringLiteral("Überschrift #2"));
    QCOMPARE(nodes[2].Children.size(), 1);
    QVERIFY(!nodes[2].Children[0].HasName);
    QCOMPARE(nodes[2].Children[0].Text, QStringLiteral("ohnedoppelpunkt"));
}

void TestLibraryList::clipartChildWithoutTopLevelNodeIsKept() {
    const auto nodes = ParseClipartList({"#stern:Stern"});
    QCOMPARE(nodes.size(), 1);
    QCOMPARE(nodes[0].Name, QStringLiteral("stern"));
}

void TestLibraryList::clipartLabelsAreCut() {
    const QString longLabel(300, QLatin1Char('x'));
    const auto nodes = ParseClipartList({"a:" + longLabel, "#b:" + longLabel});
    QCOMPARE(nodes[0].Text.size(), 250);
    // The child line is first cut to 255 characters after the "#": 253 remain for the label.
    QCOMPARE(nodes[0].Children[0].Text.size(), 250);
    const auto shortCut = ParseClipartList({"k", "#c:" + QString(254, QLatin1Char('y'))});
    QCOMPARE(shortCut[0].Children[0].Text.size(), 250);
}

void TestLibraryList::readsWindows1252WithEitherLineEnd() {
    QTemporaryDir dir;
    const QString name = dir.filePath("liste.lst");
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Gr\xfc\xdf"
            "e\r\n#a:\x80uro\n#b:letzte");
    f.close();
    QStringList lines;
    ReadTextLines(name, lines);
    QCOMPARE(lines, QStringList({QStringLiteral("Grüße"), QStringLiteral("#a:€uro"),
                                 QStringLiteral("#b:letzte")}));
}

void TestLibraryList::unreadableListNamesTheFile() {
    QTemporaryDir dir;
    const QString name = dir.filePath("fehlt.lst");
    QStringList lines;
    try {
        ReadTextLines(name, lines);
        QFAIL("no error raised");
    } catch (const TLibraryError& e) {
        QVERIFY(e.message().contains(name));
    }
    QVERIFY(lines.isEmpty());
}

void TestLibraryList::qmgSizeLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("A4 landscape sheet") << "G2100b1480h" << true << 2100 << 1480;
    QTest::newRow("any leading char") << "x5b7h" << true << 5 << 7;
    QTest::newRow("trailing text") << "G100b200h rest" << true << 100 << 200;
    QTest::newRow("no b") << "G2100x1480h" << false << 0 << 0;
    QTest::newRow("no h") << "G2100b1480" << false << 0 << 0;
    QTest::newRow("not a number") << "G21o0b1480h" << false << 0 << 0;
    QTest::newRow("empty width") << "Gb1480h" << false << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0;
}

void TestLibraryList::qmgSizeLine() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(int, w);
    QFETCH(int, h);
    int gotW = -1, gotH = -1;
    QCOMPARE(ParseQmgSize(line, gotW, gotH), ok);
    if (ok) {
        QCOMPARE(gotW, w);
        QCOMPARE(gotH, h);
    } else {
        // A rejected line leaves the sizes alone.
        QCOMPARE(gotW, -1);
        QCOMPARE(gotH, -1);
    }
}

void TestLibraryList::fitKeepsTheAspect_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("areaW");
    QTest::addColumn<int>("areaH");
    QTest::addColumn<int>("outW");
    QTest::addColumn<int>("outH");
    // Fractions are dropped.
    QTest::newRow("wide picture, tall area: by width") << 1000 << 300 << 200 << 400 << 200 << 60;
    QTest::newRow("tall picture, wide area: by height") << 300 << 1000 << 400 << 200 << 60 << 200;
    QTest::newRow("100 * 3 / 7 = 42.86") << 3 << 7 << 100 << 100 << 42 << 100;
    // Beyond an int at full width or height.
    QTest::newRow("two billion times taller") << 1 << 2000000000 << 200 << 200 << 0 << 200;
    QTest::newRow("two billion times wider") << 2000000000 << 1 << 200 << 200 << 200 << 0;
}

void TestLibraryList::fitKeepsTheAspect() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, areaW);
    QFETCH(int, areaH);
    int fittedW = -1, fittedH = -1;
    FitKeepingAspect(w, h, areaW, areaH, fittedW, fittedH);
    QFETCH(int, outW);
    QFETCH(int, outH);
    QCOMPARE(fittedW, outW);
    QCOMPARE(fittedH, outH);
}

void TestLibraryList::veryTallPictureSizeLineFitsTheArea() {
    // "o1b118030h": a path list one unit wide and 118,030 tall. Fitted to a sheet of
    // 21,000 x 29,700 its height at full width would be 2.5 billion, beyond an int.
    int w = 0, h = 0;
    QVERIFY(ParseQmgSize(QStringLiteral("o1b118030h"), w, h));
    int outW = -1, outH = -1;
    FitKeepingAspect(w, h, 21000, 29700, outW, outH);
    QCOMPARE(outH, 29700);
    QCOMPARE(outW, 0); // 29,700 / 118,030 of a unit
}

QTEST_GUILESS_MAIN(TestLibraryList)
#include "tst_librarylist.moc"
