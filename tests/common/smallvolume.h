#pragma once
// Real file systems for the failure paths of writing files: a small tmpfs of its own, which
// can be filled to the last few bytes, mounted in a private mount namespace of the test
// process (the machine's mounts stay untouched; programs the test starts see it too), and
// the other odd things a file name can point to: a named pipe, a device node, a link owned by
// another user in a shared sticky folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace smallvolume {

// Enters a mount namespace of this process's own, once. Empty on success, else why not.
inline QString PrivateMounts() {
    static const QString why = [] {
        if (::geteuid() != 0)
            return QStringLiteral("mounting needs root");
        if (::unshare(CLONE_NEWNS) != 0)
            return QStringLiteral("no private mount namespace: ") +
                   QString::fromLocal8Bit(std::strerror(errno));
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return QStringLiteral("mounts cannot be made private: ") +
                   QString::fromLocal8Bit(std::strerror(errno));
        return QString();
    }();
    return why;
}

// A tmpfs of the given size at a fresh folder; unmounted and removed when it goes.
class TSmallVolume {
public:
    explicit TSmallVolume(qint64 bytes) {
        m_why = PrivateMounts();
        if (!m_why.isEmpty())
            return;
        if (!m_dir.isValid()) {
            m_why = QStringLiteral("no temporary folder");
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                    options.constData()) != 0) {
            m_why = QStringLiteral("tmpfs cannot be mounted: ") +
                    QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        m_mounted = true;
    }
    ~TSmallVolume() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool ok() const { return m_mounted; }
    QString skipReason() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Fills the volume with a file named name until no more than free bytes are left.
    bool Fill(qint64 free, const QString& name = QStringLiteral("filler")) {
        const QByteArray file = QFile::encodeName(filePath(name));
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        static const QByteArray block(64 * 1024, 'f');
        qint64 size = 0;
        for (;;) {
            const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
            if (n <= 0)
                break;
            size += n;
        }
        // tmpfs gives space back by whole pages.
        const qint64 keep = qMax<qint64>(0, size - free);
        const bool ok = ::ftruncate(fd, off_t(keep)) == 0;
        ::close(fd);
        return ok;
    }

private:
    QTemporaryDir m_dir;
    QString m_why;
    bool m_mounted = false;
};

// The names in folder (hidden ones too), sorted.
inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot,
                                  QDir::Name);
}

inline QByteArray Contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

inline bool WriteBytes(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The kinds of thing that are not a regular file, made at path. Empty on success.
enum class Node { Fifo, Device, Folder };
inline QString MakeNode(const QString& path, Node kind) {
    const QByteArray p = QFile::encodeName(path);
    int r = -1;
    switch (kind) {
    case Node::Fifo:
        r = ::mkfifo(p.constData(), 0644);
        break;
    case Node::Device:
        // The same device as /dev/null.
        r = ::mknod(p.constData(), S_IFCHR | 0666, makedev(1, 3));
        break;
    case Node::Folder:
        r = ::mkdir(p.constData(), 0755);
        break;
    }
    return r == 0 ? QString() : QString::fromLocal8Bit(std::strerror(errno));
}

inline mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace smallvolume
