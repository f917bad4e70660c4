#include "unpackcontext.h"

#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "platform/pump.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/extractpaths.h"

#include <QObject>

#include <cerrno>
#include <sys/stat.h>

namespace orv {

namespace {

const QString &unpackErrorCaption()
{
    static const QString caption = QStringLiteral("Error Unpacking File");
    return caption;
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

void UnpackContext::beginOperation()
{
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

bool UnpackContext::createEntryFolder(const QString &targetFolder, const QString &entryPath)
{
    const std::optional<QString> relative = safeRelativePath(entryPath);
    if (!relative)
        return refuseOutside(entryPath);
    if (!createFolder(targetFolder))
        return false;
    const safefs::Fd root = safefs::openTarget(targetFolder);
    if (!root.valid())
        return false;
    safefs::Fd folder;
    const auto created = [this](const QString &path) {
        m_outputPath = path;
        updateFileTree(path);
    };
    switch (safefs::walkFolders(root, targetFolder, relative->split(QLatin1Char('/')), true, created, folder)) {
    case safefs::WalkResult::Ok:
        return true;
    case safefs::WalkResult::ThroughLink:
        return refuseOutside(entryPath);
    case safefs::WalkResult::NotAFolder:
    case safefs::WalkResult::CannotCreate:
        break;
    }
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
    // The folders are walked and made first, so the question below never looks through a link.
    const auto created = [this](const QString &path) { updateFileTree(path); };
    if (!file.open(targetFolder, entryPath, created, &m_folders)) {
        if (file.error() == OutputFile::Error::OutsideTarget)
            refuseOutside(entryPath);
        // The target may have gone since it was made sure of; it is then made again, once.
        if (file.error() == OutputFile::Error::CannotCreate && targetChecked) {
            m_checkedTarget.clear();
            m_folders.clear();
            return beginFile(file, targetFolder, entryPath, item);
        }
        return FileStart::Failed;
    }
    if (!file.replacesExisting())
        return FileStart::Open;
    switch (confirmReplace(*outputPath, item)) {
    case ReplaceDecision::Write:
        return FileStart::Open;
    case ReplaceDecision::Skip:
        file.discard();
        return FileStart::Skipped;
    case ReplaceDecision::Cancel:
        break;
    }
    file.discard();
    return FileStart::Failed;
}

bool UnpackContext::finishFile(OutputFile &file)
{
    if (!file.commit())
        return false;
    updateFileTree(file.path());
    return true;
}

}  // namespace orv
