#include "damage.h"

namespace orv {

QString damagedArchiveText(const QString &reason)
{
    return QStringLiteral("The archive is damaged: %1.").arg(reason);
}

}  // namespace orv
