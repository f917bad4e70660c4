#pragma once

#include "platform/prompts.h"

#include <QPointer>
#include <QWidget>

namespace orv {

// The prompter of the windowed program: message boxes and the two unpacker dialogs, all owned by one parent
// window (the main window once it exists). Installs itself for its lifetime.
class MessageBoxPrompter : public IPrompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr);
    ~MessageBoxPrompter() override;
    MessageBoxPrompter(const MessageBoxPrompter &) = delete;
    MessageBoxPrompter &operator=(const MessageBoxPrompter &) = delete;

    void setParentWindow(QWidget *parent) { m_parent = parent; }
    QWidget *parentWindow() const { return m_parent; }

    MsgAnswer message(const QString &text, const QString &caption, MsgIcon icon, MsgButtons buttons) override;
    ReplaceAnswer confirmReplace(const ReplaceQuestion &question) override;
    std::optional<QString> password(const QString &archivePath) override;
    bool confirmFile(const FileConfirmation &question) override;

private:
    IPrompter *m_previous;
    // The window may go away first (at exit); the boxes then have no owner rather than a dead one.
    QPointer<QWidget> m_parent;
};

}  // namespace orv
