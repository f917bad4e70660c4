#include "mainframe.h"

#include "finder/app/aboutdialog.h"
#include "finder/app/commandids.h"
#include "finder/app/orvelsplitter.h"
#include "finder/app/tempfolder.h"
#include "finder/app/visualstyle.h"
#include "finder/browser/archivebrowserpane.h"
#include "finder/search/filedock.h"
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
const QSize kFirstStartSize(1100, 720);
}  // namespace

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent), m_commands(new CFrameCommands(this))
{
    setObjectName(QStringLiteral("MainFrame"));
    m_look = m_profile.applicationLook();
    if (!restoreGeometry(m_profile.windowPlacement()))
        resize(kFirstStartSize);

    createClientArea();
    createMenuBar();
    createStatusBar();
    setApplicationLook(m_look);
    setWindowTitle(tr("Orvel-ZIP Finder"));
    m_tempFolder = prepareTemporaryFolder();
    m_archivePane->dock()->setBody(new CArchiveBrowserPane(*this));
    CFoundFilesPane::install(*this);
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
    addBookmarksMenu(bar, *m_commands);
    addToolsMenu(bar, *m_commands);
    addHelpMenu(bar, *m_commands);
}

void CMainFrame::createStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_statusText = new QLabel(tr("Ready"), this);
    statusBar()->addWidget(m_statusText, 1);
}

void CMainFrame::connectFrameCommands()
{
    connect(m_commands->action(Cmd::Exit), &QAction::triggered, this, &QWidget::close);
    connect(m_commands->action(Cmd::About), &QAction::triggered, this, &CMainFrame::OnAbout);
    connect(m_commands->action(Cmd::Options), &QAction::triggered, this, &CMainFrame::OnOptions);
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
    // The options dialog comes with the options pages; until then the command stays disabled.
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
