#pragma once
// The one way files are written: a new file is written beside its target without a name
// (where the file system can), checked to the last byte and sync, and only then put in
// place of the old file in one step. Until then the old file stays byte for byte; a failed,
// cancelled or interrupted write leaves nothing behind.
//
// Before anything is written, the target is checked: it must be a regular file or not exist
// yet (a device, pipe, socket or folder is never replaced), and a symbolic link on its way is
// followed only where the kernel's protected-symlinks rule would follow it, whatever the
// machine's setting: the link belongs to the user or to its folder's owner, or the folder is
// not both sticky and writable by everyone. A replaced file keeps its permissions.
//
// QSaveFile does the write-and-rename part, but it replaces a device node, follows every
// link, loses an error of its last flush, and its temporary file has no name to clean up
// after a signal; so this device does the same steps itself, with those gaps closed.

#include <QByteArray>
#include <QIODevice>
#include <QString>

class TSafeFile : public QIODevice {
public:
    explicit TSafeFile(const QString& fileName, QObject* parent = nullptr);
    ~TSafeFile() override; // discards what was written unless committed

    QString fileName() const { return m_fileName; }

    // Checks the target and creates the new file beside it (mode must be WriteOnly, other
    // flags are ignored). False with Reason() when the target may not or cannot be written.
    bool open(OpenMode mode = WriteOnly) override;
    // Writes the rest out, syncs it and puts it in place of the target in one step. False
    // with Reason() on any error so far or now; nothing is then changed and nothing left.
    bool commit();
    // Throws away what was written; the target stays as it was.
    void cancel();

    // Everything written so far, read back from the file (for changes before commit).
    QByteArray ReadBack();
    // Replaces everything written so far with bytes.
    bool Rewrite(const QByteArray& bytes);

    // The German reason of the first failure ("Auf dem Datenträger ist kein Platz mehr."),
    // empty while there is none.
    QString Reason() const { return m_reason; }
    // The whole message: "Die Datei „NAME“ kann nicht geschrieben werden: REASON"
    QString ErrorMessage() const;

    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int systemError, const QString& reason = {});
    bool flushBuffer();
    void closeDescriptor();

    QString m_fileName;
    QByteArray m_dir;    // the target's folder, no links left in its path
    QByteArray m_target; // m_dir + "/" + the target's own name
    QByteArray m_temp;   // the temporary file's name while it has one
    int m_fd = -1;
    int m_pending = -1; // its slot in the list removed on signals
    bool m_existed = false;
    unsigned m_mode = 0; // permission bits the result gets
    QByteArray m_buffer;
    QString m_reason;
};

// Writes bytes to fileName through a TSafeFile. False with the whole German message in *error.
bool WriteFileSafely(const QString& fileName, const QByteArray& bytes, QString* error);

// Where a file named fileName would really be written: links followed by the rule above.
// Returns an empty text (and the German reason in *reason) when it must not be written:
// a link not to be followed, a target that is not a regular file, a missing folder.
QString SafeWriteTarget(const QString& fileName, QString* reason);
