// Inserting picture files as graphic elements.

#include "qmpaths.h"
#include "editor/undokeys.h"
#include "editorfixture.h"
#include "metafile/svgpicture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace {

QString writeBmp(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(QColor(0, 128, 255));
    const QString path = dir.filePath(name);
    if (!image.save(path, "BMP"))
        return QString();
    return path;
}

QString writeText(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(text);
    return path;
}

} // namespace

class TestGraphicImport : public QObject {
    Q_OBJECT
private slots:
    void bmpBecomesElementOfItsPixelSizeOnShownSide();
    void importIsCarriedAndUndoneInOneStep();
    void extensionRules();
    void pathListGetsSizeFromFirstLine();
    void badPathListsAreReportedAndInsertNothing_data();
    void badPathListsAreReportedAndInsertNothing();
    void damagedPicturesAreReportedAndInsertNothing_data();
    void damagedPicturesAreReportedAndInsertNothing();
    void metafileIsInsertedAsItIs();
    void pngAndSvgComeInAtTheirPhysicalSize();
    void svgDrawsOnlyPicturesItHolds_data();
    void svgDrawsOnlyPicturesItHolds();
};

void TestGraphicImport::bmpBecomesElementOfItsPixelSizeOnShownSide() {
    TEditorFixture f;
    QTemporaryDir dir;
    const QString path = writeBmp(dir, QStringLiteral("bild.bmp"), QSize(100, 50));
    f.addText(10, 10, 20, 10, 1);
    f.editor->TabSetSeiten->setCurrentIndex(1);

    QVERIFY(f.editor->ImportGraphicFile(path));
    QCOMPARE(Document->Count(), 2);
    auto* e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    // Its physical size: 100 x 50 pixels at 96 dpi (26.65 mm when screen pixels decided).
    QVERIFY2(qAbs(e->Width - 100 * 25.4 / 96) < 0.005, qPrintable(QString::number(e->Width)));
    QVERIFY(qAbs(e->Height - 50 * 25.4 / 96) < 0.005);
    QCOMPARE(e->Left, 0.0);
    QCOMPARE(e->Top, 0.0);
    QCOMPARE(e->Side, 1);
    QCOMPARE(int(e->SourceKind), 1);
    QCOMPARE(e->Metafile.Width(), 100);
    QCOMPARE(e->Metafile.Height(), 50);
    QVERIFY(Document->Modified);
    QVERIFY(f.errors.isEmpty());
}

void TestGraphicImport::importIsCarriedAndUndoneInOneStep() {
    TEditorFixture f;
    QTemporaryDir dir;
    const QString path = writeBmp(dir, QStringLiteral("bild.BMP"), QSize(30, 30));
    f.addText(10, 10, 20, 10);
    QVERIFY(f.editor->ImportGraphicFile(path));
    TDocElement* e = Document->Element(0);
    QCOMPARE(f.editor->SelectedElement, e);
    QVERIFY(f.editor->InsertPending);
    QCOMPARE(Document->UndoList.size(), 1);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));

    QTest::mouseClick(f.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(Document->Count(), 1);
    QVERIFY(!dynamic_cast<TDocElementWMF*>(Document->Element(0)));
    QCOMPARE(f.editor->SelectedElement, nullptr);
}

