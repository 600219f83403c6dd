// Every WMF and EMF of the shared corpus still looks as it did when its picture was last
// looked at and approved: a small grey fingerprint per file is kept beside this test, and a
// change of the player that alters a picture beyond a small tolerance fails here, naming
// the files. scripts/metafile-sheet.sh shows them before and after; approving writes the
// new fingerprints (QM_APPROVE_FINGERPRINTS=1), to be committed with the change.
#include "qmpaths.h"
#include "metafile/metafileplayer.h"
#include "metafile/tmetafile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QSaveFile>
#include <QTest>

namespace {

// Pictures are drawn with their longer side this long, then averaged down to cells of three
// pixels: fine enough that labels drawn a fifth narrower change some cells by two steps.
constexpr int kRenderSide = 192;
constexpr int kCells = 64;
// Grey levels of a cell are kept in 16 steps; one step is left to anti-aliasing.
constexpr int kMaxCellStep = 2;        // a cell this many steps lighter or darker is a change
constexpr double kMaxMeanStep = 0.25;  // as is this much on average over the picture

const char* const kFingerprintFile = "/tests/platform/metafilefingerprints.txt";

struct Fingerprint {
    int width = 0, height = 0;
    QByteArray cells; // a grey level 0-15 per cell, rows top to bottom
    bool operator==(const Fingerprint&) const = default;
};

QString fingerprintPath() { return QStringLiteral(QM_SOURCE_DIR) + QLatin1String(kFingerprintFile); }

QMap<QString, Fingerprint> readFingerprints() {
    QMap<QString, Fingerprint> out;
    QFile f(fingerprintPath());
    if (!f.open(QIODevice::ReadOnly))
        return out;
    while (!f.atEnd()) {
        const QList<QByteArray> parts = f.readLine().trimmed().split(' ');
        if (parts.size() != 4 || parts[0].startsWith('#'))
            continue;
        out.insert(QString::fromUtf8(parts[0]),
                   {parts[1].toInt(), parts[2].toInt(),
                    parts[3] == "-" ? QByteArray() : qUncompress(QByteArray::fromBase64(parts[3]))});
    }
    return out;
}

// Empty cells: the file is refused.
Fingerprint fingerprintOf(const QString& path) {
    TMetafile mf;
    try {
        mf.LoadFromFile(path);
    } catch (const TMetafileError&) {
        return {};
    }
    if (!mf.Valid() || mf.MMWidth() <= 0 || mf.MMHeight() <= 0)
        return {};
    const double aspect = double(mf.MMWidth()) / mf.MMHeight();
    const QSize size = aspect >= 1
                           ? QSize(kRenderSide, qBound(4, int(std::lround(kRenderSide / aspect)), kRenderSide))
                           : QSize(qBound(4, int(std::lround(kRenderSide * aspect)), kRenderSide), kRenderSide);
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        TMetafilePlayer::Play(mf, p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    Fingerprint fp;
    fp.width = std::max(1, size.width() * kCells / kRenderSide);
    fp.height = std::max(1, size.height() * kCells / kRenderSide);
    const QImage grey = img.convertToFormat(QImage::Format_Grayscale8);
    for (int cy = 0; cy < fp.height; ++cy)
        for (int cx = 0; cx < fp.width; ++cx) {
            const int x0 = cx * size.width() / fp.width, x1 = (cx + 1) * size.width() / fp.width;
            const int y0 = cy * size.height() / fp.height, y1 = (cy + 1) * size.height() / fp.height;
            qint64 sum = 0, n = 0;
            for (int y = y0; y < y1; ++y) {
                const uchar* row = grey.constScanLine(y);
                for (int x = x0; x < x1; ++x, ++n)
                    sum += row[x];
            }
            const int level = n ? int(std::lround(sum / double(n) * 15 / 255)) : 15;
            fp.cells += char(level);
        }
    return fp;
}

// Empty when the two look alike, else how they differ.
QString difference(const Fingerprint& was, const Fingerprint& now) {
    if (was.width != now.width || was.height != now.height || was.cells.size() != now.cells.size())
        return QStringLiteral("Größe %1 x %2, vorher %3 x %4")
            .arg(now.width).arg(now.height).arg(was.width).arg(was.height);
    int worst = 0;
    double sum = 0;
    for (qsizetype i = 0; i < now.cells.size(); ++i) {
        const int d = std::abs(int(was.cells[i]) - int(now.cells[i]));
        worst = std::max(worst, d);
        sum += d;
    }
    const double mean = now.cells.isEmpty() ? 0 : sum / now.cells.size();
    if (worst < kMaxCellStep && mean < kMaxMeanStep)
        return {};
    return QStringLiteral("Zelle bis %1 Stufen, im Mittel %2").arg(worst).arg(mean, 0, 'f', 2);
}

} // namespace

class TestMetafileFingerprints : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pictureIsAsApproved_data();
    void pictureIsAsApproved();
    void cleanupTestCase();

private:
    QMap<QString, Fingerprint> m_approved;
    bool m_approve = false;
};

void TestMetafileFingerprints::initTestCase() {
    m_approved = readFingerprints();
    m_approve = qEnvironmentVariableIntValue("QM_APPROVE_FINGERPRINTS") == 1;
}

void TestMetafileFingerprints::pictureIsAsApproved_data() {
    QTest::addColumn<QString>("name"); // folder/file below the corpus
    const QString root = QStringLiteral(QM_CORPUS_DIR);
    for (const char* sub : {"wmf", "emf"}) {
        const QDir dir(root + QLatin1Char('/') + QLatin1String(sub));
        for (const QString& file : dir.entryList({"*.wmf", "*.emf", "*.WMF", "*.EMF"}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(QLatin1String(sub) + QLatin1Char('/') + file))
                << QLatin1String(sub) + QLatin1Char('/') + file;
    }
    if (!QDir(root).exists())
        QTest::newRow("no corpus") << QString();
}

void TestMetafileFingerprints::pictureIsAsApproved() {
    QFETCH(QString, name);
    if (name.isEmpty())
        QSKIP("The shared corpus folder is absent.");
    const Fingerprint now = fingerprintOf(QStringLiteral(QM_CORPUS_DIR "/") + name);
    if (m_approve) {
        m_approved.insert(name, now); // files not played this time keep their fingerprints
        return;
    }
    const auto was = m_approved.constFind(name);
    QVERIFY2(was != m_approved.constEnd(),
             qPrintable(QStringLiteral("Bild ohne Fingerabdruck: %1").arg(name)));
    const QString diff = difference(*was, now);
    // The line the contact sheet script collects.
    QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("Bild geändert: %1 (%2)").arg(name, diff)));
}

void TestMetafileFingerprints::cleanupTestCase() {
    if (!m_approve)
        return;
    QSaveFile out(fingerprintPath());
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("# name width height cells (compressed, base64): the corpus pictures as approved,"
              " see tst_metafilefingerprints.cpp\n");
    for (auto it = m_approved.constBegin(); it != m_approved.constEnd(); ++it)
        out.write(it.key().toUtf8() + ' ' + QByteArray::number(it->width) + ' ' +
                  QByteArray::number(it->height) + ' ' + (it->cells.isEmpty() ? "-" : qCompress(it->cells, 9).toBase64()) + '\n');
    QVERIFY(out.commit());
}

QTEST_MAIN(TestMetafileFingerprints)
#include "tst_metafilefingerprints.moc"
