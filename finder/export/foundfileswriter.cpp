#include "foundfileswriter.h"

#include "platform/numbers.h"

#include <QList>

#include <algorithm>

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

// Only a value that would shift or split the columns is quoted, so every list that was already read
// right stays byte for byte the same.
QString csvValue(const QString &value)
{
    const bool special = std::any_of(value.cbegin(), value.cend(), [](QChar c) {
        return c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    });
    if (!special)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A line break inside a name would split one record over two lines of the text form.
QString textValue(const QString &value)
{
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    QString out = value;
    out.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return out;
}

const QString &lineEndText(LineEnd end)
{
    static const QString lf = QStringLiteral("\n");
    static const QString crLf = QStringLiteral("\r\n");
    return end == LineEnd::CrLf ? crLf : lf;
}

QString xmlElement(const char *tag, const QString &text, const QString &end)
{
    const QLatin1String name(tag);
    return QLatin1Char('<') + name + QLatin1Char('>') + text + QLatin1String("</") + name + QLatin1Char('>') + end;
}

}  // namespace

// Names may hold "&", "<" and control characters that XML text cannot carry as they are; markup
// characters become references and the others the replacement character, so the file stays well-formed.
// Line breaks become references too: a parser would read a bare CR as LF.
QString xmlEscaped(const QString &text)
{
    // Most names need nothing; they are passed on without a copy.
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return ((u >= 0x20 && u < 0xD800) || (u >= 0xE000 && u <= 0xFFFD)) && u != u'&' && u != u'<' && u != u'>';
    });
    if (plain)
        return text;
    QString out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        if (c == U'&')
            out += QStringLiteral("&amp;");
        else if (c == U'<')
            out += QStringLiteral("&lt;");
        else if (c == U'>')
            out += QStringLiteral("&gt;");
        else if (c == U'\r')
            out += QStringLiteral("&#13;");
        else if (c == U'\n')
            out += QStringLiteral("&#10;");
        else if (!isXmlChar(c))
            out += QChar(0xFFFD);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

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

QString foundFilesHeader(FoundFilesFormat format, LineEnd end)
{
    const QString &eol = lineEndText(end);
    switch (format) {
    case FoundFilesFormat::Text:
        return {};
    case FoundFilesFormat::Csv:
        return QStringLiteral("Name;Path;Size;Modified") + eol;
    case FoundFilesFormat::Xml:
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + eol + QStringLiteral("<found_files>")
               + eol;
    }
    return {};
}

QString foundFilesTextLine(const CFileInfo &record)
{
    const FoundFileTexts t = foundFileTexts(record);
    const QChar blank = QLatin1Char(' ');
    return textValue(t.name) + blank + textValue(t.folder) + blank + t.size + blank + t.time;
}

QString foundFilesRow(FoundFilesFormat format, const CFileInfo &record, LineEnd end)
{
    const QString &eol = lineEndText(end);
    switch (format) {
    case FoundFilesFormat::Text:
        return foundFilesTextLine(record) + eol;
    case FoundFilesFormat::Csv: {
        const FoundFileTexts t = foundFileTexts(record);
        const QChar semicolon = QLatin1Char(';');
        return csvValue(t.name) + semicolon + csvValue(t.folder) + semicolon + t.size + semicolon + csvValue(t.time)
               + eol;
    }
    case FoundFilesFormat::Xml: {
        const FoundFileTexts t = foundFileTexts(record);
        return QStringLiteral("<file>") + eol + xmlElement("name", xmlEscaped(t.name.trimmed()), eol)
               + xmlElement("path", xmlEscaped(t.folder), eol) + xmlElement("size", xmlEscaped(t.size), eol)
               + xmlElement("modified", xmlEscaped(t.time), eol) + QStringLiteral("</file>") + eol;
    }
    }
    return {};
}

QString foundFilesFooter(FoundFilesFormat format, LineEnd end)
{
    return format == FoundFilesFormat::Xml ? QStringLiteral("</found_files>") + lineEndText(end) : QString();
}

QByteArray foundFilesFileBytes(const QString &text, bool atStart)
{
    QByteArray bytes = atStart ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    bytes += text.toUtf8();
    return bytes;
}

}  // namespace orv
