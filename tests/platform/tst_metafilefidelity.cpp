// GDI rules the player must follow as Windows plays metafiles: escapement under a flipped
// y axis, clip paths, pattern raster operations, double-byte text, the frame of a WMF
// without header, advances of replaced fonts. Checked through the trace of drawing calls
// and by pixels; corpus files where they show the rule.
#include "qmpaths.h"
#include "metafiletestutil.h"
#include "metafile/gdiplayer.h"

#include <QFileInfo>
#include <QtEndian>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

using namespace mftest;

namespace {

struct TextCall {
    QPointF start;
    int angle = -1;
    QString text;
    QRectF box;
    double xscale = 1;
};

// Parses `text X Y ANGLE "TEXT" ... box=L,T,R,B [xscale=Q]`.
bool parseText(const QString& line, TextCall& t) {
    static const QRegularExpression re(QStringLiteral(
        "^text (\\S+) (\\S+) (\\d+) \"(.*)\" .* box=([^,]+),([^,]+),([^,]+),(\\S+)(?: xscale=(\\S+))?$"));
    const auto m = re.match(line);
    if (!m.hasMatch())
        return false;
    t.start = QPointF(m.captured(1).toDouble(), m.captured(2).toDouble());
    t.angle = m.captured(3).toInt();
    t.text = m.captured(4);
    t.box = QRectF(QPointF(m.captured(5).toDouble(), m.captured(6).toDouble()),
                   QPointF(m.captured(7).toDouble(), m.captured(8).toDouble()));
    t.xscale = m.captured(9).isEmpty() ? 1.0 : m.captured(9).toDouble();
    return true;
}

QList<TextCall> textCalls(const QStringList& trace) {
    QList<TextCall> out;
    for (const QString& l : trace) {
        TextCall t;
        if (l.startsWith(QLatin1String("text ")) && parseText(l, t))
            out << t;
    }
    return out;
}

// An EMF font record with a character set.
void emfFont(Emf& e, quint32 index, int height, int escapement, int charSet, const QString& face) {
    Bytes b;
    b.u32(index).i32(height).i32(0).i32(escapement).i32(escapement).i32(400);
    b.u8(0).u8(0).u8(0).u8(quint8(charSet)).u8(0).u8(0).u8(0).u8(0);
    for (int i = 0; i < 32; ++i)
        b.u16(i < face.size() ? face[i].unicode() : 0);
    e.rec(82, b);
}

// EMR_EXTTEXTOUTA: 8-bit characters, one advance per byte.
void emfTextA(Emf& e, int x, int y, const QByteArray& s, QVector<int> dx = {}) {
    const int fixed = 76;
    Bytes b;
    b.rect(0, 0, -1, -1).u32(1).f32(0).f32(0);
    b.i32(x).i32(y).u32(quint32(s.size())).u32(fixed).u32(0).rect(0, 0, 0, 0);
    b.u32(dx.isEmpty() ? 0 : quint32(fixed + (s.size() + 3) / 4 * 4));
    b.raw(s).pad4();
    for (int d : dx)
        b.i32(d);
    e.rec(83, b);
}

// EMR_BITBLT without a source bitmap: a pattern blit.
void emfPatBlt(Emf& e, int x, int y, int w, int h, quint32 rop) {
    Bytes b;
    b.rect(x, y, x + w, y + h).i32(x).i32(y).i32(w).i32(h).u32(rop).i32(0).i32(0);
    b.f32(1).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0).u32(0);
    b.u32(0).u32(0).u32(0).u32(0);
    e.rec(76, b);
}

void emfPolyBezier16(Emf& e, const QPolygon& pts) {
    Bytes b;
    b.rect(0, 0, 0, 0).u32(quint32(pts.size()));
    for (QPoint p : pts)
        b.i16(qint16(p.x())).i16(qint16(p.y()));
    e.rec(85, b);
}

void emfPolygon16(Emf& e, const QPolygon& pts) {
    Bytes b;
    b.rect(0, 0, 0, 0).u32(quint32(pts.size()));
    for (QPoint p : pts)
        b.i16(qint16(p.x())).i16(qint16(p.y()));
    e.rec(86, b);
}

QPolygon box(int l, int t, int r, int b) { return QPolygon({{l, t}, {r, t}, {r, b}, {l, b}}); }

// A blue brush and no pen, selected; what fills the picture after a clip.
void bluePaint(Emf& e) {
    e.brush(1, rgb(0, 0, 255));
    e.select(1);
    e.nullPen(2);
    e.select(2);
}

bool isBlue(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(0, 0, 255); }

QRect inkBounds(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                r |= QRect(x, y, 1, 1);
    return r;
}

QString corpus(const QString& name) { return QStringLiteral(QM_CORPUS_DIR "/") + name; }

TMetafile fromFile(const QString& name) {
    TMetafile mf;
    if (QFileInfo::exists(name))
        mf.LoadFromFile(name);
    return mf;
}

} // namespace

class TestMetafileFidelity : public QObject {
    Q_OBJECT
private slots:
    void escapementTurnsWithAFlippedAxis_data();
    void escapementTurnsWithAFlippedAxis();
    void chartAxisTitlesReadBottomToTop_data();
    void chartAxisTitlesReadBottomToTop();
    void clipPathOfBeziersClipsTheFill();
    void clipPathOfACoarseDeviceIsSmoothWhenEnlarged();
    void clipOfARotatedRectTallerThanQtsPolygonLimitIsKept_data();
    void clipOfARotatedRectTallerThanQtsPolygonLimitIsKept();
    void clipOfAPictureDrawnSmallHasTheOutputsDetail();
    void clipOfAPictureDrawnAlmostToNothingIsCoarse();
    void clipPathCombinesByRegionMode_data();
    void clipPathCombinesByRegionMode();
    void pathFilledInsideASavedDcIsThereAfterTheRestore();
    void restoreDcTakesBackAClipPath();
    void clipPathWithoutAPathLeavesTheClip();
    void patternBlitsCombineWithThePage_data();
    void patternBlitsCombineWithThePage();
    void hatchedPatternBlitKeepsTheHatch();
    void wmfPatBltWithDpa();
    void doubleByteTextIsDecodedInItsCodePage_data();
    void doubleByteTextIsDecodedInItsCodePage();
    void doubleByteAdvancesCountPerByte();
    void wmfWithoutWindowTakesTheExtentOfItsDrawing();
    void wmfTextOnlyFrameHoldsTheText();
    void replacedFontKeepsTheDxPlaces();
    void boxesOfMissingCharactersInAHugeFontAreOutlines();
    void naturalFontWidthStaysNatural_data();
    void naturalFontWidthStaysNatural();
    void symbolFontCharactersAreDrawnAsThemselves_data();
    void symbolFontCharactersAreDrawnAsThemselves();
    void glyphIndicesAreDrawnAsTheirCharacters_data();
    void glyphIndicesAreDrawnAsTheirCharacters();
    void alphaBlendTakesTheFourthByteAsAlpha_data();
    void alphaBlendTakesTheFourthByteAsAlpha();
    void clipPathsJoinedByOrClipBitmapsAndFills_data();
    void clipPathsJoinedByOrClipBitmapsAndFills();
    void paletteIndexColoursAreThePalettesEntries_data();
    void paletteIndexColoursAreThePalettesEntries();
    void missingTextFaceIsNotStoodInForBySymbols_data();
    void missingTextFaceIsNotStoodInForBySymbols();
    void wmfRegionIsFilledOnlyWhenItsScansCheckOut_data();
    void wmfRegionIsFilledOnlyWhenItsScansCheckOut();
    void wmfTextAdvancesWithDisplacementsArePairs_data();
    void wmfTextAdvancesWithDisplacementsArePairs();
    void wmfDeviceBitmapsOfEveryDepthAreDrawn_data();
    void wmfDeviceBitmapsOfEveryDepthAreDrawn();
    void justifiedTextWidensItsSpaces_data();
    void justifiedTextWidensItsSpaces();
};

