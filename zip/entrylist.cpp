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

ArchiveEntry impliedFolder(const QString &path, std::int64_t modified)
{
    ArchiveEntry implied;
    implied.path = path;
    implied.storedPath = path;
    implied.type = ArchiveEntry::Type::Folder;
    implied.modified = modified;
    implied.mode = 040755;
    implied.implied = true;
    return implied;
}

}  // namespace

void EntryList::clear()
{
    m_entries.clear();
    m_byPath.clear();
    m_folders.clear();
    m_lastFile.clear();
    m_tracksFiles = false;
}

void EntryList::trackFiles()
{
    if (m_tracksFiles)
        return;
    for (int i = 0; i < size(); ++i)
        if (at(i).type == ArchiveEntry::Type::File)
            m_lastFile.insert(at(i).path, i);
    m_tracksFiles = true;
}

void EntryList::add(ArchiveEntry entry)
{
    const int index = size();
    const QString folded = key(entry.path);
    m_byPath.insert(folded, index);
    if (entry.isFolder())
        m_folders.insert(folded, index);
    if (entry.type == ArchiveEntry::Type::File && m_tracksFiles)
        m_lastFile.insert(entry.path, index);
    if (entry.type == ArchiveEntry::Type::HardLink) {
        trackFiles();
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
    // Items of one folder mostly follow each other: a parent seen before already has all its ancestors.
    QSet<QString> parentsDone;
    QString lastParent;
    const int realCount = size();
    for (int i = 0; i < realCount; ++i) {
        const QString path = at(i).path;  // a copy: adding entries moves the vector
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            continue;
        const QStringView parent = QStringView(path).left(slash);
        if (parent == lastParent)
            continue;
        lastParent = parent.toString();
        if (parentsDone.contains(lastParent))
            continue;
        parentsDone.insert(lastParent);
        for (const QString &folder : impliedAncestors(path)) {
            if (folders.contains(folder))
                continue;
            folders.insert(folder);
            add(impliedFolder(folder, modified));
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
