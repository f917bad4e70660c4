#include "zipreader.h"

#include "platform/numbers.h"
#include "platform/prompts.h"
#include "unpack/common/damage.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/outputinfo.h"
#include "unpack/sevenzip/szcallbacks.h"

#include <QFileInfo>

namespace orv::zip {

namespace {

std::u16string toUtf16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size()));
}

QString openFailureText(const sz::SevenZipArchive &archive, const QString &path)
{
    switch (archive.openStatus()) {
    case sz::OpenStatus::NotArchive:
        return QStringLiteral("The file %1 is not a ZIP archive.").arg(path);
    case sz::OpenStatus::Damaged:
        return QStringLiteral("The archive %1 is damaged or truncated.").arg(path);
    default:
        return archive.errorText().isEmpty() ? sz::openStatusText(archive.openStatus(), path) : archive.errorText();
    }
}

void countEntry(ArchiveTotals &totals, const ArchiveEntry &entry, const QString &relativePath)
{
    if (entry.isFolder())
        totals.addFolder(relativePath);
    else
        totals.addFile(entry.size, entry.packed);
}

}  // namespace

void fillFullInfo(ZIPFILEFULLINFO &record, const ArchiveEntry &entry, const ZipFacts *facts, const QString &method)
{
    record = ZIPFILEFULLINFO{};
    fillShortInfo(record, entry);
    record.tModified = entry.modified;
    if (!facts || facts->hasTime)
        record.dwDosDateTime = secondsToDosDateTime(entry.modified);
    record.nSize = entry.size;
    record.nPackSize = entry.packed;
    if (facts) {
        record.dwCRC = facts->crc.value_or(0);
        record.strMethod = method;
        record.dwAttributes = facts->attributes.value_or(0);
    } else {
        record.dwAttributes = 0x10;
    }
}

bool ZipReader::open(const QString &path)
{
    if (m_busy)
        return fail(QStringLiteral("The archive is still being unpacked."));
    close();
    m_context.resetYesToAll();
    m_error.clear();
    m_password.reset();
    sz::ArchiveOpenOptions options;
    options.formats = {QStringLiteral("zip")};
    // A self-extracting archive starts after its stub, however long that is.
    options.maxStartOffset = std::nullopt;
    if (!m_archive.open(path, options))
        return fail(openFailureText(m_archive, path));
    m_path = path;
    m_catalog.build(m_archive, QFileInfo(path).lastModified().toSecsSinceEpoch(), ZipCatalog::Methods::Later);
    if (const QString reason = m_archive.damageReason(); !reason.isEmpty())
        m_damage = damagedArchiveText(reason);
    return true;
}

bool ZipReader::close()
{
    if (m_busy)
        return false;
    m_archive.close();
    m_catalog.clear();
    m_path.clear();
    m_damage.clear();
    m_current = -1;
    m_next = 0;
    return true;
}

bool ZipReader::findFile()
{
    m_current = -1;
    m_next = 0;
    return isOpen() && m_catalog.size() > 0;
}

bool ZipReader::findNextFile()
{
    const int count = isOpen() ? m_catalog.size() : 0;
    if (m_next >= count)
        return false;
    m_current = m_next++;
    return m_next < count;
}

bool ZipReader::shortInfo(ZIPFILESHORTINFO &record) const
{
    if (!isOpen() || m_current < 0)
        return false;
    fillShortInfo(record, m_catalog.at(m_current));
    return true;
}

bool ZipReader::fullInfo(ZIPFILEFULLINFO &record) const
{
    if (!isOpen() || m_current < 0)
        return false;
    const ZipFacts *facts = m_catalog.facts(m_current);
    fillFullInfo(record, m_catalog.at(m_current), facts, facts ? m_catalog.method(*facts, m_archive) : QString());
    return true;
}

bool ZipReader::isFolder(const QString &path) const
{
    return isOpen() && m_catalog.findFolder(path).has_value();
}

QString ZipReader::fileOutputInfo(const QString &path) const
{
    const std::optional<int> index = isOpen() ? m_catalog.findFile(path) : std::nullopt;
    if (!index)
        return {};
    const ArchiveEntry &entry = m_catalog.at(*index);
    const ZipFacts *facts = m_catalog.facts(*index);
    return sevenZipFileText(entry.modified, entry.size, entry.packed, facts ? facts->crc.value_or(0) : 0)
           + QStringLiteral(", Compression method - %1").arg(facts ? m_catalog.method(*facts, m_archive) : QString());
}

