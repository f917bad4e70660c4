#include "cabunpacker.h"

#include "platform/fileattributes.h"
#include "platform/numbers.h"
#include "unpack/cab/fdi.h"
#include "unpack/common/damage.h"
#include "unpack/common/extractpaths.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/outputinfo.h"

#include <QFileInfo>

namespace orv {

CCabUnpacker *CCabUnpacker::m_pThis = nullptr;

namespace {

// The attribute bits of a cabinet that mean the same as on a file; the others flag the name's encoding
// and the "run after extraction" wish.
constexpr std::uint16_t FileAttributeBits = Attr::ReadOnly | Attr::Hidden | Attr::System | Attr::Archive;

std::optional<std::int64_t> dosSeconds(std::uint16_t date, std::uint16_t time)
{
    std::int64_t seconds = 0;
    if (!dosDateTimeToSeconds((std::uint32_t(date) << 16) | time, seconds))
        return std::nullopt;
    return seconds;
}

bool endsWithSeparator(const QString &name)
{
    return name.endsWith(QLatin1Char('\\')) || name.endsWith(QLatin1Char('/'));
}

// Collects the files of the cabinet; nothing is decompressed.
class ScanPass final : public cab::FdiNotify
{
public:
    explicit ScanPass(std::vector<std::unique_ptr<CCabItemInfo>> &items) : m_items(items) {}

    cab::CopyAnswer copyFile(const cab::FdiFile &file, OutputFile *&) override
    {
        auto item = std::make_unique<CCabItemInfo>();
        item->wAttributes = file.attributes;
        item->wDosDate = file.date;
        item->wDosTime = file.time;
        item->dwSize = file.size;
        item->strName = normaliseEntryPath(file.name);
        item->bFolderEntry = endsWithSeparator(file.name);
        if (!item->strName.isEmpty())
            m_items.push_back(std::move(item));
        return cab::CopyAnswer::Skip;
    }
    bool closeFileInfo(const cab::FdiFile &, OutputFile &, bool) override { return true; }
    bool nextCabinet(const QString &folder, const QString &name) override { return QFileInfo(folder + name).isFile(); }
    bool enumerate() override { return true; }

private:
    std::vector<std::unique_ptr<CCabItemInfo>> &m_items;
};

}  // namespace

namespace cab {

// What one extraction pass is to write.
struct Request
{
    int mode = 3;           // 1 one file, 2 a folder, 3 the whole cabinet
    QString path;           // mode 1: the item; mode 2: the folder
    QString relativePath;   // mode 1: where the item goes below the target
    QString targetFolder;
};

// Chooses the files to write as the pass announces them, and writes them through checked output files.
class ExtractPass final : public FdiNotify
{
public:
    ExtractPass(CCabUnpacker &owner, Request request) : m_owner(owner), m_request(std::move(request)) {}

    CopyAnswer copyFile(const FdiFile &file, OutputFile *&output) override
    {
        UnpackContext &context = m_owner.m_context;
        if (context.isCancelled())
            return CopyAnswer::Abort;
        const QString path = normaliseEntryPath(file.name);
        const bool folderEntry = endsWithSeparator(file.name);
        const std::optional<QString> relative = relativeFor(path, folderEntry);
        if (!relative)
            return CopyAnswer::Skip;
        if (folderEntry) {
            if (!context.createEntryFolder(m_request.targetFolder, *relative))
                m_failed = true;
            return CopyAnswer::Skip;
        }
        return open(file, path, *relative, output);
    }

    bool closeFileInfo(const FdiFile &, OutputFile &output, bool sound) override
    {
        UnpackContext &context = m_owner.m_context;
        if (sound && !context.isCancelled()) {
            if (!context.finishFile(output))
                fail(QStringLiteral("Cannot write the file %1.").arg(output.path()));
        } else {
            output.discard();
            if (!context.isCancelled()) {
                context.noteFailed(output.entryPath(),
                                   QStringLiteral("the cabinet is damaged or a cabinet of its set is missing"));
                fail(QStringLiteral("Cannot unpack the file %1: the cabinet is damaged or a cabinet of its set "
                                    "is missing.").arg(m_owner.m_currentName));
            }
        }
        m_file.reset();
        return !context.isCancelled();
    }

    bool nextCabinet(const QString &folder, const QString &name) override { return QFileInfo(folder + name).isFile(); }

    // A pass that wrote no file, nor kept one the user chose to keep, has failed.
    bool enumerate() override { return m_handled; }

    bool failed() const { return m_failed; }
    const QString &error() const { return m_error; }

private:
    std::optional<QString> relativeFor(const QString &path, bool folderEntry)
    {
        const INIUNPACK &ini = m_owner.m_context.ini();
        switch (m_request.mode) {
        case 1:
            if (folderEntry || m_found || path != m_request.path)
                return std::nullopt;
            m_found = true;
            return m_request.relativePath;
        case 2:
            if (!(folderEntry && path == m_request.path) && !pathBelowFolder(path, m_request.path))
                return std::nullopt;
            return ExtractPaths::forFolderItem(path, m_request.path, ini.bUnpackFoldersWithoutPaths);
        default:
            if (folderEntry && ini.bUnpackArchivesWithoutPaths)
                return std::nullopt;
            return ExtractPaths::forArchiveItem(path, ini.bUnpackArchivesWithoutPaths);
        }
    }

