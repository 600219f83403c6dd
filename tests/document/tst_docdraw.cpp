// Drawing a side of the sheet: text anchors for every alignment and angle range, font
// size rounding, shadow, clipping, sides, stacking and the selection frame.

#include "document/appdocument.h"
#include "ui/globals.h"
#include "document/units.h"
#include <QFontMetricsF>
#include <QPainter>
#include "metafile/emfpaintdevice.h"
#include "metafile/rasterimport.h"
#include <QtTest>
#include <cmath>

namespace {

QImage blankSheet(int w = 600, int h = 600)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

QImage draw(const TAppDocument& d, double zoom, int w = 600, int h = 600)
{
    QImage img = blankSheet(w, h);
    QPainter p(&img);
    d.DrawElements(p, zoom, CurrentSide);
    return img;
}

// Bounding box of the pixels that are not white (or, with a colour, close to it).
QRect inkBox(const QImage& img, std::optional<QColor> colour = std::nullopt)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = row[x];
            bool ink;
            if (colour)
                ink = std::abs(qRed(c) - colour->red()) < 40 &&
                      std::abs(qGreen(c) - colour->green()) < 40 &&
                      std::abs(qBlue(c) - colour->blue()) < 40;
            else
                ink = qGray(c) < 200;
            if (ink)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The rotated text cell of text drawn with its reference point at (x, y).
QRectF textCell(const QString& text, int pixelSize, double x, double y, double degrees,
                int alignH, bool baseline)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    const QFontMetricsF fm(f);
    const double w = fm.horizontalAdvance(text);
    const double x0 = alignH == 0 ? 0 : (alignH == 1 ? -w / 2 : -w);
    const double y0 = baseline ? -fm.ascent() : 0;
    const double c = std::cos(qDegreesToRadians(degrees));
    const double s = std::sin(qDegreesToRadians(degrees));
    QPolygonF corners;
    for (QPointF p : {QPointF(x0, y0), QPointF(x0 + w, y0), QPointF(x0, y0 + fm.height()),
                      QPointF(x0 + w, y0 + fm.height())})
        corners << QPointF(x + p.x() * c + p.y() * s, y - p.x() * s + p.y() * c);
    return corners.boundingRect();
}

TDocElementTXT* bigBox(TAppDocument& d, const QString& text)
{
    TDocElementTXT* t = d.AddText(text, CurrentSide);
    t->Left = 20;
    t->Top = 20;
    t->Width = 100;
    t->Height = 100;
    return t;
}

} // namespace

