#pragma once
// A folder in which no file can be created or replaced, for the failure paths of saving. Tests
// often run as root, whom file modes do not stop; the immutable attribute stops root too.

#include <QFile>
#include <QProcess>
#include <QString>
#include <unistd.h>

class TReadOnlyFolder {
public:
    explicit TReadOnlyFolder(const QString& path) : m_path(path)
    {
        if (geteuid() == 0) {
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
            m_ok = m_immutable;
        } else {
            m_ok = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        }
    }
    ~TReadOnlyFolder()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        else
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // False when the folder could not be made read-only here (no chattr, unsupported file system).
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
    bool m_immutable = false;
};
