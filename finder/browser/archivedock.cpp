#include "archivedock.h"

#include "finder/archive/extraction.h"
#include "finder/bookmarks/bookmarkfile.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/browser/archiveservice.h"
#include "finder/browser/extractioncommands.h"
#include "finder/browser/menuprompts.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/common/busyflags.h"
#include "finder/common/commandids.h"
#include "finder/places/placeroots.h"
#include "finder/search/finddialog.h"
#include "finder/search/findprogress.h"
#include "finder/search/searchengine.h"
#include "finder/settings/settings.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidgetItemIterator>

namespace orv {

namespace {
constexpr int kCmdBack = 32776;
constexpr int kCmdForward = 32777;
constexpr int kCmdBookmarks = 32778;
constexpr int kCmdAddBookmark = 32779;
constexpr int kCmdStart = 32781;
constexpr int kCmdProperties = 32794;
constexpr int kCmdExtractTo = 32795;
constexpr int kCmdExtractHere = 32796;
constexpr int kCmdExtractToFolder = 32797;
const char *const kCommandProperty = "commandId";

// The tooltip names the button; the prompt in the status bar may say more.
QAction *makeAction(QObject *parent, int id, const QIcon &icon, const QString &text, const QString &tip,
                    const QString &prompt)
{
    auto *action = new QAction(icon, text, parent);
    action->setProperty(kCommandProperty, id);
    action->setToolTip(tip);
    action->setStatusTip(prompt);
    return action;
}

QAction *addMenuCommand(QMenu *menu, int id, const QString &text, const QString &statusTip)
{
    QAction *action = menu->addAction(text);
    action->setProperty(kCommandProperty, id);
    action->setStatusTip(statusTip);
    return action;
}

// A node inside an archive: not a root, and its path is nowhere on disk.
bool liesInsideArchive(const QTreeWidgetItem *item, const QString &path)
{
    const QFileInfo onDisk(path);
    return item->parent() && !onDisk.exists() && !onDisk.isSymLink();
}
}  // namespace

CArchiveDockController::CArchiveDockController(const BrowserContext &context, CArchiveBrowserPane &pane)
    : QObject(&pane), m_context(context), m_pane(pane), m_tree(pane.tree())
{
    setObjectName(QStringLiteral("ArchiveDockController"));
    m_criteriaSource = [this](FilterChoices &choices) { return askCriteria(choices); };
    createToolbarActions();

    connect(m_tree, &COrvelArchiveTree::nodeSelected, this, &CArchiveDockController::onNodeSelected);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CArchiveDockController::scheduleUpdate);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CArchiveDockController::showContextMenu);
    UpdateCommands();
}

CArchiveDockController::~CArchiveDockController() = default;

void CArchiveDockController::createToolbarActions()
{
    QToolBar *bar = m_pane.toolBar();
    QStyle *style = m_pane.style();
    m_back = makeAction(this, kCmdBack, style->standardIcon(QStyle::SP_ArrowBack), tr("Back"), tr("Back"),
                        tr("Back"));
    m_forward = makeAction(this, kCmdForward, style->standardIcon(QStyle::SP_ArrowForward), tr("Forward"),
                           tr("Forward"), tr("Forward"));
    m_bookmarks = makeAction(this, kCmdBookmarks, style->standardIcon(QStyle::SP_DirLinkIcon), tr("Bookmarks"),
                             tr("Bookmarks"), tr("Bookmarks"));
    const QString addBookmark = tr("Adds selected item to archive bookmarks");
    m_addBookmark = makeAction(this, kCmdAddBookmark, style->standardIcon(QStyle::SP_FileLinkIcon),
                               tr("Add Bookmarks"), addBookmark, addBookmark);
    m_start = makeAction(this, kCmdStart, style->standardIcon(QStyle::SP_MediaPlay), tr("Start"), tr("Start"),
                         tr("Start search"));
    QAction *drives = m_pane.drivesAction();
    bar->insertActions(drives, {m_back, m_forward, m_bookmarks, m_addBookmark});
    bar->addAction(m_start);

    m_backMenu = new QMenu(bar);
    m_forwardMenu = new QMenu(bar);
    for (auto [action, menu] : {std::pair{m_back, m_backMenu}, std::pair{m_forward, m_forwardMenu}}) {
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_bookmarksMenu = new QMenu(bar);
    auto *bookmarksButton = qobject_cast<QToolButton *>(bar->widgetForAction(m_bookmarks));
    bookmarksButton->setMenu(m_bookmarksMenu);
    bookmarksButton->setPopupMode(QToolButton::InstantPopup);
    connect(m_addBookmark, &QAction::triggered, this, &CArchiveDockController::OnAddBookmark);
    connect(m_backMenu, &QMenu::aboutToShow, this, [this] { FillHistoryMenu(m_backMenu, false); });
    connect(m_forwardMenu, &QMenu::aboutToShow, this, [this] { FillHistoryMenu(m_forwardMenu, true); });

    connect(m_back, &QAction::triggered, this, &CArchiveDockController::OnBack);
    connect(m_forward, &QAction::triggered, this, &CArchiveDockController::OnForward);
    connect(m_start, &QAction::triggered, this, &CArchiveDockController::OnStart);
}

int CArchiveDockController::stepsShown() const
{
    return CBrowserHistory::ValidStepsShown(m_context.settings.nArchiveHistoryStepsShown);
}

// Check marks change one node at a time while levels load: the commands are reread once the burst is over.
void CArchiveDockController::scheduleUpdate()
{
    if (m_updateScheduled)
        return;
    m_updateScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_updateScheduled = false;
        UpdateCommands();
    });
}

