#pragma once

#include "finder/export/foundfilesdocument.h"
#include "finder/export/foundfileswriter.h"

#include <QFile>

namespace orv {

// A list saved as text, CSV or XML: UTF-8 with a byte-order mark, CR LF line ends. An existing file is
// truncated and written in place, so what was written before a failure stays in it.
class CSavedListFile final : public IFoundFilesDocument
{
public:
    explicit CSavedListFile(FoundFilesFormat format) : m_format(format) {}

    bool create(const QString &path) override;
    bool writeHeader() override;
    bool writeRow(const CFileInfo &record, std::size_t position) override;
    bool finish() override;

private:
    bool write(const QString &text);

    FoundFilesFormat m_format;
    QFile m_file;
    bool m_atStart = true;
};

}  // namespace orv
