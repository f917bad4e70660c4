#include "archiveediting.h"

#include "finder/browser/archiveservice.h"
#include "finder/common/busyflags.h"
#include "finder/settings/settings.h"
#include "platform/events.h"
#include "platform/prompts.h"
#include "zip/zippacker.h"

#include <QFileInfo>

namespace orv {

CArchiveEditing::CArchiveEditing(CArchiveService &archives, CBusyFlags &busy, const SettingsValues &settings,
                                 PackChoices &choices)
    : m_archives(archives), m_busy(busy), m_settings(settings), m_choices(choices)
{
}

DropTarget CArchiveEditing::TestDropTarget(const QString &nodePath, const ArchiveFolderTest &isFolder)
{
    return dropTargetOf(nodePath, m_archives.layer(), m_refusedFolder, isFolder);
}

bool CArchiveEditing::isPacking() const
{
    return m_busy.isRunning(CBusyFlags::Pack);
}

bool CArchiveEditing::AddDroppedItem(const QString &source, const DropTarget &target, QObject *tree, bool laterItem)
{
    m_cancelled = false;
    if (!laterItem)
        m_remembered.clear();
    m_targetPath = target.path;
    if (!m_remembered.isEmpty())
        return addToArchive(source, m_remembered, QString(), tree);
    switch (target.kind) {
    case DropTarget::Archive:
        return addToArchive(source, target.archivePath, target.archiveFolder, tree);
    case DropTarget::Folder:
        return createArchive(source, target.path, tree);
    case DropTarget::None:
        break;
    }
    return false;
}

void CArchiveEditing::EndDrop()
{
    m_choices.forgetPassword();
    m_remembered.clear();
}

CArchiveEditing::Chosen CArchiveEditing::chooseSettings(bool creating, const QString &name)
{
    m_choices.archiveName = name;
    if (compressionFixed(m_settings, creating)) {
        applyFixedCompression(m_settings, m_choices);
        return Chosen::FromSettings;
    }
    if (m_dialog && m_dialog(presetsFor(m_settings, creating, name), m_choices))
        return Chosen::InDialog;
    m_cancelled = true;
    return Chosen::Cancelled;
}

bool CArchiveEditing::addToArchive(const QString &source, const QString &archive, const QString &folder,
                                   QObject *tree)
{
    if (chooseSettings(false, QFileInfo(archive).fileName()) == Chosen::Cancelled)
        return false;
    CZipPacker packer;
    if (!packer.OpenArchive(archive, false)) {
        const QString reason = packer.GetLastErrorText();
        showError(tr("Cannot open the archive.") + (reason.isEmpty() ? QString() : QStringLiteral("\n\n") + reason),
                  tr("Error Opening Archive"));
        return false;
    }
    return runAdd(packer, source, folder, tree, false);
}

// Nothing is written before the add: a new archive that cannot be filled never appears, and a file it would
// replace stays as it was.
bool CArchiveEditing::createArchive(const QString &source, const QString &folder, QObject *tree)
{
    const Chosen chosen = chooseSettings(true, proposedArchiveName(source));
    if (chosen == Chosen::Cancelled)
        return false;
    const QString path = newArchivePath(folder, m_choices.archiveName, chosen == Chosen::InDialog);
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isDir()
        && prompter().message(replaceArchiveQuestion(path), tr("Confirm Replace"), MsgIcon::Question,
                              MsgButtons::YesNo) != MsgAnswer::Yes)
        return false;
    CZipPacker packer;
    packer.SetWndArchiveTree(tree);
    // The tree may look at the new archive before it holds anything; that is no error worth a message.
    m_archives.setSuppressOpenErrors(true);
    const bool created = packer.CreateArchive(path);
    m_archives.setSuppressOpenErrors(false);
    if (!created) {
        showError(tr("Cannot create the archive %1.").arg(path), tr("Error Creating Archive"));
        return false;
    }
    m_remembered = path;
    return runAdd(packer, source, QString(), tree, true);
}

bool CArchiveEditing::runAdd(CZipPacker &packer, const QString &source, const QString &archiveFolder, QObject *tree,
                             bool newArchive)
{
    const std::unique_ptr<QObject> progress = m_makeProgress ? m_makeProgress() : nullptr;
    packer.SetHandleDialogProgress(progress.get());
    packer.SetWndArchiveTree(tree);
    packer.SetIni(packIniFor(m_settings, m_choices, newArchive));
    const bool folder = QFileInfo(source).isDir();
    bool added = false;
    {
        BusyScope busy(m_busy, CBusyFlags::Pack, progress.get());
        if (archiveFolder.isEmpty())
            added = folder ? packer.AddFolderToArchive(source, source) : packer.AddFileToArchive(source);
        else if (folder)
            added = packer.AddFolderToArchiveFolder(source, source, archiveFolder, true);
        else
            added = packer.AddFileToArchiveFolder(source, archiveFolder);
    }
    // Refreshed whether or not the add went through: the node shows what the archive now holds.
    sendOrvEvent(tree, Ev::TreeRefresh, Ev::TreeRefreshDone, m_targetPath);
    packer.CloseArchive();
    return added;
}

}  // namespace orv
