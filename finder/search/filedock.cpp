#include "filedock.h"

#include "finder/common/busyflags.h"
#include "finder/common/commandids.h"
#include "finder/search/findprogress.h"
#include "finder/search/foundfileslist.h"
#include "finder/search/searchengine.h"
#include "finder/search/searchinresults.h"
#include "finder/search/searchinresultsdialog.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace orv {

namespace {

const int kSortCommands[] = {Cmd::SortByName, Cmd::SortByFolder, Cmd::SortBySize, Cmd::SortByDate,
                             Cmd::SortAscending, Cmd::SortDescending};
const int kViewCommands[] = {Cmd::ShowColumnFolder, Cmd::ShowColumnSize, Cmd::ShowColumnDate,
                             Cmd::ShowGrid, Cmd::SelectFullRow, Cmd::ShowSelectedAlways};

}  // namespace

CFoundFilesPane::CFoundFilesPane(CResultStore &store, QWidget *parent)
    : QWidget(parent), m_list(new COrvelListFiles(store, this)), m_toolBar(new QToolBar(this))
{
    setObjectName(QStringLiteral("FoundFilesPane"));
    m_toolBar->setObjectName(QStringLiteral("FoundFilesToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_list, 1);
    createToolBar();

    CFoundFilesModel *rows = m_list->listModel();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &CFoundFilesPane::updateCommands);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &CFoundFilesPane::updateCommands);
    connect(rows, &QAbstractItemModel::modelReset, this, &CFoundFilesPane::updateCommands);
    connect(rows, &CFoundFilesModel::checksChanged, this, &CFoundFilesPane::updateCommands);
    connect(rows, &CFoundFilesModel::sorted, this, &CFoundFilesPane::updateCommands);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CFoundFilesPane::updateCommands);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        model()->setSearchRunning(searchRunning());
        model()->sortByColumnCommand(column);
        m_list->updateSortArrows();
        m_list->scrollSelectionIntoView();
    });
    updateCommands();
}

QList<int> CFoundFilesPane::sharedCommandIds()
{
    QList<int> ids(std::begin(kSortCommands), std::end(kSortCommands));
    ids.append(QList<int>(std::begin(kViewCommands), std::end(kViewCommands)));
    ids << Cmd::ExportToExcel << Cmd::ExportToWord;
    return ids;
}

bool CFoundFilesPane::searchRunning() const
{
    return m_busy && m_busy->isRunning(CBusyFlags::Search);
}

CFoundFilesModel *CFoundFilesPane::model() const
{
    return m_list->listModel();
}

// Without an icon theme (a bare desktop) the toolbar would show long texts that do not fit; the style's
// own pictures stand in.
QIcon CFoundFilesPane::toolIcon(const QString &themeName) const
{
    static const QHash<QString, QStyle::StandardPixmap> kFallbacks{
        {QStringLiteral("edit-find"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("edit-delete"), QStyle::SP_TrashIcon},
        {QStringLiteral("edit-clear"), QStyle::SP_DialogResetButton},
        {QStringLiteral("view-sort-ascending"), QStyle::SP_ArrowUp},
        {QStringLiteral("view-list-details"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("checkbox"), QStyle::SP_DialogApplyButton},
        {QStringLiteral("edit-select-none"), QStyle::SP_DialogCancelButton},
        {QStringLiteral("document-save"), QStyle::SP_DialogSaveButton},
        {QStringLiteral("document-export"), QStyle::SP_ArrowRight},
        {QStringLiteral("archive-extract"), QStyle::SP_DialogOpenButton},
        {QStringLiteral("system-search"), QStyle::SP_FileDialogInfoView},
    };
    if (themeName.isEmpty())
        return {};
    const auto fallback = kFallbacks.constFind(themeName);
    return QIcon::fromTheme(themeName, fallback == kFallbacks.cend() ? QIcon() : style()->standardIcon(*fallback));
}

QAction *CFoundFilesPane::addCommand(int id, const QString &text, const QString &icon)
{
    auto *action = new QAction(toolIcon(icon), text, this);
    action->setObjectName(QStringLiteral("FoundFilesCmd_%1").arg(id));
    action->setData(id);
    m_actions.insert(id, action);
    return action;
}

void CFoundFilesPane::addMenuButton(int id, const QString &text, const QString &icon, QMenu *menu)
{
    QAction *action = addCommand(id, text, icon);
    action->setStatusTip(text);
    action->setMenu(menu);
    m_toolBar->addAction(action);
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action)))
        button->setPopupMode(QToolButton::InstantPopup);
}

