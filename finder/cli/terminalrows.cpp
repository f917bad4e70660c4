#include "terminalrows.h"

#include "finder/cli/terminaltext.h"
#include "platform/numbers.h"
#include "unpack/common/entrynames.h"

#include <array>
#include <charconv>

namespace orv {

namespace {

QStringView folderOf(const CFileInfo &record)
{
    const QStringView path = record.m_strFullPath;
    if (record.m_nIsFolder != 0)
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return u"/";
    return path.first(slash);
}

// Digits in groups of three parted by blanks, as formatNumber64 writes them.
void appendSize(std::string &out, std::uint64_t value)
{
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    const std::ptrdiff_t count = end - digits.data();
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            out += ' ';
        out += digits[std::size_t(i)];
    }
    out += " bytes";
}

}  // namespace

void CTerminalRows::append(std::string &out, const CFileInfo &record)
{
    appendTerminalText(out, entryNameBytes(record.m_strName));
    out += ' ';
    appendFolder(out, folderOf(record));
    out += ' ';
    if (record.m_nIsFolder == 0)
        appendSize(out, record.m_nSize);
    out += ' ';
    appendTime(out, record.m_tModified);
    out += '\n';
}

void CTerminalRows::appendFolder(std::string &out, QStringView folder)
{
    if (!m_haveFolder || folder != m_folder) {
        m_folder = folder.toString();
        m_folderText.clear();
        appendTerminalText(m_folderText, entryNameBytes(m_folder));
        m_haveFolder = true;
    }
    out += m_folderText;
}

void CTerminalRows::appendTime(std::string &out, std::int64_t secondsSince1970)
{
    if (!m_haveTime || secondsSince1970 != m_time) {
        m_time = secondsSince1970;
        m_timeText = localTimeText(secondsSince1970).toStdString();
        m_haveTime = true;
    }
    out += m_timeText;
}

}  // namespace orv
