#include "extraction.h"

#include "platform/fileattributes.h"
#include "platform/prompts.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/linkwriter.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/unpackcontext.h"
#include "zip/archivereader.h"

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
    if (!entry.implied && !safeRelativePath(entry.storedPath)) {
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
        planHardLink(target, entry);
        return;
    case ArchiveEntry::Type::File:
        m_jobsByEntry[target.entry].push_back(Job{target.entry, target.relativePath});
        m_total += entry.size;
        return;
    }
}

void ExtractionPass::planHardLink(const ExtractionTarget &target, const ArchiveEntry &entry)
{
    if (entry.source < 0) {
        showError(QStringLiteral("The link \"%1\" names no file of the archive and was not unpacked.").arg(entry.path),
                  errorCaption());
        m_ok = false;
        return;
    }
    // The file comes before its links, so it is planned by now when this pass writes it.
    const auto planned = m_jobsByEntry.constFind(entry.source);
    const bool passWritesFile = planned != m_jobsByEntry.cend()
                                && std::any_of(planned->cbegin(), planned->cend(),
                                               [&](const Job &job) { return job.entry == entry.source; });
    if (passWritesFile) {
        m_hardLinks[entry.source].push_back(Job{target.entry, target.relativePath});
        return;
    }
    m_jobsByEntry[entry.source].push_back(Job{target.entry, target.relativePath});
    m_total += entry.size;
}

bool ExtractionPass::failArchive(const QString &text)
{
    m_error = text;
    m_context.noteFailed(m_archivePath, text);
    return false;
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
                                                                        : ArchiveReader::Formats::Raw))
        return failArchive(outer.errorText());
    if (m_compression == Compression::None)
        return streamTar(outer) && m_ok;
    if (rawStream)
        return streamRaw(outer) && m_ok;
    StreamHeader header;
    ArchiveReader inner;
    if (outer.next(header) != ArchiveReader::Step::Ok || !inner.openTarFrom(outer))
        return failArchive(outer.failed() ? outer.errorText() : inner.errorText());
    return streamTar(inner) && m_ok;
}

bool ExtractionPass::streamRaw(ArchiveReader &reader)
{
    StreamHeader header;
    if (reader.next(header) != ArchiveReader::Step::Ok)
        return failArchive(reader.errorText());
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
            return failArchive(QStringLiteral("The archive ended early."));
        case ArchiveReader::Step::Failed:
            return failArchive(reader.errorText());
        }
        const auto found = entryOfStream.constFind(stream);
        if (found == entryOfStream.cend())
            continue;
        --remaining;
        if (header.rawPath != m_listing.entries.at(*found).storedPath)
            return failArchive(QStringLiteral("The archive changed since it was opened."));
        if (writeData(*found, m_jobsByEntry.value(*found), reader) == Outcome::Stop)
            return false;
    }
    return true;
}

ExtractionPass::Outcome ExtractionPass::writeLink(const Job &job)
{
    const ArchiveEntry &entry = m_listing.entries.at(job.entry);
    switch (createSymbolicLink(m_context, m_targetFolder, job.relativePath, entry.linkTarget, archivedFile(entry))) {
    case EntryLinkResult::Created:
        return Outcome::Continue;
    case EntryLinkResult::Cancelled:
        m_ok = false;
        return Outcome::Stop;
    case EntryLinkResult::Skipped:
        return Outcome::Continue;
    case EntryLinkResult::Refused:
    case EntryLinkResult::Failed:
        break;
    }
    m_ok = false;
    return Outcome::Continue;
}

ExtractionPass::Outcome ExtractionPass::writeData(int dataEntry, const std::vector<Job> &jobs, ArchiveReader &reader)
{
    if (m_listing.entries.at(dataEntry).type == ArchiveEntry::Type::SymbolicLink)
        return writeLink(jobs.front());
    std::vector<Output> files;
    if (!openFiles(dataEntry, jobs, files))
        return Outcome::Stop;
    if (!files.empty() && streamData(dataEntry, reader, files) == Outcome::Stop)
        return Outcome::Stop;
    return writeHardLinks(dataEntry);
}

