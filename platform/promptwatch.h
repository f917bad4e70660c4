#pragma once

#include "platform/prompts.h"

namespace orv {

// Notes whether anything was asked or shown on this thread while it lives, and hands every question on to
// the prompter it stands in front of. A listing read while something was asked (a password, a missing
// volume) or shown is not one to keep: reading it back would not ask or show it again.
class CPromptWatch : public IPrompter
{
public:
    CPromptWatch();
    ~CPromptWatch() override;
    CPromptWatch(const CPromptWatch &) = delete;
    CPromptWatch &operator=(const CPromptWatch &) = delete;

    bool asked() const { return m_asked; }

    MsgAnswer message(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons) override;
    ReplaceAnswer confirmReplace(const ReplaceQuestion &question) override;
    std::optional<QString> password(const QString &archivePath) override;
    bool confirmFile(const FileConfirmation &question) override;

private:
    IPrompter &m_next;
    IPrompter *m_previous;
    bool m_asked = false;
};

}  // namespace orv
