#pragma once

// The data of RAR entries, decompressed by libarchive's RAR and RAR5 readers over all volumes of a set.
// Entries are reached by their position in the archive, the same order in which the headers were
// listed; the reader only moves forward and starts over when an earlier entry is wanted.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct archive;

namespace orv::rar {

struct RarHeader;

// Takes each decompressed block; false stops the read.
using DataSink = std::function<bool(const char *data, std::size_t size)>;

enum class ReadStatus { Ok, Stopped, BadData, CrcError, Unreachable };

struct ReadResult
{
    ReadStatus status = ReadStatus::Ok;
    QString errorText;
};

class DataReader
{
public:
    explicit DataReader(QStringList volumes);
    ~DataReader();
    DataReader(const DataReader &) = delete;
    DataReader &operator=(const DataReader &) = delete;

    // Hands the data of the entry at this position to the sink, checked against the header: never more
    // bytes than it gives, and the size and CRC must match before the result is Ok. A symbolic link's
    // data is its target text.
    ReadResult read(std::size_t position, const RarHeader &header, const DataSink &sink);

private:
    struct ArchiveDeleter
    {
        void operator()(struct archive *handle) const;
    };

    ReadResult seek(std::size_t position, const RarHeader &header);
    bool reopen();
    ReadResult readData(const RarHeader &header, const DataSink &sink);
    ReadResult fail(ReadStatus status, const QString &text);

    QStringList m_volumes;
    std::unique_ptr<struct archive, ArchiveDeleter> m_archive;
    std::size_t m_next = 0;  // position of the entry the next header read gives
    bool m_broken = false;   // the last header read failed; only a reopen helps
    QString m_symlinkTarget;
};

std::uint32_t crc32Update(std::uint32_t crc, const char *data, std::size_t size);

}  // namespace orv::rar