QString ZipReader::folderOutputInfo(const QString &path) const
{
    ArchiveTotals totals;
    const QString folder = m_catalog.entries().folderSpelling(normaliseEntryPath(path));
    for (int i = 0; isOpen() && i < m_catalog.size(); ++i) {
        if (const std::optional<QString> relative = pathBelowFolder(m_catalog.at(i).path, folder))
            countEntry(totals, m_catalog.at(i), *relative);
    }
    return totalsText(totals);
}

QString ZipReader::archiveOutputInfo() const
{
    ArchiveTotals totals;
    for (int i = 0; isOpen() && i < m_catalog.size(); ++i)
        countEntry(totals, m_catalog.at(i), m_catalog.at(i).path);
    return totalsText(totals);
}

bool ZipReader::beginUnpack()
{
    m_context.beginOperation();
    m_error.clear();
    if (m_busy)
        return fail(QStringLiteral("The archive is still being unpacked."));
    if (!isOpen())
        return fail(QStringLiteral("No archive is open."));
    return true;
}

bool ZipReader::runJobs(const std::vector<ZipJob> &jobs, const QString &targetFolder)
{
    const QString path = m_path;
    auto passwords = std::make_shared<sz::PasswordSource>(
        [path]() -> std::optional<std::u16string> {
            const std::optional<QString> answer = prompter().password(path);
            return answer ? std::optional(toUtf16(*answer)) : std::nullopt;
        },
        m_password ? std::optional(toUtf16(*m_password)) : std::nullopt);
    ZipExtraction extraction(m_context, m_catalog, m_archive, passwords);
    extraction.setTruncated((m_archive.errorFlags() & sz::errflag::unexpectedEnd) != 0);
    m_busy = true;
    const bool ok = extraction.run(jobs, targetFolder);
    m_busy = false;
    if (passwords->wasRequested()) {
        const std::optional<std::u16string> &given = passwords->password();
        m_password = given && !extraction.passwordSuspect()
                         ? std::optional(QString::fromUtf16(given->data(), static_cast<qsizetype>(given->size())))
                         : std::nullopt;
    }
    if (ok)
        return true;
    if (!extraction.error().isEmpty())
        return fail(extraction.error());
    return fail(m_context.isCancelled() ? QStringLiteral("The unpack was cancelled.") : QString());
}

bool ZipReader::unpackFile(const QString &path, const QString &targetFolder)
{
    if (!beginUnpack())
        return false;
    const std::optional<int> index = m_catalog.findFile(path);
    if (!index)
        return fail(QStringLiteral("The archive holds no file %1.").arg(path));
    const bool withoutPaths = m_context.ini().bUnpackFilesWithoutPaths != 0;
    return runJobs({{*index, ExtractPaths::forFile(m_catalog.at(*index).path, withoutPaths)}}, targetFolder);
}

bool ZipReader::unpackCurrentFile(const QString &name, const QString &targetFolder)
{
    if (!beginUnpack())
        return false;
    if (m_current < 0 || m_catalog.at(m_current).isFolder())
        return fail(QStringLiteral("No file is current."));
    return runJobs({{m_current, name}}, targetFolder);
}

bool ZipReader::unpackFolder(const QString &path, const QString &targetFolder)
{
    if (!beginUnpack())
        return false;
    const std::optional<int> index = m_catalog.findFolder(path);
    if (!index)
        return fail(QStringLiteral("The archive holds no folder %1.").arg(path));
    const QString folder = m_catalog.at(*index).path;
    const bool withoutPaths = m_context.ini().bUnpackFoldersWithoutPaths != 0;
    std::vector<ZipJob> jobs;
    for (int i = 0; i < m_catalog.size(); ++i) {
        const QString &itemPath = m_catalog.at(i).path;
        if (itemPath == folder || pathBelowFolder(itemPath, folder))
            jobs.push_back({i, ExtractPaths::forFolderItem(itemPath, folder, withoutPaths)});
    }
    return runJobs(jobs, targetFolder);
}

bool ZipReader::unpackArchive(const QString &targetFolder)
{
    if (!beginUnpack())
        return false;
    const bool withoutPaths = m_context.ini().bUnpackArchivesWithoutPaths != 0;
    std::vector<ZipJob> jobs;
    for (int i = 0; i < m_catalog.size(); ++i) {
        const ArchiveEntry &entry = m_catalog.at(i);
        if (withoutPaths && entry.isFolder())
            continue;
        jobs.push_back({i, ExtractPaths::forArchiveItem(entry.path, withoutPaths)});
    }
    return runJobs(jobs, targetFolder);
}

}  // namespace orv::zip
