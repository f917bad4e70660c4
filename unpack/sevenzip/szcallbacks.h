#pragma once

// The open and extract callbacks handed to 7z.so.

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

class ExtractCallback final : public ComObject<IArchiveExtractCallback, ICryptoGetTextPassword>
{
public:
    ExtractCallback(ExtractSink &sink, ProgressFn progress, std::shared_ptr<PasswordSource> passwords);

    HRESULT SetTotal(UInt64 total) noexcept override;
    HRESULT SetCompleted(const UInt64 *completeValue) noexcept override;
    HRESULT GetStream(UInt32 index, ISequentialOutStream **outStream, Int32 askExtractMode) noexcept override;
    HRESULT PrepareOperation(Int32 askExtractMode) noexcept override;
    HRESULT SetOperationResult(Int32 opRes) noexcept override;
    HRESULT CryptoGetTextPassword(BSTR *password) noexcept override;

    // Ends an item the library left without a result (the extraction stopped or failed inside it).
    void abandonCurrent(ItemResult result);

    bool stoppedByProgress() const { return m_progressStopped; }
    bool abortedBySink() const { return m_sinkAborted; }
    int failedItems() const { return m_failedItems; }
    // Why the extraction failed on our side (an output that could not be made), else empty.
    const QString &errorText() const { return m_errorText; }

private:
    struct Current
    {
        bool active = false;
        UInt32 index = 0;
        AskMode mode = AskMode::Skip;
        ItemTarget::Kind kind = ItemTarget::Kind::Skip;
        std::string finalPath;
        std::string tempPath;
        ComPtr<FileOutStream> file;
        std::shared_ptr<MemoryOutStream::Buffer> memory;
    };
    HRESULT openTarget(ISequentialOutStream **outStream);
    void finishCurrent(ItemResult result);
    ItemOutcome completeFile(ItemResult result);

    ExtractSink &m_sink;
    ProgressFn m_progress;
    std::shared_ptr<PasswordSource> m_passwords;
    UInt64 m_total = 0;
    Current m_current;
    bool m_progressStopped = false;
    bool m_sinkAborted = false;
    int m_failedItems = 0;
    QString m_errorText;
};

}  // namespace orv::sz
