#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace orv {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// The texts of the replace confirmation, already formatted by the caller.
struct ReplaceQuestion
{
    QString message;           // what is about to happen
    QString quotedName;        // "'" + name + "'."
    QString existingSize;      // "size: 1 234 bytes"
    QString existingModified;  // "modified: ..."
    QString newSize;
    QString newModified;
    QString existingPath;      // for the existing file's icon
    QString newName;           // for the icon of the new file's extension
};

// The numbers are the dialog results the unpackers act on.
enum class ReplaceAnswer { Yes = 1, YesToAll = 2, No = 3, Cancel = 4 };

// Every question and message of the program goes through one prompter, so that the window, the command
// line and the tests each answer them their own way.
class IPrompter
{
public:
    virtual ~IPrompter() = default;
    virtual MsgAnswer message(const QString &text, const QString &caption, MsgIcon icon,
                              MsgButtons buttons) = 0;
    virtual ReplaceAnswer confirmReplace(const ReplaceQuestion &question) = 0;
    // No value when the user cancels.
    virtual std::optional<QString> password(const QString &archivePath) = 0;
};

// The prompter in use; a console prompter that answers the default until one is installed.
IPrompter &prompter();
// Installs a prompter (not owned); null restores the default. Returns the previous one.
IPrompter *setPrompter(IPrompter *prompter);

// Convenience for the common cases.
void showError(const QString &text, const QString &caption);
void showInformation(const QString &text, const QString &caption);
bool askYesNo(const QString &text, const QString &caption);

// Installs itself for its lifetime; records every question and answers from scripts, for tests and for
// unattended runs.
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
