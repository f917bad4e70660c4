#include "rarunpacker.h"

#include "platform/fileattributes.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "unpack/common/damage.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/outputinfo.h"

namespace orv {

namespace {

using rar::RarCode;
using rar::RarHeader;

const QString &busyText()
{
    static const QString text = QStringLiteral("Another operation on the archive is still running.");
    return text;
}

// A Unix mode without any permission bit would leave a file nobody can read.
bool usableAttributes(std::uint32_t attributes)
{
    return (attributes & Attr::UnixExtension) == 0 || ((attributes >> 16) & 0777u) != 0;
}

void fillShort(RARFILESHORTINFO &record, const RarHeader &header)
{
    record = RARFILESHORTINFO{};
    record.bSplitAfter = header.splitAfter() ? 1 : 0;
    if (!header.isDirectory()) {
        fillNames(record, header.fileName);
        return;
    }
    record.strPath = header.fileName;
    if (header.fileName.contains(QLatin1Char('/')))
        record.bSubFolder = 1;
    else
        record.bFolder = 1;
}

void fillFull(RARFILEFULLINFO &record, const RarHeader &header)
{
    record = RARFILEFULLINFO{};
    fillShort(record, header);
    if (header.isDirectory())
        return;
    record.dwUnpVer = record.dwUnpVer2 = header.unpVer;
    record.dwFlags = header.flags;
    record.dwMethod = header.method;
    record.dwFileTime = header.fileTime;
    record.dwFileCRC = header.fileCrc;
    record.dwPackSize = static_cast<std::uint32_t>(header.packSize);
    record.dwPackSizeHigh = static_cast<std::uint32_t>(header.packSize >> 32);
    record.dwUnpSize = static_cast<std::uint32_t>(header.unpSize);
    record.dwUnpSizeHigh = static_cast<std::uint32_t>(header.unpSize >> 32);
    record.dwFileAttr = record.dwFileAttr2 = header.fileAttr;
}

// Marks an operation that pumps events, so that a command arriving meanwhile cannot pull the archive
// from under it.
class BusyScope
{
public:
    explicit BusyScope(bool &busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    bool &m_busy;
};

}  // namespace

CRarUnpacker::CRarUnpacker() = default;

CRarUnpacker::~CRarUnpacker() = default;

CRarUnpacker::CRarUnpacker(const CRarUnpacker &other) = default;

CRarUnpacker &CRarUnpacker::operator=(const CRarUnpacker &other) = default;

bool CRarUnpacker::OpenArchive(const QString &path)
{
    if (m_busy)
        return fail(busyText());
    CloseArchive();
    m_path = path;
    m_error.clear();
    m_passwordEntered = false;
    m_passwordSet = false;
    m_context.resetYesToAll();
    if (m_archive.open(path) != RarCode::Success)
        return fail(m_archive.errorText());
    bool preset = false;
    if (m_archive.archiveFlags() & rar::ArchiveFlag::EncryptedHeaders) {
        preset = hasPreset();
        if (!supplyPassword(preset))
            return false;
    }
    RarCode code = readHeaders();
    // A remembered password the archive refuses must not lock the user out: ask instead.
    if (code == RarCode::BadPassword && preset && supplyPassword(false))
        code = readHeaders();
    if (code == RarCode::Success)
        return true;
    m_archive.close();
    return false;
}

bool CRarUnpacker::supplyPassword(bool allowPreset)
{
    if (allowPreset) {
        m_openPassword = m_password;
    } else {
        const std::optional<QString> answer = prompter().password(m_path);
        if (!answer) {
            m_passwordSet = false;
            m_archive.close();
            return fail(QStringLiteral("No password was given for the encrypted archive %1.").arg(m_path));
        }
        m_openPassword = *answer;
        m_password = *answer;
        m_passwordKnown = true;
        m_passwordEntered = true;
    }
    m_passwordSet = true;
    m_archive.setPassword(m_openPassword);
    return true;
}

rar::RarCode CRarUnpacker::readHeaders()
{
    const RarCode code = m_archive.readHeaders();
    if (code == RarCode::Success) {
        m_headerCounter = -1;
        return code;
    }
    m_error = m_archive.errorText();
    if (code == RarCode::BadPassword) {
        // Neither kept for the next open nor offered to the caller's cache.
        m_passwordKnown = false;
        m_passwordSet = false;
        if (m_passwordEntered) {
            m_passwordEntered = false;
            showError(QStringLiteral("The specified password is incorrect."), productName());
        }
    }
    return code;
}

QString CRarUnpacker::GetDamageText() const
{
    return m_archive.isOpen() ? m_archive.damageText() : QString();
}

bool CRarUnpacker::CloseArchive()
{
    if (m_busy || !m_archive.isOpen())
        return false;
    m_archive.close();
    m_headerCounter = -1;
    m_current.reset();
    return true;
}

bool CRarUnpacker::FindFile()
{
    if (m_busy)
        return false;
    m_headerCounter = -1;
    m_current.reset();
    if (!m_archive.isOpen())
        return false;
    m_archive.rewind();
    m_headerCounter = 0;
    return true;
}

bool CRarUnpacker::FindNextFileW()
{
    if (m_busy || m_headerCounter < 0)
        return false;
    if (m_headerCounter++ == 0)
        return true;
    m_current.reset();
    return m_archive.processFile(rar::Operation::Skip) == RarCode::Success;
}

bool CRarUnpacker::readNext(bool reportErrors)
{
    m_current.reset();
    m_readFailed = false;
    if (m_busy || m_headerCounter < 0)
        return false;
    RarHeader header;
    const RarCode code = m_archive.readHeader(header);
    if (code == RarCode::Success) {
        m_current = std::move(header);
        return true;
    }
    if (code == RarCode::EndArchive)
        return false;
    m_readFailed = true;
    m_error = m_archive.errorText();
    if (reportErrors && code == RarCode::BadPassword)
        showError(QStringLiteral("The specified password is incorrect."), productName());
    else if (reportErrors && code == RarCode::BadData)
        showError(QStringLiteral("Corrupt file or wrong password."), productName());
    return false;
}

bool CRarUnpacker::GetFileShortInfo(RARFILESHORTINFO &record)
{
    if (!readNext(true))
        return false;
    fillShort(record, *m_current);
    return true;
}

bool CRarUnpacker::GetFileFullInfo(RARFILEFULLINFO &record)
{
    if (!readNext(false))
        return false;
    fillFull(record, *m_current);
    return true;
}

bool CRarUnpacker::LocateFile(const QString &path, RARFILEFULLINFO &record)
{
    const std::optional<QString> wanted = lookup(path).spelling();
    if (!FindFile())
        return false;
    while (wanted && FindNextFileW() && GetFileFullInfo(record)) {
        if (m_current->fileName == *wanted)
            return true;
    }
    m_current.reset();
    return false;
}

void CRarUnpacker::forEachHeader(const std::function<void(const RarHeader &)> &visit)
{
    if (!FindFile())
        return;
    RARFILEFULLINFO record;
    while (FindNextFileW() && GetFileFullInfo(record))
        visit(*m_current);
}

SpellingLookup CRarUnpacker::lookup(const QString &path)
{
    SpellingLookup lookup(normaliseEntryPath(path));
    forEachHeader([&](const RarHeader &header) { lookup.offer(header.fileName, header.isDirectory()); });
    return lookup;
}

bool CRarUnpacker::IsFolder(const QString &path)
{
    // A folder may exist only through the paths of what lies in it.
    return !normaliseEntryPath(path).isEmpty() && lookup(path).isFolder();
}

QString CRarUnpacker::GetFileOutputInfo(const QString &path)
{
    RARFILEFULLINFO record;
    if (!LocateFile(path, record) || m_current->isDirectory())
        return {};
    const RarHeader &header = *m_current;
    return rarFileText(dosRecordSeconds(header.fileTime), header.unpSize, header.packSize, header.fileCrc, header.unpVer);
}

QString CRarUnpacker::GetFolderOutputInfo(const QString &path)
{
    const std::optional<QString> folder = lookup(path).folder();
    ArchiveTotals totals;
    if (!folder)
        return totalsText(totals);
    forEachHeader([&](const RarHeader &header) {
        const std::optional<QString> below = pathBelowFolder(header.fileName, *folder);
        if (!below)
            return;
        if (header.isDirectory())
            totals.addFolder(*below);
        else
            totals.addFile(header.unpSize, header.packSize);
    });
    return totalsText(totals);
}

QString CRarUnpacker::GetArchiveOutputInfo()
{
    return GetFolderOutputInfo(QString());
}

bool CRarUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    if (m_busy)
        return fail(busyText());
    m_context.beginOperation();
    m_stoppedAtVolume = false;
    return extractCurrent(name, targetFolder);
}

bool CRarUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    if (m_busy)
        return fail(busyText());
    RARFILEFULLINFO record;
    if (!LocateFile(path, record) || m_current->isDirectory())
        return fail(QStringLiteral("The archive holds no file %1.").arg(path));
    m_context.beginOperation();
    m_stoppedAtVolume = false;
    const bool withoutPaths = m_context.ini().bUnpackFilesWithoutPaths;
    return extractCurrent(ExtractPaths::forFile(m_current->fileName, withoutPaths), targetFolder);
}

