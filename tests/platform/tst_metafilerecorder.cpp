// The recording canvas: what it writes (header, records, object table) and how the
// recording plays back.

#include "emfparse.h"
#include "metafile/tmetafile.h"
#include "metafile/tmetafilecanvas.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>

using C = TMetafileCanvas;

namespace {

// Walks the object records like a player would and reports the first misuse.
QString objectTableProblem(const ParsedEmf& emf, int handleCount) {
    QSet<quint32> live;
    struct Sel {
        quint32 pen = 0, brush = 0, font = 0;
    };
    Sel cur;
    QList<Sel> saved;
    auto selected = [&](quint32 h) {
        if (cur.pen == h || cur.brush == h || cur.font == h)
            return true;
        for (const Sel& s : saved)
            if (s.pen == h || s.brush == h || s.font == h)
                return true;
        return false;
    };
    for (const ParsedRecord& r : emf.records) {
        switch (r.type) {
        case 38:
        case 39:
        case 82: {
            const quint32 h = r.u32(8);
            if (h == 0 || int(h) >= handleCount)
                return QStringLiteral("handle %1 outside the table").arg(h);
            if (live.contains(h))
                return QStringLiteral("handle %1 created twice").arg(h);
            live.insert(h);
            break;
        }
        case 37: {
            const quint32 h = r.u32(8);
            if (h & 0x80000000u) {
                if (h == 0x80000008u)
                    cur.pen = h;
                else if (h == 0x80000005u)
                    cur.brush = h;
                break;
            }
            if (!live.contains(h))
                return QStringLiteral("selects deleted handle %1").arg(h);
            // the kind of object decides the slot: find its create record
            for (const ParsedRecord& c : emf.records)
                if ((c.type == 38 || c.type == 39 || c.type == 82) && c.u32(8) == h) {
                    (c.type == 38 ? cur.pen : c.type == 39 ? cur.brush : cur.font) = h;
                }
            break;
        }
        case 40: {
            const quint32 h = r.u32(8);
            if (!live.contains(h))
                return QStringLiteral("deletes unknown handle %1").arg(h);
            if (selected(h))
                return QStringLiteral("deletes selected handle %1").arg(h);
            live.remove(h);
            break;
        }
        case 33:
            saved.append(cur);
            break;
        case 34:
            if (saved.isEmpty())
                return QStringLiteral("restore without save");
            cur = saved.takeLast();
            break;
        default:
            break;
        }
    }
    return {};
}

QImage play(const TMetafile& mf, int w, int h, QRect dest = QRect()) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    mf.Play(p, dest.isNull() ? QRect(0, 0, w, h) : dest);
    p.end();
    return img;
}

bool isColour(QRgb px, int r, int g, int b, int tol = 40) {
    return std::abs(qRed(px) - r) <= tol && std::abs(qGreen(px) - g) <= tol &&
           std::abs(qBlue(px) - b) <= tol;
}

// Bounding box of the pixels that are not white.
QRect inkBox(const QImage& img) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!isColour(img.pixel(x, y), 255, 255, 255, 60))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

} // namespace

class TestMetafileRecorder : public QObject {
    Q_OBJECT

private slots:
    void headerDescribesTheRecording();
    void frameFollowsBoundsWhenNoSizeIsSet();
    void emptyRecordingKeepsTheSetSize();
    void coordinatesKeepLogicalPrecision();
    void boundsFollowMappingModes_data();
    void boundsFollowMappingModes();
    void objectTableStaysConsistent();
    void fontAndTextRecords();
    void stretchDibitsRecord();
    void badDibIsNotRecorded();
    void imageToDibIsBottomUpBgr();
    void closedCanvasIgnoresDrawing();
    void playsPolygonsInHimetric();
    void playsEachMappingMode_data();
    void playsEachMappingMode();
    void playsEscapedText();
    void playsStretchedBitmaps_data();
    void playsStretchedBitmaps();
};

