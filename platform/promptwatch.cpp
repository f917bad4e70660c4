#include "promptwatch.h"

namespace orv {

CPromptWatch::CPromptWatch() : m_next(prompter()), m_previous(setThreadPrompter(this)) {}

CPromptWatch::~CPromptWatch()
{
    setThreadPrompter(m_previous);
}

MsgAnswer CPromptWatch::message(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons)
{
    m_asked = true;
    return m_next.message(text, caption, icon, buttons);
}

ReplaceAnswer CPromptWatch::confirmReplace(const ReplaceQuestion &question)
{
    m_asked = true;
    return m_next.confirmReplace(question);
}

std::optional<QString> CPromptWatch::password(const QString &archivePath)
{
    m_asked = true;
    return m_next.password(archivePath);
}

bool CPromptWatch::confirmFile(const FileConfirmation &question)
{
    m_asked = true;
    return m_next.confirmFile(question);
}

}  // namespace orv