void TestMetafileFidelity::escapementTurnsWithAFlippedAxis_data() {
    QTest::addColumn<int>("mapMode");
    QTest::addColumn<int>("escapement");
    QTest::addColumn<int>("deviceAngle");
    QTest::newRow("MM_TEXT 2700 reads downwards") << 1 << 2700 << 270;
    QTest::newRow("MM_TEXT 900 reads upwards") << 1 << 900 << 90;
    QTest::newRow("anisotropic y up 2700 reads upwards") << 8 << 2700 << 90;
    QTest::newRow("anisotropic y up 900 reads downwards") << 8 << 900 << 270;
    QTest::newRow("MM_LOMETRIC 2700") << 2 << 2700 << 90;
    QTest::newRow("MM_HIMETRIC 2700") << 3 << 2700 << 90;
    QTest::newRow("anisotropic y up 450") << 8 << 450 << 315;
}

void TestMetafileFidelity::escapementTurnsWithAFlippedAxis() {
    QFETCH(int, mapMode);
    QFETCH(int, escapement);
    QFETCH(int, deviceAngle);
    // The reference point lies at device (500, 500) in every mapping; the text is 100
    // device pixels high.
    Emf e;
    e.mapMode(mapMode);
    int x = 500, y = 500, height = -100;
    if (mapMode == 8) {
        e.windowOrg(0, 1000);
        e.windowExt(1000, -1000);
        e.viewportExt(1000, 1000);
    } else if (mapMode == 2) { // 0.1 mm = 1 device pixel, y up
        y = -500;
    } else if (mapMode == 3) { // 0.01 mm = 0.1 device pixel
        x = 5000, y = -5000, height = -1000;
    }
    e.font(1, height, escapement);
    e.select(1);
    e.rec(18, Bytes().u32(1)); // transparent
    e.textAlign(24);           // left, baseline
    e.text(x, y, "Umsatz");
    QStringList trace;
    const QImage img = render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    TextCall t;
    QVERIFY2(parseText(trace.filter("text ").value(0), t), qPrintable(trace.join('\n')));
    QCOMPARE(t.angle, deviceAngle);
    QCOMPARE(t.start, QPointF(50, 50));
    const QRect ink = inkBounds(img);
    if (deviceAngle == 90) // from the reference point upwards
        QVERIFY2(ink.bottom() <= 51 && ink.top() < 25, qPrintable(QString::number(ink.top())));
    if (deviceAngle == 270)
        QVERIFY2(ink.top() >= 49 && ink.bottom() > 75, qPrintable(QString::number(ink.bottom())));
}

