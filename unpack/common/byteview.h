#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace orv {

// A bounds-checked window on bytes read from a file. Every field of a binary format is read through it
// with an explicit little-endian reader; a read that would leave the window answers 0, so callers check
// `has` first wherever 0 could be mistaken for a real value.
class ByteView
{
public:
    ByteView() = default;
    ByteView(const char *data, std::size_t size) : m_data(data), m_size(data ? size : 0) {}
    explicit ByteView(const QByteArray &bytes) : ByteView(bytes.constData(), std::size_t(bytes.size())) {}

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const char *data() const { return m_data; }

    bool has(std::size_t offset, std::size_t width) const { return offset <= m_size && width <= m_size - offset; }

    std::uint8_t u8(std::size_t offset) const { return has(offset, 1) ? byte(offset) : 0; }
    std::uint16_t le16(std::size_t offset) const
    {
        return has(offset, 2) ? std::uint16_t(byte(offset) | byte(offset + 1) << 8) : 0;
    }
    std::uint32_t le32(std::size_t offset) const
    {
        if (!has(offset, 4))
            return 0;
        return std::uint32_t(byte(offset)) | std::uint32_t(byte(offset + 1)) << 8
               | std::uint32_t(byte(offset + 2)) << 16 | std::uint32_t(byte(offset + 3)) << 24;
    }
    std::uint64_t le64(std::size_t offset) const
    {
        return has(offset, 8) ? std::uint64_t(le32(offset)) | std::uint64_t(le32(offset + 4)) << 32 : 0;
    }

    // The part [offset, offset + length), cut at the end of this view.
    ByteView sub(std::size_t offset, std::size_t length) const
    {
        if (offset >= m_size)
            return {};
        return {m_data + offset, length < m_size - offset ? length : m_size - offset};
    }
    QByteArray toByteArray() const { return QByteArray(m_data, qsizetype(m_size)); }

private:
    std::uint32_t byte(std::size_t offset) const { return static_cast<unsigned char>(m_data[offset]); }

    const char *m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace orv
