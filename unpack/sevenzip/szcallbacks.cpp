#include "unpack/sevenzip/szcallbacks.h"

#include "unpack/sevenzip/szvalue.h"

#include <QFile>

#include <cerrno>

namespace orv::sz {

namespace {

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

}  // namespace orv::sz