bool CRarUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    if (m_busy)
        return fail(busyText());
    const std::optional<QString> folder = lookup(path).folder();
    if (!folder || folder->isEmpty())
        return fail(QStringLiteral("The archive holds no folder %1.").arg(path));
    const bool withoutPaths = m_context.ini().bUnpackFoldersWithoutPaths;
    // "docs" takes "docs" and "docs/x", never the sibling "docs2" nor the twin "Docs".
    const Selector select = [&](const RarHeader &header) -> std::optional<QString> {
        if ((header.isDirectory() && header.fileName == *folder) || pathBelowFolder(header.fileName, *folder))
            return ExtractPaths::forFolderItem(header.fileName, *folder, withoutPaths);
        return std::nullopt;
    };
    if (!walk(select, targetFolder, false))
        return m_error.isEmpty() ? fail(QStringLiteral("The archive holds no folder %1.").arg(path)) : false;
    return true;
}

bool CRarUnpacker::UnpackArchive(const QString &targetFolder)
{
    const bool withoutPaths = m_context.ini().bUnpackArchivesWithoutPaths;
    const Selector select = [&](const RarHeader &header) -> std::optional<QString> {
        if (withoutPaths && header.isDirectory())
            return std::nullopt;
        return ExtractPaths::forArchiveItem(header.fileName, withoutPaths);
    };
    return walk(select, targetFolder, true);
}