void TestGraphicImport::extensionRules() {
    TEditorFixture f;
    QTemporaryDir dir;
    // The picture is a real BMP in each case; only the name decides.
    const struct {
        const char* name;
        bool inserted;
    } cases[] = {
        {"a.bmp", true},      {"b.Bmp", true},      {"e.webp", false},
        {"f.bmp.bmp", false}, {"g.bmpx", false},    {"h.wmf.bmp", true},
        {"i.BMP.txt", false}, {"j", false},
    };
    int refused = 0;
    for (const auto& c : cases) {
        const QString path = writeBmp(dir, QString::fromLatin1(c.name), QSize(4, 4));
        QVERIFY(!path.isEmpty());
        const int before = Document->Count();
        QCOMPARE(f.editor->ImportGraphicFile(path), c.inserted);
        QVERIFY2(Document->Count() == before + (c.inserted ? 1 : 0), c.name);
        // Every refusal is said in German and names the file (it used to be silent).
        if (!c.inserted) {
            ++refused;
            QCOMPARE(f.errors.size(), refused);
            QVERIFY2(f.errors.last().contains(QString::fromLatin1(c.name)), c.name);
            QVERIFY(f.errors.last().contains(QStringLiteral("werden unterstützt")));
        }
    }
    f.errors.clear();

    // The long names of JPEG and TIFF are imported like the short ones.
    QImage jpegImage(10, 5, QImage::Format_RGB888);
    jpegImage.fill(Qt::blue);
    const QString jpegPath = dir.filePath(QStringLiteral("foto.jpeg"));
    QVERIFY(jpegImage.save(jpegPath, "JPEG"));
    QVERIFY(f.editor->ImportGraphicFile(jpegPath));
    QCOMPARE(static_cast<TDocElementWMF*>(Document->Element(0))->SourceKind, std::uint8_t(1));
    const QString tiff = QStringLiteral(QM_CORPUS_DIR "/tiff/palette-1c-8b.tiff");
    if (QFile::exists(tiff)) {
        QVERIFY(f.editor->ImportGraphicFile(tiff));
        QCOMPARE(static_cast<TDocElementWMF*>(Document->Element(0))->SourceKind, std::uint8_t(1));
    }
    QVERIFY(f.errors.isEmpty());
    // "Alle Bilder" comes first and holds every type the import reads.
    const QStringList filters = TfrmTabEditor::GraphicFilter().split(QStringLiteral(";;"));
    QVERIFY(filters.first().startsWith(QStringLiteral("Alle Bilder (")));
    for (const char* pattern : {"*.bmp", "*.gif", "*.jpg", "*.jpeg", "*.tif", "*.tiff", "*.png",
                                "*.svg", "*.svgz", "*.wmf", "*.qmg"})
        QVERIFY2(filters.first().contains(QLatin1String(pattern)), pattern);

    // A real JPEG under the three-letter extension in capitals is taken.
    QImage jpeg(12, 6, QImage::Format_RGB888);
    jpeg.fill(Qt::green);
    const QString jpgPath = dir.filePath(QStringLiteral("foto.JPG"));
    QVERIFY(jpeg.save(jpgPath, "JPEG"));
    QVERIFY(f.editor->ImportGraphicFile(jpgPath));
    QCOMPARE(static_cast<TDocElementWMF*>(Document->Element(0))->Metafile.Width(), 12);
}

void TestGraphicImport::pathListGetsSizeFromFirstLine() {
    TEditorFixture f;
    QTemporaryDir dir;
    const QByteArray text = "x2100b1480h\r\n"
                            "k255r0g0b\r\n"
                            "M0x0y\r\nL2100x0y\r\nL1050x1480y\r\nB\r\n";
    const QString path = writeText(dir, QStringLiteral("dreieck.qmg"), text);
    QVERIFY(f.editor->ImportGraphicFile(path));
    auto* e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    QCOMPARE(e->Metafile.MMWidth(), 2100);
    QCOMPARE(e->Metafile.MMHeight(), 1480);
    QCOMPARE(int(e->SourceKind), 2);
    QCOMPARE(e->PathList.size(), 6);
    QCOMPARE(e->PathList.first(), QStringLiteral("x2100b1480h"));
    QCOMPARE(e->PathList.at(5), QStringLiteral("B"));
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));

    // The rendered picture shows the red triangle.
    QImage image(e->Metafile.Width(), e->Metafile.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        e->Metafile.Play(p, image.rect());
    }
    QCOMPARE(QColor(image.pixel(image.width() / 2, image.height() * 3 / 4)), QColor(Qt::red));
}

void TestGraphicImport::badPathListsAreReportedAndInsertNothing_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no size") << QByteArray("hello\r\nB\r\n");
    QTest::newRow("letters in width") << QByteArray("x21a0b1480h\r\n");
    QTest::newRow("h before b") << QByteArray("x2100h1480b\r\n");
    QTest::newRow("zero width") << QByteArray("x0b1480h\r\n");
    QTest::newRow("bad number in a command") << QByteArray("x100b100h\r\nM1x2zy\r\nB\r\n");
}

