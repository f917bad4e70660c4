#include "framemenus.h"

#include "finder/common/commandids.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QWidget>

namespace orv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CMainFrame", text);
}

// Commands whose work belongs to parts of the program that are not there yet stay visible but disabled,
// so the menus already have their final shape.
constexpr bool kLater = false;

void addSortMenu(QMenu *parent, CFrameCommands &commands)
{
    QMenu *menu = parent->addMenu(tr("S&ort"));
    commands.add(menu, Cmd::SortByName, tr("Sort by &Name"), kLater);
    commands.add(menu, Cmd::SortByFolder, tr("Sort by &Folder"), kLater);
    commands.add(menu, Cmd::SortBySize, tr("Sort by &Size"), kLater);
    commands.add(menu, Cmd::SortByDate, tr("Sort by Da&te"), kLater);
    menu->addSeparator();
    commands.add(menu, Cmd::SortAscending, tr("Sort &Ascending"), kLater);
    commands.add(menu, Cmd::SortDescending, tr("Sort &Descending"), kLater);
}

void addFoundFilesViewMenu(QMenu *parent, CFrameCommands &commands)
{
    QMenu *menu = parent->addMenu(tr("Found &Files"));
    commands.add(menu, Cmd::ShowColumnFolder, tr("Show Column &Folder"), kLater);
    commands.add(menu, Cmd::ShowColumnSize, tr("Show Column &Size"), kLater);
    commands.add(menu, Cmd::ShowColumnDate, tr("Show Column &Date"), kLater);
    menu->addSeparator();
    commands.add(menu, Cmd::ShowGrid, tr("Show &Grid"), kLater);
    commands.add(menu, Cmd::SelectFullRow, tr("Select Full &Row"), kLater);
    commands.add(menu, Cmd::ShowSelectedAlways, tr("Show Selected &Always"), kLater);
}

// "Windows" comes first; the coloured looks follow in their number order.
void addStyleMenu(QMenu *parent, CFrameCommands &commands)
{
    QMenu *menu = parent->addMenu(tr("&Style"));
    auto *group = new QActionGroup(&commands);
    // Optional, so that a look without a menu item (an older stored number) can leave every item unchecked.
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<int, const char *> looks[] = {{Cmd::StyleWindows, "Windows"},
                                                  {Cmd::StyleBlue, "&Blue"},
                                                  {Cmd::StyleBlack, "B&lack"},
                                                  {Cmd::StyleSilver, "&Silver"},
                                                  {Cmd::StyleAqua, "&Aqua"}};
    for (const auto &[id, text] : looks) {
        QAction *action = commands.add(menu, id, tr(text));
        action->setCheckable(true);
        group->addAction(action);
    }
    commands.setStyleGroup(group);
}

}  // namespace

QAction *CFrameCommands::add(QMenu *menu, int id, const QString &text, bool enabled)
{
    QAction *action = menu->addAction(text);
    action->setData(id);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setEnabled(enabled);
    m_actions.insert(id, action);
    return action;
}

void addFileMenu(QMenuBar *bar, CFrameCommands &commands)
{
    QMenu *menu = bar->addMenu(tr("&File"));
    menu->setObjectName(QStringLiteral("menuFile"));
    // Enabled by the Found Files list while a row is checked.
    commands.add(menu, Cmd::ExportToExcel, tr("Export to &Excel"), false);
    commands.add(menu, Cmd::ExportToWord, tr("Export to &Word"), false);
    menu->addSeparator();
    commands.add(menu, Cmd::Exit, tr("E&xit"));
}

void addEditMenu(QMenuBar *bar, CFrameCommands &commands)
{
    QMenu *menu = bar->addMenu(tr("&Edit"));
    menu->setObjectName(QStringLiteral("menuEdit"));
    commands.add(menu, Cmd::EditCut, tr("Cu&t\tCtrl+X"), kLater);
    commands.add(menu, Cmd::EditCopy, tr("&Copy\tCtrl+C"), kLater);
    commands.add(menu, Cmd::EditPaste, tr("&Paste\tCtrl+V"), kLater);
}

void addViewMenu(QMenuBar *bar, CFrameCommands &commands)
{
    QMenu *menu = bar->addMenu(tr("&View"));
    menu->setObjectName(QStringLiteral("menuView"));
    commands.add(menu, Cmd::HistoryBack, tr("&Back\tCtrl+Left Arrow"), kLater);
    commands.add(menu, Cmd::HistoryForward, tr("&Forward\tCtrl+Right Arrow"), kLater);
    commands.add(menu, Cmd::ClearHistory, tr("&Clear History"), kLater);
    menu->addSeparator();
    addSortMenu(menu, commands);
    addFoundFilesViewMenu(menu, commands);
    menu->addSeparator();
    addStyleMenu(menu, commands);
}

QMenu *addBookmarksMenu(QMenuBar *bar, CFrameCommands &)
{
    QMenu *menu = bar->addMenu(tr("&Bookmarks"));
    menu->setObjectName(QStringLiteral("menuBookmarks"));
    return menu;
}

void addToolsMenu(QMenuBar *bar, CFrameCommands &commands)
{
    QMenu *menu = bar->addMenu(tr("&Tools"));
    menu->setObjectName(QStringLiteral("menuTools"));
    commands.add(menu, Cmd::SplitFile, tr("Split File..."))->setStatusTip(tr("Split file into parts"));
    commands.add(menu, Cmd::MergeFiles, tr("Merge Files..."))->setStatusTip(tr("Merge files into a single file"));
    menu->addSeparator();
    commands.add(menu, Cmd::BookmarksManager, tr("&Archive Bookmarks Manager..."), kLater);
    menu->addSeparator();
    QAction *keep = commands.add(menu, Cmd::KeepListings, tr("&Keep Archive Listings"));
    keep->setCheckable(true);
    keep->setStatusTip(tr("Keep the listings of the archives searched, so that a search opens only archives that "
                          "are new or changed"));
    menu->addSeparator();
    commands.add(menu, Cmd::Options, tr("&Options..."))->setStatusTip(tr("Changes options"));
}

void addHelpMenu(QMenuBar *bar, CFrameCommands &commands)
{
    QMenu *menu = bar->addMenu(tr("&Help"));
    menu->setObjectName(QStringLiteral("menuHelp"));
    commands.add(menu, Cmd::HelpTopics, tr("&Help Topics"), kLater);
    menu->addSeparator();
    commands.add(menu, Cmd::About, tr("&About Orvel-ZIP Finder"));
}

void bindAccelerators(QWidget *frame, const CFrameCommands &commands)
{
    const std::pair<int, QKeySequence> accelerators[] = {
        {Cmd::HistoryBack, QKeySequence(Qt::CTRL | Qt::Key_Left)},
        {Cmd::HistoryForward, QKeySequence(Qt::CTRL | Qt::Key_Right)},
        {Cmd::EditCut, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {Cmd::EditCopy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {Cmd::EditPaste, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {Cmd::Exit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
    };
    for (const auto &[id, key] : accelerators) {
        QAction *action = commands.action(id);
        // The action keeps the key for its menu item, where it also works while the menu is open; in the
        // window the frame's shortcut takes it, always, and triggering a disabled action does nothing.
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        auto *shortcut = new QShortcut(key, frame);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }
}

}  // namespace orv
