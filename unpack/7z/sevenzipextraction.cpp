#include "sevenzipextraction.h"

#include "platform/fileattributes.h"
#include "unpack/common/outputfile.h"
#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szcom.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace orv::sevenzip {

namespace {

using sz::HRESULT;
using sz::OpResult;
using sz::UInt32;
using sz::UInt64;
namespace hr = sz::hr;

QString resultText(OpResult result, const sz::ItemInfo &item)
{
    const QString why = sz::itemResultText(static_cast<sz::ItemResult>(static_cast<int>(result)), item.encrypted);
    return QStringLiteral("Cannot unpack the file %1: %2").arg(item.path, why);
}

// A Unix mode without any permission bit would leave a file nobody can read.
bool usableAttributes(std::uint32_t attributes)
{
    return (attributes & Attr::UnixExtension) == 0 || ((attributes >> 16) & 0777u) != 0;
}

// Hands the library's data to the output file being written.
class OutputStream final : public sz::ComObject<sz::ISequentialOutStream>
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

// The library asks here where each selected file goes and reports how it came out.
class ExtractCallback final : public sz::ComObject<sz::IArchiveExtractCallback, sz::ICryptoGetTextPassword>
{
public:
    ExtractCallback(UnpackContext &context, const std::vector<sz::ItemInfo> &items, const QString &targetFolder,
                    std::vector<const QString *> jobs, std::shared_ptr<sz::PasswordSource> passwords)
        : m_context(context), m_items(items), m_targetFolder(targetFolder), m_jobs(std::move(jobs)),
          m_passwords(std::move(passwords))
    {
    }

    HRESULT SetTotal(UInt64 total) noexcept override
    {
        m_total = total;
        return hr::ok;
    }

    HRESULT SetCompleted(const UInt64 *completeValue) noexcept override
    {
        return sz::guarded([&] {
            if (completeValue)
                m_done = *completeValue;
            // Worker threads of the library must touch no Qt object and never pump.
            if (!onMainThread())
                return hr::ok;
            m_context.updateProgress(m_done, m_total, m_currentName);
            return m_context.doEvents() ? hr::ok : hr::abort;
        });
    }

    HRESULT GetStream(UInt32 index, sz::ISequentialOutStream **outStream, sz::Int32 askExtractMode) noexcept override
    {
        return sz::guarded([&] {
            if (!outStream)
                return hr::invalidArg;
            *outStream = nullptr;
            abandonCurrent();
            const QString *job = index < m_jobs.size() ? m_jobs[index] : nullptr;
            if (!job || index >= m_items.size())
                return hr::ok;
            m_currentIndex = index;
            // A wrong password makes the library only test a selected file: it is not written then.
            m_unwritten = true;
            if (static_cast<sz::AskMode>(askExtractMode) != sz::AskMode::Extract)
                return hr::ok;
            return openFile(index, *job, outStream);
        });
    }

    HRESULT PrepareOperation(sz::Int32) noexcept override { return hr::ok; }

    HRESULT SetOperationResult(sz::Int32 opRes) noexcept override
    {
        return sz::guarded([&] {
            if (m_file)
                finishFile(static_cast<OpResult>(opRes));
            else if (std::exchange(m_unwritten, false))
                noteUnwritten(static_cast<OpResult>(opRes));
            return hr::ok;
        });
    }

    HRESULT CryptoGetTextPassword(sz::BSTR *password) noexcept override
    {
        return sz::guarded([&] {
            m_passwordUsed = true;
            return sz::answerPassword(*m_passwords, password);
        });
    }

    // Removes a file the library left without a result (the run stopped inside it).
    void abandonCurrent()
    {
        m_unwritten = false;
        if (m_file) {
            m_file->discard();
            m_file.reset();
        }
    }

    bool allWritten() const { return m_failed == 0; }
    const QString &error() const { return m_error; }
    bool passwordSuspect() const { return m_passwordSuspect; }

private:
    static bool onMainThread()
    {
        const QCoreApplication *application = QCoreApplication::instance();
        return !application || QThread::currentThread() == application->thread();
    }

    void noteFailure(const QString &text)
    {
        ++m_failed;
        if (m_error.isEmpty())
            m_error = text;
    }

    void noteUnwritten(OpResult result)
    {
        const sz::ItemInfo &item = m_items[m_currentIndex];
        if (m_passwordUsed && item.encrypted)
            m_passwordSuspect = true;
        noteFailure(resultText(result == OpResult::Ok ? OpResult::DataError : result, item));
    }

