#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QMenu;
class QWidget;

namespace orv {

// Carries the prompt of the menu item under the mouse, or of the item chosen with the keys, to the window's
// status bar while a context menu is open. A popup menu is a window of its own, so its items' prompts would
// stop at it; they are sent to a widget of the main window instead. Disabled items have their prompt too,
// as a menu's items do while a command is not available yet.
class CMenuPrompts : public QObject
{
    Q_OBJECT

public:
    // Lives as long as the menu; the target is the widget the menu belongs to.
    CMenuPrompts(QMenu *menu, QWidget *target);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show(const QString &prompt);

    QMenu *m_menu;
    QPointer<QWidget> m_target;
    QString m_shown;
};

}  // namespace orv
