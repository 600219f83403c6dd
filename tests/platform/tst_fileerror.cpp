// German reasons for failed file operations: every error number the program meets and every
// error kind of a file device gives a German text; real failures give the right one.

#include "platform/fileerror.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

class TestFileError : public QObject {
    Q_OBJECT
private slots:
    void everyKindHasAGermanText();
    void systemErrorWinsOverTheKind();
    void realFailuresAreNamed();
};

void TestFileError::everyKindHasAGermanText() {
    const QFileDevice::FileError kinds[] = {
        QFileDevice::NoError,         QFileDevice::ReadError,     QFileDevice::WriteError,
        QFileDevice::FatalError,      QFileDevice::ResourceError, QFileDevice::OpenError,
        QFileDevice::AbortError,      QFileDevice::TimeOutError,  QFileDevice::UnspecifiedError,
        QFileDevice::RemoveError,     QFileDevice::RenameError,   QFileDevice::PositionError,
        QFileDevice::ResizeError,     QFileDevice::PermissionsError, QFileDevice::CopyError};
    for (QFileDevice::FileError kind : kinds) {
        const QString text = FileErrorText(kind);
        QVERIFY(!text.isEmpty());
        QVERIFY2(text.endsWith(QLatin1Char('.')), qPrintable(text));
    }
    for (int e : {ENOENT, EACCES, EPERM, ENOSPC, EDQUOT, EROFS, EISDIR, ENOTDIR, ENAMETOOLONG,
                  EEXIST, EMFILE, ENFILE, EIO, EBUSY, ETXTBSY, ELOOP, EFBIG, EINVAL, ENXIO,
                  ENODEV, ENOMEM, EXDEV})
        QVERIFY2(!SystemErrorText(e).isEmpty(), qPrintable(QString::number(e)));
    QVERIFY(SystemErrorText(0).isEmpty());
}

void TestFileError::systemErrorWinsOverTheKind() {
    QCOMPARE(FileErrorText(QFileDevice::OpenError, ENOSPC),
             QStringLiteral("Auf dem Datenträger ist kein Platz mehr."));
    // A number without a text of its own falls back to the kind.
    QCOMPARE(FileErrorText(QFileDevice::WriteError, 0),
             QStringLiteral("Die Datei konnte nicht geschrieben werden."));
}

void TestFileError::realFailuresAreNamed() {
    QTemporaryDir dir;
    QFile missing(dir.filePath(QStringLiteral("fehlt.qmk")));
    errno = 0;
    QVERIFY(!missing.open(QIODevice::ReadOnly));
    QCOMPARE(FileErrorText(missing, errno),
             QStringLiteral("Die Datei oder der Ordner existiert nicht."));

    QFile folder(dir.path());
    errno = 0;
    QVERIFY(!folder.open(QIODevice::WriteOnly));
    QCOMPARE(FileErrorText(folder, errno), QStringLiteral("Das ist ein Ordner, keine Datei."));

    QSaveFile inMissingFolder(dir.filePath(QStringLiteral("weg/karte.qmk")));
    errno = 0;
    QVERIFY(!inMissingFolder.open(QIODevice::WriteOnly));
    QCOMPARE(FileErrorText(inMissingFolder, errno),
             QStringLiteral("Die Datei oder der Ordner existiert nicht."));
}

QTEST_MAIN(TestFileError)
#include "tst_fileerror.moc"
