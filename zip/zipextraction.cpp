#include "zipextraction.h"

#include "unpack/common/damage.h"
#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szabi.h"
#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szcom.h"
#include "unpack/sevenzip/szfileextract.h"
#include "zip/zipcatalog.h"

#include <QHash>

#include <algorithm>

namespace orv::zip {

namespace {

// The fixed part of ZIP's local file header, which stands before each entry's name and data.
constexpr quint64 LocalHeaderSize = 30;

using sz::HRESULT;
using sz::OpResult;
using sz::UInt32;
using sz::UInt64;
namespace hr = sz::hr;

QString failureText(OpResult result, const QString &path, const ZipFacts *facts, const QString &method,
                    bool truncated)
{
    const bool brokenData = result == OpResult::DataError || result == OpResult::CrcError;
    if (result == OpResult::UnexpectedEnd || (truncated && brokenData))
        return QStringLiteral("The archive ends before the end of the file %1: it is truncated.").arg(path);
    const bool encrypted = facts && facts->encrypted;
    switch (result) {
    case OpResult::Ok:
        return {};
    case OpResult::WrongPassword:
        return QStringLiteral("Wrong password for the file %1.").arg(path);
    case OpResult::UnsupportedMethod:
        return encrypted ? QStringLiteral("The file %1 uses a compression or encryption method that cannot be "
                                          "unpacked (%2), or no password was given.").arg(path, method)
                         : QStringLiteral("The compression method of the file %1 (%2) is not supported.").arg(path, method);
    case OpResult::DataError:
        return encrypted ? QStringLiteral("Data error in the encrypted file %1. Wrong password?").arg(path)
                         : QStringLiteral("Data error in the file %1: the archive is damaged.").arg(path);
    case OpResult::CrcError:
        return encrypted ? QStringLiteral("CRC error in the encrypted file %1. Wrong password?").arg(path)
                         : QStringLiteral("CRC error in the file %1: the archive is damaged.").arg(path);
    default:
        break;
    }
    return QStringLiteral("Cannot unpack the file %1: %2")
        .arg(path, sz::itemResultText(static_cast<sz::ItemResult>(static_cast<int>(result)), encrypted));
}

// The selected entries of the ZIP archive, by the library's index.
class ExtractCallback final : public sz::FileExtractCallback
{
public:
    ExtractCallback(UnpackContext &context, const ZipCatalog &catalog, const sz::SevenZipArchive &archive,
                    const QString &targetFolder, QHash<UInt32, ZipJob> jobs,
                    std::shared_ptr<sz::PasswordSource> passwords, bool truncated)
        : FileExtractCallback(context, targetFolder, std::move(passwords)), m_catalog(catalog), m_archive(archive),
          m_jobs(std::move(jobs)), m_truncated(truncated)
    {
    }

private:
    std::optional<sz::SelectedItem> selectedItem(UInt32 index) const override
    {
        const auto job = m_jobs.constFind(index);
        if (job == m_jobs.cend())
            return std::nullopt;
        const ArchiveEntry &entry = m_catalog.at(job->entry);
        sz::SelectedItem item{entry.path, job->relativePath, entry.size, std::nullopt, std::nullopt, false};
        if (const ZipFacts *facts = m_catalog.facts(job->entry)) {
            if (facts->hasTime)
                item.modified = entry.modified;
            item.attributes = facts->attributes;
            item.encrypted = facts->encrypted;
        }
        return item;
    }

    QString resultText(OpResult result, UInt32 index) const override
    {
        const auto job = m_jobs.constFind(index);
        if (job == m_jobs.cend())
            return {};
        const ZipFacts *facts = m_catalog.facts(job->entry);
        // The method is named only in the texts of a failure.
        const QString method = facts && result != OpResult::Ok ? m_catalog.method(*facts, m_archive) : QString();
        return failureText(result, m_catalog.at(job->entry).path, facts, method, m_truncated);
    }

