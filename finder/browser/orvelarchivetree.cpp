#include "orvelarchivetree.h"

#include "finder/browser/archiveediting.h"
#include "finder/browser/archiveservice.h"
#include "finder/browser/dragoutdata.h"
#include "finder/browser/treelevels.h"
#include "finder/browser/unpackprogress.h"
#include "finder/places/drivesbutton.h"
#include "finder/settings/settings.h"
#include "platform/events.h"
#include "platform/gui/fileicons.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QSignalBlocker>

#include <memory>

namespace orv {

namespace {

// The folder a root stands for: a drive's mount point or a cloud or special root's folder.
constexpr int kRootPathRole = Qt::UserRole;

QTreeWidgetItem *makePlaceholder()
{
    auto *placeholder = new QTreeWidgetItem;
    placeholder->setFlags(Qt::NoItemFlags);
    return placeholder;
}

QTreeWidgetItem *makeNode(const QString &text, const QIcon &icon, bool expandable)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setIcon(0, icon);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
    item->setCheckState(0, Qt::Unchecked);
    if (expandable)
        item->addChild(makePlaceholder());
    return item;
}

bool isBelow(const QTreeWidgetItem *item, const QTreeWidgetItem *ancestor)
{
    for (const QTreeWidgetItem *up = item ? item->parent() : nullptr; up; up = up->parent()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

// Loading a level: no repaint per inserted node, the wait cursor, and no status updates for the nodes
// that come and go meanwhile.
class LoadScope
{
public:
    LoadScope(QWidget *widget, bool &loading) : m_widget(widget), m_loading(loading), m_wasLoading(loading)
    {
        m_updates = widget->updatesEnabled();
        widget->setUpdatesEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_loading = true;
    }
    ~LoadScope()
    {
        m_loading = m_wasLoading;
        QApplication::restoreOverrideCursor();
        m_widget->setUpdatesEnabled(m_updates);
    }
    LoadScope(const LoadScope &) = delete;
    LoadScope &operator=(const LoadScope &) = delete;

private:
    QWidget *m_widget;
    bool &m_loading;
    bool m_wasLoading;
    bool m_updates = true;
};

}  // namespace

COrvelArchiveTree::COrvelArchiveTree(CArchiveService &service, QWidget *parent)
    : COrvelDragDropTree(parent),
      m_service(service),
      m_folderIcon(QFileIconProvider().icon(QAbstractFileIconProvider::Folder))
{
    setObjectName(QStringLiteral("ArchiveTree"));
    setProperty("controlId", ControlId);
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    // Every row is one line of text with a small icon; a fixed height keeps levels of 100,000 rows fast.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    m_service.setExpandedQuery([this](const QString &path) { return isExpandedPath(path); });

    connect(this, &QTreeWidget::itemExpanded, this, &COrvelArchiveTree::onExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &COrvelArchiveTree::onCollapsed);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { onCurrentChanged(current); });
    connect(this, &QTreeWidget::itemDoubleClicked, this, &COrvelArchiveTree::onDoubleClicked);
}

COrvelArchiveTree::~COrvelArchiveTree()
{
    m_service.setExpandedQuery({});
}

bool COrvelArchiveTree::isExpandedPath(const QString &path) const
{
    const QTreeWidgetItem *node = loadedNode(path);
    return node && node->isExpanded();
}

bool COrvelArchiveTree::hasFolderIcon(const QTreeWidgetItem *item) const
{
    return item && item->icon(0).cacheKey() == m_folderIcon.cacheKey();
}

bool COrvelArchiveTree::isPlaceholder(const QTreeWidgetItem *item)
{
    return item && item->text(0).isEmpty() && item->childCount() == 0 && item->flags() == Qt::NoItemFlags;
}

QTreeWidgetItem *COrvelArchiveTree::makeDriveRoot(const CDriveInfo &drive)
{
    // A removable or optical drive may hold nothing now and something later: it is not looked into.
    const bool expandable = drive.m_type != DriveType::Fixed || folderHasContent(drive.m_strDrive, m_service.layer());
    QTreeWidgetItem *root = makeNode(drive.displayName(), driveIcon(drive.m_type), expandable);
    root->setData(0, kRootPathRole, drive.m_strDrive);
    return root;
}

void COrvelArchiveTree::Fill()
{
    QTreeWidgetItem *start = fillRoots();
    // Outside the loading scope, so that the start item's status line is written.
    if (start)
        setCurrentItem(start);
}

QTreeWidgetItem *COrvelArchiveTree::fillRoots()
{
    LoadScope scope(this, m_loading);
    clear();
    QTreeWidgetItem *start = nullptr;
    for (const CDriveInfo &drive : std::as_const(m_drives)) {
        QTreeWidgetItem *root = makeDriveRoot(drive);
        addTopLevelItem(root);
        if (!start && drive.m_type == DriveType::Fixed)
            start = root;
    }
    const QFileIconProvider icons;
    for (const CCloudDriveItem &place : m_roots) {
        const QString iconSource = place.m_bHasOwnIcon ? place.m_strIconFile : place.m_strTargetFolder;
        QTreeWidgetItem *root = makeNode(QFileInfo(place.m_strTargetFolder).fileName(),
                                         icons.icon(QFileInfo(iconSource)),
                                         folderHasContent(place.m_strTargetFolder, m_service.layer()));
        root->setData(0, kRootPathRole, place.m_strTargetFolder);
        addTopLevelItem(root);
    }
    return start;
}

void COrvelArchiveTree::RefreshDrives(const QList<CDriveInfo> &drives)
{
    m_drives = drives;
    int position = 0;
    for (const CDriveInfo &drive : drives) {
        QTreeWidgetItem *existing = position < topLevelItemCount() ? topLevelItem(position) : nullptr;
        if (!existing || rootPath(existing) != drive.m_strDrive)
            insertTopLevelItem(position, makeDriveRoot(drive));
        ++position;
    }
}

void COrvelArchiveTree::RemoveDrive(const QString &drivePath)
{
    m_drives.removeIf([&](const CDriveInfo &drive) { return drive.m_strDrive == drivePath; });
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (rootPath(topLevelItem(i)) == drivePath && topLevelItem(i)->data(0, kRootPathRole).isValid()) {
            m_service.passwords().removeAtOrBelow(drivePath);
            delete takeTopLevelItem(i);
            return;
        }
    }
}

