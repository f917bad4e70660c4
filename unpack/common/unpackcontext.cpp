#include "unpackcontext.h"

#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "platform/pump.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/extractpaths.h"

#include <QObject>

#include <cerrno>
#include <cstring>
#include <utility>
#include <sys/stat.h>

namespace orv {

namespace {

const QString &unpackErrorCaption()
{
    static const QString caption = QStringLiteral("Error Unpacking File");
    return caption;
}

UnpackNoticeSink &noticeSink()
{
    static UnpackNoticeSink sink;
    return sink;
}

// A reader's sentence as the few words after an item's name: "CRC failed: the archive is damaged." ends
// without its full stop, and "The data is longer than the header says." also starts in lower case, which
// an abbreviation ("CRC") keeps.
QString asReason(QString sentence)
{
    if (sentence.endsWith(QLatin1Char('.')) && !sentence.endsWith(QLatin1String("..")))
        sentence.chop(1);
    if (sentence.size() > 1 && sentence[0].isUpper() && !sentence[1].isUpper())
        sentence[0] = sentence[0].toLower();
    return sentence;
}

// Items kept out by what is on disk are skipped; the others failed.
bool blockedByDisk(OutputFile::Error error)
{
    return error == OutputFile::Error::FolderInTheWay || error == OutputFile::Error::FileInTheWay
           || error == OutputFile::Error::NameTooLong;
}

bool isFolder(const QByteArray &native)
{
    struct stat st{};
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

UnpackContext::UnpackContext() = default;

UnpackContext::~UnpackContext() = default;

UnpackContext::UnpackContext(const UnpackContext &other)
    : m_ini(other.m_ini),
      m_yesToAll(other.m_yesToAll),
      m_fileTree(other.m_fileTree),
      m_outputPath(other.m_outputPath),
      m_cancelled(other.m_cancelled),
      m_stopRequested(other.m_stopRequested)
{
    setProgressReceiver(other.progressReceiver());
}

UnpackContext &UnpackContext::operator=(const UnpackContext &other)
{
    if (this == &other)
        return *this;
    m_ini = other.m_ini;
    m_yesToAll = other.m_yesToAll;
    m_fileTree = other.m_fileTree;
    m_outputPath = other.m_outputPath;
    m_cancelled = other.m_cancelled;
    m_stopRequested = other.m_stopRequested;
    setProgressReceiver(other.progressReceiver());
    return *this;
}

UnpackNoticeSink UnpackContext::setNoticeSink(UnpackNoticeSink sink)
{
    return std::exchange(noticeSink(), std::move(sink));
}

void UnpackContext::noteSkipped(const QString &item, const QString &reason) const
{
    if (const UnpackNoticeSink &sink = noticeSink())
        sink(UnpackNotice{UnpackNotice::Kind::Skipped, item, asReason(reason)});
}

void UnpackContext::noteFailed(const QString &item, const QString &reason) const
{
    if (const UnpackNoticeSink &sink = noticeSink())
        sink(UnpackNotice{UnpackNotice::Kind::Failed, item, asReason(reason)});
}

void UnpackContext::noteKept(const QString &item) const
{
    noteSkipped(item, QStringLiteral("a file of that name is already there and was kept"));
}

void UnpackContext::noteWalkFailure(const QString &item, safefs::WalkResult result, int systemError) const
{
    switch (result) {
    case safefs::WalkResult::Ok:
    case safefs::WalkResult::ThroughLink:
        break;
    case safefs::WalkResult::NotAFolder:
        noteSkipped(item, QStringLiteral("a file is in the way"));
        break;
    case safefs::WalkResult::NameTooLong:
        noteSkipped(item, QStringLiteral("its name is too long for the file system"));
        break;
    case safefs::WalkResult::CannotCreate:
        noteFailed(item,
                   QStringLiteral("it cannot be created: %1").arg(QString::fromLocal8Bit(std::strerror(systemError))));
        break;
    }
}

void UnpackContext::noteOutputFailure(const OutputFile &file) const
{
    if (blockedByDisk(file.error()))
        noteSkipped(file.entryPath(), file.errorText());
    else
        noteFailed(file.entryPath(), file.errorText());
}

void UnpackContext::beginOperation()
{
    m_creationMask = safefs::processUmask();
    m_checkedTarget.clear();
    m_folders.clear();
    m_cancelled = false;
    m_stopRequested = false;
}

bool UnpackContext::createFolder(const QString &requested)
{
    QString path = requested;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path.isEmpty())
        return false;
    const QByteArray native = entryNameBytes(path);
    struct stat st{};
    if (::lstat(native.constData(), &st) == 0)
        return isFolder(native);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash > 0 && !createFolder(path.left(slash)))
        return false;
    if (::mkdir(native.constData(), 0777) != 0)
        return errno == EEXIST && isFolder(native);
    m_outputPath = path;
    updateFileTree(path);
    return true;
}

bool UnpackContext::fileExists(const QString &path)
{
    struct stat st{};
    return !path.isEmpty() && ::lstat(entryNameBytes(path).constData(), &st) == 0;
}

void UnpackContext::updateProgress(std::uint64_t done, std::uint64_t total, const QString &name)
{
    QObject *progress = progressReceiver();
    if (!progress)
        return;
    int percent = 0;
    if (total != 0) {
        const long double share = static_cast<long double>(done) / static_cast<long double>(total) * 100.0L;
        percent = share >= 100.0L ? 100 : static_cast<int>(share);
    }
    sendOrvEvent(progress, Ev::UnpackProgress, percent, name);
}

void UnpackContext::updateFileTree(const QString &path)
{
    sendOrvEvent(m_fileTree, Ev::PathCreated, 0, path);
}

bool UnpackContext::doEvents()
{
    pumpEvents();
    if (m_stopRequested) {
        if (askYesNo(QStringLiteral("Interrupt the unpack?"), productName()))
            m_cancelled = true;
        m_stopRequested = false;
    }
    return !m_cancelled;
}

ReplaceDecision UnpackContext::confirmReplace(const QString &outputPath, const ArchivedFile &item)
{
    const ReplaceDecision decision = ReplaceConfirmer(m_ini, m_yesToAll).confirm(outputPath, item);
    if (decision == ReplaceDecision::Cancel)
        m_cancelled = true;
    return decision;
}

bool UnpackContext::refuseOutside(const QString &entryPath)
{
    showError(outsideTargetMessage(entryPath), unpackErrorCaption());
    return false;
}

safefs::WalkResult UnpackContext::openEntryFolder(const QString &targetFolder, QStringView folders,
                                                  std::shared_ptr<const safefs::Fd> &folder)
{
    const auto created = [this](const QString &path) {
        m_outputPath = path;
        updateFileTree(path);
    };
    return m_folders.open(targetFolder, folders, created, folder);
}

bool UnpackContext::createEntryFolder(const QString &targetFolder, const QString &entryPath)
{
    const std::optional<QString> relative = safeRelativePath(entryPath);
    if (!relative)
        return refuseOutside(entryPath);
    if (!createFolder(targetFolder))
        return false;
    std::shared_ptr<const safefs::Fd> folder;
    const safefs::WalkResult result = openEntryFolder(targetFolder, *relative, folder);
    const int systemError = errno;
    if (result == safefs::WalkResult::Ok)
        return true;
    if (result == safefs::WalkResult::ThroughLink)
        return refuseOutside(entryPath);
    noteWalkFailure(*relative, result, systemError);
    return false;
}

FileStart UnpackContext::beginFile(OutputFile &file, const QString &targetFolder, const QString &entryPath,
                                   const ArchivedFile &item)
{
    const std::optional<QString> outputPath = safeOutputPath(targetFolder, entryPath);
    if (!outputPath) {
        refuseOutside(entryPath);
        return FileStart::Failed;
    }
    m_outputPath = *outputPath;
    const bool targetChecked = targetFolder == m_checkedTarget;
    if (!targetChecked) {
        if (!createFolder(targetFolder))
            return FileStart::Failed;
        m_checkedTarget = targetFolder;
    }
    const FileStart opened = openFile(file, targetFolder, entryPath, targetChecked);
    if (opened != FileStart::Open || !file.replacesExisting())
        return opened;
    switch (confirmReplace(*outputPath, item)) {
    case ReplaceDecision::Write:
        return FileStart::Open;
    case ReplaceDecision::Skip:
        file.discard();
        noteKept(file.entryPath());
        return FileStart::Skipped;
    case ReplaceDecision::Cancel:
        break;
    }
    file.discard();
    return FileStart::Failed;
}

// The folders are walked and made first, so the replace question never looks through a link.
FileStart UnpackContext::openFile(OutputFile &file, const QString &targetFolder, const QString &entryPath,
                                  bool targetChecked)
{
    const auto created = [this](const QString &path) { updateFileTree(path); };
    if (file.open(targetFolder, entryPath, created, &m_folders)) {
        if (m_creationMask)
            file.setCreationMask(*m_creationMask);
        return FileStart::Open;
    }
    if (file.error() == OutputFile::Error::OutsideTarget) {
        refuseOutside(entryPath);
        return FileStart::Failed;
    }
    // The target may have gone since it was made sure of; it is then made again, once.
    if (file.error() == OutputFile::Error::CannotCreate && targetChecked) {
        m_checkedTarget.clear();
        m_folders.clear();
        if (!createFolder(targetFolder))
            return FileStart::Failed;
        m_checkedTarget = targetFolder;
        return openFile(file, targetFolder, entryPath, false);
    }
    noteOutputFailure(file);
    return FileStart::Failed;
}

bool UnpackContext::finishFile(OutputFile &file)
{
    if (!file.commit()) {
        noteOutputFailure(file);
        return false;
    }
    updateFileTree(file.path());
    return true;
}

}  // namespace orv
