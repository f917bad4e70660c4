#pragma once

// Reading an archive through 7z.so: open (one file or the volumes of a split set) and list the items; the
// readers extract through the handler with their own callbacks.

#include "unpack/sevenzip/sevenziptypes.h"
#include "unpack/sevenzip/szcom.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace orv::sz {

class FileInStream;
class PasswordSource;

struct ItemInfo
{
    QString path;  // "/"-separated, no trailing "/"
    bool isDir = false;
    std::optional<quint64> size;
    // Empty for all but the first file of a solid block.
    std::optional<quint64> packSize;
    std::optional<qint64> mTime;  // seconds since 1970, UTC
    std::optional<quint32> attrib;
    std::optional<quint32> crc;
    QString method;
    bool encrypted = false;
    // A 7z deletion marker: an update that removed the item records its name this way, and no data.
    bool isAnti = false;
    QString characteristics;  // ZIP: "Descriptor", "Encrypt", "UTF8", ... separated by spaces

    // The entry has a data descriptor (general purpose flag bit 3).
    bool hasDataDescriptor() const;
    // Renaming such an entry through the library breaks its password check: it clears the descriptor
    // flag, after which the check byte is compared with the CRC instead of the time.
    bool isZipCryptoWithDescriptor() const;
};

enum class OpenStatus {
    Ok,
    LibraryMissing,    // 7z.so missing or unusable
    FormatMissing,     // none of the asked formats exists in the library
    CannotReadFile,
    NotArchive,
    Damaged,           // the format was recognised but the headers are broken or truncated
    NeedsPassword,     // encrypted headers and nobody to ask
    WrongPassword,
    PasswordCancelled,
    Stopped,
    Failed,
};

struct ArchiveOpenOptions
{
    // Tried in order; the names of the library's formats ("7z", "zip", "Rar5", ...).
    QStringList formats{QStringLiteral("7z")};
    // Asked at most once per open when no password is known.
    PasswordProvider passwordProvider;
    std::optional<QString> knownPassword;
    // How far into the file an archive may start: 0 for the start only, none for anywhere (a
    // self-extracting ZIP behind its stub).
    std::optional<quint64> maxStartOffset = 0;
    ProgressFn progress;
};

class SevenZipArchive
{
public:
    using OpenOptions = ArchiveOpenOptions;

    SevenZipArchive();
    ~SevenZipArchive();
    SevenZipArchive(const SevenZipArchive &) = delete;
    SevenZipArchive &operator=(const SevenZipArchive &) = delete;

    bool open(const QString &path, const OpenOptions &options = {});
    // The volumes of a split set in order, read as one stream.
    bool openVolumes(const QStringList &volumePaths, const OpenOptions &options = {});
    // False when nothing was open.
    bool close();

    bool isOpen() const { return static_cast<bool>(m_handler); }
    OpenStatus openStatus() const { return m_status; }
    const QString &errorText() const { return m_errorText; }
    const QString &formatName() const { return m_format; }

    quint32 itemCount() const { return m_count; }
    // The texts (method and characteristics) cost the library more to make than all the rest of an item;
    // without them they are left empty, for itemText to give when they are needed.
    enum class ItemTexts { With, Without };
    ItemInfo item(quint32 index, ItemTexts texts = ItemTexts::With) const;
    QString itemText(quint32 index, PROPID propId) const;

    // Archive-level facts.
    quint32 errorFlags() const;
    quint32 warningFlags() const;
    // Why the library could read the open archive only in part, in a few words; empty when it read it
    // whole.
    QString damageReason() const;
    bool isReadOnly() const;
    std::optional<quint64> archiveUInt64(PROPID propId) const;
    // An item's number that item() does not read.
    std::optional<quint64> itemUInt64(quint32 index, PROPID propId) const;

    // The password the library accepted or that the user gave last, for later opens of the same archive.
    std::optional<QString> password() const;

    // For the ZIP writer, which updates through the same handler object.
    ComPtr<IInArchive> handler() const { return m_handler; }

private:
    bool openStream(ComPtr<FileInStream> stream, const QString &firstPath, const OpenOptions &options);
    bool tryFormat(const Guid &classId, const ComPtr<FileInStream> &stream, const QString &firstPath,
                   const OpenOptions &options, const std::shared_ptr<PasswordSource> &passwords);
    bool fail(OpenStatus status, const QString &text);

    ComPtr<IInArchive> m_handler;
    ComPtr<FileInStream> m_stream;
    QString m_path;
    QString m_format;
    quint32 m_count = 0;
    OpenStatus m_status = OpenStatus::Failed;
    QString m_errorText;
    // Of the last failed open that found the archive damaged.
    QString m_failedDamage;
    std::optional<std::u16string> m_password;
};

QString openStatusText(OpenStatus status, const QString &path);
// The words for the first damage the error or warning flags of an archive name ("unexpected end of
// data"); empty when they name none. Data after the end and an unconfirmed start are no damage: a
// stub or a tail leaves the archive whole.
QString damageReason(quint32 flags);

}  // namespace orv::sz