void TestMetafileFidelity::chartAxisTitlesReadBottomToTop_data() {
    QTest::addColumn<QString>("file");
    for (const char* f : {"e2s-emf-test-033.emf", "e2s-emf-test-064.emf", "e2s-emf-test-076.emf",
                          "e2s-emf-test-121.emf"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

void TestMetafileFidelity::chartAxisTitlesReadBottomToTop() {
    QFETCH(QString, file);
    const TMetafile mf = fromFile(corpus("emf/" + file));
    if (!mf.Valid())
        QSKIP("The shared corpus is not there.");
    const QSize size(600, qMax(1, 600 * mf.MMHeight() / qMax(1, mf.MMWidth())));
    QStringList trace;
    render(mf, size, QRectF(), &trace);
    // These charts are drawn with y up; their turned texts (the y-axis titles) read
    // bottom to top, and stay inside the picture.
    int turned = 0;
    for (const TextCall& t : textCalls(trace)) {
        if (t.angle == 0 || t.text.trimmed().isEmpty())
            continue;
        ++turned;
        QCOMPARE(t.angle, 90);
        QVERIFY2(t.box.top() > -2 && t.box.bottom() < size.height() + 2,
                 qPrintable(QStringLiteral("%1: %2..%3").arg(t.text).arg(t.box.top()).arg(t.box.bottom())));
    }
    QVERIFY2(turned > 0, "the chart has a turned axis title");
}

void TestMetafileFidelity::clipPathOfBeziersClipsTheFill() {
    // A circle of radius 300 around (500, 500) from four Bezier arcs, as clip path.
    const int c = 500, r = 300, k = 166; // 0.5523 * r
    Emf e;
    e.rec(59); // BEGINPATH
    emfPolyBezier16(e, QPolygon({{c + r, c},     {c + r, c + k}, {c + k, c + r}, {c, c + r},
                                 {c - k, c + r}, {c - r, c + k}, {c - r, c},     {c - r, c - k},
                                 {c - k, c - r}, {c, c - r},     {c + k, c - r}, {c + r, c - k},
                                 {c + r, c}}));
    e.rec(61); // CLOSEFIGURE
    e.rec(60); // ENDPATH
    e.rec(67, Bytes().u32(5)); // SELECTCLIPPATH, RGN_COPY
    bluePaint(e);
    e.rectangle(0, 0, 1000, 1000);
    QStringList trace;
    const QImage img = render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    QVERIFY(isBlue(img, 50, 50));
    QVERIFY(isBlue(img, 50, 25));
    QVERIFY(isBlue(img, 75, 50));
    QVERIFY2(!isBlue(img, 50, 15), "outside the circle");
    QVERIFY2(!isBlue(img, 25, 25), "the corner of the circle's box");
    QVERIFY(!isBlue(img, 5, 5));
    const QString clip = trace.filter(QRegularExpression("^clip ")).value(0);
    QVERIFY2(clip.startsWith("clip 20,20,80,80"), qPrintable(clip));
}

void TestMetafileFidelity::clipPathOfACoarseDeviceIsSmoothWhenEnlarged() {
    // A reference device of 1 pixel per millimetre, played ten times enlarged: the clip
    // circle (radius 30 device pixels) follows the true circle to the output pixel, not in
    // steps of whole device pixels.
    // Logical units are tenths of a device pixel here.
    const int c = 500, r = 300, k = 166;
    Emf e;
    e.mapMode(8);
    e.windowExt(1000, 1000);
    e.viewportExt(100, 100);
    e.rec(59);
    emfPolyBezier16(e, QPolygon({{c + r, c},     {c + r, c + k}, {c + k, c + r}, {c, c + r},
                                 {c - k, c + r}, {c - r, c + k}, {c - r, c},     {c - r, c - k},
                                 {c - k, c - r}, {c, c - r},     {c + k, c - r}, {c + r, c - k},
                                 {c + r, c}}));
    e.rec(60);
    e.rec(67, Bytes().u32(5));
    bluePaint(e);
    e.rectangle(0, 0, 1000, 1000);
    QByteArray bytes = e.finish();
    auto put = [&bytes](int at, qint32 v) { qToLittleEndian(v, bytes.data() + at); };
    put(16, 99), put(20, 99);   // bounds
    put(72, 100), put(76, 100); // device pixels
    put(80, 100), put(84, 100); // device millimetres
    const QImage img = render(fromBytes(bytes), QSize(1000, 1000));
    int wrong = 0;
    for (int y = 0; y < 1000; y += 3)
        for (int x = 0; x < 1000; x += 3) {
            const double d = std::hypot(x + 0.5 - 500, y + 0.5 - 500);
            if (std::abs(d - 300) > 3 && isBlue(img, x, y) != (d < 300))
                ++wrong;
        }
    QCOMPARE(wrong, 0);
}

void TestMetafileFidelity::clipOfARotatedRectTallerThanQtsPolygonLimitIsKept_data() {
    QTest::addColumn<int>("side");
    QTest::newRow("under the limit") << 2000;
    QTest::newRow("282,842 device pixels tall") << 200000;
    QTest::newRow("beyond every coordinate") << 2000000000;
}

void TestMetafileFidelity::clipOfARotatedRectTallerThanQtsPolygonLimitIsKept() {
    // A square turned by 45 degrees with its top corner in the middle of the picture: the
    // clip is a polygon, not rectangles, and far taller than Qt builds regions from
    // polygons in one piece. The fill shows the corner, whatever the size of the square.
    QFETCH(int, side);
    const float c = float(std::sqrt(0.5));
    Emf e;
    e.rec(35, Bytes().f32(c).f32(c).f32(-c).f32(c).f32(500).f32(500)); // SetWorldTransform
    e.rec(30, Bytes().rect(0, 0, side, side));                          // IntersectClipRect
    e.rec(35, Bytes().f32(1).f32(0).f32(0).f32(1).f32(0).f32(0));
    bluePaint(e);
    e.rectangle(0, 0, 1000, 1000);
    const QImage img = render(fromBytes(e.finish()), QSize(1000, 1000));
    int wrong = 0;
    for (int y = 0; y < 1000; y += 7)
        for (int x = 0; x < 1000; x += 7) {
            const double inside = (y + 0.5 - 500) - std::abs(x + 0.5 - 500);
            if (std::abs(inside) > 4 && isBlue(img, x, y) != (inside > 0))
                ++wrong;
        }
    QCOMPARE(wrong, 0);
}

void TestMetafileFidelity::clipOfAPictureDrawnSmallHasTheOutputsDetail() {
    // A turned square 300,000 units tall, for a picture drawn at a thousandth: in steps of
    // 1,000 units (an output pixel) it is a few hundred rows of rectangles, not 300,000, and
    // still the same square to within a step.
    QPainterPath diamond;
    diamond.addPolygon(QPolygonF(
        {{0, -150000}, {150000, 0}, {0, 150000}, {-150000, 0}, {0, -150000}}));
    const QRectF window(-300000, -300000, 600000, 600000);
    const QRegion region = mf::RegionFromPath(diamond, window, 1000);
    QVERIFY2(region.rectCount() <= 301, qPrintable(QString::number(region.rectCount())));
    int wrong = 0;
    for (int y = -160000; y <= 160000; y += 997)
        for (int x = -160000; x <= 160000; x += 997) {
            const int inside = 150000 - std::abs(x) - std::abs(y);
            if (std::abs(inside) > 2000 && region.contains(QPoint(x, y)) != (inside > 0))
                ++wrong;
        }
    QCOMPARE(wrong, 0);
    // Drawn at full size, the same clip keeps every unit inside the window.
    const QRegion fine = mf::RegionFromPath(diamond, QRectF(-500, -500, 1000, 1000), 1);
    QVERIFY(fine.contains(QPoint(0, 0)));
    QVERIFY(fine.contains(QPoint(0, -499)));
    QVERIFY(!fine.contains(QPoint(0, -501)));
}

void TestMetafileFidelity::clipOfAPictureDrawnAlmostToNothingIsCoarse() {
    // A picture 500 metres wide (five million pixels of its reference device) drawn into
    // three pixels of a turned painter: a transform whose determinant Qt takes for zero, as
    // it does for a picture squeezed almost flat. The picture's turned clip is still made in
    // steps of an output pixel (a few rectangles, not tens of thousands of rows) and still
    // clips.
    const float c = float(std::sqrt(0.5));
    Emf e;
    e.rec(35, Bytes().f32(c).f32(c).f32(-c).f32(c).f32(2.5e6f).f32(0)); // SetWorldTransform
    e.rec(30, Bytes().rect(0, 0, 3500000, 3500000));                    // IntersectClipRect
    e.rec(35, Bytes().f32(1).f32(0).f32(0).f32(1).f32(0).f32(0));
    bluePaint(e);
    e.rectangle(0, 0, 5000000, 5000000);
    const TMetafile mf = fromBytes(e.finish(8, 50000000));
    QImage img(9, 9, QImage::Format_RGB32);
    img.fill(Qt::white);
    QStringList trace;
    TMetafilePlayOptions opts;
    opts.trace = [&trace](const QString& line) { trace.append(line); };
    QPainter p(&img);
    p.translate(4.5, 4.5);
    p.rotate(90);
    p.translate(-4.5, -4.5);
    TMetafilePlayer::Play(mf, p, QRectF(3, 3, 3, 3), opts);
    p.end();
    const QStringList clips = trace.filter(QRegularExpression(QStringLiteral("^clip .* rects=")));
    QVERIFY2(!clips.isEmpty(), qPrintable(trace.join(QLatin1Char('\n'))));
    const int rects = clips.last().section(QStringLiteral("rects="), 1).toInt();
    QVERIFY2(rects > 0 && rects <= 8, qPrintable(clips.last()));
    // At three pixels the square is a few of them: the middle, not all nine, none outside.
    int blue = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            if (isBlue(img, x, y)) {
                QVERIFY(QRect(3, 3, 3, 3).contains(x, y));
                ++blue;
            }
    QVERIFY(isBlue(img, 4, 4));
    QVERIFY2(blue >= 3 && blue < 9, qPrintable(QString::number(blue)));

    // The inverse of such transforms is still found, and takes points back where they were.
    QTransform tiny = QTransform().rotate(30).scale(3e-7, 3e-7);
    tiny.translate(5e6, -2e6);
    const QTransform flat(1.6e-5, 0, 0, -1.2e-15, -1.5, 0);
    for (const QTransform& t : {tiny, flat}) {
        bool ok = false;
        const QTransform back = mf::InvertedAffine(t, &ok);
        QVERIFY(ok);
        const QPointF far(1234567, -7654321);
        const QPointF round = back.map(t.map(far));
        QVERIFY2(std::abs(round.x() - far.x()) < 1 && std::abs(round.y() - far.y()) < 1,
                 qPrintable(QStringLiteral("%1,%2").arg(round.x()).arg(round.y())));
    }
    bool invertible = true;
    mf::InvertedAffine(QTransform::fromScale(0, 1), &invertible);
    QVERIFY(!invertible);
}

void TestMetafileFidelity::clipPathCombinesByRegionMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("left");   // only in the clip before
    QTest::addColumn<bool>("middle"); // in both
    QTest::addColumn<bool>("right");  // only in the path
    QTest::newRow("RGN_AND") << 1 << false << true << false;
    QTest::newRow("RGN_OR") << 2 << true << true << true;
    QTest::newRow("RGN_XOR") << 3 << true << false << true;
    QTest::newRow("RGN_DIFF") << 4 << true << false << false;
    QTest::newRow("RGN_COPY") << 5 << false << true << true;
}

void TestMetafileFidelity::clipPathCombinesByRegionMode() {
    QFETCH(int, mode);
    QFETCH(bool, left);
    QFETCH(bool, middle);
    QFETCH(bool, right);
    // MM_TEXT with the window moved: logical x = device x + 100.
    Emf e;
    e.windowOrg(100, 0);
    e.rec(30, Bytes().rect(100, 0, 700, 1000)); // INTERSECTCLIPRECT: device 0..600
    e.rec(59);
    emfPolygon16(e, box(500, 0, 1100, 1000)); // device 400..1000
    e.rec(60);
    e.rec(67, Bytes().u32(quint32(mode)));
    bluePaint(e);
    e.rectangle(100, 0, 1100, 1000);
    const QImage img = render(fromBytes(e.finish()));
    QCOMPARE(isBlue(img, 20, 50), left);
    QCOMPARE(isBlue(img, 50, 50), middle);
    QCOMPARE(isBlue(img, 80, 50), right);
}

void TestMetafileFidelity::pathFilledInsideASavedDcIsThereAfterTheRestore() {
    // Office spoolers fill a path inside a saved DC, restore, then clip to the same path.
    // Before: the fill used the path up, the clip was empty and nothing blue appeared.
    Emf e;
    e.rec(59);
    emfPolygon16(e, box(200, 200, 800, 800));
    e.rec(60);
    e.rec(33); // SAVEDC
    e.brush(3, rgb(255, 0, 0));
    e.select(3);
    e.rec(62, Bytes().rect(0, 0, 0, 0)); // FILLPATH
    e.rec(34, Bytes().i32(-1));          // RESTOREDC
    e.rec(67, Bytes().u32(5));
    bluePaint(e);
    e.rectangle(0, 0, 1000, 1000);
    const QImage img = render(fromBytes(e.finish()));
    QVERIFY(isBlue(img, 50, 50));
    QVERIFY(isBlue(img, 21, 21));
    QVERIFY(!isBlue(img, 10, 10));
    QCOMPARE(img.pixelColor(10, 10), QColor(Qt::white));
}

void TestMetafileFidelity::restoreDcTakesBackAClipPath() {
    Emf e;
    e.rec(33);
    e.rec(59);
    emfPolygon16(e, box(200, 200, 800, 800));
    e.rec(60);
    e.rec(67, Bytes().u32(5));
    e.rec(34, Bytes().i32(-1));
    bluePaint(e);
    e.rectangle(0, 0, 1000, 1000);
    QStringList trace;
    const QImage img = render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    QVERIFY(isBlue(img, 5, 5));
    QVERIFY(isBlue(img, 50, 50));
    QCOMPARE(trace.filter(QRegularExpression("^clip ")), QStringList({"clip 20,20,80,80 rects=1", "clip none"}));
}

void TestMetafileFidelity::clipPathWithoutAPathLeavesTheClip() {
    // GDI refuses SelectClipPath when the path was used up by a fill, or its bracket is
    // still open; before, such a call clipped everything away.
    Emf e;
    e.rec(30, Bytes().rect(0, 0, 500, 1000)); // left half
    e.rec(59);
    emfPolygon16(e, box(200, 200, 800, 800));
    e.rec(60);
    e.rec(62, Bytes().rect(0, 0, 0, 0)); // FILLPATH uses the path up
    e.rec(67, Bytes().u32(5));
    e.rec(59);
    emfPolygon16(e, box(600, 600, 800, 800));
    e.rec(67, Bytes().u32(5)); // bracket still open
    e.rec(68);                 // ABORTPATH
    bluePaint(e);
    e.rectangle(0, 0, 1000, 1000);
    const QImage img = render(fromBytes(e.finish()));
    QVERIFY(isBlue(img, 10, 10));
    QVERIFY(isBlue(img, 45, 90));
    QVERIFY(!isBlue(img, 70, 70));
}

void TestMetafileFidelity::patternBlitsCombineWithThePage_data() {
    QTest::addColumn<quint32>("rop");
    QTest::addColumn<QColor>("expected");
    // Page cyan (0, 255, 255), brush yellow (255, 255, 0).
    QTest::newRow("DPa") << quint32(0x00A000C9) << QColor(0, 255, 0);
    QTest::newRow("PATCOPY") << quint32(0x00F00021) << QColor(255, 255, 0);
    QTest::newRow("PATINVERT (DPx)") << quint32(0x005A0049) << QColor(255, 0, 255);
    QTest::newRow("DPo") << quint32(0x00FA0089) << QColor(255, 255, 255);
    QTest::newRow("DSTINVERT") << quint32(0x00550009) << QColor(255, 0, 0);
    QTest::newRow("DPna") << quint32(0x000A0329) << QColor(0, 0, 255);
    QTest::newRow("BLACKNESS") << quint32(0x00000042) << QColor(0, 0, 0);
}

void TestMetafileFidelity::patternBlitsCombineWithThePage() {
    QFETCH(quint32, rop);
    QFETCH(QColor, expected);
    Emf e;
    e.brush(1, rgb(0, 255, 255));
    e.select(1);
    e.nullPen(2);
    e.select(2);
    e.rectangle(0, 0, 1000, 1000);
    e.brush(3, rgb(255, 255, 0));
    e.select(3);
    emfPatBlt(e, 200, 200, 600, 600, rop);
    QStringList trace;
    const QImage img = render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    QCOMPARE(img.pixelColor(50, 50), expected);
    QCOMPARE(img.pixelColor(10, 10), QColor(0, 255, 255));
    QVERIFY2(trace.filter("patblt 20,20,80,80").size() == 1, qPrintable(trace.join('\n')));
}

void TestMetafileFidelity::hatchedPatternBlitKeepsTheHatch() {
    // Black horizontal hatch on an opaque white background, ANDed with a cyan page: black
    // lines with cyan between them.
    Emf e;
    e.brush(1, rgb(0, 255, 255));
    e.select(1);
    e.nullPen(2);
    e.select(2);
    e.rectangle(0, 0, 1000, 1000);
    e.rec(39, Bytes().u32(3).u32(2).u32(rgb(0, 0, 0)).u32(0)); // BS_HATCHED, HS_HORIZONTAL
    e.select(3);
    emfPatBlt(e, 0, 0, 1000, 1000, 0x00A000C9);
    // At the reference device's own pixels: patterns are 8 device pixels high.
    const QImage img = render(fromBytes(e.finish()), QSize(1000, 1000));
    int black = 0, cyan = 0, other = 0;
    for (int y = 0; y < 16; ++y) {
        const QColor c = img.pixelColor(500, y);
        if (c == QColor(0, 0, 0))
            ++black;
        else if (c == QColor(0, 255, 255))
            ++cyan;
        else
            ++other;
    }
    QVERIFY2(black >= 2 && cyan >= 10 && other == 0,
             qPrintable(QStringLiteral("%1 black %2 cyan %3 other").arg(black).arg(cyan).arg(other)));
}

void TestMetafileFidelity::wmfPatBltWithDpa() {
    Wmf w;
    w.brush(rgb(0, 255, 255));
    w.nullPen();
    w.select(0);
    w.select(1);
    w.rectangle(0, 0, 1000, 1000);
    w.brush(rgb(255, 255, 0));
    w.select(2);
    w.rec(0x061D, Bytes().u32(0x00A000C9).i16(600).i16(600).i16(200).i16(200));
    const QImage img = render(fromBytes(w.finish()));
    QCOMPARE(img.pixelColor(50, 50), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(10, 10), QColor(0, 255, 255));
}

void TestMetafileFidelity::doubleByteTextIsDecodedInItsCodePage_data() {
    QTest::addColumn<int>("charSet");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("SHIFTJIS") << 128 << QByteArray("\x82\xa0\x82\xa2") << QString::fromUtf8("あい");
    QTest::newRow("HANGUL") << 129 << QByteArray("\xb0\xa1\xb3\xaa") << QString::fromUtf8("가나");
    QTest::newRow("GB2312") << 134 << QByteArray("\xc4\xe3\xba\xc3") << QString::fromUtf8("你好");
    QTest::newRow("CHINESEBIG5") << 136 << QByteArray("\xa4\xa4\xa4\xe5") << QString::fromUtf8("中文");
    QTest::newRow("RUSSIAN") << 204 << QByteArray("\xcc\xe8\xf0") << QString::fromUtf8("Мир");
}

void TestMetafileFidelity::doubleByteTextIsDecodedInItsCodePage() {
    QFETCH(int, charSet);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    // WMF TEXTOUT.
    Wmf w;
    Bytes font;
    font.i16(-100).i16(0).i16(0).i16(0).i16(400).u8(0).u8(0).u8(0).u8(quint8(charSet)).u32(0)
        .raw("DejaVu Sans").u8(0);
    w.rec(0x02FB, font);
    w.select(0);
    Bytes out;
    out.i16(qint16(bytes.size())).raw(bytes);
    if (bytes.size() % 2)
        out.u8(0);
    out.i16(100).i16(100);
    w.rec(0x0521, out);
    QStringList trace;
    render(fromBytes(w.finish()), QSize(100, 100), QRectF(), &trace);
    QCOMPARE(textCalls(trace).value(0).text, text);
    // EMR_EXTTEXTOUTA.
    Emf e;
    emfFont(e, 1, -100, 0, charSet, "DejaVu Sans");
    e.select(1);
    emfTextA(e, 100, 100, bytes);
    trace.clear();
    render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    QCOMPARE(textCalls(trace).value(0).text, text);
}

void TestMetafileFidelity::doubleByteAdvancesCountPerByte() {
    // "가A" in HANGUL is three bytes with three advances; the first character takes the
    // two of its bytes. Before, the advances were dropped because the lengths differed.
    Emf e;
    emfFont(e, 1, -100, 0, 129, "DejaVu Sans");
    e.select(1);
    emfTextA(e, 100, 100, QByteArray("\xb0\xa1" "A"), {150, 150, 100});
    QStringList trace;
    render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
    const TextCall t = textCalls(trace).value(0);
    QCOMPARE(t.text, QString::fromUtf8("가A"));
    QVERIFY2(std::abs(t.box.width() - 40) < 0.3, qPrintable(trace.join('\n')));

    Wmf w;
    Bytes font;
    font.i16(-100).i16(0).i16(0).i16(0).i16(400).u8(0).u8(0).u8(0).u8(128).u32(0).raw("DejaVu Sans").u8(0);
    w.rec(0x02FB, font);
    w.select(0);
    w.rec(0x0A32, Bytes().i16(100).i16(100).i16(3).u16(0).raw("\x82\xa0" "B").u8(0)
                      .i16(200).i16(200).i16(100));
    trace.clear();
    render(fromBytes(w.finish()), QSize(100, 100), QRectF(), &trace);
    const TextCall u = textCalls(trace).value(0);
    QCOMPARE(u.text, QString::fromUtf8("あB"));
    QVERIFY2(std::abs(u.box.width() - 50) < 0.3, qPrintable(trace.join('\n')));
}

void TestMetafileFidelity::wmfWithoutWindowTakesTheExtentOfItsDrawing() {
    // No placeable header, no SetWindowExt: the frame is what the records draw, so the
    // rectangle fills the picture instead of sitting small in a 1000 x 1000 corner.
    Wmf w;
    w.brush(rgb(0, 0, 255));
    w.nullPen();
    w.select(0);
    w.select(1);
    w.rectangle(2000, 1000, 3000, 1500);
    const TMetafile mf = fromBytes(w.finish(false));
    QVERIFY(mf.Valid());
    QCOMPARE(mf.Width(), 1000);
    QCOMPARE(mf.Height(), 500);
    const QImage img = render(mf, QSize(100, 50));
    QVERIFY(isBlue(img, 1, 1));
    QVERIFY(isBlue(img, 98, 48));
}

void TestMetafileFidelity::wmfTextOnlyFrameHoldsTheText() {
    // Only text: its boxes make the extent (20 units high lines down to y = 300).
    Wmf w;
    Bytes font;
    font.i16(20).i16(0).i16(0).i16(0).i16(400).u8(0).u8(0).u8(0).u8(0).u32(0).raw("DejaVu Sans").u8(0);
    w.rec(0x02FB, font);
    w.select(0);
    for (int y : {0, 150, 300})
        w.rec(0x0521, Bytes().i16(6).raw("Zeile ").i16(qint16(y)).i16(0));
    const TMetafile mf = fromBytes(w.finish(false));
    QVERIFY(mf.Height() >= 320 && mf.Height() < 400);
    QVERIFY(mf.Width() >= 50 && mf.Width() < 200);

    const TMetafile corpusFile = fromFile(corpus("wmf/libwmf-text.wmf"));
    if (!corpusFile.Valid())
        QSKIP("The shared corpus is not there.");
    const QSize size(300, qMax(1, 300 * corpusFile.MMHeight() / qMax(1, corpusFile.MMWidth())));
    QStringList trace;
    render(corpusFile, size, QRectF(), &trace);
    QRectF all;
    for (const TextCall& t : textCalls(trace))
        all |= t.box;
    QVERIFY2(all.width() > 0.6 * size.width() && all.height() > 0.6 * size.height(),
             qPrintable(QStringLiteral("text covers %1 x %2 of %3 x %4")
                            .arg(all.width()).arg(all.height()).arg(size.width()).arg(size.height())));
}

void TestMetafileFidelity::replacedFontKeepsTheDxPlaces() {
    // Advances of 40 units for letters 100 units high: the replacement's "M" is wider, so
    // it is narrowed to the run's 160 units instead of running into its neighbours.
    auto play = [](const QString& face, QImage* img = nullptr) {
        Emf e;
        e.font(1, -100, 0, face);
        e.select(1);
        e.rec(18, Bytes().u32(1));
        e.textAlign(24);
        e.text(100, 500, "MMMM", 0, {40, 40, 40, 40});
        QStringList trace;
        QImage out = render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
        if (img)
            *img = out;
        return textCalls(trace).value(0);
    };
    QImage img;
    const TextCall replaced = play("Qm Face Nobody Has", &img);
    QVERIFY2(replaced.xscale < 0.95, qPrintable(QString::number(replaced.xscale)));
    QVERIFY(std::abs(replaced.box.width() - 16) < 0.3);
    const QRect ink = inkBounds(img);
    QVERIFY2(ink.left() >= 9 && ink.right() <= 27, qPrintable(QStringLiteral("%1..%2").arg(ink.left()).arg(ink.right())));
    // An installed font is drawn as it is.
    QCOMPARE(play("DejaVu Sans").xscale, 1.0);
}

void TestMetafileFidelity::boxesOfMissingCharactersInAHugeFontAreOutlines() {
    // No installed font has Syriac characters; Qt draws a box for them and would put the
    // box, here a million pixels tall, into its glyph cache. The box ends just above the
    // baseline and starts at the reference point.
    Emf e;
    e.font(1, -1000000, 0, QStringLiteral("NoSuchFace"));
    e.select(1);
    e.textAlign(24); // baseline
    e.text(500, 1400, QString(QChar(0x0707)));
    const QImage img = render(fromBytes(e.finish()), QSize(1000, 1000));
    const QRect ink = inkBounds(img);
    QVERIFY2(std::abs(ink.left() - 500) <= 2 && ink.top() == 0 && ink.right() == 999 &&
                 std::abs(ink.bottom() - 650) <= 5,
             qPrintable(QStringLiteral("ink at %1,%2 to %3,%4")
                            .arg(ink.left())
                            .arg(ink.top())
                            .arg(ink.right())
                            .arg(ink.bottom())));
}

void TestMetafileFidelity::naturalFontWidthStaysNatural_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("width"); // for letters 100 units high
    QTest::addColumn<double>("ratio"); // text width against that of width 0
    // The widths Windows reports for these fonts at that height (tmAveCharWidth), which
    // pictures give to ask for the font as it is.
    QTest::newRow("Arial") << "Arial" << 400 << 44 << 1.0;
    QTest::newRow("Arial Bold") << "Arial" << 700 << 48 << 1.0;
    QTest::newRow("Times New Roman") << "Times New Roman" << 400 << 40 << 1.0;
    QTest::newRow("Courier New") << "Courier New" << 400 << 60 << 1.0;
    QTest::newRow("Arial twice as wide") << "Arial" << 400 << 88 << 2.0;
    QTest::newRow("negative width is a width") << "Arial" << 400 << -44 << 1.0;
}

void TestMetafileFidelity::naturalFontWidthStaysNatural() {
    QFETCH(QString, face);
    QFETCH(int, weight);
    QFETCH(int, width);
    QFETCH(double, ratio);
    auto textWidth = [&](int w) {
        Emf e;
        e.logFont(1, -100, w, weight, 0, face);
        e.select(1);
        e.textAlign(24);
        e.text(100, 500, "Umsatzsteuer im Juni");
        QStringList trace;
        render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace);
        return textCalls(trace).value(0).box.width();
    };
    const double natural = textWidth(0);
    QVERIFY(natural > 10);
    const double got = textWidth(width) / natural;
    QVERIFY2(std::abs(got - ratio) < 0.03 * ratio, qPrintable(QString::number(got)));
}

