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
        return refusalOf(buttons);
    }
    ReplaceAnswer confirmReplace(const ReplaceQuestion &) override { return ReplaceAnswer::No; }
    std::optional<QString> password(const QString &) override { return std::nullopt; }
};

StderrPrompter g_fallback;
IPrompter *g_current = nullptr;
// A worker thread's own prompter: the process-wide one belongs to the main thread.
thread_local IPrompter *t_threadOwn = nullptr;

}  // namespace

MsgAnswer refusalOf(MsgButtons buttons)
{
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

MsgAnswer dismissalOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
        break;
    }
    return MsgAnswer::Cancel;
}

bool IPrompter::confirmFile(const FileConfirmation &question)
{
    QStringList lines{question.question + question.quotedName};
    for (const QString &line : {question.secondLine, question.firstInfo, question.secondInfo}) {
        if (!line.isEmpty())
            lines << line;
    }
    return message(lines.join(QLatin1Char('\n')), question.caption, MsgIcon::Question, MsgButtons::YesNo)
        == MsgAnswer::Yes;
}

IPrompter &prompter()
{
    if (t_threadOwn)
        return *t_threadOwn;
    return g_current ? *g_current : g_fallback;
}

IPrompter *setThreadPrompter(IPrompter *own)
{
    IPrompter *previous = t_threadOwn;
    t_threadOwn = own;
    return previous;
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

}  // namespace orv
