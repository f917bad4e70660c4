#include "foundfileslistcolumns.h"

#include "finder/common/commandids.h"
#include "platform/product.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>

namespace orv {

namespace {

QSettings profile()
{
    return QSettings(organizationName(), productName());
}

const QString kWidthKey = QStringLiteral("FileFinder_Columns/Width");

}  // namespace

void FoundFilesColumns::setWidth(int column, int width)
{
    m_widths.at(std::size_t(column)) = std::max(0, width);
}

// The name column cannot be hidden: a row without its name would show nothing to act on.
void FoundFilesColumns::setShown(int column, bool shown)
{
    if (column <= 0 || column >= Count || shown == isShown(column))
        return;
    const auto c = std::size_t(column);
    if (shown) {
        m_widths[c] = m_hiddenWidths[c] > 0 ? m_hiddenWidths[c] : m_defaults[c];
    } else {
        m_hiddenWidths[c] = m_widths[c];
        m_widths[c] = 0;
    }
}

QString FoundFilesColumns::toText() const
{
    return QStringLiteral("%1 %2 %3 %4").arg(m_widths[0]).arg(m_widths[1]).arg(m_widths[2]).arg(m_widths[3]);
}

std::optional<FoundFilesColumns> FoundFilesColumns::fromText(const QString &text, const Widths &defaults)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != Count)
        return std::nullopt;
    FoundFilesColumns columns(defaults);
    for (int i = 0; i < Count; ++i) {
        bool ok = false;
        const int width = parts[i].toInt(&ok);
        if (!ok || width < 0)
            return std::nullopt;
        columns.m_widths[std::size_t(i)] = width;
    }
    if (columns.m_widths[0] == 0)
        columns.m_widths[0] = defaults[0];
    return columns;
}

FoundFilesColumns FoundFilesColumns::load(const Widths &defaults)
{
    const QString text = profile().value(kWidthKey).toString();
    return fromText(text, defaults).value_or(FoundFilesColumns(defaults));
}

bool FoundFilesColumns::isStored()
{
    return fromText(profile().value(kWidthKey).toString()).has_value();
}

void FoundFilesColumns::fitFolderColumn(int available, int minimum)
{
    constexpr std::size_t kFolder = 1;
    if (!isShown(int(kFolder)))
        return;
    int total = 0;
    for (int width : m_widths)
        total += width;
    if (total > available)
        m_widths[kFolder] = std::max(std::min(minimum, m_widths[kFolder]), m_widths[kFolder] - (total - available));
}

void FoundFilesColumns::save() const
{
    profile().setValue(kWidthKey, toText());
}

bool isCommandEnabled(int commandId, const FoundFilesListState &state)
{
    using namespace FoundFilesCmd;
    switch (commandId) {
    case FindInBrowser:
    case DeleteSelected:
        return state.hasSelection;
    case ClearAll:
    case SortMenu:
    case ViewMenu:
    case CheckAll:
        return !state.empty;
    case RemoveChecks:
    case Save:
    case Export:
    case Cmd::ExportToExcel:
    case Cmd::ExportToWord:
    case Extract:
        return state.anyChecked;
    case SearchInResults:
        return !state.empty && !state.searchingInResults;
    default:
        return !state.empty;  // the frame's sort and view menu commands
    }
}

}  // namespace orv
