#include "mainframe.h"

#include "finder/app/aboutdialog.h"
#include "finder/app/filelauncher.h"
#include "finder/app/orvelsplitter.h"
#include "finder/app/tempfolder.h"
#include "finder/app/toolbartips.h"
#include "finder/app/visualstyle.h"
#include "finder/bookmarks/bookmarkcommands.h"
#include "finder/bookmarks/bookmarkfile.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/browser/archivedock.h"
#include "finder/browser/extractioncommands.h"
#include "finder/browser/nameandlevel.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/browser/unpackprogress.h"
#include "finder/common/commandids.h"
#include "finder/export/exportcommands.h"
#include "finder/places/placelinks.h"
#include "finder/search/filedock.h"
#include "finder/settings/options.h"
#include "finder/tools/splitmergecommands.h"
#include "platform/product.h"
#include "platform/prompts.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace orv {

namespace {
constexpr int kSplitterView = 0;
constexpr int kMinimumPaneWidth = 200;
// Wide enough for the Found Files list to show its four columns whole.
const QSize kFirstStartSize(1200, 760);
}  // namespace

CMainFrame::CMainFrame(QWidget *parent)
    : QMainWindow(parent),
      m_editing(m_archives, m_busy, m_settings.values(), m_packChoices),
      m_commands(new CFrameCommands(this))
{
    setObjectName(QStringLiteral("MainFrame"));
    m_look = m_profile.applicationLook();
    if (!restoreGeometry(m_profile.windowPlacement()))
        resize(kFirstStartSize);

    createClientArea();
    createMenuBar();
    createStatusBar();
    setApplicationLook(m_look);
    setWindowTitle(productName());
    m_tempFolder = prepareTemporaryFolder();
    createPanes();
    connectPanes();
    connectFrameCommands();
}

// The panes point into the frame's members (the result store, the settings), so they go first.
CMainFrame::~CMainFrame() { delete m_splitter; }

// The settings are read before the panes exist, because the panes are built from them.
void CMainFrame::createClientArea()
{
    const int clientWidth = width();
    m_settings.LoadSettings();
    m_places = ResolvePlaceRoots(m_settings.values(), m_settings.programFolder());

    m_splitter = new COrvelSplitter(kSplitterView, this);
    m_archivePane = new CArchiveView(m_splitter);
    m_filePane = new CFileView(m_splitter);
    m_splitter->addWidget(m_archivePane);
    m_splitter->addWidget(m_filePane);
    for (int column = 0; column < 2; ++column) {
        m_splitter->setMinimumColumnWidth(column, kMinimumPaneWidth);
        m_splitter->setIdealColumnWidth(column, clientWidth / 2);
    }
    m_splitter->restorePositions(m_profile);
    setCentralWidget(m_splitter);
}

void CMainFrame::createMenuBar()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    addFileMenu(bar, *m_commands);
    addEditMenu(bar, *m_commands);
    addViewMenu(bar, *m_commands);
    m_bookmarksMenu = addBookmarksMenu(bar, *m_commands);
    addToolsMenu(bar, *m_commands);
    addHelpMenu(bar, *m_commands);
    bindAccelerators(this, *m_commands);
}

void CMainFrame::createStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_statusText = new QLabel(tr("Ready"), this);
    statusBar()->addWidget(m_statusText, 1);
}

