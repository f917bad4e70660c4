#include "docxdocument.h"

#include "finder/export/foundfileswriter.h"
#include "unpack/sevenzip/zipwriter.h"

#include <QDir>

namespace orv {

namespace {

const char kContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "</Types>\n";

const char kRelationships[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/>"
    "</Relationships>\n";

const char kDocumentStart[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>\n";

const char kDocumentEnd[] = "</w:body></w:document>\n";

const char kDocumentPart[] = "word/document.xml";

// A word processor shows a tab character inside a text run as a blank; a tab is an element of its own.
// Blanks are kept as they are (two in a row for a folder record, which has no size).
QByteArray headerParagraph()
{
    const char *const titles[] = {"Name", "Path", "Size", "Modified"};
    QByteArray paragraph = "<w:p>";
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            paragraph += "<w:r><w:tab/></w:r>";
        paragraph += QByteArray("<w:r><w:t>") + titles[i] + "</w:t></w:r>";
    }
    return paragraph + "</w:p>\n";
}

QByteArray textParagraph(const QString &text)
{
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + xmlEscaped(text).toUtf8() + "</w:t></w:r></w:p>\n";
}

}  // namespace

bool CDocxDocument::create(const QString &path)
{
    if (!m_target.reserve(path))
        return fail(m_target.errorText());
    if (!m_parts.isValid())
        return fail(m_parts.errorString());
    if (!QDir(m_parts.path()).mkpath(QStringLiteral("word")) || !QDir(m_parts.path()).mkpath(QStringLiteral("_rels")))
        return fail(QStringLiteral("Cannot make a folder in %1.").arg(m_parts.path()));
    m_document.setFileName(m_parts.filePath(QLatin1String(kDocumentPart)));
    if (!m_document.open(QIODevice::WriteOnly))
        return fail(m_document.errorString());
    return true;
}

bool CDocxDocument::write(const QByteArray &bytes)
{
    if (m_document.write(bytes) != bytes.size())
        return fail(m_document.errorString());
    return true;
}

bool CDocxDocument::writeHeader()
{
    return write(kDocumentStart) && write(headerParagraph());
}

bool CDocxDocument::writeRow(const CFileInfo &record, std::size_t)
{
    return write(textParagraph(foundFilesTextLine(record)));
}

bool CDocxDocument::writePart(const QString &name, const QByteArray &bytes)
{
    QFile part(m_parts.filePath(name));
    if (!part.open(QIODevice::WriteOnly) || part.write(bytes) != bytes.size() || !part.flush())
        return fail(part.errorString());
    return true;
}

// The content types go first, as every package writer puts them.
bool CDocxDocument::pack()
{
    sz::ZipWriter zip;
    const QStringList names{QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
                            QLatin1String(kDocumentPart)};
    bool ok = zip.create(m_target.stagingPath());
    for (const QString &name : names)
        ok = ok && zip.addFile(m_parts.filePath(name), name);
    if (!ok || !zip.commit())
        return fail(zip.errorText());
    return true;
}

bool CDocxDocument::finish()
{
    if (!write(kDocumentEnd))
        return false;
    if (!m_document.flush())
        return fail(m_document.errorString());
    m_document.close();
    if (!writePart(QStringLiteral("[Content_Types].xml"), kContentTypes)
        || !writePart(QStringLiteral("_rels/.rels"), kRelationships) || !pack())
        return false;
    if (!m_target.commit())
        return fail(m_target.errorText());
    return true;
}

}  // namespace orv
