#pragma once

#include <QString>

#include <optional>

namespace orv {

// The elapsed-time text of the progress window, rewritten at most once a second: the new text when the
// whole seconds since the start differ from the ones shown last, else none.
class CElapsedText
{
public:
    std::optional<QString> update(qint64 elapsedMs);

private:
    qint64 m_shownSeconds = -1;
};

}  // namespace orv
