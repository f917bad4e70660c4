#pragma once

#include "finder/search/foundfiles.h"

#include <QString>

#include <cstddef>

namespace orv {

// A file that takes the found rows one at a time: a saved list, a workbook or a document. Each call
// answers false on failure and leaves the reason in errorText(); after a failure nothing more is written.
class IFoundFilesDocument
{
public:
    virtual ~IFoundFilesDocument() = default;

    // Creates the file at path; false when it cannot be created.
    virtual bool create(const QString &path) = 0;
    // What comes before the rows.
    virtual bool writeHeader() = 0;
    // One row; position is the row's place in the whole list, from 0.
    virtual bool writeRow(const CFileInfo &record, std::size_t position) = 0;
    // What comes after the rows, and everything still held back; the file is complete when this succeeds.
    virtual bool finish() = 0;

    const QString &errorText() const { return m_error; }

protected:
    bool fail(const QString &reason)
    {
        m_error = reason;
        return false;
    }

private:
    QString m_error;
};

}  // namespace orv