void TestMetafileFidelity::symbolFontCharactersAreDrawnAsThemselves_data() {
    QTest::addColumn<int>("code");  // in the Symbol font
    QTest::addColumn<int>("other"); // a Symbol character of another shape
    QTest::newRow("alpha") << 0x61 << 0x62;
    QTest::newRow("Sigma") << 0x53 << 0x50;
    QTest::newRow("minus") << 0x2D << 0x2B;
    QTest::newRow("logical not, not the arrow") << 0xD8 << 0xAC;
    QTest::newRow("times, not the dot") << 0xB4 << 0xD7;
    QTest::newRow("upper brace piece") << 0xEC << 0xEE;
    QTest::newRow("summation") << 0xE5 << 0xD5;
}

void TestMetafileFidelity::symbolFontCharactersAreDrawnAsThemselves() {
    QFETCH(int, code);
    QFETCH(int, other);
    // WMF TEXTOUT of one byte in the Symbol font, its character set SYMBOL_CHARSET.
    auto play = [](int byte) {
        Wmf w;
        Bytes font;
        font.i16(-600).i16(0).i16(0).i16(0).i16(400).u8(0).u8(0).u8(0).u8(2).u32(0)
            .raw("Symbol").u8(0);
        w.rec(0x02FB, font);
        w.select(0);
        w.rec(0x0521, Bytes().i16(1).u8(quint8(byte)).u8(0).i16(150).i16(200));
        return render(fromBytes(w.finish()), QSize(100, 100));
    };
    const QImage img = play(code);
    const QRect ink = inkBounds(img);
    QVERIFY2(ink.width() >= 3 || ink.height() >= 8, "the character is drawn");
    // Two different characters are two different pictures: before, ¬ and × came out as the
    // arrow and the dot of the font standing in for Symbol.
    const QImage second = play(other);
    int differ = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((qGray(img.pixel(x, y)) < 128) != (qGray(second.pixel(x, y)) < 128))
                ++differ;
    QVERIFY2(differ > 20, qPrintable(QString::number(differ)));
}

