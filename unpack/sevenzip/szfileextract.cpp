#include "szfileextract.h"

#include "platform/fileattributes.h"
#include "unpack/common/entrynames.h"
#include "unpack/common/linkwriter.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/records.h"
#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/szcallbacks.h"

#include <QCoreApplication>
#include <QThread>

#include <climits>
#include <sys/stat.h>
#include <utility>

namespace orv::sz {

namespace {

// A Unix mode without any permission bit would leave a file nobody can read.
bool usableAttributes(std::uint32_t attributes)
{
    return (attributes & Attr::UnixExtension) == 0 || ((attributes >> 16) & 0777u) != 0;
}

bool isSymbolicLink(const std::optional<std::uint32_t> &attributes)
{
    return attributes && (*attributes & Attr::UnixExtension) != 0 && S_ISLNK(static_cast<mode_t>(*attributes >> 16));
}

bool onMainThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return !application || QThread::currentThread() == application->thread();
}

// Hands the library's data to the output file being written.
class OutputStream final : public ComObject<ISequentialOutStream>
{
public:
    explicit OutputStream(OutputFile &file) : m_file(file) {}

    HRESULT Write(const void *data, UInt32 size, UInt32 *processedSize) noexcept override
    {
        if (processedSize)
            *processedSize = 0;
        if (size != 0 && !m_file.write(data, size))
            return hr::fail;
        if (processedSize)
            *processedSize = size;
        return hr::ok;
    }

private:
    OutputFile &m_file;
};

// Keeps the target text of a symbolic link item, which is its data; no more of it than a link can hold.
class LinkTargetStream final : public ComObject<ISequentialOutStream>
{
public:
    explicit LinkTargetStream(QByteArray &target, bool &tooLong) : m_target(target), m_tooLong(tooLong) {}

    HRESULT Write(const void *data, UInt32 size, UInt32 *processedSize) noexcept override
    {
        return guarded([&] {
            if (m_target.size() + qsizetype(size) >= PATH_MAX)
                m_tooLong = true;
            else
                m_target.append(static_cast<const char *>(data), qsizetype(size));
            if (processedSize)
                *processedSize = size;
            return hr::ok;
        });
    }

private:
    QByteArray &m_target;
    bool &m_tooLong;
};

}  // namespace

// A symbolic link item whose target text is being read.
struct FileExtractCallback::PendingLink
{
    SelectedItem item;
    QByteArray target;
    bool tooLong = false;
};

FileExtractCallback::FileExtractCallback(UnpackContext &context, const QString &targetFolder,
                                         std::shared_ptr<PasswordSource> passwords)
    : m_context(context), m_targetFolder(targetFolder), m_passwords(std::move(passwords))
{
}

FileExtractCallback::~FileExtractCallback() = default;

HRESULT FileExtractCallback::run(IInArchive &handler, const std::vector<UInt32> &indices)
{
    std::vector<UInt32> plain;
    std::vector<UInt32> encrypted;
    for (const UInt32 index : indices) {
        const std::optional<SelectedItem> item = selectedItem(index);
        (item && item->encrypted ? encrypted : plain).push_back(index);
    }
    const HRESULT code = extract(handler, plain);
    if (code != hr::ok || encrypted.empty())
        return code;
    if (m_passwords->get())
        return extract(handler, encrypted);
    for (const UInt32 index : encrypted) {
        if (const std::optional<SelectedItem> item = selectedItem(index)) {
            m_context.noteSkipped(item->relativePath, QStringLiteral("it is encrypted and no password was given"));
            ++m_failed;
        }
    }
    if (m_error.isEmpty())
        m_error = QStringLiteral("No password was given for the encrypted files.");
    return hr::ok;
}

HRESULT FileExtractCallback::extract(IInArchive &handler, const std::vector<UInt32> &indices)
{
    if (indices.empty())
        return hr::ok;
    m_earlierRuns = m_total;
    const HRESULT code = handler.Extract(indices.data(), static_cast<UInt32>(indices.size()), 0, this);
    abandonCurrent();
    return code;
}

HRESULT FileExtractCallback::SetTotal(UInt64 total) noexcept
{
    m_total = m_earlierRuns + total;
    return hr::ok;
}

HRESULT FileExtractCallback::SetCompleted(const UInt64 *completeValue) noexcept
{
    return guarded([&] {
        if (completeValue)
            m_done = m_earlierRuns + *completeValue;
        // Worker threads of the library must touch no Qt object and never pump.
        if (!onMainThread())
            return hr::ok;
        m_context.updateProgress(m_done, m_total, m_currentName);
        return m_context.doEvents() ? hr::ok : hr::abort;
    });
}

HRESULT FileExtractCallback::GetStream(UInt32 index, ISequentialOutStream **outStream, Int32 askExtractMode) noexcept
{
    return guarded([&] {
        if (!outStream)
            return hr::invalidArg;
        *outStream = nullptr;
        abandonCurrent();
        const std::optional<SelectedItem> item = selectedItem(index);
        if (!item)
            return hr::ok;
        m_currentIndex = index;
        m_currentEncrypted = item->encrypted;
        m_currentPath = item->relativePath;
        // A wrong password makes the library only test a selected file: it is not written then.
        m_unwritten = true;
        if (static_cast<AskMode>(askExtractMode) != AskMode::Extract)
            return hr::ok;
        if (isSymbolicLink(item->attributes))
            return openLink(*item, outStream);
        return openFile(*item, outStream);
    });
}

