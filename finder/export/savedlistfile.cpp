#include "savedlistfile.h"

namespace orv {

bool CSavedListFile::create(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(m_file.errorString());
    m_atStart = true;
    return true;
}

bool CSavedListFile::write(const QString &text)
{
    const QByteArray bytes = foundFilesFileBytes(text, m_atStart);
    m_atStart = false;
    if (m_file.write(bytes) != bytes.size())
        return fail(m_file.errorString());
    return true;
}

// The byte-order mark goes out with the header, or before the first row of the text form.
bool CSavedListFile::writeHeader()
{
    return write(foundFilesHeader(m_format, LineEnd::CrLf));
}

bool CSavedListFile::writeRow(const CFileInfo &record, std::size_t)
{
    return write(foundFilesRow(m_format, record, LineEnd::CrLf));
}

// Flushed here, so that a full disk is told before the success message; the file is closed afterwards.
bool CSavedListFile::finish()
{
    if (!write(foundFilesFooter(m_format, LineEnd::CrLf)))
        return false;
    if (!m_file.flush())
        return fail(m_file.errorString());
    return true;
}

}  // namespace orv
