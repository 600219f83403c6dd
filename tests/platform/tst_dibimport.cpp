// From a picture file to the recorded metafile: sizes, playback, the kind of file, errors
// and the converter functions the graphic import calls.

#include "dibtestutil.h"

#include "metafile/rasterimport.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace dibtest;

namespace {

// A 24-bit BMP of w x h whose pixel (x, y) is (x, y, 100).
QByteArray gradientBmp(int w, int h) {
    BmpSpec s;
    s.width = w;
    s.height = h;
    const int stride = (w * 3 + 3) & ~3;
    s.bits = QByteArray(stride * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            char* p = s.bits.data() + (h - 1 - y) * stride + 3 * x;
            p[0] = char(100);
            p[1] = char(y);
            p[2] = char(x);
        }
    return makeBmp(s);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& data) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(data);
    return path;
}

// Plays the picture 1:1, as the editor shows it at 100 %.
QImage play(const TMetafile& mf, QSize size) {
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    mf.Play(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return out;
}

// Bits per pixel of the first EMR_STRETCHDIBITS record, found by walking the records.
int stretchDibitsDepth(const QByteArray& emf) {
    qsizetype at = 0;
    while (at + 8 <= emf.size()) {
        const uint32_t type = qFromLittleEndian<uint32_t>(emf.constData() + at);
        const uint32_t size = qFromLittleEndian<uint32_t>(emf.constData() + at + 4);
        if (size < 8 || at + size > emf.size())
            return -1;
        if (type == 81) {
            const uint32_t bmi = qFromLittleEndian<uint32_t>(emf.constData() + at + 48);
            return qFromLittleEndian<uint16_t>(emf.constData() + at + bmi + 14);
        }
        at += size;
    }
    return -1;
}

QString importError(const QString& path) {
    try {
        ImportRasterPicture(path);
    } catch (const TRasterError& e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestDibImport : public QObject {
    Q_OBJECT

private slots:
    void recordedPictureHasThePixelSize();
    void recordedPicturePlaysBackThePixels();
    void palettePicturesAreRecordedIn24Bits();
    void kindFromContentThenFromName();
    void unusableFilesNameTheFile();
    void converterFunctions();
    void bmpOfNonSquarePixelsKeepsTheirShape_data();
    void bmpOfNonSquarePixelsKeepsTheirShape();
    void suiteSampleOfTallPixelsHasTheShapeOfItsView();
};

void TestDibImport::recordedPictureHasThePixelSize() {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.bmp"), gradientBmp(100, 50));
    const TMetafile mf = ImportRasterPicture(path);
    QVERIFY(mf.Valid());
    QCOMPARE(mf.GetForm(), TMetafile::Form::Emf);
    QCOMPARE(mf.Width(), 100);
    QCOMPARE(mf.Height(), 50);
    QCOMPARE(mf.MMWidth(), 2646); // round(100 * 2540 / 96)
    QCOMPARE(mf.MMHeight(), 1323);
    // The picture is one StretchDIBits record of 24-bit rows.
    QVERIFY(mf.Bytes().size() > 100 * 50 * 3);
    QCOMPARE(stretchDibitsDepth(mf.Bytes()), 24);
}

void TestDibImport::recordedPicturePlaysBackThePixels() {
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("g.bmp"), gradientBmp(40, 30));
    const TMetafile mf = ImportRasterPicture(path);
    const QImage shown = play(mf, QSize(40, 30));
    QCOMPARE(shown.pixel(0, 0), qRgb(0, 0, 100));
    QCOMPARE(shown.pixel(39, 0), qRgb(39, 0, 100));
    QCOMPARE(shown.pixel(5, 29), qRgb(5, 29, 100)); // bottom rows stay at the bottom
    QCOMPARE(maxDifference(shown, LoadRasterPicture(path)->ToImage()), 0);
}

void TestDibImport::palettePicturesAreRecordedIn24Bits() {
    if (!haveCorpus(QStringLiteral("gif")))
        QSKIP("corpus not available");
    const QString path = corpus(QStringLiteral("gif/treescap.gif"));
    const HDIB dib = LoadRasterPicture(path);
    QCOMPARE(dib->BitCount(), 8);
    const TMetafile mf = ImportRasterPicture(path);
    QCOMPARE(mf.Width(), 40);
    QCOMPARE(mf.Height(), 40);
    QCOMPARE(maxDifference(play(mf, QSize(40, 40)), dib->ToImage()), 0);
    QCOMPARE(stretchDibitsDepth(mf.Bytes()), 24);
}

void TestDibImport::kindFromContentThenFromName() {
    QCOMPARE(RasterKindOfName(QStringLiteral("/x/Bild.JPG")), TRasterKind::Jpeg);
    QCOMPARE(RasterKindOfName(QStringLiteral("b.jpeg")), TRasterKind::Jpeg);
    QCOMPARE(RasterKindOfName(QStringLiteral("c.Tiff")), TRasterKind::Tiff);
    QCOMPARE(RasterKindOfName(QStringLiteral("d.tif")), TRasterKind::Tiff);
    QCOMPARE(RasterKindOfName(QStringLiteral("e.bmp.txt")), TRasterKind::Unknown);
    QCOMPARE(RasterKindOfName(QStringLiteral("gif")), TRasterKind::Unknown);

    // A BMP named .jpg is still read as what it is.
    QTemporaryDir dir;
    const QString misnamed = writeFile(dir, QStringLiteral("m.jpg"), gradientBmp(3, 2));
    QCOMPARE(ImportRasterPicture(misnamed).Width(), 3);
    // Unrecognised content falls back to the name: the GIF reader explains the problem.
    const QString junkGif = writeFile(dir, QStringLiteral("j.gif"), QByteArray(40, 'x'));
    QVERIFY(importError(junkGif).contains(QStringLiteral("GIF")));
    const QString junk = writeFile(dir, QStringLiteral("j.dat"), QByteArray(40, 'x'));
    QVERIFY(importError(junk).contains(QStringLiteral("unbekannt")));
}

void TestDibImport::unusableFilesNameTheFile() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("fehlt.bmp"));
    QString msg = importError(missing);
    QVERIFY(msg.contains(QStringLiteral("fehlt.bmp")));
    QVERIFY(msg.contains(QStringLiteral("geöffnet")));
    const QString empty = writeFile(dir, QStringLiteral("leer.bmp"), QByteArray());
    QVERIFY(importError(empty).contains(QStringLiteral("leer")));
    const QByteArray good = gradientBmp(20, 20);
    const QString cut = writeFile(dir, QStringLiteral("kurz.bmp"), good.left(good.size() / 2));
    msg = importError(cut);
    QVERIFY(msg.startsWith(QStringLiteral("Die Bilddatei „")));
    QVERIFY(msg.contains(QStringLiteral("kurz.bmp")));
    // what() carries the same text for code that only knows std::exception.
    try {
        ImportRasterPicture(cut);
        QFAIL("no error");
    } catch (const std::exception& e) {
        QCOMPARE(QString::fromUtf8(e.what()), msg);
    }
}

