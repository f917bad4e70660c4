#pragma once

#include "finder/browser/droptarget.h"
#include "finder/browser/packchoices.h"

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>

class QObject;

namespace orv {

class CArchiveService;
class CBusyFlags;
class CZipPacker;
struct SettingsValues;

// Writing ZIP archives with files dropped on the Archive Browser: each dropped file or folder is added to
// the archive under the drop target, or, dropped on a disk folder, makes a new archive there, to which the
// later items of the same drop are added. The archive is rewritten through a temporary file, so a failed or
// stopped add leaves it as it was.
class CArchiveEditing
{
    Q_DECLARE_TR_FUNCTIONS(CArchiveEditing)

public:
    // Shows "Name and Compression Settings" with the presets over the choices; false when cancelled.
    using ChoicesDialog = std::function<bool(const NameAndLevelPresets &presets, PackChoices &choices)>;
    // Makes the shown "Pack Progress" window of one add.
    using ProgressFactory = std::function<std::unique_ptr<QObject>()>;

    // The choices are the main frame's: they last from one item of a drop to the next.
    CArchiveEditing(CArchiveService &archives, CBusyFlags &busy, const SettingsValues &settings,
                    PackChoices &choices);

    void setChoicesDialog(ChoicesDialog dialog) { m_dialog = std::move(dialog); }
    void setProgressFactory(ProgressFactory factory) { m_makeProgress = std::move(factory); }
    // The folder no archive is made in (see dropTargetOf).
    void setRefusedFolder(const QString &folder) { m_refusedFolder = folder; }

    DropTarget TestDropTarget(const QString &nodePath, const ArchiveFolderTest &isFolder);
    // While an add runs, its events are pumped: a drop that comes meanwhile is refused.
    bool isPacking() const;

    // Adds one dropped file or folder; the tree is told of the change (TreeRefresh). False ends the drop:
    // the dialog was cancelled, the archive could not be opened or made, the user kept an existing file,
    // or the add failed or was stopped.
    bool AddDroppedItem(const QString &source, const DropTarget &target, QObject *tree, bool laterItem);
    // Whether the last item ended because the dialog was cancelled.
    bool cancelled() const { return m_cancelled; }
    // After every drop: a password is never taken over by the next one.
    void EndDrop();

private:
    enum class Chosen { Cancelled, FromSettings, InDialog };
    Chosen chooseSettings(bool creating, const QString &name);
    bool addToArchive(const QString &source, const QString &archive, const QString &folder, QObject *tree);
    bool createArchive(const QString &source, const QString &folder, QObject *tree);
    bool runAdd(CZipPacker &packer, const QString &source, const QString &archiveFolder, QObject *tree,
                bool newArchive);

    CArchiveService &m_archives;
    CBusyFlags &m_busy;
    const SettingsValues &m_settings;
    PackChoices &m_choices;
    ChoicesDialog m_dialog;
    ProgressFactory m_makeProgress;
    QString m_refusedFolder;
    QString m_remembered;  // the archive made for the first item of a drop
    QString m_targetPath;  // the node the files were dropped on
    bool m_cancelled = false;
};

}  // namespace orv
