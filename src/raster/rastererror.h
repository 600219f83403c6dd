#pragma once
// The error raised for picture files that cannot be imported (unreadable, damaged, of an
// unsupported kind or beyond the size limits).

#include <QDir>
#include <QString>
#include <stdexcept>

// message() and what() name the file (when there is one) and the reason, in German, ready
// to be shown by the interface.
class TRasterError : public std::runtime_error {
public:
    TRasterError(const QString& fileName, const QString& reason)
        : std::runtime_error(compose(fileName, reason).toStdString()),
          m_message(compose(fileName, reason)), m_reason(reason) {}

    QString message() const { return m_message; }
    QString reason() const { return m_reason; }

private:
    static QString compose(const QString& fileName, const QString& reason) {
        if (fileName.isEmpty())
            return QStringLiteral("Das Bild kann nicht gelesen werden: %1").arg(reason);
        return QStringLiteral("Die Bilddatei „%1“ kann nicht gelesen werden: %2")
            .arg(QDir::toNativeSeparators(fileName), reason);
    }

    QString m_message;
    QString m_reason;
};