void CFoundFilesPane::createToolBar()
{
    using namespace FoundFilesCmd;
    const auto tool = [this](int id, const QString &text, const QString &icon, auto slot) {
        QAction *action = addCommand(id, text, icon);
        action->setStatusTip(text);
        m_toolBar->addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    tool(FindInBrowser, tr("Find selected item in Archive Browser"), QStringLiteral("edit-find"),
         &CFoundFilesPane::OnFindInBrowser);
    tool(DeleteSelected, tr("Delete selected item"), QStringLiteral("edit-delete"), &CFoundFilesPane::OnDeleteSelected);
    tool(ClearAll, tr("Remove all items"), QStringLiteral("edit-clear"), &CFoundFilesPane::OnClearAll);
    m_actions[ClearAll]->setIconText(tr("Clear All"));
    m_actions[ClearAll]->setToolTip(tr("Clear All"));
    m_toolBar->addSeparator();
    addMenuButton(SortMenu, tr("Sorts items"), QStringLiteral("view-sort-ascending"), createSortMenu());
    addMenuButton(ViewMenu, tr("View settings for found files"), QStringLiteral("view-list-details"), createViewMenu());
    m_toolBar->addSeparator();
    tool(CheckAll, tr("Check all items"), QStringLiteral("checkbox"), [this] { model()->setAllChecked(true); });
    tool(RemoveChecks, tr("Removes all check marks"), QStringLiteral("edit-select-none"),
         [this] { model()->setAllChecked(false); });
    m_toolBar->addSeparator();
    tool(Save, tr("Save the checked items to the specified file type"), QStringLiteral("document-save"),
         &CFoundFilesPane::saveRequested);
    auto *exportMenu = new QMenu(this);
    QAction *toExcel = addCommand(Cmd::ExportToExcel, tr("Export to &Excel"), {});
    QAction *toWord = addCommand(Cmd::ExportToWord, tr("Export to &Word"), {});
    exportMenu->addAction(toExcel);
    exportMenu->addAction(toWord);
    connect(toExcel, &QAction::triggered, this, &CFoundFilesPane::exportToExcelRequested);
    connect(toWord, &QAction::triggered, this, &CFoundFilesPane::exportToWordRequested);
    addMenuButton(Export, tr("Export the checked items to Excel or Word"), QStringLiteral("document-export"), exportMenu);
    tool(Extract, tr("Extract checked items to the specified folder"), QStringLiteral("archive-extract"),
         &CFoundFilesPane::OnExtractChecked);
    m_toolBar->addSeparator();
    tool(FoundFilesCmd::SearchInResults, tr("Search in results"), QStringLiteral("system-search"), &CFoundFilesPane::OnSearchInResults);
}

QMenu *CFoundFilesPane::createSortMenu()
{
    auto *menu = new QMenu(this);
    const QString texts[] = {tr("Sort by &Name"), tr("Sort by &Folder"), tr("Sort by &Size"), tr("Sort by Da&te"),
                             tr("Sort &Ascending"), tr("Sort &Descending")};
    for (int i = 0; i < 6; ++i) {
        if (i == 4)
            menu->addSeparator();
        QAction *action = addCommand(kSortCommands[i], texts[i], {});
        action->setCheckable(true);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = kSortCommands[i]] { OnSortCommand(id); });
    }
    return menu;
}

QMenu *CFoundFilesPane::createViewMenu()
{
    auto *menu = new QMenu(this);
    const QString texts[] = {tr("Show Column &Folder"), tr("Show Column &Size"), tr("Show Column &Date"),
                             tr("Show &Grid"), tr("Select Full &Row"), tr("Show Selected &Always")};
    for (int i = 0; i < 6; ++i) {
        if (i == 3)
            menu->addSeparator();
        QAction *action = addCommand(kViewCommands[i], texts[i], {});
        action->setCheckable(true);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = kViewCommands[i]] { OnViewCommand(id); });
    }
    return menu;
}

FoundFilesListState CFoundFilesPane::state() const
{
    FoundFilesListState s;
    s.hasSelection = m_list->selectionModel() && m_list->selectionModel()->hasSelection();
    s.empty = model()->rowCount() == 0;
    s.anyChecked = model()->anyChecked();
    s.searchingInResults = m_searchingInResults;
    return s;
}