void TestMetafileFidelity::glyphIndicesAreDrawnAsTheirCharacters_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<bool>("macOrder"); // glyph numbers of the core fonts, else of the font
    QTest::addColumn<QString>("text");  // what is drawn; empty: nothing
    QTest::newRow("Arial, standing in") << "Arial" << true << "Imports";
    QTest::newRow("Times New Roman, umlauts") << "Times New Roman" << true << QString::fromUtf8("Größe");
    QTest::newRow("installed font, its own numbers") << "DejaVu Sans" << false << "Imports";
    QTest::newRow("font of unknown glyph order") << "Qm Face Nobody Has" << true << "";
}

void TestMetafileFidelity::glyphIndicesAreDrawnAsTheirCharacters() {
    QFETCH(QString, face);
    QFETCH(bool, macOrder);
    QFETCH(QString, text);
    const QString shown = text.isEmpty() ? QStringLiteral("Imports") : text;
    QString glyphs;
    if (macOrder) {
        for (QChar c : shown) {
            int g = c.unicode() - 29;
            if (c == u'ö') g = 124;
            if (c == u'ß') g = 137;
            glyphs += QChar(g);
        }
    } else {
        const QRawFont raw = QRawFont::fromFont(QFont(face));
        QVERIFY(raw.isValid());
        for (quint32 g : raw.glyphIndexesForString(shown))
            glyphs += QChar(char16_t(g));
    }
    Emf e;
    e.logFont(1, -100, 0, 400, 0, face);
    e.select(1);
    e.textAlign(24);
    e.text(100, 500, glyphs, 0x10, QVector<int>(glyphs.size(), 50));
    QStringList trace;
    TMetafilePlayStats stats;
    render(fromBytes(e.finish()), QSize(100, 100), QRectF(), &trace, &stats);
    const QList<TextCall> calls = textCalls(trace);
    if (text.isEmpty()) {
        QVERIFY2(calls.isEmpty(), qPrintable(trace.join('\n')));
        QVERIFY2(stats.unsupported.keys().join(' ').contains(face),
                 qPrintable(stats.unsupported.keys().join(' ')));
    } else {
        QCOMPARE(calls.value(0).text, text);
        QVERIFY(stats.unsupported.isEmpty());
    }
}

