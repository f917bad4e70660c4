#pragma once

// A small reader with the shape of the UnRAR library's interface: open, set a password, read the next
// header, process the current file by skipping or extracting it, a callback for volume changes and for
// data processed, close. Headers come from 7z.so, data from libarchive; what neither can give here
// (decrypting, the later files of a solid RAR 4 archive) is refused with a reason, never guessed.

#include "unpack/rar/rardatareader.h"
#include "unpack/rar/rarheader.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace orv::rar {

struct Catalogue;

// The UnRAR result codes, and two of this reader's own for data it cannot give.
enum class RarCode : int {
    Success = 0,
    EndArchive = 10,
    BadData = 12,
    BadArchive = 13,
    UnknownFormat = 14,
    EOpen = 15,
    ECreate = 16,
    EWrite = 19,
    Unknown = 21,
    MissingPassword = 22,
    BadPassword = 24,
    DecryptionUnavailable = 100,
    SolidUnreachable = 101,
};

enum class Operation { Skip, Extract };

struct RarCallbacks
{
    // A volume is needed: present says whether the file exists. Answer -1 to stop, 0 to go on.
    std::function<int(const QString &volume, bool present)> changeVolume;
    // A block of the file being extracted was decompressed. Answer -1 to stop, 0 to go on.
    std::function<int(std::uint64_t bytes)> processData;
};

class RarArchive
{
public:
    RarArchive() = default;
    // A copy shares the headers already read and starts its own data reader when it needs one.
    RarArchive(const RarArchive &other);
    RarArchive &operator=(const RarArchive &other);
    RarArchive(RarArchive &&other) noexcept = default;
    RarArchive &operator=(RarArchive &&other) noexcept = default;
    ~RarArchive();

    // Looks at the signature and the archive flags only; headers are read at the first readHeader (or
    // by readHeaders), when any password the flags call for has been set.
    RarCode open(const QString &path);
    std::uint32_t archiveFlags() const { return m_flags; }
    bool isOpen() const { return !m_path.isEmpty(); }
    void setPassword(const QString &password) { m_password = password; }
    void setCallbacks(RarCallbacks callbacks) { m_callbacks = std::move(callbacks); }
    void close();

    // Reads all headers now; Success, or why listing fails (BadPassword, MissingPassword, BadArchive).
    RarCode readHeaders();
    // Back to before the first header.
    void rewind();
    // The next header becomes current; EndArchive after the last one.
    RarCode readHeader(RarHeader &header);
    // Skips or extracts the current file; the data goes to the sink only after all checks that can be
    // made before it, and the result is Success only when size and CRC matched.
    RarCode processFile(Operation operation, const DataSink &sink = {});
    // Whether extracting the current file can succeed as far as can be told without decompressing it:
    // DecryptionUnavailable, SolidUnreachable, EOpen (a volume is missing) or BadData (a broken link).
    RarCode checkCurrent();

    // Why the last call failed, in words; empty after success.
    const QString &errorText() const { return m_error; }
    // The volumes of the open set, once the headers were read.
    QStringList volumes() const;
    // Once the headers were read: the volume the set breaks off at, and why the headers end before the
    // archive does (empty when they were read whole).
    std::optional<QString> missingVolume() const;
    QString damageText() const;

private:
    RarCode fail(RarCode code, const QString &text);
    RarCode check(std::size_t position, std::size_t &source);
    RarCode extract(std::size_t position, const DataSink &sink);
    std::optional<std::size_t> hardLinkSource(std::size_t position) const;
    bool volumesPresent(const RarHeader &header);

    QString m_path;
    std::uint32_t m_flags = 0;
    bool m_rar5 = false;
    bool m_stubAllowed = false;
    std::optional<QString> m_password;
    RarCallbacks m_callbacks;
    std::shared_ptr<const Catalogue> m_catalogue;
    std::unique_ptr<DataReader> m_data;
    std::size_t m_next = 0;
    std::optional<std::size_t> m_current;
    QString m_error;
};

}  // namespace orv::rar