QString COrvelArchiveTree::rootPath(const QTreeWidgetItem *root) const
{
    const QString stored = root->data(0, kRootPathRole).toString();
    return stored.isEmpty() ? drivePathFromDisplayName(root->text(0)) : stored;
}

QString COrvelArchiveTree::nodePath(const QTreeWidgetItem *item) const
{
    if (!item)
        return {};
    QStringList names;
    const QTreeWidgetItem *node = item;
    for (; node->parent(); node = node->parent())
        names.prepend(node->text(0));
    QString path = rootPath(node);
    for (const QString &name : std::as_const(names))
        path = joinPath(path, name);
    return path;
}

// The root whose folder holds the path; when roots nest (a special folder inside the home volume),
// the deepest one.
QTreeWidgetItem *COrvelArchiveTree::rootOf(const QString &path, QString *rest) const
{
    QTreeWidgetItem *best = nullptr;
    qsizetype bestLength = -1;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QString folder = rootPath(topLevelItem(i));
        if (folder.isEmpty() || folder.size() <= bestLength)
            continue;
        const bool holds = path == folder
                           || (path.startsWith(folder)
                               && (folder.endsWith(QLatin1Char('/')) || path.at(folder.size()) == QLatin1Char('/')));
        if (holds) {
            best = topLevelItem(i);
            bestLength = folder.size();
        }
    }
    if (best && rest)
        *rest = path.mid(bestLength);
    return best;
}

// Names are case-sensitive, on the disk and inside archives, so an exact name wins; a name in other case
// still finds its node when no child has the name's own spelling, as the readers locate items.
QTreeWidgetItem *COrvelArchiveTree::childNamed(const QTreeWidgetItem *parent, const QString &name)
{
    QTreeWidgetItem *folded = nullptr;
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem *child = parent->child(i);
        if (isPlaceholder(child))
            continue;
        if (child->text(0) == name)
            return child;
        if (!folded && child->text(0).compare(name, Qt::CaseInsensitive) == 0)
            folded = child;
    }
    return folded;
}

