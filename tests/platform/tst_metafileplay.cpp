// Playing metafiles: coordinate mapping, text, bitmaps, mirroring, the object table and
// the DC stack, checked by pixels and by the trace of drawing calls.
#include "metafiletestutil.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

using namespace mftest;

class TestMetafilePlay : public QObject {
    Q_OBJECT
private slots:
    void mappingModesPlaceTheRectangle_data();
    void mappingModesPlaceTheRectangle();
    void textAlignmentUsesTheMultiBitValues_data();
    void textAlignmentUsesTheMultiBitValues();
    void fontHeightSignAndEscapement();
    void dxArrayGivesTheAdvances();
    void backgroundModeFillsTheTextCell();
    void symbolFontTextBecomesGreek();
    void fewFontsKeepTheTextsPlaceAndSize();
    void stretchDibitsDecodesEveryDepth_data();
    void stretchDibitsDecodesEveryDepth();
    void transparentBltLeavesOutItsKeyColour();
    void mirroredDestinationFlipsThePicture();
    void wmfWindowMapsOntoThePicture();
    void wmfTextAndOpaqueRectangle();
    void wmfCreateRecordsTakeTheLowestFreeSlot();
    void stockObjectsAndDeletedObjects();
    void wmfPatternBrushTakesADibEvenAsBsPattern();
    void restoreDcReturnsToTheSavedLevel();
    void clippingCombinesAndIsSavedWithTheDc();
    void damagedRecordsStopPlaybackSafely();
    void everyTruncationPlaysSafely();
    void recordLimitStopsPlaybackAndSaysSo();
};

