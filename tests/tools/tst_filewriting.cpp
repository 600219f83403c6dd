// Every file the command-line tools write, under the faults of real file systems: a full disk
// (down to the last flush), a target that is not a regular file, another user's link in a
// shared sticky folder, an existing file's permissions, and a run ended by a signal. Each
// fault keeps the old file byte for byte, leaves nothing beside it and says so in one German
// line on stderr with exit status 1.

#include "common/smallvolume.h"
#include "common/toolrun.h"
#include "qmpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace smallvolume;

namespace {

const QString Card = QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk");

// The tools' writers: program, arguments for an output file, the output's suffix.
struct Writer {
    QString program;
    QStringList (*args)(const QString& out, const QString& work);
    QString suffix;
};

QString batchTool() { return QStringLiteral(QM_BIN_DIR "/quillmark-batch"); }
QString renderTool() { return QStringLiteral(QM_BIN_DIR "/quillmark-render"); }

QStringList printArgs(const QString& out, const QString&) {
    return {Card, QStringLiteral("-o"), out};
}
QStringList backArgs(const QString& out, const QString&) {
    return {Card, QStringLiteral("-o"), out, QStringLiteral("--back"), QStringLiteral("after")};
}
QStringList calibrationArgs(const QString& out, const QString&) {
    return {QStringLiteral("--calibration"), QStringLiteral("-o"), out};
}
QStringList cdListingArgs(const QString& out, const QString&) {
    return {QStringLiteral("--cd-listing"), QStringLiteral(QM_DATA_DIR "/Clipart"),
            QStringLiteral("-o"), out};
}
QStringList renderArgs(const QString& out, const QString&) { return {Card, out}; }
QStringList resaveArgs(const QString& out, const QString&) {
    return {QStringLiteral("--resave"), Card, out};
}
QStringList contactSheetArgs(const QString& out, const QString& work) { return {work, out}; }

const QMap<QString, Writer>& writers() {
    static const QMap<QString, Writer> all = {
        {QStringLiteral("Druck"), {batchTool(), printArgs, QStringLiteral(".pdf")}},
        {QStringLiteral("Druck mit Rückseite"), {batchTool(), backArgs, QStringLiteral(".pdf")}},
        {QStringLiteral("Kalibrierblatt"), {batchTool(), calibrationArgs, QStringLiteral(".pdf")}},
        {QStringLiteral("CD-Liste"), {batchTool(), cdListingArgs, QStringLiteral(".emf")}},
        {QStringLiteral("PNG"), {renderTool(), renderArgs, QStringLiteral(".png")}},
        {QStringLiteral("resave"), {renderTool(), resaveArgs, QStringLiteral(".qmk")}},
        {QStringLiteral("Kontaktbogen"),
         {QStringLiteral(QM_BIN_DIR "/contact-sheet"), contactSheetArgs, QStringLiteral(".png")}},
    };
    return all;
}

// The user's settings stay out of the runs; no printer is asked.
QProcessEnvironment environment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("CUPS_SERVER"), home + QStringLiteral("/keine-cups.sock"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

const QByteArray OldBytes = QByteArray("Der alte Inhalt, der bleiben muss.\n").repeated(40);

} // namespace

class TestFileWriting : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    QTemporaryDir m_work; // a picture for the contact sheet