void TestMetafileRecorder::headerDescribesTheRecording() {
    TMetafile mf;
    mf.SetMMWidth(5000);
    mf.SetMMHeight(3000);
    {
        C c(mf);
        c.Polygon({{10, 20}, {110, 20}, {60, 80}});
        c.SetPenColor(0x0000FF);
        c.Polyline({{0, 0}, {50, 50}});
    } // the destructor closes
    const QByteArray bytes = mf.Bytes();
    QCOMPARE(mf.GetForm(), TMetafile::Form::Emf);
    QCOMPARE(mf.MMWidth(), 5000);
    QCOMPARE(mf.MMHeight(), 3000);

    // the reader finds the same frame in the bytes
    TMetafile reread;
    QVERIFY(reread.LoadFromBytes(bytes));
    QCOMPARE(QSize(reread.MMWidth(), reread.MMHeight()), QSize(5000, 3000));

    const ParsedEmf emf = ParseEmf(bytes);
    QVERIFY(emf.sizesOk);
    const ParsedRecord& h = emf.header();
    QCOMPARE(h.type, 1u);
    QCOMPARE(h.u32(40), 0x464D4520u);           // " EMF"
    QCOMPARE(h.u32(44), 0x10000u);              // version
    QCOMPARE(h.u32(48), quint32(bytes.size())); // total bytes
    QCOMPARE(h.u32(52), quint32(emf.records.size()));
    QCOMPARE(emf.records.last().type, 14u);
    // frame 0.01 mm, reference device 96 dpi in pixels, millimetres and micrometres
    QCOMPARE(QList<int>({h.i32(24), h.i32(28), h.i32(32), h.i32(36)}),
             QList<int>({0, 0, 5000, 3000}));
    QCOMPARE(h.i32(72) * 254, h.i32(80) * 960);
    QCOMPARE(h.i32(76) * 254, h.i32(84) * 960);
    QCOMPARE(h.i32(100), h.i32(80) * 1000);
    QCOMPARE(h.i32(104), h.i32(84) * 1000);
    // bounds: everything drawn, in device pixels, inclusive
    QVERIFY(h.i32(8) <= 0 && h.i32(12) <= 0);
    QVERIFY(h.i32(16) >= 110 && h.i32(16) <= 112);
    QVERIFY(h.i32(20) >= 80 && h.i32(20) <= 82);
    // the description string lies inside the header
    QVERIFY(h.u32(64) + h.u32(60) * 2 <= h.u32(4));
    // two pens and a brush were created; the table has room for all live ones
    QCOMPARE(objectTableProblem(emf, h.u16(56)), QString());
    QVERIFY(h.u16(56) >= 3);
}

void TestMetafileRecorder::frameFollowsBoundsWhenNoSizeIsSet() {
    TMetafile mf;
    {
        C c(mf);
        c.Draw(96, 48, QImage(192, 96, QImage::Format_RGB888)); // 2 x 1 inch at 1 x 0.5 inch
    }
    const ParsedRecord h = ParseEmf(mf.Bytes()).header();
    QCOMPARE(QList<int>({h.i32(8), h.i32(12), h.i32(16), h.i32(20)}),
             QList<int>({96, 48, 287, 143}));
    QCOMPARE(QList<int>({h.i32(24), h.i32(28), h.i32(32), h.i32(36)}),
             QList<int>({2540, 1270, 7620, 3810}));
    QCOMPARE(mf.MMWidth(), 5080);
    QCOMPARE(mf.MMHeight(), 2540);
    QCOMPARE(mf.Width(), 192);
}

void TestMetafileRecorder::emptyRecordingKeepsTheSetSize() {
    TMetafile mf;
    mf.SetMMWidth(2100);
    mf.SetMMHeight(1480);
    C(mf).Close();
    QCOMPARE(mf.MMWidth(), 2100);
    QCOMPARE(mf.MMHeight(), 1480);
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QVERIFY(emf.sizesOk);
    QCOMPARE(emf.records.size(), 2); // header and end
    QCOMPARE(emf.header().i32(16), -1); // nothing drawn: empty bounds
}

