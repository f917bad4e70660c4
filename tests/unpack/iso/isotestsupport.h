#pragma once

// Helpers of the disc image tests: running the image tools, 7-Zip's listing as an oracle, the reader's own
// listing, and two small builders for the layouts no tool makes.

#include "tests/support/tools.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace orv {
class CIsoUnpacker;
}

namespace orv::test {

// What a listing says about one item.
struct Listed
{
    bool folder = false;
    std::uint64_t size = 0;  // 0 for folders
    friend bool operator==(const Listed &, const Listed &) = default;
};
using Listing = QMap<QString, Listed>;

Listing listWith7z(const QString &image);
// Every item of an open unpacker, by one enumeration.
Listing listWithUnpacker(CIsoUnpacker &unpacker);
QString describe(const Listing &listing);

// A source tree for the tools: nested folders, an empty file and folder, a file larger than one copy
// buffer and a file with no extension. Answers the relative paths of the files.
QStringList makeSourceTree(const QString &root);

// ---- hand-built ISO 9660 ----

struct IsoRecord
{
    QByteArray identifier;
    std::uint32_t extent = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;  // 1 hidden, 2 directory
    std::array<std::uint8_t, 6> time{{124, 5, 17, 10, 20, 30}};  // 2024-05-17 10:20:30
};

// 2048-byte blocks, zero-filled; descriptors and directories placed where the test wants them.
class IsoBuilder
{
public:
    explicit IsoBuilder(int blocks) : m_image(blocks * 2048, '\0') {}

    void primaryVolume(int block, std::uint32_t rootExtent, std::uint32_t rootLength);
    void terminator(int block);
    // Writes the records one after another from the start of the block; a record that would cross a
    // block boundary, or one listed in breakBefore, starts the next block after zero padding.
    void directory(int block, const std::vector<IsoRecord> &records, const std::vector<int> &breakBefore = {});
    void bytes(std::size_t offset, const QByteArray &data) { m_image.replace(qsizetype(offset), data.size(), data); }
    const QByteArray &image() const { return m_image; }

private:
    QByteArray m_image;
};

// The self and parent records every directory starts with.
std::vector<IsoRecord> dots(std::uint32_t self, std::uint32_t parent);

// ---- hand-built UDF ----

struct UdfFile
{
    QString path;        // a path ending in "/" is a folder
    QByteArray data;
    bool embedded = false;
};

struct UdfOptions
{
    std::uint32_t sectorSize = 2048;
    bool extendedEntries = false;        // Extended File Entries (tag 266) instead of File Entries
    bool longAllocation = false;          // long allocation descriptors instead of short ones
    bool extendedAllocation = false;      // files claim extended allocation descriptors
    bool compression16 = false;           // names in UTF-16, high byte first
    bool badPadding = false;              // a non-zero padding byte after the first named descriptor
    bool secondVolumeSamePartition = false;
    std::uint8_t mapType = 1;
    bool loop = false;  // the first folder lists the root directory as a child
};

QByteArray buildUdf(const std::vector<UdfFile> &files, const UdfOptions &options = {});

}  // namespace orv::test
