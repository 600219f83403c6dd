// quillmark-render run as a program: exit status and messages on bad input, the info lines,
// the size of the PNG it writes, rendering a side, and the re-save round trip.

#include "common/toolrun.h"
#include "document/appdocument.h"
#include "document/docelement.h"
#include "ui/globals.h"
#include "metafile/tmetafile.h"
#include "metafile/tmetafilecanvas.h"
#include "qmpaths.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A recorded picture: a red rectangle over the whole frame of w x h (0.01 mm).
TMetafile redPicture(int w, int h) {
    TMetafile mf;
    mf.SetMMWidth(w);
    mf.SetMMHeight(h);
    TMetafileCanvas c(mf);
    c.SetMapMode(TMetafileCanvas::MM_HIMETRIC);
    c.SetWindowOrgEx(0, h);
    c.SetBrushColor(0x0000FF);
    c.SetPenStyle(TMetafileCanvas::PS_NULL);
    c.Rectangle(0, 0, w, h);
    c.Close();
    return mf;
}

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void badInputEndsWithOneLine_data();
    void badInputEndsWithOneLine();
    void damagedDocumentOnlyWhenAccepted_data();
    void damagedDocumentOnlyWhenAccepted();
    void infoDescribesAPicture();
    void infoDescribesADocument();
    void pngSizeFollowsTheOptions_data();
    void pngSizeFollowsTheOptions();
    void sideChoosesWhatIsDrawn();
    void outDirRendersEachInputAndReportsFailures();
    void resaveKeepsTheFileByteForByte();
    void corpusNeverCrashes();

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestRender::initTestCase() {
    if (!QFile::exists(QStringLiteral(QM_BIN_DIR "/quillmark-render")))
        QSKIP("quillmark-render is not built");
    QVERIFY(m_dir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    // inputs shared by the cases
    TMetafile pic = redPicture(5000, 3000);
    pic.SaveToFile(path("pic.emf"));
    writeFile(path("text.wmf"), "This is no metafile, just text.\r\n");
    writeFile(path("empty.qmg"), QByteArray());
    writeFile(path("broken.qmk"), "Not a Quillmark document\r\n");
    writeFile(path("path.qmg"), "G4000b2000h\r\nk0r0g255b\r\nM0x0y\r\nL4000x0y\r\nL4000x2000y\r\nB\r\n");
    QImage raster(37, 23, QImage::Format_RGB888);
    raster.fill(Qt::blue);
    QVERIFY(raster.save(path("raster.bmp"), "BMP"));
    // Every other picture the editor imports.
    QVERIFY(raster.save(path("raster.png"), "PNG"));
    QVERIFY(raster.save(path("raster.jpeg"), "JPEG"));
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40px\" height=\"20px\">"
                           "<rect width=\"40\" height=\"20\" fill=\"red\"/></svg>";
    writeFile(path("drawing.svg"), svg);
    writeFile(path("zipped.svg"), svg);
    QCOMPARE(QProcess::execute("gzip", {"-f", path("zipped.svg")}), 0);
    QVERIFY(QFile::rename(path("zipped.svg.gz"), path("drawing.svgz")));

    ResetGlobals();
    TAppDocument doc(false);
    doc.PageWidth = 210;
    doc.PageHeight = 297;
    TDocElementWMF* back = doc.AddGraphic(redPicture(10000, 10000), 0, nullptr);
    back->Side = 1;
    back->Left = 0;
    back->Top = 0;
    back->Width = 210;
    back->Height = 297;
    TDocElementTXT* t = doc.AddText(QStringLiteral("Grüße aus Köln"));
    t->Left = 20;
    t->Top = 30;
    doc.SaveToFile(path("doc.qmk"));
    // The same document, its file ending inside the second element.
    const QByteArray whole = readFile(path("doc.qmk"));
    const qsizetype second = whole.indexOf("#WMF");
    QVERIFY(second > 0);
    writeFile(path("cut.qmk"), whole.left(second + 12));
}

void TestRender::init() {
    QDir(path("out")).removeRecursively();
    QFile::remove(path("out.png"));
}

void TestRender::badInputEndsWithOneLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("named"); // what the message must name
    const QString out = path("out.png");
    QTest::newRow("missing file") << QStringList{path("nothere.emf"), out} << "nothere.emf";
    QTest::newRow("folder") << QStringList{m_dir.path(), out} << QDir(m_dir.path()).dirName();
    QTest::newRow("unknown extension") << QStringList{path("doc.xyz"), out} << "doc.xyz";
    QTest::newRow("text named .wmf") << QStringList{path("text.wmf"), out} << "text.wmf";
    QTest::newRow("empty path list") << QStringList{path("empty.qmg"), out} << "empty.qmg";
    QTest::newRow("broken document") << QStringList{path("broken.qmk"), out} << "broken.qmk";
    QTest::newRow("info of text") << QStringList{"--info", path("text.wmf")} << "text.wmf";
    QTest::newRow("resave a picture") << QStringList{"--resave", path("pic.emf"), path("x.qmk")}
                                      << "pic.emf";
    QTest::newRow("unwritable output")
        << QStringList{path("pic.emf"), path("no/such/folder/out.png")} << "out.png";
    QTest::newRow("width zero") << QStringList{path("pic.emf"), out, "--width", "0"} << "--width";
    QTest::newRow("side two") << QStringList{path("pic.emf"), out, "--side", "2"} << "--side";
    QTest::newRow("zoom text") << QStringList{path("pic.emf"), out, "--zoom", "x"} << "--zoom";
    QTest::newRow("value missing") << QStringList{path("pic.emf"), out, "--width"} << "--width";
    QTest::newRow("unknown option") << QStringList{path("pic.emf"), out, "--colour"} << "--colour";
    QTest::newRow("one argument") << QStringList{path("pic.emf")} << "";
    QTest::newRow("too large") << QStringList{path("pic.emf"), out, "--zoom", "900"} << "pic.emf";
    QTest::newRow("damaged document") << QStringList{path("cut.qmk"), out} << "beschädigt";
    QTest::newRow("resave a damaged document")
        << QStringList{"--resave", path("cut.qmk"), path("out.png")} << "--accept-damaged";
    QTest::newRow("damaged document into a folder")
        << QStringList{"--out-dir", path("out"), path("cut.qmk")} << "cut.qmk";
}