// One pass over the headers in archive order: folders in the selection are made, files extracted, the
// rest skipped. Every item is tried unless the user cancels or a volume the set needs is missing; the
// result is true only when all selected items came out. Items may lie in a missing volume, so a set that
// breaks off fails the pass even when none of the items read needed it.
bool CRarUnpacker::walk(const Selector &select, const QString &targetFolder, bool emptyIsSuccess)
{
    if (m_busy)
        return fail(busyText());
    if (!FindFile())
        return fail(QStringLiteral("No archive is open."));
    m_error.clear();
    m_context.beginOperation();
    m_stoppedAtVolume = false;
    bool allDone = true;
    bool any = false;
    while (!m_context.isCancelled() && !m_stoppedAtVolume && readNext(true)) {
        const std::optional<QString> relative = select(*m_current);
        if (!relative) {
            m_archive.processFile(rar::Operation::Skip);
            continue;
        }
        any = true;
        bool done = false;
        if (m_current->isDirectory()) {
            done = m_context.createEntryFolder(targetFolder, *relative);
            m_archive.processFile(rar::Operation::Skip);
        } else {
            done = extractCurrent(*relative, targetFolder);
        }
        allDone = allDone && done;
    }
    if (m_readFailed)
        allDone = false;
    if (m_context.isCancelled())
        return fail(QStringLiteral("The unpack was interrupted."));
    if (!m_stoppedAtVolume && m_archive.missingVolume())
        allDone = stopAtMissingVolume();
    return allDone && (any || emptyIsSuccess);
}