namespace {

QVector<QPointF> tracePoints(const QString& line) {
    QVector<QPointF> pts;
    static const QRegularExpression re(QStringLiteral("(-?[0-9.e+]+),(-?[0-9.e+]+)"));
    for (auto it = re.globalMatch(line); it.hasNext();) {
        auto m = it.next();
        pts << QPointF(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return pts;
}

QRectF traceBounds(const QString& line) {
    QVector<QPointF> pts = tracePoints(line);
    QPolygonF poly(pts);
    return poly.boundingRect();
}

// Parses "ref=x,y" and "box=l,t,r,b" of a text trace line.
void textGeometry(const QString& line, QPointF& ref, QRectF& box, double& size) {
    static const QRegularExpression re(
        QStringLiteral("ref=(\\S+),(\\S+) size=(\\S+) .* box=(\\S+),(\\S+),(\\S+),(\\S+)$"));
    auto m = re.match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    ref = QPointF(m.captured(1).toDouble(), m.captured(2).toDouble());
    size = m.captured(3).toDouble();
    box = QRectF(QPointF(m.captured(4).toDouble(), m.captured(5).toDouble()),
                 QPointF(m.captured(6).toDouble(), m.captured(7).toDouble()));
}

QString firstWith(const QStringList& trace, const QString& prefix) {
    for (const QString& l : trace)
        if (l.startsWith(prefix))
            return l;
    return {};
}

// Bounding box of the non-white pixels.
QRect inkBounds(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                r |= QRect(x, y, 1, 1);
    return r;
}

void solidRedOn(Emf& e) {
    e.nullPen(1);
    e.brush(2, rgb(255, 0, 0));
    e.select(1);
    e.select(2);
}

} // namespace

void TestMetafilePlay::mappingModesPlaceTheRectangle_data() {
    QTest::addColumn<QByteArray>("emf");
    QTest::addColumn<QRectF>("expected"); // in the 100 x 100 destination
    // The reference device has 10 pixels per mm and maps 1000 pixels onto 100.
    auto make = [](int mode, std::function<void(Emf&)> setup, QRect r) {
        Emf e;
        e.mapMode(mode);
        setup(e);
        e.rectangle(r.left(), r.top(), r.right(), r.bottom());
        return e.finish();
    };
    auto none = [](Emf&) {};
    QTest::newRow("MM_TEXT window origin")
        << make(1, [](Emf& e) { e.windowOrg(100, 200); }, QRect(QPoint(100, 200), QPoint(300, 400)))
        << QRectF(0, 0, 20, 20);
    QTest::newRow("MM_TEXT viewport origin")
        << make(1, [](Emf& e) { e.viewportOrg(100, 100); }, QRect(QPoint(0, 0), QPoint(200, 200)))
        << QRectF(10, 10, 20, 20);
    QTest::newRow("MM_TEXT ignores extents")
        << make(1, [](Emf& e) { e.windowExt(10, 10); e.viewportExt(50, 50); },
                QRect(QPoint(0, 0), QPoint(200, 200)))
        << QRectF(0, 0, 20, 20);
    QTest::newRow("MM_LOMETRIC y up")
        << make(2, none, QRect(QPoint(0, 0), QPoint(200, -300))) << QRectF(0, 0, 20, 30);
    QTest::newRow("MM_HIMETRIC window origin")
        << make(3, [](Emf& e) { e.windowOrg(1000, 0); }, QRect(QPoint(1000, 0), QPoint(3000, -2000)))
        << QRectF(0, 0, 20, 20);
    QTest::newRow("MM_LOENGLISH")
        << make(4, none, QRect(QPoint(0, 0), QPoint(100, -100))) << QRectF(0, 0, 25.4, 25.4);
    QTest::newRow("MM_HIENGLISH")
        << make(5, none, QRect(QPoint(0, 0), QPoint(1000, -1000))) << QRectF(0, 0, 25.4, 25.4);
    QTest::newRow("MM_TWIPS window origin")
        << make(6, [](Emf& e) { e.windowOrg(0, 1440); }, QRect(QPoint(0, 1440), QPoint(1440, 0)))
        << QRectF(0, 0, 25.4, 25.4);
    QTest::newRow("MM_ISOTROPIC keeps the aspect")
        << make(7, [](Emf& e) { e.windowExt(1000, 500); e.viewportExt(500, 500); },
                QRect(QPoint(0, 0), QPoint(400, 400)))
        << QRectF(0, 0, 20, 20);
    QTest::newRow("MM_ANISOTROPIC")
        << make(8, [](Emf& e) { e.windowExt(1000, 500); e.viewportExt(500, 500); },
                QRect(QPoint(0, 0), QPoint(400, 400)))
        << QRectF(0, 0, 20, 40);
    QTest::newRow("MM_ANISOTROPIC both origins")
        << make(8, [](Emf& e) {
               e.windowExt(1000, 500);
               e.viewportExt(500, 500);
               e.windowOrg(500, 500);
               e.viewportOrg(100, 100);
           }, QRect(QPoint(500, 500), QPoint(900, 900)))
        << QRectF(10, 10, 20, 40);
    QTest::newRow("MM_ANISOTROPIC flipped window")
        << make(8, [](Emf& e) { e.windowExt(1000, -1000); e.viewportExt(1000, 1000); e.windowOrg(0, 1000); },
                QRect(QPoint(0, 1000), QPoint(200, 800)))
        << QRectF(0, 0, 20, 20);
}

void TestMetafilePlay::mappingModesPlaceTheRectangle() {
    QFETCH(QByteArray, emf);
    QFETCH(QRectF, expected);
    QStringList trace;
    render(fromBytes(emf), QSize(100, 100), QRectF(), &trace);
    QString line = firstWith(trace, "polygon");
    QVERIFY2(!line.isEmpty(), qPrintable(trace.join('\n')));
    QRectF got = traceBounds(line);
    QVERIFY2(std::abs(got.left() - expected.left()) < 0.2 && std::abs(got.top() - expected.top()) < 0.2 &&
                 std::abs(got.right() - expected.right()) < 0.2 &&
                 std::abs(got.bottom() - expected.bottom()) < 0.2,
             qPrintable(line));
}

void TestMetafilePlay::textAlignmentUsesTheMultiBitValues_data() {
    QTest::addColumn<int>("align");
    QTest::addColumn<QString>("horizontal");
    QTest::addColumn<QString>("vertical");
    QTest::newRow("left top") << 0 << "left" << "top";
    QTest::newRow("right") << 2 << "right" << "top";
    QTest::newRow("center") << 6 << "center" << "top";
    QTest::newRow("bottom") << 8 << "left" << "bottom";
    QTest::newRow("baseline") << 24 << "left" << "baseline";
    QTest::newRow("center baseline") << 30 << "center" << "baseline";
    QTest::newRow("right bottom") << 10 << "right" << "bottom";
}

void TestMetafilePlay::textAlignmentUsesTheMultiBitValues() {
    QFETCH(int, align);
    QFETCH(QString, horizontal);
    QFETCH(QString, vertical);
    Emf e;
    e.font(1, -100);
    e.select(1);
    e.textAlign(align);
    e.text(500, 500, "Hxg");
    QStringList trace;
    render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    QPointF ref;
    QRectF box;
    double size = 0;
    textGeometry(firstWith(trace, "text"), ref, box, size);
    QCOMPARE(ref, QPointF(50, 50));
    const double eps = 0.3;
    if (horizontal == "left")
        QVERIFY(std::abs(box.left() - ref.x()) < eps);
    else if (horizontal == "right")
        QVERIFY(std::abs(box.right() - ref.x()) < eps);
    else
        QVERIFY(std::abs(box.center().x() - ref.x()) < eps);
    if (vertical == "top")
        QVERIFY(std::abs(box.top() - ref.y()) < eps);
    else if (vertical == "bottom")
        QVERIFY(std::abs(box.bottom() - ref.y()) < eps);
    else // the baseline lies between, nearer the bottom: ascent > descent
        QVERIFY(ref.y() - box.top() > 2 * (box.bottom() - ref.y()) && box.bottom() > ref.y());
}

void TestMetafilePlay::fontHeightSignAndEscapement() {
    auto sizeOf = [](int height, int esc, QString* line = nullptr, QImage* img = nullptr) {
        Emf e;
        e.font(1, height, esc);
        e.select(1);
        e.rec(18, Bytes().u32(1)); // transparent background
        e.textAlign(24);
        e.text(500, 500, "HHHH");
        QStringList trace;
        QImage out = render(fromBytes(e.finish()), QSize(200, 200), QRectF(0, 0, 100, 100), &trace);
        if (img)
            *img = out;
        QString l = firstWith(trace, "text");
        if (line)
            *line = l;
        QPointF ref;
        QRectF box;
        double size = 0;
        textGeometry(l, ref, box, size);
        return size;
    };
    // Negative: character height; 100 logical = 100 device px = 10 destination px.
    QCOMPARE(sizeOf(-100, 0), 10.0);
    // Positive: cell height, so the characters are smaller.
    double cell = sizeOf(100, 0);
    QVERIFY2(cell < 9.5 && cell > 6, qPrintable(QString::number(cell)));

    QString line;
    QImage upright, turned;
    sizeOf(-300, 0, nullptr, &upright);
    sizeOf(-300, 900, &line, &turned);
    QVERIFY2(line.section(' ', 3, 3) == "90", qPrintable(line));
    QRect a = inkBounds(upright), b = inkBounds(turned);
    QVERIFY2(a.width() > a.height(), "upright text is wider than high");
    QVERIFY2(b.height() > b.width(), "text at 90 degrees runs upwards");
    // It runs up from the reference point (100, 100 in the 200-pixel picture).
    QVERIFY(b.bottom() <= 102 && b.top() < 60);
}

void TestMetafilePlay::dxArrayGivesTheAdvances() {
    Emf e;
    e.font(1, -100);
    e.select(1);
    e.textAlign(2); // right aligned: the box starts at ref - sum(dx)
    e.text(800, 100, "AB", 0, {300, 300});
    QStringList trace;
    render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    QPointF ref;
    QRectF box;
    double size;
    textGeometry(firstWith(trace, "text"), ref, box, size);
    QVERIFY2(std::abs(box.left() - 20) < 0.3, qPrintable(firstWith(trace, "text")));
    QVERIFY(std::abs(box.right() - 80) < 0.3);
}

void TestMetafilePlay::backgroundModeFillsTheTextCell() {
    auto redPixels = [](int bkMode) {
        Emf e;
        e.font(1, -200);
        e.select(1);
        e.rec(25, Bytes().u32(rgb(255, 0, 0))); // background colour
        e.rec(18, Bytes().u32(quint32(bkMode)));
        e.text(100, 100, "i i");
        QImage img = render(fromBytes(e.finish()));
        int n = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                n += img.pixelColor(x, y) == QColor(255, 0, 0);
        return n;
    };
    QVERIFY(redPixels(2) > 50); // OPAQUE: the cell behind the glyphs
    QCOMPARE(redPixels(1), 0);  // TRANSPARENT
}

void TestMetafilePlay::symbolFontTextBecomesGreek() {
    // WMF bytes in a symbol charset keep their values (no code page) and map to Unicode.
    Wmf w;
    Bytes font;
    font.i16(-100).i16(0).i16(0).i16(0).i16(400).u8(0).u8(0).u8(0).u8(2).u32(0).raw("Symbol").u8(0);
    w.rec(0x02FB, font);
    w.select(0);
    w.rec(0x0521, Bytes().i16(4).raw(QByteArray("aD\xB3\x80", 4)).i16(100).i16(100));
    QStringList trace;
    render(fromBytes(w.finish()), QSize(100, 100), QRectF(), &trace);
    QString line = firstWith(trace, "text");
    QVERIFY2(line.contains(QString::fromUtf8(" \"\u03B1\u0394\u2265\u0080\" ")), qPrintable(line));
}

void TestMetafilePlay::fewFontsKeepTheTextsPlaceAndSize() {
    // The fuzzing setting draws from few fonts; the text must still come out where and as
    // large as asked, whatever family stands in, at every size step.
    // The picture is 1000 logical units wide; heights from 12 to 1,600 pixels of the output.
    struct Case {
        int height;
        int side;
        const char* text;
    };
    auto ink = [](const Case& c, const QString& face) {
        Emf e;
        e.font(1, c.height, 0, face);
        e.select(1);
        e.textAlign(24); // on the baseline, which is the same in every family
        e.text(50, 900, c.text);
        return inkBounds(render(fromBytes(e.finish()), QSize(c.side, c.side)));
    };
    for (const Case& c : {Case{-30, 400, "HHHH"}, Case{-100, 400, "HHHH"}, Case{-400, 400, "HH"},
                          Case{-1000, 1600, "H"}}) {
        for (const QString& face : {QStringLiteral("DejaVu Sans"), QStringLiteral("Xq#7 unbekannt")}) {
            TMetafilePlayer::SetFewFonts(false);
            const QRect asked = ink(c, face);
            TMetafilePlayer::SetFewFonts(true);
            const QRect few = ink(c, face);
            TMetafilePlayer::SetFewFonts(false);
            const QString what = QStringLiteral("%1 %2: %3,%4 %5x%6 / %7,%8 %9x%10")
                                     .arg(c.height).arg(face)
                                     .arg(asked.x()).arg(asked.y()).arg(asked.width()).arg(asked.height())
                                     .arg(few.x()).arg(few.y()).arg(few.width()).arg(few.height());
            QVERIFY2(!asked.isEmpty() && !few.isEmpty(), qPrintable(what));
            // Capital letters on the baseline: the same bottom; the top and the left edge as
            // far off as the families' cap heights and side bearings differ.
            const int slack = 2 + asked.height() / 12;
            QVERIFY2(std::abs(few.bottom() - asked.bottom()) <= 2, qPrintable(what));
            QVERIFY2(std::abs(few.top() - asked.top()) <= slack, qPrintable(what));
            QVERIFY2(std::abs(few.left() - asked.left()) <= slack, qPrintable(what));
            QVERIFY2(few.width() > asked.width() / 2 && few.width() < asked.width() * 2,
                     qPrintable(what));
        }
    }
}

void TestMetafilePlay::stretchDibitsDecodesEveryDepth_data() {
    QTest::addColumn<int>("bpp");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<quint32>("rop");
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        QTest::addRow("%d bpp", bpp) << bpp << false << quint32(0x00CC0020);
        QTest::addRow("%d bpp NOTSRCCOPY", bpp) << bpp << false << quint32(0x00330008);
    }
    QTest::newRow("24 bpp top-down") << 24 << true << quint32(0x00CC0020);
    QTest::newRow("8 bpp top-down NOTSRCCOPY") << 8 << true << quint32(0x00330008);
}

void TestMetafilePlay::stretchDibitsDecodesEveryDepth() {
    QFETCH(int, bpp);
    QFETCH(bool, topDown);
    QFETCH(quint32, rop);
    // 2 x 2 pixels: top row red, green; bottom row blue, white (1 bpp: black, white / white, black).
    QVector<QColor> want = bpp == 1 ? QVector<QColor>{Qt::black, Qt::white, Qt::white, Qt::black}
                                    : QVector<QColor>{QColor(255, 0, 0), QColor(0, 255, 0),
                                                      QColor(0, 0, 255), QColor(255, 255, 255)};
    if (bpp == 16) // 5-5-5 keeps the extremes exactly
        want = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 255)};
    QVector<QColor> palette = bpp == 1 ? QVector<QColor>{Qt::black, Qt::white} : want;
    QVector<int> index = bpp == 1 ? QVector<int>{0, 1, 1, 0} : QVector<int>{0, 1, 2, 3};

    Bytes bmi;
    bmi.u32(40).i32(2).i32(topDown ? -2 : 2).u16(1).u16(quint16(bpp)).u32(0).u32(0).i32(0).i32(0);
    bmi.u32(bpp <= 8 ? quint32(palette.size()) : 0).u32(0);
    if (bpp <= 8)
        for (const QColor& c : palette)
            bmi.u8(quint8(c.blue())).u8(quint8(c.green())).u8(quint8(c.red())).u8(0);
    auto pixelBytes = [&](int i, Bytes& row, int x) {
        const QColor& c = want[i];
        switch (bpp) {
        case 16: row.u16(quint16(((c.red() >> 3) << 10) | ((c.green() >> 3) << 5) | (c.blue() >> 3))); break;
        case 24: row.u8(quint8(c.blue())).u8(quint8(c.green())).u8(quint8(c.red())); break;
        case 32: row.u8(quint8(c.blue())).u8(quint8(c.green())).u8(quint8(c.red())).u8(0); break;
        default: Q_UNUSED(x); break;
        }
    };
    Bytes bits;
    for (int r = 0; r < 2; ++r) {
        int top = topDown ? r : 1 - r; // which picture row this stored row is
        int i0 = top * 2, i1 = top * 2 + 1;
        Bytes row;
        if (bpp == 1)
            row.u8(quint8((index[i0] << 7) | (index[i1] << 6)));
        else if (bpp == 4)
            row.u8(quint8((index[i0] << 4) | index[i1]));
        else if (bpp == 8)
            row.u8(quint8(index[i0])).u8(quint8(index[i1]));
        else {
            pixelBytes(i0, row, 0);
            pixelBytes(i1, row, 1);
        }
        row.pad4();
        bits.raw(row.b);
    }
    Emf e;
    e.stretchDib(0, 0, 1000, 1000, bmi.b, bits.b, 2, 2, rop);
    QImage img = render(fromBytes(e.finish()));
    const QPoint centre[4] = {{25, 25}, {75, 25}, {25, 75}, {75, 75}};
    for (int i = 0; i < 4; ++i) {
        QColor c = want[i];
        if (rop == 0x00330008)
            c = QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
        QCOMPARE(img.pixelColor(centre[i]), c);
    }
}

