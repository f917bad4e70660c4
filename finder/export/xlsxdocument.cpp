#include "xlsxdocument.h"

#include "finder/export/foundfileswriter.h"
#include "finder/export/xlsxlibrary.h"

#include <QDir>


namespace orv {

namespace {

// The first five columns: "Num.", "Name", "Path", "Size", "Modified".
constexpr const char *kHeaders[CXlsxDocument::kColumns] = {"Num.", "Name", "Path", "Size", "Modified"};
constexpr double kWidths[CXlsxDocument::kColumns] = {10, 60, 60, 30, 25};
// Excel's colour index 15 of its standard palette (25% grey).
constexpr lxw_color_t kHeaderFill = 0xC0C0C0;
constexpr double kHeaderFontSize = 8;
// The number column keeps the general alignment; the texts are left, right and centred as in the list.
constexpr std::uint8_t kAlignments[CXlsxDocument::kColumns] = {LXW_ALIGN_NONE, LXW_ALIGN_LEFT, LXW_ALIGN_LEFT,
                                                               LXW_ALIGN_RIGHT, LXW_ALIGN_CENTER};

}  // namespace

// A workbook was made, so the library is loaded.
void CXlsxDocument::WorkbookDeleter::operator()(lxw_workbook *workbook) const
{
    QString unused;
    xlsxFunctions(unused)->free(workbook);
}

CXlsxDocument::CXlsxDocument() = default;
CXlsxDocument::~CXlsxDocument() = default;

bool CXlsxDocument::check(int result)
{
    if (result == LXW_NO_ERROR)
        return true;
    return fail(QString::fromUtf8(m_xlsx->errorText(static_cast<lxw_error>(result))));
}

bool CXlsxDocument::create(const QString &path)
{
    QString error;
    m_xlsx = xlsxFunctions(error);
    if (!m_xlsx)
        return fail(QStringLiteral("The workbook cannot be made: %1.").arg(error));
    if (!m_target.reserve(path))
        return fail(m_target.errorText());
    m_stagingName = QFile::encodeName(m_target.stagingPath());
    m_tempFolder = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tempFolder.data();
    m_workbook.reset(m_xlsx->workbookNew(m_stagingName.constData(), &options));
    if (!m_workbook)
        return fail(QStringLiteral("The workbook cannot be made (no memory or no temporary file)."));
    m_sheet = m_xlsx->addWorksheet(m_workbook.get(), nullptr);
    if (!m_sheet)
        return fail(QStringLiteral("The worksheet cannot be made."));
    return true;
}

bool CXlsxDocument::writeHeader()
{
    m_header = m_xlsx->addFormat(m_workbook.get());
    if (!m_header)
        return fail(QStringLiteral("The workbook cannot be made (no memory)."));
    m_xlsx->setPattern(m_header, LXW_PATTERN_SOLID);
    m_xlsx->setBackground(m_header, kHeaderFill);
    m_xlsx->setAlign(m_header, LXW_ALIGN_CENTER);
    m_xlsx->setFontSize(m_header, kHeaderFontSize);
    m_xlsx->setBold(m_header);
    m_xlsx->setBorder(m_header, LXW_BORDER_THIN);
    for (int column = 0; column < kColumns; ++column) {
        lxw_format *cell = m_xlsx->addFormat(m_workbook.get());
        if (!cell)
            return fail(QStringLiteral("The workbook cannot be made (no memory)."));
        if (kAlignments[column] != LXW_ALIGN_NONE)
            m_xlsx->setAlign(cell, kAlignments[column]);
        m_xlsx->setBorder(cell, LXW_BORDER_THIN);
        m_cells[std::size_t(column)] = cell;
        const auto index = static_cast<lxw_col_t>(column);
        if (!check(m_xlsx->setColumn(m_sheet, index, index, kWidths[column], nullptr))
            || !check(m_xlsx->writeString(m_sheet, 0, index, kHeaders[column], m_header)))
            return false;
    }
    return true;
}

bool CXlsxDocument::writeText(std::size_t row, int column, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return check(m_xlsx->writeString(m_sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                        utf8.constData(), m_cells[std::size_t(column)]));
}

bool CXlsxDocument::writeRow(const CFileInfo &record, std::size_t position)
{
    const std::size_t row = m_rows + 1;
    if (row >= LXW_ROW_MAX)
        return fail(QStringLiteral("A worksheet holds at most %1 rows.").arg(LXW_ROW_MAX - 1));
    const FoundFileTexts texts = foundFileTexts(record);
    if (!check(m_xlsx->writeNumber(m_sheet, static_cast<lxw_row_t>(row), 0, double(position + 1), m_cells[0]))
        || !writeText(row, 1, texts.name) || !writeText(row, 2, texts.folder) || !writeText(row, 3, texts.size)
        || !writeText(row, 4, texts.time))
        return false;
    ++m_rows;
    return true;
}

bool CXlsxDocument::finish()
{
    // Closing writes the file and frees the workbook, whatever the outcome.
    const lxw_error result = m_xlsx->close(m_workbook.release());
    m_sheet = nullptr;
    if (!check(result))
        return false;
    if (!m_target.commit())
        return fail(m_target.errorText());
    return true;
}

}  // namespace orv