void CMainFrame::createPanes()
{
    m_archives.ApplySettings(m_settings.values());
    m_archives.setTemporaryFolder(m_tempFolder);
    m_archives.setBusyFlags(&m_busy);
    m_archives.setFileLauncher(openWithDesktopProgram);
    m_extraction = new CExtractionCommands(m_archives, m_busy, this);
    useEditingDialogs();
    m_bookmarksRoot = bookmarksRootPath();
    m_bookmarks = new CBookmarkCommands(m_bookmarksRoot, m_settings.values().bEnableShowTooltipForBookmarksMenu, this);
    m_browser = new CArchiveBrowserPane(BrowserContext{m_archives, *m_extraction, m_editing, m_busy, m_results,
                                                       m_settings.values(), m_places, m_bookmarksRoot});
    m_archivePane->dock()->setBody(m_browser);
    m_foundFiles = new CFoundFilesPane(m_results);
    m_foundFiles->setBusyFlags(&m_busy);
    m_foundFiles->setCriteria(&m_criteria);
    m_export = new CExportCommands(*m_foundFiles->model(), m_busy, this);
    m_export->setTemporaryFolder(m_tempFolder);
    m_export->setFileOpener(openWithDesktopProgram);
    m_filePane->dock()->setBody(m_foundFiles);
    applySettingsNow();
}

void CMainFrame::useEditingDialogs()
{
    m_editing.setRefusedFolder(m_places.sugarSyncLinkFolder);
    m_editing.setChoicesDialog([this](const NameAndLevelPresets &presets, PackChoices &choices) {
        return CNameAndLevel::ask(presets, choices, this);
    });
    m_editing.setProgressFactory([this] {
        auto progress = std::make_unique<CPackProgress>(this);
        progress->show();
        return std::unique_ptr<QObject>(std::move(progress));
    });
}

void CMainFrame::connectPanes()
{
    COrvelArchiveTree *tree = m_browser->tree();
    CArchiveDockController *browserCommands = m_browser->controller();
    connect(tree, &COrvelArchiveTree::statusTextChanged, m_statusText, &QLabel::setText);
    tree->ShowStatus();
    connect(browserCommands, &CArchiveDockController::statusTextChanged, m_statusText, &QLabel::setText);
    connect(m_foundFiles, &CFoundFilesPane::findInBrowserRequested, tree, &COrvelArchiveTree::SelectPath);
    connect(m_foundFiles, &CFoundFilesPane::extractRequested, m_extraction, &CExtractionCommands::ExtractChecked);
    connect(m_foundFiles, &CFoundFilesPane::saveRequested, m_export, &CExportCommands::OnSaveAs);
    connect(m_foundFiles, &CFoundFilesPane::exportToExcelRequested, m_export, &CExportCommands::OnExportToExcel);
    connect(m_foundFiles, &CFoundFilesPane::exportToWordRequested, m_export, &CExportCommands::OnExportToWord);
    connect(browserCommands, &CArchiveDockController::searchStarting, this,
            [this](const SearchCriteria &criteria) { m_criteria = criteria; });
    connect(browserCommands, &CArchiveDockController::searchFinished, m_foundFiles,
            &CFoundFilesPane::OnSearchFinished);
    m_bookmarks->AttachMenu(browserCommands->bookmarksMenu());
    m_bookmarks->AttachMenu(m_bookmarksMenu);
    connect(browserCommands, &CArchiveDockController::addBookmarkRequested, m_bookmarks,
            &CBookmarkCommands::AddBookmark);
    connect(m_bookmarks, &CBookmarkCommands::storeChanged, browserCommands, &CArchiveDockController::UpdateCommands);
    connect(m_bookmarks, &CBookmarkCommands::bookmarkChosen, this, [this](const QString &path) {
        m_browser->tree()->SelectPath(path);
        m_archivePane->update();
    });
    for (int id : CFoundFilesPane::sharedCommandIds()) {
        if (QAction *action = m_commands->action(id))
            m_foundFiles->forwardFrameAction(action);
    }
}

