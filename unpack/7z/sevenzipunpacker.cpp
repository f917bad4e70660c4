#include "sevenzipunpacker.h"

#include "platform/numbers.h"
#include "platform/prompts.h"
#include "unpack/7z/sevenzipextraction.h"
#include "unpack/common/damage.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/impliedfolders.h"
#include "unpack/common/outputinfo.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szvolumes.h"

#include <QFileInfo>

namespace orv {

namespace sevenzip {

// The archive object and its items, read once at open. Copies of an unpacker share it.
struct OpenArchive
{
    sz::SevenZipArchive archive;
    std::vector<sz::ItemInfo> items;
    QString path;  // the first volume, as the password question names it
    QString damage;
    // Set while an extraction runs: the events it pumps must not close the archive under the library.
    bool busy = false;
};

}  // namespace sevenzip

namespace {

const QString &busyText()
{
    static const QString text = QStringLiteral("Another operation on the archive is still running.");
    return text;
}

// A self-extracting 7z has its archive behind a program stub; a plain one starts at offset 0.
std::optional<quint64> startOffsetLimit(const QString &path)
{
    if (path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        return std::nullopt;
    return 0;
}

// A folder that only the paths below it name is listed as in a ZIP, with the archive's own time.
void addImpliedFolders(std::vector<sz::ItemInfo> &items, const QString &archivePath)
{
    ImpliedFolders implied;
    for (const sz::ItemInfo &item : items)
        implied.addItem(item.path, item.isDir);
    const QStringList folders = implied.folders();
    if (folders.isEmpty())
        return;
    const qint64 modified = QFileInfo(archivePath).lastModified().toSecsSinceEpoch();
    for (const QString &folder : folders) {
        sz::ItemInfo item;
        item.path = folder;
        item.isDir = true;
        item.mTime = modified;
        items.push_back(std::move(item));
    }
}

void fillShort(FILESHORTINFO &record, const sz::ItemInfo &item)
{
    record = FILESHORTINFO{};
    if (!item.isDir) {
        fillNames(record, item.path);
        return;
    }
    record.strPath = item.path;
    if (item.path.contains(QLatin1Char('/')))
        record.bSubFolder = 1;
    else
        record.bFolder = 1;
}

}  // namespace

C7zUnpacker::C7zUnpacker() = default;

C7zUnpacker::~C7zUnpacker() = default;

C7zUnpacker::C7zUnpacker(const C7zUnpacker &other) = default;

C7zUnpacker &C7zUnpacker::operator=(const C7zUnpacker &other) = default;

bool C7zUnpacker::OpenArchive(const QString &path)
{
    return openVolumes(QStringList{path});
}

bool C7zUnpacker::OpenMultiVolumeArchive(const QString &path)
{
    if (m_open && m_open->busy)
        return fail(busyText());
    CloseArchive();
    QString error;
    const QStringList volumes = sz::splitVolumePaths(path, &error);
    if (volumes.isEmpty())
        return fail(error);
    return openVolumes(volumes);
}

bool C7zUnpacker::openVolumes(const QStringList &volumes)
{
    if (m_open && m_open->busy)
        return fail(busyText());
    CloseArchive();
    m_error.clear();
    m_passwordEntered = false;
    m_context.resetYesToAll();
    const bool preset = hasPreset();
    if (tryOpen(volumes, preset))
        return true;
    // A remembered password the archive refuses must not lock the user out: ask instead.
    if (preset && m_open == nullptr && m_error == sz::openStatusText(sz::OpenStatus::WrongPassword, volumes.first()))
        return tryOpen(volumes, false);
    return false;
}

bool C7zUnpacker::tryOpen(const QStringList &volumes, bool usePreset)
{
    auto open = std::make_shared<sevenzip::OpenArchive>();
    auto asked = std::make_shared<bool>(false);
    sz::ArchiveOpenOptions options;
    options.maxStartOffset = startOffsetLimit(volumes.first());
    const QString shown = volumes.first();
    options.passwordProvider = [asked, shown]() {
        *asked = true;
        return prompter().password(shown);
    };
    if (usePreset)
        options.knownPassword = m_password;
    if (!open->archive.openVolumes(volumes, options))
        return fail(open->archive.errorText());
    open->path = shown;
    const quint32 count = open->archive.itemCount();
    open->items.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        open->items.push_back(open->archive.item(i));
    // After the library's items, so that an item's position stays its index in the library.
    addImpliedFolders(open->items, shown);
    if (const QString reason = open->archive.damageReason(); !reason.isEmpty())
        open->damage = damagedArchiveText(reason);
    if (const std::optional<QString> password = open->archive.password()) {
        m_password = *password;
        m_passwordKnown = true;
        m_passwordEntered = *asked;
    }
    m_open = std::move(open);
    m_next = 0;
    m_current.reset();
    return true;
}

QString C7zUnpacker::GetDamageText() const
{
    return m_open ? m_open->damage : QString();
}

bool C7zUnpacker::CloseArchive()
{
    if (!m_open || m_open->busy)
        return false;
    m_open.reset();
    m_next = 0;
    m_current.reset();
    return true;
}

bool C7zUnpacker::FindFile()
{
    m_next = 0;
    m_current.reset();
    return m_open && !m_open->items.empty();
}

bool C7zUnpacker::FindNextFileW()
{
    if (!m_open || m_next >= m_open->items.size())
        return false;
    m_current = m_next++;
    return m_next != m_open->items.size();
}

bool C7zUnpacker::GetFileShortInfo(SEVENZIPFILESHORTINFO &record) const
{
    if (!m_open || !m_current || *m_current >= m_open->items.size())
        return false;
    fillShort(record, m_open->items[*m_current]);
    return true;
}

bool C7zUnpacker::GetFileFullInfo(SEVENZIPFILEFULLINFO &record) const
{
    if (!m_open || !m_current || *m_current >= m_open->items.size())
        return false;
    const sz::ItemInfo &item = m_open->items[*m_current];
    record = SEVENZIPFILEFULLINFO{};
    fillShort(record, item);
    if (item.isDir)
        return true;
    record.nSize = item.size.value_or(0);
    record.nPackSize = item.packSize.value_or(0);
    record.dwAttributes = item.attrib.value_or(0);
    record.dwDosDateTime = item.mTime ? secondsToDosDateTime(*item.mTime) : 0;
    record.dwCRC = item.crc.value_or(0);
    record.strMethod = item.method;
    return true;
}

SpellingLookup C7zUnpacker::lookup(const QString &path) const
{
    SpellingLookup lookup(normaliseEntryPath(path));
    if (m_open) {
        for (const sz::ItemInfo &item : m_open->items)
            lookup.offer(item.path, item.isDir);
    }
    return lookup;
}

std::optional<std::uint32_t> C7zUnpacker::LocateFile(const QString &path) const
{
    const std::optional<QString> wanted = lookup(path).spelling();
    if (!wanted)
        return std::nullopt;
    for (std::uint32_t i = 0; i < m_open->items.size(); ++i) {
        if (m_open->items[i].path == *wanted)
            return i;
    }
    return std::nullopt;
}

bool C7zUnpacker::IsFolder(const QString &path) const
{
    // A folder may exist only through the paths of what lies in it.
    return !normaliseEntryPath(path).isEmpty() && lookup(path).isFolder();
}

QString C7zUnpacker::GetFileOutputInfo(const QString &path) const
{
    const std::optional<std::uint32_t> index = LocateFile(path);
    if (!index)
        return {};
    const sz::ItemInfo &item = m_open->items[*index];
    const std::int64_t modified = item.mTime ? dosRecordSeconds(secondsToDosDateTime(*item.mTime)) : 0;
    return sevenZipFileText(modified, item.size.value_or(0), item.packSize.value_or(0), item.crc.value_or(0));
}

QString C7zUnpacker::GetFolderOutputInfo(const QString &path) const
{
    const std::optional<QString> folder = lookup(path).folder();
    ArchiveTotals totals;
    if (m_open && folder) {
        for (const sz::ItemInfo &item : m_open->items) {
            const std::optional<QString> below = pathBelowFolder(item.path, *folder);
            if (!below)
                continue;
            if (item.isDir)
                totals.addFolder(*below);
            else
                totals.addFile(item.size.value_or(0), item.packSize.value_or(0));
        }
    }
    return totalsText(totals);
}

QString C7zUnpacker::GetArchiveOutputInfo() const
{
    return GetFolderOutputInfo(QString());
}

bool C7zUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    if (!m_open || !m_current || m_open->items[*m_current].isDir)
        return fail(QStringLiteral("No file of the archive is current."));
    return runJobs({sevenzip::Job{*m_current, name}}, targetFolder);
}

bool C7zUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    const std::optional<std::uint32_t> index = LocateFile(path);
    if (!index || m_open->items[*index].isDir)
        return fail(QStringLiteral("The archive holds no file %1.").arg(path));
    m_current = index;
    const QString relative = ExtractPaths::forFile(m_open->items[*index].path, m_context.ini().bUnpackFilesWithoutPaths);
    return runJobs({sevenzip::Job{*index, relative}}, targetFolder);
}

