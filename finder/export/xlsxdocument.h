#pragma once

#include "finder/export/foundfilesdocument.h"
#include "finder/export/stagedfile.h"

#include <QByteArray>

#include <array>
#include <memory>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace orv {

struct XlsxFunctions;

// The found rows as a new workbook of one worksheet: "Num.", "Name", "Path", "Size" and "Modified" on a
// grey, centred, small bold header row, the row's place in the list as a number and the four texts below,
// thin lines around every cell. Rows go out to disk as they come (the library's constant-memory mode), so
// a long list costs no memory per row; the workbook is put together by finish().
class CXlsxDocument final : public IFoundFilesDocument
{
public:
    CXlsxDocument();
    ~CXlsxDocument() override;

    bool create(const QString &path) override;
    bool writeHeader() override;
    bool writeRow(const CFileInfo &record, std::size_t position) override;
    bool finish() override;

    static constexpr int kColumns = 5;

private:
    struct WorkbookDeleter
    {
        void operator()(lxw_workbook *workbook) const;
    };

    bool check(int result);
    bool writeText(std::size_t row, int column, const QString &text);

    CStagedFile m_target;
    QByteArray m_stagingName;
    QByteArray m_tempFolder;
    const XlsxFunctions *m_xlsx = nullptr;
    std::unique_ptr<lxw_workbook, WorkbookDeleter> m_workbook;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_header = nullptr;
    std::array<lxw_format *, kColumns> m_cells{};
    std::size_t m_rows = 0;
};

}  // namespace orv
