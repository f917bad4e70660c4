#pragma once

// What users of the 7-Zip glue see of an item's result, of progress and of passwords.

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
};

// A clear sentence for a result; encrypted items get the hint that a wrong password is the likely cause.
QString itemResultText(ItemResult result, bool encrypted = false);

}  // namespace orv::sz
