#pragma once

#include "unpack/common/unpackerbase.h"
#include "zip/listing.h"
#include "zip/streamlisting.h"
#include "zip/zipfamilyrecords.h"

#include <QString>

#include <optional>
#include <utility>

namespace orv::zip {

struct ExtractionTarget;

// The one implementation behind the tar, gzip, bzip2 and xz unpackers. libarchive reads sequentially,
// so an open lists the whole file once and keeps the items; every extraction opens the file again and
// streams through it, writing the items asked for.
//
// With a tar inside a compressed file, item 0 is the tar itself and the tar's items follow with their own
// paths. Paths handed in may also start with the tar's name ("a.tar/docs/x"), as the browser shows them.
// Extracting the whole archive then writes the tar's items; extracting item 0 writes the tar file.
class StreamUnpacker : public UnpackerBase
{
public:
    explicit StreamUnpacker(Compression compression) : m_compression(compression) {}

    bool open(const QString &path);
    bool close();
    bool isOpen() const { return m_open; }
    bool isTarInside() const { return m_open && m_listing.tarInside; }

    // Shows the items an open would list as they are read, keeping none; closes what is open.
    StreamResult streamEntries(const QString &path, bool underStreamItem, const StreamedItemVisitor &visit);

    bool findFile();
    bool findNextFile();
    bool shortInfo(FILESHORTINFO &record) const;
    bool fullInfo(TARFILEFULLINFO &record) const;

    bool isFolder(const QString &path) const;
    QString fileOutputInfo(const QString &path) const;
    QString folderOutputInfo(const QString &path) const;
    QString archiveOutputInfo() const;

    bool unpackFile(const QString &path, const QString &targetFolder);
    bool unpackFolder(const QString &path, const QString &targetFolder);
    bool unpackArchive(const QString &targetFolder);
    bool unpackCurrentFile(const QString &name, const QString &targetFolder);

private:
    // The path in the archive's own terms: normalised, the tar's name in front taken away when needed.
    QString innerPath(const QString &path) const;
    std::optional<int> locateFile(const QString &path) const;
    // The items that belong to the contents, the tar itself excluded.
    int firstContentIndex() const { return m_listing.tarInside ? 1 : 0; }
    // The one item of a compressed file (the tar itself, when one is inside) is the decompressed stream.
    bool readsRawStream(int index) const { return m_compression != Compression::None && index == 0; }
    bool runExtraction(std::vector<ExtractionTarget> targets, const QString &targetFolder, bool rawStream);
    // The items of an archive mostly share a few times; the last conversion is kept to spare the time
    // zone lookup.
    std::uint32_t dosDateTime(std::int64_t seconds) const;

    Compression m_compression;
    Listing m_listing;
    QString m_path;
    bool m_open = false;
    int m_current = -1;
    int m_next = 0;
    mutable std::optional<std::pair<std::int64_t, std::uint32_t>> m_lastDosTime;
};

}  // namespace orv::zip
