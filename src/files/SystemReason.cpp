// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SystemReason.h"

#include <cerrno>

QString SystemReason(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("Die Datei oder der Ordner existiert nicht.");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EISDIR:
        return QStringLiteral("Der Name gehört zu einem Ordner, nicht zu einer Datei.");
    case EINVAL:
        return QStringLiteral("Das ist keine gewöhnliche Datei.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Keine Berechtigung.");
    case EROFS:
        return QStringLiteral("Das Dateisystem ist schreibgeschützt.");
    case ENOSPC:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("Der Speicherplatz, der Ihnen zusteht, ist aufgebraucht.");
#endif
    case EFBIG:
        return QStringLiteral("Die Datei ist zu groß.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Name ist zu lang.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Zu viele offene Dateien.");
    case EBUSY:
        return QStringLiteral("Die Datei wird gerade von einem anderen Programm benutzt.");
    case EEXIST:
        return QStringLiteral("Die Datei existiert bereits.");
    case ENOMEM:
        return QStringLiteral("Nicht genügend Arbeitsspeicher.");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler beim Zugriff auf den Datenträger.");
    default:
        return QStringLiteral("Systemfehler %1.").arg(error);
    }
}