bool C7zUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    const std::optional<QString> folder = lookup(path).folder();
    if (!m_open || !folder || folder->isEmpty())
        return fail(QStringLiteral("The archive holds no folder %1.").arg(path));
    const bool withoutPaths = m_context.ini().bUnpackFoldersWithoutPaths;
    std::vector<sevenzip::Job> jobs;
    for (std::uint32_t i = 0; i < m_open->items.size(); ++i) {
        const sz::ItemInfo &item = m_open->items[i];
        // "docs" takes "docs" and "docs/x", never the sibling "docs2" nor the twin "Docs".
        if ((item.isDir && item.path == *folder) || pathBelowFolder(item.path, *folder))
            jobs.push_back({i, ExtractPaths::forFolderItem(item.path, *folder, withoutPaths)});
    }
    if (jobs.empty())
        return fail(QStringLiteral("The archive holds no folder %1.").arg(path));
    return runJobs(jobs, targetFolder);
}

bool C7zUnpacker::UnpackArchive(const QString &targetFolder)
{
    if (!m_open)
        return fail(QStringLiteral("No archive is open."));
    const bool withoutPaths = m_context.ini().bUnpackArchivesWithoutPaths;
    std::vector<sevenzip::Job> jobs;
    for (std::uint32_t i = 0; i < m_open->items.size(); ++i) {
        const sz::ItemInfo &item = m_open->items[i];
        if (withoutPaths && item.isDir)
            continue;
        jobs.push_back({i, ExtractPaths::forArchiveItem(item.path, withoutPaths)});
    }
    return runJobs(jobs, targetFolder);
}

