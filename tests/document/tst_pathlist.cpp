// Rendering path lists: the drawing calls recorded in the picture, persisting fill and
// outline styles, point limits and bad numbers.

#include "document/appdocument.h"
#include "ui/globals.h"
#include <QPainter>
#include <QtEndian>
#include <QtTest>

namespace {

// One drawing call of the recorded picture with the pen and brush it was drawn with.
struct Shape {
    bool polygon = false;
    QList<QPoint> points;
    bool outlined = false;
    TColor outline = 0;
    int penWidth = 0;
    bool filled = false;
    TColor fill = 0;
};

struct Picture {
    int mapMode = 0;
    QPoint windowOrg;
    QSize frame; // 0.01 mm
    QList<Shape> shapes;
};

std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

std::int32_t i32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<std::int32_t>(b.constData() + at);
}

// Walks the EMF records the renderer writes, tracking the selected pen and brush.
Picture readPicture(const QByteArray& emf)
{
    struct Obj {
        bool pen = false;
        int style = 0;
        int width = 0;
        TColor colour = 0;
    };
    QHash<std::uint32_t, Obj> objects;
    Obj pen{true, 0, 1, 0}, brush{false, 0, 0, 0xFFFFFF};
    Picture pic;
    qsizetype at = 0;
    while (at + 8 <= emf.size()) {
        const std::uint32_t type = u32(emf, at), size = u32(emf, at + 4);
        if (size < 8 || at + size > emf.size())
            break;
        const qsizetype d = at + 8;
        switch (type) {
        case 1: { // header: frame in 0.01 mm
            pic.frame = QSize(i32(emf, d + 24) - i32(emf, d + 16), i32(emf, d + 28) - i32(emf, d + 20));
            break;
        }
        case 17:
            pic.mapMode = i32(emf, d);
            break;
        case 10:
            pic.windowOrg = QPoint(i32(emf, d), i32(emf, d + 4));
            break;
        case 38: // pen: handle, style, width, -, colour
            objects[u32(emf, d)] = Obj{true, i32(emf, d + 4), i32(emf, d + 8), u32(emf, d + 16)};
            break;
        case 39: // brush: handle, style, colour
            objects[u32(emf, d)] = Obj{false, i32(emf, d + 4), 0, u32(emf, d + 8)};
            break;
        case 37: {
            const std::uint32_t h = u32(emf, d);
            if (h == 0x80000008u)
                pen = Obj{true, 5, 0, 0};
            else if (h == 0x80000005u)
                brush = Obj{false, 1, 0, 0};
            else if (objects.contains(h))
                (objects[h].pen ? pen : brush) = objects[h];
            break;
        }
        case 3:   // polygon
        case 4: { // polyline: bounds, count, points
            Shape s;
            s.polygon = type == 3;
            const std::uint32_t n = u32(emf, d + 16);
            for (std::uint32_t i = 0; i < n; ++i)
                s.points << QPoint(i32(emf, d + 20 + 8 * i), i32(emf, d + 24 + 8 * i));
            s.outlined = pen.style != 5;
            s.outline = pen.colour;
            s.penWidth = pen.width;
            s.filled = s.polygon && brush.style != 1;
            s.fill = brush.colour;
            pic.shapes << s;
            break;
        }
        default:
            break;
        }
        at += size;
    }
    return pic;
}

Picture render(const QStringList& list, int w = 1000, int h = 500)
{
    TMetafile mf;
    mf.SetMMWidth(w);
    mf.SetMMHeight(h);
    TAppDocument::RenderPathList(mf, list);
    return readPicture(mf.Bytes());
}

const QList<QPoint> kTriangle = {QPoint(0, 0), QPoint(100, 0), QPoint(50, 100)};

} // namespace

