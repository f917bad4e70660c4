#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace orv {

// One step of the Archive Browser history: a node the user selected.
struct CArchiveHistory
{
    QString strPath;
    QString strName;  // the last component of the path
    std::int64_t nIndex = 0;
    int nImage = 0;
};

// The back and forward history of the nodes selected in the tree. The list is never cut: going back and
// then selecting another node keeps the steps gone back over, and the new step goes after all of them.
class CBrowserHistory
{
public:
    static constexpr int kDefaultStepsShown = 5;

    // Appends a step for the node while recording is on; the new step becomes the current one.
    void Record(const QString &path, int image);
    void setRecording(bool on) { m_recording = on; }
    bool isRecording() const { return m_recording; }

    bool CanGoBack() const { return m_current >= 1; }
    bool CanGoForward() const
    {
        return m_current != -1 && m_current < static_cast<std::int64_t>(m_steps.size()) - 1;
    }
    // Moves one step and returns the step to select, or null when there is none that way.
    const CArchiveHistory *Back();
    const CArchiveHistory *Forward();
    // Makes the step of that index current; null when there is no such step.
    const CArchiveHistory *GoTo(std::int64_t index);
    void Clear();

    // The steps of the drop-downs, nearest first: at most "steps shown" of them.
    std::vector<CArchiveHistory> BackList(int stepsShown) const;
    std::vector<CArchiveHistory> ForwardList(int stepsShown) const;

    // The toolbar tooltips: "Back to %s" and "Forward to %s" with the neighbouring step's name; empty
    // when there is no such step.
    QString BackTooltip() const;
    QString ForwardTooltip() const;

    std::int64_t current() const { return m_current; }
    const std::vector<CArchiveHistory> &steps() const { return m_steps; }

    // The last component of a path, a trailing separator dropped first.
    static QString StepName(const QString &path);
    // A stored steps-shown value outside 5 to 20 counts as 5.
    static int ValidStepsShown(int stored);

private:
    const CArchiveHistory *stepAt(std::int64_t index) const;

    std::vector<CArchiveHistory> m_steps;
    std::int64_t m_current = -1;
    bool m_recording = true;
};

}  // namespace orv
