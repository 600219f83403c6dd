// The one way files are written: which links are followed (the protected-symlinks rule,
// whatever the machine says), which targets are refused, the permissions a file keeps or
// gets, a full disk noticed at the last flush, and rewriting what was written.

#include "common/smallvolume.h"
#include "platform/safefile.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace smallvolume;

class TestSafeFile : public QObject {
    Q_OBJECT
private slots:
    void linkRule_data();
    void linkRule();
    void refusedTargets_data();
    void refusedTargets();
    void permissions_data();
    void permissions();
    void fullDisk_data();
    void fullDisk();
    void rewrite();
};

// The kernel's rule: a link in a folder that is sticky and writable by everyone is followed
// only when it belongs to the user or to the folder's owner.
void TestSafeFile::linkRule_data() {
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("folderOwner");
    QTest::addColumn<int>("linkOwner");
    QTest::addColumn<bool>("followed");
    QTest::newRow("shared sticky folder, another user's link") << 01777 << 0 << 65534 << false;
    QTest::newRow("shared sticky folder, the user's link") << 01777 << 0 << 0 << true;
    QTest::newRow("sticky folder of the link's owner") << 01777 << 65534 << 65534 << true;
    QTest::newRow("sticky folder not writable by all") << 01775 << 0 << 65534 << true;
    QTest::newRow("folder writable by all, not sticky") << 0777 << 0 << 65534 << true;
    QTest::newRow("ordinary folder") << 0755 << 0 << 65534 << true;
}

void TestSafeFile::linkRule() {
    QFETCH(int, folderMode);
    QFETCH(int, folderOwner);
    QFETCH(int, linkOwner);
    QFETCH(bool, followed);
    if (::geteuid() != 0)
        QSKIP("giving files to another user needs root");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ordner"));
    QVERIFY(QDir().mkdir(folder));
    const QByteArray f = QFile::encodeName(folder);
    QVERIFY(::chown(f.constData(), uid_t(folderOwner), gid_t(folderOwner)) == 0);
    QVERIFY(::chmod(f.constData(), mode_t(folderMode)) == 0);
    const QString target = dir.filePath(QStringLiteral("ziel.txt"));
    QVERIFY(WriteBytes(target, "alt"));
    // The link goes through a second one, so that every link on the way is checked.
    const QString link = folder + QStringLiteral("/verknuepfung");
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("zwischen")), link));
    QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("zwischen"))));
    QVERIFY(::lchown(QFile::encodeName(link).constData(), uid_t(linkOwner), gid_t(linkOwner)) == 0);

    QString error;
    const bool written = WriteFileSafely(link, "neu", &error);
    QCOMPARE(written, followed);
    QCOMPARE(Contents(target), followed ? QByteArray("neu") : QByteArray("alt"));
    QVERIFY(QFileInfo(link).isSymLink());
    if (!followed) {
        QVERIFY2(error.contains(QStringLiteral("gehört einem anderen Benutzer")), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("„%1“").arg(link)), qPrintable(error));
    }
    QCOMPARE(SafeWriteTarget(link, nullptr).isEmpty(), !followed);
}

void TestSafeFile::refusedTargets_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << "pipe" << "keine gewöhnliche Datei";
    QTest::newRow("device") << "device" << "Das ist ein Gerät";
    QTest::newRow("socket") << "socket" << "Das ist ein Socket";
    QTest::newRow("folder") << "folder" << "Das ist ein Ordner";
    QTest::newRow("missing folder") << "missing" << "existiert nicht";
    QTest::newRow("file as folder") << "file/" << "kein Ordner";
    QTest::newRow("link loop") << "loop" << "zu viele symbolische Verknüpfungen";
}