    CopyAnswer open(const FdiFile &file, const QString &path, const QString &relative, OutputFile *&output)
    {
        UnpackContext &context = m_owner.m_context;
        CCabUnpacker::SetThis(&m_owner);
        m_owner.m_currentName = entryName(path);
        m_owner.m_written = 0;
        m_owner.m_itemSize = file.size;
        const std::optional<std::int64_t> modified = dosSeconds(file.date, file.time);
        context.updateProgress(0, file.size, m_owner.m_currentName);
        m_file = std::make_unique<OutputFile>();
        const ArchivedFile archived{m_owner.m_currentName, file.size, modified};
        const FileStart start = context.beginFile(*m_file, m_request.targetFolder, relative, archived);
        if (start != FileStart::Open) {
            m_failed = m_failed || start == FileStart::Failed;
            m_handled = m_handled || start == FileStart::Skipped;
            m_file.reset();
            return context.isCancelled() ? CopyAnswer::Abort : CopyAnswer::Skip;
        }
        m_handled = true;
        if (modified)
            m_file->setModificationTime(*modified);
        m_file->setAttributes(file.attributes & FileAttributeBits);
        output = m_file.get();
        return CopyAnswer::Write;
    }

    void fail(const QString &text)
    {
        m_failed = true;
        if (m_error.isEmpty())
            m_error = text;
    }

