#include "treelevels.h"

#include "finder/archive/archivelisting.h"
#include "finder/search/listingcatalogue.h"
#include "platform/numbers.h"
#include "platform/promptwatch.h"
#include "unpack/common/entrylookup.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace orv {

namespace {

enum class DiskItem { Folder, File, Other };

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// The directory entry's own type where the file system gives it; links and unknown types are looked up,
// so a link to a folder is a folder, as it is for the shell.
DiskItem typeOf(const QByteArray &folder, const dirent &entry)
{
    if (entry.d_type == DT_DIR)
        return DiskItem::Folder;
    if (entry.d_type == DT_REG)
        return DiskItem::File;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return DiskItem::Other;
    struct stat st{};
    const QByteArray full = folder + '/' + entry.d_name;
    if (::stat(full.constData(), &st) != 0)
        return DiskItem::Other;
    if (S_ISDIR(st.st_mode))
        return DiskItem::Folder;
    return S_ISREG(st.st_mode) ? DiskItem::File : DiskItem::Other;
}

// Calls visit(name, type) for every item of a folder but "." and ".."; visit returns false to stop.
// A folder that cannot be read has no items.
template <typename Visit>
void forEachDiskItem(const QString &folder, Visit visit)
{
    const QByteArray encoded = QFile::encodeName(folder);
    const DirHandle dir(::opendir(encoded.isEmpty() ? "." : encoded.constData()));
    if (!dir || folder.isEmpty())
        return;
    while (const dirent *entry = ::readdir(dir.get())) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (!visit(QFile::decodeName(name), typeOf(encoded, *entry)))
            return;
    }
}

bool isArchiveName(CArchiveAccess &access, const QString &folder, const QString &name)
{
    // The extension decides before anything is probed: most files are no archive and cost nothing.
    return name.contains(QLatin1Char('.')) && access.IsArchiveFile(joinPath(folder, name));
}

// The children of one level: a folder has content exactly when some entry lies strictly below it, whether
// or not the archive records the folder itself. Names that differ in case alone are two children.
class LevelItems
{
public:
    // An entry below the level, by its path relative to the level.
    void add(QStringView relative, bool folder)
    {
        const qsizetype slash = relative.indexOf(QLatin1Char('/'));
        const QStringView first = slash < 0 ? relative : relative.first(slash);
        if (first.isEmpty())
            return;
        if (slash >= 0 || folder)
            addFolder(first.toString(), slash >= 0);
        else
            m_level.files.append({first.toString(), false});
    }

    ArchiveLevel take() { return std::move(m_level); }

private:
    void addFolder(const QString &name, bool hasContent)
    {
        const auto found = m_folderIndex.constFind(name);
        if (found == m_folderIndex.cend()) {
            m_folderIndex.insert(name, m_level.folders.size());
            m_level.folders.append({name, hasContent});
        } else if (hasContent) {
            m_level.folders[*found].expandable = true;
        }
    }

    ArchiveLevel m_level;
    QHash<QString, qsizetype> m_folderIndex;
};

// Gathers one level in a single pass. The entries below a spelling of the inner path in other case are
// gathered apart and shown only when no entry has the inner path's own spelling.
class LevelCollector
{
public:
    explicit LevelCollector(const QString &innerPath) : m_lookup(innerPath), m_innerSize(innerPath.size()) {}

    void add(const ArchiveEntry &entry)
    {
        QString path = entry.path;
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        const SpellingLookup::Match match = m_lookup.offer(path, entry.folder);
        if (match == SpellingLookup::Match::None || path.size() == m_innerSize)
            return;
        const QStringView relative = m_innerSize == 0 ? QStringView(path) : QStringView(path).sliced(m_innerSize + 1);
        (match == SpellingLookup::Match::Exact ? m_exact : m_folded).add(relative, entry.folder);
    }

    ArchiveLevel take() { return m_lookup.exactFound() ? m_exact.take() : m_folded.take(); }

private:
    SpellingLookup m_lookup;
    qsizetype m_innerSize;
    LevelItems m_exact;
    LevelItems m_folded;
};

void sortItems(QList<ArchiveLevelItem> &items)
{
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        keys.emplace_back(items[i].name.toCaseFolded(), i);
    // Names equal but for case keep a fixed order among themselves, whatever order the archive has them in.
    std::stable_sort(keys.begin(), keys.end(), [&items](const auto &a, const auto &b) {
        if (a.first != b.first)
            return a.first < b.first;
        return items[a.second].name < items[b.second].name;
    });
    QList<ArchiveLevelItem> sorted;
    sorted.reserve(items.size());
    for (const auto &key : keys)
        sorted.append(std::move(items[key.second]));
    items = std::move(sorted);
}

// One level from the entries in the order the reader lists them, the tar of a compressed tar first: the
// same level whether the entries come from the reader or from a listing kept in the catalogue.
class LevelBuilder
{
public:
    LevelBuilder(ArchiveKindCode kind, const QString &innerPath, bool tarInside)
        : m_tarAlone(isCompressedStreamKind(kind) && innerPath.isEmpty()), m_tarInside(tarInside),
          m_collector(innerPath)
    {
    }

    // False once the level needs no more entries.
    bool add(ArchiveEntry entry)
    {
        const bool first = m_count++ == 0;
        if (m_tarAlone) {
            if (first && !entry.path.isEmpty())
                m_level.files.append({entry.path, m_tarInside});
            return false;
        }
        // Below the tar's name, as the reader's TarNames::UnderTar gives them.
        if (m_tarInside) {
            if (first)
                m_tarPrefix = entry.path + QLatin1Char('/');
            else
                entry.path.prepend(m_tarPrefix);
        }
        m_collector.add(entry);
        return true;
    }

