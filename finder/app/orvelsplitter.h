#pragma once

#include "finder/app/frameprofile.h"

#include <QSplitter>

namespace orv {

// One row, two columns, each with an ideal and a minimum width; the widths are kept in the framework
// profile under the splitter's view number.
class COrvelSplitter : public QSplitter
{
    Q_OBJECT

public:
    explicit COrvelSplitter(int viewNumber, QWidget *parent = nullptr);

    void setMinimumColumnWidth(int column, int width);
    void setIdealColumnWidth(int column, int width);
    // Applies the saved widths, or the ideal ones when nothing was saved yet.
    void restorePositions(const FrameProfile &profile);
    void savePositions(FrameProfile &profile) const;

private:
    int m_view;
    int m_ideal[2] = {150, 150};
};

}  // namespace orv
