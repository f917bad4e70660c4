#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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
    // What each file stands for, when that says more than its size and time (a bookmark's target).
    QString existingDetail;
    QString newDetail;
};

// A question about one file or folder of the user's own (rename, delete), with what identifies it.
struct FileConfirmation
{
    QString caption;     // "Confirm File Delete"
    QString question;    // "Are you sure you want to delete the file"
    QString quotedName;  // " 'name'?"
    QString secondLine;  // "to 'new name'?" for a rename; empty otherwise
    QString path;        // for the icon
    QString firstInfo;   // "size: 1 234 bytes" or "objects: 3"
    QString secondInfo;  // "modified: ..." or "created: ..."
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
    // Yes or No; without a dialog of its own, a prompter asks it as a Yes/No message.
    virtual bool confirmFile(const FileConfirmation &question);
};

// The prompter in use; a console prompter that answers the default until one is installed.
IPrompter &prompter();
// Installs a prompter (not owned); null restores the default. Returns the previous one.
IPrompter *setPrompter(IPrompter *prompter);
// Installs a prompter (not owned) for the calling thread alone, ahead of the process-wide one; null
// removes it. Returns the previous one. The process-wide prompter is not thread-safe: a worker thread
// that may meet a question installs its own.
IPrompter *setThreadPrompter(IPrompter *prompter);

// The answer that changes nothing when nobody can answer: No to a Yes/No question with or without Cancel.
MsgAnswer refusalOf(MsgButtons buttons);
// The answer of a box closed without a button: Cancel where there is one, No to a Yes/No box.
MsgAnswer dismissalOf(MsgButtons buttons);

// Convenience for the common cases.
void showError(const QString &text, const QString &caption);
void showInformation(const QString &text, const QString &caption);
bool askYesNo(const QString &text, const QString &caption);

}  // namespace orv
