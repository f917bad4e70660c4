#include "scriptedprompter.h"

#include <algorithm>

namespace orv {

namespace {

template <typename T>
T takeFront(std::deque<T> &queue, const T &fallback)
{
    if (queue.empty())
        return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
}

}  // namespace

ScriptedPrompter::ScriptedPrompter() : m_previous(setPrompter(this)) {}

ScriptedPrompter::~ScriptedPrompter()
{
    setPrompter(m_previous);
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Record &r : m_records)
        out << r.text;
    return out;
}

int ScriptedPrompter::count(Record::Kind kind) const
{
    return int(std::count_if(m_records.cbegin(), m_records.cend(), [kind](const Record &r) { return r.kind == kind; }));
}

MsgAnswer ScriptedPrompter::message(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons)
{
    m_records.push_back({Record::Message, text, caption, icon, buttons});
    return takeFront(m_messageAnswers, m_defaultMessage);
}

ReplaceAnswer ScriptedPrompter::confirmReplace(const ReplaceQuestion &question)
{
    m_records.push_back({Record::Replace, question.message + QLatin1Char(' ') + question.quotedName,
                         QStringLiteral("Confirm File Replace"), MsgIcon::Question, MsgButtons::YesNoCancel});
    return takeFront(m_replaceAnswers, m_defaultReplace);
}

std::optional<QString> ScriptedPrompter::password(const QString &archivePath)
{
    m_records.push_back({Record::Password, archivePath, QStringLiteral("Enter Password"), MsgIcon::None,
                         MsgButtons::OkCancel});
    if (m_passwords.empty())
        return m_defaultPassword;
    const QString answer = takeFront(m_passwords, QString());
    if (answer.isNull())
        return std::nullopt;
    return answer;
}

}  // namespace orv