class TestPathList : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void sizeLineAloneGivesAnEmptyPicture()
    {
        TMetafile mf;
        mf.SetMMWidth(1200);
        mf.SetMMHeight(800);
        // The size line is never read as a command, even when it looks like one.
        TAppDocument::RenderPathList(mf, {QStringLiteral("M1x1y")});
        const Picture pic = readPicture(mf.Bytes());
        QVERIFY(!mf.Bytes().isEmpty());
        QCOMPARE(pic.shapes.size(), 0);
        QCOMPARE(pic.frame, QSize(1200, 800));
        QCOMPARE(mf.MMWidth(), 1200);
        QCOMPARE(mf.MMHeight(), 800);
    }

    void coordinatesAreHimetricFromTheBottom()
    {
        const Picture pic = render({"x1000b500h", "M0x0y", "L100x0y", "L50x100y", "B"});
        QCOMPARE(pic.mapMode, 3);
        QCOMPARE(pic.windowOrg, QPoint(0, 500));
        QCOMPARE(pic.shapes.size(), 1);
        QCOMPARE(pic.shapes[0].points, kTriangle);
    }

    void filledTriangleUsesCurrentColours()
    {
        const Picture pic = render({"s", "k255r0g0b", "M0x0y", "L100x0y", "M50x100y", "B"});
        QCOMPARE(pic.shapes.size(), 1);
        const Shape& s = pic.shapes[0];
        QVERIFY(s.polygon);
        QCOMPARE(s.points, kTriangle);
        QVERIFY(s.filled);
        QCOMPARE(s.fill, TColor(0x0000FF));
        QVERIFY(s.outlined);
        QCOMPARE(s.outline, TColor(0));
        QCOMPARE(s.penWidth, 1);
    }

    void stylesPersistFromPathToPath()
    {
        const Picture pic = render({"s", "K0r128g255b", "w35#",
                                    "M0x0y", "L100x0y", "L50x100y", "F",   // fill only
                                    "M0x0y", "L100x0y", "L50x100y", "B",   // outline still off
                                    "M0x0y", "L100x0y", "S",               // fill now off
                                    "M0x0y", "L100x0y", "L50x100y", "B",   // neither
                                    "K1r2g3b",
                                    "M0x0y", "L100x0y", "L50x100y", "B",   // outline back
                                    "k9r8g7b",
                                    "M0x0y", "L100x0y", "L50x100y", "B"}); // fill back
        QCOMPARE(pic.shapes.size(), 6);
        QVERIFY(pic.shapes[0].filled && !pic.shapes[0].outlined);
        QVERIFY(pic.shapes[1].filled && !pic.shapes[1].outlined);
        // A polyline ended by "S" after "F": no visible outline.
        QVERIFY(!pic.shapes[2].polygon);
        QVERIFY(!pic.shapes[2].outlined);
        QCOMPARE(pic.shapes[2].points, (QList<QPoint>{{0, 0}, {100, 0}}));
        QVERIFY(!pic.shapes[3].filled && !pic.shapes[3].outlined);
        QVERIFY(!pic.shapes[4].filled && pic.shapes[4].outlined);
        QCOMPARE(pic.shapes[4].outline, TColor(0x030201));
        QCOMPARE(pic.shapes[4].penWidth, 35);
        QVERIFY(pic.shapes[5].filled && pic.shapes[5].outlined);
        QCOMPARE(pic.shapes[5].fill, TColor(0x070809));
    }

    void discardedAndUnknownLinesDrawNothing()
    {
        const Picture pic = render({"s", "M0x0y", "L100x0y", "L50x100y", "N", "B", "B ", " B",
                                    "BB", "", "x", "# Kommentar", "M5x5y", "L6x6y", "S"});
        QCOMPARE(pic.shapes.size(), 1);
        QCOMPARE(pic.shapes[0].points, (QList<QPoint>{{5, 5}, {6, 6}}));
    }

    void longPathsEndAtTenThousandPoints()
    {
        QStringList list{QStringLiteral("s")};
        for (int i = 0; i < 10005; ++i)
            list << QStringLiteral("L%1x%2y").arg(i).arg(i % 7);
        list << QStringLiteral("S") << QStringLiteral("M1x1y") << QStringLiteral("L2x2y")
             << QStringLiteral("S");
        const Picture pic = render(list);
        QCOMPARE(pic.shapes.size(), 2);
        QCOMPARE(pic.shapes[0].points.size(), 10000);
        QCOMPARE(pic.shapes[0].points.last(), QPoint(9999, 9999 % 7));
        // The next path starts afresh.
        QCOMPARE(pic.shapes[1].points, (QList<QPoint>{{1, 1}, {2, 2}}));
    }

    void badNumbersRaiseAndKeepWhatWasDrawn_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("letters") << QStringLiteral("M1ax2y");
        QTest::newRow("decimal") << QStringLiteral("L1.5x2y");
        QTest::newRow("empty") << QStringLiteral("Mx2y");
        QTest::newRow("missing letter") << QStringLiteral("L10x20");
        QTest::newRow("too large") << QStringLiteral("L99999999999x2y");
        QTest::newRow("colour") << QStringLiteral("k1r2gb");
        QTest::newRow("pen") << QStringLiteral("w#");
        QTest::newRow("pen end") << QStringLiteral("w5");
    }
    void badNumbersRaiseAndKeepWhatWasDrawn()
    {
        QFETCH(QString, line);
        TMetafile mf;
        mf.SetMMWidth(100);
        mf.SetMMHeight(100);
        const QStringList list = {"s", "M0x0y", "L1x1y", "S", "M0x0y", line, "L5x5y", "S"};
        try {
            TAppDocument::RenderPathList(mf, list);
            QFAIL("no error raised");
        } catch (const TPathListError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("Zeile 6")), qPrintable(e.message()));
            QVERIFY(e.message().contains(line));
        }
        const Picture pic = readPicture(mf.Bytes());
        QCOMPARE(pic.shapes.size(), 1);
        QCOMPARE(pic.shapes[0].points, (QList<QPoint>{{0, 0}, {1, 1}}));
    }

    void renderedPictureShowsTheTriangleUpright()
    {
        TMetafile mf;
        mf.SetMMWidth(2000);
        mf.SetMMHeight(1000);
        TAppDocument::RenderPathList(mf, {"x2000b1000h", "k255r0g0b", "M0x0y", "L2000x0y",
                                          "L1000x1000y", "B"});
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            mf.Play(p, QRect(QPoint(0, 0), QPoint(200, 100)));
        }
        // The base lies along the bottom edge, the apex at the top centre.
        QCOMPARE(img.pixelColor(20, 90), QColor(255, 0, 0));
        QCOMPARE(img.pixelColor(100, 50), QColor(255, 0, 0));
        QCOMPARE(img.pixelColor(20, 10), QColor(Qt::white));
        QCOMPARE(img.pixelColor(180, 10), QColor(Qt::white));
        // The outline is black.
        int dark = 0;
        for (int x = 0; x < 200; ++x)
            dark += qGray(img.pixel(x, 99)) < 60;
        QVERIFY(dark > 150);
    }

    void signsAndBlanksAroundNumbersAreAccepted()
    {
        const Picture pic = render({"s", "M-5x +7y", "L 3x-2y", "S"});
        QCOMPARE(pic.shapes.size(), 1);
        QCOMPARE(pic.shapes[0].points, (QList<QPoint>{{-5, 7}, {3, -2}}));
    }
};

QTEST_MAIN(TestPathList)
#include "tst_pathlist.moc"
