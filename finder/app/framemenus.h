#pragma once

#include <QHash>
#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QWidget;

namespace orv {

// The frame's commands by number. Each area of the program fills the menu bar with its own commands and
// later finds them here by number to connect and enable them.
class CFrameCommands : public QObject
{
    Q_OBJECT

public:
    explicit CFrameCommands(QObject *parent = nullptr) : QObject(parent) {}

    QAction *add(QMenu *menu, int id, const QString &text, bool enabled = true);
    QAction *action(int id) const { return m_actions.value(id); }
    QList<int> ids() const { return m_actions.keys(); }

    // The "&Style" items; the current look is the checked one.
    QActionGroup *styleGroup() const { return m_styleGroup; }
    void setStyleGroup(QActionGroup *group) { m_styleGroup = group; }

private:
    QHash<int, QAction *> m_actions;
    QActionGroup *m_styleGroup = nullptr;
};

// One function per menu keeps each area's setup short; the order of the calls is the order of the menus.
void addFileMenu(QMenuBar *bar, CFrameCommands &commands);
void addEditMenu(QMenuBar *bar, CFrameCommands &commands);
void addViewMenu(QMenuBar *bar, CFrameCommands &commands);
// The menu of the bookmarks themselves, filled from the store each time it opens.
QMenu *addBookmarksMenu(QMenuBar *bar, CFrameCommands &commands);
void addToolsMenu(QMenuBar *bar, CFrameCommands &commands);
void addHelpMenu(QMenuBar *bar, CFrameCommands &commands);

// Binds the keys the menus name (Back, Forward, Cut, Copy, Paste, Exit) to their commands on the frame.
// They are matched before the focused control sees the key, as a frame translates its accelerators first:
// Ctrl+Left in the tree goes Back rather than to the parent node. The key of a disabled command is taken
// too and does nothing.
void bindAccelerators(QWidget *frame, const CFrameCommands &commands);

}  // namespace orv
