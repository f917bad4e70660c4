#pragma once

#include "unpack/common/records.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
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

enum class TarNames {
    AsListed,   // entries as the reader lists them
    UnderTar,   // in a compressed tar, every entry after the tar itself is shown below the tar's name
};

// One entry of a listing shown while the reader reads the file; valid only during the call.
struct StreamedEntry
{
    QByteArrayView path;  // UTF-8, as ArchiveEntry::path
    bool folder = false;
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified;
    // The entry the cursor gives first. It comes last, as its size is known only once all is read.
    bool leading = false;
};

enum class EntryStream {
    Listed,
    // For both: the entries handed over, if any, are to be thrown away.
    Failed,       // as an open that fails
    Unavailable,  // the reader cannot list this archive so; it is to be opened
};

using StreamedEntryVisitor = std::function<void(const StreamedEntry &)>;

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

    // For a reader that reads sequentially: the entries an open and a walk of the cursor would give, with
    // the same paths, in the same order but for StreamedEntry::leading, handed over as they are read
    // without the reader keeping them. Nothing needs to be open; whatever is gets closed.
    virtual EntryStream streamEntries(const QString &path, TarNames names, const StreamedEntryVisitor &visit)
    {
        Q_UNUSED(path);
        Q_UNUSED(names);
        Q_UNUSED(visit);
        return EntryStream::Unavailable;
    }

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
    // Why the open archive could be read only in part, as a sentence for the user; empty when it was read
    // whole or the reader cannot tell. What could be read is listed all the same.
    virtual QString damageText() = 0;
};

}  // namespace orv
