#include "isounpacker.h"

#include "platform/fileattributes.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/outputinfo.h"

#include <algorithm>
#include <cstring>

namespace orv {

namespace {

// File data is copied through one buffer of this size, with progress and a chance to stop after each
// write.
constexpr std::size_t kCopyBuffer = 256 * 1024;

}  // namespace

bool CIsoUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    m_context.beginOperation();
    const std::optional<std::size_t> index = find(path);
    if (!index || m_items[*index].directory)
        return false;
    const bool withoutPaths = m_context.ini().bUnpackFilesWithoutPaths != 0;
    return extractItem(*index, targetFolder, ExtractPaths::forFile(m_items[*index].path, withoutPaths));
}

bool CIsoUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    m_context.beginOperation();
    const std::optional<std::size_t> index = find(path);
    if (!index || !m_items[*index].directory)
        return false;
    const QString folder = m_items[*index].path;
    const bool withoutPaths = m_context.ini().bUnpackFoldersWithoutPaths != 0;
    bool ok = true;
    // The list is in pre-order, so the folder's items follow it in one run.
    for (std::size_t i = *index; i < m_items.size() && !m_context.isCancelled(); ++i) {
        const QString &itemPath = m_items[i].path;
        if (i != *index && !pathBelowFolder(itemPath, folder))
            break;
        ok = extractItem(i, targetFolder, ExtractPaths::forFolderItem(itemPath, folder, withoutPaths)) && ok;
    }
    return ok && !m_context.isCancelled();
}

bool CIsoUnpacker::UnpackArchive(const QString &targetFolder)
{
    m_context.beginOperation();
    const bool withoutPaths = m_context.ini().bUnpackArchivesWithoutPaths != 0;
    if (!m_image.isOpen() || !m_context.createFolder(targetFolder))
        return false;
    bool ok = true;
    // One item that fails does not stop the others; a cancel does.
    for (std::size_t i = 0; i < m_items.size() && !m_context.isCancelled(); ++i) {
        if (withoutPaths && m_items[i].directory)
            continue;
        ok = extractItem(i, targetFolder, ExtractPaths::forArchiveItem(m_items[i].path, withoutPaths)) && ok;
    }
    return ok && !m_context.isCancelled();
}

bool CIsoUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    m_context.beginOperation();
    const QString last = entryName(normaliseEntryPath(name));
    if (!m_current || last.isEmpty())
        return false;
    return extractItem(*m_current, targetFolder, last);
}

bool CIsoUnpacker::extractItem(std::size_t index, const QString &targetFolder, const QString &relativePath)
{
    const iso::CIsoItemInfo &item = m_items[index];
    if (item.directory)
        return m_context.createEntryFolder(targetFolder, relativePath);
    return writeFile(item, targetFolder, relativePath);
}

bool CIsoUnpacker::writeFile(const iso::CIsoItemInfo &item, const QString &targetFolder, const QString &relativePath)
{
    if (!m_image.isOpen())
        return false;
    const std::uint64_t size = itemSize(item);
    const std::optional<std::vector<DataRun>> runs = dataRuns(item);
    if (!runs) {
        m_context.noteFailed(relativePath, QStringLiteral("the image's record of where its data lies is damaged"));
        return false;
    }
    OutputFile file;
    ArchivedFile archived{item.name, size, std::nullopt};
    if (item.modified != 0)
        archived.modified = item.modified;
    const FileStart start = m_context.beginFile(file, targetFolder, relativePath, archived);
    if (start != FileStart::Open)
        return start == FileStart::Skipped;
    m_context.updateProgress(0, size, item.name);
    bool ok = true;
    if (item.isEmbedded)
        ok = file.write(item.embedded.constData(), std::size_t(size));
    else
        ok = copyRuns(*runs, size, item.name, file);
    if (!ok) {
        if (file.error() != OutputFile::Error::None)
            m_context.noteFailed(file.entryPath(), file.errorText());
        else if (!m_context.isCancelled())
            m_context.noteFailed(file.entryPath(), QStringLiteral("its data runs past the end of the image"));
        file.discard();
        return false;
    }
    if (archived.modified)
        file.setModificationTime(*archived.modified);
    if (item.hidden)
        file.setAttributes(Attr::Hidden);
    return m_context.finishFile(file);
}

auto CIsoUnpacker::dataRuns(const iso::CIsoItemInfo &item) const -> std::optional<std::vector<DataRun>>
{
    if (!m_udfFound)
        return std::vector<DataRun>{{std::uint64_t(item.extent) * m_iso9660.blockSize, item.dataLength, false}};
    if (item.isEmbedded) {
        if (item.informationLength > std::uint64_t(item.embedded.size()))
            return std::nullopt;
        return std::vector<DataRun>{};
    }
    std::vector<DataRun> runs;
    std::uint64_t remaining = item.informationLength;
    // Space the image never wrote reads as zeros, but no more of it than the image could have held: a
    // damaged entry must not fill the disk.
    std::uint64_t zeroBudget = m_image.size();
    for (const iso::UdfExtent &extent : item.extents) {
        if (remaining == 0)
            break;
        const std::uint64_t take = std::min<std::uint64_t>(extent.length, remaining);
        remaining -= take;
        if (!extent.recorded) {
            if (take > zeroBudget)
                return std::nullopt;
            zeroBudget -= take;
            runs.push_back({0, take, true});
            continue;
        }
        const std::optional<std::uint64_t> offset = m_udf.position(item.volume, extent.partition, extent.block, extent.length);
        if (!offset)
            return std::nullopt;
        runs.push_back({*offset, take, false});
    }
    if (remaining != 0)
        return std::nullopt;  // the extents hold less than the file's length
    return runs;
}

bool CIsoUnpacker::copyRuns(const std::vector<DataRun> &runs, std::uint64_t total, const QString &name, OutputFile &file)
{
    std::vector<char> buffer(std::size_t(std::min<std::uint64_t>(kCopyBuffer, std::max<std::uint64_t>(total, 1))));
    std::uint64_t done = 0;
    for (const DataRun &run : runs) {
        for (std::uint64_t at = 0; at < run.length;) {
            const std::size_t chunk = std::size_t(std::min<std::uint64_t>(buffer.size(), run.length - at));
            if (run.zeros)
                std::memset(buffer.data(), 0, chunk);
            else if (m_image.readInto(run.offset + at, buffer.data(), chunk) != chunk)
                return false;  // the image ends inside the file
            if (!file.write(buffer.data(), chunk))
                return false;
            at += chunk;
            done += chunk;
            m_context.updateProgress(done, total, name);
            if (!m_context.doEvents())
                return false;
        }
    }
    return true;
}

}  // namespace orv
