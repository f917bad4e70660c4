#include "gzipheader.h"

#include "unpack/common/records.h"

#include <QFile>
#include <QStringDecoder>

namespace orv::zip {

namespace {

// Member header layout: ID1 ID2 CM FLG MTIME(4, little-endian) XFL OS, then the optional fields in the
// order FEXTRA, FNAME, FCOMMENT, FHCRC.
constexpr qsizetype OffsetMethod = 2;
constexpr qsizetype OffsetFlags = 3;
constexpr qsizetype OffsetMtime = 4;
constexpr qsizetype FixedSize = 10;
constexpr std::uint8_t MethodDeflate = 8;
constexpr std::uint8_t FlagExtra = 0x04;
constexpr std::uint8_t FlagName = 0x08;
// A name longer than this is no file name; the header is read no further than needed for it.
constexpr qsizetype MaxNameBytes = 4096;
constexpr qint64 HeaderReadLimit = FixedSize + 2 + 65535 + MaxNameBytes + 1;

class ByteView
{
public:
    explicit ByteView(const QByteArray &bytes) : m_bytes(bytes) {}
    bool has(qsizetype offset, qsizetype count) const
    {
        return offset >= 0 && count >= 0 && offset <= m_bytes.size() - count;
    }
    std::uint8_t u8(qsizetype offset) const { return static_cast<std::uint8_t>(m_bytes.at(offset)); }
    std::uint16_t le16(qsizetype offset) const
    {
        return static_cast<std::uint16_t>(u8(offset) | (u8(offset + 1) << 8));
    }
    std::uint32_t le32(qsizetype offset) const
    {
        return static_cast<std::uint32_t>(le16(offset)) | (static_cast<std::uint32_t>(le16(offset + 2)) << 16);
    }
    qsizetype indexOfZero(qsizetype from) const { return m_bytes.indexOf('\0', from); }
    QByteArray slice(qsizetype from, qsizetype count) const { return m_bytes.mid(from, count); }

private:
    const QByteArray &m_bytes;
};

// The format says ISO 8859-1, but gzip on a UTF-8 system stores the bytes of the file name as they are.
QString decodeName(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

std::optional<QString> storedName(const ByteView &view, qsizetype at)
{
    const qsizetype end = view.indexOfZero(at);
    if (end < 0 || end - at > MaxNameBytes)
        return std::nullopt;
    const QString name = entryName(normaliseEntryPath(decodeName(view.slice(at, end - at))));
    if (name.isEmpty() || name == QLatin1String(".."))
        return std::nullopt;
    return name;
}

}  // namespace

std::optional<GzipHeaderInfo> parseGzipHeader(const QByteArray &bytes)
{
    const ByteView view(bytes);
    if (!view.has(0, FixedSize) || view.u8(0) != 0x1f || view.u8(1) != 0x8b || view.u8(OffsetMethod) != MethodDeflate)
        return std::nullopt;
    GzipHeaderInfo info;
    const std::uint32_t mtime = view.le32(OffsetMtime);
    if (mtime != 0)
        info.modified = static_cast<std::int64_t>(mtime);
    const std::uint8_t flags = view.u8(OffsetFlags);
    qsizetype at = FixedSize;
    if (flags & FlagExtra) {
        if (!view.has(at, 2))
            return info;
        at += 2 + view.le16(at);
    }
    if ((flags & FlagName) && view.has(at, 1))
        info.storedName = storedName(view, at);
    return info;
}

std::optional<GzipHeaderInfo> readGzipHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseGzipHeader(file.read(HeaderReadLimit));
}

}  // namespace orv::zip