void TestMetafilePlay::transparentBltLeavesOutItsKeyColour() {
    Bytes bmi;
    bmi.u32(40).i32(2).i32(1).u16(1).u16(24).u32(0).u32(0).i32(0).i32(0).u32(0).u32(0);
    Bytes bits;
    bits.u8(0).u8(0).u8(255).u8(0).u8(255).u8(0).u8(0).u8(0); // red, green
    const int fixed = 8 + 100;
    Bytes b;
    b.rect(0, 0, 0, 0).i32(0).i32(0).i32(1000).i32(1000).u32(rgb(0, 255, 0)).i32(0).i32(0);
    b.f32(1).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0).u32(0);
    b.u32(fixed).u32(quint32(bmi.b.size())).u32(quint32(fixed + bmi.b.size())).u32(quint32(bits.b.size()));
    b.i32(2).i32(1).raw(bmi.b).raw(bits.b);
    Emf e;
    e.rec(116, b);
    QImage img = render(fromBytes(e.finish()));
    QCOMPARE(img.pixelColor(25, 50), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(75, 50), QColor(Qt::white));
}

void TestMetafilePlay::mirroredDestinationFlipsThePicture() {
    Emf e;
    solidRedOn(e);
    e.rectangle(0, 0, 500, 300); // top left
    TMetafile mf = fromBytes(e.finish());
    QImage normal = render(mf);
    QCOMPARE(normal.pixelColor(10, 10), QColor(255, 0, 0));
    QCOMPARE(normal.pixelColor(90, 10), QColor(Qt::white));

    QImage h = render(mf, QSize(100, 100), QRectF(100, 0, -100, 100));
    QCOMPARE(h.pixelColor(90, 10), QColor(255, 0, 0));
    QCOMPARE(h.pixelColor(10, 10), QColor(Qt::white));

    // The QRect form takes GDI corners: (right, top) - (left, bottom) mirrors too.
    QImage v(100, 100, QImage::Format_RGB32);
    v.fill(Qt::white);
    {
        QPainter p(&v);
        mf.Play(p, QRect(QPoint(0, 100), QPoint(100, 0)));
    }
    QCOMPARE(v.pixelColor(10, 90), QColor(255, 0, 0));
    QCOMPARE(v.pixelColor(10, 10), QColor(Qt::white));
    QCOMPARE(v.pixelColor(60, 90), QColor(Qt::white));
}

