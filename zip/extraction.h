#pragma once

#include "zip/listing.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace orv {
class OutputFile;
class UnpackContext;
}

namespace orv::zip {

// One item to extract and where it goes, relative to the target folder.
struct ExtractionTarget
{
    int entry = -1;
    QString relativePath;
};

// One extraction: checks and plans the items, makes their folders, then streams through the file once
// and writes each item's data as its header goes by. A hard link is written as a copy of the file it
// names, so both share one run of the data.
class ExtractionPass
{
public:
    ExtractionPass(UnpackContext &context, const Listing &listing, const QString &archivePath,
                   Compression compression);

    // rawStream: the targets are the one item of a compressed file, written as the decompressed bytes
    // even when they hold a tar. False when any item failed or the user cancelled; error() then says why
    // when the archive itself was at fault.
    bool run(const std::vector<ExtractionTarget> &targets, const QString &targetFolder, bool rawStream);
    QString error() const { return m_error; }

private:
    struct Job
    {
        int entry;  // the item being written
        QString relativePath;
    };
    enum class Outcome { Continue, Stop };

    void plan(const ExtractionTarget &target);
    bool refuseStored(const ArchiveEntry &entry);
    Outcome writeLink(const Job &job);
    Outcome writeData(int dataEntry, const std::vector<Job> &jobs, ArchiveReader &reader);
    bool openFiles(const std::vector<Job> &jobs, std::vector<std::unique_ptr<OutputFile>> &files);
    Outcome streamData(int dataEntry, ArchiveReader &reader, std::vector<std::unique_ptr<OutputFile>> &files);
    bool streamTar(ArchiveReader &reader);
    bool streamRaw(ArchiveReader &reader);
    void finish(int dataEntry, std::vector<std::unique_ptr<OutputFile>> &files);

    UnpackContext &m_context;
    const Listing &m_listing;
    QString m_archivePath;
    Compression m_compression;
    QString m_targetFolder;
    QHash<int, std::vector<Job>> m_jobsByEntry;  // keyed by the item whose header carries the data
    std::uint64_t m_total = 0;
    std::uint64_t m_done = 0;
    QString m_error;
    bool m_ok = true;
};

}  // namespace orv::zip
