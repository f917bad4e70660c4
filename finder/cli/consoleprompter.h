#pragma once

#include "platform/prompts.h"

#include <cstdio>

namespace orv {

enum class OverwritePolicy { Ask, Always, Never };

// Answers the questions of a command-line run: the options decide, and with a terminal on standard
// input the user is asked there. Without one nobody can answer, so every question gets the answer that
// changes nothing. Once an interruption was asked for, the question whether to interrupt gets Yes.
class CConsolePrompter : public IPrompter
{
public:
    CConsolePrompter(std::FILE *messages, bool interactive);
    ~CConsolePrompter() override;
    CConsolePrompter(const CConsolePrompter &) = delete;
    CConsolePrompter &operator=(const CConsolePrompter &) = delete;

    void setOverwritePolicy(OverwritePolicy policy) { m_overwrite = policy; }
    // Given to every password question, a bounded number of times so that a reader that asks again
    // after a wrong password cannot loop.
    void setPassword(const QString &password) { m_password = password; }
    void setInterruptRequested() { m_interruptRequested = true; }
    bool interruptRequested() const { return m_interruptRequested; }

    MsgAnswer message(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons) override;
    ReplaceAnswer confirmReplace(const ReplaceQuestion &question) override;
    std::optional<QString> password(const QString &archivePath) override;

private:
    QString askLine(const QString &prompt, bool echo);
    void print(const QString &text);

    std::FILE *m_messages;
    bool m_interactive;
    IPrompter *m_previous;
    OverwritePolicy m_overwrite = OverwritePolicy::Ask;
    std::optional<QString> m_password;
    int m_passwordsGiven = 0;
    bool m_interruptRequested = false;
};

}  // namespace orv
