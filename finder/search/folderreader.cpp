#include "folderreader.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>

namespace orv {

namespace {

std::int64_t milliseconds(const statx_timestamp &time)
{
    return std::int64_t(time.tv_sec) * 1000 + std::int64_t(time.tv_nsec) / 1000000;
}

void fill(FolderItem &item, const struct statx &st)
{
    item.folder = S_ISDIR(st.stx_mode);
    item.file = S_ISREG(st.stx_mode);
    item.size = st.stx_size;
    item.modifiedSeconds = milliseconds(st.stx_mtime) / 1000;
    // A birth time of 0 is none, as to QFileInfo.
    const bool born = (st.stx_mask & STATX_BTIME) && milliseconds(st.stx_btime) != 0;
    item.createdSeconds = milliseconds(born ? st.stx_btime : st.stx_ctime) / 1000;
    item.stamp = ArchiveStamp::of(st);
}

}  // namespace

std::optional<FolderItem> folderItemAt(const QString &path)
{
    struct statx st{};
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_STATX_SYNC_AS_STAT,
                STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return std::nullopt;
    FolderItem item;
    item.name = QStringView(path).sliced(path.lastIndexOf(QLatin1Char('/')) + 1).toString();
    item.path = path;
    fill(item, st);
    return item;
}

CFolderReader::CFolderReader(const QString &folder)
    : m_dir(::opendir(QFile::encodeName(folder).constData())),
      m_prefix(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
{
}

bool CFolderReader::next(FolderItem &item)
{
    if (!m_dir)
        return false;
    while (const dirent *entry = ::readdir(m_dir.get())) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct statx st{};
        if (::statx(::dirfd(m_dir.get()), name, AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
            continue;
        item.name = QFile::decodeName(name);
        item.path = m_prefix + item.name;
        fill(item, st);
        return true;
    }
    return false;
}

}  // namespace orv