void CFoundFilesPane::updateCommands()
{
    const FoundFilesListState s = state();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(isCommandEnabled(it.key(), s));
    const CFoundFilesModel *rows = model();
    const FoundFilesColumns &columns = m_list->columns();
    for (int i = 0; i < 4; ++i)
        m_actions[kSortCommands[i]]->setChecked(rows->sortColumn() == i);
    m_actions[Cmd::SortAscending]->setChecked(rows->sortColumn() >= 0 && rows->sortOrder() == Qt::AscendingOrder);
    m_actions[Cmd::SortDescending]->setChecked(rows->sortColumn() >= 0 && rows->sortOrder() == Qt::DescendingOrder);
    for (int i = 0; i < 3; ++i)
        m_actions[kViewCommands[i]]->setChecked(columns.isShown(i + 1));
    m_actions[Cmd::ShowGrid]->setChecked(columns.grid);
    m_actions[Cmd::ShowGrid]->setText(columns.grid ? tr("Hide &Grid") : tr("Show &Grid"));
    m_actions[Cmd::SelectFullRow]->setChecked(columns.fullRowSelect);
    m_actions[Cmd::ShowSelectedAlways]->setChecked(columns.showSelectionAlways);
    for (QAction *frameAction : std::as_const(m_frameActions)) {
        const QAction *own = m_actions.value(frameAction->data().toInt());
        frameAction->setEnabled(own->isEnabled());
        frameAction->setCheckable(own->isCheckable());
        frameAction->setChecked(own->isChecked());
        frameAction->setText(own->text());
    }
}

void CFoundFilesPane::OnSearchFinished(std::uint32_t)
{
    model()->setSearchRunning(false);
    updateCommands();
}

void CFoundFilesPane::forwardFrameAction(QAction *frameAction)
{
    const int id = frameAction->data().isValid() ? frameAction->data().toInt() : 0;
    if (!m_actions.contains(id))
        return;
    m_frameActions.append(frameAction);
    connect(frameAction, &QAction::triggered, m_actions[id], [own = m_actions[id]] { own->trigger(); });
    updateCommands();
}

void CFoundFilesPane::OnFindInBrowser()
{
    const int row = m_list->lastSelectedRow();
    if (row >= 0)
        emit findInBrowserRequested(model()->record(row).m_strFullPath);
}

void CFoundFilesPane::OnExtractChecked()
{
    if (!model()->anyChecked())
        return;
    QStringList paths;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (const CFileInfo &record : model()->checkedRecords())
            paths << record.m_strFullPath;
        QApplication::restoreOverrideCursor();
    }
    emit extractRequested(paths);
}

void CFoundFilesPane::OnDeleteSelected()
{
    model()->removeRows(m_list->selectedRowList());
}

void CFoundFilesPane::OnClearAll()
{
    model()->store().FreeAll();
}

void CFoundFilesPane::OnSortCommand(int id)
{
    CFoundFilesModel *rows = model();
    rows->setSearchRunning(searchRunning());
    if (id == Cmd::SortAscending || id == Cmd::SortDescending) {
        if (rows->sortColumn() >= 0)
            rows->sort(rows->sortColumn(), id == Cmd::SortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    } else {
        rows->sortByColumnCommand(id - Cmd::SortByName);
    }
    m_list->updateSortArrows();
    m_list->scrollSelectionIntoView();
    updateCommands();
}

void CFoundFilesPane::OnViewCommand(int id)
{
    const FoundFilesColumns &columns = m_list->columns();
    switch (id) {
    case Cmd::ShowGrid:
        m_list->setGrid(!columns.grid);
        break;
    case Cmd::SelectFullRow:
        m_list->setFullRowSelect(!columns.fullRowSelect);
        break;
    case Cmd::ShowSelectedAlways:
        m_list->setShowSelectionAlways(!columns.showSelectionAlways);
        break;
    default: {
        const int column = id - Cmd::ShowColumnFolder + 1;
        m_list->setColumnShown(column, !columns.isShown(column));
    }
    }
    updateCommands();
}

void CFoundFilesPane::OnSearchInResults()
{
    if (!isCommandEnabled(FoundFilesCmd::SearchInResults, state()) || searchRunning())
        return;
    CSearchResults dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SearchInResults(dialog.mask(), dialog.include(), dialog.exclude());
}

std::uint32_t CFoundFilesPane::SearchInResults(const QString &mask, const FilterPage &include, const FilterPage &exclude)
{
    // The pages carry no "Filter for"; the record keeps the choice of the last Find.
    const FilterFor includeFor = m_criteria->include.nFilterFor;
    const FilterFor excludeFor = m_criteria->exclude.nFilterFor;
    m_criteria->include = include;
    m_criteria->exclude = exclude;
    m_criteria->include.nFilterFor = includeFor;
    m_criteria->exclude.nFilterFor = excludeFor;

    m_searchingInResults = true;
    updateCommands();
    std::uint32_t count = 0;
    {
        CFindProgress progress(this);
        progress.show();
        std::optional<BusyScope> busy;
        if (m_busy)
            busy.emplace(*m_busy, CBusyFlags::Search, &progress);
        CSearchInResults search(model()->store());
        search.SetProgressWindow(&progress);
        count = search.Run({mask.trimmed(), include, exclude});
    }
    showInformation(CSearchEngine::CountMessage(count), productName());
    m_searchingInResults = false;
    updateCommands();
    return count;
}

}  // namespace orv