void CArchiveDockController::UpdateCommands()
{
    const bool searching = m_context.busy.isRunning(CBusyFlags::Search);
    const bool anyChecked = *QTreeWidgetItemIterator(m_tree, QTreeWidgetItemIterator::Checked) != nullptr;
    m_start->setEnabled(!searching && anyChecked);
    const QTreeWidgetItem *selected = m_tree->currentItem();
    m_addBookmark->setEnabled(selected && selected->parent() && !COrvelArchiveTree::isPlaceholder(selected));
    m_bookmarks->setEnabled(StoreHasEntries(m_context.bookmarksRoot));
    m_back->setEnabled(m_history.CanGoBack());
    m_forward->setEnabled(m_history.CanGoForward());
    m_back->setToolTip(m_history.CanGoBack() ? m_history.BackTooltip() : tr("Back"));
    m_forward->setToolTip(m_history.CanGoForward() ? m_history.ForwardTooltip() : tr("Forward"));
    emit historyStateChanged(m_history.CanGoBack(), m_history.CanGoForward());
}

void CArchiveDockController::onNodeSelected(const QString &path, const QIcon &icon)
{
    if (m_history.isRecording()) {
        m_stepIcons.push_back(icon);
        m_history.Record(path, static_cast<int>(m_stepIcons.size() - 1));
    }
    UpdateCommands();
}

void CArchiveDockController::selectStep(const CArchiveHistory *step)
{
    if (step) {
        m_history.setRecording(false);
        m_tree->SelectPath(step->strPath);
        m_history.setRecording(true);
    }
    m_pane.update();
    UpdateCommands();
}

void CArchiveDockController::OnBack()
{
    selectStep(m_history.Back());
}

void CArchiveDockController::OnForward()
{
    selectStep(m_history.Forward());
}

void CArchiveDockController::GoToStep(std::int64_t index)
{
    selectStep(m_history.GoTo(index));
}

void CArchiveDockController::OnClearHistory()
{
    m_history.Clear();
    m_stepIcons.clear();
    UpdateCommands();
}

void CArchiveDockController::OnAddBookmark()
{
    const QTreeWidgetItem *selected = m_tree->currentItem();
    if (!selected || !selected->parent() || COrvelArchiveTree::isPlaceholder(selected))
        return;
    emit addBookmarkRequested(m_tree->nodePath(selected), m_tree->hasFolderIcon(selected));
}

void CArchiveDockController::FillHistoryMenu(QMenu *menu, bool forward)
{
    menu->clear();
    const bool pathTips = m_context.settings.bEnableShowTooltipForBackOrForwardMenu;
    menu->setToolTipsVisible(pathTips);
    const std::vector<CArchiveHistory> steps =
        forward ? m_history.ForwardList(stepsShown()) : m_history.BackList(stepsShown());
    for (const CArchiveHistory &step : steps) {
        const auto image = static_cast<std::size_t>(step.nImage);
        QAction *item = menu->addAction(image < m_stepIcons.size() ? m_stepIcons[image] : QIcon(), step.strName);
        item->setProperty(kCommandProperty, static_cast<int>(Cmd::DynamicItemFirst + step.nIndex));
        if (pathTips)
            item->setToolTip(step.strPath);
        const std::int64_t index = step.nIndex;
        connect(item, &QAction::triggered, this, [this, index] { GoToStep(index); });
    }
}

QStringList CArchiveDockController::CheckedPaths() const
{
    QStringList paths;
    for (QTreeWidgetItemIterator it(m_tree, QTreeWidgetItemIterator::Checked); *it; ++it)
        paths << m_tree->nodePath(*it);
    return paths;
}

void CArchiveDockController::uncheck(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (QTreeWidgetItem *node = m_tree->loadedNode(path))
            node->setCheckState(0, Qt::Unchecked);
    }
}

