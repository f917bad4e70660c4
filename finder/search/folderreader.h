#pragma once

#include "finder/search/listingcatalogue.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

#include <dirent.h>
#include <sys/stat.h>

namespace orv {

// One thing in a folder, as a link leads to it.
struct FolderItem
{
    QString name;
    QString path;
    bool folder = false;
    bool file = false;  // a regular file: no device, pipe or socket
    std::uint64_t size = 0;
    // Seconds as a file's times read to the millisecond give them (rounded toward 1970).
    std::int64_t modifiedSeconds = 0;
    // The birth time, or the change time where the file system keeps none.
    std::int64_t createdSeconds = 0;
    ArchiveStamp stamp;
};

// The thing at a path, as the walk would see it in its folder; none when nothing can be looked at there.
std::optional<FolderItem> folderItemAt(const QString &path);

// The things in one folder in the order the file system gives them, "." and ".." left out, each looked
// at once: the walk of a search needs the kind, the size, the times and what tells one version of a file
// from another, and one statx gives them all.
class CFolderReader
{
public:
    explicit CFolderReader(const QString &folder);

    // False at the end, and for a folder that cannot be read. A name that leads nowhere (a link whose
    // target is gone) is passed over.
    bool next(FolderItem &item);

private:
    struct Closer
    {
        void operator()(DIR *dir) const { ::closedir(dir); }
    };

    std::unique_ptr<DIR, Closer> m_dir;
    QString m_prefix;
};

}  // namespace orv