void TestMetafileFidelity::alphaBlendTakesTheFourthByteAsAlpha_data() {
    QTest::addColumn<int>("compression");
    QTest::addColumn<int>("headerSize");
    QTest::newRow("BI_RGB") << 0 << 40;
    QTest::newRow("BI_BITFIELDS, three masks") << 3 << 40;
    QTest::newRow("BI_BITFIELDS, V5 header without alpha mask") << 3 << 124;
}

void TestMetafileFidelity::alphaBlendTakesTheFourthByteAsAlpha() {
    QFETCH(int, compression);
    QFETCH(int, headerSize);
    // A 2 x 1 bitmap of 32 bits: a transparent black pixel, then an opaque red one; with
    // AC_SRC_ALPHA the left half of the picture stays white (icons on black squares before).
    Bytes bmi;
    bmi.u32(quint32(headerSize)).i32(2).i32(1).u16(1).u16(32).u32(quint32(compression)).u32(8);
    bmi.i32(0).i32(0).u32(0).u32(0);
    if (compression == 3)
        bmi.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF);
    while (bmi.b.size() < headerSize + (compression == 3 && headerSize == 40 ? 12 : 0))
        bmi.u8(0);
    const QByteArray bits = Bytes().u32(0x00000000).u32(0xFFFF0000).b;
    const int fixed = 8 + 100;
    Bytes b;
    b.rect(0, 0, 999, 999).i32(0).i32(0).i32(1000).i32(1000);
    b.u32(0x01FF0000); // AC_SRC_OVER, constant alpha 255, AC_SRC_ALPHA
    b.i32(0).i32(0).f32(1).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0).u32(0);
    b.u32(fixed).u32(quint32(bmi.b.size())).u32(quint32(fixed + bmi.b.size())).u32(quint32(bits.size()));
    b.i32(2).i32(1).raw(bmi.b).raw(bits);
    Emf e;
    e.rec(114, b);
    const QImage img = render(fromBytes(e.finish()));
    QCOMPARE(img.pixelColor(25, 50), QColor(Qt::white));
    QCOMPARE(img.pixelColor(75, 50), QColor(255, 0, 0));
}

