#pragma once

#include "finder/export/foundfilesdocument.h"
#include "finder/export/stagedfile.h"

#include <QFile>
#include <QTemporaryDir>

namespace orv {

// The found rows as a new word-processing document: a header line "Name", "Path", "Size", "Modified"
// separated by tabs, then one paragraph per row with the four texts separated by blanks, as the text form
// writes them. The document part is written to a temporary folder as the rows come; finish() packs it
// with the content types and the package relationships into the smallest package a word processor
// opens, through the program's own ZIP writer.
class CDocxDocument final : public IFoundFilesDocument
{
public:
    bool create(const QString &path) override;
    bool writeHeader() override;
    bool writeRow(const CFileInfo &record, std::size_t position) override;
    bool finish() override;

private:
    bool write(const QByteArray &bytes);
    bool writePart(const QString &name, const QByteArray &bytes);
    bool pack();

    CStagedFile m_target;
    QTemporaryDir m_parts;
    QFile m_document;
};

}  // namespace orv
