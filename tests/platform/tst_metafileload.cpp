// Reading metafiles: the byte forms, their sizes, saving, errors and the info view.
#include "metafiletestutil.h"
#include "metafile/metafileinfo.h"

#include <QTemporaryDir>
#include <QTest>

using namespace mftest;

class TestMetafileLoad : public QObject {
    Q_OBJECT
private slots:
    void recognisesEachForm();
    void sizesFollowTheFormsRules();
    void emfFrameFromHugeBoundsIsHeldToTheLimit();
    void plainWmfWithoutWindowTakesTheDrawingBounds();
    void foreignBytesAreKeptAndExplained();
    void emfInsideWmfCommentsIsReassembledAndPlayed();
    void brokenEmbeddedEmfFallsBackToTheWmfRecords();
    void saveWritesTheLoadedBytesUnchanged();
    void loadErrorsNameTheFileAndKeepThePicture();
    void copiesAreIndependent();
    void recordedPictureIsEnhancedWithGivenSize();
    void infoCountsRecordsAndSkippedOnes();
};

namespace {
QByteArray redSquareEmf() {
    Emf e;
    e.nullPen(1);
    e.brush(2, rgb(255, 0, 0));
    e.select(1);
    e.select(2);
    e.rectangle(0, 0, 500, 500);
    return e.finish();
}

// Splits an EMF into "WMFC" comment escapes of at most `chunk` bytes.
QByteArray wmfCarrying(const QByteArray& emf, int chunk, bool corruptSecondChunk = false) {
    Wmf w;
    int count = int((emf.size() + chunk - 1) / chunk);
    for (int i = 0; i < count; ++i) {
        QByteArray part = emf.mid(i * chunk, chunk);
        Bytes c;
        c.u32(0x43464D57).u32(1).u32(0x10000).u16(0).u32(0).u32(quint32(count));
        c.u32(quint32(part.size())).u32(quint32(emf.size() - i * chunk - part.size()));
        c.u32(quint32(emf.size() + (corruptSecondChunk && i == 1 ? 7 : 0))).raw(part);
        Bytes esc;
        esc.u16(15).u16(quint16(c.b.size())).raw(c.b);
        w.rec(0x0626, esc);
    }
    // Fallback drawing of the WMF itself: blue.
    w.solidPaint(rgb(0, 0, 255));
    w.rectangle(0, 0, 1000, 1000);
    return w.finish();
}
} // namespace

void TestMetafileLoad::recognisesEachForm() {
    Wmf w;
    w.rectangle(0, 0, 10, 10);
    QCOMPARE(fromBytes(w.finish(true)).GetForm(), TMetafile::Form::PlaceableWmf);
    Wmf plain;
    plain.windowExt(100, 100);
    QCOMPARE(fromBytes(plain.finish(false)).GetForm(), TMetafile::Form::Wmf);
    TMetafile emf = fromBytes(redSquareEmf());
    QCOMPARE(emf.GetForm(), TMetafile::Form::Emf);
    QVERIFY(emf.Enhanced());
    QVERIFY(!fromBytes(w.finish(true)).Enhanced());
    QCOMPARE(fromBytes(wmfCarrying(redSquareEmf(), 100)).GetForm(), TMetafile::Form::EmfInWmf);
    TMetafile empty;
    QVERIFY(!empty.LoadFromBytes(QByteArray()));
    QVERIFY(empty.Empty());
    QCOMPARE(empty.GetForm(), TMetafile::Form::None);
}

void TestMetafileLoad::sizesFollowTheFormsRules() {
    // EMF: the frame in 0.01 mm; pixels at 96 dpi, rounded.
    TMetafile emf = fromBytes(redSquareEmf());
    QCOMPARE(emf.MMWidth(), 10000);
    QCOMPARE(emf.MMHeight(), 10000);
    QCOMPARE(emf.Width(), 378); // 10000 * 96 / 2540 = 377.95

    // Placeable WMF: box / units per inch. 1000 units at 1440 per inch = 17.64 mm.
    Wmf w;
    w.rectangle(0, 0, 10, 10);
    TMetafile p = fromBytes(w.finish(true, 4, 1000, 1440));
    QCOMPARE(p.MMWidth(), 1764);
    QCOMPARE(p.Width(), 67);

    // Plain WMF: the window extent counts as pixels of the 96-dpi reference.
    Wmf plain;
    plain.mapMode(8);
    plain.windowExt(192, 96);
    TMetafile q = fromBytes(plain.finish(false));
    QCOMPARE(q.MMWidth(), 5080);
    QCOMPARE(q.MMHeight(), 2540);
    QCOMPARE(q.Width(), 192);

    // Plain WMF in a metric mapping mode: its units. 1000 x 0.1 mm.
    Wmf metric;
    metric.mapMode(2);
    metric.rectangle(0, 0, 1000, -500);
    TMetafile m = fromBytes(metric.finish(false));
    QCOMPARE(m.MMWidth(), 10000);
    QCOMPARE(m.MMHeight(), 5000);

    // Setting the pixel size goes through the same reference.
    TMetafile s;
    s.SetWidth(96);
    s.SetHeight(48);
    QCOMPARE(s.MMWidth(), 2540);
    QCOMPARE(s.MMHeight(), 1270);
    QCOMPARE(s.Width(), 96);
}