void TestMetafileFidelity::clipPathsJoinedByOrClipBitmapsAndFills_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<bool>("bitmap"); // StretchDIBits, else a filled rectangle
    for (const char* shape : {"rectangles", "diamonds", "frames"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, bitmap").arg(shape))) << shape << true;
        QTest::newRow(qPrintable(QStringLiteral("%1, fill").arg(shape))) << shape << false;
    }
}

void TestMetafileFidelity::clipPathsJoinedByOrClipBitmapsAndFills() {
    QFETCH(QString, shape);
    QFETCH(bool, bitmap);
    // Two cells, the first made the clip by RGN_COPY, the second added by RGN_OR; then a
    // texture or a band covers the whole picture and must show only in the cells.
    auto cell = [&](Emf& e, int l) {
        e.rec(59);
        if (shape == "rectangles") {
            emfPolygon16(e, box(l, 200, l + 300, 800));
        } else if (shape == "diamonds") {
            emfPolygon16(e, QPolygon({{l + 150, 200}, {l + 300, 500}, {l + 150, 800}, {l, 500}}));
        } else { // a frame: a cell with a hole, by the alternate fill mode
            emfPolygon16(e, box(l, 200, l + 300, 800));
            emfPolygon16(e, box(l + 100, 400, l + 200, 600));
        }
        e.rec(60);
    };
    Emf e;
    cell(e, 100);
    e.rec(67, Bytes().u32(5)); // RGN_COPY
    cell(e, 600);
    e.rec(67, Bytes().u32(2)); // RGN_OR
    if (bitmap) {
        Bytes bmi;
        bmi.u32(40).i32(1).i32(1).u16(1).u16(24).u32(0).u32(4).i32(0).i32(0).u32(0).u32(0);
        e.stretchDib(0, 0, 1000, 1000, bmi.b, Bytes().u8(255).u8(0).u8(0).u8(0).b, 1, 1, 0x00CC0020);
    } else {
        bluePaint(e);
        e.rectangle(0, 0, 1000, 1000);
    }
    const QImage img = render(fromBytes(e.finish()));
    const QColor ink = QColor(0, 0, 255), page = QColor(Qt::white);
    QCOMPARE(img.pixelColor(15, 50), ink);  // first cell
    QCOMPARE(img.pixelColor(65, 50), ink);  // second cell
    QCOMPARE(img.pixelColor(50, 50), page); // between them
    QCOMPARE(img.pixelColor(25, 10), page); // above
    QCOMPARE(img.pixelColor(75, 90), page); // below
    // The middle of a cell: the hole of a frame.
    QCOMPARE(img.pixelColor(25, 50), shape == "frames" ? page : ink);
    QCOMPARE(img.pixelColor(75, 50), shape == "frames" ? page : ink);
}

void TestMetafileFidelity::paletteIndexColoursAreThePalettesEntries_data() {
    QTest::addColumn<bool>("palette"); // red, green, blue selected
    QTest::addColumn<quint32>("color");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("entry of the selected palette") << true << quint32(0x01000001) << QColor(0, 255, 0);
    QTest::newRow("entry of the default palette") << false << quint32(0x01000004) << QColor(0, 0, 128);
    QTest::newRow("plain COLORREF") << true << quint32(0x00FF00FF) << QColor(255, 0, 255);
    QTest::newRow("PALETTERGB") << true << quint32(0x020000FF) << QColor(255, 0, 0);
}

void TestMetafileFidelity::paletteIndexColoursAreThePalettesEntries() {
    QFETCH(bool, palette);
    QFETCH(quint32, color);
    QFETCH(QColor, expected);
    // Molecule drawings fill with PALETTEINDEX colours: black before.
    Wmf w;
    if (palette) {
        w.rec(0x00F7, Bytes().u16(0x300).u16(3).u32(rgb(255, 0, 0)).u32(rgb(0, 255, 0)).u32(rgb(0, 0, 255)));
        w.select(0); // SelectObject takes a palette too
        w.rec(0x0234, Bytes().u16(0)); // SELECTPALETTE
    }
    w.nullPen();
    w.brush(color);
    w.select(palette ? 1 : 0);
    w.select(palette ? 2 : 1);
    w.rectangle(200, 200, 800, 800);
    const QImage img = render(fromBytes(w.finish()));
    QCOMPARE(img.pixelColor(50, 50), expected);
    QCOMPARE(img.pixelColor(5, 5), QColor(Qt::white));
}

namespace {
bool isSymbolFamily(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol);
}

// Ink that differs between two pictures of the same size.
int inkDifference(const QImage& a, const QImage& b) {
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((qGray(a.pixel(x, y)) < 128) != (qGray(b.pixel(x, y)) < 128))
                ++differ;
    return differ;
}
} // namespace

void TestMetafileFidelity::missingTextFaceIsNotStoodInForBySymbols_data() {
    QTest::addColumn<QByteArray>("face");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("standIn"); // drawn in the font the system resolves the face to
    // fontconfig gives Impact, through its "fantasy" alias, the URW dingbats, and Comic Sans
    // MS, through "cursive", a chancery that is italic only.
    QTest::newRow("Impact") << QByteArray("Impact") << false << false;
    QTest::newRow("fantasy") << QByteArray("fantasy") << false << false;
    QTest::newRow("Comic Sans MS, upright") << QByteArray("Comic Sans MS") << false << false;
    QTest::newRow("Comic Sans MS, italic") << QByteArray("Comic Sans MS") << true << true;
    // A picture that names an installed font of symbols gets it.
    QTest::newRow("installed dingbats") << QByteArray("D050000L") << false << true;
}

void TestMetafileFidelity::missingTextFaceIsNotStoodInForBySymbols() {
    QFETCH(QByteArray, face);
    QFETCH(bool, italic);
    QFETCH(bool, standIn);
    const QFontInfo resolved{QFont(QString::fromLatin1(face))};
    if (!isSymbolFamily(resolved.family()) &&
        !QFontDatabase::italic(resolved.family(), resolved.styleName()))
        QSKIP("This system stands an upright text font in for the face.");
    auto play = [italic](const QByteArray& f) {
        Wmf w;
        w.font(f, -200, 0, italic);
        w.select(0);
        w.textOut(20, 300, "Iam a string");
        return render(fromBytes(w.finish()), QSize(200, 200));
    };
    const QImage asked = play(face);
    const QImage inStandIn = play(resolved.family().toLatin1());
    QVERIFY2(!inkBounds(asked).isEmpty(), "the text is drawn");
    const int differ = inkDifference(asked, inStandIn);
    if (standIn)
        QCOMPARE(differ, 0);
    else // upright letters, not pictures or a slanted script
        QVERIFY2(differ > 100, qPrintable(QString::number(differ)));
}

