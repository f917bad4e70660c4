#include "entrylist.h"

#include "unpack/common/records.h"

#include <QSet>

namespace orv::zip {

namespace {

// The ancestors a path implies, nearest last; none past a ".." component, which names no folder of the
// archive.
QStringList impliedAncestors(const QString &path)
{
    QStringList ancestors;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString prefix;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] == QLatin1String(".."))
            break;
        prefix = prefix.isEmpty() ? parts[i] : prefix + QLatin1Char('/') + parts[i];
        ancestors << prefix;
    }
    return ancestors;
}

}  // namespace

void EntryList::clear()
{
    m_entries.clear();
    m_byPath.clear();
    m_folders.clear();
    m_lastFile.clear();
}

void EntryList::add(ArchiveEntry entry)
{
    const int index = size();
    const QString folded = key(entry.path);
    m_byPath.insert(folded, index);
    if (entry.isFolder())
        m_folders.insert(folded, index);
    if (entry.type == ArchiveEntry::Type::File)
        m_lastFile.insert(entry.path, index);
    if (entry.type == ArchiveEntry::Type::HardLink) {
        const auto source = m_lastFile.constFind(normaliseEntryPath(entry.linkTarget));
        if (source != m_lastFile.cend()) {
            entry.source = *source;
            entry.size = at(*source).size;
        }
    }
    m_entries.push_back(std::move(entry));
}

void EntryList::addImpliedFolders(std::int64_t modified)
{
    // Case matters here: "A/x" and "a/y" in a tar are two folders.
    QSet<QString> folders;
    for (const ArchiveEntry &entry : m_entries)
        if (entry.isFolder())
            folders.insert(entry.path);
    const int realCount = size();
    for (int i = 0; i < realCount; ++i) {
        const QStringList ancestors = impliedAncestors(at(i).path);
        for (const QString &folder : ancestors) {
            if (folders.contains(folder))
                continue;
            folders.insert(folder);
            ArchiveEntry implied;
            implied.path = folder;
            implied.storedPath = folder;
            implied.type = ArchiveEntry::Type::Folder;
            implied.modified = modified;
            implied.mode = 040755;
            implied.implied = true;
            add(std::move(implied));
        }
    }
}

std::optional<int> EntryList::find(const QString &path) const
{
    const auto it = m_byPath.constFind(key(path));
    if (it == m_byPath.cend())
        return std::nullopt;
    return *it;
}

std::optional<int> EntryList::findFolder(const QString &path) const
{
    const auto it = m_folders.constFind(key(path));
    if (it == m_folders.cend())
        return std::nullopt;
    return *it;
}

}  // namespace orv::zip
