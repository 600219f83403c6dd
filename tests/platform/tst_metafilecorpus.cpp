// Every picture of the shared corpus loads (or is refused with a reason) and plays into a
// small picture without crash or hang.
#include "qmpaths.h"
#include "metafile/metafileinfo.h"
#include "metafile/metafileplayer.h"
#include "metafile/tmetafile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTest>

class TestMetafileCorpus : public QObject {
    Q_OBJECT
private slots:
    void everyFileLoadsOrIsRefused_data();
    void everyFileLoadsOrIsRefused();
};

void TestMetafileCorpus::everyFileLoadsOrIsRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("mayBeBroken");
    const QString root = QStringLiteral(QM_CORPUS_DIR);
    for (const char* sub : {"wmf", "emf", "emf-corrupted"}) {
        QDir dir(root + QLatin1Char('/') + QLatin1String(sub));
        if (!dir.exists())
            continue;
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(QLatin1String(sub) + QLatin1Char('/') + name))
                << dir.filePath(name) << (QLatin1String(sub) == QLatin1String("emf-corrupted"));
    }
    if (!QDir(root).exists())
        QTest::newRow("no corpus") << QString() << false;
}

void TestMetafileCorpus::everyFileLoadsOrIsRefused() {
    QFETCH(QString, path);
    QFETCH(bool, mayBeBroken);
    if (path.isEmpty())
        QSKIP("The shared corpus folder is absent.");

    TMetafile mf;
    try {
        mf.LoadFromFile(path);
    } catch (const TMetafileError& e) {
        // Refused: the message names the file and says why.
        QVERIFY2(e.message().contains(QFileInfo(path).fileName()), qPrintable(e.message()));
        QVERIFY(e.message().size() > QFileInfo(path).fileName().size() + 20);
        return;
    }
    QVERIFY(mf.Valid());
    QVERIFY(mf.MMWidth() > 0 && mf.MMHeight() > 0);

    QImage img(256, 256, QImage::Format_RGB32);
    img.fill(Qt::white);
    TMetafilePlayStats stats;
    TMetafilePlayOptions opts;
    opts.stats = &stats;
    QElapsedTimer timer;
    timer.start();
    {
        QPainter p(&img);
        TMetafilePlayer::Play(mf, p, QRectF(0, 0, 256, 256), opts);
    }
    QVERIFY2(timer.elapsed() < 20000, "playback took too long");
    QVERIFY(mayBeBroken || stats.records > 0);
    if (!mayBeBroken && !stats.problem.isEmpty())
        qWarning("%s: %s", qPrintable(path), qPrintable(stats.problem));

    // The info view agrees with the picture.
    TMetafileInfo info = AnalyseMetafile(mf);
    QCOMPARE(info.mmWidth, mf.MMWidth());
    QVERIFY(mayBeBroken || info.records > 0);
    QVERIFY(!info.ToText().isEmpty());
}

QTEST_MAIN(TestMetafileCorpus)
#include "tst_metafilecorpus.moc"
