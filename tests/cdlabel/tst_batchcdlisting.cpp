// quillmark-batch --cd-listing: the workspace's picture from the command line, its options
// and its refusals (exit status 1, one German line on stderr).
#include "document/cdlisting.h"
#include "cdtrace.h"
#include "common/toolrun.h"
#include "qmpaths.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestBatchCdListing : public QObject {
    Q_OBJECT
private slots:
    void init();
    void writesThePictureWithTheGivenLayout();
    void defaultsAreTheWorkspaceFields();
    void refusals_data();
    void refusals();
    void helpNamesTheTask();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root, m_out;
};

void TestBatchCdListing::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path() + QStringLiteral("/cd");
    m_out = m_dir->path() + QStringLiteral("/liste.emf");
    MakeTree(m_root, {"b/b1", "a/a1/a11", "c.txt"});
}

void TestBatchCdListing::writesThePictureWithTheGivenLayout()
{
    const toolrun::Result r =
        toolrun::Batch({"--cd-listing", m_root, "-o", m_out, "--columns", "1", "--width", "50",
                        "--height", "30", "--depth", "3", "--files", "--title", "Meine CD"});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("6 Einträge in 1 Spalten")));
    TMetafile mf;
    mf.LoadFromFile(m_out);
    QCOMPARE(mf.MMWidth(), 5000);
    QCOMPARE(mf.MMHeight(), 3000);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"Meine CD", "a", "a1", "a11", "b", "b1", "c.txt"}));
}

void TestBatchCdListing::defaultsAreTheWorkspaceFields()
{
    const toolrun::Result r = toolrun::Batch({"--cd-listing", m_root, "-o", m_out, "--no-title"});
    QCOMPARE(r.code, 0);
    TMetafile mf;
    mf.LoadFromFile(m_out);
    QCOMPARE(mf.MMWidth(), 11100);
    QCOMPARE(mf.MMHeight(), 11000);
    QCOMPARE(CdTexts(mf.Bytes()), QStringList({"a", "b"}));
}

void TestBatchCdListing::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("/nicht/da");
    QTest::newRow("no output") << QStringList{"--cd-listing", "ROOT"} << "Ausgabedatei";
    QTest::newRow("missing folder")
        << QStringList{"--cd-listing", missing, "-o", "OUT"} << "„/nicht/da“ existiert nicht";
    QTest::newRow("columns 0") << QStringList{"--cd-listing", "ROOT", "-o", "OUT", "--columns", "0"}
                               << "Spaltenzahl muss zwischen 1 und 11";
    QTest::newRow("width text") << QStringList{"--cd-listing", "ROOT", "-o", "OUT", "--width", "breit"}
                                << "--width erwartet eine ganze Zahl";
    QTest::newRow("depth 23") << QStringList{"--cd-listing", "ROOT", "-o", "OUT", "--depth", "23"}
                              << "Tiefe muss zwischen 1 und 22";
    QTest::newRow("both titles")
        << QStringList{"--cd-listing", "ROOT", "-o", "OUT", "--title", "x", "--no-title"}
        << "schließen einander aus";
    QTest::newRow("unwritable")
        << QStringList{"--cd-listing", "ROOT", "-o", "/nicht/da/x.emf"} << "/nicht/da/x.emf";
}

void TestBatchCdListing::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    args.replaceInStrings(QStringLiteral("ROOT"), m_root);
    args.replaceInStrings(QStringLiteral("OUT"), m_out);
    const toolrun::Result r = toolrun::Batch(args);
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("quillmark-batch: ")), qPrintable(r.err));
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(m_out));
}

void TestBatchCdListing::helpNamesTheTask()
{
    const toolrun::Result r = toolrun::Batch({"--help"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("--cd-listing ORDNER -o AUSGABE.emf")));
    QVERIFY(r.out.contains(QStringLiteral("--no-title")));
}

QTEST_MAIN(TestBatchCdListing)
#include "tst_batchcdlisting.moc"