std::optional<SearchCriteria> CArchiveDockController::askCriteria(FilterChoices &choices)
{
    CFindArchives dialog(choices, m_tree->window());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    choices = dialog.choicesToRemember();
    return dialog.criteria();
}

// The search runs inside this call, pumping events; the busy flag makes closing the window a stop request
// and keeps Start disabled. Nodes are found again by path afterwards, since the user may have collapsed
// them meanwhile.
void CArchiveDockController::OnStart()
{
    if (m_context.busy.isRunning(CBusyFlags::Search))
        return;
    const QStringList places = CheckedPaths();
    if (places.isEmpty())
        return;
    const std::optional<SearchCriteria> criteria = m_criteriaSource(m_choices);
    if (!criteria) {
        m_tree->viewport()->update();
        return;
    }
    emit searchStarting(*criteria);
    std::uint32_t count = 0;
    {
        CFindProgress progress(m_tree->window());
        progress.show();
        BusyScope busy(m_context.busy, CBusyFlags::Search, &progress);
        UpdateCommands();
        const std::unique_ptr<CArchiveAccess> access = m_context.archives.NewAccess();
        CSearchEngine engine(*access, m_context.results);
        engine.SetCriteria(*criteria);
        engine.SetProgressWindow(&progress);
        engine.SetCatalogue(m_context.archives.catalogue());
        QStringList sugarSync;
        for (const CCloudDriveItem &item : m_context.places.sugarSyncItems)
            sugarSync << item.m_strTargetFolder;
        engine.SetSugarSync(m_context.places.sugarSyncLinkFolder, sugarSync);
        count = engine.Search(places);
        uncheck(places);
    }
    UpdateCommands();
    showInformation(CSearchEngine::CountMessage(count), productName());
    emit searchFinished(count);
}

std::unique_ptr<QMenu> CArchiveDockController::BuildArchiveMenu(QTreeWidgetItem *item)
{
    if (!item || COrvelArchiveTree::isPlaceholder(item))
        return nullptr;
    const QString path = m_tree->nodePath(item);
    const CArchiveAccess::Located archive = m_context.archives.layer().locateArchive(path);
    if (archive.kind == ArchiveKind::None)
        return nullptr;
    const QString folder = CArchiveExtraction::FolderBesideArchive(archive.path);
    auto menu = std::make_unique<QMenu>(tr("Archive"), m_tree);
    new CMenuPrompts(menu.get(), m_tree);
    addMenuCommand(menu.get(), kCmdExtractTo, tr("&Extract to..."), tr("Extract files from archive"));
    addMenuCommand(menu.get(), kCmdExtractHere, tr("Extract &here"),
                   tr("Extract files from archive to the current folder"));
    addMenuCommand(menu.get(), kCmdExtractToFolder, tr("Extract &to %1").arg(folder),
                   tr("Extract files from archive to the folder %1").arg(folder));
    menu->addSeparator();
    addMenuCommand(menu.get(), kCmdProperties, tr("&Properties..."), tr("Properties of the selected item"))
        ->setEnabled(liesInsideArchive(item, path));
    return menu;
}

void CArchiveDockController::RunArchiveCommand(int id, QTreeWidgetItem *item)
{
    const QString path = m_tree->nodePath(item);
    CExtractionCommands &extraction = m_context.extraction;
    switch (id) {
    case kCmdExtractTo:
        extraction.ExtractTo(path);
        break;
    case kCmdExtractHere:
        extraction.ExtractHere(path);
        break;
    case kCmdExtractToFolder:
        extraction.ExtractToFolder(path);
        break;
    case kCmdProperties:
        if (liesInsideArchive(item, path))
            extraction.ShowProperties(path, item->icon(0));
        break;
    default:
        break;
    }
}

void CArchiveDockController::showContextMenu(const QPoint &pos)
{
    if (QTreeWidgetItem *hit = m_tree->itemAt(pos))
        m_tree->setCurrentItem(hit);
    QTreeWidgetItem *item = m_tree->currentItem();
    std::unique_ptr<QMenu> menu = BuildArchiveMenu(item);
    if (!menu)
        return;
    // The command runs once the menu is gone; the node is found again by its path, as the menu's own
    // event loop may have reloaded it.
    const QString path = m_tree->nodePath(item);
    const QAction *chosen = menu->exec(m_tree->viewport()->mapToGlobal(pos));
    emit statusTextChanged(QString());
    QTreeWidgetItem *node = m_tree->loadedNode(path);
    if (chosen && node)
        RunArchiveCommand(chosen->property(kCommandProperty).toInt(), node);
}

}  // namespace orv
