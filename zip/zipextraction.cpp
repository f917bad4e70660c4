#include "zipextraction.h"

#include "unpack/common/outputfile.h"
#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szcom.h"
#include "zip/zipcatalog.h"

#include <QCoreApplication>
#include <QHash>
#include <QThread>

#include <algorithm>

namespace orv::zip {

namespace {

using sz::HRESULT;
using sz::OpResult;
using sz::UInt32;
using sz::UInt64;
namespace hr = sz::hr;

constexpr std::uint32_t attrUnixExtension = 0x8000;

QString resultText(OpResult result, const QString &path, const ZipFacts *facts, bool truncated)
{
    const bool brokenData = result == OpResult::DataError || result == OpResult::CrcError;
    if (result == OpResult::UnexpectedEnd || (truncated && brokenData))
        return QStringLiteral("The archive ends before the end of the file %1: it is truncated.").arg(path);
    const bool encrypted = facts && facts->encrypted;
    const QString method = facts ? facts->method : QString();
    switch (result) {
    case OpResult::Ok:
        return {};
    case OpResult::WrongPassword:
        return QStringLiteral("Wrong password for the file %1.").arg(path);
    case OpResult::UnsupportedMethod:
        return encrypted ? QStringLiteral("The file %1 uses a compression or encryption method that cannot be "
                                          "unpacked (%2), or no password was given.").arg(path, method)
                         : QStringLiteral("The compression method of the file %1 (%2) is not supported.").arg(path, method);
    case OpResult::DataError:
        return encrypted ? QStringLiteral("Data error in the encrypted file %1. Wrong password?").arg(path)
                         : QStringLiteral("Data error in the file %1: the archive is damaged.").arg(path);
    case OpResult::CrcError:
        return encrypted ? QStringLiteral("CRC error in the encrypted file %1. Wrong password?").arg(path)
                         : QStringLiteral("CRC error in the file %1: the archive is damaged.").arg(path);
    default:
        break;
    }
    return QStringLiteral("Cannot unpack the file %1: %2")
        .arg(path, sz::itemResultText(static_cast<sz::ItemResult>(static_cast<int>(result)), encrypted));
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
    ExtractCallback(UnpackContext &context, const ZipCatalog &catalog, const QString &targetFolder,
                    QHash<UInt32, ZipJob> jobs, std::shared_ptr<sz::PasswordSource> passwords, bool truncated)
        : m_context(context), m_catalog(catalog), m_targetFolder(targetFolder), m_jobs(std::move(jobs)),
          m_passwords(std::move(passwords)), m_truncated(truncated)
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
            m_context.updateProgress(m_done, m_total, m_currentName);
            // Worker threads of the library must not run the event loop.
            if (onMainThread() && !m_context.doEvents())
                return hr::abort;
            return m_context.isCancelled() ? hr::abort : hr::ok;
        });
    }

    HRESULT GetStream(UInt32 index, sz::ISequentialOutStream **outStream, sz::Int32 askExtractMode) noexcept override
    {
        return sz::guarded([&] {
            if (!outStream)
                return hr::invalidArg;
            *outStream = nullptr;
            abandonCurrent();
            const auto job = m_jobs.constFind(index);
            if (static_cast<sz::AskMode>(askExtractMode) != sz::AskMode::Extract || job == m_jobs.cend())
                return hr::ok;
            return openFile(*job, outStream);
        });
    }

    HRESULT PrepareOperation(sz::Int32) noexcept override { return hr::ok; }

    HRESULT SetOperationResult(sz::Int32 opRes) noexcept override
    {
        return sz::guarded([&] {
            if (m_file)
                finishFile(static_cast<OpResult>(opRes));
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

    HRESULT openFile(const ZipJob &job, sz::ISequentialOutStream **outStream)
    {
        const ArchiveEntry &entry = m_catalog.at(job.entry);
        m_currentName = entryName(entry.path);
        m_currentEntry = job.entry;
        m_context.updateProgress(m_done, m_total, m_currentName);
        ArchivedFile item{m_currentName, entry.size, std::nullopt};
        const ZipFacts *facts = m_catalog.facts(job.entry);
        if (facts && facts->hasTime)
            item.modified = entry.modified;
        auto file = std::make_unique<OutputFile>();
        if (!m_context.beginFile(*file, m_targetFolder, job.relativePath, item)) {
            if (m_context.isCancelled())
                return hr::abort;
            ++m_failed;
            if (file->error() != OutputFile::Error::None && file->error() != OutputFile::Error::OutsideTarget)
                noteFailure(QStringLiteral("Cannot create the file %1.").arg(file->path()));
            return hr::ok;
        }
        if (item.modified)
            file->setModificationTime(*item.modified);
        if (facts && facts->attributes && usableAttributes(*facts->attributes))
            file->setAttributes(*facts->attributes);
        m_file = std::move(file);
        *outStream = sz::ComPtr<sz::ISequentialOutStream>(sz::makeCom<OutputStream>(*m_file)).detach();
        return hr::ok;
    }

    // A Unix mode without any permission bit would leave a file nobody can read.
    static bool usableAttributes(std::uint32_t attributes)
    {
        return (attributes & attrUnixExtension) == 0 || ((attributes >> 16) & 0777u) != 0;
    }

    void finishFile(OpResult result)
    {
        const std::unique_ptr<OutputFile> file = std::move(m_file);
        const QString path = m_catalog.at(m_currentEntry).path;
        if (result != OpResult::Ok) {
            file->discard();
            const ZipFacts *facts = m_catalog.facts(m_currentEntry);
            if (m_passwordUsed && facts && facts->encrypted)
                m_passwordSuspect = true;
            noteFailure(resultText(result, path, facts, m_truncated));
            return;
        }
        if (!m_context.finishFile(*file))
            noteFailure(QStringLiteral("Cannot write the file %1.").arg(file->path()));
    }

    UnpackContext &m_context;
    const ZipCatalog &m_catalog;
    QString m_targetFolder;
    QHash<UInt32, ZipJob> m_jobs;
    std::shared_ptr<sz::PasswordSource> m_passwords;
    std::unique_ptr<OutputFile> m_file;
    int m_currentEntry = -1;
    QString m_currentName;
    UInt64 m_total = 0;
    UInt64 m_done = 0;
    int m_failed = 0;
    QString m_error;
    bool m_passwordUsed = false;
    bool m_passwordSuspect = false;
    bool m_truncated = false;
};

}  // namespace

ZipExtraction::ZipExtraction(UnpackContext &context, const ZipCatalog &catalog, sz::SevenZipArchive &archive,
                             std::shared_ptr<sz::PasswordSource> passwords)
    : m_context(context), m_catalog(catalog), m_archive(archive), m_passwords(std::move(passwords))
{
}

bool ZipExtraction::makeFolder(const ZipJob &job, const QString &targetFolder)
{
    if (m_context.createEntryFolder(targetFolder, job.relativePath))
        return true;
    if (m_error.isEmpty())
        m_error = QStringLiteral("Cannot create the folder %1.").arg(job.relativePath);
    return false;
}

bool ZipExtraction::run(const std::vector<ZipJob> &jobs, const QString &targetFolder)
{
    if (!m_context.createFolder(targetFolder)) {
        m_error = QStringLiteral("The folder %1 cannot be created.").arg(targetFolder);
        return false;
    }
    bool ok = true;
    std::vector<ZipJob> files;
    for (const ZipJob &job : jobs) {
        if (m_catalog.at(job.entry).isFolder())
            ok = makeFolder(job, targetFolder) && ok;
        else
            files.push_back(job);
    }
    if (files.empty())
        return ok;
    return extractFiles(files, targetFolder) && ok;
}

bool ZipExtraction::extractFiles(const std::vector<ZipJob> &files, const QString &targetFolder)
{
    QHash<UInt32, ZipJob> byIndex;
    std::vector<UInt32> indices;
    for (const ZipJob &job : files) {
        const ZipFacts *facts = m_catalog.facts(job.entry);
        if (!facts)
            continue;
        byIndex.insert(facts->index, job);
        indices.push_back(facts->index);
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    sz::ComPtr<sz::IInArchive> handler = m_archive.handler();
    if (!handler || m_archive.isBusy()) {
        m_error = QStringLiteral("The archive is not open.");
        return false;
    }
    auto callback = sz::makeCom<ExtractCallback>(m_context, m_catalog, targetFolder, std::move(byIndex), m_passwords,
                                                   m_truncated);
    const HRESULT code = handler->Extract(indices.data(), static_cast<UInt32>(indices.size()), 0, callback.get());
    callback->abandonCurrent();
    m_passwordSuspect = callback->passwordSuspect();
    m_error = callback->error();
    if (code == hr::abort && m_passwords->declined())
        m_error = QStringLiteral("No password was given for the encrypted files.");
    else if (code != hr::ok && code != hr::abort && m_error.isEmpty())
        m_error = QStringLiteral("The archive could not be read (error 0x%1).").arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
    return code == hr::ok && callback->allWritten();
}

}  // namespace orv::zip
