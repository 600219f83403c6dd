// PNG pictures with alpha, GIFs with a transparent colour and SVG drawings: what the import
// records (alpha blends, vectors, physical sizes) and how it plays over what lies beneath.

#include "dibtestutil.h"
#include "emfparse.h"
#include "metafile/rasterimport.h"
#include "metafile/svgpicture.h"
#include "metafile/tmetafile.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <zlib.h>

using namespace dibtest;

namespace {

constexpr quint32 kStretchDibits = 81;
constexpr quint32 kAlphaBlend = 114;

// Left half opaque red, right half clear, a half-transparent blue square in the clear half.
QImage halfClear(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h, QColor(255, 0, 0));
    p.fillRect(w * 3 / 4, 0, w / 8, h / 4, QColor(0, 0, 255, 128));
    p.end();
    return img;
}

QString savePng(const QTemporaryDir& dir, const QString& name, QImage img, int dotsPerMeter) {
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
    const QString path = dir.filePath(name);
    return img.save(path, "PNG") ? path : QString();
}

// The picture played over a page of one colour.
QImage playOver(const TMetafile& mf, QSize size, QColor page) {
    QImage out(size, QImage::Format_RGB32);
    out.fill(page);
    QPainter p(&out);
    mf.Play(p, QRect(QPoint(0, 0), size));
    return out;
}

QByteArray chunk(const char* type, const QByteArray& data) {
    QByteArray body = QByteArray(type, 4) + data;
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
        crc.data());
    return out + crc;
}

// A PNG whose header names w x h pixels, with no real pixel data behind it.
QByteArray pngHeaderOnly(quint32 w, quint32 h) {
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(w, ihdr.data());
    qToBigEndian<quint32>(h, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", "x") +
           chunk("IEND", {});
}

QByteArray gzip(const QByteArray& in) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(in.size()))) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

const char* kLogo =
    "<?xml version=\"1.0\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"50mm\" height=\"20mm\" "
    "viewBox=\"0 0 500 200\">\n"
    "  <rect x=\"0\" y=\"0\" width=\"250\" height=\"200\" fill=\"#ff0000\"/>\n"
    "  <circle cx=\"375\" cy=\"100\" r=\"80\" fill=\"#0000ff\"/>\n"
    "  <path d=\"M 260 190 L 490 190\" stroke=\"#000000\" stroke-width=\"6\" fill=\"none\"/>\n"
    "</svg>";

} // namespace

class TestTransparentPictures : public QObject {
    Q_OBJECT
private slots:
    void pngAlphaIsRecordedAsAlphaBlendOfItsPhysicalSize();
    void opaquePngStaysA24BitBitmap();
    void pngBeyondThePixelLimitOrDamagedIsRefused();
    void gifTransparentColourShowsThePageThrough();
    void svgIsRecordedAsVectorsAtItsPhysicalSize();
    void svgSizeForms_data();
    void svgSizeForms();
    void svgzIsReadLikeSvg();
    void badSvgIsRefusedNamingTheFile();
};

void TestTransparentPictures::pngAlphaIsRecordedAsAlphaBlendOfItsPhysicalSize() {
    QTemporaryDir dir;
    // 300 dpi: 40 x 20 pixels are 3.39 x 1.69 mm.
    const QString path = savePng(dir, QStringLiteral("logo.png"), halfClear(40, 20), 11811);
    QVERIFY(!path.isEmpty());
    const TMetafile mf = ImportRasterPicture(path);
    QCOMPARE(mf.MMWidth(), 339);
    QCOMPARE(mf.MMHeight(), 169);

    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QVERIFY(emf.sizesOk);
    QCOMPARE(emf.ofType(kStretchDibits).size(), 0);
    const QList<ParsedRecord> blends = emf.ofType(kAlphaBlend);
    QCOMPARE(blends.size(), 1);
    // Source over, constant alpha 255, AC_SRC_ALPHA; a 32-bit DIB of the picture's pixels.
    QCOMPARE(blends[0].u32(40), 0x01FF0000u);
    const quint32 offBmi = blends[0].u32(84);
    QCOMPARE(blends[0].u16(int(offBmi) + 14), quint16(32));
    QCOMPARE(blends[0].i32(int(offBmi) + 4), 40);

    // Over a green page: red left, green where the picture is clear, blue mixed in half.
    const QImage shown = playOver(mf, QSize(400, 200), QColor(0, 200, 0));
    QCOMPARE(shown.pixelColor(100, 100), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(250, 150), QColor(0, 200, 0));
    const QColor mixed = shown.pixelColor(320, 20);
    QVERIFY2(qAbs(mixed.blue() - 128) <= 3 && qAbs(mixed.green() - 100) <= 3 && mixed.red() == 0,
             qPrintable(mixed.name()));
}

