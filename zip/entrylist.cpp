#include "entrylist.h"

#include "unpack/common/records.h"

namespace orv::zip {

void fillShortInfo(FILESHORTINFO &record, const ArchiveEntry &entry)
{
    record = FILESHORTINFO{};
    fillNames(record, entry.path);
    record.bFolder = entry.isFolder() ? 1 : 0;
    record.bSubFolder = entry.path.contains(QLatin1Char('/')) ? 1 : 0;
}

namespace {

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
    m_indexBuilt = false;
    m_lastFile.clear();
    m_tracksFiles = false;
    m_byFolded.clear();
    m_foldedBuilt = false;
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
    if (m_indexBuilt) {
        m_byPath.insert(entry.path, index);
        if (entry.isFolder())
            m_folders.insert(entry.path, index);
    }
    if (m_foldedBuilt) {
        const QString folded = entry.path.toCaseFolded();
        if (!m_byFolded.contains(folded))
            m_byFolded.insert(folded, index);
    }
    if (entry.type == ArchiveEntry::Type::File && m_tracksFiles)
        m_lastFile.insert(entry.path, index);
    if (entry.type == ArchiveEntry::Type::HardLink) {
        trackFiles();
        const auto source = m_lastFile.constFind(normaliseEntryPath(entry.linkTarget));
        if (source != m_lastFile.cend()) {
            entry.source = *source;
            entry.size = at(*source).size;
            // A later link may name this one: it stands for the same file.
            m_lastFile.insert(entry.path, entry.source);
        }
    }
    m_entries.push_back(std::move(entry));
}

void EntryList::addImpliedFolders(std::int64_t modified)
{
    ImpliedFolders implied;
    for (const ArchiveEntry &entry : m_entries)
        implied.addItem(entry.path, entry.isFolder());
    for (const QString &folder : implied.folders())
        add(impliedFolder(folder, modified));
}

void EntryList::indexOnce() const
{
    if (m_indexBuilt)
        return;
    m_byPath.reserve(size());
    for (int i = 0; i < size(); ++i) {
        m_byPath.insert(at(i).path, i);
        if (at(i).isFolder())
            m_folders.insert(at(i).path, i);
    }
    m_indexBuilt = true;
}

QString EntryList::spelling(const QString &path) const
{
    indexOnce();
    if (m_byPath.contains(path))
        return path;
    if (!m_foldedBuilt) {
        // Backwards, so that the first item of each spelling is the one kept.
        for (int i = size() - 1; i >= 0; --i)
            m_byFolded.insert(at(i).path.toCaseFolded(), i);
        m_foldedBuilt = true;
    }
    const auto it = m_byFolded.constFind(path.toCaseFolded());
    return it == m_byFolded.cend() ? path : at(*it).path;
}

std::optional<int> EntryList::findExact(const QString &path) const
{
    indexOnce();
    const auto it = m_byPath.constFind(path);
    if (it == m_byPath.cend())
        return std::nullopt;
    return *it;
}

std::optional<int> EntryList::find(const QString &path) const
{
    return findExact(spelling(path));
}

std::optional<int> EntryList::findExactFolder(const QString &path) const
{
    indexOnce();
    const auto it = m_folders.constFind(path);
    if (it == m_folders.cend())
        return std::nullopt;
    return *it;
}

std::optional<int> EntryList::findFolder(const QString &path) const
{
    return findExactFolder(spelling(path));
}

QString EntryList::folderSpelling(const QString &path) const
{
    const std::optional<int> index = findFolder(path);
    return index ? at(*index).path : path;
}

}  // namespace orv::zip
