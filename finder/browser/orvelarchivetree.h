#pragma once

#include "finder/archive/archiveaccess.h"
#include "finder/browser/droptarget.h"
#include "finder/browser/orveldragdroptree.h"
#include "finder/places/clouddriveitem.h"
#include "finder/places/mounttable.h"

#include <QIcon>

#include <functional>
#include <vector>

namespace orv {

class CArchiveEditing;
class CArchiveService;
struct SettingsValues;

// The tree of the Archive Browser: drives, cloud and special roots, folders and archives, with archives
// expanding into their folders and files as if they were on disk. Levels load when a node expands and are
// dropped when it collapses, so every expansion reads the disk or the archive afresh. Only a node's text
// is kept; its path is rebuilt from the texts up to its root.
//
// Items inside an archive are dragged out to other programs as files; files dropped from other programs
// go into ZIP, JAR and XAP archives or make a new ZIP archive in a disk folder. Items are never renamed
// here: the archives are only added to.
class COrvelArchiveTree : public COrvelDragDropTree
{
    Q_OBJECT

public:
    static constexpr int ControlId = 42005;

    // The service holds the archive settings and passwords the tree reads archives with; it outlives the tree.
    explicit COrvelArchiveTree(CArchiveService &service, QWidget *parent = nullptr);
    ~COrvelArchiveTree() override;

    CArchiveService &service() { return m_service; }

    void setDrives(const QList<CDriveInfo> &drives) { m_drives = drives; }
    void setCloudRoots(const std::vector<CCloudDriveItem> &roots) { m_roots = roots; }
    void setOpenOnDoubleClick(bool on) { m_openOnDoubleClick = on; }
    // Dragging out and dropping in, with the two switches of the settings; without them the tree does
    // neither.
    void setDragAndDrop(CArchiveEditing *editing, const SettingsValues *settings);

    // Rebuilds the roots: the drives, then the cloud and special roots; selects the first fixed drive.
    void Fill();
    // Writes the status line of the selected node again, for a listener that came after the selection.
    void ShowStatus();
    // Adds roots for drives that appeared, where they stand in the drive list.
    void RefreshDrives(const QList<CDriveInfo> &drives);
    // Drops the root of a drive that went away.
    void RemoveDrive(const QString &drivePath);

    QString nodePath(const QTreeWidgetItem *item) const;
    // The node of a path among the loaded nodes, without loading anything; null when it is not loaded.
    QTreeWidgetItem *loadedNode(const QString &path) const;
    // Expands the tree down to the path, reloading every node on the way, and selects the deepest node
    // found. Returns it, or null when no root holds the path.
    QTreeWidgetItem *SelectPath(const QString &path);
    // Selects a root and expands it.
    void SelectRoot(const QString &rootPath);
    // Expanding loads the node's level; collapsing drops it. The same as the user's clicks.
    void ExpandNode(QTreeWidgetItem *item);
    void CollapseNode(QTreeWidgetItem *item);
    // Reloads the node of the path and the expanded nodes below it.
    void RefreshPath(const QString &path);
    // Extracts the selected file of an archive to the temporary folder and opens it with its program.
    bool OpenSelectedFile();
    // Whether the node of a path is loaded and expanded.
    bool isExpandedPath(const QString &path) const;

    static bool isPlaceholder(const QTreeWidgetItem *item);
    // Drawn as a folder: a folder on disk or inside an archive.
    bool hasFolderIcon(const QTreeWidgetItem *item) const;

signals:
    void statusTextChanged(const QString &text);
    void nodeSelected(const QString &path, const QIcon &icon);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QTreeWidgetItem *dropTargetNode(QTreeWidgetItem *node) override;
    bool dropFile(const QString &source, QTreeWidgetItem *target, bool laterItem) override;
    void dropFinished() override;
    QMimeData *dragDataOf(QTreeWidgetItem *node, const std::function<bool()> &droppedOutside) override;

private:
    void onExpanded(QTreeWidgetItem *item);
    void onCollapsed(QTreeWidgetItem *item);
    void onCurrentChanged(QTreeWidgetItem *current);
    void onDoubleClicked(QTreeWidgetItem *item);
    void showStatusOf(const QTreeWidgetItem *item);

    void loadChildren(QTreeWidgetItem *item);
    void loadFolder(QTreeWidgetItem *item, const QString &path);
    void loadArchive(QTreeWidgetItem *item, const QString &path, const CArchiveAccess::Located &archive);
    void resetToPlaceholder(QTreeWidgetItem *item);
    void reload(QTreeWidgetItem *item);
    void refreshAfterPacking(const QString &targetPath);
    DropTarget dropTargetOfNode(const QTreeWidgetItem *node);
    QTreeWidgetItem *fillRoots();
    QTreeWidgetItem *makeDriveRoot(const CDriveInfo &drive);
    QTreeWidgetItem *rootOf(const QString &path, QString *rest) const;
    QString rootPath(const QTreeWidgetItem *root) const;
    static QTreeWidgetItem *childNamed(const QTreeWidgetItem *parent, const QString &name);

    QIcon folderIcon() const { return m_folderIcon; }

    CArchiveService &m_service;
    QList<CDriveInfo> m_drives;
    std::vector<CCloudDriveItem> m_roots;
    bool m_openOnDoubleClick = true;
    bool m_loading = false;
    QIcon m_folderIcon;
    QString m_unopenedArchive;  // the archive whose failed open the status line tells of
    CArchiveEditing *m_editing = nullptr;
    const SettingsValues *m_dragSettings = nullptr;
    QString m_packedArchive;    // the archive the packer last told of
};

}  // namespace orv
