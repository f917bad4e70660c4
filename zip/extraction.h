#pragma once

#include "unpack/common/outputfile.h"
#include "zip/listing.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orv {
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
// and writes each item's data as its header goes by. A hard link to a file the same pass writes becomes a
// hard link to that file once it is written, so a thousand links to one file take its size once; a hard
// link whose file is not extracted with it is written as a copy of that file's data.
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
    // An output file the data going by is written to, and the item it is for.
    struct Output
    {
        int entry;
        std::unique_ptr<OutputFile> file;
    };
    // What became of a file that hard links of the pass name.
    struct LinkSource
    {
        std::optional<WrittenFile> written;
        bool kept = false;  // the user kept the file that was there
    };
    enum class Outcome { Continue, Stop };

    void plan(const ExtractionTarget &target);
    void planHardLink(const ExtractionTarget &target, const ArchiveEntry &entry);
    bool refuseStored(const ArchiveEntry &entry);
    Outcome writeLink(const Job &job);
    Outcome writeData(int dataEntry, const std::vector<Job> &jobs, ArchiveReader &reader);
    bool openFiles(int dataEntry, const std::vector<Job> &jobs, std::vector<Output> &files);
    Outcome streamData(int dataEntry, ArchiveReader &reader, std::vector<Output> &files);
    bool streamTar(ArchiveReader &reader);
    bool streamRaw(ArchiveReader &reader);
    void finish(int dataEntry, std::vector<Output> &files);
    Outcome writeHardLinks(int dataEntry);
    bool failArchive(const QString &text);

    UnpackContext &m_context;
    const Listing &m_listing;
    QString m_archivePath;
    Compression m_compression;
    QString m_targetFolder;
    QHash<int, std::vector<Job>> m_jobsByEntry;  // keyed by the item whose header carries the data
    QHash<int, std::vector<Job>> m_hardLinks;    // keyed by the file of the pass they name
    QHash<int, LinkSource> m_linkSources;
    std::uint64_t m_total = 0;
    std::uint64_t m_done = 0;
    QString m_error;
    bool m_ok = true;
};

}  // namespace orv::zip
