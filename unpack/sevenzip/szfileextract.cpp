#include "szfileextract.h"

#include "platform/fileattributes.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/records.h"
#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/szcallbacks.h"

#include <QCoreApplication>
#include <QThread>

#include <utility>

namespace orv::sz {

namespace {

// A Unix mode without any permission bit would leave a file nobody can read.
bool usableAttributes(std::uint32_t attributes)
{
    return (attributes & Attr::UnixExtension) == 0 || ((attributes >> 16) & 0777u) != 0;
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

}  // namespace

FileExtractCallback::FileExtractCallback(UnpackContext &context, const QString &targetFolder,
                                         std::shared_ptr<PasswordSource> passwords)
    : m_context(context), m_targetFolder(targetFolder), m_passwords(std::move(passwords))
{
}

FileExtractCallback::~FileExtractCallback() = default;

HRESULT FileExtractCallback::SetTotal(UInt64 total) noexcept
{
    m_total = total;
    return hr::ok;
}

HRESULT FileExtractCallback::SetCompleted(const UInt64 *completeValue) noexcept
{
    return guarded([&] {
        if (completeValue)
            m_done = *completeValue;
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
        // A wrong password makes the library only test a selected file: it is not written then.
        m_unwritten = true;
        if (static_cast<AskMode>(askExtractMode) != AskMode::Extract)
            return hr::ok;
        return openFile(*item, outStream);
    });
}

HRESULT FileExtractCallback::SetOperationResult(Int32 opRes) noexcept
{
    return guarded([&] {
        const auto result = static_cast<OpResult>(opRes);
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
    noteFailure(resultText(result, m_currentIndex));
}

void FileExtractCallback::noteFailure(const QString &text)
{
    ++m_failed;
    if (m_error.isEmpty())
        m_error = text;
}

}  // namespace orv::sz