// Without a frame the size comes from the bounds, the device pixels and millimetres of the
// header. Extreme values of all of them once overflowed 64 bits (fuzz_emf finding
// emf-frame-from-huge-bounds.emf); the size is held to 2^30 hundredths of a millimetre.
void TestMetafileLoad::emfFrameFromHugeBoundsIsHeldToTheLimit() {
    auto put = [](QByteArray& b, int at, qint32 v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((quint32(v) >> (8 * i)) & 0xFF);
    };
    QByteArray emf = redSquareEmf();
    for (int at = 24; at < 40; at += 4)
        put(emf, at, 0); // no frame
    put(emf, 8, -2147483647 - 1);
    put(emf, 12, -2147483647 - 1);
    put(emf, 16, 2147483647);
    put(emf, 20, 2147483647);
    put(emf, 72, 1);          // device: 1 x 1 pixel
    put(emf, 76, 1);
    put(emf, 80, 2147483647); // in millimetres
    put(emf, 84, 2147483647);
    TMetafile huge = fromBytes(emf);
    QCOMPARE(huge.GetForm(), TMetafile::Form::Emf);
    QCOMPARE(huge.MMWidth(), 1 << 30);
    QCOMPARE(huge.MMHeight(), 1 << 30);

    // Ordinary values take the same path exactly: 1000 pixels of a 1000-pixel, 100-mm device.
    put(emf, 8, 0);
    put(emf, 12, 0);
    put(emf, 16, 999);
    put(emf, 20, 499);
    put(emf, 72, 1000);
    put(emf, 76, 1000);
    put(emf, 80, 100);
    put(emf, 84, 100);
    TMetafile normal = fromBytes(emf);
    QCOMPARE(normal.MMWidth(), 10000);
    QCOMPARE(normal.MMHeight(), 5000);
}

void TestMetafileLoad::plainWmfWithoutWindowTakesTheDrawingBounds() {
    Wmf w;
    w.solidPaint(rgb(0, 128, 0));
    w.rectangle(50, 50, 250, 150);
    TMetafile mf = fromBytes(w.finish(false));
    QCOMPARE(mf.Width(), 200);
    QCOMPARE(mf.Height(), 100);
    // The drawing fills the destination.
    QImage img = render(mf, QSize(100, 50));
    QCOMPARE(img.pixelColor(2, 2), QColor(0, 128, 0));
    QCOMPARE(img.pixelColor(97, 47), QColor(0, 128, 0));
}

void TestMetafileLoad::foreignBytesAreKeptAndExplained() {
    const QByteArray text("This is a plain text file, no picture at all.\r\n");
    TMetafile mf;
    QVERIFY(!mf.LoadFromBytes(text));
    QCOMPARE(mf.Bytes(), text);
    QVERIFY(!mf.Valid());
    QVERIFY(!mf.Empty());
    QVERIFY(!mf.Problem().isEmpty());
    QCOMPARE(mf.GetForm(), TMetafile::Form::Unknown);
    QImage img = render(mf);
    QCOMPARE(img.pixelColor(50, 50), QColor(Qt::white));
    QCOMPARE(AnalyseMetafile(mf).problem, mf.Problem());

    // A placeable key in front of garbage is no WMF either.
    QByteArray fake = Bytes().u32(0x9AC6CDD7).raw(QByteArray(30, 'x')).b;
    QVERIFY(!mf.LoadFromBytes(fake));
    QCOMPARE(mf.Bytes(), fake);
}

void TestMetafileLoad::emfInsideWmfCommentsIsReassembledAndPlayed() {
    // 3+ chunks: the EMF is longer than 2 x 100 bytes.
    TMetafile mf = fromBytes(wmfCarrying(redSquareEmf(), 100));
    QCOMPARE(mf.GetForm(), TMetafile::Form::EmfInWmf);
    QVERIFY(mf.Valid());
    // The placeable box decides the size: 1000 units at 1000 per inch.
    QCOMPARE(mf.MMWidth(), 2540);
    QImage img = render(mf);
    QCOMPARE(img.pixelColor(20, 20), QColor(255, 0, 0)); // EMF content, not the blue fallback
    QCOMPARE(img.pixelColor(80, 80), QColor(Qt::white));
}