void TestRender::badInputEndsWithOneLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, named);
    const toolrun::Result r = toolrun::Render(args);
    QVERIFY(!r.crashed);
    QCOMPARE(r.code, 1);
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].contains(named), qPrintable(lines[0]));
    QVERIFY(!QFile::exists(path("out.png")));
}

void TestRender::damagedDocumentOnlyWhenAccepted_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("said"); // on stdout
    QTest::newRow("render") << QStringList{path("cut.qmk"), path("out.png"), "--accept-damaged"}
                            << "out.png" << "";
    QTest::newRow("resave") << QStringList{"--resave", path("cut.qmk"), path("out.qmk"),
                                           "--accept-damaged"}
                            << "out.qmk" << "";
    // --info is for looking into a file: it names the damage instead of refusing.
    QTest::newRow("info") << QStringList{"--info", path("cut.qmk")} << ""
                          << "Beschädigt: sie endet mitten im 2. Element";
}

void TestRender::damagedDocumentOnlyWhenAccepted() {
    QFETCH(QStringList, args);
    QFETCH(QString, written);
    QFETCH(QString, said);
    QFile::remove(path("out.qmk"));
    const toolrun::Result r = toolrun::Render(args);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    if (!written.isEmpty())
        QVERIFY(QFileInfo(path(written)).size() > 0);
    QVERIFY2(r.out.contains(said), qPrintable(r.out));
    if (written.endsWith(".qmk")) {
        // What could be read is kept: the picture and the text element cut short.
        const QByteArray again = readFile(path("out.qmk"));
        QCOMPARE(again.count("#WMF"), 1);
        QCOMPARE(again.count("#TXT"), 1);
    }
}

void TestRender::infoDescribesAPicture() {
    const toolrun::Result r = toolrun::Render({"--info", path("pic.emf")});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.contains("Form: EMF"), qPrintable(r.out));
    QVERIFY(lines.contains("Rahmen: 5000 x 3000 (0,01 mm)"));
    QVERIFY(lines.contains("Pixel (96 dpi): 189 x 113"));
    QVERIFY(lines.contains("Nicht unterstützt: keine"));
    QCOMPARE(lines.filter(QRegularExpression("^Datensätze: [1-9][0-9]*$")).size(), 1);
    QCOMPARE(lines.filter(QRegularExpression("^  EMR_RECTANGLE: 1$")).size(), 1);
    QVERIFY(lines.filter("Problem").isEmpty());

    const toolrun::Result q = toolrun::Render({"--info", path("path.qmg")});
    QCOMPARE(q.code, 0);
    QVERIFY2(q.out.contains("Quelle: Pfadliste (6 Zeilen)"), qPrintable(q.out));
    QVERIFY(q.out.contains("Rahmen: 4000 x 2000 (0,01 mm)"));
    QVERIFY(q.out.contains("EMR_POLYGON: 1"));
}

