#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace orv {

// An array of plain records in chunks of a fixed power of two: growing never moves what is there nor
// needs room for a second copy of it, as a vector's doubling does, and an element is found with a shift
// and a mask, which keeps sorting over positions as fast as over a vector. push_back either succeeds or
// throws std::bad_alloc with nothing changed.
template <typename T>
class ChunkedArray
{
public:
    static constexpr std::size_t kShift = 12;
    static constexpr std::size_t kChunk = std::size_t(1) << kShift;
    static constexpr std::size_t kMask = kChunk - 1;

    ChunkedArray() = default;
    ChunkedArray(ChunkedArray &&other) noexcept
        : m_chunks(std::move(other.m_chunks)), m_size(std::exchange(other.m_size, 0))
    {
    }
    ChunkedArray &operator=(ChunkedArray &&other) noexcept
    {
        m_chunks = std::move(other.m_chunks);
        m_size = std::exchange(other.m_size, 0);
        return *this;
    }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T &operator[](std::size_t i) { return m_chunks[i >> kShift][i & kMask]; }
    const T &operator[](std::size_t i) const { return m_chunks[i >> kShift][i & kMask]; }
    const T &at(std::size_t i) const
    {
        if (i >= m_size)
            throw std::out_of_range("ChunkedArray::at");
        return (*this)[i];
    }

    void push_back(const T &value)
    {
        if (m_size == m_chunks.size() * kChunk) {
            auto chunk = std::make_unique<T[]>(kChunk);
            m_chunks.push_back(std::move(chunk));
        }
        (*this)[m_size++] = value;
    }
    void pop_back() { --m_size; }

    // Moves everything after i one place down, a chunk at a time.
    void erase(std::size_t i)
    {
        for (std::size_t chunk = i >> kShift;; ++chunk) {
            T *const first = m_chunks[chunk].get();
            const std::size_t from = chunk == (i >> kShift) ? (i & kMask) : 0;
            const std::size_t end = std::min(kChunk, m_size - chunk * kChunk);
            std::move(first + from + 1, first + end, first + from);
            if ((chunk + 1) * kChunk >= m_size)
                break;
            first[kChunk - 1] = m_chunks[chunk + 1][0];
        }
        --m_size;
    }

    void clear()
    {
        std::vector<std::unique_ptr<T[]>>().swap(m_chunks);
        m_size = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_chunks;
    std::size_t m_size = 0;
};

}  // namespace orv
