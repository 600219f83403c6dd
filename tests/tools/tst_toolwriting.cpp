// Every kind of file the command-line tools write, onto a full disk: the tool ends with status 1
// and one line naming the file, the file that was there keeps its bytes, and nothing
// half-written is left beside it.

#include "common/smallvolume.h"
#include "common/toolrun.h"
#include "qmpaths.h"

#include <QTest>

using namespace smallvolume;

class TestToolWriting : public QObject {
    Q_OBJECT

private slots:
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
};

void TestToolWriting::fullDiskKeepsTheOldFile_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("args"); // OUT: the output file, VOLUME: its folder
    QTest::addColumn<QString>("output");
    const QString card = QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk");
    QTest::newRow("picture of a document")
        << "quillmark-render" << QStringList{card, "OUT", "--width", "800"} << "karte.png";
    QTest::newRow("document saved again")
        << "quillmark-render" << QStringList{"--resave", card, "OUT"} << "karte.qmk";
    QTest::newRow("one picture per input")
        << "quillmark-render" << QStringList{"--out-dir", "VOLUME", card} << "karte_1.png";
    QTest::newRow("print into PDF") << "quillmark-batch" << QStringList{card, "-o", "OUT"}
                                    << "karte.pdf";
    QTest::newRow("calibration sheet")
        << "quillmark-batch" << QStringList{"--calibration", "-o", "OUT"} << "kalibrierung.pdf";
    QTest::newRow("CD listing")
        << "quillmark-batch"
        << QStringList{"--cd-listing", QM_DATA_DIR, "-o", "OUT", "--depth", "3", "--files"}
        << "liste.emf";
    QTest::newRow("contact sheet")
        << "contact-sheet"
        << QStringList{QM_DATA_DIR "/Clipart", "OUT", "--recursive", "--cell", "120"}
        << "bilder.png";
}

void TestToolWriting::fullDiskKeepsTheOldFile() {
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    const QString program = QStringLiteral(QM_BIN_DIR "/") + tool;
    if (!QFile::exists(program))
        QSKIP("the tool is not built");
    TSmallVolume volume(4 * 1024 * 1024);
    if (!volume.ok())
        QSKIP(qPrintable(volume.skipReason()));
    const QString target = volume.filePath(output);
    for (QString& a : args)
        a.replace(QLatin1String("OUT"), target).replace(QLatin1String("VOLUME"), volume.path());
    QVERIFY(WriteBytes(target, "alt"));
    QVERIFY(volume.Fill(4096));
    const QStringList before = Entries(volume.path());

    const toolrun::Result r = toolrun::Run(program, args);
    QVERIFY(!r.crashed);
    QCOMPARE(r.code, 1);
    // One refusal in the tool's name; besides it only the batch tool's progress ("Blatt 1 von 1").
    QStringList refusals;
    for (const QString& line : r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(tool + QStringLiteral(": ")))
            refusals << line;
        else
            QVERIFY2(line.startsWith(QStringLiteral("Blatt ")), qPrintable(r.err));
    }
    QVERIFY2(refusals.size() == 1, qPrintable(r.err));
    QVERIFY2(refusals[0].contains(output), qPrintable(refusals[0]));
    QVERIFY2(refusals[0].contains(QStringLiteral("kein Platz")), qPrintable(refusals[0]));
    QCOMPARE(Contents(target), QByteArray("alt"));
    QCOMPARE(Entries(volume.path()), before);
}

QTEST_MAIN(TestToolWriting)
#include "tst_toolwriting.moc"
