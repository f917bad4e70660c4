#pragma once

#include "unpack/common/records.h"

#include <QString>

#include <cstdint>
#include <optional>

class QObject;

namespace orv {

// One entry as every reader describes it, whatever its own record looks like.
struct ArchiveEntry
{
    QString path;  // inside the archive, "/"-separated, no leading separator
    bool folder = false;
    std::uint64_t size = 0;              // unpacked size; 0 for folders
    std::optional<std::int64_t> modified;  // seconds since 1970; none when the archive does not say
};

// The operation set the unpacker classes share by name, behind one interface so that the layer above
// holds any of them. Optional operations answer as a class without them would: false or empty.
class IUnpacker
{
public:
    virtual ~IUnpacker() = default;

    virtual void setIni(INIUNPACK &ini) = 0;
    virtual void setIniYesToAll(INIYESTOALL &answers) = 0;
    virtual void getIniYesToAll(INIYESTOALL &answers) = 0;
    virtual void setWndFileTree(QObject *window) = 0;
    virtual void setHandleDialogProgress(QObject *window) = 0;

    // The multi-volume open for a split set, the plain open otherwise; the registration decides.
    virtual bool openArchive(const QString &path) = 0;
    virtual bool closeArchive() = 0;

    virtual bool findFile() = 0;
    virtual bool findNextFile() = 0;
    // The current entry, from the reader's full record; false when the reader has no current entry.
    virtual bool currentEntry(ArchiveEntry &entry) = 0;

    virtual bool isFolder(const QString &path) = 0;
    virtual QString fileOutputInfo(const QString &path) = 0;
    virtual QString folderOutputInfo(const QString &path) = 0;
    virtual QString archiveOutputInfo() = 0;

    virtual bool unpackFile(const QString &path, const QString &targetFolder) = 0;
    virtual bool unpackFolder(const QString &path, const QString &targetFolder) = 0;
    virtual bool unpackArchive(const QString &targetFolder) = 0;

    // The CAB reader's scan before a whole-archive unpack; true for readers without one.
    virtual bool initScan() = 0;
    // A compressed stream that holds a tar; the tar itself is then the first entry.
    virtual bool isTarInside() = 0;
    virtual bool isDetailedError() = 0;
    virtual QString detailedErrorMessage() = 0;
    // The password cache's side of a reader that takes passwords (the others ignore both): a password to
    // try at the next open, and the one the user typed for the last successful open.
    virtual void presetPassword(const QString &password) = 0;
    virtual std::optional<QString> enteredPassword() = 0;
    // Why the last open or extraction failed, in the reader's words; empty when it does not say.
    virtual QString lastErrorText() = 0;
};

}  // namespace orv