QTreeWidgetItem *COrvelArchiveTree::loadedNode(const QString &path) const
{
    QString rest;
    QTreeWidgetItem *node = rootOf(path, &rest);
    const QStringList names = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : names) {
        if (!node)
            return nullptr;
        node = childNamed(node, name);
    }
    return node;
}

void COrvelArchiveTree::ExpandNode(QTreeWidgetItem *item)
{
    if (!item || isPlaceholder(item))
        return;
    {
        const QSignalBlocker blocker(this);
        item->setExpanded(true);
    }
    onExpanded(item);
}

void COrvelArchiveTree::CollapseNode(QTreeWidgetItem *item)
{
    if (!item || isPlaceholder(item))
        return;
    {
        const QSignalBlocker blocker(this);
        item->setExpanded(false);
    }
    onCollapsed(item);
}

void COrvelArchiveTree::onExpanded(QTreeWidgetItem *item)
{
    loadChildren(item);
}

void COrvelArchiveTree::onCollapsed(QTreeWidgetItem *item)
{
    if (isBelow(currentItem(), item))
        setCurrentItem(item);
    m_service.passwords().removeAtOrBelow(nodePath(item));
    resetToPlaceholder(item);
}

void COrvelArchiveTree::resetToPlaceholder(QTreeWidgetItem *item)
{
    qDeleteAll(item->takeChildren());
    item->addChild(makePlaceholder());
}

void COrvelArchiveTree::reload(QTreeWidgetItem *item)
{
    if (item->isExpanded())
        CollapseNode(item);
    else
        resetToPlaceholder(item);
    ExpandNode(item);
}

void COrvelArchiveTree::loadChildren(QTreeWidgetItem *item)
{
    const QString path = nodePath(item);
    const CArchiveAccess::Located archive = m_service.layer().locateArchive(path);
    if (archive.kind == ArchiveKind::None || archive.kind == ArchiveKind::Ace) {
        LoadScope scope(this, m_loading);
        qDeleteAll(item->takeChildren());
        loadFolder(item, path);
    } else {
        loadArchive(item, path, archive);
    }
}

void COrvelArchiveTree::loadFolder(QTreeWidgetItem *item, const QString &path)
{
    CArchiveAccess &layer = m_service.layer();
    const FolderLevel level = listFolderLevel(path, layer);
    QList<QTreeWidgetItem *> children;
    children.reserve(level.folders.size() + level.archives.size());
    for (const QString &name : level.folders)
        children.append(makeNode(name, folderIcon(), folderHasContent(joinPath(path, name), layer)));
    for (const QString &name : level.archives)
        children.append(makeNode(name, archiveIcon(name), true));
    item->addChildren(children);
}

// The level is read through a layer of its own before the node's children are replaced, and the node is
// found again by its path afterwards: the read may show a password dialog, and what runs in its event loop
// may reload or drop the node. The error message comes after the wait cursor is gone.
void COrvelArchiveTree::loadArchive(QTreeWidgetItem *expanding, const QString &path,
                                    const CArchiveAccess::Located &archive)
{
    const QString inner = innerPathOf(path, archive.path);
    // Expanding a 7z archive itself always asks for its password again; its folders reuse it.
    if (inner.isEmpty() && (archive.kind == ArchiveKind::SevenZip || archive.kind == ArchiveKind::SevenZipVolumes))
        m_service.passwords().remove(archive.kind, archive.path);
    const std::unique_ptr<CArchiveAccess> access = m_service.NewAccess();
    ArchiveLevel level;
    {
        LoadScope scope(this, m_loading);
        level = listArchiveLevel(*access, archive.path, archive.kind, inner,
                                 m_service.levelCatalogue(archive.kind, archive.path));
        QTreeWidgetItem *item = loadedNode(path);
        if (item != expanding)
            return;
        qDeleteAll(item->takeChildren());
        QList<QTreeWidgetItem *> children;
        children.reserve(level.folders.size() + level.files.size());
        for (const ArchiveLevelItem &folder : level.folders)
            children.append(makeNode(folder.name, folderIcon(), folder.expandable));
        for (const ArchiveLevelItem &file : level.files)
            children.append(makeNode(file.name, fileTypeIcon(file.name), file.expandable));
        item->addChildren(children);
    }
    if (!level.opened)
        access->ShowOpenError(archive.kind, true);
    else if (!m_unopenedArchive.isEmpty() && m_unopenedArchive == archive.path && currentItem())
        showStatusOf(currentItem());
}