void TestMetafileLoad::brokenEmbeddedEmfFallsBackToTheWmfRecords() {
    TMetafile mf = fromBytes(wmfCarrying(redSquareEmf(), 100, true));
    QCOMPARE(mf.GetForm(), TMetafile::Form::PlaceableWmf);
    QImage img = render(mf);
    QCOMPARE(img.pixelColor(80, 80), QColor(0, 0, 255));
}

void TestMetafileLoad::saveWritesTheLoadedBytesUnchanged() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Wmf plain; // no placeable header: saving must not add one
    plain.windowExt(100, 100);
    plain.rectangle(1, 2, 3, 4);
    for (const QByteArray& bytes : {redSquareEmf(), plain.finish(false), wmfCarrying(redSquareEmf(), 64)}) {
        TMetafile mf = fromBytes(bytes);
        const QString name = dir.filePath("bild.wmf");
        mf.SaveToFile(name);
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
        TMetafile back;
        back.LoadFromFile(name);
        QCOMPARE(back.Bytes(), bytes);
        QCOMPARE(back.MMWidth(), mf.MMWidth());
    }
    // Saving into a folder that does not exist fails with the name in the message.
    TMetafile mf = fromBytes(redSquareEmf());
    try {
        mf.SaveToFile(dir.filePath("fehlt/bild.emf"));
        QFAIL("no error");
    } catch (const TMetafileError& e) {
        QVERIFY(e.message().contains("bild.emf"));
    }
}

void TestMetafileLoad::loadErrorsNameTheFileAndKeepThePicture() {
    QTemporaryDir dir;
    TMetafile mf = fromBytes(redSquareEmf());
    const QString text = dir.filePath("notiz.wmf");
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("kein Bild");
    f.close();
    for (const QString& name : {text, dir.filePath("fehlt.emf")}) {
        try {
            mf.LoadFromFile(name);
            QFAIL("no error");
        } catch (const TMetafileError& e) {
            QVERIFY2(e.message().contains(QFileInfo(name).fileName()), qPrintable(e.message()));
            QVERIFY(QString::fromStdString(e.what()).contains(QFileInfo(name).fileName()));
        }
        QCOMPARE(mf.GetForm(), TMetafile::Form::Emf);
        QCOMPARE(mf.Bytes(), redSquareEmf());
    }
}

void TestMetafileLoad::copiesAreIndependent() {
    TMetafile a = fromBytes(redSquareEmf());
    TMetafile b = a;
    b.Clear();
    QVERIFY(b.Empty());
    QCOMPARE(b.MMWidth(), 0);
    QVERIFY(a.Valid());
    QCOMPARE(render(a).pixelColor(10, 10), QColor(255, 0, 0));
    TMetafile c;
    c = a;
    a.Clear();
    QCOMPARE(render(c).pixelColor(10, 10), QColor(255, 0, 0));
}

void TestMetafileLoad::recordedPictureIsEnhancedWithGivenSize() {
    TMetafile mf;
    mf.SetRecorded(redSquareEmf(), 4000, 3000);
    QVERIFY(mf.Enhanced());
    QCOMPARE(mf.MMWidth(), 4000);
    QCOMPARE(mf.MMHeight(), 3000);
    QCOMPARE(mf.GetForm(), TMetafile::Form::Emf);
    QCOMPARE(render(mf).pixelColor(10, 10), QColor(255, 0, 0));
}

void TestMetafileLoad::infoCountsRecordsAndSkippedOnes() {
    Emf e;
    e.rectangle(0, 0, 10, 10);
    e.rec(53, Bytes().i32(0).i32(0).u32(0).u32(0)); // flood fill: not drawn
    e.rec(53, Bytes().i32(0).i32(0).u32(0).u32(0));
    e.rec(999, Bytes().u32(1));                                  // no such record
    TMetafileInfo info = AnalyseMetafile(fromBytes(e.finish()));
    QCOMPARE(info.form, QStringLiteral("EMF"));
    QCOMPARE(info.records, 6);
    QCOMPARE(info.recordCounts.value("EMR_RECTANGLE"), 1);
    QCOMPARE(info.unsupported.value("EMR_EXTFLOODFILL"), 2);
    QCOMPARE(info.unsupported.value("EMR_999"), 1);
    QVERIFY(!info.unsupported.contains("EMR_RECTANGLE"));
    QVERIFY(info.ToText().contains("EMR_EXTFLOODFILL: 2"));
    QVERIFY(info.problem.isEmpty());

    Wmf w;
    w.rec(0x0419, Bytes().u32(0).i16(0).i16(0)); // flood fill
    TMetafileInfo wi = AnalyseMetafile(fromBytes(w.finish()));
    QCOMPARE(wi.form, QStringLiteral("WMF (platzierbar)"));
    QCOMPARE(wi.unsupported.value("META_FLOODFILL"), 1);
}

QTEST_MAIN(TestMetafileLoad)
#include "tst_metafileload.moc"