void TestMetafilePlay::wmfWindowMapsOntoThePicture() {
    // The window the WMF sets fills the placeable box, whatever its own units.
    Wmf w;
    w.solidPaint(rgb(255, 0, 0));
    w.mapMode(8);
    w.windowOrg(500, 500);
    w.windowExt(200, 400);
    w.rectangle(500, 500, 600, 700); // the top left quarter
    QStringList trace;
    render(fromBytes(w.finish(true, 4, 1440, 1440)), QSize(100, 100), QRectF(), &trace);
    QRectF r = traceBounds(firstWith(trace, "polygon"));
    QCOMPARE(r, QRectF(0, 0, 50, 50));

    // MM_TEXT: logical units are the units of the box; extents do not count.
    Wmf t;
    t.mapMode(1);
    t.windowExt(10, 10);
    t.windowOrg(-250, 0);
    t.rectangle(-250, 0, 250, 500);
    trace.clear();
    render(fromBytes(t.finish(true, 4, 1000, 1000)), QSize(100, 100), QRectF(), &trace);
    QCOMPARE(traceBounds(firstWith(trace, "polygon")), QRectF(0, 0, 50, 50));

    // A fixed metric mode counts from the box's units per inch: 1000 per inch here, so
    // 254 units of 0.1 mm are 1000 box units, the whole width; y runs upwards.
    Wmf m;
    m.mapMode(2);
    m.windowOrg(0, 0);
    m.rectangle(0, 0, 127, -254);
    trace.clear();
    render(fromBytes(m.finish(true, 4, 1000, 1000)), QSize(100, 100), QRectF(), &trace);
    QCOMPARE(traceBounds(firstWith(trace, "polygon")), QRectF(0, 0, 50, 100));
}

