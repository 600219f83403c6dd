// Rewriting path lists: mirror and turn coordinates, colours and stroke widths, and lists
// with malformed numbers.

#include "inspector/pathlistedit.h"
#include <QTest>

class TestPathListEdit : public QObject {
    Q_OBJECT
private slots:
    void flipsMovesAndLines_data();
    void flipsMovesAndLines();
    void flipTwiceRestores();
    void flipLeavesOtherLinesAndTheSizeLine();
    void malformedCoordinateRaisesAndNamesTheLine();
    void colourLines();
    void strokeWidths();
    void mapColourLinesTouchesOnlyThatKind();
};

void TestPathListEdit::flipsMovesAndLines_data() {
    QTest::addColumn<int>("flip");
    QTest::addColumn<QString>("expected");
    QTest::newRow("horizontal") << int(TPathFlip::Horizontal) << "L4000x200y";
    QTest::newRow("vertical") << int(TPathFlip::Vertical) << "L1000x2800y";
    QTest::newRow("turn") << int(TPathFlip::Turn180) << "L4000x2800y";
}

void TestPathListEdit::flipsMovesAndLines() {
    QFETCH(int, flip);
    QFETCH(QString, expected);
    const QStringList list = {"x5000b3000h", "M0x0y", "L1000x200y"};
    const QStringList out = FlipPathList(list, TPathFlip(flip), 5000, 3000);
    QCOMPARE(out.at(2), expected);
    if (TPathFlip(flip) == TPathFlip::Horizontal)
        QCOMPARE(out.at(1), QStringLiteral("M5000x0y"));
}

void TestPathListEdit::flipTwiceRestores() {
    const QStringList list = {"x5000b3000h", "M-20x7y", "L1000x200y", "L4999x2999y", "B"};
    for (TPathFlip f : {TPathFlip::Horizontal, TPathFlip::Vertical, TPathFlip::Turn180})
        QCOMPARE(FlipPathList(FlipPathList(list, f, 5000, 3000), f, 5000, 3000), list);
}

void TestPathListEdit::flipLeavesOtherLinesAndTheSizeLine() {
    // The size line may begin with any character, also one of the command letters.
    const QStringList list = {"M5000b3000h", "k1r2g3b", "K4r5g6b", "w10#", "B", "Lfoo", "N"};
    try {
        FlipPathList(list, TPathFlip::Horizontal, 5000, 3000);
        QFAIL("a line without numbers must be refused");
    } catch (const TPathListError& e) {
        QVERIFY(e.message().contains(QStringLiteral("Zeile 6")));
        QVERIFY(e.message().contains(QStringLiteral("Lfoo")));
    }
    QStringList good = list;
    good.removeAt(5);
    QCOMPARE(FlipPathList(good, TPathFlip::Turn180, 5000, 3000), good);
}

void TestPathListEdit::malformedCoordinateRaisesAndNamesTheLine() {
    for (const QString bad : {"L12.5x3y", "L12x3.0y", "Lx3y", "L12x3", "L 1 2x3y", "L1e3x3y"}) {
        const QStringList list = {"x100b100h", "M1x1y", bad};
        QVERIFY_THROWS_EXCEPTION(TPathListError, FlipPathList(list, TPathFlip::Vertical, 100, 100));
    }
    // Signs are numbers too.
    QCOMPARE(FlipPathList({"s", "L+5x-5y"}, TPathFlip::Turn180, 100, 100).at(1),
             QStringLiteral("L95x105y"));
}

void TestPathListEdit::colourLines() {
    const QStringList list = {"x1b1h", "M1x1y", "k10r20g30b", "K1r2g3b", "k40r50g60b"};
    QCOMPARE(FindPathLine(list, QLatin1Char('k')), 2);
    QCOMPARE(FindPathLine(list, QLatin1Char('K')), 3);
    QCOMPARE(FindPathLine(list, QLatin1Char('w')), -1);
    QCOMPARE(ParseColorLine(list.at(2), 2), (TRgb{10, 20, 30}));
    QCOMPARE(ColorLine(QLatin1Char('K'), {255, 0, 128}), QStringLiteral("K255r0g128b"));
    QVERIFY_THROWS_EXCEPTION(TPathListError, ParseColorLine(QStringLiteral("k1r2.5g3b"), 4));
    QVERIFY_THROWS_EXCEPTION(TPathListError, ParseColorLine(QStringLiteral("k1r2g"), 4));
    // The size line is never taken for a command.
    QCOMPARE(FindPathLine({"k100b100h", "M1x1y"}, QLatin1Char('k')), -1);
}

void TestPathListEdit::strokeWidths() {
    const QStringList list = {"x1b1h", "w0#", "M1x1y", "w25#", "K1r1g1b"};
    QCOMPARE(FirstStrokeWidth(list), std::optional<QString>(QStringLiteral("0")));
    QCOMPARE(FirstStrokeWidth({"w7#", "M1x1y"}), std::nullopt); // line 0 is the size line
    const QStringList out = SetStrokeWidths(list, QStringLiteral("10"));
    QCOMPARE(out, (QStringList{"x1b1h", "w10#", "M1x1y", "w10#", "K1r1g1b"}));
}

void TestPathListEdit::mapColourLinesTouchesOnlyThatKind() {
    const QStringList list = {"x1b1h", "k0r100g255b", "K0r100g255b", "k1r2g3b"};
    const QStringList out = MapColorLines(list, QLatin1Char('k'), [](const TRgb& c) {
        return TRgb{255 - c.r, 255 - c.g, 255 - c.b};
    });
    QCOMPARE(out, (QStringList{"x1b1h", "k255r155g0b", "K0r100g255b", "k254r253g252b"}));
    // A malformed colour line leaves the caller's list untouched.
    const QStringList bad = {"x1b1h", "k0r0g0b", "kzr0g0b"};
    QVERIFY_THROWS_EXCEPTION(TPathListError,
                             MapColorLines(bad, QLatin1Char('k'), [](const TRgb& c) { return c; }));
}

QTEST_APPLESS_MAIN(TestPathListEdit)
#include "tst_pathlistedit.moc"
