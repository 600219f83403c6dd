#include "platform/safefile.h"

#include "platform/fileerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString quoted(const QString& s) {
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(s));
}

// ---- Named temporary files, removed when the program is ended by a signal -----------------
//
// An unnamed file needs no cleaning up; a named one exists only while the file system cannot
// make unnamed files, and for the instant between giving the new file a name and renaming it.
// Those names sit in a fixed table the signal handler can read without locks.

constexpr int PendingSlots = 64;
enum SlotState : int { Free, Filling, Ready };
std::atomic<int> g_slotState[PendingSlots];
char g_slotPath[PendingSlots][PATH_MAX];

constexpr int CleanedSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction g_previous[sizeof CleanedSignals / sizeof CleanedSignals[0]];

void removePending() {
    for (int i = 0; i < PendingSlots; ++i)
        if (g_slotState[i].load() == Ready)
            ::unlink(g_slotPath[i]);
}

void onSignal(int sig, siginfo_t* info, void* context) {
    removePending();
    for (size_t i = 0; i < sizeof CleanedSignals / sizeof CleanedSignals[0]; ++i) {
        if (CleanedSignals[i] != sig)
            continue;
        const struct sigaction& old = g_previous[i];
        if (old.sa_flags & SA_SIGINFO) {
            old.sa_sigaction(sig, info, context);
            return;
        }
        if (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN) {
            old.sa_handler(sig);
            return;
        }
    }
    // The signal's own end of the program, as if nothing had caught it.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void installHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (size_t i = 0; i < sizeof CleanedSignals / sizeof CleanedSignals[0]; ++i) {
            struct sigaction old {};
            if (::sigaction(CleanedSignals[i], nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
                continue; // ignored (nohup): it ends nothing, nothing to clean
            g_previous[i] = old;
            struct sigaction now {};
            now.sa_sigaction = onSignal;
            now.sa_flags = SA_SIGINFO | SA_RESTART;
            sigemptyset(&now.sa_mask);
            ::sigaction(CleanedSignals[i], &now, nullptr);
        }
    });
}

// Remembers path for removal on a signal; -1 when the table is full (then it is only
// removed on the ordinary ways out).
int addPending(const QByteArray& path) {
    installHandlers();
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < PendingSlots; ++i) {
        int expected = Free;
        if (g_slotState[i].compare_exchange_strong(expected, Filling)) {
            std::memcpy(g_slotPath[i], path.constData(), size_t(path.size()) + 1);
            g_slotState[i].store(Ready);
            return i;
        }
    }
    return -1;
}

void dropPending(int slot) {
    if (slot >= 0)
        g_slotState[slot].store(Free);
}

QByteArray randomSuffix() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray s(10, Qt::Uninitialized);
    for (char& c : s)
        c = letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))];
    return s;
}

// The process's umask, read without changing it (other threads may be creating files).
mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// ---- Where a file is written --------------------------------------------------------------

struct Target {
    QByteArray dir, name;
    bool exists = false;
    struct stat st {};
};

QString notRegularReason(mode_t mode) {
    if (S_ISDIR(mode))
        return SystemErrorText(EISDIR);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("Das ist ein Gerät, keine gewöhnliche Datei; es wird nicht ersetzt.");
    if (S_ISFIFO(mode))
        return QStringLiteral(
            "Das ist eine benannte Pipe, keine gewöhnliche Datei; sie wird nicht ersetzt.");
    if (S_ISSOCK(mode))
        return QStringLiteral("Das ist ein Socket, keine gewöhnliche Datei; er wird nicht ersetzt.");
    return QStringLiteral("Das ist keine gewöhnliche Datei; sie wird nicht ersetzt.");
}

QString reasonOf(int systemError) {
    const QString text = SystemErrorText(systemError);
    return text.isEmpty() ? QStringLiteral("Die Datei konnte nicht geschrieben werden.") : text;
}

