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

}  // namespace orv
