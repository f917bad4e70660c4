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
    std::array<char, 40> text{};
    std::size_t length = 0;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            text[length++] = ' ';
        text[length++] = digits[std::size_t(i)];
    }
    out.append(text.data(), length);
    out += " bytes";
}

// Printable ASCII but the backslash passes the escaping unchanged; nearly every name is only that, and is
// copied as it is checked.
void appendName(std::string &out, QStringView name)
{
    const std::size_t at = out.size();
    out.resize(at + std::size_t(name.size()));
    char *to = out.data() + at;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u >= 0x7F || u == u'\\') {
            out.resize(at);
            appendTerminalText(out, entryNameBytes(name));
            return;
        }
        *to++ = char(u);
    }
}

}  // namespace

void CTerminalRows::append(std::string &out, const CFileInfo &record)
{
    appendName(out, record.m_strName);
    out += ' ';
    appendFolder(out, folderOf(record), {});
    out += ' ';
    appendSizeAndTime(out, record.m_nIsFolder == 0 ? &record.m_nSize : nullptr, record.m_tModified);
}

// The same as the row of entry.record(), without making it.
void CTerminalRows::append(std::string &out, const FoundEntry &entry)
{
    appendName(out, entry.name);
    out += ' ';
    const qsizetype slash = entry.path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        appendFolder(out, QStringView(entry.prefix).chopped(1), {});
    else
        appendFolder(out, entry.prefix, entry.path.first(slash));
    out += ' ';
    appendSizeAndTime(out, &entry.size, entry.modified);
}

void CTerminalRows::appendFolder(std::string &out, QStringView start, QStringView rest)
{
    if (!m_haveFolder || start != m_folderStart || rest != m_folderRest) {
        m_folderStart = start.toString();
        m_folderRest = rest.toString();
        m_folderText.clear();
        appendTerminalText(m_folderText, entryNameBytes(m_folderStart + m_folderRest));
        m_haveFolder = true;
    }
    out += m_folderText;
}

void CTerminalRows::appendSizeAndTime(std::string &out, const std::uint64_t *size, std::int64_t secondsSince1970)
{
    if (size)
        appendSize(out, *size);
    out += ' ';
    if (!m_haveTime || secondsSince1970 != m_time) {
        m_time = secondsSince1970;
        m_timeText = localTimeText(secondsSince1970).toStdString();
        m_haveTime = true;
    }
    out += m_timeText;
    out += '\n';
}

}  // namespace orv
