#include "bookmarkcommands.h"

#include "finder/bookmarks/addbookmark.h"
#include "finder/bookmarks/addbookmarkdialog.h"
#include "finder/bookmarks/bookmarkfile.h"
#include "finder/bookmarks/bookmarkicons.h"
#include "finder/bookmarks/bookmarksmanager.h"

#include <QAction>
#include <QMenu>

namespace orv {

namespace {
// The entry of an empty folder; no command answers to it.
constexpr int kEmptyEntryId = 1;
const char *const kCommandProperty = "commandId";
}  // namespace

CBookmarkCommands::CBookmarkCommands(QString root, bool pathTooltips, QWidget *window)
    : QObject(window), m_root(std::move(root)), m_pathTooltips(pathTooltips), m_window(window)
{
    EnsureBookmarksRoot(m_root);
}

void CBookmarkCommands::LoadMenu(QMenu *menu)
{
    // The entries of the previous opening go with their sub-menus; their ids are no longer valid.
    qDeleteAll(menu->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly));
    menu->clear();
    m_tree.Load(m_root);
    fillMenu(menu, m_tree.root());
}

void CBookmarkCommands::fillMenu(QMenu *menu, const CBookmarks &folder)
{
    menu->setToolTipsVisible(m_pathTooltips);
    for (const CBookmarks &child : folder.folders)
        fillMenu(menu->addMenu(child.strName), child);
    for (const CBookmarks &bookmark : folder.bookmarks) {
        QAction *entry = menu->addAction(bookmarkIcon(bookmark.nIcon, bookmark.strPath), bookmark.strName);
        entry->setProperty(kCommandProperty, bookmark.nCommandId);
        if (m_pathTooltips)
            entry->setToolTip(bookmark.strPath);
    }
    if (folder.folders.empty() && folder.bookmarks.empty()) {
        QAction *empty = menu->addAction(tr("<empty>"));
        empty->setProperty(kCommandProperty, kEmptyEntryId);
        empty->setEnabled(false);
    }
}

void CBookmarkCommands::AttachMenu(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { LoadMenu(menu); });
    connect(menu, &QMenu::triggered, this,
            [this](QAction *action) { OpenBookmark(action->property(kCommandProperty).toInt()); });
}

void CBookmarkCommands::OpenBookmark(int commandId)
{
    if (const CBookmarks *bookmark = m_tree.FindById(commandId))
        emit bookmarkChosen(bookmark->strPath);
}

void CBookmarkCommands::AddBookmark(const QString &targetPath, bool folderNode)
{
    CAddBookmark dialog(m_root, defaultBookmarkLabel(targetPath), m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    WriteNewBookmark(dialog.bookmarkFile(), targetPath, folderNode);
    emit storeChanged();
}

void CBookmarkCommands::OnBookmarksManager()
{
    CBookmarksManager manager(m_root, m_window);
    manager.exec();
    emit storeChanged();
}

}  // namespace orv
