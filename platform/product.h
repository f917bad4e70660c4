#pragma once

#include <QString>

namespace orv {

// The program's name: the caption of its messages, and the name under which its settings, its folders and
// its framework state are kept.
inline QString productName()
{
    return QStringLiteral("Orvel-ZIP Finder");
}

inline QString organizationName()
{
    return QStringLiteral("Orvel Systems");
}

}  // namespace orv
