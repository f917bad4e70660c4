#pragma once

#include <QString>
#include <QStringList>

#include <set>

namespace orv {

// Moves dragged bookmarks and folders into a folder of the store. A bookmark that meets one of the same
// name asks before replacing it; "Yes To All" is remembered per kind of existing file (plain, system,
// read-only, hidden) for as long as the mover lives, which is the manager's lifetime.
class CBookmarkMover
{
public:
    // Moves each path into the folder in order; false when the user cancelled the drop. A bookmark is never
    // lost: a replaced one goes only when the moved one takes its place in the same step, and an item
    // already in the folder stays where it is.
    bool MoveInto(const QStringList &sources, const QString &targetFolder);

    // Whether a path may be dropped onto the folder at all: not onto itself or below itself.
    static bool canDropInto(const QString &source, const QString &targetFolder);

private:
    enum class Step { Next, Stop };
    enum class Kind { Plain, System, ReadOnly, Hidden };

    Step moveOne(const QString &source, const QString &targetFolder);
    Step replace(const QString &source, const QString &target);
    static Kind kindOf(const QString &path);

    std::set<Kind> m_yesToAll;
};

}  // namespace orv
