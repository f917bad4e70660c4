#pragma once

#include "platform/events.h"
#include "platform/stopeventfilter.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/records.h"
#include "unpack/common/replaceconfirmer.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QObject;

namespace orv {

// What became of a file about to be written.
enum class FileStart {
    Open,     // the output file is open for the data
    Skipped,  // the user keeps the existing file: the item is done as asked, not failed
    Failed,   // refused or not creatable, or the run was cancelled (isCancelled tells)
};

// An item an extraction left out, and why, for whoever wants every one of them named (the command
// line); the window keeps to its messages.
struct UnpackNotice
{
    enum class Kind { Skipped, Failed };
    Kind kind = Kind::Failed;
    QString item;    // the item's path below the target folder, or inside the archive
    QString reason;  // a few words: "a folder of that name is in the way"
};
using UnpackNoticeSink = std::function<void(const UnpackNotice &)>;

// The state every unpacker keeps while it extracts: the settings and Yes To All answers, the two windows
// it reports to, and the cancel and stop-request flags. The unpacker classes hold one and let it do the
// parts of an extraction that do not depend on the format.
class UnpackContext
{
public:
    UnpackContext();
    ~UnpackContext();
    UnpackContext(const UnpackContext &other);
    UnpackContext &operator=(const UnpackContext &other);

    void setIni(const INIUNPACK &ini) { m_ini = ini; }
    const INIUNPACK &ini() const { return m_ini; }
    void setYesToAll(const INIYESTOALL &answers) { m_yesToAll = answers; }
    const INIYESTOALL &yesToAll() const { return m_yesToAll; }
    // Every open of an archive forgets the answers given for the previous one.
    void resetYesToAll() { m_yesToAll = INIYESTOALL{}; }

    // Told about every folder created and every file written (event PathCreated); may be null.
    void setFileTree(QObject *fileTree) { m_fileTree = fileTree; }
    QObject *fileTree() const { return m_fileTree; }
    // Receives progress (event UnpackProgress) and may ask to stop (event UnpackStop); may be null.
    void setProgressReceiver(QObject *receiver) { m_stopFilter.watch(receiver); }
    QObject *progressReceiver() const { return m_stopFilter.window(); }

    // Starts an extraction call: an earlier cancel or unanswered stop request no longer counts.
    void beginOperation();
    bool isCancelled() const { return m_cancelled; }
    void cancel() { m_cancelled = true; }
    bool isStopRequested() const { return m_stopRequested; }
    void requestStop() { m_stopRequested = true; }

    // Creates a folder and any missing parents, reporting each one created; true when the path is a
    // folder afterwards. For the target folder the user chose; entries below it use createEntryFolder.
    bool createFolder(const QString &path);
    static bool fileExists(const QString &path);

    void updateProgress(std::uint64_t done, std::uint64_t total, const QString &name);
    void updateFileTree(const QString &path);
    // Lets the windows work; when a stop was requested asks whether to interrupt. False once cancelled.
    bool doEvents();

    // Installs the one receiver of the notices of every extraction in the process (none by default);
    // answers the previous one.
    static UnpackNoticeSink setNoticeSink(UnpackNoticeSink sink);
    // The reason in a few words; a reader's sentence is passed on as such words.
    void noteSkipped(const QString &item, const QString &reason) const;
    void noteFailed(const QString &item, const QString &reason) const;
    // An existing file the replace question kept.
    void noteKept(const QString &item) const;
    // Why a walk to an item's folder failed; a link in the way is the caller's to refuse.
    void noteWalkFailure(const QString &item, safefs::WalkResult result, int systemError) const;

    // The replace question for an existing output file; Cancel also cancels the running extraction.
    ReplaceDecision confirmReplace(const QString &outputPath, const ArchivedFile &item);

    // A folder entry below the target folder. A path that leaves the target is reported and refused.
    bool createEntryFolder(const QString &targetFolder, const QString &entryPath);
    // The folder below the target that the components name, made where missing and never reached through
    // a symbolic link; the walk starts from the folders the previous items of this extraction opened.
    // Failures are the caller's to note.
    safefs::WalkResult openEntryFolder(const QString &targetFolder, QStringView folders,
                                       std::shared_ptr<const safefs::Fd> &folder);
    // Everything before the data of one file: the path check (a refused entry is reported by name), the
    // replace question, the folders above it and the output file. A file the user chose to keep counts
    // as done: an extraction that skips it still succeeds.
    FileStart beginFile(OutputFile &file, const QString &targetFolder, const QString &entryPath,
                        const ArchivedFile &item);
    // Commits a written file and reports it to the file tree; a file that cannot be put in place is noted.
    bool finishFile(OutputFile &file);

    // The folder just created or the file being written.
    const QString &currentOutputPath() const { return m_outputPath; }

private:
    bool refuseOutside(const QString &entryPath);
    FileStart openFile(OutputFile &file, const QString &targetFolder, const QString &entryPath, bool targetChecked);
    void noteOutputFailure(const OutputFile &file) const;

    INIUNPACK m_ini;
    INIYESTOALL m_yesToAll;
    QPointer<QObject> m_fileTree;
    StopEventFilter m_stopFilter{Ev::UnpackStop, [this] { requestStop(); }};
    QString m_outputPath;
    // Per extraction call: the target folder already made sure of, the folders the last walk below it
    // opened, and the umask the modes from the archive pass through.
    QString m_checkedTarget;
    safefs::FolderCache m_folders;
    std::optional<mode_t> m_creationMask;
    bool m_cancelled = false;
    bool m_stopRequested = false;
};

// Installs a receiver of the notices of every extraction for its lifetime.
class UnpackNoticeScope
{
public:
    explicit UnpackNoticeScope(UnpackNoticeSink sink) : m_previous(UnpackContext::setNoticeSink(std::move(sink))) {}
    ~UnpackNoticeScope() { UnpackContext::setNoticeSink(std::move(m_previous)); }
    UnpackNoticeScope(const UnpackNoticeScope &) = delete;
    UnpackNoticeScope &operator=(const UnpackNoticeScope &) = delete;

private:
    UnpackNoticeSink m_previous;
};

}  // namespace orv
