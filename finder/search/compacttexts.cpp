#include "compacttexts.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace orv {

namespace {

// Large enough that the blocks cost nothing beside the texts, small enough that the last block of a
// small result wastes little.
constexpr std::size_t kBlockChars = std::size_t(1) << 16;

}  // namespace

std::uint64_t TextPool::add(QStringView text)
{
    const std::size_t length = std::size_t(text.size());
    if (m_blocks.empty() || m_blocks.back().capacity - m_used < length) {
        // A text longer than a block gets a block of its own size.
        Block block{nullptr, std::max(kBlockChars, length)};
        if (m_blocks.size() >= std::numeric_limits<std::uint32_t>::max())
            throw std::bad_alloc();
        block.chars = std::make_unique_for_overwrite<char16_t[]>(block.capacity);
        m_blocks.push_back(std::move(block));
        m_used = 0;
    }
    const std::uint64_t where = std::uint64_t(m_blocks.size() - 1) << 32 | m_used;
    if (length > 0)
        std::memcpy(m_blocks.back().chars.get() + m_used, text.utf16(), length * sizeof(char16_t));
    m_used += length;
    return where;
}

QStringView TextPool::at(std::uint64_t where, std::size_t length) const
{
    const Block &block = m_blocks[std::size_t(where >> 32)];
    return QStringView(block.chars.get() + (where & 0xFFFFFFFFu), qsizetype(length));
}

void TextPool::rewind(const Mark &mark)
{
    m_blocks.resize(mark.blocks);
    m_used = mark.used;
}

void TextPool::clear()
{
    std::vector<Block>().swap(m_blocks);
    m_used = 0;
}

std::uint32_t FolderTable::idOf(QStringView folder)
{
    if (m_last < m_texts.size() && m_texts[m_last] == folder)
        return m_last;
    if (const auto found = m_ids.find(folder); found != m_ids.end())
        return m_last = found->second;
    if (m_texts.size() >= std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    const auto id = std::uint32_t(m_texts.size());
    m_texts.push_back(folder.toString());
    try {
        m_ids.emplace(m_texts.back(), id);
    } catch (...) {
        m_texts.pop_back();
        throw;
    }
    return m_last = id;
}

void FolderTable::clear()
{
    std::vector<QString>().swap(m_texts);
    m_ids = {};
    m_last = 0;
}

}  // namespace orv
