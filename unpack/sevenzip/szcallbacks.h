#pragma once

// The open callback handed to 7z.so, and the password source the extract callbacks share with it.

#include "unpack/sevenzip/sevenziptypes.h"
#include "unpack/sevenzip/szcom.h"
#include "unpack/sevenzip/szstreams.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orv::sz {

// One password for one open or extraction: the library asks again for every encrypted block, but the
// user is asked at most once and the answer is reused.
class PasswordSource
{
public:
    using Provider = std::function<std::optional<std::u16string>()>;
    PasswordSource(Provider provider, std::optional<std::u16string> known)
        : m_provider(std::move(provider)), m_password(std::move(known))
    {
    }

    // The known password or the provider's answer; none when declined or when there is no provider.
    std::optional<std::u16string> get();

    bool wasRequested() const { return m_requested; }
    bool declined() const { return m_declined; }
    bool hasProvider() const { return static_cast<bool>(m_provider); }
    const std::optional<std::u16string> &password() const { return m_password; }

private:
    Provider m_provider;
    std::optional<std::u16string> m_password;
    bool m_requested = false;
    bool m_asked = false;
    bool m_declined = false;
};

// Answers a password request from a source: E_ABORT when there is none to give.
HRESULT answerPassword(PasswordSource &source, BSTR *password);

class OpenCallback final
    : public ComObject<IArchiveOpenCallback, ICryptoGetTextPassword, IArchiveOpenVolumeCallback>
{
public:
    // firstVolume is the path of the file being opened; other volumes are looked up beside it.
    OpenCallback(std::shared_ptr<PasswordSource> passwords, std::string firstVolume, ProgressFn progress);

    HRESULT SetTotal(const UInt64 *files, const UInt64 *bytes) noexcept override;
    HRESULT SetCompleted(const UInt64 *files, const UInt64 *bytes) noexcept override;
    HRESULT CryptoGetTextPassword(BSTR *password) noexcept override;
    HRESULT GetProperty(PROPID propId, RawPropVariant *value) noexcept override;
    HRESULT GetStream(const wchar_t *name, IInStream **inStream) noexcept override;

    bool stopped() const { return m_stopped; }

private:
    std::shared_ptr<PasswordSource> m_passwords;
    std::string m_folder;
    std::string m_firstName;
    ProgressFn m_progress;
    UInt64 m_totalBytes = 0;
    bool m_stopped = false;
};

}  // namespace orv::sz
