#include "archiveaccess.h"

#include "finder/archive/customarchives.h"
#include "finder/settings/settings.h"
#include "platform/prompts.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <utility>

namespace orv {

namespace {

const QLatin1StringView kExe("EXE");

struct ProbeRow
{
    QLatin1StringView extension;
    ArchiveKindCode probeKind;   // the reader tried
    ArchiveKindCode resultKind;  // the kind the executable then gets
};

// Which reader a listed type name tries on an executable; other names are skipped.
constexpr ProbeRow kProbes[] = {
    {QLatin1StringView("ZIP"), ArchiveKind::Zip, ArchiveKind::SelfExtractingZip},
    {QLatin1StringView("JAR"), ArchiveKind::Zip, ArchiveKind::SelfExtractingZip},
    {QLatin1StringView("XAP"), ArchiveKind::Zip, ArchiveKind::SelfExtractingZip},
    {QLatin1StringView("RAR"), ArchiveKind::Rar, ArchiveKind::Rar},
    {QLatin1StringView("CAB"), ArchiveKind::Cab, ArchiveKind::Cab},
    {QLatin1StringView("7Z"), ArchiveKind::SevenZip, ArchiveKind::SevenZip},
};

// The kinds some reader stands behind; ACE is recognised by name only.
bool isDispatchable(ArchiveKindCode kind)
{
    return (kind >= ArchiveKind::Zip && kind <= ArchiveKind::Xz && kind != ArchiveKind::Ace)
           || kind == ArchiveKind::SelfExtractingZip;
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return path.size() > 1 ? QStringLiteral("/") : QString();
    return path.left(slash);
}

// Devices and pipes are never handed to a reader: reading them may block forever.
bool isRegularFile(const QString &path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

}  // namespace

QString upperExtensionOf(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toUpper();
}

QString innerPathOf(const QString &virtualPath, const QString &archivePath)
{
    if (archivePath.isEmpty() || virtualPath.size() <= archivePath.size() + 1)
        return {};
    return withoutTrailingSeparators(virtualPath.mid(archivePath.size() + 1));
}

class CArchiveAccess::ReaderUse
{
public:
    explicit ReaderUse(CArchiveAccess &access) : m_access(access) { ++m_access.m_readerUses; }
    ~ReaderUse() { --m_access.m_readerUses; }
    ReaderUse(const ReaderUse &) = delete;
    ReaderUse &operator=(const ReaderUse &) = delete;

private:
    CArchiveAccess &m_access;
};

COpenedArchive::COpenedArchive(COpenedArchive &&other) noexcept
    : m_access(std::exchange(other.m_access, nullptr)), m_kind(other.m_kind)
{
}

COpenedArchive &COpenedArchive::operator=(COpenedArchive &&other) noexcept
{
    if (this != &other) {
        Close();
        m_access = std::exchange(other.m_access, nullptr);
        m_kind = other.m_kind;
    }
    return *this;
}

IUnpacker &COpenedArchive::reader() const
{
    return *m_access->m_unpacker;
}

void COpenedArchive::Close()
{
    if (!m_access)
        return;
    CArchiveAccess *access = std::exchange(m_access, nullptr);
    --access->m_readerUses;
    access->CloseArchiveOfKind(m_kind);
}

CArchiveAccess::CArchiveAccess(UnpackerCreator creator) { m_config.creator = std::move(creator); }

CArchiveAccess::CArchiveAccess(ArchiveAccessConfig config) : m_config(std::move(config)) {}

CArchiveAccess::~CArchiveAccess()
{
    if (m_unpacker)
        m_unpacker->closeArchive();
}

void CArchiveAccess::ApplySettings(const SettingsValues &values)
{
    m_config.extensions = values.enabledTypes;
    m_config.customArchives = values.customArchives;
    m_config.ini.bUnpackFilesWithoutPaths = values.bUnpackFilesWithoutPaths ? 1 : 0;
    m_config.ini.bUnpackFoldersWithoutPaths = values.bUnpackFoldersWithoutPaths ? 1 : 0;
    m_config.ini.bUnpackArchivesWithoutPaths = values.bUnpackArchivesWithoutPaths ? 1 : 0;
    m_config.ini.bAskBeforeOverwriting = values.bAskBeforeOverwriting ? 1 : 0;
}

bool CArchiveAccess::IsCustomArchive(const QString &upperExtension) const
{
    return isCustomArchiveEnabled(m_config.customArchives, upperExtension);
}

QString CArchiveAccess::GetArchivePath(const QString &path)
{
    return locateArchive(path).path;
}

ArchiveKindCode CArchiveAccess::GetArchiveKind(const QString &path)
{
    return locateArchive(path).kind;
}

// Walks up from the path to the first thing that exists: a regular file that counts as an archive is
// the answer, anything else ends the walk. A name ending in "." is passed over: paths written on
// systems that drop trailing dots never meant the file itself with such a name.
CArchiveAccess::Located CArchiveAccess::locateArchive(const QString &path)
{
    QString current = withoutTrailingSeparators(path);
    while (!current.isEmpty()) {
        if (!current.endsWith(QLatin1Char('.')) && QFileInfo::exists(current)) {
            if (!isRegularFile(current))
                return {};
            const ArchiveKindCode kind = kindOfArchiveFile(current);
            return kind == ArchiveKind::None ? Located{} : Located{current, kind};
        }
        current = parentOf(current);
    }
    return {};
}

bool CArchiveAccess::IsArchiveFile(const QString &path)
{
    return kindOfArchiveFile(path) != ArchiveKind::None;
}

// One decision for "is it an archive" and "which kind", so that an executable is probed only once.
ArchiveKindCode CArchiveAccess::kindOfArchiveFile(const QString &path)
{
    const QString extension = upperExtensionOf(path);
    if (extension.isEmpty())
        return ArchiveKind::None;
    const bool listed = m_config.extensions.contains(extension);
    if (listed && extension == kExe)
        return GetSelfExtractingKind(path);
    if (!listed && !IsCustomArchive(extension))
        return ArchiveKind::None;
    return kindOfExtension(extension, path);
}

ArchiveKindCode CArchiveAccess::kindOfExtension(const QString &upperExtension, const QString &path)
{
    if (const ArchiveKindCode kind = builtInKindOfExtension(upperExtension); kind != ArchiveKind::None)
        return kind;
    if (IsCustomArchive(upperExtension))
        return ArchiveKind::Custom;
    if (isXzExtension(upperExtension))
        return ArchiveKind::Xz;
    if (upperExtension == kExe)
        return GetSelfExtractingKind(path);
    return ArchiveKind::None;
}

ArchiveKindCode CArchiveAccess::GetSelfExtractingKind(const QString &exePath)
{
    QList<ArchiveKindCode> tried;
    for (const QString &extension : std::as_const(m_config.extensions)) {
        for (const ProbeRow &row : kProbes) {
            if (extension != row.extension || tried.contains(row.probeKind))
                continue;
            tried << row.probeKind;
            if (probe(exePath, row.probeKind))
                return row.resultKind;
        }
    }
    return ArchiveKind::None;
}

bool CArchiveAccess::probe(const QString &path, ArchiveKindCode kind)
{
    if (!isRegularFile(path))
        return false;
    std::unique_ptr<IUnpacker> unpacker = m_config.creator(kind);
    if (!unpacker || !openWith(*unpacker, path, kind))
        return false;
    unpacker->closeArchive();
    return true;
}

bool CArchiveAccess::openWith(IUnpacker &unpacker, const QString &path, ArchiveKindCode kind)
{
    if (m_config.observer)
        m_config.observer->beforeOpen(path, kind, unpacker);
    const bool opened = unpacker.openArchive(path);
    if (m_config.observer)
        m_config.observer->afterOpen(path, kind, unpacker, opened);
    return opened;
}

bool CArchiveAccess::forgetReaders()
{
    if (IsReaderInUse())
        return false;
    if (m_unpacker)
        m_unpacker->closeArchive();
    m_unpacker.reset();
    m_failedUnpacker.reset();
    m_currentKind = ArchiveKind::None;
    m_currentPath.clear();
    return true;
}

bool CArchiveAccess::OpenArchiveOfKind(const QString &archivePath, ArchiveKindCode kind)
{
    if (!forgetReaders() || !isDispatchable(kind))
        return false;
    std::unique_ptr<IUnpacker> unpacker = m_config.creator(kind);
    if (!unpacker)
        return false;
    if (!openWith(*unpacker, archivePath, kind)) {
        m_failedUnpacker = std::move(unpacker);
        return false;
    }
    m_unpacker = std::move(unpacker);
    m_currentKind = kind;
    m_currentPath = archivePath;
    return true;
}

COpenedArchive CArchiveAccess::Open(const QString &archivePath, ArchiveKindCode kind)
{
    if (!OpenArchiveOfKind(archivePath, kind))
        return {};
    ++m_readerUses;
    return COpenedArchive(*this, kind);
}

EntryStream CArchiveAccess::StreamArchiveOfKind(const QString &archivePath, ArchiveKindCode kind, TarNames names,
                                                const StreamedEntryVisitor &visit)
{
    if (!forgetReaders())
        return EntryStream::Failed;
    std::unique_ptr<IUnpacker> unpacker = isDispatchable(kind) ? m_config.creator(kind) : nullptr;
    if (!unpacker)
        return EntryStream::Unavailable;
    const EntryStream result = unpacker->streamEntries(archivePath, names, visit);
    if (result == EntryStream::Failed)
        m_failedUnpacker = std::move(unpacker);
    return result;
}

IUnpacker *CArchiveAccess::CurrentUnpacker(ArchiveKindCode kind)
{
    return isDispatchable(kind) && kind == m_currentKind ? m_unpacker.get() : nullptr;
}

bool CArchiveAccess::IsFolderOfKind(const QString &innerPath, ArchiveKindCode kind)
{
    IUnpacker *unpacker = CurrentUnpacker(kind);
    return unpacker && unpacker->isFolder(innerPath);
}

bool CArchiveAccess::CloseArchiveOfKind(ArchiveKindCode kind)
{
    IUnpacker *unpacker = CurrentUnpacker(kind);
    if (!unpacker || IsReaderInUse())
        return false;
    const bool closed = unpacker->closeArchive();
    m_unpacker.reset();
    m_currentKind = ArchiveKind::None;
    m_currentPath.clear();
    return closed;
}

void CArchiveAccess::BeginYesToAllCarry()
{
    m_yesToAll = INIYESTOALL{};
    m_carryYesToAll = true;
}

template <typename Call>
bool CArchiveAccess::dispatchUnpack(ArchiveKindCode kind, QObject *progress, bool quiet, Call call)
{
    IUnpacker *unpacker = CurrentUnpacker(kind);
    if (!unpacker)
        return false;
    unpacker->setHandleDialogProgress(progress);
    unpacker->setWndFileTree(quiet ? nullptr : m_config.fileTree.data());
    INIUNPACK ini = m_config.ini;
    unpacker->setIni(ini);
    if (m_carryYesToAll)
        unpacker->setIniYesToAll(m_yesToAll);
    const ReaderUse use(*this);
    const bool result = call(*unpacker);
    if (m_carryYesToAll)
        unpacker->getIniYesToAll(m_yesToAll);
    return result;
}

bool CArchiveAccess::UnpackFileOfKind(const QString &innerPath, const QString &destination, ArchiveKindCode kind,
                                      QObject *progress, bool quiet)
{
    return dispatchUnpack(kind, progress, quiet,
                          [&](IUnpacker &u) { return u.unpackFile(innerPath, destination); });
}

bool CArchiveAccess::UnpackFolderOfKind(const QString &innerPath, const QString &destination,
                                        ArchiveKindCode kind, QObject *progress, bool quiet)
{
    return dispatchUnpack(kind, progress, quiet,
                          [&](IUnpacker &u) { return u.unpackFolder(innerPath, destination); });
}

bool CArchiveAccess::UnpackArchiveOfKind(const QString &destination, ArchiveKindCode kind, QObject *progress,
                                         bool quiet)
{
    return dispatchUnpack(kind, progress, quiet, [&](IUnpacker &u) {
        if (kind == ArchiveKind::Cab)
            u.initScan();
        return u.unpackArchive(destination);
    });
}

QString CArchiveAccess::GetDetailedErrorOfKind(ArchiveKindCode kind)
{
    if (!isZipGroup(kind))
        return {};
    if (IUnpacker *unpacker = CurrentUnpacker(kind))
        return unpacker->detailedErrorMessage();
    return m_failedUnpacker ? m_failedUnpacker->detailedErrorMessage() : QString();
}

QString CArchiveAccess::LastReaderError() const
{
    if (m_unpacker)
        return m_unpacker->lastErrorText();
    return m_failedUnpacker ? m_failedUnpacker->lastErrorText() : QString();
}

QString CArchiveAccess::detailText(ArchiveKindCode kind)
{
    if (!isZipGroup(kind))
        return {};
    IUnpacker *unpacker = m_unpacker ? CurrentUnpacker(kind) : m_failedUnpacker.get();
    if (!unpacker || !unpacker->isDetailedError())
        return {};
    const QString detail = unpacker->detailedErrorMessage();
    return detail.isEmpty() ? QString() : QStringLiteral("\n\n") + detail;
}

void CArchiveAccess::ShowOpenError(ArchiveKindCode kind, bool withDetail)
{
    if (m_config.suppressOpenErrors)
        return;
    QString text = tr("Cannot open the archive.");
    if (withDetail)
        text += detailText(kind);
    showError(text, tr("Error Opening Archive"));
}

void CArchiveAccess::ShowUnpackError(UnpackItem item, const QString &name, ArchiveKindCode kind, bool withDetail)
{
    QString text;
    QString caption;
    switch (item) {
    case UnpackItem::File:
        text = tr("Cannot unpack the file %1.");
        caption = tr("Error Unpacking File");
        break;
    case UnpackItem::Folder:
        text = tr("Cannot unpack the folder %1.");
        caption = tr("Error Unpacking Folder");
        break;
    case UnpackItem::Archive:
        text = tr("Cannot unpack the archive %1.");
        caption = tr("Error Unpacking Archive");
        break;
    }
    text = text.arg(name);
    if (withDetail)
        text += detailText(kind);
    showError(text, caption);
}

}  // namespace orv