void TestMetafileRecorder::coordinatesKeepLogicalPrecision() {
    // A path-list picture: 0.01 mm with y upwards, the origin at the bottom-left corner.
    TMetafile mf;
    mf.SetMMWidth(5000);
    mf.SetMMHeight(3000);
    {
        C c(mf);
        c.SetMapMode(C::MM_HIMETRIC);
        c.SetWindowOrgEx(0, 3000);
        c.Polygon({{1001, 7}, {4999, 1234}, {2501, 2999}});
    }
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    const QList<ParsedRecord> polys = emf.ofType(3);
    QCOMPARE(polys.size(), 1);
    const ParsedRecord& p = polys.first();
    QCOMPARE(p.u32(24), 3u);
    QCOMPARE(QList<int>({p.i32(28), p.i32(32), p.i32(36), p.i32(40), p.i32(44), p.i32(48)}),
             QList<int>({1001, 7, 4999, 1234, 2501, 2999}));
    // y = 0 is the bottom edge: 29.93 mm up is near the top of the device
    const ParsedRecord& h = emf.header();
    QVERIFY(h.i32(12) >= -1 && h.i32(12) <= 1);
    QVERIFY(h.i32(20) >= 112 && h.i32(20) <= 114); // (3000 - 7) * 96 / 2540 = 113.1
    QCOMPARE(emf.ofType(17).first().u32(8), 3u);
    QCOMPARE(emf.ofType(10).first().i32(12), 3000);
}

void TestMetafileRecorder::boundsFollowMappingModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("windowExt");
    QTest::addColumn<QSize>("viewportExt");
    QTest::addColumn<QPoint>("windowOrg");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QPoint>("device");

    QTest::newRow("text") << C::MM_TEXT << QSize() << QSize() << QPoint(10, 20)
                          << QPoint(110, 70) << QPoint(100, 50);
    QTest::newRow("lometric") << C::MM_LOMETRIC << QSize() << QSize() << QPoint(0, 0)
                              << QPoint(254, -508) << QPoint(96, 192);
    QTest::newRow("himetric") << C::MM_HIMETRIC << QSize() << QSize() << QPoint(0, 2540)
                              << QPoint(2540, 0) << QPoint(96, 96);
    QTest::newRow("loenglish") << C::MM_LOENGLISH << QSize() << QSize() << QPoint(0, 0)
                               << QPoint(100, -200) << QPoint(96, 192);
    QTest::newRow("twips") << C::MM_TWIPS << QSize() << QSize() << QPoint(0, 0)
                           << QPoint(1440, -720) << QPoint(96, 48);
    QTest::newRow("anisotropic") << C::MM_ANISOTROPIC << QSize(1000, 1000) << QSize(200, 100)
                                 << QPoint(-500, 0) << QPoint(500, 500) << QPoint(200, 50);
    // isotropic shrinks the axis that would be scaled more: 0.2 on both
    QTest::newRow("isotropic") << C::MM_ISOTROPIC << QSize(1000, 1000) << QSize(200, 400)
                               << QPoint(0, 0) << QPoint(500, 500) << QPoint(100, 100);
}

void TestMetafileRecorder::boundsFollowMappingModes() {
    QFETCH(int, mode);
    QFETCH(QSize, windowExt);
    QFETCH(QSize, viewportExt);
    QFETCH(QPoint, windowOrg);
    QFETCH(QPoint, point);
    QFETCH(QPoint, device);
    TMetafile mf;
    C c(mf);
    c.SetMapMode(mode);
    if (windowExt.isValid()) {
        c.SetWindowExtEx(windowExt.width(), windowExt.height());
        c.SetViewportExtEx(viewportExt.width(), viewportExt.height());
    }
    c.SetWindowOrgEx(windowOrg.x(), windowOrg.y());
    c.SetPenStyle(C::PS_NULL);
    c.Polygon({windowOrg, point, QPoint(windowOrg.x(), point.y())});
    const ParsedRecord h = ParseEmf(c.Snapshot()).header();
    const QRect bounds(QPoint(h.i32(8), h.i32(12)), QPoint(h.i32(16), h.i32(20)));
    QCOMPARE(bounds.topLeft(), QPoint(0, 0));
    QVERIFY2(std::abs(bounds.right() - device.x()) <= 1 &&
                 std::abs(bounds.bottom() - device.y()) <= 1,
             qPrintable(QStringLiteral("bounds end at %1,%2").arg(bounds.right()).arg(bounds.bottom())));
}

