#include "gzipheader.h"

#include "unpack/common/byteview.h"
#include "unpack/common/records.h"

#include <QFile>
#include <QStringDecoder>

namespace orv::zip {

namespace {

// Member header layout: ID1 ID2 CM FLG MTIME(4, little-endian) XFL OS, then the optional fields in the
// order FEXTRA, FNAME, FCOMMENT, FHCRC.
constexpr std::size_t OffsetMethod = 2;
constexpr std::size_t OffsetFlags = 3;
constexpr std::size_t OffsetMtime = 4;
constexpr std::size_t FixedSize = 10;
constexpr std::uint8_t MethodDeflate = 8;
constexpr std::uint8_t FlagExtra = 0x04;
constexpr std::uint8_t FlagName = 0x08;
// A name longer than this is no file name; the header is read no further than needed for it.
constexpr qsizetype MaxNameBytes = 4096;
constexpr qint64 HeaderReadLimit = FixedSize + 2 + 65535 + MaxNameBytes + 1;

// The format says ISO 8859-1, but gzip on a UTF-8 system stores the bytes of the file name as they are.
QString decodeName(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

std::optional<QString> storedName(const QByteArray &bytes, qsizetype at)
{
    const qsizetype end = bytes.indexOf('\0', at);
    if (end < 0 || end - at > MaxNameBytes)
        return std::nullopt;
    const QString name = entryName(normaliseEntryPath(decodeName(bytes.mid(at, end - at))));
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
    std::size_t at = FixedSize;
    if (flags & FlagExtra) {
        if (!view.has(at, 2))
            return info;
        at += 2 + view.le16(at);
    }
    if ((flags & FlagName) && view.has(at, 1))
        info.storedName = storedName(bytes, qsizetype(at));
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
