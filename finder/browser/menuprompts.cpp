#include "menuprompts.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusTipEvent>

namespace orv {

CMenuPrompts::CMenuPrompts(QMenu *menu, QWidget *target) : QObject(menu), m_menu(menu), m_target(target)
{
    menu->installEventFilter(this);
    connect(menu, &QMenu::hovered, this, [this](QAction *action) { show(action->statusTip()); });
    // The prompt goes with the menu, before the chosen command runs.
    connect(menu, &QMenu::aboutToHide, this, [this] { show(QString()); });
}

// The menu's own hover skips disabled items; the item under the mouse is looked up here instead.
bool CMenuPrompts::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_menu && event->type() == QEvent::MouseMove) {
        const QAction *action = m_menu->actionAt(static_cast<QMouseEvent *>(event)->position().toPoint());
        show(action ? action->statusTip() : QString());
    }
    return QObject::eventFilter(watched, event);
}

void CMenuPrompts::show(const QString &prompt)
{
    if (!m_target || prompt == m_shown)
        return;
    m_shown = prompt;
    QStatusTipEvent tip(prompt);
    QApplication::sendEvent(m_target, &tip);
}

}  // namespace orv