bool CRarUnpacker::extractCurrent(const QString &relativePath, const QString &targetFolder)
{
    if (!m_current || m_current->isDirectory())
        return fail(QStringLiteral("No file of the archive is current."));
    const RarHeader header = *m_current;
    m_progressName = entryName(header.fileName);
    m_unpSize = header.unpSize;
    m_processed = 0;
    const RarCode check = m_archive.checkCurrent();
    if (check == RarCode::DecryptionUnavailable || check == RarCode::SolidUnreachable) {
        m_error = m_archive.errorText();
        showError(QStringLiteral("Cannot unpack the file %1.\n\n%2").arg(header.fileName, m_error),
                  QStringLiteral("Error Unpacking File"));
    }
    if (check != RarCode::Success) {
        m_error = m_archive.errorText();
        m_archive.processFile(rar::Operation::Skip);
        if (check == RarCode::EOpen && header.splitAfter() && m_archive.missingVolume())
            return stopAtMissingVolume();
        return false;
    }
    const BusyScope busy(m_busy);
    return writeCurrent(header, relativePath, targetFolder);
}

bool CRarUnpacker::writeCurrent(const RarHeader &header, const QString &relativePath, const QString &targetFolder)
{
    OutputFile file;
    const ArchivedFile item{entryName(relativePath), header.unpSize, header.modified};
    switch (m_context.beginFile(file, targetFolder, relativePath, item)) {
    case FileStart::Open:
        break;
    case FileStart::Skipped:
        m_archive.processFile(rar::Operation::Skip);
        return true;
    case FileStart::Failed:
        m_archive.processFile(rar::Operation::Skip);
        return fail(m_context.isCancelled() ? QStringLiteral("The unpack was interrupted.")
                                            : QStringLiteral("%1 was not unpacked.").arg(header.fileName));
    }
    m_context.updateProgress(0, m_unpSize, m_progressName);
    m_archive.setCallbacks({{}, [this](std::uint64_t bytes) { return onProcessData(bytes); }});
    const RarCode code = m_archive.processFile(rar::Operation::Extract, [&file](const char *data, std::size_t size) {
        return file.write(data, size);
    });
    m_archive.setCallbacks({});
    if (code != RarCode::Success) {
        file.discard();
        m_error = m_archive.errorText();
        if (!m_context.isCancelled())
            m_context.noteFailed(file.entryPath(),
                                 file.error() != OutputFile::Error::None ? file.errorText() : m_error);
        if (!m_context.isCancelled() && code == RarCode::BadPassword)
            showError(QStringLiteral("The specified password is incorrect."), productName());
        else if (!m_context.isCancelled() && code == RarCode::BadData)
            showError(QStringLiteral("Corrupt file or wrong password."), productName());
        return false;
    }
    if (header.modified)
        file.setModificationTime(*header.modified);
    if (usableAttributes(header.fileAttr))
        file.setAttributes(header.fileAttr);
    if (!m_context.finishFile(file))
        return fail(QStringLiteral("Cannot write the file %1.").arg(file.path()));
    return true;
}

// As the UnRAR library's volume callback answers: the operation stops at a volume that is not there.
bool CRarUnpacker::stopAtMissingVolume()
{
    m_stoppedAtVolume = true;
    m_error = missingVolumeText(m_archive.missingVolume().value_or(QString()));
    showError(m_error, productName());
    return false;
}

int CRarUnpacker::onProcessData(std::uint64_t bytes)
{
    m_processed += bytes;
    m_context.updateProgress(m_processed, m_unpSize, m_progressName);
    return m_context.doEvents() ? 0 : -1;
}

}  // namespace orv