void TestTransparentPictures::opaquePngStaysA24BitBitmap() {
    QTemporaryDir dir;
    QImage img(30, 10, QImage::Format_RGB32);
    img.fill(QColor(10, 20, 30));
    const QString path = savePng(dir, QStringLiteral("flat.PNG"), img, 3780); // 96 dpi
    const TMetafile mf = ImportRasterPicture(path);
    QCOMPARE(mf.Width(), 30);
    QCOMPARE(mf.Height(), 10);
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QCOMPARE(emf.ofType(kAlphaBlend).size(), 0);
    QCOMPARE(emf.ofType(kStretchDibits).size(), 1);
    QCOMPARE(playOver(mf, QSize(30, 10), Qt::green).pixelColor(5, 5), QColor(10, 20, 30));
    // The content decides: a PNG under another picture name is still read as a PNG.
    QVERIFY(QFile::copy(path, dir.filePath(QStringLiteral("really-a-png.bmp"))));
    QCOMPARE(ImportRasterPicture(dir.filePath(QStringLiteral("really-a-png.bmp"))).Width(), 30);
}

void TestTransparentPictures::pngBeyondThePixelLimitOrDamagedIsRefused() {
    QTemporaryDir dir;
    auto refusal = [&](const QString& name, const QByteArray& bytes) -> QString {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write");
        f.write(bytes);
        f.close();
        try {
            ImportRasterPicture(path);
        } catch (const TRasterError& e) {
            return e.message();
        }
        return QStringLiteral("accepted");
    };
    // 10000 x 10000 pixels: beyond the 64 million the import allows, refused before decoding.
    const QString huge = refusal(QStringLiteral("riesig.png"), pngHeaderOnly(10000, 10000));
    QVERIFY2(huge.contains(QStringLiteral("riesig.png")) &&
                 huge.contains(QStringLiteral("zu groß")),
             qPrintable(huge));
    QVERIFY(huge.contains(QStringLiteral("10000 × 10000")));

    QByteArray good;
    {
        QBuffer b(&good);
        b.open(QIODevice::WriteOnly);
        halfClear(16, 16).save(&b, "PNG");
    }
    const QString cut = refusal(QStringLiteral("kaputt.png"), good.left(good.size() / 2));
    QVERIFY2(cut.contains(QStringLiteral("kaputt.png")) && cut.contains(QStringLiteral("PNG")),
             qPrintable(cut));
}

void TestTransparentPictures::gifTransparentColourShowsThePageThrough() {
    if (!haveCorpus(QStringLiteral("gif")))
        QSKIP("corpus not available");
    int checked = 0;
    for (const char* name : {"gif/x-trans.gif", "gif/sample_1_trans.gif"}) {
        const QString path = corpus(QString::fromLatin1(name));
        if (!QFile::exists(path))
            continue;
        const HDIB dib = LoadRasterPicture(path);
        QVERIFY2(dib->TransparentIndex() >= 0, name);
        int clear = 0;
        for (int y = 0; y < dib->Height(); ++y)
            for (int x = 0; x < dib->Width(); ++x)
                clear += dib->ScanLine(y)[x] == dib->TransparentIndex();
        QVERIFY2(clear > 0, name);

        const TMetafile mf = ImportRasterPicture(path);
        QCOMPARE(ParseEmf(mf.Bytes()).ofType(kAlphaBlend).size(), 1);
        // The pixels of the transparent colour take the page's colour; pixels away from
        // them look the same on any page.
        // Played four times as large and looked at in the middle of each picture pixel.
        const QSize size(dib->Width(), dib->Height());
        const QImage onRed = playOver(mf, size * 4, QColor(255, 0, 0));
        const QImage onGreen = playOver(mf, size * 4, QColor(0, 255, 0));
        auto isClear = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < size.width() && y < size.height() &&
                   dib->ScanLine(y)[x] == dib->TransparentIndex();
        };
        auto near = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) <= 16 && qAbs(qGreen(a) - qGreen(b)) <= 16 &&
                   qAbs(qBlue(a) - qBlue(b)) <= 16;
        };
        int wrong = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                bool besideClear = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        besideClear = besideClear || isClear(x + dx, y + dy);
                const QRgb r = onRed.pixel(4 * x + 2, 4 * y + 2);
                const QRgb g = onGreen.pixel(4 * x + 2, 4 * y + 2);
                if (isClear(x, y))
                    wrong += !near(r, qRgb(255, 0, 0)) || !near(g, qRgb(0, 255, 0));
                else if (!besideClear)
                    wrong += r != g;
            }
        QCOMPARE(wrong, 0);
        ++checked;
    }
    if (!checked)
        QSKIP("no transparent GIF in the corpus");
}

