// Recording QPainter drawing through the EMF paint device, read back and played back.

#include "emfparse.h"
#include "metafile/emfpaintdevice.h"
#include "metafile/tmetafile.h"
#include "metafile/tmetafilecanvas.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

namespace {

QImage play(const TMetafile& mf, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    mf.Play(p, QRect(QPoint(0, 0), size));
    return img;
}

// Share of pixels that differ by more than `tol` in some channel.
double differingShare(const QImage& a, const QImage& b, int tol = 60) {
    int diff = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tol || std::abs(qGreen(p) - qGreen(q)) > tol ||
                std::abs(qBlue(p) - qBlue(q)) > tol)
                ++diff;
        }
    return double(diff) / (a.width() * a.height());
}

void drawScene(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(10, 10, 80, 40), QColor(200, 0, 0));
    p.setPen(QPen(Qt::darkGreen, 3));
    p.setBrush(QColor(0, 0, 180));
    p.drawEllipse(QRectF(100, 20, 90, 60));
    QPainterPath path;
    path.moveTo(20, 140);
    path.cubicTo(60, 60, 120, 200, 180, 120);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 4));
    p.drawPath(path);
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(QColor(255, 200, 0));
    p.drawImage(QRect(120, 150, 64, 32), img);
}

} // namespace

class TestEmfPaintDevice : public QObject {
    Q_OBJECT

private slots:
    void frameIsTheSizeAtItsResolution();
    void frameIsTheTargetSizeWhenSet();
    void shapesBecomePolygonRecords();
    void coordinatesKeepSubpixels();
    void textBecomesTextWithItsAngle();
    void mirroredImageGetsNegativeExtent();
    void clipBecomesAClipRecord();
    void penEndsAreKept();
    void turnedImageUsesAWorldTransform();
    void playbackMatchesDirectDrawing();
};

void TestEmfPaintDevice::frameIsTheSizeAtItsResolution() {
    TMetafile mf;
    {
        TEmfPaintDevice dev(mf, QSize(254, 127), 254); // one by half an inch
        QPainter p(&dev);
        p.drawLine(0, 0, 10, 10);
        QCOMPARE(dev.logicalDpiX(), 254);
        QCOMPARE(dev.width(), 254);
    }
    QCOMPARE(mf.MMWidth(), 2540);
    QCOMPARE(mf.MMHeight(), 1270);
    QCOMPARE(mf.Width(), 96);
    QVERIFY(ParseEmf(mf.Bytes()).sizesOk);
}

void TestEmfPaintDevice::frameIsTheTargetSizeWhenSet() {
    TMetafile mf;
    mf.SetMMWidth(10000);
    mf.SetMMHeight(5000);
    {
        TEmfPaintDevice dev(mf, QSize(200, 100));
        QPainter p(&dev);
        p.fillRect(0, 0, 200, 100, Qt::red);
    }
    QCOMPARE(mf.MMWidth(), 10000);
    QCOMPARE(mf.MMHeight(), 5000);
    // the drawing fills the whole frame, whatever its size in pixels
    const QImage img = play(mf, QSize(50, 50));
    QCOMPARE(img.pixelColor(2, 2), QColor(Qt::red));
    QCOMPARE(img.pixelColor(47, 47), QColor(Qt::red));
}

void TestEmfPaintDevice::shapesBecomePolygonRecords() {
    TMetafile mf;
    TEmfPaintDevice dev(mf, QSize(200, 200));
    {
        QPainter p(&dev);
        p.setBrush(Qt::blue);
        p.drawEllipse(10, 10, 50, 50);            // closed: outline and fill in one record
        p.drawPolyline(QPolygon({QPoint(0, 0), QPoint(5, 5), QPoint(9, 0)}));
        p.setPen(Qt::NoPen);
        p.drawRect(70, 70, 10, 10);
    }
    const ParsedEmf emf = ParseEmf(dev.Canvas().Snapshot());
    QVERIFY(emf.ofType(8).size() + emf.ofType(3).size() >= 2); // polypolygon or polygon
    QVERIFY(emf.ofType(4).size() + emf.ofType(7).size() >= 1); // polyline
    // the last shape has no outline: a null pen is selected before it
    bool nullPen = false;
    for (const ParsedRecord& r : emf.ofType(37))
        nullPen = nullPen || r.u32(8) == 0x80000008u;
    QVERIFY(nullPen);
}

