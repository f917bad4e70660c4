#include "damage.h"

namespace orv {

QString damagedArchiveText(const QString &reason)
{
    return QStringLiteral("The archive is damaged: %1.").arg(reason);
}

QString missingVolumeText(const QString &volumePath)
{
    return QStringLiteral("Cannot find the volume %1.").arg(volumePath);
}

}  // namespace orv
