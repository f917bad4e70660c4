#include "foundfileswriter.h"

#include "platform/numbers.h"

#include <QSaveFile>

namespace orv {

namespace {

QString sizeText(const CFileInfo &record)
{
    if (record.m_nIsFolder != 0)
        return {};
    return formatNumber64(record.m_nSize) + QStringLiteral(" bytes");
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

// Names may hold "&", "<" and control characters that XML text cannot carry as they are; markup
// characters become references and the others the replacement character, so the file stays well-formed.
QString xmlText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        if (c == U'&')
            out += QStringLiteral("&amp;");
        else if (c == U'<')
            out += QStringLiteral("&lt;");
        else if (c == U'>')
            out += QStringLiteral("&gt;");
        else if (!isXmlChar(c))
            out += QChar(0xFFFD);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

QString joined(const FoundFileTexts &t, QChar separator)
{
    return t.name + separator + t.folder + separator + t.size + separator + t.time + QLatin1Char('\n');
}

}  // namespace

std::optional<FoundFilesFormat> foundFilesFormatNamed(const QString &name)
{
    if (name.compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
        return FoundFilesFormat::Text;
    if (name.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return FoundFilesFormat::Csv;
    if (name.compare(QLatin1String("xml"), Qt::CaseInsensitive) == 0)
        return FoundFilesFormat::Xml;
    return std::nullopt;
}

FoundFileTexts foundFileTexts(const CFileInfo &record)
{
    return {record.m_strName, inFolderText(record), sizeText(record), localTimeText(record.m_tModified)};
}

QString foundFilesHeader(FoundFilesFormat format)
{
    switch (format) {
    case FoundFilesFormat::Text:
        return {};
    case FoundFilesFormat::Csv:
        return QStringLiteral("Name;Path;Size;Modified\n");
    case FoundFilesFormat::Xml:
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<found_files>\n");
    }
    return {};
}

QString foundFilesRow(FoundFilesFormat format, const CFileInfo &record)
{
    const FoundFileTexts t = foundFileTexts(record);
    switch (format) {
    case FoundFilesFormat::Text:
        return joined(t, QLatin1Char(' '));
    case FoundFilesFormat::Csv:
        return joined(t, QLatin1Char(';'));
    case FoundFilesFormat::Xml:
        return QStringLiteral("<file>\n<name>") + xmlText(t.name.trimmed()) + QStringLiteral("</name>\n<path>")
               + xmlText(t.folder) + QStringLiteral("</path>\n<size>") + xmlText(t.size)
               + QStringLiteral("</size>\n<modified>") + xmlText(t.time) + QStringLiteral("</modified>\n</file>\n");
    }
    return {};
}

QString foundFilesFooter(FoundFilesFormat format)
{
    return format == FoundFilesFormat::Xml ? QStringLiteral("</found_files>\n") : QString();
}

QByteArray foundFilesFileBytes(const QString &text, bool atStart)
{
    QByteArray bytes = atStart ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    bytes += text.toUtf8().replace("\n", "\r\n");
    return bytes;
}

bool writeFoundFilesFile(const QString &path, FoundFilesFormat format, std::span<const CFileInfo> records,
                         QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    QByteArray block = foundFilesFileBytes(foundFilesHeader(format), true);
    constexpr qsizetype kFlushAt = 1 << 20;
    for (const CFileInfo &record : records) {
        block += foundFilesFileBytes(foundFilesRow(format, record), false);
        if (block.size() >= kFlushAt) {
            if (file.write(block) != block.size())
                break;
            block.clear();
        }
    }
    block += foundFilesFileBytes(foundFilesFooter(format), false);
    if (file.write(block) != block.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace orv
