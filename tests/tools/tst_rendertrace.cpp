// quillmark-render --trace (the player's drawing calls in output pixels), and raster
// pictures written by --out-dir on both cores pixel for pixel as the BMP Suite's
// references show them.

#include "common/toolrun.h"
#include "metafile/tmetafile.h"
#include "metafile/tmetafilecanvas.h"
#include "qmpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kCorpus = QStringLiteral(QM_CORPUS_DIR);

// The reference as it looks on white paper (references with alpha are composited).
QImage onWhite(const QImage& img) {
    QImage out(img.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, img);
    return out;
}

} // namespace

class TestRenderTrace : public QObject {
    Q_OBJECT

private slots:
    void traceListsTheDrawingCallsInOutputPixels();
    void traceRefusals_data();
    void traceRefusals();
    void bmpSuiteGoodFilesArePixelExact();

private:
    QTemporaryDir m_dir;
};

void TestRenderTrace::traceListsTheDrawingCallsInOutputPixels() {
    // A blue rectangle over the right half, 20 x 10 mm.
    TMetafile mf;
    mf.SetMMWidth(2000);
    mf.SetMMHeight(1000);
    {
        TMetafileCanvas c(mf);
        c.SetMapMode(TMetafileCanvas::MM_HIMETRIC);
        c.SetWindowOrgEx(0, 1000);
        c.SetBrushColor(0xFF0000);
        c.SetPenStyle(TMetafileCanvas::PS_NULL);
        c.Rectangle(1000, 0, 2000, 1000);
        c.Close();
    }
    const QString file = m_dir.filePath("half.emf");
    mf.SaveToFile(file);
    const toolrun::Result r = toolrun::Render({"--trace", file, "--width", "200"});
    QVERIFY(!r.crashed);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    const QStringList polygons = lines.filter(QRegularExpression("^polygon "));
    QCOMPARE(polygons.size(), 1);
    QVERIFY2(polygons[0].startsWith("polygon 5 100,0,200,100"), qPrintable(polygons[0]));
}

void TestRenderTrace::traceRefusals_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no input") << QStringList{"--trace"} << "--trace braucht genau eine Eingabedatei.";
    QTest::newRow("two inputs") << QStringList{"--trace", "a.emf", "b.emf"}
                                << "--trace braucht genau eine Eingabedatei.";
    QTest::newRow("with --info") << QStringList{"--trace", "--info", "a.emf"}
                                 << "schließen einander aus";
    QTest::newRow("missing file") << QStringList{"--trace", "/nonexistent/x.emf"} << "gibt es nicht.";
}

void TestRenderTrace::traceRefusals() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const toolrun::Result r = toolrun::Render(args);
    QVERIFY(!r.crashed);
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void TestRenderTrace::bmpSuiteGoodFilesArePixelExact() {
    // Before: the destination came out one pixel short, so the right half of every
    // picture was shifted by a pixel.
    QFile map(kCorpus + "/bmp/ref/MAP.tsv");
    if (!map.open(QIODevice::ReadOnly))
        QSKIP("The shared corpus is not there.");
    QMap<QString, QString> reference; // bmp file -> reference png
    QMap<QString, QSize> viewSize;    // of pixels that are not square: the suite's view
    for (const QByteArray& raw : map.readAll().split('\n')) {
        const QList<QByteArray> cols = raw.trimmed().split('\t');
        if (!(cols.size() == 2 && cols[0].startsWith("g/")))
            continue;
        QString ref = kCorpus + "/bmp/ref/" + QString::fromUtf8(cols[1]);
        const QString bmp = kCorpus + "/bmp/" + QString::fromUtf8(cols[0]);
        // Pixels that are not square are imported in the shape of the suite's view (-v),
        // each stored pixel repeated; the view itself is a Catmull-Rom resampling in linear
        // light, so the exact pixels (-e) are what is compared.
        QString exact = ref;
        exact.replace(QLatin1String("-v.png"), QLatin1String("-e.png"));
        if (exact != ref && QFileInfo::exists(exact)) {
            viewSize.insert(bmp, QImage(ref).size());
            ref = exact;
        }
        reference.insert(bmp, ref);
    }
    QVERIFY(!viewSize.isEmpty());
    QVERIFY(reference.size() > 10);
    const QString out = m_dir.filePath("bmp");
    const toolrun::Result r = toolrun::Render(QStringList{"--out-dir", out} + reference.keys());
    QVERIFY(!r.crashed);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QStringList wrong;
    for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
        const QImage got(QDir(out).filePath(QFileInfo(it.key()).completeBaseName() + ".png"));
        QImage want = onWhite(QImage(it.value()));
        if (viewSize.contains(it.key()))
            want = want.scaled(viewSize.value(it.key()), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (got.isNull() || got.size() != want.size()) {
            wrong << QFileInfo(it.key()).fileName() + " (size)";
            continue;
        }
        const QImage g = got.convertToFormat(QImage::Format_RGB32);
        int differ = 0;
        for (int y = 0; y < g.height(); ++y)
            for (int x = 0; x < g.width(); ++x)
                differ += g.pixel(x, y) != want.pixel(x, y);
        if (differ)
            wrong << QStringLiteral("%1 (%2 pixels)").arg(QFileInfo(it.key()).fileName()).arg(differ);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
}

QTEST_MAIN(TestRenderTrace)
#include "tst_rendertrace.moc"
