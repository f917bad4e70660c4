#include "rarsignature.h"

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

// Reads little-endian numbers and RAR5 variable-length numbers from a byte view, never past its end.
class ByteReader
{
public:
    ByteReader(const QByteArray &bytes, qsizetype position) : m_bytes(bytes), m_position(position) {}

    std::optional<std::uint32_t> le(int width)
    {
        if (m_position < 0 || m_bytes.size() - m_position < width)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | static_cast<std::uint8_t>(m_bytes.at(m_position + i));
        m_position += width;
        return value;
    }

    // Seven bits per byte, low first; the high bit says another byte follows. Ten bytes at most.
    std::optional<std::uint64_t> vint()
    {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 70 && m_position < m_bytes.size(); shift += 7) {
            const auto byte = static_cast<std::uint8_t>(m_bytes.at(m_position++));
            value |= std::uint64_t(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0)
                return value;
        }
        return std::nullopt;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_position;
};

// RAR 1.5-4.x main header: CRC (2), type 0x73 (1), flags (2), size (2). The flag bits are the ones the
// UnRAR interface reports, so they pass through as they are.
std::optional<std::uint32_t> rar4Flags(const QByteArray &head, qsizetype position)
{
    constexpr std::uint32_t mainHeaderType = 0x73;
    ByteReader reader(head, position);
    const auto crc = reader.le(2);
    const auto type = reader.le(1);
    const auto flags = reader.le(2);
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
    const auto crc = reader.le(4);
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
