#include "replaceconfirmer.h"

#include "platform/fileattributes.h"
#include "platform/numbers.h"
#include "platform/prompts.h"
#include "unpack/common/entrynames.h"

#include <sys/stat.h>

namespace orv {

namespace {

constexpr std::uint32_t SpecialAttributes = Attr::System | Attr::ReadOnly | Attr::Hidden;

struct ExistingFile
{
    std::uint32_t attributes = InvalidAttributes;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

ExistingFile inspect(const QString &path)
{
    ExistingFile existing;
    existing.attributes = fileAttributes(path);
    // Nothing is there in the common case of a fresh extraction, and then size and time are never shown.
    if (existing.attributes == InvalidAttributes)
        return existing;
    struct stat st{};
    if (::lstat(entryNameBytes(path).constData(), &st) == 0) {
        existing.size = static_cast<std::uint64_t>(st.st_size);
        existing.modified = static_cast<std::int64_t>(st.st_mtime);
    }
    return existing;
}

// The most serious class of the existing file picks both the wording and the Yes To All that governs it.
struct Governing
{
    const char *message;
    std::uint8_t INIYESTOALL::*answer;
};

Governing governingFor(std::uint32_t attributes)
{
    if (attributes & Attr::System)
        return {"This folder already contains a system file named", &INIYESTOALL::bYesToAllSystem};
    if (attributes & Attr::ReadOnly)
        return {"This folder already contains a read-only file named", &INIYESTOALL::bYesToAllReadOnly};
    if (attributes & Attr::Hidden)
        return {"This folder already contains a hidden file named", &INIYESTOALL::bYesToAllHidden};
    return {"This folder already contains a file named", &INIYESTOALL::bYesToAllFiles};
}

ReplaceQuestion questionFor(const Governing &governing, const QString &outputPath, const ExistingFile &existing,
                            const ArchivedFile &item)
{
    ReplaceQuestion question;
    question.message = QString::fromLatin1(governing.message);
    question.quotedName = QLatin1Char('\'') + item.name + QStringLiteral("'.");
    question.existingSize = QStringLiteral("size: %1 bytes").arg(formatNumber64(existing.size));
    question.existingModified = QStringLiteral("modified: ") + localTimeTextComma(existing.modified);
    question.newSize = QStringLiteral("size: %1 bytes").arg(formatNumber64(item.size));
    question.newModified = QStringLiteral("modified: ")
                           + (item.modified ? localTimeTextComma(*item.modified) : QString());
    question.existingPath = outputPath;
    question.newName = item.name;
    return question;
}

}  // namespace

ReplaceDecision ReplaceConfirmer::confirm(const QString &outputPath, const ArchivedFile &item)
{
    const ExistingFile existing = inspect(outputPath);
    // A folder cannot be replaced by a file; the writer reports that, there is nothing to ask.
    if (existing.attributes == InvalidAttributes || (existing.attributes & Attr::Directory))
        return ReplaceDecision::Write;
    const Governing governing = governingFor(existing.attributes);
    std::uint8_t &answer = m_answers.*governing.answer;
    if (answer == 0 && m_settings.bAskBeforeOverwriting != 0) {
        switch (prompter().confirmReplace(questionFor(governing, outputPath, existing, item))) {
        case ReplaceAnswer::Yes:
            break;
        case ReplaceAnswer::YesToAll:
            answer = 1;
            break;
        case ReplaceAnswer::No:
            return ReplaceDecision::Skip;
        case ReplaceAnswer::Cancel:
            return ReplaceDecision::Cancel;
        }
    }
    if (existing.attributes & SpecialAttributes)
        clearSpecialAttributes(outputPath);
    return ReplaceDecision::Write;
}

}  // namespace orv