bool ExtractionPass::openFiles(int dataEntry, const std::vector<Job> &jobs, std::vector<Output> &files)
{
    for (const Job &job : jobs) {
        const ArchiveEntry &entry = m_listing.entries.at(job.entry);
        m_context.updateProgress(m_done, m_total, entryName(entry.path));
        auto file = std::make_unique<OutputFile>();
        switch (m_context.beginFile(*file, m_targetFolder, job.relativePath, archivedFile(entry))) {
        case FileStart::Open:
            files.push_back(Output{job.entry, std::move(file)});
            continue;
        case FileStart::Skipped:
            if (job.entry == dataEntry)
                m_linkSources[dataEntry].kept = true;
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

ExtractionPass::Outcome ExtractionPass::streamData(int dataEntry, ArchiveReader &reader, std::vector<Output> &files)
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
            for (const Output &output : files)
                m_context.noteFailed(output.file->entryPath(), m_error);
            m_ok = false;
            return Outcome::Stop;
        }
        for (Output &output : files) {
            OutputFile &file = *output.file;
            const auto start = static_cast<std::uint64_t>(std::max<std::int64_t>(offset, 0));
            if (!fillTo(file, start) || !file.write(data, size)) {
                m_context.noteFailed(file.entryPath(), file.errorText());
                m_ok = false;
            }
        }
        std::erase_if(files, [](const Output &output) { return !output.file->isOpen(); });
        m_done += size;
        m_context.updateProgress(m_done, m_total, name);
        if (!m_context.doEvents()) {
            m_ok = false;
            return Outcome::Stop;
        }
    }
}

void ExtractionPass::finish(int dataEntry, std::vector<Output> &files)
{
    const ArchiveEntry &entry = m_listing.entries.at(dataEntry);
    const bool linked = m_hardLinks.contains(dataEntry);
    for (Output &output : files) {
        OutputFile &file = *output.file;
        if (!fillTo(file, entry.size)) {
            m_context.noteFailed(file.entryPath(), file.errorText());
            m_ok = false;
            continue;
        }
        file.setModificationTime(entry.modified);
        if (entry.mode & PermissionBits)
            file.setAttributes(((entry.mode & PermissionBits) << 16) | Attr::UnixExtension);
        const std::optional<WrittenFile> identity =
            linked && output.entry == dataEntry ? file.identity() : std::nullopt;
        if (!m_context.finishFile(file))
            m_ok = false;
        else if (identity)
            m_linkSources[dataEntry].written = identity;
    }
}

ExtractionPass::Outcome ExtractionPass::writeHardLinks(int dataEntry)
{
    const auto links = m_hardLinks.constFind(dataEntry);
    if (links == m_hardLinks.cend())
        return Outcome::Continue;
    const LinkSource source = m_linkSources.value(dataEntry);
    for (const Job &job : *links) {
        const ArchiveEntry &entry = m_listing.entries.at(job.entry);
        if (!source.written) {
            // Never a link to a file this pass did not write: it may be anything, from anywhere.
            if (source.kept) {
                m_context.noteSkipped(job.relativePath, QStringLiteral("the file it links to was kept as it was"));
            } else {
                m_context.noteSkipped(job.relativePath, QStringLiteral("the file it links to was not unpacked"));
                m_ok = false;
            }
            continue;
        }
        switch (createHardLink(m_context, m_targetFolder, job.relativePath, *source.written, archivedFile(entry))) {
        case EntryLinkResult::Created:
        case EntryLinkResult::Skipped:
            continue;
        case EntryLinkResult::Cancelled:
            m_ok = false;
            return Outcome::Stop;
        case EntryLinkResult::Refused:
        case EntryLinkResult::Failed:
            break;
        }
        m_ok = false;
    }
    return Outcome::Continue;
}

}  // namespace orv::zip