void TestDibImport::converterFunctions() {
    if (!haveCorpus(QStringLiteral("gif")))
        QSKIP("corpus not available");
    const QByteArray gifName = QFile::encodeName(corpus(QStringLiteral("gif/treescap.gif")));
    const HDIB gif = ConvertGIFtoDIB(gifName.constData());
    QCOMPARE(GetDIBWidth(gif), 40);
    QCOMPARE(GetDIBHeight(gif), 40);
    HPALETTE palette = CreateDIBPalette(gif);
    QCOMPARE(palette->colors.size(), 256);
    const HDIB tif = ConvertTIFtoDIB(
        QFile::encodeName(corpus(QStringLiteral("tiff/palette-1c-8b.tiff"))).constData());
    QCOMPARE(GetDIBWidth(tif), 157);
    QCOMPARE(CreateDIBPalette(tif)->colors.size(), 0); // true colour has no palette
    QCOMPARE(GetDIBWidth(HDIB()), 0);
    QVERIFY_THROWS_EXCEPTION(TRasterError, ConvertGIFtoDIB("/nonexistent/x.gif"));
    QVERIFY_THROWS_EXCEPTION(TRasterError, ConvertTIFtoDIB(gifName.constData()));

    // DrawDIB puts the top-left pixel at the given point, 1:1, and nothing elsewhere.
    const QImage ref = gif->ToImage();
    QImage canvas(60, 60, QImage::Format_RGB32);
    canvas.fill(qRgb(1, 2, 3));
    {
        QPainter p(&canvas);
        DrawDIB(p, gif, palette, 5, 7);
    }
    QCOMPARE(canvas.pixel(5, 7), ref.pixel(0, 0));
    QCOMPARE(canvas.pixel(44, 46), ref.pixel(39, 39));
    QCOMPARE(canvas.pixel(4, 7), qRgb(1, 2, 3));
    QCOMPARE(canvas.pixel(45, 46), qRgb(1, 2, 3));
    QCOMPARE(canvas.pixel(44, 47), qRgb(1, 2, 3));
    // A palette handed in replaces the picture's own colours.
    for (QRgb& c : palette->colors)
        c = qRgb(9, 9, 9);
    {
        QPainter p(&canvas);
        DrawDIB(p, gif, palette, 0, 0);
    }
    QCOMPARE(canvas.pixel(20, 20), qRgb(9, 9, 9));
}

