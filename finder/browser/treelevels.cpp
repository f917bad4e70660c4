#include "treelevels.h"

#include "finder/archive/archivelisting.h"
#include "platform/numbers.h"

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

QString firstEntryName(IUnpacker &unpacker)
{
    QString name;
    forEachEntry(unpacker, TarNames::AsListed, [&](const ArchiveEntry &entry) {
        name = entry.path;
        return false;
    });
    return name;
}

// Gathers the children of one level in a single pass: a folder has content exactly when some entry lies
// strictly below it, whether or not the archive records the folder itself. Folder names differing only in
// case are one folder, as the readers locate items without regard to case.
class LevelCollector
{
public:
    explicit LevelCollector(const QString &innerPath) : m_inner(innerPath) {}

    void add(const ArchiveEntry &entry)
    {
        QString remainder = entry.path;
        while (remainder.endsWith(QLatin1Char('/')))
            remainder.chop(1);
        if (!entryIsAtOrBelow(remainder, m_inner) || remainder.size() == m_inner.size())
            return;
        if (!m_inner.isEmpty())
            remainder = remainder.mid(m_inner.size() + 1);
        const qsizetype slash = remainder.indexOf(QLatin1Char('/'));
        const QString first = slash < 0 ? remainder : remainder.left(slash);
        if (first.isEmpty())
            return;
        if (slash >= 0 || entry.folder)
            addFolder(first, slash >= 0);
        else
            m_level.files.append({first, false});
    }

    ArchiveLevel take() { return std::move(m_level); }

private:
    void addFolder(const QString &name, bool hasContent)
    {
        const QString key = name.toCaseFolded();
        const auto found = m_folderIndex.constFind(key);
        if (found == m_folderIndex.cend()) {
            m_folderIndex.insert(key, m_level.folders.size());
            m_level.folders.append({name, hasContent});
        } else if (hasContent) {
            m_level.folders[*found].expandable = true;
        }
    }

    QString m_inner;
    ArchiveLevel m_level;
    QHash<QString, qsizetype> m_folderIndex;
};

void sortItems(QList<ArchiveLevelItem> &items)
{
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        keys.emplace_back(items[i].name.toCaseFolded(), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<ArchiveLevelItem> sorted;
    sorted.reserve(items.size());
    for (const auto &key : keys)
        sorted.append(std::move(items[key.second]));
    items = std::move(sorted);
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

bool isCompressedStreamKind(ArchiveKindCode kind)
{
    return kind == ArchiveKind::GZip || kind == ArchiveKind::BZip2 || kind == ArchiveKind::Xz;
}

ArchiveLevel listArchiveLevel(CArchiveAccess &access, const QString &archivePath, ArchiveKindCode kind,
                              const QString &innerPath)
{
    if (!access.OpenArchiveOfKind(archivePath, kind))
        return {};
    IUnpacker *unpacker = access.CurrentUnpacker(kind);
    ArchiveLevel level;
    if (isCompressedStreamKind(kind) && innerPath.isEmpty()) {
        const QString name = firstEntryName(*unpacker);
        if (!name.isEmpty())
            level.files.append({name, unpacker->isTarInside()});
    } else {
        LevelCollector collector(innerPath);
        forEachEntry(*unpacker, TarNames::UnderTar, [&](const ArchiveEntry &entry) {
            collector.add(entry);
            return true;
        });
        level = collector.take();
    }
    access.CloseArchiveOfKind(kind);
    level.opened = true;
    sortItems(level.folders);
    sortItems(level.files);
    return level;
}

QString objectsText(const FolderLevel &level)
{
    const auto objects = std::uint64_t(level.folders.size() + level.archives.size());
    return QCoreApplication::translate("COrvelArchiveTree", "Objects: %1 (including archives: %2)")
        .arg(formatNumber64(objects), formatNumber64(std::uint64_t(level.archives.size())));
}

QString selectionStatusText(CArchiveAccess &access, const QString &path, bool openErrorsSuppressed)
{
    const CArchiveAccess::Located archive = access.locateArchive(path);
    if (archive.kind == ArchiveKind::None || archive.kind == ArchiveKind::Ace)
        return objectsText(listFolderLevel(path, access));
    if (openErrorsSuppressed && isZipGroup(archive.kind))
        return {};
    if (!access.OpenArchiveOfKind(archive.path, archive.kind))
        return QCoreApplication::translate("COrvelArchiveTree", "Invalid archive");
    IUnpacker *unpacker = access.CurrentUnpacker(archive.kind);
    const QString inner = innerPathOf(path, archive.path);
    QString text;
    if (inner.isEmpty())
        text = unpacker->archiveOutputInfo();
    else if (unpacker->isFolder(inner))
        text = unpacker->folderOutputInfo(inner);
    else
        text = unpacker->fileOutputInfo(inner);
    const QString damage = unpacker->damageText();
    access.CloseArchiveOfKind(archive.kind);
    // The damage comes first: a long line is cut at its end.
    if (damage.isEmpty())
        return text;
    return text.isEmpty() ? damage : damage + QLatin1Char(' ') + text;
}

}  // namespace orv