// Walks the path one name at a time as the kernel would, following links by the
// protected-symlinks rule. False with *reason when the file must not or cannot be written.
bool resolveTarget(const QString& fileName, Target& t, QString* reason) {
    if (fileName.isEmpty()) {
        *reason = SystemErrorText(ENOENT);
        return false;
    }
    QList<QByteArray> todo = QFile::encodeName(QFileInfo(fileName).absoluteFilePath()).split('/');
    QByteArray cur; // "" is the root folder
    int links = 0;
    const uid_t me = ::geteuid();
    while (!todo.isEmpty()) {
        const QByteArray part = todo.takeFirst();
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            cur.truncate(qMax(0, int(cur.lastIndexOf('/'))));
            continue;
        }
        bool last = true;
        for (const QByteArray& rest : todo)
            last = last && (rest.isEmpty() || rest == ".");
        const QByteArray path = cur + '/' + part;
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) {
            if (errno == ENOENT && last) {
                t.dir = cur.isEmpty() ? QByteArray("/") : cur;
                t.name = part;
                t.exists = false;
                return true;
            }
            *reason = reasonOf(errno);
            return false;
        }
        if (S_ISLNK(st.st_mode)) {
            if (++links > 40) {
                *reason = SystemErrorText(ELOOP);
                return false;
            }
            struct stat folder {};
            if (::stat(cur.isEmpty() ? "/" : cur.constData(), &folder) != 0) {
                *reason = reasonOf(errno);
                return false;
            }
            const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
            if (shared && st.st_uid != me && st.st_uid != folder.st_uid) {
                *reason = QStringLiteral(
                              "Die symbolische Verknüpfung %1 gehört einem anderen Benutzer und "
                              "liegt in einem gemeinsamen Ordner; ihr wird nicht gefolgt.")
                              .arg(quoted(QFile::decodeName(path)));
                return false;
            }
            QByteArray link(PATH_MAX, Qt::Uninitialized);
            const ssize_t n = ::readlink(path.constData(), link.data(), size_t(link.size()));
            if (n < 0 || n >= link.size()) {
                *reason = reasonOf(n < 0 ? errno : ENAMETOOLONG);
                return false;
            }
            link.truncate(int(n));
            if (link.startsWith('/'))
                cur.clear();
            todo = link.split('/') + todo;
            continue;
        }
        if (last) {
            if (!S_ISREG(st.st_mode)) {
                *reason = notRegularReason(st.st_mode);
                return false;
            }
            t.dir = cur.isEmpty() ? QByteArray("/") : cur;
            t.name = part;
            t.exists = true;
            t.st = st;
            return true;
        }
        if (!S_ISDIR(st.st_mode)) {
            *reason = SystemErrorText(ENOTDIR);
            return false;
        }
        cur = path;
    }
    // The name ends in a folder ("/", "x/..").
    *reason = SystemErrorText(EISDIR);
    return false;
}

} // namespace

// ---- TSafeFile ----------------------------------------------------------------------------

TSafeFile::TSafeFile(const QString& fileName, QObject* parent)
    : QIODevice(parent), m_fileName(fileName) {}

TSafeFile::~TSafeFile() {
    cancel();
}

QString TSafeFile::ErrorMessage() const {
    return QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2")
        .arg(quoted(m_fileName), m_reason);
}

bool TSafeFile::fail(int systemError, const QString& reason) {
    if (m_reason.isEmpty())
        m_reason = reason.isEmpty() ? reasonOf(systemError) : reason;
    setErrorString(m_reason);
    return false;
}

bool TSafeFile::open(OpenMode mode) {
    if (isOpen() || !(mode & WriteOnly))
        return false;
    m_reason.clear();
    Target t;
    QString why;
    if (!resolveTarget(m_fileName, t, &why))
        return fail(0, why);
    m_dir = t.dir;
    m_target = (t.dir == "/" ? QByteArray() : t.dir) + '/' + t.name;
    m_existed = t.exists;
    if (t.exists) {
        m_mode = t.st.st_mode & 07777;
    } else {
        m_mode = 0666 & ~currentUmask();
    }
#ifdef O_TMPFILE
    m_fd = ::open(m_dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return fail(errno);
#endif
    if (m_fd < 0) {
        // No unnamed files here: a hidden name beside the target, removed on every way out.
        for (int tries = 0; m_fd < 0 && tries < 100; ++tries) {
            m_temp = (m_dir == "/" ? QByteArray() : m_dir) + "/.quillmark-" + randomSuffix();
            m_fd = ::open(m_temp.constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
            if (m_fd < 0 && errno != EEXIST) {
                const int e = errno;
                m_temp.clear();
                return fail(e);
            }
        }
        if (m_fd < 0) {
            m_temp.clear();
            return fail(EEXIST);
        }
        m_pending = addPending(m_temp);
    }
    if (t.exists && (t.st.st_uid != ::geteuid() || t.st.st_gid != ::getegid())) {
        // Owner and group as before, where the user may give them (root may).
        if (::fchown(m_fd, t.st.st_uid, t.st.st_gid) != 0)
            (void)::fchown(m_fd, uid_t(-1), t.st.st_gid);
    }
    m_buffer.clear();
    return QIODevice::open(WriteOnly | Unbuffered);
}

void TSafeFile::closeDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    dropPending(m_pending);
    m_pending = -1;
    m_temp.clear();
}

void TSafeFile::cancel() {
    closeDescriptor();
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

bool TSafeFile::flushBuffer() {
    const char* p = m_buffer.constData();
    qint64 left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_buffer.clear();
            return fail(errno);
        }
        if (n == 0) {
            m_buffer.clear();
            return fail(ENOSPC);
        }
        p += n;
        left -= n;
    }
    m_buffer.clear();
    return true;
}

