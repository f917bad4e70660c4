#pragma once

#include "finder/search/foundfileslistcolumns.h"
#include "finder/search/searchcriteria.h"

#include <QHash>
#include <QWidget>

#include <cstdint>
#include <functional>

class QAction;
class QIcon;
class QMenu;
class QToolBar;

namespace orv {

class CBusyFlags;
class CFoundFilesModel;
class CMainFrame;
class COrvelListFiles;
class CResultStore;

// The body of the Found Files pane: its toolbar above the list. Every command acts on the list and the
// store; the frame's Sort and View menu commands are forwarded here.
class CFoundFilesPane : public QWidget
{
    Q_OBJECT

public:
    using PathSelector = std::function<void(const QString &path)>;
    using SearchRunning = std::function<bool()>;

    explicit CFoundFilesPane(CResultStore &store, QWidget *parent = nullptr);

    // Puts a pane into the frame's right-hand dock and connects the frame's menu commands, the Archive
    // Browser's select path and the search busy flag to it.
    static CFoundFilesPane *install(CMainFrame &frame);

    COrvelListFiles *list() const { return m_list; }
    CFoundFilesModel *model() const;
    QToolBar *toolBar() const { return m_toolBar; }
    QAction *action(int id) const { return m_actions.value(id); }
    // "Find selected item in Archive Browser" hands the path to this.
    void setPathSelector(PathSelector selector) { m_selectPath = std::move(selector); }
    // Tells whether a search is filling the store; sorting and Search in Results wait for it.
    void setSearchRunning(SearchRunning running) { m_searchRunning = std::move(running); }
    // The criteria record whose filter pages Search in Results fills.
    void setCriteria(SearchCriteria *criteria) { m_criteria = criteria ? criteria : &m_ownCriteria; }
    // Search in Results marks the search as running here, so closing the window asks it to stop.
    void setBusyFlags(CBusyFlags *flags) { m_busy = flags; }
    // Mirrors the pane's commands onto the frame's actions of the same numbers, both ways.
    void forwardFrameAction(QAction *frameAction);

    bool isSearchingInResults() const { return m_searchingInResults; }
    FoundFilesListState state() const;

    void OnFindInBrowser();
    void OnDeleteSelected();
    void OnClearAll();
    void OnSortCommand(int id);
    void OnViewCommand(int id);
    void OnSearchInResults();
    // The narrowing itself, once the dialog has given its query.
    std::uint32_t SearchInResults(const QString &mask, const FilterPage &include, const FilterPage &exclude);

public slots:
    void updateCommands();
    // The search has ended: the rows it left are results, which sorting may now reorder.
    void OnSearchFinished(std::uint32_t count);

private:
    QAction *addCommand(int id, const QString &text, const QString &icon);
    void createToolBar();
    QMenu *createSortMenu();
    QMenu *createViewMenu();
    QIcon toolIcon(const QString &themeName) const;
    void addMenuButton(int id, const QString &text, const QString &icon, QMenu *menu);
    bool searchRunning() const { return m_searchRunning && m_searchRunning(); }

    COrvelListFiles *m_list;
    QToolBar *m_toolBar;
    QHash<int, QAction *> m_actions;
    QList<QAction *> m_frameActions;
    PathSelector m_selectPath;
    SearchRunning m_searchRunning;
    SearchCriteria m_ownCriteria;
    SearchCriteria *m_criteria = &m_ownCriteria;
    CBusyFlags *m_busy = nullptr;
    bool m_searchingInResults = false;
};

}  // namespace orv
