#include "platform/machine_identity.h"

#include <QCryptographicHash>
#include <QFile>

QString MachineIdentity::tag()
{
    for (const char *place : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile file(QString::fromLatin1(place));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray id = file.readAll().trimmed();
        if (id.isEmpty())
            continue;
        // A digest, not the id itself: the machine id is not to be spread.
        return QString::fromLatin1(QCryptographicHash::hash(QByteArray("lexomat:" + id), QCryptographicHash::Sha256).toHex().left(16));
    }
    return QString();
}
