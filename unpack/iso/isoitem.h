#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace orv::iso {

// One run of a UDF file's data as its allocation descriptor records it.
struct UdfExtent
{
    std::uint32_t length = 0;  // bytes, extent type already masked off
    std::uint32_t block = 0;   // logical block within the partition
    std::uint16_t partition = 0;
    bool recorded = true;  // false: allocated or not, nothing is written there and it reads as zeros
};

// One item of the image, as the scan of either file system left it. The list of items is in pre-order:
// a directory comes before everything below it.
struct CIsoItemInfo
{
    QString name;
    QString path;  // "/"-separated, no leading separator
    bool directory = false;
    bool hidden = false;
    std::int64_t modified = 0;  // seconds since 1970

    // ISO 9660
    std::uint32_t extent = 0;
    std::uint32_t dataLength = 0;

    // UDF
    std::int64_t accessed = 0;
    std::uint64_t informationLength = 0;
    std::uint64_t blocksRecorded = 0;
    std::vector<UdfExtent> extents;
    QByteArray embedded;
    bool isEmbedded = false;
    int volume = -1;
};

// A name from the image made fit to be one path component: a separator or NUL inside it would split it
// into components the image never had, so they become "_"; an empty name becomes "_" too. "." and ".."
// stay as they are and the extraction check refuses them.
QString componentName(QString name);

// parent + "/" + name, or the name alone at the top.
QString childPath(const QString &parent, const QString &name);

}  // namespace orv::iso