void TestRender::infoDescribesADocument() {
    const toolrun::Result r = toolrun::Render({"--info", path("doc.qmk")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("Form: Dokument\n"), qPrintable(r.out));
    QVERIFY(r.out.contains("Rahmen: 21000 x 29700 (0,01 mm)"));
    QVERIFY(r.out.contains("Elemente: 2 (Vorderseite 1, Rückseite 1; Bilder 1, Texte 1)"));
    QVERIFY(r.out.contains("EMR_RECTANGLE: 1"));
    QVERIFY(r.out.contains("Nicht unterstützt: keine"));
}

void TestRender::pngSizeFollowsTheOptions_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("size");
    QTest::newRow("metafile, own size") << "pic.emf" << QStringList() << QSize(189, 113);
    QTest::newRow("metafile, width") << "pic.emf" << QStringList{"--width", "400"}
                                     << QSize(400, 240);
    QTest::newRow("metafile, zoom") << "pic.emf" << QStringList{"--zoom", "2"} << QSize(378, 227);
    QTest::newRow("path list, width") << "path.qmg" << QStringList{"--width=100"}
                                      << QSize(100, 50);
    QTest::newRow("raster, own pixels") << "raster.bmp" << QStringList() << QSize(37, 23);
    QTest::newRow("raster, width") << "raster.bmp" << QStringList{"--width", "74"}
                                   << QSize(74, 46);
    QTest::newRow("PNG") << "raster.png" << QStringList() << QSize(37, 23);
    QTest::newRow("JPEG named .jpeg") << "raster.jpeg" << QStringList() << QSize(37, 23);
    QTest::newRow("SVG, its own size") << "drawing.svg" << QStringList() << QSize(40, 20);
    QTest::newRow("SVGZ, width") << "drawing.svgz" << QStringList{"--width", "80"} << QSize(80, 40);
    QTest::newRow("document, screen scale") << "doc.qmk" << QStringList() << QSize(788, 1114);
    QTest::newRow("document, width") << "doc.qmk" << QStringList{"--width", "300"}
                                     << QSize(300, 424);
}

void TestRender::pngSizeFollowsTheOptions() {
    QFETCH(QString, input);
    QFETCH(QStringList, options);
    QFETCH(QSize, size);
    const QString out = path("size.png");
    QFile::remove(out);
    const toolrun::Result r = toolrun::Render(QStringList{path(input), out} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.err.isEmpty());
    const QImage img(out);
    QCOMPARE(img.size(), size);
}

void TestRender::sideChoosesWhatIsDrawn() {
    const QString front = path("front.png"), back = path("back.png");
    QCOMPARE(toolrun::Render({path("doc.qmk"), front, "--width", "200"}).code, 0);
    QCOMPARE(toolrun::Render({path("doc.qmk"), back, "--side", "1", "--width", "200"}).code, 0);
    const QImage f(front), b(back);
    // the back side is covered by the red picture, the front is white paper with a text
    QCOMPARE(b.pixelColor(100, 200), QColor(Qt::red));
    QCOMPARE(f.pixelColor(100, 200), QColor(Qt::white));
    QCOMPARE(f.pixelColor(190, 270), QColor(Qt::white));
}

void TestRender::outDirRendersEachInputAndReportsFailures() {
    const toolrun::Result r =
        toolrun::Render({"--out-dir", path("out"), path("pic.emf"), path("text.wmf"),
                         path("raster.bmp"), "--width", "50"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 1);
    QVERIFY(r.err.contains("text.wmf"));
    QCOMPARE(QImage(path("out/pic.png")).width(), 50);
    QCOMPARE(QImage(path("out/raster.png")).width(), 50);
    QVERIFY(!QFile::exists(path("out/text.png")));
}

void TestRender::resaveKeepsTheFileByteForByte() {
    const toolrun::Result r = toolrun::Render({"--resave", path("doc.qmk"), path("again.qmk")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QByteArray original = readFile(path("doc.qmk"));
    QVERIFY(!original.isEmpty());
    QCOMPARE(readFile(path("again.qmk")), original);
    // overwriting the input itself keeps it too
    QCOMPARE(toolrun::Render({"--resave", path("again.qmk"), path("again.qmk")}).code, 0);
    QCOMPARE(readFile(path("again.qmk")), original);
}

void TestRender::corpusNeverCrashes() {
    const QDir corpus(QStringLiteral(QM_CORPUS_DIR));
    if (!corpus.exists())
        QSKIP("no corpus folder");
    QStringList inputs;
    for (const QString& sub : {"wmf", "emf-corrupted"})
        for (const QString& f : QDir(corpus.filePath(sub)).entryList(QDir::Files))
            inputs << corpus.filePath(sub + "/" + f);
    const toolrun::Result r =
        toolrun::Render(QStringList{"--out-dir", path("out"), "--width", "120"} + inputs);
    QVERIFY(!r.crashed);
    QVERIFY(r.code == 0 || r.code == 1);
    // one line per refused file, each naming it
    for (const QString& line : r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("libpng")))
            continue; // printed by libpng itself while decoding embedded pictures
        QVERIFY2(line.startsWith(QLatin1String("quillmark-render: ")), qPrintable(line));
    }
    QVERIFY(QDir(path("out")).entryList(QDir::Files).size() >= inputs.size() - 3);
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
