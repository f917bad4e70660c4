#pragma once

#include "finder/browser/browserhistory.h"
#include "finder/search/finddialogmodel.h"

#include <QIcon>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QToolButton;
class QTreeWidgetItem;

namespace orv {

class CArchiveBrowserPane;
class CArchiveEditing;
class CArchiveService;
class CBusyFlags;
class CExtractionCommands;
class COrvelArchiveTree;
class CResultStore;
struct PlaceRoots;
struct SettingsValues;

// What the Archive Browser's pane and commands use of the program; each part outlives the pane.
struct BrowserContext
{
    CArchiveService &archives;
    CExtractionCommands &extraction;
    // Adding dropped files to archives.
    CArchiveEditing &editing;
    CBusyFlags &busy;
    CResultStore &results;
    const SettingsValues &settings;
    const PlaceRoots &places;
    // The folder of the bookmark store, whose content enables the Bookmarks button.
    const QString &bookmarksRoot;
};

// The commands of the Archive Browser pane: Back and Forward with their history drop-downs, Bookmarks and
// Add Bookmarks, Start, the history commands and the Archive menu as the tree's context menu. The history
// follows the tree's selection; Start runs the Find dialog and the search over the checked nodes.
class CArchiveDockController : public QObject
{
    Q_OBJECT

public:
    // Asks for the criteria of a search; none when the user cancels. The choices are read and updated.
    using CriteriaSource = std::function<std::optional<SearchCriteria>(FilterChoices &choices)>;

    CArchiveDockController(const BrowserContext &context, CArchiveBrowserPane &pane);
    ~CArchiveDockController() override;

    QAction *backAction() const { return m_back; }
    QAction *forwardAction() const { return m_forward; }
    QAction *bookmarksAction() const { return m_bookmarks; }
    QAction *addBookmarkAction() const { return m_addBookmark; }
    // The Bookmarks button's drop-down; whoever owns the store fills it as it opens.
    QMenu *bookmarksMenu() const { return m_bookmarksMenu; }
    QAction *startAction() const { return m_start; }
    CBrowserHistory &history() { return m_history; }
    const FilterChoices &filterChoices() const { return m_choices; }
    void setCriteriaSource(CriteriaSource source) { m_criteriaSource = std::move(source); }

    // The paths of the checked nodes in tree order: a node, its children, then its next sibling.
    QStringList CheckedPaths() const;
    void OnStart();
    void OnBack();
    void OnForward();
    void OnClearHistory();
    // Asks for a bookmark of the selected node, when it is not a root.
    void OnAddBookmark();
    // Selects the step of a drop-down item and makes it current.
    void GoToStep(std::int64_t index);
    // The drop-down items of Back or Forward, nearest step first.
    void FillHistoryMenu(QMenu *menu, bool forward);
    // The Archive menu for a node with an archive kind; null for a drive, a folder or a plain file.
    std::unique_ptr<QMenu> BuildArchiveMenu(QTreeWidgetItem *item);
    // Runs a command of the Archive menu on a node.
    void RunArchiveCommand(int id, QTreeWidgetItem *item);
    // Rereads which commands are enabled and the two history tooltips.
    void UpdateCommands();

signals:
    // The criteria of the search about to run, for the record Search in Results narrows with.
    void searchStarting(const orv::SearchCriteria &criteria);
    void searchFinished(std::uint32_t count);
    void historyStateChanged(bool canGoBack, bool canGoForward);
    void statusTextChanged(const QString &text);
    // A folder inside an archive is told from a file there by its node's folder icon.
    void addBookmarkRequested(const QString &path, bool folderNode);

private:
    void createToolbarActions();
    void onNodeSelected(const QString &path, const QIcon &icon);
    void selectStep(const CArchiveHistory *step);
    void showContextMenu(const QPoint &pos);
    void scheduleUpdate();
    void uncheck(const QStringList &paths);
    std::optional<SearchCriteria> askCriteria(FilterChoices &choices);
    int stepsShown() const;

    BrowserContext m_context;
    CArchiveBrowserPane &m_pane;
    COrvelArchiveTree *m_tree;
    CBrowserHistory m_history;
    std::vector<QIcon> m_stepIcons;
    FilterChoices m_choices;
    CriteriaSource m_criteriaSource;
    bool m_updateScheduled = false;

    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_bookmarks = nullptr;
    QAction *m_addBookmark = nullptr;
    QAction *m_start = nullptr;
    QMenu *m_backMenu = nullptr;
    QMenu *m_forwardMenu = nullptr;
    QMenu *m_bookmarksMenu = nullptr;
};

}  // namespace orv
