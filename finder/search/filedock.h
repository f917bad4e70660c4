#pragma once

#include "finder/search/foundfileslistcolumns.h"
#include "finder/search/searchcriteria.h"

#include <QHash>
#include <QWidget>

#include <cstdint>

class QAction;
class QIcon;
class QMenu;
class QToolBar;

namespace orv {

class CBusyFlags;
class CFoundFilesModel;
class COrvelListFiles;
class CResultStore;

// The body of the Found Files pane: its toolbar above the list. Every command acts on the list and the
// store; the frame's Sort and View menu commands are forwarded here.
class CFoundFilesPane : public QWidget
{
    Q_OBJECT

public:
    explicit CFoundFilesPane(CResultStore &store, QWidget *parent = nullptr);

    // The Sort, View and Export commands, which the frame's menu has too.
    static QList<int> sharedCommandIds();

    COrvelListFiles *list() const { return m_list; }
    CFoundFilesModel *model() const;
    QToolBar *toolBar() const { return m_toolBar; }
    QAction *action(int id) const { return m_actions.value(id); }
    // The criteria record whose filter pages Search in Results fills.
    void setCriteria(SearchCriteria *criteria) { m_criteria = criteria ? criteria : &m_ownCriteria; }
    // Tell whether a search is filling the store (sorting and Search in Results wait for it); Search in
    // Results marks itself there, so closing the window asks it to stop.
    void setBusyFlags(CBusyFlags *flags) { m_busy = flags; }
    // Mirrors the pane's commands onto the frame's actions of the same numbers, both ways.
    void forwardFrameAction(QAction *frameAction);

    bool isSearchingInResults() const { return m_searchingInResults; }
    FoundFilesListState state() const;

    void OnFindInBrowser();
    void OnExtractChecked();
    void OnDeleteSelected();
    void OnClearAll();
    void OnSortCommand(int id);
    void OnViewCommand(int id);
    void OnSearchInResults();
    // The narrowing itself, once the dialog has given its query.
    std::uint32_t SearchInResults(const QString &mask, const FilterPage &include, const FilterPage &exclude);

signals:
    // "Find selected item in Archive Browser": the path of the selected row.
    void findInBrowserRequested(const QString &path);
    // "Extract checked items to the specified folder": the full paths of the checked rows, in the order shown.
    void extractRequested(const QStringList &paths);
    // "Save As..." and the two exports: the checked rows, which the model gives.
    void saveRequested();
    void exportToExcelRequested();
    void exportToWordRequested();

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
    bool searchRunning() const;

    COrvelListFiles *m_list;
    QToolBar *m_toolBar;
    QHash<int, QAction *> m_actions;
    QList<QAction *> m_frameActions;
    SearchCriteria m_ownCriteria;
    SearchCriteria *m_criteria = &m_ownCriteria;
    CBusyFlags *m_busy = nullptr;
    bool m_searchingInResults = false;
};

}  // namespace orv