    ArchiveLevel take()
    {
        ArchiveLevel level = m_tarAlone ? std::move(m_level) : m_collector.take();
        level.opened = true;
        sortItems(level.folders);
        sortItems(level.files);
        return level;
    }

private:
    bool m_tarAlone;
    bool m_tarInside;
    qint64 m_count = 0;
    QString m_tarPrefix;
    ArchiveLevel m_level;
    LevelCollector m_collector;
};

ArchiveLevel levelOfListing(ArchiveKindCode kind, const QString &innerPath, const CataloguedListing &listing)
{
    LevelBuilder builder(kind, innerPath, listing.tarInside);
    for (const ArchiveEntry &entry : listing.entries) {
        if (!builder.add(entry))
            break;
    }
    return builder.take();
}

// Reads the level from the archive; with a stamp, the whole listing too, which is kept when nothing was asked
// or shown and no password entered: the names of an archive that needs one may be secret.
ArchiveLevel readLevel(CArchiveAccess &access, const QString &archivePath, ArchiveKindCode kind,
                       const QString &innerPath, CListingCatalogue *catalogue,
                       const std::optional<ArchiveStamp> &stamp)
{
    std::optional<CPromptWatch> questions;
    if (catalogue && stamp)
        questions.emplace();
    const COpenedArchive archive = access.Open(archivePath, kind);
    if (!archive)
        return {};
    const bool tarInside = isCompressedStreamKind(kind) && archive->isTarInside();
    std::optional<CataloguedListing> captured;
    if (questions)
        captured.emplace().tarInside = tarInside;
    LevelBuilder builder(kind, innerPath, tarInside);
    bool wanted = true;
    forEachEntry(archive.reader(), TarNames::AsListed, [&](const ArchiveEntry &entry) {
        if (captured)
            captured->entries.push_back(entry);
        wanted = wanted && builder.add(entry);
        return wanted || captured;
    });
    if (captured && !questions->asked() && !archive->enteredPassword()) {
        catalogue->store(archivePath, kind, *stamp, *captured);
        catalogue->commit();
    }
    return builder.take();
}

}  // namespace

QString joinPath(const QString &base, const QString &name)
{
    if (base.endsWith(QLatin1Char('/')))
        return base + name;
    return base + QLatin1Char('/') + name;
}

void sortNames(QStringList &names)
{
    QList<ArchiveLevelItem> items;
    items.reserve(names.size());
    for (QString &name : names)
        items.append({std::move(name), false});
    sortItems(items);
    names.clear();
    for (ArchiveLevelItem &item : items)
        names.append(std::move(item.name));
}

FolderLevel listFolderLevel(const QString &folder, CArchiveAccess &access)
{
    FolderLevel level;
    forEachDiskItem(folder, [&](const QString &name, DiskItem type) {
        if (type == DiskItem::Folder)
            level.folders.append(name);
        else if (type == DiskItem::File && isArchiveName(access, folder, name))
            level.archives.append(name);
        return true;
    });
    sortNames(level.folders);
    sortNames(level.archives);
    return level;
}

bool folderHasContent(const QString &folder, CArchiveAccess &access)
{
    bool found = false;
    forEachDiskItem(folder, [&](const QString &name, DiskItem type) {
        found = type == DiskItem::Folder || (type == DiskItem::File && isArchiveName(access, folder, name));
        return !found;
    });
    return found;
}

ArchiveLevel listArchiveLevel(CArchiveAccess &access, const QString &archivePath, ArchiveKindCode kind,
                              const QString &innerPath, CListingCatalogue *catalogue)
{
    const std::optional<ArchiveStamp> stamp = catalogue ? ArchiveStamp::of(archivePath) : std::nullopt;
    if (stamp) {
        if (const std::optional<CataloguedListing> known = catalogue->find(archivePath, kind, *stamp))
            return levelOfListing(kind, innerPath, *known);
    }
    return readLevel(access, archivePath, kind, innerPath, catalogue, stamp);
}

QString objectsText(const FolderLevel &level)
{
    const auto objects = std::uint64_t(level.folders.size() + level.archives.size());
    return QCoreApplication::translate("COrvelArchiveTree", "Objects: %1 (including archives: %2)")
        .arg(formatNumber64(objects), formatNumber64(std::uint64_t(level.archives.size())));
}

SelectionStatus selectionStatus(CArchiveAccess &access, const QString &path, bool openErrorsSuppressed)
{
    const CArchiveAccess::Located archive = access.locateArchive(path);
    if (archive.kind == ArchiveKind::None || archive.kind == ArchiveKind::Ace)
        return {objectsText(listFolderLevel(path, access))};
    if (openErrorsSuppressed && isZipGroup(archive.kind))
        return {};
    const COpenedArchive opened = access.Open(archive.path, archive.kind);
    if (!opened)
        return {QCoreApplication::translate("COrvelArchiveTree", "Invalid archive"), true};
    const QString inner = innerPathOf(path, archive.path);
    QString text;
    if (inner.isEmpty())
        text = opened->archiveOutputInfo();
    else
        text = opened->isFolder(inner) ? opened->folderOutputInfo(inner) : opened->fileOutputInfo(inner);
    const QString damage = opened->damageText();
    // The damage comes first: a long line is cut at its end.
    if (damage.isEmpty())
        return {text};
    return {text.isEmpty() ? damage : damage + QLatin1Char(' ') + text};
}

}  // namespace orv
