#include "foldermap.h"

namespace orv {

std::uint32_t FolderMap::hashKey(const QString &path)
{
    std::uint32_t h = 0;
    for (const QChar c : path)
        h = h * 33u + c.unicode();
    return h;
}

bool FolderMap::contains(const QString &path) const
{
    return m_paths.contains(hashKey(path), path);
}

bool FolderMap::insert(const QString &path)
{
    if (path.isEmpty() || contains(path))
        return false;
    m_paths.insert(hashKey(path), path);
    return true;
}

int FolderMap::add(const QString &path)
{
    int added = 0;
    QString current = path;
    // A known path brought its ancestors along when it came, so the walk up can stop there.
    while (!current.isEmpty() && insert(current)) {
        ++added;
        const qsizetype slash = current.lastIndexOf(QLatin1Char('/'));
        current = slash < 0 ? QString() : current.left(slash);
    }
    return added;
}

}  // namespace orv