class TestDocDraw : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void textIsAnchoredByAlignmentAndAngle_data()
    {
        QTest::addColumn<int>("alignH");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("baseline");
        // Box 20..120 mm both ways at zoom 1: 20 mm is pixel 75, 70 mm 262, 120 mm 450.
        QTest::newRow("left 0") << 0 << 0 << 75 << 75 << false;
        QTest::newRow("left 450") << 0 << 450 << 75 << 262 << false;
        QTest::newRow("left 900") << 0 << 900 << 75 << 450 << false;
        QTest::newRow("left -900") << 0 << -900 << 450 << 75 << false;
        QTest::newRow("left -450") << 0 << -450 << 262 << 75 << false;
        QTest::newRow("left 1800") << 0 << 1800 << 450 << 450 << false;
        QTest::newRow("left -1799") << 0 << -1799 << 450 << 449 << false;
        QTest::newRow("left 1350") << 0 << 1350 << 262 << 450 << false;
        QTest::newRow("centre 0") << 1 << 0 << 262 << 75 << false;
        QTest::newRow("centre 450") << 1 << 450 << 262 << 262 << true;
        QTest::newRow("centre -900") << 1 << -900 << 262 << 262 << true;
        QTest::newRow("right 0") << 2 << 0 << 450 << 75 << false;
        QTest::newRow("right 450") << 2 << 450 << 262 << 75 << false;
        QTest::newRow("right 900") << 2 << 900 << 75 << 75 << false;
        QTest::newRow("right -450") << 2 << -450 << 450 << 262 << false;
        QTest::newRow("right -900") << 2 << -900 << 450 << 450 << false;
        QTest::newRow("right 1800") << 2 << 1800 << 75 << 450 << false;
        QTest::newRow("right -1799") << 2 << -1799 << 75 << 450 << false;
    }
    void textIsAnchoredByAlignmentAndAngle()
    {
        QFETCH(int, alignH);
        QFETCH(int, angle);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, baseline);
        TAppDocument d(false);
        const QString text = QStringLiteral("HHH");
        TDocElementTXT* t = bigBox(d, text);
        t->AlignH = std::uint8_t(alignH);
        t->Angle = angle;
        const QRect ink = inkBox(draw(d, 1));
        QVERIFY(!ink.isEmpty());
        // 30 points at zoom 1 are 40 pixels at the sheet scale.
        const QRectF cell = textCell(text, 40, x, y, angle / 10.0, alignH, baseline);
        const double slack = 3;
        QVERIFY2(cell.adjusted(-slack, -slack, slack, slack).contains(QRectF(ink)),
                 qPrintable(QStringLiteral("ink %1,%2 %3x%4 outside cell %5,%6 %7x%8")
                                .arg(ink.x())
                                .arg(ink.y())
                                .arg(ink.width())
                                .arg(ink.height())
                                .arg(cell.x())
                                .arg(cell.y())
                                .arg(cell.width())
                                .arg(cell.height())));
        // The glyphs fill most of the cell: the cell is where the text is, not just around it.
        QVERIFY(ink.width() > cell.width() * 0.6);
        QVERIFY(ink.height() > cell.height() * 0.6);
    }

    void fontSizeHalvesRoundToEven()
    {
        // At zoom 0.5: 25 pt gives 12.5 (to 12), 27 pt gives 13.5 (to 14).
        auto picture = [](int fontSize) {
            TAppDocument d(false);
            bigBox(d, QStringLiteral("Hg"))->FontSize = fontSize;
            return draw(d, 0.5);
        };
        QCOMPARE(picture(250), picture(240));
        QCOMPARE(picture(270), picture(280));
        QVERIFY(picture(250) != picture(260));
        // The cap height of 30 pt at zoom 1 matches a 40-pixel font.
        TAppDocument d(false);
        bigBox(d, QStringLiteral("H"));
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(40);
        QCOMPARE(inkBox(draw(d, 1)).height(), qRound(QFontMetricsF(f).capHeight()));
    }

    void textHasItsColourAndShadow()
    {
        TAppDocument d(false);
        TDocElementTXT* t = bigBox(d, QStringLiteral("HHH"));
        t->FontColor = 0x0000FF; // red
        t->Shadow = true;
        t->ShadowX = 2;
        t->ShadowY = 1;
        t->ShadowColor = 0xFF0000; // blue
        const QImage img = draw(d, 1);
        const QRect red = inkBox(img, QColor(255, 0, 0));
        const QRect blue = inkBox(img, QColor(0, 0, 255));
        QVERIFY(!red.isEmpty());
        QVERIFY(!blue.isEmpty());
        // The shadow lies 2 mm right (7 pixels) and 1 mm down (3 pixels), under the text.
        QCOMPARE(blue.right() - red.right(), 7);
        QCOMPARE(blue.bottom() - red.bottom(), 3);
        QCOMPARE(img.pixelColor(red.center()).isValid(), true);

        t->Shadow = false;
        QVERIFY(inkBox(draw(d, 1), QColor(0, 0, 255)).isEmpty());
    }

    void textIsCutOffAtItsBox()
    {
        TAppDocument d(false);
        TDocElementTXT* t = d.AddText(QString(30, QLatin1Char('W')), CurrentSide);
        t->Left = 10;
        t->Top = 10;
        t->Width = 30;
        t->Height = 5; // lower than the text
        t->Shadow = true;
        t->ShadowX = 3;
        t->ShadowY = 3;
        const QImage img = draw(d, 1);
        const QRect black = inkBox(img, QColor(0, 0, 0));
        const QRect all = inkBox(img);
        // Text box: pixels 37..149 across, 37..55 down; the shadow box 48..160 and 48..66.
        QVERIFY(!black.isEmpty());
        QVERIFY(QRect(QPoint(37, 37), QPoint(149, 55)).contains(black));
        QVERIFY(QRect(QPoint(37, 37), QPoint(160, 66)).contains(all));
        QCOMPARE(all.right(), 160);
        QCOMPARE(all.bottom(), 66);
    }

    void onlyTheShownSideIsDrawnTopmostLast()
    {
        TAppDocument d(false);
        TDocElementTXT* lower = bigBox(d, QStringLiteral("HHH"));
        lower->FontColor = 0x0000FF;
        CurrentSide = 1;
        TDocElementTXT* back = bigBox(d, QStringLiteral("HHH"));
        back->FontColor = 0x00FF00;
        CurrentSide = 0;
        TDocElementTXT* upper = bigBox(d, QStringLiteral("HHH"));
        upper->FontColor = 0xFF0000;
        const QImage front = draw(d, 1);
        QVERIFY(inkBox(front, QColor(0, 255, 0)).isEmpty());
        QVERIFY(!inkBox(front, QColor(0, 0, 255)).isEmpty());
        // The upper element covers the lower one completely.
        QVERIFY(inkBox(front, QColor(255, 0, 0)).isEmpty());

        CurrentSide = 1;
        const QImage rear = draw(d, 1);
        QVERIFY(!inkBox(rear, QColor(0, 255, 0)).isEmpty());
        QVERIFY(inkBox(rear, QColor(0, 0, 255)).isEmpty());
    }

    void drawingCanBeRecordedAsMetafile()
    {
        TAppDocument d(false);
        TDocElementTXT* t = bigBox(d, QStringLiteral("HHH"));
        t->Angle = 900;
        t->FontColor = 0x0000FF;
        const QImage direct = draw(d, 1);
        TMetafile picture;
        {
            TEmfPaintDevice device(picture, QSize(600, 600));
            QPainter p(&device);
            d.DrawElements(p, 1, CurrentSide);
        }
        QVERIFY(!picture.Empty());
        QImage replay = blankSheet();
        {
            QPainter p(&replay);
            picture.Play(p, QRect(QPoint(0, 0), QPoint(600, 600)));
        }
        const QRect a = inkBox(direct, QColor(255, 0, 0)), b = inkBox(replay, QColor(255, 0, 0));
        QVERIFY(!b.isEmpty());
        QVERIFY2((a.topLeft() - b.topLeft()).manhattanLength() <= 4 &&
                     (a.bottomRight() - b.bottomRight()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2-%3,%4 vs %5,%6-%7,%8")
                                .arg(a.left()).arg(a.top()).arg(a.right()).arg(a.bottom())
                                .arg(b.left()).arg(b.top()).arg(b.right()).arg(b.bottom())));
    }

    void graphicsFillTheirBoxMirroredOrNot()
    {
        // A green square picture from a path list, 10 x 10 mm.
        TMetafile square;
        square.SetMMWidth(1000);
        square.SetMMHeight(1000);
        TAppDocument::RenderPathList(square, {"x1000b1000h", "k0r255g0b", "M0x0y", "L1000x0y",
                                              "L1000x1000y", "L0x1000y", "F"});
        TAppDocument d(false);
        TDocElementWMF* g = d.AddGraphic(square, 0, nullptr, CurrentSide);
        g->Left = 20;
        g->Top = 10;
        g->Width = 40;
        g->Height = 20;
        // 20..60 mm is pixels 75..225, 10..30 mm pixels 37..112 (right and bottom excluded).
        const QRect expected(QPoint(75, 37), QPoint(224, 111));
        QRect green = inkBox(draw(d, 1), QColor(0, 255, 0));
        QVERIFY2((green.topLeft() - expected.topLeft()).manhattanLength() <= 2 &&
                     (green.bottomRight() - expected.bottomRight()).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2-%3,%4").arg(green.left()).arg(green.top())
                                .arg(green.right()).arg(green.bottom())));
        // A negative width mirrors the picture into the box on the other side of Left.
        g->Left = 60;
        g->Width = -40;
        green = inkBox(draw(d, 1), QColor(0, 255, 0));
        QVERIFY((green.topLeft() - expected.topLeft()).manhattanLength() <= 3);
        QVERIFY((green.bottomRight() - expected.bottomRight()).manhattanLength() <= 3);
        // The other side's elements stay hidden.
        g->Side = 1;
        QVERIFY(inkBox(draw(d, 1)).isEmpty());
    }

    // A small raster picture drawn large is interpolated: its block edges show shades
    // between black and white instead of steps, on screen and in print alike.
    void enlargedRasterPicturesAreSmooth_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("mirrored");
        QTest::newRow("Zoom 1") << 1.0 << false;
        QTest::newRow("Zoom 2") << 2.0 << false;
        QTest::newRow("gespiegelt") << 1.0 << true;
    }
    void enlargedRasterPicturesAreSmooth()
    {
        QFETCH(double, zoom);
        QFETCH(bool, mirrored);
        QImage checker(4, 4, QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                checker.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        TAppDocument d(false);
        TDocElementWMF* g = d.AddGraphic(RecordImage(checker, 400, 400), 1, nullptr);
        g->Left = mirrored ? 50 : 10;
        g->Top = 10;
        g->Width = mirrored ? -40 : 40;
        g->Height = 40;
        const QImage image = draw(d, zoom, 900, 900);
        int shades = 0;
        const QRect box(MmToPixel(zoom, 12), MmToPixel(zoom, 12), MmToPixel(zoom, 36),
                        MmToPixel(zoom, 36));
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const int grey = qGray(image.pixel(x, y));
                shades += grey > 40 && grey < 215;
            }
        // Steps would leave only the pixels on the block edges, a line or two each.
        QVERIFY2(shades > box.width() * 6 * 3, qPrintable(QString::number(shades)));
    }

    // The sheet is drawn cut at its edge, in every view that shows it (the editor, the
    // file and template previews): nothing of an element beyond it lands beside the sheet.
    void elementsAreCutAtTheSheetsEdge_data()
    {
        QTest::addColumn<QRectF>("box"); // mm, on a 100 x 50 mm sheet
        QTest::newRow("beyond the right edge") << QRectF(90, 10, 30, 20);
        QTest::newRow("beyond the bottom edge") << QRectF(10, 40, 20, 30);
        QTest::newRow("beyond the left and top edges") << QRectF(-10, -10, 30, 30);
    }
    void elementsAreCutAtTheSheetsEdge()
    {
        QFETCH(QRectF, box);
        TMetafile square;
        square.SetMMWidth(1000);
        square.SetMMHeight(1000);
        TAppDocument::RenderPathList(square, {"x1000b1000h", "k0r0g0b", "M0x0y", "L1000x0y",
                                              "L1000x1000y", "L0x1000y", "F"});
        TAppDocument d(false);
        d.PageWidth = 100;
        d.PageHeight = 50;
        TDocElementWMF* g = d.AddGraphic(square, 0, nullptr, CurrentSide);
        g->Left = box.left();
        g->Top = box.top();
        g->Width = box.width();
        g->Height = box.height();
        QImage img = blankSheet();
        {
            QPainter p(&img);
            p.translate(100, 100); // the sheet drawn inside a larger view
            d.DrawElements(p, 1, CurrentSide);
        }
        const QRect sheet(100, 100, MmToPixel(1, 100), MmToPixel(1, 50));
        const QRect ink = inkBox(img);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(sheet.contains(ink), qPrintable(QStringLiteral("%1,%2-%3,%4")
                                                     .arg(ink.left()).arg(ink.top())
                                                     .arg(ink.right()).arg(ink.bottom())));
    }

    void selectionFrameIsDottedAndErasesItself()
    {
        TAppDocument d(false);
        TDocElementTXT* t = d.AddText(QString(), CurrentSide);
        t->Left = PixelToMm(50, 1);
        t->Top = PixelToMm(40, 1);
        t->Width = PixelToMm(100, 1);
        t->Height = PixelToMm(60, 1);
        QImage img = blankSheet(300, 300);
        {
            QPainter p(&img);
            d.DrawSelection(p, 1); // nothing selected
        }
        QCOMPARE(img, blankSheet(300, 300));

        d.SelectedIndex = 0;
        {
            QPainter p(&img);
            d.DrawSelection(p, 1);
        }
        const QRect frame = inkBox(img);
        QCOMPARE(frame, QRect(QPoint(50, 40), QPoint(149, 99)));
        QCOMPARE(inkBox(img, QColor(0, 0, 255)), frame);
        // Dotted: along the top edge every other pixel is set.
        int set = 0;
        for (int x = 50; x < 150; ++x)
            set += img.pixelColor(x, 40) != QColor(Qt::white);
        QCOMPARE(set, 50);
        QCOMPARE(img.pixelColor(100, 70), QColor(Qt::white));

        // Drawing it again on any picture restores the picture.
        QImage grey = blankSheet(300, 300);
        grey.fill(QColor(90, 140, 200));
        QImage before = grey;
        {
            QPainter p(&grey);
            d.DrawSelection(p, 1);
            QCOMPARE(p.compositionMode(), QPainter::CompositionMode_SourceOver);
            d.DrawSelection(p, 1);
        }
        QCOMPARE(grey, before);
    }
};

QTEST_MAIN(TestDocDraw)
#include "tst_docdraw.moc"