void TestGraphicImport::badPathListsAreReportedAndInsertNothing() {
    QFETCH(QByteArray, text);
    TEditorFixture f;
    QTemporaryDir dir;
    const QString path = writeText(dir, QStringLiteral("kaputt.QMG"), text);
    QVERIFY(!f.editor->ImportGraphicFile(path));
    QCOMPARE(Document->Count(), 0);
    QVERIFY(Document->UndoList.isEmpty());
    QVERIFY(!Document->Modified);
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(QStringLiteral("kaputt.QMG")), qPrintable(f.errors.first()));
}

void TestGraphicImport::damagedPicturesAreReportedAndInsertNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("bmp garbage") << "bild.bmp" << QByteArray("BM this is not a bitmap");
    QTest::newRow("bmp empty") << "leer.bmp" << QByteArray();
    QTest::newRow("jpg cut") << "foto.jpg" << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);
    QTest::newRow("gif garbage") << "anim.gif" << QByteArray("GIF89a\x01");
    QTest::newRow("tif garbage") << "scan.tif" << QByteArray("II*\x00\xFF\xFF\xFF\x7F", 8);
    QTest::newRow("wmf garbage") << "clip.wmf" << QByteArray(64, 'x');
    QTest::newRow("missing") << "fehlt.bmp" << QByteArray("-");
    QTest::newRow("png cut") << "logo.png" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    QTest::newRow("svg garbage") << "zeichnung.svg" << QByteArray("<svg kaputt");
    QTest::newRow("svgz garbage") << "zeichnung.svgz" << QByteArray("\x1f\x8b\x08 kaputt");
}

void TestGraphicImport::damagedPicturesAreReportedAndInsertNothing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    TEditorFixture f;
    QTemporaryDir dir;
    QString path = dir.filePath(name);
    if (bytes != "-")
        path = writeText(dir, name, bytes);
    f.addText(10, 10, 20, 10);
    QVERIFY(!f.editor->ImportGraphicFile(path));
    QCOMPARE(Document->Count(), 1);
    QVERIFY(Document->UndoList.isEmpty());
    QVERIFY(!Document->Modified);
    QCOMPARE(f.errors.size(), 1);
    QVERIFY2(f.errors.first().contains(name), qPrintable(f.errors.first()));
}

void TestGraphicImport::metafileIsInsertedAsItIs() {
    const QString source = QStringLiteral(QM_CORPUS_DIR "/wmf/libwmf-arrow01.wmf");
    if (!QFile::exists(source))
        QSKIP("corpus folder not present");
    TEditorFixture f;
    QTemporaryDir dir;
    // The corpus is read in place; only a copy under an upper-case name is made.
    const QString path = dir.filePath(QStringLiteral("PFEIL.WMF"));
    QVERIFY(QFile::copy(source, path));
    QVERIFY(f.editor->ImportGraphicFile(path));
    auto* e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    QCOMPARE(int(e->SourceKind), 0);
    QFile file(source);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(e->Metafile.Bytes(), file.readAll());
    // Its own frame, shrunk in proportion only when larger than the sheet.
    const double w = e->Metafile.MMWidth() / 100.0, h = e->Metafile.MMHeight() / 100.0;
    const double scale = std::min({1.0, Document->PageWidth / w, Document->PageHeight / h});
    QVERIFY(qAbs(e->Width - w * scale) < 1e-9);
    QVERIFY(qAbs(e->Height - h * scale) < 1e-9);
}