void TestEmfPaintDevice::coordinatesKeepSubpixels() {
    TMetafile mf;
    TEmfPaintDevice dev(mf, QSize(100, 100));
    {
        QPainter p(&dev);
        p.setPen(QPen(Qt::black, 0.5));
        p.drawLine(QPointF(1.25, 2.5), QPointF(50.0625, 3));
    }
    const ParsedEmf emf = ParseEmf(dev.Canvas().Snapshot());
    QList<ParsedRecord> lines = emf.ofType(4);
    lines += emf.ofType(7);
    QVERIFY(!lines.isEmpty());
    const ParsedRecord& r = lines.first();
    const int first = r.type == 4 ? 28 : 36; // points after count (and poly counts)
    QCOMPARE(QList<int>({r.i32(first), r.i32(first + 4), r.i32(first + 8), r.i32(first + 12)}),
             QList<int>({20, 40, 801, 48}));
    // a 0.5-pixel pen stays 8 sixteenths wide (with Qt's square ends: an extended pen)
    QCOMPARE(emf.ofType(95).last().i32(32), 8);
}

void TestEmfPaintDevice::textBecomesTextWithItsAngle() {
    TMetafile mf;
    TEmfPaintDevice dev(mf, QSize(300, 300));
    {
        QPainter p(&dev);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(20);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 0, 255));
        p.translate(100, 200);
        p.rotate(-90); // reads upwards
        p.drawText(QPointF(0, 0), QStringLiteral("Hallo"));
    }
    const ParsedEmf emf = ParseEmf(dev.Canvas().Snapshot());
    const QList<ParsedRecord> texts = emf.ofType(84);
    QVERIFY(!texts.isEmpty());
    QString all;
    for (const ParsedRecord& t : texts)
        for (quint32 i = 0; i < t.u32(44); ++i)
            all += QChar(t.u16(int(t.u32(48) + 2 * i)));
    QCOMPARE(all, QStringLiteral("Hallo"));
    const ParsedRecord font = emf.ofType(82).last();
    QCOMPARE(font.i32(12), -320); // 20 px in sixteenths
    QCOMPARE(font.i32(20), 900);
    QCOMPARE(font.i32(28), 700);
    QCOMPARE(emf.ofType(24).last().u32(8), 0xFF0000u);
    QCOMPARE(QPoint(texts.first().i32(36), texts.first().i32(40)), QPoint(1600, 3200));
}

void TestEmfPaintDevice::mirroredImageGetsNegativeExtent() {
    TMetafile mf;
    TEmfPaintDevice dev(mf, QSize(100, 100));
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 0, 255));
    {
        QPainter p(&dev);
        p.translate(100, 0);
        p.scale(-1, 1);
        p.drawImage(QRect(0, 0, 100, 100), img);
    }
    const ParsedEmf emf = ParseEmf(dev.Canvas().Snapshot());
    const ParsedRecord r = emf.ofType(81).first();
    QCOMPARE(r.i32(24), 1600);  // x of the destination ...
    QCOMPARE(r.i32(72), -1600); // ... and its width, mirrored
    dev.Close();
    const QImage out = play(mf, QSize(100, 100));
    QCOMPARE(out.pixelColor(10, 50), QColor(0, 0, 255));
    QCOMPARE(out.pixelColor(90, 50), QColor(255, 0, 0));
}