void CMainFrame::connectFrameCommands()
{
    CArchiveDockController *browserCommands = m_browser->controller();
    QAction *back = m_commands->action(Cmd::HistoryBack);
    QAction *forward = m_commands->action(Cmd::HistoryForward);
    QAction *clearHistory = m_commands->action(Cmd::ClearHistory);
    connect(back, &QAction::triggered, browserCommands, &CArchiveDockController::OnBack);
    connect(forward, &QAction::triggered, browserCommands, &CArchiveDockController::OnForward);
    connect(clearHistory, &QAction::triggered, browserCommands, &CArchiveDockController::OnClearHistory);
    clearHistory->setEnabled(true);
    connect(browserCommands, &CArchiveDockController::historyStateChanged, this,
            [back, forward](bool canGoBack, bool canGoForward) {
                back->setEnabled(canGoBack);
                forward->setEnabled(canGoForward);
            });
    browserCommands->UpdateCommands();

    connect(m_commands->action(Cmd::Exit), &QAction::triggered, this, &QWidget::close);
    connect(m_commands->action(Cmd::About), &QAction::triggered, this, &CMainFrame::OnAbout);
    connect(m_commands->action(Cmd::Options), &QAction::triggered, this, &CMainFrame::OnOptions);
    QAction *manager = m_commands->action(Cmd::BookmarksManager);
    manager->setStatusTip(tr("Management of archive bookmarks"));
    manager->setEnabled(true);
    connect(manager, &QAction::triggered, m_bookmarks, &CBookmarkCommands::OnBookmarksManager);
    m_splitMerge = new CSplitMergeCommands(m_busy, this);
    connect(m_commands->action(Cmd::SplitFile), &QAction::triggered, m_splitMerge, &CSplitMergeCommands::OnSplitFile);
    connect(m_commands->action(Cmd::MergeFiles), &QAction::triggered, m_splitMerge,
            &CSplitMergeCommands::OnMergeFiles);
    QAction *keep = m_commands->action(Cmd::KeepListings);
    keep->setChecked(m_profile.keepsListings());
    m_archives.setCatalogueEnabled(keep->isChecked());
    connect(keep, &QAction::toggled, this, [this](bool on) {
        m_profile.setKeepsListings(on);
        m_archives.setCatalogueEnabled(on);
    });
    connect(m_commands->styleGroup(), &QActionGroup::triggered, this,
            [this](QAction *action) { setApplicationLook(action->data().toInt()); });
}

void CMainFrame::setApplicationLook(int look)
{
    m_look = look;
    CVisualStyle::apply(look);
    if (QAction *current = m_commands->action(look))
        current->setChecked(true);
    else if (QAction *checked = m_commands->styleGroup()->checkedAction())
        checked->setChecked(false);
    m_profile.setApplicationLook(look);
}

void CMainFrame::OnOptions()
{
    if (IsBusy())
        return;
    COptions dialog(draftOf(m_settings.values()), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OptionsOutcome outcome = ApplyOptions(m_settings, dialog.draft());
    applySettingsNow();
    QStringList problems;
    for (const PlaceProblem &problem : outcome.linkProblems)
        problems << describePlaceProblem(problem);
    if (!problems.isEmpty())
        prompter().message(problems.join(QLatin1Char('\n')), productName(), MsgIcon::Warning, MsgButtons::Ok);
    if (outcome.restartNeeded())
        showInformation(tr("For correct work with new options it is recommended to restart Orvel-ZIP Finder"),
                        productName());
}

// What the panes read only when they are made; everything else is read from the values at its next use.
void CMainFrame::applySettingsNow()
{
    const SettingsValues &values = m_settings.values();
    m_archives.ApplySettings(values);
    m_browser->tree()->setOpenOnDoubleClick(values.bEnableDoubleClickToOpen);
    setToolbarTooltipsShown(m_browser->toolBar(), values.bEnableShowTooltipForToolbars);
    setToolbarTooltipsShown(m_foundFiles->toolBar(), values.bEnableShowTooltipForToolbars);
}

void CMainFrame::OnAbout()
{
    CAboutDialog(this).exec();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (IsBusy()) {
        event->ignore();
        return;
    }
    saveFrameState();
    event->accept();
}

void CMainFrame::saveFrameState()
{
    m_splitter->savePositions(m_profile);
    m_profile.setWindowPlacement(saveGeometry());
}

}  // namespace orv
