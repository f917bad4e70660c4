#pragma once

#include <QString>

#include <array>
#include <optional>

namespace orv {

// The pane toolbar's commands; the sort and view menu commands are the frame's (32812-32824).
namespace FoundFilesCmd {
constexpr int FindInBrowser = 32806;
constexpr int DeleteSelected = 32807;
constexpr int ClearAll = 32808;
constexpr int SortMenu = 32809;
constexpr int ViewMenu = 32810;
constexpr int CheckAll = 32825;
constexpr int RemoveChecks = 32826;
constexpr int Save = 32828;
constexpr int Export = 32829;
constexpr int Extract = 32830;
constexpr int SearchInResults = 32833;
}  // namespace FoundFilesCmd

// The column layout and view switches of the Found Files list, kept apart from the widget so that the
// rules (a hidden column remembers its width, a stored width of 0 starts hidden) hold without a window.
class FoundFilesColumns
{
public:
    static constexpr int Count = 4;
    using Widths = std::array<int, Count>;
    static constexpr Widths DefaultWidths{160, 220, 100, 140};

    // The widths a column starts with, and gets back when shown again without a width of its own.
    explicit FoundFilesColumns(const Widths &defaults = DefaultWidths) : m_defaults(defaults), m_widths(defaults) {}

    int width(int column) const { return m_widths.at(std::size_t(column)); }
    bool isShown(int column) const { return width(column) > 0; }
    // The user dragged a column border.
    void setWidth(int column, int width);
    // Hiding keeps the width it had; showing gives it back, or the default width when none was kept.
    void setShown(int column, bool shown);
    void toggle(int column) { setShown(column, !isShown(column)); }

    // "%d %d %d %d", the widths of the four columns with 0 for a hidden one.
    QString toText() const;
    // Nothing for a text that is not four whole numbers, none of them negative.
    static std::optional<FoundFilesColumns> fromText(const QString &text, const Widths &defaults = DefaultWidths);

    // The framework profile: section "FileFinder_Columns", entry "Width"; the defaults when it holds none.
    static FoundFilesColumns load(const Widths &defaults = DefaultWidths);
    static bool isStored();
    void save() const;

    // Makes the shown columns fit the width by narrowing "In Folder", down to the minimum: a first look
    // without a scroll bar. The other columns hold texts that must be read whole.
    void fitFolderColumn(int available, int minimum);

    bool grid = false;
    bool fullRowSelect = false;
    bool showSelectionAlways = false;

private:
    Widths m_defaults;
    Widths m_widths;
    std::array<int, Count> m_hiddenWidths{0, 0, 0, 0};
};

// Which pane commands may run, from the state of the list (the pane toolbar's rules).
struct FoundFilesListState
{
    bool hasSelection = false;
    bool empty = true;
    bool anyChecked = false;
    bool searchingInResults = false;
};

bool isCommandEnabled(int commandId, const FoundFilesListState &state);

}  // namespace orv
