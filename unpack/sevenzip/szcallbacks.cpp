#include "unpack/sevenzip/szcallbacks.h"

#include "unpack/sevenzip/szvalue.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <stdio.h>
#include <unistd.h>

namespace orv::sz {

namespace {

ItemResult fromOpResult(Int32 opRes)
{
    switch (static_cast<OpResult>(opRes)) {
    case OpResult::Ok: return ItemResult::Ok;
    case OpResult::UnsupportedMethod: return ItemResult::UnsupportedMethod;
    case OpResult::DataError: return ItemResult::DataError;
    case OpResult::CrcError: return ItemResult::CrcError;
    case OpResult::Unavailable: return ItemResult::Unavailable;
    case OpResult::UnexpectedEnd: return ItemResult::UnexpectedEnd;
    case OpResult::DataAfterEnd: return ItemResult::DataAfterEnd;
    case OpResult::IsNotArc: return ItemResult::IsNotArchive;
    case OpResult::HeadersError: return ItemResult::HeadersError;
    case OpResult::WrongPassword: return ItemResult::WrongPassword;
    }
    return ItemResult::Failed;
}

// A volume name from the library must stay a plain name in the first volume's folder.
bool isPlainName(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

QString itemResultText(ItemResult result, bool encrypted)
{
    switch (result) {
    case ItemResult::Ok: return {};
    case ItemResult::UnsupportedMethod:
        return encrypted ? QStringLiteral("Unsupported compression or encryption method, or no password given.")
                         : QStringLiteral("Unsupported compression method.");
    case ItemResult::DataError:
        return encrypted ? QStringLiteral("Data error in an encrypted file. Wrong password?")
                         : QStringLiteral("Data error: the archive is damaged.");
    case ItemResult::CrcError:
        return encrypted ? QStringLiteral("CRC failed in an encrypted file. Wrong password?")
                         : QStringLiteral("CRC failed: the archive is damaged.");
    case ItemResult::Unavailable: return QStringLiteral("The data is not available (a volume may be missing).");
    case ItemResult::UnexpectedEnd: return QStringLiteral("Unexpected end of data: the archive is truncated.");
    case ItemResult::DataAfterEnd: return QStringLiteral("There is data after the end of the packed data.");
    case ItemResult::IsNotArchive: return QStringLiteral("The data is not an archive.");
    case ItemResult::HeadersError: return QStringLiteral("The archive headers are damaged.");
    case ItemResult::WrongPassword: return QStringLiteral("Wrong password.");
    case ItemResult::WriteFailed: return QStringLiteral("The output file could not be written.");
    case ItemResult::TooLarge: return QStringLiteral("The item is too large to hold in memory.");
    case ItemResult::Stopped: return QStringLiteral("The extraction was stopped.");
    case ItemResult::Failed: return QStringLiteral("The extraction failed.");
    }
    return QStringLiteral("The extraction failed.");
}

std::optional<std::u16string> PasswordSource::get()
{
    m_requested = true;
    if (m_password)
        return m_password;
    if (m_asked || !m_provider)
        return std::nullopt;
    m_asked = true;
    m_password = m_provider();
    m_declined = !m_password.has_value();
    return m_password;
}

HRESULT answerPassword(PasswordSource &source, BSTR *password)
{
    if (!password)
        return hr::invalidArg;
    *password = nullptr;
    const auto text = source.get();
    if (!text)
        return hr::abort;
    *password = allocBstr(*text);
    return hr::ok;
}

OpenCallback::OpenCallback(std::shared_ptr<PasswordSource> passwords, std::string firstVolume, ProgressFn progress)
    : m_passwords(std::move(passwords)), m_progress(std::move(progress))
{
    const auto slash = firstVolume.rfind('/');
    m_folder = slash == std::string::npos ? std::string(".") : firstVolume.substr(0, slash);
    m_firstName = slash == std::string::npos ? firstVolume : firstVolume.substr(slash + 1);
}

HRESULT OpenCallback::SetTotal(const UInt64 *, const UInt64 *bytes) noexcept
{
    if (bytes)
        m_totalBytes = *bytes;
    return hr::ok;
}

HRESULT OpenCallback::SetCompleted(const UInt64 *, const UInt64 *bytes) noexcept
{
    return guarded([&] {
        if (m_progress && bytes && !m_progress(*bytes, m_totalBytes)) {
            m_stopped = true;
            return hr::abort;
        }
        return hr::ok;
    });
}

HRESULT OpenCallback::CryptoGetTextPassword(BSTR *password) noexcept
{
    return guarded([&] { return answerPassword(*m_passwords, password); });
}

HRESULT OpenCallback::GetProperty(PROPID propId, RawPropVariant *value) noexcept
{
    return guarded([&] {
        if (!value)
            return hr::invalidArg;
        if (propId == pid::name) {
            const QString name = QFile::decodeName(QByteArray::fromStdString(m_firstName));
            setString(value, std::u16string_view(reinterpret_cast<const char16_t *>(name.utf16()),
                                                 static_cast<std::size_t>(name.size())));
        }
        return hr::ok;
    });
}

HRESULT OpenCallback::GetStream(const wchar_t *name, IInStream **inStream) noexcept
{
    return guarded([&] {
        if (!inStream)
            return hr::invalidArg;
        *inStream = nullptr;
        const std::u16string wide = wideToUtf16(name);
        const std::string plain = QFile::encodeName(QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())))
                                      .toStdString();
        if (!isPlainName(plain))
            return hr::falseResult;
        int error = 0;
        ComPtr<FileInStream> stream = FileInStream::open({m_folder + "/" + plain}, &error);
        if (!stream)
            return error == ENOENT || error == EISDIR ? hr::falseResult : hr::fromErrno(error);
        *inStream = ComPtr<IInStream>(stream).detach();
        return hr::ok;
    });
}

ExtractCallback::ExtractCallback(ExtractSink &sink, ProgressFn progress, std::shared_ptr<PasswordSource> passwords)
    : m_sink(sink), m_progress(std::move(progress)), m_passwords(std::move(passwords))
{
}

HRESULT ExtractCallback::SetTotal(UInt64 total) noexcept
{
    m_total = total;
    return hr::ok;
}

HRESULT ExtractCallback::SetCompleted(const UInt64 *completeValue) noexcept
{
    return guarded([&] {
        if (m_progress && completeValue && !m_progress(*completeValue, m_total)) {
            m_progressStopped = true;
            return hr::abort;
        }
        return hr::ok;
    });
}

HRESULT ExtractCallback::GetStream(UInt32 index, ISequentialOutStream **outStream, Int32 askExtractMode) noexcept
{
    return guarded([&] {
        if (!outStream)
            return hr::invalidArg;
        *outStream = nullptr;
        if (m_current.active)
            finishCurrent(ItemResult::Failed);
        m_current = Current{};
        m_current.active = true;
        m_current.index = index;
        m_current.mode = static_cast<AskMode>(askExtractMode);
        if (m_current.mode != AskMode::Extract)
            return hr::ok;
        return openTarget(outStream);
    });
}

HRESULT ExtractCallback::openTarget(ISequentialOutStream **outStream)
{
    const ItemTarget target = m_sink.target(m_current.index);
    m_current.kind = target.kind;
    switch (target.kind) {
    case ItemTarget::Kind::Skip:
        return hr::ok;
    case ItemTarget::Kind::Abort:
        m_sinkAborted = true;
        m_current.active = false;
        return hr::abort;
    case ItemTarget::Kind::Memory: {
        m_current.memory = std::make_shared<MemoryOutStream::Buffer>();
        m_current.memory->limit = static_cast<std::size_t>(std::max<qsizetype>(0, target.memoryLimit));
        *outStream = ComPtr<ISequentialOutStream>(makeCom<MemoryOutStream>(m_current.memory)).detach();
        return hr::ok;
    }
    case ItemTarget::Kind::File:
        break;
    }
    m_current.finalPath = QFile::encodeName(target.path).toStdString();
    int error = 0;
    UniqueFd fd = createFileBeside(m_current.finalPath, &m_current.tempPath, &error);
    if (!fd.isValid()) {
        m_errorText = QStringLiteral("Cannot create the file %1: %2")
                          .arg(target.path, QString::fromLocal8Bit(std::strerror(error)));
        ItemOutcome outcome;
        outcome.index = m_current.index;
        outcome.result = ItemResult::WriteFailed;
        outcome.kind = ItemTarget::Kind::File;
        outcome.systemError = error;
        m_current.active = false;
        ++m_failedItems;
        m_sink.finished(outcome);
        return hr::fromErrno(error);
    }
    m_current.file = makeCom<FileOutStream>(std::move(fd));
    *outStream = ComPtr<ISequentialOutStream>(m_current.file).detach();
    return hr::ok;
}

HRESULT ExtractCallback::PrepareOperation(Int32) noexcept { return hr::ok; }

HRESULT ExtractCallback::SetOperationResult(Int32 opRes) noexcept
{
    return guarded([&] {
        if (m_current.active)
            finishCurrent(fromOpResult(opRes));
        return hr::ok;
    });
}

HRESULT ExtractCallback::CryptoGetTextPassword(BSTR *password) noexcept
{
    return guarded([&] { return answerPassword(*m_passwords, password); });
}

void ExtractCallback::abandonCurrent(ItemResult result)
{
    if (m_current.active)
        finishCurrent(result);
}

ItemOutcome ExtractCallback::completeFile(ItemResult result)
{
    ItemOutcome outcome;
    outcome.result = result;
    const int error = m_current.file->finish(false);
    m_current.file.reset();
    if (result == ItemResult::Ok && error == 0 && ::rename(m_current.tempPath.c_str(), m_current.finalPath.c_str()) == 0) {
        outcome.writtenPath = QFile::decodeName(QByteArray::fromStdString(m_current.finalPath));
        return outcome;
    }
    // A damaged item or a wrong password can leave garbage of full length: never put it in place.
    const int renameError = result == ItemResult::Ok && error == 0 ? errno : 0;
    ::unlink(m_current.tempPath.c_str());
    if (result == ItemResult::Ok) {
        outcome.result = ItemResult::WriteFailed;
        outcome.systemError = error != 0 ? error : renameError;
        m_errorText = QStringLiteral("Cannot write the file %1: %2")
                          .arg(QFile::decodeName(QByteArray::fromStdString(m_current.finalPath)),
                               QString::fromLocal8Bit(std::strerror(outcome.systemError)));
    }
    return outcome;
}

void ExtractCallback::finishCurrent(ItemResult result)
{
    ItemOutcome outcome;
    outcome.result = result;
    if (m_current.file) {
        outcome = completeFile(result);
    } else if (m_current.memory) {
        // A Write refused at the limit ends the extraction without a result for the item.
        if (m_current.memory->overflowed)
            outcome.result = ItemResult::TooLarge;
        else if (result == ItemResult::Ok)
            outcome.data = QByteArray::fromStdString(m_current.memory->bytes);
    }
    const Current done = std::exchange(m_current, Current{});
    if (done.mode == AskMode::Skip)
        return;
    outcome.index = done.index;
    outcome.kind = done.kind;
    if (outcome.result != ItemResult::Ok)
        ++m_failedItems;
    m_sink.finished(outcome);
}

}  // namespace orv::sz