void TestGraphicImport::pngAndSvgComeInAtTheirPhysicalSize() {
    TEditorFixture f;
    QTemporaryDir dir;
    // A PNG of 60 x 30 pixels at 300 dpi with a clear half: a raster picture of 5.08 x 2.54 mm.
    QImage png(60, 30, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    QPainter(&png).fillRect(0, 0, 30, 30, Qt::red);
    png.setDotsPerMeterX(11811);
    png.setDotsPerMeterY(11811);
    const QString pngPath = dir.filePath(QStringLiteral("logo.png"));
    QVERIFY(png.save(pngPath, "PNG"));
    QVERIFY(f.editor->ImportGraphicFile(pngPath));
    auto* e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    QCOMPARE(int(e->SourceKind), 1);
    QVERIFY2(qAbs(e->Width - 5.08) < 0.006 && qAbs(e->Height - 2.54) < 0.006,
             qPrintable(QStringLiteral("%1 x %2").arg(e->Width).arg(e->Height)));
    QVERIFY(f.editor->InsertPending);

    // An SVG drawing of 50 x 20 mm: a plain (vector) picture of that size, carried and undone
    // in one step like any insert.
    const QString svgPath = writeText(
        dir, QStringLiteral("zeichnung.SVG"),
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"50mm\" height=\"20mm\">"
        "<rect width=\"100\" height=\"50\" fill=\"green\"/></svg>");
    QVERIFY(f.editor->ImportGraphicFile(svgPath));
    QCOMPARE(Document->Count(), 2);
    e = dynamic_cast<TDocElementWMF*>(Document->Element(0));
    QVERIFY(e);
    QCOMPARE(int(e->SourceKind), 0);
    QCOMPARE(e->Width, 50.0);
    QCOMPARE(e->Height, 20.0);
    QCOMPARE(f.editor->SelectedElement, e);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));
    QVERIFY(f.errors.isEmpty());
}

// An SVG may name pictures outside itself (a file in the user's home); only those inside it
// (data: URIs) are drawn, the rest of the drawing stays.
void TestGraphicImport::svgDrawsOnlyPicturesItHolds_data() {
    QTest::addColumn<QString>("href"); // PNG stands for the private picture's path
    QTest::addColumn<bool>("drawn");
    QTest::newRow("absolute path") << QStringLiteral("PNG") << false;
    QTest::newRow("file URL") << QStringLiteral("file://PNG") << false;
    QTest::newRow("beside the drawing") << QStringLiteral("private.png") << false;
    QTest::newRow("SVG 2 href") << QStringLiteral("href:PNG") << false;
    QTest::newRow("data URI") << QStringLiteral("DATA") << true;
}

void TestGraphicImport::svgDrawsOnlyPicturesItHolds() {
    QFETCH(QString, href);
    QFETCH(bool, drawn);
    QTemporaryDir dir;
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString png = dir.filePath(QStringLiteral("private.png"));
    QVERIFY(red.save(png, "PNG"));
    QByteArray data;
    {
        QBuffer b(&data);
        b.open(QIODevice::WriteOnly);
        red.save(&b, "PNG");
    }
    QString attribute = QStringLiteral("xlink:href");
    if (href.startsWith(QLatin1String("href:"))) {
        attribute = QStringLiteral("href");
        href = href.mid(5);
    }
    href.replace(QStringLiteral("PNG"), png);
    href.replace(QStringLiteral("DATA"),
                 QStringLiteral("data:image/png;base64,") + QString::fromLatin1(data.toBase64()));
    const QString svg =
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                       "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"40\" height=\"20\">"
                       "<rect x=\"20\" width=\"20\" height=\"20\" fill=\"blue\"/>"
                       "<image %1=\"%2\" width=\"20\" height=\"20\"/></svg>")
            .arg(attribute, href);
    const QString path = writeText(dir, QStringLiteral("zeichnung.svg"), svg.toUtf8());
    const TMetafile picture = ImportSvgPicture(path);
    QImage shown(80, 40, QImage::Format_RGB32);
    shown.fill(Qt::white);
    {
        QPainter p(&shown);
        picture.Play(p, QRect(0, 0, 80, 40));
    }
    auto count = [&shown](QRgb colour) {
        int n = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                n += qAbs(qRed(shown.pixel(x, y)) - qRed(colour)) < 40 &&
                     qAbs(qGreen(shown.pixel(x, y)) - qGreen(colour)) < 40 &&
                     qAbs(qBlue(shown.pixel(x, y)) - qBlue(colour)) < 40;
        return n;
    };
    QVERIFY(count(qRgb(0, 0, 255)) > 1000); // the rest of the drawing
    QCOMPARE(count(qRgb(255, 0, 0)) > 1000, drawn);
}

QTEST_MAIN(TestGraphicImport)
#include "tst_graphicimport.moc"