bool C7zUnpacker::runJobs(const std::vector<sevenzip::Job> &jobs, const QString &targetFolder)
{
    if (!m_open)
        return fail(QStringLiteral("No archive is open."));
    if (m_open->busy)
        return fail(busyText());
    m_error.clear();
    m_context.beginOperation();
    const std::shared_ptr<sevenzip::OpenArchive> open = m_open;
    auto provider = [archivePath = open->path]() -> std::optional<std::u16string> {
        const std::optional<QString> answer = prompter().password(archivePath);
        if (!answer)
            return std::nullopt;
        return answer->toStdU16String();
    };
    std::optional<std::u16string> known;
    if (m_passwordKnown)
        known = m_password.toStdU16String();
    auto passwords = std::make_shared<sz::PasswordSource>(provider, known);
    open->busy = true;
    sevenzip::Extraction extraction(m_context, open->archive, open->items, passwords);
    const bool ok = extraction.run(jobs, targetFolder);
    open->busy = false;
    if (extraction.passwordSuspect()) {
        m_password.clear();
        m_passwordKnown = false;
    } else if (passwords->wasRequested() && passwords->password()) {
        m_password = QString::fromStdU16String(*passwords->password());
        m_passwordKnown = true;
    }
    if (m_context.isCancelled())
        return fail(QStringLiteral("The unpack was interrupted."));
    if (!ok)
        return fail(extraction.error());
    return true;
}

}  // namespace orv
