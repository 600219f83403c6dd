#include "platform/fileerror.h"

#include <cerrno>

QString SystemErrorText(int systemError)
{
    switch (systemError) {
    case ENOENT:
        return QStringLiteral("Die Datei oder der Ordner existiert nicht.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Zugriff verweigert: Es fehlt die Berechtigung.");
    case ENOSPC:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr.");
    case EDQUOT:
        return QStringLiteral("Das Speicherkontingent auf dem Datenträger ist erschöpft.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EISDIR:
        return QStringLiteral("Das ist ein Ordner, keine Datei.");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang.");
    case EEXIST:
        return QStringLiteral("Die Datei existiert bereits.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Es sind zu viele Dateien geöffnet.");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler beim Zugriff auf den Datenträger.");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Die Datei wird gerade von einem anderen Programm verwendet.");
    case ELOOP:
        return QStringLiteral("Der Pfad enthält zu viele symbolische Verknüpfungen.");
    case EFBIG:
        return QStringLiteral("Die Datei ist zu groß.");
    case EINVAL:
        return QStringLiteral("Der Dateiname ist ungültig.");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("Das Gerät ist nicht verfügbar.");
    case ENOMEM:
        return QStringLiteral("Es ist nicht genug Arbeitsspeicher frei.");
    case EXDEV:
        return QStringLiteral("Die Datei kann nicht auf einen anderen Datenträger verschoben "
                              "werden.");
    default:
        return QString();
    }
}

QString FileErrorText(QFileDevice::FileError error, int systemError)
{
    if (const QString text = SystemErrorText(systemError); !text.isEmpty())
        return text;
    switch (error) {
    case QFileDevice::ReadError:
        return QStringLiteral("Die Datei konnte nicht gelesen werden.");
    case QFileDevice::WriteError:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
    case QFileDevice::OpenError:
        return QStringLiteral("Die Datei konnte nicht geöffnet werden.");
    case QFileDevice::AbortError:
        return QStringLiteral("Der Vorgang wurde abgebrochen.");
    case QFileDevice::TimeOutError:
        return QStringLiteral("Der Zugriff hat zu lange gedauert.");
    case QFileDevice::RemoveError:
        return QStringLiteral("Die Datei konnte nicht gelöscht werden.");
    case QFileDevice::RenameError:
        return QStringLiteral("Die Datei konnte nicht umbenannt werden.");
    case QFileDevice::PositionError:
        return QStringLiteral("Die Position in der Datei konnte nicht gesetzt werden.");
    case QFileDevice::ResizeError:
        return QStringLiteral("Die Größe der Datei konnte nicht geändert werden.");
    case QFileDevice::PermissionsError:
        return QStringLiteral("Zugriff verweigert: Es fehlt die Berechtigung.");
    case QFileDevice::CopyError:
        return QStringLiteral("Die Datei konnte nicht kopiert werden.");
    case QFileDevice::ResourceError:
        return QStringLiteral("Das System hat nicht genug Mittel frei.");
    case QFileDevice::FatalError:
    case QFileDevice::UnspecifiedError:
    case QFileDevice::NoError:
        break;
    }
    return QStringLiteral("Unbekannter Fehler beim Zugriff auf die Datei.");
}

QString FileErrorText(const QFileDevice& file, int systemError)
{
    return FileErrorText(file.error(), systemError);
}