void TestMetafilePlay::wmfTextAndOpaqueRectangle() {
    Wmf w;
    Bytes font;
    font.i16(-200).i16(0).i16(0).i16(0).i16(700).u8(0).u8(0).u8(0).u8(0).u32(0).raw("DejaVu Sans").u8(0);
    w.rec(0x02FB, font);
    w.select(0);
    w.rec(0x012E, Bytes().u16(6 | 24)); // centre, baseline
    w.rec(0x0201, Bytes().u32(rgb(0, 0, 255)));
    // ExtTextOut with an opaque rectangle and advances of 100 units per character.
    w.rec(0x0A32, Bytes().i16(500).i16(500).i16(3).u16(2).i16(0).i16(800).i16(1000).i16(1000)
                      .raw("Abc").u8(0).i16(100).i16(100).i16(100));
    QStringList trace;
    QImage img = render(fromBytes(w.finish()), QSize(100, 100), QRectF(), &trace);
    QCOMPARE(img.pixelColor(50, 95), QColor(0, 0, 255)); // the opaque rectangle
    QCOMPARE(img.pixelColor(50, 70), QColor(Qt::white));
    QPointF ref;
    QRectF box;
    double size;
    textGeometry(firstWith(trace, "text"), ref, box, size);
    QCOMPARE(ref, QPointF(50, 50));
    QCOMPARE(size, 20.0);
    QVERIFY(std::abs(box.left() - 35) < 0.3 && std::abs(box.right() - 65) < 0.3);
}

