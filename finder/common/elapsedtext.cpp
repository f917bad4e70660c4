#include "elapsedtext.h"

#include <QCoreApplication>

namespace orv {

std::optional<QString> CElapsedText::update(qint64 elapsedMs)
{
    const qint64 seconds = elapsedMs / 1000;
    if (seconds == m_shownSeconds)
        return std::nullopt;
    m_shownSeconds = seconds;
    return QCoreApplication::translate("CElapsedText", "Elapsed time: %1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace orv
