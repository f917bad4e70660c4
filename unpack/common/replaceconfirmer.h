#pragma once

#include "unpack/common/records.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace orv {

// What the archive says about the file about to be written, for the replace question.
struct ArchivedFile
{
    QString name;                         // the item's last component
    std::uint64_t size = 0;               // unpacked size
    std::optional<std::int64_t> modified;  // seconds since 1970, when the archive records it
};

enum class ReplaceDecision { Write, Skip, Cancel };

// Decides whether an extracted file may replace an existing one: asks through the prompter unless the
// settings or an earlier Yes To All for the same class of file already answered, and clears the special
// attributes of a file that is about to be replaced.
class ReplaceConfirmer
{
public:
    ReplaceConfirmer(const INIUNPACK &settings, INIYESTOALL &answers) : m_settings(settings), m_answers(answers) {}

    ReplaceDecision confirm(const QString &outputPath, const ArchivedFile &item);

private:
    const INIUNPACK &m_settings;
    INIYESTOALL &m_answers;
};

}  // namespace orv
