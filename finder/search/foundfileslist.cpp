#include "foundfileslist.h"

#include "platform/gui/fileicons.h"

#include <QDateTime>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace orv {

QVariant CFoundFilesIconModel::decoration(const CFileInfo &record) const
{
    return fileTypeIcon(record.m_strName);
}

void CSortArrowHeader::setArrow(int section, Qt::SortOrder order)
{
    m_section = section;
    m_order = order;
    viewport()->update();
}

void CSortArrowHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != m_section || rect.width() < 12)
        return;
    constexpr int kArrow = 7;
    QStyleOption option;
    option.initFrom(this);
    option.rect = QRect(rect.center().x() - kArrow / 2, rect.top() + 1, kArrow, kArrow - 2);
    style()->drawPrimitive(m_order == Qt::AscendingOrder ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                           &option, painter, this);
}

COrvelListFiles::COrvelListFiles(CResultStore &store, QWidget *parent)
    : QTableView(parent), m_model(new CFoundFilesIconModel(store, this)), m_header(new CSortArrowHeader(this)),
      m_columns(FoundFilesColumns::load(fittedDefaultWidths())), m_firstLook(!FoundFilesColumns::isStored())
{
    setObjectName(QStringLiteral("COrvelListFiles"));
    setHorizontalHeader(m_header);
    setModel(m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A header click sorts, as in a file manager's list; the table's own habit of selecting the whole
    // column would also scroll the sorted list to its last row.
    disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &COrvelListFiles::onSectionResized);
    connect(m_model, &CFoundFilesModel::sorted, this, &COrvelListFiles::updateSortArrows);
    connect(m_model, &QAbstractItemModel::modelReset, this, &COrvelListFiles::updateSortArrows);
    applyColumns();
}

FoundFilesColumns::Widths COrvelListFiles::fittedDefaultWidths() const
{
    // The widest forms: ten digits, and a day, month and hour of two digits in the afternoon.
    CFileInfo sample;
    sample.m_nSize = 1234567890;
    sample.m_tModified = QDateTime(QDate(2000, 12, 28), QTime(22, 58, 58)).toSecsSinceEpoch();
    // The cell's margins on both sides, as the style lays out an item's text.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 8;
    FoundFilesColumns::Widths widths = FoundFilesColumns::DefaultWidths;
    for (int column : {int(CFoundFilesModel::Size), int(CFoundFilesModel::Modified)}) {
        const int text = fontMetrics().horizontalAdvance(CFoundFilesModel::displayText(sample, column));
        widths[std::size_t(column)] = std::max(widths[std::size_t(column)], text + margins);
    }
    return widths;
}

void COrvelListFiles::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (!m_firstLook)
        return;
    m_firstLook = false;
    constexpr int kNarrowestFolder = 80;
    m_columns.fitFolderColumn(maximumViewportSize().width(), kNarrowestFolder);
    applyColumns();
}

// The widths are written when the list goes away, as the profile keeps them between runs.
COrvelListFiles::~COrvelListFiles()
{
    m_columns.save();
}

void COrvelListFiles::applyColumns()
{
    m_applying = true;
    for (int c = 0; c < FoundFilesColumns::Count; ++c) {
        setColumnHidden(c, !m_columns.isShown(c));
        if (m_columns.isShown(c))
            setColumnWidth(c, m_columns.width(c));
    }
    m_applying = false;
    setGrid(m_columns.grid);
    setFullRowSelect(m_columns.fullRowSelect);
    setShowSelectionAlways(m_columns.showSelectionAlways);
}

void COrvelListFiles::onSectionResized(int column, int, int newWidth)
{
    if (!m_applying && newWidth > 0 && m_columns.isShown(column))
        m_columns.setWidth(column, newWidth);
}

void COrvelListFiles::setColumnShown(int column, bool shown)
{
    m_columns.setShown(column, shown);
    applyColumns();
}

void COrvelListFiles::setGrid(bool on)
{
    m_columns.grid = on;
    setShowGrid(on);
}

void COrvelListFiles::setFullRowSelect(bool on)
{
    m_columns.fullRowSelect = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

// Off, the selection is drawn only while the list has the focus, as a list control without the
// always-show style does.
void COrvelListFiles::setShowSelectionAlways(bool on)
{
    m_columns.showSelectionAlways = on;
    QPalette p = palette();
    const QPalette base = style()->standardPalette();
    if (on) {
        p.setColor(QPalette::Inactive, QPalette::Highlight, base.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, base.color(QPalette::Active, QPalette::HighlightedText));
    } else {
        p.setColor(QPalette::Inactive, QPalette::Highlight, base.color(QPalette::Inactive, QPalette::Base));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, base.color(QPalette::Inactive, QPalette::Text));
    }
    setPalette(p);
}

std::vector<int> COrvelListFiles::selectedRowList() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &i : selectionModel()->selectedIndexes())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int COrvelListFiles::lastSelectedRow() const
{
    const QModelIndex current = selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
    if (current.isValid() && selectionModel()->isSelected(current))
        return current.row();
    const std::vector<int> rows = selectedRowList();
    return rows.empty() ? -1 : rows.back();
}

void COrvelListFiles::scrollSelectionIntoView()
{
    for (int row : selectedRowList())
        scrollTo(m_model->index(row, 0));
}

void COrvelListFiles::updateSortArrows()
{
    m_header->setArrow(m_model->sortColumn(), m_model->sortOrder());
}

}  // namespace orv