    const ZipCatalog &m_catalog;
    const sz::SevenZipArchive &m_archive;
    QHash<UInt32, ZipJob> m_jobs;
    bool m_truncated = false;
};

}  // namespace

ZipExtraction::ZipExtraction(UnpackContext &context, const ZipCatalog &catalog, sz::SevenZipArchive &archive,
                             std::shared_ptr<sz::PasswordSource> passwords)
    : m_context(context), m_catalog(catalog), m_archive(archive), m_passwords(std::move(passwords))
{
}

bool ZipExtraction::makeFolder(const ZipJob &job, const QString &targetFolder)
{
    if (m_context.createEntryFolder(targetFolder, job.relativePath))
        return true;
    if (m_error.isEmpty())
        m_error = QStringLiteral("Cannot create the folder %1.").arg(job.relativePath);
    return false;
}

// Entries whose local records overlap share their data, and a few kilobytes of it can then come out as
// gigabytes of files; such an archive is refused as damaged before anything is written. Each entry takes
// at least its local header's fixed part and its compressed data from its offset on, so a sound archive
// is never refused. What this leaves unseen, an entry starting inside another's name or extra field,
// shares no more than those fields, which the archive has to hold once for every entry that does so.
bool ZipExtraction::refuseOverlaps()
{
    struct Span
    {
        quint64 start;
        quint64 end;
        int entry;
    };
    std::vector<Span> spans;
    for (int i = 0; i < m_catalog.size(); ++i) {
        const ZipFacts *facts = m_catalog.facts(i);
        const std::optional<quint64> offset =
            facts && !m_catalog.at(i).isFolder() ? m_archive.itemUInt64(facts->index, sz::pid::offset) : std::nullopt;
        if (!offset)
            continue;
        const quint64 length = std::min<quint64>(m_catalog.at(i).packed, ~quint64{0} - LocalHeaderSize);
        const quint64 end = *offset + LocalHeaderSize + length;
        spans.push_back({*offset, end < *offset ? ~quint64{0} : end, i});
    }
    std::stable_sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) { return a.start < b.start; });
    const Span *reaching = nullptr;  // of the entries so far, the one that reaches furthest
    for (const Span &span : spans) {
        if (reaching && span.start < reaching->end) {
            const QString &path = m_catalog.at(span.entry).path;
            const QString &other = m_catalog.at(reaching->entry).path;
            m_error = damagedArchiveText(QStringLiteral("the entries %1 and %2 share their data").arg(other, path));
            m_context.noteFailed(path, QStringLiteral("the archive is damaged: it shares its data with %1, so "
                                                      "nothing was unpacked").arg(other));
            return true;
        }
        if (!reaching || span.end > reaching->end)
            reaching = &span;
    }
    return false;
}

bool ZipExtraction::run(const std::vector<ZipJob> &jobs, const QString &targetFolder)
{
    if (refuseOverlaps())
        return false;
    if (!m_context.createFolder(targetFolder)) {
        m_error = QStringLiteral("The folder %1 cannot be created.").arg(targetFolder);
        return false;
    }
    bool ok = true;
    std::vector<ZipJob> files;
    for (const ZipJob &job : jobs) {
        if (m_catalog.at(job.entry).isFolder())
            ok = makeFolder(job, targetFolder) && ok;
        else
            files.push_back(job);
    }
    if (files.empty())
        return ok;
    return extractFiles(files, targetFolder) && ok;
}

bool ZipExtraction::extractFiles(const std::vector<ZipJob> &files, const QString &targetFolder)
{
    QHash<UInt32, ZipJob> byIndex;
    std::vector<UInt32> indices;
    for (const ZipJob &job : files) {
        const ZipFacts *facts = m_catalog.facts(job.entry);
        if (!facts)
            continue;
        byIndex.insert(facts->index, job);
        indices.push_back(facts->index);
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    sz::ComPtr<sz::IInArchive> handler = m_archive.handler();
    if (!handler) {
        m_error = QStringLiteral("The archive is not open.");
        return false;
    }
    auto callback = sz::makeCom<ExtractCallback>(m_context, m_catalog, m_archive, targetFolder, std::move(byIndex), m_passwords,
                                                   m_truncated);
    const HRESULT code = callback->run(*handler, indices);
    m_passwordSuspect = callback->passwordSuspect();
    m_error = callback->error();
    if (code == hr::abort && m_passwords->declined())
        m_error = QStringLiteral("No password was given for the encrypted files.");
    else if (code != hr::ok && code != hr::abort && m_error.isEmpty())
        m_error = QStringLiteral("The archive could not be read (error 0x%1).").arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
    return code == hr::ok && callback->allWritten();
}

}  // namespace orv::zip