void TestMetafileFidelity::wmfRegionIsFilledOnlyWhenItsScansCheckOut_data() {
    // Scans of a region: count, top, bottom, the x values, the count again.
    QTest::addColumn<QList<int>>("scans");
    QTest::addColumn<int>("scanCount");
    QTest::addColumn<bool>("filled");
    QTest::newRow("two scans") << QList<int>{2, 100, 500, 100, 900, 2, 4, 500, 900, 100, 400, 600, 900, 4}
                               << 2 << true;
    QTest::newRow("closing count differs")
        << QList<int>{2, 100, 500, 100, 900, 2, 4, 500, 900, 100, 400, 600, 900, 7} << 2 << false;
    QTest::newRow("odd number of x values") << QList<int>{3, 100, 900, 100, 900, 500, 3} << 1 << false;
    // A writer's region whose scans run past the record (libUEMF's test picture).
    QTest::newRow("more scans than the record holds") << QList<int>{2, 100, 900, 100, 900, 2} << 9 << false;
}

void TestMetafileFidelity::wmfRegionIsFilledOnlyWhenItsScansCheckOut() {
    QFETCH(QList<int>, scans);
    QFETCH(int, scanCount);
    QFETCH(bool, filled);
    Wmf w;
    w.brush(rgb(0, 0, 255));
    Bytes region;
    region.u16(0).i16(6).u32(0).i16(qint16(22 + 2 * scans.size())).i16(qint16(scanCount)).i16(4);
    region.i16(100).i16(100).i16(900).i16(900);
    for (int v : scans)
        region.i16(qint16(v));
    w.rec(0x06FF, region);               // CREATEREGION, object 1
    w.rec(0x0228, Bytes().u16(1).u16(0)); // FILLREGION with the brush
    const QImage img = render(fromBytes(w.finish()));
    QCOMPARE(img.pixelColor(5, 5), QColor(Qt::white));
    if (filled) {
        QVERIFY(isBlue(img, 30, 30));  // first band, all across
        QVERIFY(isBlue(img, 80, 70));  // second band, its right part
        QCOMPARE(img.pixelColor(50, 70), QColor(Qt::white)); // the gap between
    } else {
        // Windows makes no region of them; nothing is filled instead of stray bands.
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                QCOMPARE(img.pixelColor(x, y), QColor(Qt::white));
    }
}

void TestMetafileFidelity::wmfTextAdvancesWithDisplacementsArePairs_data() {
    QTest::addColumn<int>("options");
    QTest::addColumn<QList<int>>("dx");
    QTest::addColumn<double>("width"); // of "ABC" in output pixels, a logical unit a tenth
    QTest::newRow("advances") << 0 << QList<int>{100, 150, 200} << 45.0;
    QTest::newRow("advances and displacements (ETO_PDY)") << 0x2000
                                                          << QList<int>{100, 0, 150, 0, 200, 0} << 45.0;
}

void TestMetafileFidelity::wmfTextAdvancesWithDisplacementsArePairs() {
    QFETCH(int, options);
    QFETCH(QList<int>, dx);
    QFETCH(double, width);
    Wmf w;
    w.font("DejaVu Sans", -100);
    w.select(0);
    Bytes out;
    out.i16(500).i16(100).i16(3).u16(quint16(options)).raw("ABC").u8(0);
    for (int d : dx)
        out.i16(qint16(d));
    w.rec(0x0A32, out); // EXTTEXTOUT
    QStringList trace;
    render(fromBytes(w.finish()), QSize(100, 100), QRectF(), &trace);
    const TextCall t = textCalls(trace).value(0);
    QCOMPARE(t.text, QStringLiteral("ABC"));
    QVERIFY2(std::abs(t.box.width() - width) < 0.3, qPrintable(trace.join('\n')));
}

void TestMetafileFidelity::wmfDeviceBitmapsOfEveryDepthAreDrawn_data() {
    // A device bitmap of two pixels, red and blue, as its rows are stored.
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<QByteArray>("row");
    QTest::newRow("4 bits, the 16 colours of the VGA palette") << 4 << QByteArray("\x9C\x00", 2);
    QTest::newRow("16 bits, 5-5-5") << 16 << QByteArray("\x00\x7C\x1F\x00", 4);
    QTest::newRow("24 bits") << 24 << QByteArray("\x00\x00\xFF\xFF\x00\x00", 6);
    // One bit: 0 takes the text colour (red here), 1 the background colour (blue).
    QTest::newRow("1 bit, in the text and background colours") << 1 << QByteArray("\x40\x00", 2);
}

void TestMetafileFidelity::wmfDeviceBitmapsOfEveryDepthAreDrawn() {
    QFETCH(int, bitsPerPixel);
    QFETCH(QByteArray, row);
    Wmf w;
    w.rec(0x0209, Bytes().u32(rgb(255, 0, 0))); // SETTEXTCOLOR
    w.rec(0x0201, Bytes().u32(rgb(0, 0, 255))); // SETBKCOLOR
    Bytes b;
    b.u32(0x00CC0020); // SRCCOPY
    b.i16(1).i16(2).i16(0).i16(0);       // source height, width, y, x
    b.i16(1000).i16(1000).i16(0).i16(0); // destination
    b.i16(0).i16(2).i16(1).i16(qint16(row.size())).u8(1).u8(quint8(bitsPerPixel)).raw(row);
    w.rec(0x0B23, b); // STRETCHBLT
    const QImage img = render(fromBytes(w.finish()));
    QCOMPARE(img.pixelColor(25, 50), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(75, 50), QColor(0, 0, 255));
}

void TestMetafileFidelity::justifiedTextWidensItsSpaces_data() {
    QTest::addColumn<int>("breakCount");
    QTest::addColumn<int>("breakExtra"); // logical units, a tenth of an output pixel
    QTest::addColumn<bool>("dx");
    QTest::addColumn<double>("wider"); // than the text without, in output pixels
    QTest::newRow("none") << 0 << 0 << false << 0.0;
    QTest::newRow("spread over both spaces") << 2 << 200 << false << 20.0;
    QTest::newRow("given per space, two spaces") << 1 << 100 << false << 20.0;
    // Advances of their own leave no room for justification.
    QTest::newRow("text with advances") << 2 << 200 << true << 0.0;
}

void TestMetafileFidelity::justifiedTextWidensItsSpaces() {
    QFETCH(int, breakCount);
    QFETCH(int, breakExtra);
    QFETCH(bool, dx);
    QFETCH(double, wider);
    auto widthOf = [dx](int count, int extra) {
        Wmf w;
        w.font("DejaVu Sans", -100);
        w.select(0);
        w.rec(0x020A, Bytes().u16(quint16(count)).u16(quint16(extra))); // SETTEXTJUSTIFICATION
        if (dx)
            w.rec(0x0A32, Bytes().i16(100).i16(50).i16(5).u16(0).raw("A B C").u8(0)
                              .i16(60).i16(40).i16(60).i16(40).i16(60));
        else
            w.textOut(50, 100, "A B C");
        QStringList trace;
        render(fromBytes(w.finish()), QSize(100, 100), QRectF(), &trace);
        return textCalls(trace).value(0).box.width();
    };
    const double plain = widthOf(0, 0);
    QVERIFY(plain > 5);
    const double justified = widthOf(breakCount, breakExtra);
    QVERIFY2(std::abs(justified - plain - wider) < 0.3,
             qPrintable(QStringLiteral("%1 against %2").arg(justified).arg(plain)));
}

QTEST_MAIN(TestMetafileFidelity)
#include "tst_metafilefidelity.moc"