void TestEmfPaintDevice::clipBecomesAClipRecord() {
    TMetafile mf;
    {
        TEmfPaintDevice dev(mf, QSize(100, 100));
        QPainter p(&dev);
        p.setClipRect(0, 0, 50, 100);
        p.fillRect(0, 0, 100, 100, Qt::black);
        p.setClipping(false);
        p.fillRect(0, 90, 100, 10, Qt::green);
    }
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QCOMPARE(emf.ofType(30).size(), 1);
    QCOMPARE(emf.ofType(33).size(), emf.ofType(34).size());
    const QImage out = play(mf, QSize(100, 100));
    QCOMPARE(out.pixelColor(25, 50), QColor(Qt::black));
    QCOMPARE(out.pixelColor(75, 50), QColor(Qt::white));
    QCOMPARE(out.pixelColor(75, 95), QColor(Qt::green));
}

void TestEmfPaintDevice::penEndsAreKept() {
    const auto record = [](Qt::PenCapStyle cap) {
        TMetafile mf;
        {
            TEmfPaintDevice dev(mf, QSize(100, 100));
            QPainter p(&dev);
            p.setPen(QPen(Qt::black, 20, Qt::SolidLine, cap, Qt::MiterJoin));
            p.drawLine(20, 50, 80, 50);
        }
        return mf;
    };
    const TMetafile flat = record(Qt::FlatCap), square = record(Qt::SquareCap),
                    round = record(Qt::RoundCap);
    const ParsedRecord pen = ParseEmf(flat.Bytes()).ofType(95).first();
    QCOMPARE(pen.u32(28), 0x10000u | 0x200u | 0x2000u); // geometric, flat, miter
    QCOMPARE(pen.i32(32), 320);
    // a flat end stops at the end point; a square one reaches half the width beyond it
    QCOMPARE(play(flat, QSize(100, 100)).pixelColor(85, 50), QColor(Qt::white));
    QCOMPARE(play(square, QSize(100, 100)).pixelColor(88, 41), QColor(Qt::black));
    const QImage r = play(round, QSize(100, 100));
    QCOMPARE(r.pixelColor(88, 50), QColor(Qt::black));
    QCOMPARE(r.pixelColor(88, 41), QColor(Qt::white)); // the round end leaves the corner
}

void TestEmfPaintDevice::turnedImageUsesAWorldTransform() {
    QImage img(20, 10, QImage::Format_RGB32);
    img.fill(Qt::blue);
    TMetafile mf;
    {
        TEmfPaintDevice dev(mf, QSize(100, 100));
        QPainter p(&dev);
        p.translate(50, 10);
        p.rotate(90); // the 20 x 10 picture now runs downwards, left of x = 50
        p.drawImage(QRect(0, 0, 80, 40), img);
        p.resetTransform();
        p.fillRect(0, 95, 5, 5, Qt::green); // later drawing is not turned
    }
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QCOMPARE(emf.ofType(35).size(), 1);
    QCOMPARE(emf.ofType(70).size(), 0); // no comment records
    const QImage out = play(mf, QSize(100, 100));
    QCOMPARE(out.pixelColor(30, 50), QColor(Qt::blue));
    QCOMPARE(out.pixelColor(70, 50), QColor(Qt::white));
    QCOMPARE(out.pixelColor(30, 95), QColor(Qt::white));
    QCOMPARE(out.pixelColor(2, 97), QColor(Qt::green));
}

void TestEmfPaintDevice::playbackMatchesDirectDrawing() {
    const QSize size(200, 200);
    QImage direct(size, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        drawScene(p);
    }
    TMetafile mf;
    {
        TEmfPaintDevice dev(mf, size);
        QPainter p(&dev);
        drawScene(p);
    }
    const QImage played = play(mf, size);
    const double share = differingShare(direct, played);
    QVERIFY2(share < 0.03, qPrintable(QStringLiteral("%1 % of the pixels differ").arg(share * 100)));
}

QTEST_MAIN(TestEmfPaintDevice)
#include "tst_emfpaintdevice.moc"