void TestSafeFile::refusedTargets() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("ziel"));
    int sock = -1;
    if (kind == QLatin1String("pipe") || kind == QLatin1String("device") ||
        kind == QLatin1String("folder")) {
        const Node node = kind == QLatin1String("pipe")     ? Node::Fifo
                          : kind == QLatin1String("device") ? Node::Device
                                                            : Node::Folder;
        if (const QString why = MakeNode(target, node); !why.isEmpty())
            QSKIP(qPrintable(why));
    } else if (kind == QLatin1String("socket")) {
        sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr {};
        addr.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(target);
        QVERIFY(sock >= 0 && size_t(path.size()) < sizeof addr.sun_path);
        std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
        QVERIFY(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0);
    } else if (kind == QLatin1String("missing")) {
        target = dir.filePath(QStringLiteral("fehlt/ziel"));
    } else if (kind == QLatin1String("file/")) {
        QVERIFY(WriteBytes(target, "x"));
        target += QStringLiteral("/innen");
    } else if (kind == QLatin1String("loop")) {
        QVERIFY(QFile::link(target, target));
    }
    const QStringList before = Entries(dir.path());
    const mode_t type = ModeOf(target) & S_IFMT;

    TSafeFile file(target);
    QVERIFY(!file.open());
    QVERIFY2(file.Reason().contains(reason), qPrintable(file.Reason()));
    QVERIFY(file.ErrorMessage().contains(QStringLiteral("„%1“").arg(target)));
    QVERIFY(!file.commit());
    QCOMPARE(ModeOf(target) & S_IFMT, type);
    QCOMPARE(Entries(dir.path()), before);
    if (sock >= 0)
        ::close(sock);
}

void TestSafeFile::permissions_data() {
    QTest::addColumn<int>("existing"); // -1: a new file
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("expected");
    QTest::newRow("private file stays private") << 0600 << 022 << 0600;
    QTest::newRow("group-readable file stays so") << 0640 << 077 << 0640;
    QTest::newRow("read-only file for the owner") << 0444 << 022 << 0444;
    QTest::newRow("new file by the umask") << -1 << 022 << 0644;
    QTest::newRow("new file, strict umask") << -1 << 077 << 0600;
}

void TestSafeFile::permissions() {
    QFETCH(int, existing);
    QFETCH(int, umask);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("datei"));
    if (existing >= 0) {
        QVERIFY(WriteBytes(target, "alt"));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(existing)) == 0);
    }
    const mode_t old = ::umask(mode_t(umask));
    QString error;
    const bool ok = WriteFileSafely(target, "neu", &error);
    ::umask(old);
    QVERIFY2(ok, qPrintable(error));
    QCOMPARE(Contents(target), QByteArray("neu"));
    QCOMPARE(int(ModeOf(target) & 07777), expected);
    QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("datei")});
}

// Small writes stay in the buffer: the full disk shows only when the rest is written out.
void TestSafeFile::fullDisk_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("free");
    QTest::newRow("all in the last flush") << 20000 << qint64(4096);
    QTest::newRow("during writing") << 3000000 << qint64(4096);
    QTest::newRow("nothing free") << 10 << qint64(0);
}

void TestSafeFile::fullDisk() {
    QFETCH(int, size);
    QFETCH(qint64, free);
    TSmallVolume volume(1024 * 1024);
    if (!volume.ok())
        QSKIP(qPrintable(volume.skipReason()));
    const QString target = volume.filePath(QStringLiteral("datei"));
    QVERIFY(WriteBytes(target, "alt"));
    QVERIFY(volume.Fill(free));
    const QStringList before = Entries(volume.path());

    TSafeFile file(target);
    QVERIFY(file.open());
    const QByteArray chunk(1000, 'n');
    for (int done = 0; done < size; done += chunk.size())
        file.write(chunk.left(qMin(chunk.size(), size - done)));
    QVERIFY(!file.commit());
    QCOMPARE(file.Reason(), QStringLiteral("Auf dem Datenträger ist kein Platz mehr."));
    QCOMPARE(Contents(target), QByteArray("alt"));
    QCOMPARE(Entries(volume.path()), before);
}

void TestSafeFile::rewrite() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("datei"));
    TSafeFile file(target);
    QVERIFY(file.open());
    QCOMPARE(file.write(QByteArray(300000, 'a')), qint64(300000));
    QCOMPARE(file.write("ende"), qint64(4));
    const QByteArray back = file.ReadBack();
    QCOMPARE(back.size(), 300004);
    QVERIFY(back.endsWith("aende"));
    QVERIFY(!QFile::exists(target)); // nothing in place before commit
    QVERIFY(file.Rewrite("kurz"));
    QVERIFY(file.commit());
    QCOMPARE(Contents(target), QByteArray("kurz"));
    QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("datei")});
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
