#include "prompts.h"

#include <QTextStream>

namespace orv {

namespace {

// Without a window or a script nobody can answer: messages go to stderr and every question gets the
// answer that changes nothing (no overwrite, no password, no interruption).
class StderrPrompter : public IPrompter
{
public:
    MsgAnswer message(const QString &text, const QString &caption, MsgIcon, MsgButtons buttons) override
    {
        QTextStream(stderr) << caption << ": " << text << Qt::endl;
        switch (buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::No;
        case MsgButtons::OkCancel:
        case MsgButtons::RetryCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::Ok:
            break;
        }
        return MsgAnswer::Ok;
    }
    ReplaceAnswer confirmReplace(const ReplaceQuestion &) override { return ReplaceAnswer::No; }
    std::optional<QString> password(const QString &) override { return std::nullopt; }
};

StderrPrompter g_fallback;
IPrompter *g_current = nullptr;

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

IPrompter &prompter()
{
    return g_current ? *g_current : g_fallback;
}

IPrompter *setPrompter(IPrompter *next)
{
    IPrompter *previous = g_current;
    g_current = next;
    return previous;
}

void showError(const QString &text, const QString &caption)
{
    prompter().message(text, caption, MsgIcon::Error, MsgButtons::Ok);
}

void showInformation(const QString &text, const QString &caption)
{
    prompter().message(text, caption, MsgIcon::Information, MsgButtons::Ok);
}

bool askYesNo(const QString &text, const QString &caption)
{
    return prompter().message(text, caption, MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

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
