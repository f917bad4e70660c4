#pragma once

#include <cstdint>
#include <unordered_set>

namespace orv::iso {

// What keeps the scan of a damaged image finite: every directory is read once (a directory that points
// at itself or an ancestor, or two entries sharing one directory, would otherwise loop or multiply), the
// nesting is capped, and all directory reads together may not exceed the size of the image, which no
// sound image does because its directories do not overlap.
class ScanGuard
{
public:
    static constexpr int kMaxDepth = 255;

    explicit ScanGuard(std::uint64_t budget) : m_budget(budget) {}

    // False when the directory with this key was read before.
    bool firstVisit(std::uint64_t key) { return m_visited.insert(key).second; }
    // False when reading this many more bytes of directories would exceed the budget.
    bool spend(std::uint64_t bytes)
    {
        if (bytes > m_budget)
            return false;
        m_budget -= bytes;
        return true;
    }

private:
    std::unordered_set<std::uint64_t> m_visited;
    std::uint64_t m_budget;
};

}  // namespace orv::iso