void TestDibImport::bmpOfNonSquarePixelsKeepsTheirShape_data() {
    QTest::addColumn<int>("xPerMetre");
    QTest::addColumn<int>("yPerMetre");
    QTest::addColumn<int>("height"); // at the 96-dpi reference, of 40 x 20 pixels
    QTest::newRow("square, 96 dpi") << 3780 << 3780 << 20;
    QTest::newRow("square, 300 dpi") << 11811 << 11811 << 20;
    QTest::newRow("twice as tall") << 2835 << 1417 << 40;
    QTest::newRow("twice as wide") << 1417 << 2835 << 10;
    QTest::newRow("densities wildly apart") << 30000000 << 3 << 20;
}

void TestDibImport::bmpOfNonSquarePixelsKeepsTheirShape() {
    QFETCH(int, xPerMetre);
    QFETCH(int, yPerMetre);
    QFETCH(int, height);
    QTemporaryDir dir;
    QImage img(40, 20, QImage::Format_RGB888);
    img.fill(Qt::green);
    img.setDotsPerMeterX(xPerMetre);
    img.setDotsPerMeterY(yPerMetre);
    const QString file = dir.filePath("nonsquare.bmp");
    QVERIFY(img.save(file, "BMP"));
    const TMetafile mf = ImportRasterPicture(file);
    QVERIFY(mf.Valid());
    // The width stays that of the pixels at the 96-dpi reference, as for every picture.
    QCOMPARE(mf.Width(), 40);
    QCOMPARE(mf.Height(), height);
}

void TestDibImport::suiteSampleOfTallPixelsHasTheShapeOfItsView() {
    // BMP Suite's view of its picture of pixels twice as tall has the same shape.
    if (!haveCorpus(QStringLiteral("bmp/g")))
        QSKIP("BMP Suite not available");
    const TMetafile suite = ImportRasterPicture(corpus(QStringLiteral("bmp/g/pal8nonsquare.bmp")));
    const QImage view(corpus(QStringLiteral("bmp/ref/pal8nonsquare-v.png")));
    QCOMPARE(QSize(suite.Width(), suite.Height()), view.size());
}

QTEST_MAIN(TestDibImport)
#include "tst_dibimport.moc"