void TestMetafilePlay::wmfCreateRecordsTakeTheLowestFreeSlot() {
    Wmf w;
    w.nullPen();                                       // slot 0
    w.brush(rgb(255, 0, 0));                           // slot 1
    w.rec(0x00F8, Bytes().u16(0).u32(rgb(0, 0, 0)));   // old CREATEBRUSH, not understood: slot 2
    w.brush(rgb(0, 0, 255));                           // slot 3
    w.select(0);
    w.select(3);
    w.rectangle(0, 0, 500, 1000); // left half blue
    w.remove(1);
    w.brush(rgb(0, 160, 0));      // reuses slot 1
    w.select(1);
    w.rectangle(500, 0, 1000, 1000); // right half green
    TMetafilePlayStats stats;
    QImage img = render(fromBytes(w.finish(true, 4)), QSize(100, 100), QRectF(), nullptr, &stats);
    QCOMPARE(img.pixelColor(25, 50), QColor(0, 0, 255));
    QCOMPARE(img.pixelColor(75, 50), QColor(0, 160, 0));
    QCOMPARE(stats.unsupported.value("META_0x00f8"), 1);
}

void TestMetafilePlay::stockObjectsAndDeletedObjects() {
    Emf e;
    e.nullPen(1);
    e.select(1);
    e.select(0x80000004); // BLACK_BRUSH
    e.rectangle(0, 0, 500, 500);
    e.brush(2, rgb(255, 0, 0));
    e.select(2);
    e.rec(40, Bytes().u32(2)); // deleting the selected brush leaves it selected
    e.rectangle(500, 0, 1000, 500);
    e.select(2);               // selecting a deleted object changes nothing
    e.rectangle(0, 500, 500, 1000);
    e.select(0x80000005);      // NULL_BRUSH
    e.rectangle(500, 500, 1000, 1000);
    QImage img = render(fromBytes(e.finish()));
    QCOMPARE(img.pixelColor(25, 25), QColor(Qt::black));
    QCOMPARE(img.pixelColor(75, 25), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(25, 75), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(75, 75), QColor(Qt::white));
}

void TestMetafilePlay::wmfPatternBrushTakesADibEvenAsBsPattern() {
    // An 8 x 8 monochrome DIB: left half black, right half white.
    Bytes dib;
    dib.u32(40).i32(8).i32(8).u16(1).u16(1).u32(0).u32(32).i32(0).i32(0).u32(2).u32(0);
    dib.u32(0x000000).u32(0xFFFFFF);
    for (int row = 0; row < 8; ++row)
        dib.u8(0x0F).u8(0).u8(0).u8(0);
    for (int style : {3, 5}) { // BS_PATTERN as written by many programs, BS_DIBPATTERN
        Wmf w;
        w.nullPen();
        w.rec(0x0142, Bytes().u16(quint16(style)).u16(0).raw(dib.b));
        w.select(0);
        w.select(1);
        w.rectangle(0, 0, 1000, 1000);
        // The pattern keeps its device size: 8 pixels of the 100-pixel picture.
        QImage img = render(fromBytes(w.finish(true, 4, 100, 100)));
        int black = 0, white = 0;
        for (int x = 10; x < 60; ++x)
            (img.pixelColor(x, 50) == QColor(Qt::black) ? black : white) += 1;
        QVERIFY2(black > 10 && white > 10, qPrintable(QString::number(style)));
    }
}

void TestMetafilePlay::restoreDcReturnsToTheSavedLevel() {
    Emf e;
    e.nullPen(1);
    e.select(1);
    e.brush(2, rgb(255, 0, 0));
    e.brush(3, rgb(0, 0, 255));
    e.brush(4, rgb(0, 160, 0));
    e.select(2);
    e.rec(33);            // save: red
    e.select(3);
    e.windowOrg(-500, 0); // moved drawing
    e.rec(33);            // save: blue, moved
    e.select(4);
    e.rec(34, Bytes().i32(-5)); // no such level: ignored
    e.rectangle(-500, 0, 0, 250); // green, at the left edge through the moved origin
    e.rec(34, Bytes().i32(-2));   // back to red and the plain origin
    e.rectangle(500, 0, 1000, 250);
    e.rec(34, Bytes().i32(-1));   // nothing left to restore
    e.rectangle(0, 500, 500, 750);
    QImage img = render(fromBytes(e.finish()));
    QCOMPARE(img.pixelColor(25, 10), QColor(0, 160, 0));
    QCOMPARE(img.pixelColor(75, 10), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(25, 60), QColor(255, 0, 0));

    // WMF: a positive level is absolute.
    Wmf w;
    w.nullPen();
    w.brush(rgb(255, 0, 0));
    w.brush(rgb(0, 0, 255));
    w.select(0);
    w.select(1);
    w.rec(0x001E); // level 1: red
    w.select(2);
    w.rec(0x001E); // level 2: blue
    w.rec(0x001E); // level 3
    w.rec(0x0127, Bytes().i16(1));
    w.rectangle(0, 0, 1000, 1000);
    QCOMPARE(render(fromBytes(w.finish())).pixelColor(50, 50), QColor(255, 0, 0));
}

