#pragma once

#include "platform/prompts.h"

#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace orv {

// Installs itself for its lifetime; records every question and answers from scripts.
class ScriptedPrompter : public IPrompter
{
public:
    struct Record
    {
        enum Kind { Message, Replace, Password } kind;
        QString text;
        QString caption;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter &) = delete;
    ScriptedPrompter &operator=(const ScriptedPrompter &) = delete;

    // Queued answers are used in order; when a queue is empty the default answer is given.
    void queueMessageAnswer(MsgAnswer answer) { m_messageAnswers.push_back(answer); }
    void queueReplaceAnswer(ReplaceAnswer answer) { m_replaceAnswers.push_back(answer); }
    void queuePassword(const std::optional<QString> &password) { m_passwords.push_back(password.value_or(QString())); }
    void setDefaultMessageAnswer(MsgAnswer answer) { m_defaultMessage = answer; }
    void setDefaultReplaceAnswer(ReplaceAnswer answer) { m_defaultReplace = answer; }
    void setDefaultPassword(std::optional<QString> password) { m_defaultPassword = std::move(password); }

    const std::vector<Record> &records() const { return m_records; }
    QStringList texts() const;
    int count(Record::Kind kind) const;
    void clear() { m_records.clear(); }

    MsgAnswer message(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons) override;
    ReplaceAnswer confirmReplace(const ReplaceQuestion &question) override;
    std::optional<QString> password(const QString &archivePath) override;

private:
    IPrompter *m_previous;
    std::vector<Record> m_records;
    std::deque<MsgAnswer> m_messageAnswers;
    std::deque<ReplaceAnswer> m_replaceAnswers;
    std::deque<QString> m_passwords;  // a null string stands for Cancel
    MsgAnswer m_defaultMessage = MsgAnswer::Ok;
    ReplaceAnswer m_defaultReplace = ReplaceAnswer::No;
    std::optional<QString> m_defaultPassword;
};

}  // namespace orv
