// quillmark-batch --list-records run as a program: one line of 24 tab-separated fields per
// record of an address file, a vCard file and a CSV file; one German line and status 1 for a
// file it refuses.

#include "common/toolrun.h"
#include "qmpaths.h"
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList linesOf(const QString& text)
{
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestBatchListRecords : public QObject {
    Q_OBJECT

private slots:
    void listsTheBundledAddressFile();
    void listsAVCardFile();
    void listsACsvFileInUtf8();
    void refusedFilesEndWithOneLine_data();
    void refusedFilesEndWithOneLine();
    void helpNamesTheTask();

private:
    QTemporaryDir m_dir;
};

void TestBatchListRecords::listsTheBundledAddressFile()
{
    const toolrun::Result r =
        toolrun::Batch({"--list-records", QStringLiteral(QM_DATA_DIR "/adressen.dat")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    const QStringList lines = linesOf(r.out);
    QCOMPARE(lines.size(), 3);
    for (const QString& line : lines)
        QCOMPARE(line.count('\t'), 23);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("Sonnenfeld Design\tSonnenfeld Design GmbH\t")));
    // Windows-1252 in the file, UTF-8 on the output.
    QVERIFY(lines.at(0).contains(QStringLiteral("Geschäftsführerin")));
    QVERIFY(lines.at(2).endsWith(QStringLiteral("\tDr.\tKlaus\tMustermann")));
}

void TestBatchListRecords::listsAVCardFile()
{
    const QString vcf = QStringLiteral(QM_CORPUS_DIR "/vcard/ezvcard-John_Doe_MAC_ADDRESS_BOOK.vcf");
    if (!QFile::exists(vcf))
        QSKIP("The corpus of vCards is not there.");
    const toolrun::Result r = toolrun::Batch({"--list-records", vcf});
    QCOMPARE(r.code, 0);
    const QStringList lines = linesOf(r.out);
    QCOMPARE(lines.size(), 1);
    const QStringList fields = lines.first().split('\t');
    QCOMPARE(fields.size(), 24);
    QCOMPARE(fields.at(1), QStringLiteral("IBM"));
    QCOMPARE(fields.at(6), QStringLiteral("12345"));
    QCOMPARE(fields.at(12), QStringLiteral("905-555-1234"));
    QCOMPARE(fields.at(23), QStringLiteral("Doe"));
}

void TestBatchListRecords::listsACsvFileInUtf8()
{
    const QString csv = m_dir.filePath(QStringLiteral("liste.csv"));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Vorname;Name;PLZ;Ort\nJ\xFCrgen;Wei\xDF;50667;K\xF6ln\nAnna;Berg;;\n");
    f.close();
    const toolrun::Result r = toolrun::Batch({"--list-records", csv});
    QCOMPARE(r.code, 0);
    const QStringList lines = linesOf(r.out);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("Jürgen Weiß\t\t\t\t\t\t50667\tKöln") + QString(15, '\t') +
                              QStringLiteral("Jürgen\tWeiß"));
    QCOMPARE(lines.at(1).split('\t').at(22), QStringLiteral("Anna"));
}

void TestBatchListRecords::refusedFilesEndWithOneLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("part");
    const QString text = m_dir.filePath(QStringLiteral("brief.txt"));
    QFile f(text);
    if (f.open(QIODevice::WriteOnly))
        f.write("Lieber Hans,\nwie geht es dir?\n");
    QTest::newRow("missing") << QStringList{"--list-records", m_dir.filePath("fehlt.vcf")}
                             << QStringLiteral("fehlt.vcf");
    QTest::newRow("letter") << QStringList{"--list-records", text} << QStringLiteral("brief.txt");
    QTest::newRow("folder") << QStringList{"--list-records", m_dir.path()}
                            << QStringLiteral("Ordner");
    QTest::newRow("picture") << QStringList{"--list-records",
                                            QStringLiteral(QM_CORPUS_DIR "/gif/porsche.gif")}
                             << QStringLiteral("porsche.gif");
    QTest::newRow("no file") << QStringList{"--list-records"} << QStringLiteral("list-records");
    QTest::newRow("two files") << QStringList{"--list-records", text, text}
                               << QStringLiteral("genau eine Datei");
}

void TestBatchListRecords::refusedFilesEndWithOneLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, part);
    if (args.size() > 1 && args.at(1).endsWith(QStringLiteral(".gif")) && !QFile::exists(args.at(1)))
        QSKIP("The corpus picture is not there.");
    const toolrun::Result r = toolrun::Batch(args);
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.isEmpty());
    const QStringList lines = linesOf(r.err);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QStringLiteral("quillmark-batch: ")), qPrintable(r.err));
    QVERIFY2(lines.first().contains(part), qPrintable(r.err));
}

void TestBatchListRecords::helpNamesTheTask()
{
    const toolrun::Result r = toolrun::Batch({"--help"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("--list-records DATEI")));
    QVERIFY(r.out.contains(QStringLiteral("Aufruf:")));
}

QTEST_GUILESS_MAIN(TestBatchListRecords)
#include "tst_batchlistrecords.moc"
