#include "consoleprompter.h"

#include <QTextStream>

#include <termios.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr int kPasswordTries = 8;

// Turns echo off on standard input for its lifetime.
class EchoOff
{
public:
    EchoOff() : m_active(::tcgetattr(STDIN_FILENO, &m_saved) == 0)
    {
        if (!m_active)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff()
    {
        if (m_active)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;

private:
    termios m_saved{};
    bool m_active;
};

}  // namespace

CConsolePrompter::CConsolePrompter(std::FILE *messages, bool interactive)
    : m_messages(messages), m_interactive(interactive), m_previous(setPrompter(this))
{
}

CConsolePrompter::~CConsolePrompter()
{
    setPrompter(m_previous);
}

void CConsolePrompter::print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_messages);
    std::fflush(m_messages);
}

QString CConsolePrompter::askLine(const QString &prompt, bool echo)
{
    print(prompt);
    std::optional<EchoOff> quiet;
    if (!echo)
        quiet.emplace();
    QTextStream in(stdin);
    const QString line = in.readLine();
    if (!echo)
        print(QStringLiteral("\n"));
    return line;
}

MsgAnswer CConsolePrompter::message(const QString &text, const QString &caption, MsgIcon, MsgButtons buttons)
{
    const bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    if (question && m_interruptRequested)
        return MsgAnswer::Yes;
    if (!question || !m_interactive) {
        print(caption + QStringLiteral(": ") + text + QLatin1Char('\n'));
        return refusalOf(buttons);
    }
    const QString answer = askLine(caption + QStringLiteral(": ") + text + QStringLiteral(" [y/n] "), true);
    return answer.trimmed().startsWith(QLatin1Char('y'), Qt::CaseInsensitive) ? MsgAnswer::Yes : MsgAnswer::No;
}

ReplaceAnswer CConsolePrompter::confirmReplace(const ReplaceQuestion &question)
{
    switch (m_overwrite) {
    case OverwritePolicy::Always:
        return ReplaceAnswer::Yes;
    case OverwritePolicy::Never:
        return ReplaceAnswer::No;
    case OverwritePolicy::Ask:
        break;
    }
    if (!m_interactive || m_interruptRequested)
        return ReplaceAnswer::No;
    const QString text = question.message + QLatin1Char(' ') + question.quotedName + QLatin1Char('\n')
                         + QStringLiteral("  existing: ") + question.existingSize + QStringLiteral(", ")
                         + question.existingModified + QLatin1Char('\n') + QStringLiteral("  archived: ")
                         + question.newSize + QStringLiteral(", ") + question.newModified + QLatin1Char('\n')
                         + QStringLiteral("Replace? [y]es, [a]ll, [n]o, [c]ancel ");
    const QString answer = askLine(text, true).trimmed().toLower();
    if (answer.startsWith(QLatin1Char('y')))
        return ReplaceAnswer::Yes;
    if (answer.startsWith(QLatin1Char('a')))
        return ReplaceAnswer::YesToAll;
    if (answer.startsWith(QLatin1Char('c')))
        return ReplaceAnswer::Cancel;
    return ReplaceAnswer::No;
}

std::optional<QString> CConsolePrompter::password(const QString &archivePath)
{
    if (m_password) {
        if (m_passwordsGiven >= kPasswordTries)
            return std::nullopt;
        ++m_passwordsGiven;
        return m_password;
    }
    if (!m_interactive)
        return std::nullopt;
    return askLine(QStringLiteral("Password for ") + archivePath + QStringLiteral(": "), false);
}

}  // namespace orv