void TestMetafileRecorder::objectTableStaysConsistent() {
    TMetafile mf;
    {
        C c(mf);
        for (int i = 0; i < 50; ++i) {
            c.SetPen(C::PS_SOLID, i % 3, TColor(i * 1000));
            c.SetBrush(i % 5 ? C::BS_SOLID : C::BS_NULL, TColor(i));
            if (i % 7 == 0)
                c.SaveDC();
            c.Rectangle(i, i, i + 10, i + 10);
            TLogFont f;
            f.Height = -10 - i % 4;
            c.SetFont(f);
            c.TextOut(i, 0, QStringLiteral("x"));
            if (i % 11 == 0)
                c.RestoreDC();
        }
        // unchanged state creates nothing new
        const int before = int(ParseEmf(c.Snapshot()).ofType(38).size());
        c.Rectangle(0, 0, 5, 5);
        QCOMPARE(int(ParseEmf(c.Snapshot()).ofType(38).size()), before);
    } // closing restores the open saves
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QVERIFY(emf.sizesOk);
    QCOMPARE(objectTableProblem(emf, emf.header().u16(56)), QString());
    QCOMPARE(emf.ofType(33).size(), emf.ofType(34).size());
    QVERIFY2(emf.header().u16(56) < 20, "deleted slots are used again");
}

void TestMetafileRecorder::fontAndTextRecords() {
    TMetafile mf;
    C c(mf);
    TLogFont f;
    f.Height = -500;
    f.Escapement = f.Orientation = 900;
    f.Weight = 700;
    f.Italic = true;
    f.FaceName = QStringLiteral("Arial Narrow with a name much longer than thirty-one");
    c.SetFont(f);
    c.SetTextAlign(C::TA_BASELINE | C::TA_CENTER);
    c.SetBkMode(C::BK_TRANSPARENT);
    const QRect clip(0, 0, 300, 200);
    c.ExtTextOut(100, 150, C::ETO_CLIPPED, &clip, QStringLiteral("Grüße"));
    c.ExtTextOut(5, 6, C::ETO_CLIPPED | C::ETO_OPAQUE, nullptr, QStringLiteral("ab"), {7, 9});
    const ParsedEmf emf = ParseEmf(c.Snapshot());

    const QList<ParsedRecord> fonts = emf.ofType(82);
    QCOMPARE(fonts.size(), 1); // the same font is not created twice
    const ParsedRecord& fr = fonts.first();
    QCOMPARE(fr.i32(12), -500);
    QCOMPARE(fr.i32(20), 900);
    QCOMPARE(fr.i32(24), 900);
    QCOMPARE(fr.i32(28), 700);
    QCOMPARE(int(quint8(fr.bytes.at(32))), 1);
    QString face;
    for (int i = 0; i < 32 && fr.u16(40 + 2 * i); ++i)
        face += QChar(fr.u16(40 + 2 * i));
    QCOMPARE(face.size(), 31); // a face name keeps its terminating zero
    QCOMPARE(fr.u16(40 + 62), quint16(0));

    QCOMPARE(emf.ofType(22).first().u32(8), C::TA_BASELINE | C::TA_CENTER);
    QCOMPARE(emf.ofType(18).first().u32(8), 1u);

    const QList<ParsedRecord> texts = emf.ofType(84);
    QCOMPARE(texts.size(), 2);
    const ParsedRecord& t = texts[0];
    QCOMPARE(QPoint(t.i32(36), t.i32(40)), QPoint(100, 150));
    QCOMPARE(t.u32(44), 5u);
    QString s;
    for (int i = 0; i < 5; ++i)
        s += QChar(t.u16(int(t.u32(48)) + 2 * i));
    QCOMPARE(s, QStringLiteral("Grüße"));
    QCOMPARE(t.u32(52), C::ETO_CLIPPED);
    QCOMPARE(QList<int>({t.i32(56), t.i32(60), t.i32(64), t.i32(68)}),
             QList<int>({0, 0, 300, 200}));
    if (t.u32(72)) { // advances measured from the font: one per character, all positive
        int sum = 0;
        for (int i = 0; i < 5; ++i) {
            const int d = t.i32(int(t.u32(72)) + 4 * i);
            QVERIFY(d > 0 && d < 500);
            sum += d;
        }
        QVERIFY(sum > 500 && sum < 2500);
        QVERIFY(int(t.u32(72)) + 20 <= t.bytes.size());
    }
    // given advances are kept; clip options without a rectangle are dropped
    const ParsedRecord& t2 = texts[1];
    QCOMPARE(t2.u32(52), 0u);
    QCOMPARE(t2.i32(int(t2.u32(72))), 7);
    QCOMPARE(t2.i32(int(t2.u32(72)) + 4), 9);
}

