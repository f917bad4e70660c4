#include "toolbartips.h"

#include <QChildEvent>
#include <QEvent>
#include <QMenu>
#include <QToolBar>

namespace orv {

namespace {

// A button shows its tooltip itself, so the filter sits on every button; the toolbar tells of new ones.
class CToolTipBlocker : public QObject
{
public:
    static constexpr const char *kName = "ToolTipBlocker";

    explicit CToolTipBlocker(QToolBar *bar) : QObject(bar), m_bar(bar)
    {
        setObjectName(QLatin1String(kName));
        bar->installEventFilter(this);
        for (QWidget *child : bar->findChildren<QWidget *>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A drop-down's menu has tooltips of its own, which other settings govern.
        if (event->type() == QEvent::ToolTip)
            return !qobject_cast<QMenu *>(watched);
        if (watched == m_bar && event->type() == QEvent::ChildAdded) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QToolBar *m_bar;
};

}  // namespace

void setToolbarTooltipsShown(QToolBar *bar, bool shown)
{
    QObject *blocker = bar->findChild<QObject *>(QLatin1String(CToolTipBlocker::kName), Qt::FindDirectChildrenOnly);
    if (shown)
        delete blocker;
    else if (!blocker)
        new CToolTipBlocker(bar);
}

}  // namespace orv
