#include "browserhistory.h"

#include <QCoreApplication>

#include <algorithm>

namespace orv {

namespace {
constexpr int kMinStepsShown = 5;
constexpr int kMaxStepsShown = 20;
}  // namespace

void CBrowserHistory::Record(const QString &path, int image)
{
    if (!m_recording)
        return;
    CArchiveHistory step;
    step.strPath = path;
    step.strName = StepName(path);
    step.nIndex = static_cast<std::int64_t>(m_steps.size());
    step.nImage = image;
    m_steps.push_back(std::move(step));
    m_current = m_steps.back().nIndex;
}

const CArchiveHistory *CBrowserHistory::stepAt(std::int64_t index) const
{
    if (index < 0 || index >= static_cast<std::int64_t>(m_steps.size()))
        return nullptr;
    return &m_steps[static_cast<std::size_t>(index)];
}

const CArchiveHistory *CBrowserHistory::Back()
{
    return CanGoBack() ? GoTo(m_current - 1) : nullptr;
}

const CArchiveHistory *CBrowserHistory::Forward()
{
    return CanGoForward() ? GoTo(m_current + 1) : nullptr;
}

const CArchiveHistory *CBrowserHistory::GoTo(std::int64_t index)
{
    const CArchiveHistory *step = stepAt(index);
    if (step)
        m_current = index;
    return step;
}

void CBrowserHistory::Clear()
{
    m_steps.clear();
    m_current = -1;
}

std::vector<CArchiveHistory> CBrowserHistory::BackList(int stepsShown) const
{
    std::vector<CArchiveHistory> list;
    const std::int64_t last = std::max<std::int64_t>(0, m_current - stepsShown);
    for (std::int64_t index = m_current - 1; index >= last; --index)
        list.push_back(m_steps[static_cast<std::size_t>(index)]);
    return list;
}

std::vector<CArchiveHistory> CBrowserHistory::ForwardList(int stepsShown) const
{
    std::vector<CArchiveHistory> list;
    if (m_current < 0)
        return list;
    const std::int64_t last =
        std::min<std::int64_t>(m_current + stepsShown, static_cast<std::int64_t>(m_steps.size()) - 1);
    for (std::int64_t index = m_current + 1; index <= last; ++index)
        list.push_back(m_steps[static_cast<std::size_t>(index)]);
    return list;
}

QString CBrowserHistory::BackTooltip() const
{
    const CArchiveHistory *step = CanGoBack() ? stepAt(m_current - 1) : nullptr;
    return step ? QCoreApplication::translate("CArchiveDock", "Back to %1").arg(step->strName) : QString();
}

QString CBrowserHistory::ForwardTooltip() const
{
    const CArchiveHistory *step = CanGoForward() ? stepAt(m_current + 1) : nullptr;
    return step ? QCoreApplication::translate("CArchiveDock", "Forward to %1").arg(step->strName) : QString();
}

QString CBrowserHistory::StepName(const QString &path)
{
    QString trimmed = path;
    if (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    return slash < 0 || trimmed.size() == 1 ? trimmed : trimmed.mid(slash + 1);
}

int CBrowserHistory::ValidStepsShown(int stored)
{
    return stored < kMinStepsShown || stored > kMaxStepsShown ? kDefaultStepsShown : stored;
}

}  // namespace orv
