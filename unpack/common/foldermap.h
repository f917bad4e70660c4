#pragma once

#include <QMultiHash>
#include <QString>

#include <cstdint>

namespace orv {

// Collects folder paths for the Files/Folders counts. A path brings its ancestors along, so a folder that
// is only implied by the paths of its contents still counts once.
class FolderMap
{
public:
    // h = h * 33 + c over the UTF-16 units, unsigned 32-bit, case-sensitive.
    static std::uint32_t hashKey(const QString &path);

    // Inserts the path and each ancestor; answers how many of them were new.
    int add(const QString &path);
    bool contains(const QString &path) const;
    qsizetype size() const { return m_paths.size(); }
    void clear() { m_paths.clear(); }

private:
    bool insert(const QString &path);

    // The key only picks the bucket: two folders whose keys collide are still two folders.
    QMultiHash<std::uint32_t, QString> m_paths;
};

}  // namespace orv
