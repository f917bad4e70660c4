#include "extraction.h"

#include "platform/fileattributes.h"
#include "platform/prompts.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/unpackcontext.h"
#include "zip/archivereader.h"
#include "zip/linkwriter.h"

#include <algorithm>

namespace orv::zip {

namespace {

constexpr std::uint32_t PermissionBits = 07777;
constexpr std::size_t ZeroChunk = 64 * 1024;

const QString &errorCaption()
{
    static const QString caption = QStringLiteral("Error Unpacking File");
    return caption;
}

ArchivedFile archivedFile(const ArchiveEntry &entry)
{
    return ArchivedFile{entryName(entry.path), entry.size, entry.modified};
}

// Sparse tar entries come as runs with holes between them; a hole is written as zeros.
bool fillTo(OutputFile &file, std::uint64_t offset)
{
    static const std::vector<char> zeros(ZeroChunk, 0);
    while (file.written() < offset) {
        const std::uint64_t gap = std::min<std::uint64_t>(offset - file.written(), ZeroChunk);
        if (!file.write(zeros.data(), static_cast<std::size_t>(gap)))
            return false;
    }
    return true;
}

}  // namespace

ExtractionPass::ExtractionPass(UnpackContext &context, const Listing &listing, const QString &archivePath,
                               Compression compression)
    : m_context(context), m_listing(listing), m_archivePath(archivePath), m_compression(compression)
{
}

bool ExtractionPass::refuseStored(const ArchiveEntry &entry)
{
    // The central check reports the stored name; nothing is created for it.
    OutputFile unused;
    m_context.beginFile(unused, m_targetFolder, entry.storedPath, archivedFile(entry));
    m_ok = false;
    return false;
}

void ExtractionPass::plan(const ExtractionTarget &target)
{
    const ArchiveEntry &entry = m_listing.entries.at(target.entry);
    if (!safeRelativePath(entry.storedPath) && !entry.implied) {
        refuseStored(entry);
        return;
    }
    switch (entry.type) {
    case ArchiveEntry::Type::Folder:
        if (!m_context.createEntryFolder(m_targetFolder, target.relativePath))
            m_ok = false;
        return;
    case ArchiveEntry::Type::Other:
        return;  // devices and fifos are no files to unpack
    case ArchiveEntry::Type::SymbolicLink:
        m_jobsByEntry[target.entry].push_back(Job{target.entry, target.relativePath});
        return;
    case ArchiveEntry::Type::HardLink:
        if (entry.source < 0) {
            showError(QStringLiteral("The link \"%1\" names no file of the archive and was not unpacked.")
                          .arg(entry.path),
                      errorCaption());
            m_ok = false;
            return;
        }
        m_jobsByEntry[entry.source].push_back(Job{target.entry, target.relativePath});
        m_total += entry.size;
        return;
    case ArchiveEntry::Type::File:
        m_jobsByEntry[target.entry].push_back(Job{target.entry, target.relativePath});
        m_total += entry.size;
        return;
    }
}

bool ExtractionPass::run(const std::vector<ExtractionTarget> &targets, const QString &targetFolder, bool rawStream)
{
    m_targetFolder = targetFolder;
    for (const ExtractionTarget &target : targets) {
        plan(target);
        if (m_context.isCancelled())
            return false;
    }
    if (m_jobsByEntry.isEmpty())
        return m_ok;
    ArchiveReader outer;
    if (!outer.open(m_archivePath, m_compression == Compression::None ? ArchiveReader::Formats::Tar
                                                                        : ArchiveReader::Formats::Raw)) {
        m_error = outer.errorText();
        return false;
    }
    if (m_compression == Compression::None)
        return streamTar(outer) && m_ok;
    if (rawStream)
        return streamRaw(outer) && m_ok;
    StreamHeader header;
    ArchiveReader inner;
    if (outer.next(header) != ArchiveReader::Step::Ok || !inner.openTarFrom(outer)) {
        m_error = outer.failed() ? outer.errorText() : inner.errorText();
        return false;
    }
    return streamTar(inner) && m_ok;
}

bool ExtractionPass::streamRaw(ArchiveReader &reader)
{
    StreamHeader header;
    if (reader.next(header) != ArchiveReader::Step::Ok) {
        m_error = reader.errorText();
        return false;
    }
    return writeData(0, m_jobsByEntry.value(0), reader) == Outcome::Continue;
}

bool ExtractionPass::streamTar(ArchiveReader &reader)
{
    // Items of the listing in the order of their headers, for the ones this pass writes.
    QHash<int, int> entryOfStream;
    for (auto it = m_jobsByEntry.cbegin(); it != m_jobsByEntry.cend(); ++it)
        entryOfStream.insert(m_listing.entries.at(it.key()).stream, it.key());
    qsizetype remaining = entryOfStream.size();
    StreamHeader header;
    for (int stream = 0; remaining > 0; ++stream) {
        switch (reader.next(header)) {
        case ArchiveReader::Step::Ok:
            break;
        case ArchiveReader::Step::End:
            m_error = QStringLiteral("The archive ended early.");
            return false;
        case ArchiveReader::Step::Failed:
            m_error = reader.errorText();
            return false;
        }
        const auto found = entryOfStream.constFind(stream);
        if (found == entryOfStream.cend())
            continue;
        --remaining;
        if (header.rawPath != m_listing.entries.at(*found).storedPath) {
            m_error = QStringLiteral("The archive changed since it was opened.");
            return false;
        }
        if (writeData(*found, m_jobsByEntry.value(*found), reader) == Outcome::Stop)
            return false;
    }
    return true;
}

ExtractionPass::Outcome ExtractionPass::writeLink(const Job &job)
{
    const ArchiveEntry &entry = m_listing.entries.at(job.entry);
    switch (createSymbolicLink(m_context, m_targetFolder, job.relativePath, entry.linkTarget, archivedFile(entry))) {
    case LinkResult::Created:
        return Outcome::Continue;
    case LinkResult::Cancelled:
        m_ok = false;
        return Outcome::Stop;
    case LinkResult::Skipped:
        return Outcome::Continue;
    case LinkResult::Refused:
    case LinkResult::Failed:
        break;
    }
    m_ok = false;
    return Outcome::Continue;
}

ExtractionPass::Outcome ExtractionPass::writeData(int dataEntry, const std::vector<Job> &jobs, ArchiveReader &reader)
{
    if (m_listing.entries.at(dataEntry).type == ArchiveEntry::Type::SymbolicLink)
        return writeLink(jobs.front());
    std::vector<std::unique_ptr<OutputFile>> files;
    if (!openFiles(jobs, files))
        return Outcome::Stop;
    if (files.empty())
        return Outcome::Continue;
    return streamData(dataEntry, reader, files);
}

bool ExtractionPass::openFiles(const std::vector<Job> &jobs, std::vector<std::unique_ptr<OutputFile>> &files)
{
    for (const Job &job : jobs) {
        const ArchiveEntry &entry = m_listing.entries.at(job.entry);
        m_context.updateProgress(m_done, m_total, entryName(entry.path));
        auto file = std::make_unique<OutputFile>();
        switch (m_context.beginFile(*file, m_targetFolder, job.relativePath, archivedFile(entry))) {
        case FileStart::Open:
            files.push_back(std::move(file));
            continue;
        case FileStart::Skipped:
            continue;
        case FileStart::Failed:
            break;
        }
        m_ok = false;
        if (m_context.isCancelled())
            return false;
    }
    return true;
}

ExtractionPass::Outcome ExtractionPass::streamData(int dataEntry, ArchiveReader &reader,
                                                   std::vector<std::unique_ptr<OutputFile>> &files)
{
    const QString name = entryName(m_listing.entries.at(dataEntry).path);
    const void *data = nullptr;
    std::size_t size = 0;
    std::int64_t offset = 0;
    for (;;) {
        switch (reader.readBlock(data, size, offset)) {
        case ArchiveReader::Step::Ok:
            break;
        case ArchiveReader::Step::End:
            finish(dataEntry, files);
            return Outcome::Continue;
        case ArchiveReader::Step::Failed:
            m_error = reader.errorText();
            m_ok = false;
            return Outcome::Stop;
        }
        for (auto &file : files) {
            if (!fillTo(*file, static_cast<std::uint64_t>(std::max<std::int64_t>(offset, 0))) || !file->write(data, size))
                m_ok = false;
        }
        std::erase_if(files, [](const auto &file) { return !file->isOpen(); });
        m_done += size;
        m_context.updateProgress(m_done, m_total, name);
        if (!m_context.doEvents()) {
            m_ok = false;
            return Outcome::Stop;
        }
    }
}

void ExtractionPass::finish(int dataEntry, std::vector<std::unique_ptr<OutputFile>> &files)
{
    const ArchiveEntry &entry = m_listing.entries.at(dataEntry);
    for (auto &file : files) {
        if (!fillTo(*file, entry.size)) {
            m_ok = false;
            continue;
        }
        file->setModificationTime(entry.modified);
        if (entry.mode & PermissionBits)
            file->setAttributes(((entry.mode & PermissionBits) << 16) | Attr::UnixExtension);
        if (!m_context.finishFile(*file))
            m_ok = false;
    }
}

}  // namespace orv::zip