void TestTransparentPictures::svgIsRecordedAsVectorsAtItsPhysicalSize() {
    const TMetafile mf = RecordSvg(QByteArray(kLogo), QStringLiteral("logo.svg"));
    QCOMPARE(mf.GetForm(), TMetafile::Form::Emf);
    QCOMPARE(mf.MMWidth(), 5000);
    QCOMPARE(mf.MMHeight(), 2000);
    const ParsedEmf emf = ParseEmf(mf.Bytes());
    QVERIFY(emf.sizesOk);
    QMap<quint32, int> counts;
    for (const ParsedRecord& r : emf.records)
        ++counts[r.type];
    // Plain shapes are outlines, no bitmap of any kind.
    for (quint32 bitmap : {76u, 77u, 78u, 79u, 80u, kStretchDibits, kAlphaBlend, 116u})
        QCOMPARE(counts.value(bitmap), 0);
    const int shapes = counts.value(3) + counts.value(4) + counts.value(7) + counts.value(8) +
                       counts.value(42) + counts.value(43);
    QVERIFY2(shapes >= 3, qPrintable(QString::number(shapes)));

    const QImage shown = playOver(mf, QSize(500, 200), Qt::white);
    QCOMPARE(shown.pixelColor(100, 100), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(375, 100), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(470, 30), QColor(255, 255, 255));
    QVERIFY(qGray(shown.pixel(480, 190)) < 60); // the stroked line
}

void TestTransparentPictures::svgSizeForms_data() {
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("mmWidth");
    QTest::addColumn<int>("mmHeight");
    QTest::newRow("inches") << "width=\"2in\" height=\"1in\"" << 5080 << 2540;
    QTest::newRow("px at 96 dpi") << "width=\"96\" height=\"48px\"" << 2540 << 1270;
    QTest::newRow("points and cm") << "width=\"72pt\" height=\"1.5cm\"" << 2540 << 1500;
    QTest::newRow("viewBox alone") << "viewBox=\"0 0 192 96\"" << 5080 << 2540;
    QTest::newRow("one side and viewBox")
        << "width=\"10cm\" viewBox=\"0,0,200,50\"" << 10000 << 2500;
    QTest::newRow("percent falls back to viewBox")
        << "width=\"100%\" height=\"100%\" viewBox=\"0 0 96 96\"" << 2540 << 2540;
}

void TestTransparentPictures::svgSizeForms() {
    QFETCH(QString, attributes);
    QFETCH(int, mmWidth);
    QFETCH(int, mmHeight);
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" " + attributes.toUtf8() +
                           "><rect width=\"10\" height=\"10\"/></svg>";
    const TMetafile mf = RecordSvg(svg, QStringLiteral("x.svg"));
    QCOMPARE(mf.MMWidth(), mmWidth);
    QCOMPARE(mf.MMHeight(), mmHeight);
}

void TestTransparentPictures::svgzIsReadLikeSvg() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logo.svgz"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(gzip(QByteArray(kLogo)));
    f.close();
    const TMetafile mf = ImportSvgPicture(path);
    QCOMPARE(mf.MMWidth(), 5000);
    QCOMPARE(mf.MMHeight(), 2000);
    QCOMPARE(playOver(mf, QSize(500, 200), Qt::white).pixelColor(375, 100), QColor(0, 0, 255));
}

void TestTransparentPictures::badSvgIsRefusedNamingTheFile() {
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"kein-xml.svg", "das ist keine Zeichnung"},
        {"leer.svg", ""},
        {"abgeschnitten.svgz", gzip(QByteArray(kLogo)).left(40)},
        {"riesig.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20000mm\" "
                       "height=\"1mm\"><rect width=\"1\" height=\"1\"/></svg>"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        QString message;
        try {
            ImportSvgPicture(path);
        } catch (const TMetafileError& e) {
            message = e.message();
        }
        QVERIFY2(message.contains(QString::fromLatin1(c.name)) &&
                     message.contains(QStringLiteral("kann nicht gelesen werden")),
                 c.name);
    }
    QString missing;
    try {
        ImportSvgPicture(dir.filePath(QStringLiteral("fehlt.svg")));
    } catch (const TMetafileError& e) {
        missing = e.message();
    }
    QVERIFY(missing.contains(QStringLiteral("fehlt.svg")));
}

QTEST_MAIN(TestTransparentPictures)
#include "tst_transparentpictures.moc"