void TestMetafileRecorder::stretchDibitsRecord() {
    QImage img(3, 2, QImage::Format_RGB888);
    img.fill(QColor(10, 20, 30));
    const QByteArray dib = C::ImageToDib24(img);
    TMetafile mf;
    C c(mf);
    c.StretchDIBits(30, 0, -30, 20, 0, 0, 3, 2, dib, C::NOTSRCCOPY);
    const ParsedEmf emf = ParseEmf(c.Snapshot());
    const QList<ParsedRecord> recs = emf.ofType(81);
    QCOMPARE(recs.size(), 1);
    const ParsedRecord& r = recs.first();
    QCOMPARE(QList<int>({r.i32(24), r.i32(28), r.i32(72), r.i32(76)}), QList<int>({30, 0, -30, 20}));
    QCOMPARE(QList<int>({r.i32(32), r.i32(36), r.i32(40), r.i32(44)}), QList<int>({0, 0, 3, 2}));
    QCOMPARE(r.u32(68), C::NOTSRCCOPY);
    QCOMPARE(r.u32(64), 0u); // DIB_RGB_COLORS
    const int offBmi = int(r.u32(48)), cbBmi = int(r.u32(52));
    const int offBits = int(r.u32(56)), cbBits = int(r.u32(60));
    QCOMPARE(cbBmi, 40);
    QCOMPARE(cbBits, 2 * 12); // rows of 9 bytes padded to 12
    QVERIFY(offBits + cbBits <= r.bytes.size());
    QCOMPARE(r.bytes.mid(offBmi, cbBmi + cbBits), dib);
    // the mirrored destination still covers 0..29 on the device
    QCOMPARE(QList<int>({r.i32(8), r.i32(16)}), QList<int>({0, 29}));
}

void TestMetafileRecorder::badDibIsNotRecorded() {
    const QByteArray good = C::ImageToDib24(QImage(4, 4, QImage::Format_RGB888));
    QByteArray wrongDepth = good;
    wrongDepth[14] = 7;
    QByteArray hugeWidth = good;
    qToLittleEndian<qint32>(0x7FFFFFFF, hugeWidth.data() + 4);
    QByteArray manyColours = C::ImageToDib24(QImage(4, 4, QImage::Format_RGB888));
    manyColours[14] = 8; // 8 bpp needs a palette that is not there
    TMetafile mf;
    C c(mf);
    for (const QByteArray& bad : {good.left(good.size() - 1), good.left(20), wrongDepth,
                                   hugeWidth, manyColours, QByteArray()})
        c.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, bad);
    QCOMPARE(ParseEmf(c.Snapshot()).ofType(81).size(), 0);
    c.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, good);
    QCOMPARE(ParseEmf(c.Snapshot()).ofType(81).size(), 1);
}