HRESULT FileExtractCallback::SetOperationResult(Int32 opRes) noexcept
{
    return guarded([&] {
        const auto result = static_cast<OpResult>(opRes);
        if (m_link)
            return finishLink(result);
        if (m_file)
            finishFile(result);
        else if (std::exchange(m_unwritten, false))
            noteResult(result == OpResult::Ok ? OpResult::DataError : result);
        return hr::ok;
    });
}

HRESULT FileExtractCallback::CryptoGetTextPassword(BSTR *password) noexcept
{
    return guarded([&] {
        m_passwordUsed = true;
        return answerPassword(*m_passwords, password);
    });
}

void FileExtractCallback::abandonCurrent()
{
    m_unwritten = false;
    m_link.reset();
    if (m_file) {
        m_file->discard();
        m_file.reset();
    }
}

HRESULT FileExtractCallback::openFile(const SelectedItem &item, ISequentialOutStream **outStream)
{
    m_currentName = entryName(item.path);
    m_context.updateProgress(m_done, m_total, m_currentName);
    const ArchivedFile archived{m_currentName, item.size, item.modified};
    auto file = std::make_unique<OutputFile>();
    switch (m_context.beginFile(*file, m_targetFolder, item.relativePath, archived)) {
    case FileStart::Open:
        break;
    case FileStart::Skipped:
        // No stream: the library passes over the data of a file the user keeps.
        m_unwritten = false;
        return hr::ok;
    case FileStart::Failed:
        m_unwritten = false;
        if (m_context.isCancelled())
            return hr::abort;
        ++m_failed;
        if (file->error() != OutputFile::Error::None && file->error() != OutputFile::Error::OutsideTarget)
            noteFailure(QStringLiteral("Cannot create the file %1.").arg(file->path()));
        return hr::ok;
    }
    if (item.modified)
        file->setModificationTime(*item.modified);
    if (item.attributes && usableAttributes(*item.attributes))
        file->setAttributes(*item.attributes);
    m_file = std::move(file);
    m_unwritten = false;
    *outStream = ComPtr<ISequentialOutStream>(makeCom<OutputStream>(*m_file)).detach();
    return hr::ok;
}

HRESULT FileExtractCallback::openLink(const SelectedItem &item, ISequentialOutStream **outStream)
{
    m_currentName = entryName(item.path);
    m_context.updateProgress(m_done, m_total, m_currentName);
    m_link = std::make_unique<PendingLink>(PendingLink{item, {}, false});
    m_unwritten = false;
    *outStream = ComPtr<ISequentialOutStream>(makeCom<LinkTargetStream>(m_link->target, m_link->tooLong)).detach();
    return hr::ok;
}

HRESULT FileExtractCallback::finishLink(OpResult result)
{
    const std::unique_ptr<PendingLink> link = std::move(m_link);
    if (result != OpResult::Ok) {
        noteResult(result);
        return hr::ok;
    }
    const QString &path = link->item.relativePath;
    if (link->tooLong) {
        m_context.noteFailed(path, QStringLiteral("the target of the link is too long"));
        noteFailure(QStringLiteral("Cannot create the link %1.").arg(path));
        return hr::ok;
    }
    const ArchivedFile archived{entryName(link->item.path), link->item.size, link->item.modified};
    switch (createSymbolicLink(m_context, m_targetFolder, path, decodeEntryName(link->target), archived)) {
    case EntryLinkResult::Created:
    case EntryLinkResult::Skipped:
        return hr::ok;
    case EntryLinkResult::Cancelled:
        return hr::abort;
    case EntryLinkResult::Refused:
    case EntryLinkResult::Failed:
        break;
    }
    noteFailure(QStringLiteral("Cannot create the link %1.").arg(path));
    return hr::ok;
}

QString FileExtractCallback::failureReason(OpResult result) const
{
    switch (result) {
    case OpResult::WrongPassword:
        return QStringLiteral("wrong password");
    case OpResult::DataError:
    case OpResult::CrcError:
        // The 7z reader never says that a password is wrong: the data then fails its check.
        if (m_currentEncrypted && m_passwordUsed)
            return QStringLiteral("wrong password, or the data is damaged");
        break;
    case OpResult::UnsupportedMethod:
        if (m_currentEncrypted && !m_passwordUsed)
            return QStringLiteral("it is encrypted and no password was given");
        break;
    default:
        break;
    }
    return itemResultText(static_cast<ItemResult>(static_cast<int>(result)), m_currentEncrypted);
}

void FileExtractCallback::finishFile(OpResult result)
{
    const std::unique_ptr<OutputFile> file = std::move(m_file);
    if (result != OpResult::Ok) {
        file->discard();
        noteResult(result);
        return;
    }
    if (!m_context.finishFile(*file))
        noteFailure(QStringLiteral("Cannot write the file %1.").arg(file->path()));
}

void FileExtractCallback::noteResult(OpResult result)
{
    if (m_passwordUsed && m_currentEncrypted)
        m_passwordSuspect = true;
    m_context.noteFailed(m_currentPath, failureReason(result));
    noteFailure(resultText(result, m_currentIndex));
}

void FileExtractCallback::noteFailure(const QString &text)
{
    ++m_failed;
    if (m_error.isEmpty())
        m_error = text;
}

}  // namespace orv::sz
