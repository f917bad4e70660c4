#pragma once

// What users of the 7-Zip glue see of an extraction: where each item goes, how it ended, progress and
// passwords.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace orv::sz {

// Called with the amounts done and expected; false asks to stop.
using ProgressFn = std::function<bool(quint64 completed, quint64 total)>;
// Asked when the library needs a password; no value means the user declined.
using PasswordProvider = std::function<std::optional<QString>()>;

enum class ItemResult {
    Ok,
    UnsupportedMethod,
    DataError,
    CrcError,
    Unavailable,
    UnexpectedEnd,
    DataAfterEnd,
    IsNotArchive,
    HeadersError,
    WrongPassword,
    // Ours rather than the library's.
    WriteFailed,  // the output could not be created, written or put in place
    TooLarge,     // more bytes than a memory target allows
    Stopped,      // the extraction ended while this item was in progress
    Failed,
};

// A clear sentence for a result; encrypted items get the hint that a wrong password is the likely cause.
QString itemResultText(ItemResult result, bool encrypted = false);

struct ItemTarget
{
    enum class Kind {
        Skip,    // the library skips the data
        File,    // written beside path, then renamed over it when the item is complete and sound
        Memory,  // collected into ItemOutcome::data, at most memoryLimit bytes
        Abort,   // stops the whole extraction
    };
    Kind kind = Kind::Skip;
    QString path;
    qsizetype memoryLimit = 64 * 1024 * 1024;

    static ItemTarget skip() { return {}; }
    static ItemTarget abort() { return {Kind::Abort, {}, 0}; }
    static ItemTarget file(const QString &path) { return {Kind::File, path, 0}; }
    static ItemTarget memory(qsizetype limit = 64 * 1024 * 1024) { return {Kind::Memory, {}, limit}; }
};

struct ItemOutcome
{
    quint32 index = 0;
    ItemResult result = ItemResult::Ok;
    ItemTarget::Kind kind = ItemTarget::Kind::Skip;
    // Set when a file target was put in place.
    QString writtenPath;
    QByteArray data;
    // Why a file target failed (errno), 0 otherwise.
    int systemError = 0;
};

// Decides the fate of each item the library extracts, on the calling thread.
class ExtractSink
{
public:
    virtual ~ExtractSink() = default;
    // Asked once per selected item before its data, folders included; not asked in test mode.
    virtual ItemTarget target(quint32 index) = 0;
    // Every selected item ends here once, whatever its target, unless the extraction stopped before it.
    virtual void finished(const ItemOutcome &outcome) = 0;
};

}  // namespace orv::sz