void TestMetafilePlay::clippingCombinesAndIsSavedWithTheDc() {
    auto regionData = [](QVector<QRect> rects) {
        Bytes b;
        b.u32(32).u32(1).u32(quint32(rects.size())).u32(quint32(rects.size() * 16)).rect(0, 0, 0, 0);
        for (const QRect& r : rects)
            b.rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        return b;
    };
    Emf e;
    solidRedOn(e);
    e.rec(30, Bytes().rect(0, 0, 800, 800));   // intersect: top left 80 %
    e.rec(29, Bytes().rect(200, 200, 400, 400)); // exclude a hole
    e.rec(33);                                 // save with that clip
    Bytes sel = regionData({QRect(0, 0, 100, 1000)});
    e.rec(75, Bytes().u32(quint32(sel.b.size())).u32(5).raw(sel.b)); // RGN_COPY: left strip only
    e.rectangle(0, 0, 1000, 1000);
    e.rec(34, Bytes().i32(-1));                // back to the saved clip
    e.brush(3, rgb(0, 0, 255));
    e.select(3);
    e.rectangle(500, 0, 1000, 1000);
    e.rec(75, Bytes().u32(0).u32(5));          // no region: no clip at all
    e.rectangle(900, 900, 1000, 1000);
    TMetafile mf = fromBytes(e.finish());
    QImage img = render(mf);
    QCOMPARE(img.pixelColor(5, 50), QColor(255, 0, 0));   // the strip
    QCOMPARE(img.pixelColor(30, 30), QColor(Qt::white));  // outside the strip, red clipped
    QCOMPARE(img.pixelColor(60, 30), QColor(0, 0, 255));  // saved clip restored
    QCOMPARE(img.pixelColor(85, 30), QColor(Qt::white));  // beyond the 80 % clip
    QCOMPARE(img.pixelColor(95, 95), QColor(0, 0, 255));  // clip removed
    QCOMPARE(img.pixelColor(30, 90), QColor(Qt::white));

    // A clip of the caller's stays in force throughout.
    QImage clipped(100, 100, QImage::Format_RGB32);
    clipped.fill(Qt::white);
    {
        QPainter p(&clipped);
        p.setClipRect(0, 0, 100, 50);
        mf.Play(p, QRectF(0, 0, 100, 100));
        QVERIFY(p.hasClipping());
        QCOMPARE(p.clipBoundingRect(), QRectF(0, 0, 100, 50));
    }
    QCOMPARE(clipped.pixelColor(5, 40), QColor(255, 0, 0));
    QCOMPARE(clipped.pixelColor(5, 60), QColor(Qt::white));
    QCOMPARE(clipped.pixelColor(60, 30), QColor(0, 0, 255));
    QCOMPARE(clipped.pixelColor(85, 30), QColor(Qt::white));
    QCOMPARE(clipped.pixelColor(95, 95), QColor(Qt::white));

    // Many small rectangles in one region stay quick.
    QVector<QRect> many;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if ((x + y) % 2 == 0)
                many << QRect(x * 5, y * 5, 5, 5);
    Emf big;
    solidRedOn(big);
    Bytes data = regionData(many);
    big.rec(75, Bytes().u32(quint32(data.b.size())).u32(5).raw(data.b));
    big.rectangle(0, 0, 1000, 1000);
    QElapsedTimer t;
    t.start();
    render(fromBytes(big.finish()), QSize(200, 200));
    QVERIFY2(t.elapsed() < 5000, "20000 clip rectangles took too long");
}

