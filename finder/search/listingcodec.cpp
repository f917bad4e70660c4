#include "listingcodec.h"

#include "unpack/common/byteview.h"

#include <utility>


namespace orv {

namespace {

// Each entry, in order:
//   u8      flags: kFolder, kHasTime
//   varint  unpacked size
//   varint  the time's difference from the last entry's that had one, zigzagged (only with kHasTime)
//   varint  UTF-16 units the path shares with the path before
//   varint  UTF-16 units that follow
//   the units that follow, UTF-16LE
// A varint is 7 bits a byte, least significant first, the high bit set on every byte but the last.
constexpr std::uint8_t kFolder = 1;
constexpr std::uint8_t kHasTime = 2;
constexpr int kMaxVarintBytes = 10;
// The least one entry takes: the flags, a size, and the two lengths.
constexpr std::int64_t kLeastEntryBytes = 4;

void putVarint(QByteArray &out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.append(char((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.append(char(value));
}

std::uint64_t zigzag(std::int64_t value)
{
    return (std::uint64_t(value) << 1) ^ std::uint64_t(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value)
{
    return std::int64_t(value >> 1) ^ -std::int64_t(value & 1);
}

qsizetype sharedUnits(const QString &a, const QString &b)
{
    const qsizetype most = std::min(a.size(), b.size());
    qsizetype n = 0;
    while (n < most && a[n] == b[n])
        ++n;
    return n;
}

// The fields of one entry over a bounds-checked view; each read answers nothing past the end.
class Cursor
{
public:
    Cursor(QByteArrayView bytes, std::size_t at) : m_view(bytes.data(), std::size_t(bytes.size())), m_at(at) {}

    std::size_t at() const { return m_at; }
    bool atEnd() const { return m_at == m_view.size(); }
    std::optional<std::uint8_t> byte()
    {
        if (!m_view.has(m_at, 1))
            return std::nullopt;
        return m_view.u8(m_at++);
    }
    std::optional<std::uint64_t> varint()
    {
        std::uint64_t value = 0;
        for (int i = 0; i < kMaxVarintBytes; ++i) {
            const std::optional<std::uint8_t> b = byte();
            if (!b || (i == kMaxVarintBytes - 1 && *b > 1))
                return std::nullopt;
            value |= std::uint64_t(*b & 0x7F) << (7 * i);
            if (!(*b & 0x80))
                return value;
        }
        return std::nullopt;
    }
    bool holdsUnits(std::uint64_t count) const { return count <= (m_view.size() - m_at) / 2; }
    // Appends that many UTF-16LE units to the text; holdsUnits first.
    void units(std::uint64_t count, QString &text)
    {
        const qsizetype from = text.size();
        text.resize(from + qsizetype(count));
        char16_t *to = reinterpret_cast<char16_t *>(text.data()) + from;
        for (std::uint64_t i = 0; i < count; ++i, m_at += 2)
            to[i] = char16_t(m_view.le16(m_at));
    }
    void skipUnits(std::uint64_t count) { m_at += std::size_t(count) * 2; }

private:
    ByteView m_view;
    std::size_t m_at;
};

// The fields of an entry before its path's units.
struct EntryHead
{
    std::uint8_t flags = 0;
    std::uint64_t size = 0;
    std::uint64_t timeDelta = 0;
    std::uint64_t shared = 0;
    std::uint64_t added = 0;
};

std::optional<EntryHead> readHead(Cursor &in, std::uint64_t previousLength)
{
    EntryHead head;
    const std::optional<std::uint8_t> flags = in.byte();
    const std::optional<std::uint64_t> size = in.varint();
    if (!flags || (*flags & ~(kFolder | kHasTime)) || !size)
        return std::nullopt;
    head.flags = *flags;
    head.size = *size;
    if (head.flags & kHasTime) {
        const std::optional<std::uint64_t> delta = in.varint();
        if (!delta)
            return std::nullopt;
        head.timeDelta = *delta;
    }
    const std::optional<std::uint64_t> shared = in.varint();
    const std::optional<std::uint64_t> added = in.varint();
    if (!shared || !added || *shared > previousLength || !in.holdsUnits(*added))
        return std::nullopt;
    head.shared = *shared;
    head.added = *added;
    return head;
}

}  // namespace

void CListingEncoder::add(const ArchiveEntry &entry)
{
    m_bytes.append(char((entry.folder ? kFolder : 0) | (entry.modified ? kHasTime : 0)));
    putVarint(m_bytes, entry.size);
    if (entry.modified) {
        putVarint(m_bytes, zigzag(std::int64_t(std::uint64_t(*entry.modified) - std::uint64_t(m_lastTime))));
        m_lastTime = *entry.modified;
    }
    const qsizetype shared = sharedUnits(m_previousPath, entry.path);
    putVarint(m_bytes, std::uint64_t(shared));
    putVarint(m_bytes, std::uint64_t(entry.path.size() - shared));
    for (qsizetype i = shared; i < entry.path.size(); ++i) {
        const char16_t unit = entry.path[i].unicode();
        m_bytes.append(char(unit & 0xFF));
        m_bytes.append(char(unit >> 8));
    }
    m_previousPath = entry.path;
    ++m_count;
}

PackedListing CListingEncoder::take(bool tarInside)
{
    PackedListing listing{tarInside, std::exchange(m_bytes, {}), m_count};
    *this = CListingEncoder{};
    return listing;
}

QByteArray encodeListing(const std::vector<ArchiveEntry> &entries)
{
    CListingEncoder encoder;
    for (const ArchiveEntry &entry : entries)
        encoder.add(entry);
    return encoder.take(false).bytes;
}

bool CPackedListingReader::isWhole() const
{
    if (m_count < 0 || m_count > m_bytes.size() / kLeastEntryBytes)
        return false;
    Cursor in(m_bytes, 0);
    std::uint64_t previousLength = 0;
    for (std::int64_t i = 0; i < m_count; ++i) {
        const std::optional<EntryHead> head = readHead(in, previousLength);
        if (!head)
            return false;
        in.skipUnits(head->added);
        previousLength = head->shared + head->added;
    }
    return in.atEnd();
}

bool CPackedListingReader::next(ArchiveEntry &entry)
{
    if (m_read >= m_count)
        return false;
    if (m_read == 0)
        entry.path.clear();
    Cursor in(m_bytes, m_at);
    const std::optional<EntryHead> head = readHead(in, std::uint64_t(entry.path.size()));
    if (!head)
        return false;
    entry.folder = head->flags & kFolder;
    entry.size = head->size;
    entry.modified.reset();
    if (head->flags & kHasTime) {
        m_lastTime = std::int64_t(std::uint64_t(m_lastTime) + std::uint64_t(unzigzag(head->timeDelta)));
        entry.modified = m_lastTime;
    }
    entry.path.truncate(qsizetype(head->shared));
    in.units(head->added, entry.path);
    m_at = in.at();
    ++m_read;
    return true;
}

std::optional<std::vector<ArchiveEntry>> decodeListing(QByteArrayView bytes, std::int64_t count)
{
    CPackedListingReader reader(bytes, count);
    if (!reader.isWhole())
        return std::nullopt;
    std::vector<ArchiveEntry> entries;
    entries.reserve(std::size_t(count));
    ArchiveEntry entry;
    while (reader.next(entry))
        entries.push_back(entry);
    return entries;
}

}  // namespace orv