void COrvelArchiveTree::onCurrentChanged(QTreeWidgetItem *current)
{
    if (m_loading || !current || isPlaceholder(current))
        return;
    showStatusOf(current);
    emit nodeSelected(nodePath(current), current->icon(0));
}

void COrvelArchiveTree::ShowStatus()
{
    if (currentItem() && !isPlaceholder(currentItem()))
        showStatusOf(currentItem());
}

void COrvelArchiveTree::showStatusOf(const QTreeWidgetItem *item)
{
    const QString path = nodePath(item);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SelectionStatus status = selectionStatus(*m_service.NewAccess(), path, m_service.openErrorsSuppressed());
    QApplication::restoreOverrideCursor();
    // The archive may open later, when its password is given on expanding it; the line is written anew then.
    m_unopenedArchive = status.openFailed ? m_service.layer().locateArchive(path).path : QString();
    emit statusTextChanged(status.text);
}

QTreeWidgetItem *COrvelArchiveTree::SelectPath(const QString &path)
{
    QString rest;
    QTreeWidgetItem *node = rootOf(path, &rest);
    if (!node)
        return nullptr;
    for (const QString &name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        reload(node);
        QTreeWidgetItem *child = childNamed(node, name);
        if (!child)
            break;
        node = child;
    }
    if (currentItem() == node)
        onCurrentChanged(node);
    else
        setCurrentItem(node);
    scrollToItem(node);
    return node;
}

void COrvelArchiveTree::SelectRoot(const QString &rootFolder)
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *root = topLevelItem(i);
        if (rootPath(root) != rootFolder)
            continue;
        setCurrentItem(root);
        if (!root->isExpanded())
            ExpandNode(root);
        scrollToItem(root);
        return;
    }
}

// The nodes below that were open before are opened again, top down, as far as they still exist.
void COrvelArchiveTree::RefreshPath(const QString &path)
{
    QString rest;
    QTreeWidgetItem *node = rootOf(path, &rest);
    for (const QString &name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QTreeWidgetItem *child = node ? childNamed(node, name) : nullptr;
        if (!child)
            break;
        node = child;
    }
    if (!node)
        return;
    QStringList expandedBelow;
    QList<const QTreeWidgetItem *> pending{node};
    while (!pending.isEmpty()) {
        const QTreeWidgetItem *item = pending.takeFirst();
        for (int i = 0; i < item->childCount(); ++i) {
            if (item->child(i)->isExpanded()) {
                expandedBelow.append(nodePath(item->child(i)));
                pending.append(item->child(i));
            }
        }
    }
    reload(node);
    for (const QString &below : std::as_const(expandedBelow)) {
        QTreeWidgetItem *again = loadedNode(below);
        if (again && !again->isExpanded())
            ExpandNode(again);
    }
}

// The packer tells of the archive it changed while it works; once the add is over the drop target is
// reloaded, and the way down to that archive opened.
bool COrvelArchiveTree::event(QEvent *event)
{
    if (event->type() == Ev::type(Ev::TreeRefresh)) {
        const auto *refresh = static_cast<OrvEvent *>(event);
        if (refresh->value() == Ev::TreeRefreshDone)
            refreshAfterPacking(refresh->text());
        else
            m_packedArchive = refresh->text();
        return true;
    }
    return COrvelDragDropTree::event(event);
}

