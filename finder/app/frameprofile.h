#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orv {

// Saved positions of a two-column splitter: "%d %d %d %d" = hidden column (-1 none), width of column 0,
// hidden row (-1 none), width of column 1.
struct SplitterPositions
{
    int hiddenColumn = -1;
    int column0 = 150;
    int hiddenRow = -1;
    int column1 = 150;

    QString toText() const;
    // Nothing for a text that is not four whole numbers.
    static std::optional<SplitterPositions> fromText(const QString &text);
};

// The framework's own state (window placement, visual style, splitter and column layout), kept apart from
// the settings file under the organisation "Orvel Systems".
class FrameProfile
{
public:
    static constexpr int DefaultLook = 218;

    int applicationLook() const;
    void setApplicationLook(int look);

    std::optional<SplitterPositions> splitterPositions(int view) const;
    void setSplitterPositions(int view, const SplitterPositions &positions);

    QByteArray windowPlacement() const;
    void setWindowPlacement(const QByteArray &geometry);

    // Whether the window's search keeps the listings of the archives it reads and asks them first; on
    // unless turned off.
    bool keepsListings() const;
    void setKeepsListings(bool keep);
};

}  // namespace orv