qint64 TSafeFile::writeData(const char* data, qint64 size) {
    if (m_fd < 0 || !m_reason.isEmpty())
        return -1;
    constexpr qint64 Chunk = 256 * 1024;
    if (m_buffer.size() + size > Chunk && !flushBuffer())
        return -1;
    if (size > Chunk) {
        m_buffer = QByteArray::fromRawData(data, int(qMin<qint64>(size, INT_MAX)));
        const qint64 n = m_buffer.size();
        if (!flushBuffer())
            return -1;
        return n;
    }
    m_buffer.append(data, int(size));
    return size;
}

qint64 TSafeFile::readData(char*, qint64) {
    return -1;
}

qint64 TSafeFile::size() const {
    if (m_fd < 0)
        return 0;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return 0;
    const qint64 end = ::lseek(m_fd, 0, SEEK_CUR) + m_buffer.size();
    return qMax<qint64>(st.st_size, end);
}

bool TSafeFile::seek(qint64 pos) {
    if (m_fd < 0 || !flushBuffer())
        return false;
    if (::lseek(m_fd, off_t(pos), SEEK_SET) < 0)
        return fail(errno);
    return QIODevice::seek(pos);
}

QByteArray TSafeFile::ReadBack() {
    QByteArray all;
    if (m_fd < 0 || !flushBuffer())
        return all;
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (end < 0) {
        fail(errno);
        return all;
    }
    all.resize(qsizetype(end));
    qint64 done = 0;
    while (done < end) {
        const ssize_t n = ::pread(m_fd, all.data() + done, size_t(end - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : EIO);
            return QByteArray();
        }
        done += n;
    }
    return all;
}

bool TSafeFile::Rewrite(const QByteArray& bytes) {
    if (m_fd < 0 || !m_reason.isEmpty())
        return false;
    m_buffer.clear();
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) < 0)
        return fail(errno);
    QIODevice::seek(0);
    return write(bytes) == bytes.size() && flushBuffer();
}

bool TSafeFile::commit() {
    if (m_fd < 0) {
        cancel();
        return fail(EBADF);
    }
    bool ok = m_reason.isEmpty() && flushBuffer();
    if (ok && ::fchmod(m_fd, mode_t(m_mode)) != 0)
        ok = fail(errno);
    // The data must be on the disk before the name points to it; a file system without
    // syncing says EINVAL, which is no fault of the data.
    if (ok && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        ok = fail(errno);
    if (ok && m_temp.isEmpty()) {
        // The unnamed file gets a hidden name first: a link cannot replace an existing file,
        // a rename can.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        for (int tries = 0; tries < 100; ++tries) {
            const QByteArray name =
                (m_dir == "/" ? QByteArray() : m_dir) + "/.quillmark-" + randomSuffix();
            m_pending = addPending(name);
            int r = ::linkat(m_fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
            if (r != 0 && (errno == ENOENT || errno == EPERM))
                r = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                             AT_SYMLINK_FOLLOW);
            if (r == 0) {
                m_temp = name;
                break;
            }
            const int e = errno;
            dropPending(m_pending);
            m_pending = -1;
            if (e != EEXIST) {
                ok = fail(e);
                break;
            }
        }
        if (ok && m_temp.isEmpty())
            ok = fail(EEXIST);
    }
    if (ok) {
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0 && errno != EINTR)
            ok = fail(errno);
    }
    if (ok && ::rename(m_temp.constData(), m_target.constData()) != 0)
        ok = fail(errno);
    if (ok) {
        m_temp.clear(); // now the target's name
        dropPending(m_pending);
        m_pending = -1;
        // The new name on the disk too.
        const int dir = ::open(m_dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    cancel();
    return ok;
}

bool WriteFileSafely(const QString& fileName, const QByteArray& bytes, QString* error) {
    TSafeFile file(fileName);
    if (file.open() && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = file.ErrorMessage();
    return false;
}

QString SafeWriteTarget(const QString& fileName, QString* reason) {
    Target t;
    QString why;
    if (!resolveTarget(fileName, t, &why)) {
        if (reason)
            *reason = why;
        return QString();
    }
    return QFile::decodeName((t.dir == "/" ? QByteArray() : t.dir) + '/' + t.name);
}