    HRESULT openFile(UInt32 index, const QString &relativePath, sz::ISequentialOutStream **outStream)
    {
        const sz::ItemInfo &item = m_items[index];
        m_currentName = entryName(item.path);
        m_currentIndex = index;
        m_context.updateProgress(m_done, m_total, m_currentName);
        const ArchivedFile archived{m_currentName, item.size.value_or(0), item.mTime};
        auto file = std::make_unique<OutputFile>();
        if (!m_context.beginFile(*file, m_targetFolder, relativePath, archived)) {
            m_unwritten = false;
            if (m_context.isCancelled())
                return hr::abort;
            ++m_failed;
            if (file->error() != OutputFile::Error::None && file->error() != OutputFile::Error::OutsideTarget)
                noteFailure(QStringLiteral("Cannot create the file %1.").arg(file->path()));
            return hr::ok;
        }
        if (item.mTime)
            file->setModificationTime(*item.mTime);
        if (item.attrib && usableAttributes(*item.attrib))
            file->setAttributes(*item.attrib);
        m_file = std::move(file);
        m_unwritten = false;
        *outStream = sz::ComPtr<sz::ISequentialOutStream>(sz::makeCom<OutputStream>(*m_file)).detach();
        return hr::ok;
    }

    void finishFile(OpResult result)
    {
        const std::unique_ptr<OutputFile> file = std::move(m_file);
        const sz::ItemInfo &item = m_items[m_currentIndex];
        if (result != OpResult::Ok) {
            file->discard();
            if (m_passwordUsed && item.encrypted)
                m_passwordSuspect = true;
            noteFailure(resultText(result, item));
            return;
        }
        if (!m_context.finishFile(*file))
            noteFailure(QStringLiteral("Cannot write the file %1.").arg(file->path()));
    }

    UnpackContext &m_context;
    const std::vector<sz::ItemInfo> &m_items;
    QString m_targetFolder;
    std::vector<const QString *> m_jobs;  // by item index: where the item goes, null when not selected
    std::shared_ptr<sz::PasswordSource> m_passwords;
    std::unique_ptr<OutputFile> m_file;
    UInt32 m_currentIndex = 0;
    QString m_currentName;
    UInt64 m_total = 0;
    UInt64 m_done = 0;
    int m_failed = 0;
    QString m_error;
    bool m_passwordUsed = false;
    bool m_passwordSuspect = false;
    bool m_unwritten = false;  // the current selected item has neither a file nor a result yet
};

}  // namespace

Extraction::Extraction(UnpackContext &context, sz::SevenZipArchive &archive, const std::vector<sz::ItemInfo> &items,
                       std::shared_ptr<sz::PasswordSource> passwords)
    : m_context(context), m_archive(archive), m_items(items), m_passwords(std::move(passwords))
{
}

bool Extraction::run(const std::vector<Job> &jobs, const QString &targetFolder)
{
    if (!m_context.createFolder(targetFolder)) {
        m_error = QStringLiteral("The folder %1 cannot be created.").arg(targetFolder);
        return false;
    }
    bool ok = true;
    std::vector<Job> files;
    for (const Job &job : jobs) {
        if (job.index >= m_items.size())
            continue;
        if (!m_items[job.index].isDir) {
            files.push_back(job);
        } else if (!m_context.createEntryFolder(targetFolder, job.relativePath)) {
            ok = false;
            if (m_error.isEmpty())
                m_error = QStringLiteral("Cannot create the folder %1.").arg(job.relativePath);
        }
        if (m_context.isCancelled())
            return false;
    }
    if (files.empty())
        return ok;
    return extractFiles(files, targetFolder) && ok;
}

bool Extraction::extractFiles(const std::vector<Job> &files, const QString &targetFolder)
{
    // The library asks for thousands of small files one after the other: a table by index answers without
    // hashing.
    std::vector<const QString *> byIndex(m_items.size(), nullptr);
    std::vector<UInt32> indices;
    for (const Job &job : files) {
        byIndex[job.index] = &job.relativePath;
        indices.push_back(job.index);
    }
    // The library wants the indices ascending and each once.
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    const sz::ComPtr<sz::IInArchive> handler = m_archive.handler();
    if (!handler) {
        m_error = QStringLiteral("The archive is not open.");
        return false;
    }
    auto callback = sz::makeCom<ExtractCallback>(m_context, m_items, targetFolder, std::move(byIndex), m_passwords);
    const HRESULT code = handler->Extract(indices.data(), static_cast<UInt32>(indices.size()), 0, callback.get());
    callback->abandonCurrent();
    m_passwordSuspect = callback->passwordSuspect();
    m_error = callback->error();
    if (code == hr::abort && m_passwords->declined())
        m_error = QStringLiteral("No password was given for the encrypted files.");
    else if (code != hr::ok && code != hr::abort && m_error.isEmpty())
        m_error = QStringLiteral("The archive could not be read (error 0x%1).")
                      .arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
    return code == hr::ok && callback->allWritten();
}

}  // namespace orv::sevenzip