    toolrun::Result run(const QString& writer, const QString& out) {
        const Writer& w = writers()[writer];
        return toolrun::Run(w.program, w.args(out, m_work.path()), environment(m_home.path()));
    }
    void writerRows(const char* suffix = "") {
        for (auto it = writers().begin(); it != writers().end(); ++it)
            QTest::newRow(qPrintable(it.key() + QString::fromLatin1(suffix))) << it.key();
    }
    // One German line naming the file.
    static void checkRefusal(const toolrun::Result& r, const QString& out, const QString& why) {
        QVERIFY2(!r.crashed, qPrintable(r.err));
        QCOMPARE(r.code, 1);
        const QString line = r.err.trimmed();
        QVERIFY2(!line.isEmpty() && !line.contains(QLatin1Char('\n')), qPrintable(r.err));
        QVERIFY2(line.contains(QFileInfo(out).fileName()), qPrintable(line));
        QVERIFY2(line.contains(why), qPrintable(line));
        QVERIFY2(!line.contains(QLatin1String("Drucker")), qPrintable(line));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid() && m_work.isValid());
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(m_work.filePath(QStringLiteral("bild.png"))));
    }

    void fullDisk_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<qint64>("free");
        for (auto it = writers().begin(); it != writers().end(); ++it) {
            QTest::newRow(qPrintable(it.key() + QStringLiteral(", kein Byte frei")))
                << it.key() << qint64(0);
            // The file's first pages fit, its end does not: the last flush fails.
            QTest::newRow(qPrintable(it.key() + QStringLiteral(", 4 KB frei")))
                << it.key() << qint64(4096);
        }
    }
    void fullDisk() {
        QFETCH(QString, writer);
        QFETCH(qint64, free);
        TSmallVolume volume(4 * 1024 * 1024);
        if (!volume.ok())
            QSKIP(qPrintable(volume.skipReason()));
        const QString out = volume.filePath(QStringLiteral("ausgabe") + writers()[writer].suffix);
        QVERIFY(WriteBytes(out, OldBytes));
        QVERIFY(volume.Fill(free));
        const QStringList before = Entries(volume.path());

        const toolrun::Result r = run(writer, out);
        checkRefusal(r, out, QStringLiteral("Auf dem Datenträger ist kein Platz mehr."));
        QCOMPARE(Contents(out), OldBytes);
        QCOMPARE(Entries(volume.path()), before);
    }

    void notARegularFile_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("kind");
        for (auto it = writers().begin(); it != writers().end(); ++it) {
            QTest::newRow(qPrintable(it.key() + QStringLiteral(", Pipe")))
                << it.key() << int(Node::Fifo);
            QTest::newRow(qPrintable(it.key() + QStringLiteral(", Gerät")))
                << it.key() << int(Node::Device);
        }
    }
    void notARegularFile() {
        QFETCH(QString, writer);
        QFETCH(int, kind);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("ziel") + writers()[writer].suffix);
        if (const QString why = MakeNode(out, Node(kind)); !why.isEmpty())
            QSKIP(qPrintable(QStringLiteral("the node cannot be made: ") + why));
        const mode_t type = ModeOf(out) & S_IFMT;

        const toolrun::Result r = run(writer, out);
        checkRefusal(r, out, QStringLiteral("keine gewöhnliche Datei"));
        QCOMPARE(ModeOf(out) & S_IFMT, type);
        QCOMPARE(Entries(dir.path()), QStringList{QFileInfo(out).fileName()});
    }

    // A link planted by another user in a shared sticky folder is not followed; one of the
    // user's own is.
    void linkInStickyFolder_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<bool>("foreign");
        for (auto it = writers().begin(); it != writers().end(); ++it) {
            QTest::newRow(qPrintable(it.key() + QStringLiteral(", fremde Verknüpfung")))
                << it.key() << true;
            QTest::newRow(qPrintable(it.key() + QStringLiteral(", eigene Verknüpfung")))
                << it.key() << false;
        }
    }
    void linkInStickyFolder() {
        QFETCH(QString, writer);
        QFETCH(bool, foreign);
        if (::geteuid() != 0)
            QSKIP("giving a link to another user needs root");
        QTemporaryDir dir;
        const QString shared = dir.filePath(QStringLiteral("gemeinsam"));
        QVERIFY(QDir().mkdir(shared));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        const QString victim = dir.filePath(QStringLiteral("opfer") + writers()[writer].suffix);
        QVERIFY(WriteBytes(victim, OldBytes));
        const QString out = shared + QStringLiteral("/ausgabe") + writers()[writer].suffix;
        QVERIFY(QFile::link(victim, out));
        if (foreign)
            QVERIFY(::lchown(QFile::encodeName(out).constData(), 65534, 65534) == 0);

        const toolrun::Result r = run(writer, out);
        QVERIFY(QFileInfo(out).isSymLink());
        if (foreign) {
            checkRefusal(r, out, QStringLiteral("Verknüpfung"));
            QCOMPARE(Contents(victim), OldBytes);
        } else {
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QVERIFY(Contents(victim) != OldBytes);
        }
        QStringList entries = Entries(shared); // a back side of its own may go beside it
        entries.removeIf([](const QString& e) { return e.contains(QLatin1String("-Rueckseite")); });
        QCOMPARE(entries, QStringList{QFileInfo(out).fileName()});
    }

    // A file readable only by its owner stays so when it is written again.
    void permissionsKept_data() {
        QTest::addColumn<QString>("writer");
        writerRows();
    }
    void permissionsKept() {
        QFETCH(QString, writer);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("privat") + writers()[writer].suffix);
        QVERIFY(WriteBytes(out, OldBytes));
        QVERIFY(::chmod(QFile::encodeName(out).constData(), 0600) == 0);
        const toolrun::Result r = run(writer, out);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(Contents(out) != OldBytes);
        QCOMPARE(ModeOf(out) & 07777, mode_t(0600));
    }

    // A long merge ended by a signal while it writes: the old file stays, nothing beside it.
    void endedBySignal_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGKILL") << SIGKILL;
    }
    void endedBySignal() {
        QFETCH(int, signal);
        QTemporaryDir dir, input;
        QString csv = QStringLiteral("Vorname;Nachname;Firma\r\n");
        for (int i = 1; i <= 1000; ++i)
            csv += QStringLiteral("Vorname;Person%1;Firma%1\r\n").arg(i);
        const QString records = input.filePath(QStringLiteral("adressen.csv"));
        QVERIFY(WriteBytes(records, csv.toUtf8()));
        const QString out = dir.filePath(QStringLiteral("serie.pdf"));
        QVERIFY(WriteBytes(out, OldBytes));

        QProcess p;
        p.setProcessEnvironment(environment(m_home.path()));
        p.start(batchTool(), {Card, QStringLiteral("-o"), out, QStringLiteral("--cells"),
                              QStringLiteral("all"), QStringLiteral("--merge"), records});
        QVERIFY(p.waitForStarted());
        // Waits until the run has its new file open in the target's folder.
        const QString fds = QStringLiteral("/proc/%1/fd").arg(p.processId());
        bool writing = false;
        while (!writing && p.state() == QProcess::Running) {
            for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
                writing = writing || fd.symLinkTarget().startsWith(dir.path() + QLatin1Char('/'));
            if (!writing)
                QTest::qWait(5);
        }
        QVERIFY2(writing, "the run ended before it wrote");
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        QCOMPARE(Contents(out), OldBytes);
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("serie.pdf")});
    }
};

QTEST_GUILESS_MAIN(TestFileWriting)
#include "tst_filewriting.moc"
