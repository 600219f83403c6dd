// quillmark-batch --list-records run as a program: one line of 24 tab-separated fields per
// record of an address file, a vCard file and a CSV file; one German line and status 1 for a
// file it refuses.

#include "common/addressbookexports.h"
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
    void addressBookExportsFillTheirFields_data();
    void addressBookExportsFillTheirFields();
    void repairedAndSkippedContactsAreCounted();
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

void TestBatchListRecords::addressBookExportsFillTheirFields_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<TAddressRecord>>("expected");
    for (const addressbookexports::Export& e : addressbookexports::All())
        QTest::newRow(qPrintable(e.Name)) << e.FileName << e.Bytes << e.Expected;
}

void TestBatchListRecords::addressBookExportsFillTheirFields()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<TAddressRecord>, expected);
    const QString file = m_dir.filePath(fileName);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    const toolrun::Result r = toolrun::Batch({"--list-records", file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    const QStringList lines = linesOf(r.out);
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split('\t');
        QCOMPARE(fields.size(), int(AddressFieldCount));
        for (int k = 0; k < AddressFieldCount; ++k) {
            if (fields.at(k) != expected.at(i).at(k))
                qWarning() << "record" << i << "field" << AddressFieldLabels().at(k);
            QCOMPARE(fields.at(k), expected.at(i).at(k));
        }
    }
}

void TestBatchListRecords::repairedAndSkippedContactsAreCounted()
{
    // The second card has no END:VCARD, the third's quoted-printable value ends in a soft
    // break right before END:VCARD; the properties between the fourth and fifth card have
    // lost their BEGIN:VCARD.
    const QString file = m_dir.filePath(QStringLiteral("kaputt.vcf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("BEGIN:VCARD\nVERSION:2.1\nFN:Eins\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:2.1\nFN:Zwei\n"
            "BEGIN:VCARD\nVERSION:2.1\nFN:Drei\nNOTE;ENCODING=QUOTED-PRINTABLE:abc=\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:2.1\nFN:Vier\nEND:VCARD\n"
            "VERSION:2.1\nFN:Verloren\nEND:VCARD\n"
            "BEGIN:VCARD\nVERSION:2.1\nFN:F\xC3\xBCnf\nEND:VCARD\n");
    f.close();
    const toolrun::Result r = toolrun::Batch({"--list-records", file});
    QCOMPARE(r.code, 0);
    QStringList names;
    for (const QString& line : linesOf(r.out))
        names << line.section('\t', 0, 0);
    QCOMPARE(names, QStringList({"Eins", "Zwei", "Drei", "Vier", "Fünf"}));
    const QStringList notes = linesOf(r.err);
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(QStringLiteral("kaputt.vcf")), qPrintable(r.err));
    QVERIFY2(notes.first().contains(QStringLiteral("5 Kontakte gelesen")), qPrintable(r.err));
    QVERIFY2(notes.first().contains(QStringLiteral("2 davon unvollständig")), qPrintable(r.err));
    QVERIFY2(notes.first().contains(QStringLiteral("1 Kontakt übersprungen")), qPrintable(r.err));
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
