#include "rarsignature.h"

#include "unpack/common/byteview.h"
#include "unpack/rar/rarheader.h"

#include <QFile>

namespace orv::rar {

namespace {

// How far into an executable the archive may start; self-extracting stubs are well below this.
constexpr qint64 kStubSearchLimit = 4 * 1024 * 1024;
constexpr qint64 kPlainHeadSize = 64;

const QByteArray &rar4Magic()
{
    static const QByteArray magic("Rar!\x1a\x07\x00", 7);
    return magic;
}

const QByteArray &rar5Magic()
{
    static const QByteArray magic("Rar!\x1a\x07\x01\x00", 8);
    return magic;
}

// Reads the fields of a main header in turn, never past the end of the bytes read.
class ByteReader
{
public:
    // A position before the start wraps to one past any end, where every read fails.
    ByteReader(const QByteArray &bytes, qsizetype position) : m_bytes(bytes), m_position(std::size_t(position)) {}

    std::optional<std::uint32_t> u8() { return next(1, m_bytes.u8(m_position)); }
    std::optional<std::uint32_t> le16() { return next(2, m_bytes.le16(m_position)); }
    std::optional<std::uint32_t> le32() { return next(4, m_bytes.le32(m_position)); }

    // RAR5's variable-length number: seven bits per byte, low first; the high bit says another byte
    // follows. Ten bytes at most.
    std::optional<std::uint64_t> vint()
    {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 70 && m_bytes.has(m_position, 1); shift += 7) {
            const std::uint8_t byte = m_bytes.u8(m_position++);
            value |= std::uint64_t(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        return std::nullopt;
    }

private:
    std::optional<std::uint32_t> next(std::size_t width, std::uint32_t value)
    {
        if (!m_bytes.has(m_position, width))
            return std::nullopt;
        m_position += width;
        return value;
    }

    ByteView m_bytes;
    std::size_t m_position;
};

// RAR 1.5-4.x main header: CRC (2), type 0x73 (1), flags (2), size (2). The flag bits are the ones the
// UnRAR interface reports, so they pass through as they are.
std::optional<std::uint32_t> rar4Flags(const QByteArray &head, qsizetype position)
{
    constexpr std::uint32_t mainHeaderType = 0x73;
    ByteReader reader(head, position);
    const auto crc = reader.le16();
    const auto type = reader.u8();
    const auto flags = reader.le16();
    if (!crc || !type || !flags || *type != mainHeaderType)
        return std::nullopt;
    return *flags;
}

// RAR5: CRC32 (4), header size, header type; type 4 is the archive encryption header that hides all
// the rest, type 1 the main header with its flags, archive flags and optional volume number.
std::optional<std::uint32_t> rar5Flags(const QByteArray &head, qsizetype position)
{
    constexpr std::uint64_t mainHeader = 1;
    constexpr std::uint64_t encryptionHeader = 4;
    constexpr std::uint64_t hasExtraArea = 0x01, hasDataArea = 0x02;
    constexpr std::uint64_t volume = 0x01, volumeNumberPresent = 0x02, solid = 0x04;
    ByteReader reader(head, position);
    const auto crc = reader.le32();
    const auto size = reader.vint();
    const auto type = reader.vint();
    if (!crc || !size || !type)
        return std::nullopt;
    if (*type == encryptionHeader)
        return ArchiveFlag::EncryptedHeaders;
    if (*type != mainHeader)
        return std::nullopt;
    const auto headerFlags = reader.vint();
    if (!headerFlags || ((*headerFlags & hasExtraArea) && !reader.vint()) || ((*headerFlags & hasDataArea) && !reader.vint()))
        return std::nullopt;
    const auto archiveFlags = reader.vint();
    if (!archiveFlags)
        return std::nullopt;
    std::uint32_t flags = 0;
    if (*archiveFlags & volume)
        flags |= ArchiveFlag::Volume;
    if (*archiveFlags & solid)
        flags |= ArchiveFlag::Solid;
    std::uint64_t number = 0;
    if (*archiveFlags & volumeNumberPresent)
        number = reader.vint().value_or(1);
    if ((*archiveFlags & volume) && number == 0)
        flags |= ArchiveFlag::FirstVolume;
    return flags;
}

std::optional<Signature> parseAt(const QByteArray &head, qsizetype position)
{
    Signature signature;
    signature.offset = static_cast<std::uint64_t>(position);
    std::optional<std::uint32_t> flags;
    if (head.mid(position, rar5Magic().size()) == rar5Magic()) {
        signature.rar5 = true;
        flags = rar5Flags(head, position + rar5Magic().size());
    } else if (head.mid(position, rar4Magic().size()) == rar4Magic()) {
        flags = rar4Flags(head, position + rar4Magic().size());
    }
    if (!flags)
        return std::nullopt;
    signature.archiveFlags = *flags;
    return signature;
}

}  // namespace

std::optional<Signature> parseSignature(const QByteArray &head, bool stubAllowed)
{
    if (!stubAllowed)
        return parseAt(head, 0);
    // The common prefix of both signatures; a stub may hold it by chance, so a false match goes on.
    static const QByteArray prefix("Rar!\x1a\x07", 6);
    for (qsizetype at = head.indexOf(prefix); at >= 0; at = head.indexOf(prefix, at + 1)) {
        if (std::optional<Signature> signature = parseAt(head, at))
            return signature;
    }
    return std::nullopt;
}

std::optional<Signature> readSignature(const QString &path, bool stubAllowed)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A main header is a few dozen bytes; the RAR5 one with a volume number stays below 64.
    return parseSignature(file.read(stubAllowed ? kStubSearchLimit : kPlainHeadSize), stubAllowed);
}

}  // namespace orv::rar