    CCabUnpacker &m_owner;
    Request m_request;
    std::unique_ptr<OutputFile> m_file;
    bool m_found = false;
    bool m_handled = false;
    bool m_failed = false;
    QString m_error;
};

}  // namespace cab

CCabUnpacker::CCabUnpacker() = default;

CCabUnpacker::~CCabUnpacker()
{
    if (m_pThis == this)
        m_pThis = nullptr;
}

bool CCabUnpacker::OpenArchive(const QString &path)
{
    if (m_busy)
        return fail(QStringLiteral("Another operation on the cabinet is still running."));
    m_fdi.reset();
    RemoveAllItems();
    m_listed = false;
    m_next = 0;
    m_current.reset();
    m_error.clear();
    m_damage.clear();
    std::unique_ptr<cab::Fdi> fdi = cab::Fdi::create(&CCabUnpacker::FDIWrite);
    if (!fdi)
        return fail(QStringLiteral("The cabinet reader cannot be started."));
    const QFileInfo file(path);
    const std::optional<std::uint32_t> length = file.isFile() ? fdi->cabinetLength(path) : std::nullopt;
    if (!length)
        return fail(QStringLiteral("%1 is not a cabinet file that can be read.").arg(path));
    // The file table comes first: a cabinet cut short still lists every file, but the data of some is lost.
    if (*length > file.size())
        m_damage = damagedArchiveText(QStringLiteral("unexpected end of data"));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    m_cabinetFolder = path.left(slash + 1);
    m_cabinetName = path.mid(slash + 1);
    m_fdi = std::move(fdi);
    m_context.resetYesToAll();
    return true;
}

bool CCabUnpacker::CloseArchive()
{
    if (m_busy)
        return false;
    m_fdi.reset();
    m_damage.clear();
    m_listed = false;
    return true;
}

bool CCabUnpacker::scan()
{
    RemoveAllItems();
    m_listed = false;
    if (!m_fdi)
        return false;
    ScanPass pass(m_items);
    m_listed = m_fdi->copy(m_cabinetName, m_cabinetFolder, pass);
    return m_listed;
}

const std::vector<std::unique_ptr<CCabItemInfo>> &CCabUnpacker::items()
{
    if (!m_listed && !m_busy)
        scan();
    return m_items;
}

bool CCabUnpacker::FindFile()
{
    if (m_busy)
        return false;
    m_next = 0;
    m_current.reset();
    return scan() && !m_items.empty();
}

bool CCabUnpacker::FindNextFileW()
{
    if (m_next >= m_items.size())
        return false;
    m_current = m_next++;
    return m_next != m_items.size();
}

bool CCabUnpacker::GetFileShortInfo(CABFILESHORTINFO &record) const
{
    if (!m_current || *m_current >= m_items.size())
        return false;
    const CCabItemInfo &item = *m_items[*m_current];
    record = CABFILESHORTINFO{};
    if (item.bFolderEntry) {
        record.strPath = item.strName;
        record.bFolder = 1;
        return true;
    }
    fillNames(record, item.strName);
    record.bSubFolder = item.strName.contains(QLatin1Char('/'));
    return true;
}

bool CCabUnpacker::GetFileFullInfo(CABFILEFULLINFO &record) const
{
    if (!GetFileShortInfo(record))
        return false;
    const CCabItemInfo &item = *m_items[*m_current];
    record.dwSize = item.dwSize;
    record.wDosDate = item.wDosDate;
    record.wDosTime = item.wDosTime;
    record.wAttributes = item.wAttributes;
    return true;
}

SpellingLookup CCabUnpacker::lookup(const QString &path)
{
    SpellingLookup lookup(normaliseEntryPath(path));
    for (const auto &item : items())
        lookup.offer(item->strName, item->bFolderEntry);
    return lookup;
}

const CCabItemInfo *CCabUnpacker::LocateFile(const QString &path)
{
    const std::optional<QString> wanted = lookup(path).spelling();
    const auto &all = items();
    for (std::size_t i = 0; wanted && i < all.size(); ++i) {
        if (all[i]->strName == *wanted) {
            m_current = i;
            m_next = i + 1;
            return all[i].get();
        }
    }
    return nullptr;
}

bool CCabUnpacker::IsFolder(const QString &path)
{
    // Folders exist only through the paths of the files in them.
    return !normaliseEntryPath(path).isEmpty() && lookup(path).isFolder();
}

QString CCabUnpacker::GetFileOutputInfo(const QString &path)
{
    const CCabItemInfo *item = LocateFile(path);
    if (!item)
        return {};
    return cabFileText(dosSeconds(item->wDosDate, item->wDosTime).value_or(0), item->dwSize);
}

QString CCabUnpacker::GetFolderOutputInfo(const QString &path)
{
    const std::optional<QString> folder = lookup(path).folder();
    ArchiveTotals totals;
    if (!folder)
        return totalsTextWithoutPacked(totals);
    for (const auto &item : items()) {
        const std::optional<QString> below = pathBelowFolder(item->strName, *folder);
        if (!below)
            continue;
        if (item->bFolderEntry) {
            totals.addFolder(*below);
            continue;
        }
        totals.addFile(item->dwSize, 0);
        totals.addParentOf(*below);
    }
    return totalsTextWithoutPacked(totals);
}

QString CCabUnpacker::GetArchiveOutputInfo()
{
    return GetFolderOutputInfo(QString());
}

bool CCabUnpacker::UnpackCurrentFile(const QString &name, const QString &targetFolder)
{
    if (!m_current || *m_current >= m_items.size() || m_items[*m_current]->bFolderEntry)
        return fail(QStringLiteral("No file of the cabinet is current."));
    return runPass({1, m_items[*m_current]->strName, name, targetFolder});
}

bool CCabUnpacker::UnpackFile(const QString &path, const QString &targetFolder)
{
    const CCabItemInfo *item = LocateFile(path);
    if (!item || item->bFolderEntry)
        return fail(QStringLiteral("The cabinet holds no file %1.").arg(path));
    const QString relative = ExtractPaths::forFile(item->strName, m_context.ini().bUnpackFilesWithoutPaths);
    return runPass({1, item->strName, relative, targetFolder});
}

bool CCabUnpacker::UnpackFolder(const QString &path, const QString &targetFolder)
{
    const std::optional<QString> folder = lookup(path).folder();
    if (!folder || folder->isEmpty())
        return fail(QStringLiteral("The cabinet holds no folder %1.").arg(path));
    return runPass({2, *folder, {}, targetFolder});
}

bool CCabUnpacker::UnpackArchive(const QString &targetFolder)
{
    return runPass({3, {}, {}, targetFolder});
}

bool CCabUnpacker::runPass(const cab::Request &request)
{
    if (!m_fdi)
        return fail(QStringLiteral("No cabinet is open."));
    if (m_busy || (m_pThis && m_pThis->m_busy))
        return fail(QStringLiteral("Another cabinet is being unpacked; only one can be at a time."));
    m_error.clear();
    m_context.beginOperation();
    if (!m_context.createFolder(request.targetFolder))
        return fail(QStringLiteral("The folder %1 cannot be created.").arg(request.targetFolder));
    m_busy = true;
    cab::ExtractPass pass(*this, request);
    const bool ok = m_fdi->copy(m_cabinetName, m_cabinetFolder, pass);
    m_busy = false;
    if (m_context.isCancelled())
        return fail(QStringLiteral("The unpack was interrupted."));
    if (!ok || pass.failed())
        return fail(pass.error().isEmpty() ? QStringLiteral("Cannot unpack from the cabinet %1.").arg(m_cabinetName)
                                           : pass.error());
    return true;
}

int CCabUnpacker::FDIWrite(OutputFile &file, const void *data, int size)
{
    if (size < 0 || !file.write(data, static_cast<std::size_t>(size)))
        return -1;
    CCabUnpacker *self = GetThis();
    if (!self)
        return size;
    self->m_written += static_cast<std::uint64_t>(size);
    self->m_context.updateProgress(self->m_written, self->m_itemSize, self->m_currentName);
    return self->m_context.doEvents() ? size : -1;
}

}  // namespace orv