void TestMetafileRecorder::imageToDibIsBottomUpBgr() {
    QImage img(2, 2, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(0, 1, qRgba(0, 0, 255, 255));
    img.setPixel(1, 1, qRgba(0, 0, 0, 0)); // transparent lies on white
    const QByteArray dib = C::ImageToDib24(img);
    QCOMPARE(dib.size(), 40 + 2 * 8);
    QCOMPARE(qFromLittleEndian<quint16>(dib.constData() + 14), quint16(24));
    const auto px = [&](int row, int col) {
        const uchar* p = reinterpret_cast<const uchar*>(dib.constData()) + 40 + row * 8 + col * 3;
        return qRgb(p[2], p[1], p[0]);
    };
    QCOMPARE(px(1, 0), qRgb(255, 0, 0)); // the top row is stored last
    QCOMPARE(px(1, 1), qRgb(0, 255, 0));
    QCOMPARE(px(0, 0), qRgb(0, 0, 255));
    QCOMPARE(px(0, 1), qRgb(255, 255, 255));
}

void TestMetafileRecorder::closedCanvasIgnoresDrawing() {
    TMetafile mf;
    mf.SetMMWidth(1000);
    mf.SetMMHeight(1000);
    C c(mf);
    c.Rectangle(0, 0, 10, 10);
    c.Close();
    const QByteArray first = mf.Bytes();
    c.Rectangle(0, 0, 20, 20);
    c.SetMapMode(C::MM_HIMETRIC);
    c.Close();
    QCOMPARE(mf.Bytes(), first);
    QVERIFY(c.IsClosed());
}

// ---- playback ----

void TestMetafileRecorder::playsPolygonsInHimetric() {
    // a red triangle, 0.01 mm with y upwards, filling the lower half of a 100 x 100 mm picture
    TMetafile mf;
    mf.SetMMWidth(10000);
    mf.SetMMHeight(10000);
    {
        C c(mf);
        c.SetMapMode(C::MM_HIMETRIC);
        c.SetWindowOrgEx(0, 10000);
        c.SetBrushColor(0x0000FF);
        c.SetPenStyle(C::PS_NULL);
        c.Polygon({{0, 0}, {10000, 0}, {10000, 5000}});
        c.SetPen(C::PS_SOLID, 100, 0xFF0000); // blue, 1 mm
        c.SetBrushStyle(C::BS_NULL);
        c.Polyline({{0, 9000}, {10000, 9000}});
    }
    const QImage img = play(mf, 200, 200);
    QVERIFY(isColour(img.pixel(190, 190), 255, 0, 0)); // bottom right: inside
    QVERIFY(isColour(img.pixel(10, 150), 255, 255, 255)); // above the diagonal
    QVERIFY(isColour(img.pixel(100, 20), 0, 0, 255));    // the line 10 mm below the top
    QVERIFY(isColour(img.pixel(100, 40), 255, 255, 255));
    // mirrored destination: the triangle's corner moves to the bottom left
    const QImage mirrored = play(mf, 200, 200, QRect(QPoint(199, 0), QPoint(0, 199)));
    QVERIFY(isColour(mirrored.pixel(10, 190), 255, 0, 0));
    QVERIFY(isColour(mirrored.pixel(190, 150), 255, 255, 255));
}

void TestMetafileRecorder::playsEachMappingMode_data() {
    // Each row fills the bottom-right quarter of a picture 200 reference pixels square.
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("windowExt");
    QTest::addColumn<QSize>("viewportExt");
    QTest::addColumn<QPoint>("windowOrg");
    QTest::addColumn<QPoint>("viewportOrg");
    QTest::addColumn<QRect>("rect"); // left, top, right, bottom via QRect(QPoint, QPoint)
    QTest::newRow("text") << C::MM_TEXT << QSize() << QSize() << QPoint() << QPoint()
                          << QRect(QPoint(100, 100), QPoint(200, 200));
    QTest::newRow("text, window origin") << C::MM_TEXT << QSize() << QSize() << QPoint(-50, 30)
                                         << QPoint() << QRect(QPoint(50, 130), QPoint(150, 230));
    QTest::newRow("lometric") << C::MM_LOMETRIC << QSize() << QSize() << QPoint() << QPoint()
                              << QRect(QPoint(265, -265), QPoint(530, -530));
    QTest::newRow("himetric, y from the bottom")
        << C::MM_HIMETRIC << QSize() << QSize() << QPoint(0, 5292) << QPoint()
        << QRect(QPoint(2646, 2646), QPoint(5292, 0));
    QTest::newRow("twips") << C::MM_TWIPS << QSize() << QSize() << QPoint() << QPoint()
                           << QRect(QPoint(1500, -1500), QPoint(3000, -3000));
    QTest::newRow("anisotropic") << C::MM_ANISOTROPIC << QSize(1000, 1000) << QSize(200, 200)
                                 << QPoint(-500, -500) << QPoint()
                                 << QRect(QPoint(0, 0), QPoint(500, 500));
    QTest::newRow("isotropic, y up") << C::MM_ISOTROPIC << QSize(1000, 1000) << QSize(200, -400)
                                     << QPoint() << QPoint(0, 200)
                                     << QRect(QPoint(500, 0), QPoint(1000, 500));
}

void TestMetafileRecorder::playsEachMappingMode() {
    QFETCH(int, mode);
    QFETCH(QSize, windowExt);
    QFETCH(QSize, viewportExt);
    QFETCH(QPoint, windowOrg);
    QFETCH(QPoint, viewportOrg);
    QFETCH(QRect, rect);
    TMetafile mf;
    mf.SetWidth(200);
    mf.SetHeight(200);
    {
        C c(mf);
        c.SetMapMode(mode);
        if (windowExt.isValid()) {
            c.SetWindowExtEx(windowExt.width(), windowExt.height());
            c.SetViewportExtEx(viewportExt.width(), viewportExt.height());
        }
        c.SetWindowOrgEx(windowOrg.x(), windowOrg.y());
        c.SetViewportOrgEx(viewportOrg.x(), viewportOrg.y());
        c.SetPenStyle(C::PS_NULL);
        c.SetBrushColor(0x0000FF);
        c.Rectangle(rect.left(), rect.top(), rect.right(), rect.bottom());
    }
    const QImage img = play(mf, 200, 200);
    QVERIFY(isColour(img.pixel(150, 150), 255, 0, 0));
    QVERIFY(isColour(img.pixel(110, 190), 255, 0, 0));
    for (const QPoint& p : {QPoint(50, 50), QPoint(150, 50), QPoint(50, 150), QPoint(90, 190)})
        QVERIFY2(isColour(img.pixel(p), 255, 255, 255),
                 qPrintable(QStringLiteral("%1,%2 is painted").arg(p.x()).arg(p.y())));
}

void TestMetafileRecorder::playsEscapedText() {
    TMetafile mf;
    mf.SetMMWidth(10000);
    mf.SetMMHeight(10000);
    {
        C c(mf);
        c.SetMapMode(C::MM_HIMETRIC);
        c.SetWindowOrgEx(0, 10000);
        c.SetBkMode(C::BK_TRANSPARENT);
        TLogFont f;
        f.Height = -800;
        // With y pointing up the angle turns the other way on the device: 2700 reads upwards.
        f.Escapement = f.Orientation = 2700;
        c.SetFont(f);
        c.TextOut(5000, 1000, QStringLiteral("HHHHHHHH"));
    }
    const QRect box = inkBox(play(mf, 200, 200));
    QVERIFY(!box.isEmpty());
    QVERIFY2(box.height() > 2 * box.width(),
             qPrintable(QStringLiteral("text box %1 x %2").arg(box.width()).arg(box.height())));
    // it starts at the reference point and goes up
    QVERIFY(box.bottom() <= 182 && box.bottom() > 150);
}

void TestMetafileRecorder::playsStretchedBitmaps_data() {
    QTest::addColumn<quint32>("rop");
    QTest::addColumn<bool>("mirror");
    QTest::newRow("copy") << C::SRCCOPY << false;
    QTest::newRow("inverted") << C::NOTSRCCOPY << false;
    QTest::newRow("mirrored by the destination") << C::SRCCOPY << true;
}

void TestMetafileRecorder::playsStretchedBitmaps() {
    QFETCH(quint32, rop);
    QFETCH(bool, mirror);
    QImage img(4, 2, QImage::Format_RGB888);
    img.fill(QColor(0, 0, 255));
    for (int y = 0; y < 2; ++y) {
        img.setPixelColor(0, y, QColor(255, 0, 0));
        img.setPixelColor(1, y, QColor(255, 0, 0));
    }
    TMetafile mf;
    mf.SetWidth(40);
    mf.SetHeight(20);
    {
        C c(mf);
        if (mirror)
            c.StretchDIBits(40, 0, -40, 20, 0, 0, 4, 2, C::ImageToDib24(img), rop);
        else
            c.StretchImage(0, 0, 40, 20, img, rop);
    }
    const QImage out = play(mf, 40, 20);
    QRgb left = out.pixel(5, 10), right = out.pixel(35, 10);
    if (mirror)
        std::swap(left, right);
    if (rop == C::NOTSRCCOPY) {
        QVERIFY(isColour(left, 0, 255, 255));
        QVERIFY(isColour(right, 255, 255, 0));
    } else {
        QVERIFY(isColour(left, 255, 0, 0));
        QVERIFY(isColour(right, 0, 0, 255));
    }
}

QTEST_MAIN(TestMetafileRecorder)
#include "tst_metafilerecorder.moc"