void COrvelArchiveTree::refreshAfterPacking(const QString &targetPath)
{
    RefreshPath(targetPath);
    QTreeWidgetItem *node = loadedNode(targetPath);
    if (node && !node->isExpanded())
        ExpandNode(node);
    const QString prefix = targetPath.endsWith(QLatin1Char('/')) ? targetPath : targetPath + QLatin1Char('/');
    if (!node || !m_packedArchive.startsWith(prefix))
        return;
    for (const QString &name : m_packedArchive.mid(prefix.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        node = childNamed(node, name);
        if (!node)
            return;
        if (!node->isExpanded())
            ExpandNode(node);
    }
}

void COrvelArchiveTree::setDragAndDrop(CArchiveEditing *editing, const SettingsValues *settings)
{
    m_editing = editing;
    m_dragSettings = settings;
    setDropAllowed([this] {
        return m_editing && m_dragSettings && m_dragSettings->bEnableDraggingToArchive && !m_editing->isPacking();
    });
}

// A folder inside an archive is known by its icon, which its level gave it: the archive is not opened at
// every node the pointer passes.
DropTarget COrvelArchiveTree::dropTargetOfNode(const QTreeWidgetItem *node)
{
    if (!m_editing || !node || isPlaceholder(node))
        return {};
    const bool folderIcon = hasFolderIcon(node);
    return m_editing->TestDropTarget(nodePath(node), [folderIcon](const QString &, ArchiveKindCode, const QString &) {
        return folderIcon;
    });
}

QTreeWidgetItem *COrvelArchiveTree::dropTargetNode(QTreeWidgetItem *node)
{
    return dropTargetOfNode(node) ? node : nullptr;
}

bool COrvelArchiveTree::dropFile(const QString &source, QTreeWidgetItem *target, bool laterItem)
{
    const DropTarget where = dropTargetOfNode(target);
    if (!where || !m_editing)
        return false;
    if (!laterItem)
        m_packedArchive.clear();
    const bool added = m_editing->AddDroppedItem(source, where, this, laterItem);
    // The selection goes back to the node the files were dropped on.
    if (m_editing->cancelled()) {
        if (QTreeWidgetItem *again = loadedNode(where.path))
            setCurrentItem(again);
    }
    return added;
}

void COrvelArchiveTree::dropFinished()
{
    if (m_editing)
        m_editing->EndDrop();
}

// Only items inside an archive are handed out, as a file or folder taken out into the temporary folder when
// the other program asks for it; the archive's own node may be dragged but offers nothing.
QMimeData *COrvelArchiveTree::dragDataOf(QTreeWidgetItem *node, const std::function<bool()> &droppedOutside)
{
    if (isPlaceholder(node))
        return nullptr;
    const QString path = nodePath(node);
    const CArchiveAccess::Located archive = m_service.layer().locateArchive(path);
    if (archive.kind == ArchiveKind::None)
        return nullptr;
    const bool offered = m_dragSettings && m_dragSettings->bEnableDraggingFromArchive
                         && !innerPathOf(path, archive.path).isEmpty() && !m_service.temporaryFolder().isEmpty();
    const QString delivered = offered ? joinPath(m_service.temporaryFolder(), node->text(0)) : QString();
    CArchiveService *service = &m_service;
    const QPointer<QWidget> owner(window());
    return new CDragOutData(delivered, [service, path, owner] {
        CUnpackProgress progress(owner);
        progress.show();
        return service->ExtractForDragging(path, &progress);
    }, droppedOutside);
}

void COrvelArchiveTree::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_openOnDoubleClick && state() != QAbstractItemView::EditingState) {
        OpenSelectedFile();
        event->accept();
        return;
    }
    COrvelDragDropTree::keyPressEvent(event);
}

void COrvelArchiveTree::onDoubleClicked(QTreeWidgetItem *item)
{
    if (m_openOnDoubleClick && item == currentItem())
        OpenSelectedFile();
}

bool COrvelArchiveTree::OpenSelectedFile()
{
    const QTreeWidgetItem *item = currentItem();
    return item && !isPlaceholder(item) && m_service.OpenFile(nodePath(item));
}

}  // namespace orv
