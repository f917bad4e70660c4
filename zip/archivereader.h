#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

struct archive;
struct archive_entry;

namespace orv::zip {

// What one header of the stream says about its entry, in the library's own terms.
struct StreamHeader
{
    enum class Type { File, Folder, SymbolicLink, HardLink, Other };

    QString rawPath;
    QString linkTarget;  // symbolic or hard link target as stored
    Type type = Type::File;
    std::uint64_t size = 0;
    bool sizeKnown = false;
    std::int64_t modified = 0;
    bool modifiedKnown = false;
    std::uint32_t mode = 0;
};

// The same header for a listing that only shows it: the path as the UTF-8 bytes libarchive holds, no copy
// made. Valid until the reader moves on.
struct StreamHeaderView
{
    QByteArrayView path;
    StreamHeader::Type type = StreamHeader::Type::File;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

// One sequential pass over an archive file through libarchive. Only the gzip, bzip2 and xz (lzma) filters
// and the formats asked for are enabled: with every format on, a compressed plain text comes back as an
// mtree listing.
class ArchiveReader
{
public:
    // Tar: a tar archive under any compression. Raw: the decompressed bytes as one entry.
    enum class Formats { Tar, Raw };
    enum class Step { Ok, End, Failed };

    ArchiveReader() = default;

    bool open(const QString &path, Formats formats);
    // Reads a tar archive from the data of the current entry of another reader (the decompressed stream of
    // a compressed file), so one pass both decompresses and lists. False when the data is no tar.
    bool openTarFrom(ArchiveReader &source);
    // Reads the rest of the current entry's data without keeping it: how many bytes there were; no value
    // when the data is damaged.
    std::optional<std::uint64_t> skipData();
    // Bytes handed over by the source so far, in openTarFrom mode.
    std::uint64_t delivered() const { return m_delivered; }
    bool failed() const { return m_failed; }
    Step next(StreamHeader &header);
    Step next(StreamHeaderView &header);
    // The next run of data of the current entry; offset is where it starts (sparse files leave holes).
    Step readBlock(const void *&data, std::size_t &size, std::int64_t &offset);

    // The compression applied outermost, as a libarchive filter code (0 when none).
    int outerFilter() const;
    QString errorText() const { return m_error; }

private:
    Step fail(const char *fallback);
    archive_entry *nextEntry(Step &step);
    static long pull(archive *handle, void *client, const void **buffer);

    struct Free
    {
        void operator()(archive *handle) const;
    };
    std::unique_ptr<archive, Free> m_handle;
    ArchiveReader *m_source = nullptr;
    std::uint64_t m_delivered = 0;
    QString m_error;
    QByteArray m_pathBytes;  // a name libarchive holds in another form, as UTF-8
    bool m_failed = false;
};

}  // namespace orv::zip
