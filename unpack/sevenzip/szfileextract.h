#pragma once

#include "unpack/sevenzip/szcom.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orv {
class OutputFile;
class UnpackContext;
}

namespace orv::sz {

class PasswordSource;

// What the callback needs to know of one selected item of the archive.
struct SelectedItem
{
    QString path;          // inside the archive
    QString relativePath;  // where it goes, below the target folder
    std::uint64_t size = 0;
    std::optional<std::int64_t> modified;
    std::optional<std::uint32_t> attributes;
    bool encrypted = false;
};

// The library asks here where each selected file goes and reports how it came out: every file streams
// into a checked output file, asked about through the replace question and put in place only when the
// library reported its data sound (a wrong password can produce garbage of full length). An item with
// a Unix symbolic link's mode holds the link's target as its data and becomes that link, under the rules
// of every link from an archive. The archive's own reader says which items are selected and words the
// failures; every item left out is noted.
class FileExtractCallback : public ComObject<IArchiveExtractCallback, ICryptoGetTextPassword>
{
public:
    // Extracts the selected items (ascending, each once): the plain ones first, then the encrypted ones
    // when there is a password to give, so that a missing password keeps back only what needs it.
    HRESULT run(IInArchive &handler, const std::vector<UInt32> &indices);

    HRESULT SetTotal(UInt64 total) noexcept override;
    HRESULT SetCompleted(const UInt64 *completeValue) noexcept override;
    HRESULT GetStream(UInt32 index, ISequentialOutStream **outStream, Int32 askExtractMode) noexcept override;
    HRESULT PrepareOperation(Int32) noexcept override { return hr::ok; }
    HRESULT SetOperationResult(Int32 opRes) noexcept override;
    HRESULT CryptoGetTextPassword(BSTR *password) noexcept override;

    // Removes a file the library left without a result (the run stopped inside it).
    void abandonCurrent();
    bool allWritten() const { return m_failed == 0; }
    const QString &error() const { return m_error; }
    // An encrypted file came out broken after a password was given: the password is likely wrong.
    bool passwordSuspect() const { return m_passwordSuspect; }

protected:
    FileExtractCallback(UnpackContext &context, const QString &targetFolder, std::shared_ptr<PasswordSource> passwords);
    ~FileExtractCallback() override;

    // Nothing when the library's item is not to be written.
    virtual std::optional<SelectedItem> selectedItem(UInt32 index) const = 0;
    virtual QString resultText(OpResult result, UInt32 index) const = 0;

private:
    HRESULT extract(IInArchive &handler, const std::vector<UInt32> &indices);
    HRESULT openFile(const SelectedItem &item, ISequentialOutStream **outStream);
    HRESULT openLink(const SelectedItem &item, ISequentialOutStream **outStream);
    void finishFile(OpResult result);
    HRESULT finishLink(OpResult result);
    QString failureReason(OpResult result) const;
    void noteResult(OpResult result);
    void noteFailure(const QString &text);

    UnpackContext &m_context;
    QString m_targetFolder;
    std::shared_ptr<PasswordSource> m_passwords;
    std::unique_ptr<OutputFile> m_file;
    struct PendingLink;
    std::unique_ptr<PendingLink> m_link;
    UInt32 m_currentIndex = 0;
    bool m_currentEncrypted = false;
    QString m_currentName;
    QString m_currentPath;  // below the target folder
    UInt64 m_total = 0;
    UInt64 m_done = 0;
    UInt64 m_earlierRuns = 0;  // the amounts of the runs before this one, for one progress over all
    int m_failed = 0;
    QString m_error;
    bool m_passwordUsed = false;
    bool m_passwordSuspect = false;
    bool m_unwritten = false;  // the current selected item has neither a file nor a result yet
};

}  // namespace orv::sz