void TestMetafilePlay::damagedRecordsStopPlaybackSafely() {
    // A record larger than the rest of the file, and one of size 0 that would never advance.
    for (quint32 badSize : {0u, 4u, 0x7FFFFFF0u}) {
        Emf e;
        solidRedOn(e);
        e.rectangle(0, 0, 500, 500);
        QByteArray bytes = e.finish();
        // Insert the damaged record before EOF.
        QByteArray bad = Bytes().u32(43).u32(badSize).rect(0, 0, 1000, 1000).b;
        bytes.insert(bytes.size() - 20, bad);
        TMetafilePlayStats stats;
        QImage img = render(fromBytes(bytes), QSize(100, 100), QRectF(), nullptr, &stats);
        QCOMPARE(img.pixelColor(10, 10), QColor(255, 0, 0)); // what came before is drawn
        QCOMPARE(img.pixelColor(90, 90), QColor(Qt::white));
        QVERIFY(!stats.problem.isEmpty());
    }
    // Counts far beyond the record's bytes draw nothing and allocate nothing.
    Emf e;
    solidRedOn(e);
    e.rec(3, Bytes().rect(0, 0, 0, 0).u32(0x7FFFFFFF).i32(0).i32(0).i32(1000).i32(0).i32(1000).i32(1000));
    e.rec(8, Bytes().rect(0, 0, 0, 0).u32(0x40000000).u32(3).u32(3));
    e.rec(84, Bytes().rect(0, 0, 0, 0).u32(1).f32(0).f32(0).i32(0).i32(0).u32(0x7FFFFFFF).u32(76)
                  .u32(0).rect(0, 0, 0, 0).u32(0));
    QImage img = render(fromBytes(e.finish()));
    QCOMPARE(img.pixelColor(90, 10), QColor(Qt::white));
}

void TestMetafilePlay::everyTruncationPlaysSafely() {
    Emf e;
    solidRedOn(e);
    e.font(3, -80, 450);
    e.select(3);
    e.text(100, 100, "Quillmark", 0, {50, 50, 50, 50, 50, 50, 50, 50, 50});
    e.rectangle(0, 0, 300, 300);
    Bytes bmi;
    bmi.u32(40).i32(2).i32(2).u16(1).u16(8).u32(0).u32(0).i32(0).i32(0).u32(2).u32(0);
    bmi.u32(0).u32(0xFFFFFF);
    e.stretchDib(0, 0, 500, 500, bmi.b, QByteArray(8, '\1'), 2, 2, 0x00CC0020);
    e.rec(75, Bytes().u32(48).u32(5).u32(32).u32(1).u32(1).u32(16).rect(0, 0, 10, 10).rect(0, 0, 10, 10));
    QByteArray full = e.finish();
    for (int n = 0; n <= full.size(); n += 3) {
        TMetafile mf = fromBytes(full.left(n));
        render(mf, QSize(32, 32));
    }
    Wmf w;
    w.brush(rgb(1, 2, 3));
    w.select(0);
    w.rec(0x0521, Bytes().i16(5).raw("Hallo").u8(0).i16(10).i16(10));
    w.rec(0x0538, Bytes().u16(2).u16(3).u16(60000).i16(0).i16(0).i16(10).i16(0).i16(10).i16(10));
    w.rectangle(0, 0, 500, 500);
    QByteArray wfull = w.finish();
    for (int n = 0; n <= wfull.size(); ++n)
        render(fromBytes(wfull.left(n)), QSize(32, 32));
}

// A process may cap the records one playback plays (fuzz targets do); playback then stops
// after that many, in either format, and the stats say why. 0 plays everything again.
void TestMetafilePlay::recordLimitStopsPlaybackAndSaysSo() {
    struct Reset {
        ~Reset() { TMetafilePlayer::SetMaxRecords(0); }
    } reset;
    Emf e;
    solidRedOn(e);
    e.rectangle(0, 0, 500, 500);       // top left quarter
    e.rectangle(500, 500, 1000, 1000); // bottom right quarter
    const TMetafile emf = fromBytes(e.finish());
    Wmf w;
    w.solidPaint(rgb(255, 0, 0));
    w.rectangle(0, 0, 500, 500);
    w.rectangle(500, 500, 1000, 1000);
    const TMetafile wmf = fromBytes(w.finish());

    // The EMF's header is a record of its own; the WMF's is not.
    for (const auto& [mf, firstRectangle] : {std::pair{&emf, 6}, std::pair{&wmf, 5}}) {
        TMetafilePlayer::SetMaxRecords(firstRectangle);
        QCOMPARE(TMetafilePlayer::MaxRecords(), firstRectangle);
        TMetafilePlayStats stats;
        QImage img = render(*mf, QSize(100, 100), QRectF(), nullptr, &stats);
        QCOMPARE(img.pixelColor(20, 20), QColor(255, 0, 0));
        QCOMPARE(img.pixelColor(80, 80), QColor(Qt::white));
        QCOMPARE(stats.problem, QStringLiteral("Zu viele Datensätze; die Wiedergabe wurde abgebrochen."));

        TMetafilePlayer::SetMaxRecords(0);
        TMetafilePlayStats all;
        img = render(*mf, QSize(100, 100), QRectF(), nullptr, &all);
        QCOMPARE(img.pixelColor(80, 80), QColor(255, 0, 0));
        QVERIFY2(all.problem.isEmpty(), qPrintable(all.problem));
    }
    TMetafilePlayer::SetMaxRecords(-3); // no limit either
    QCOMPARE(TMetafilePlayer::MaxRecords(), 0);
}

QTEST_MAIN(TestMetafilePlay)
#include "tst_metafileplay.moc"
