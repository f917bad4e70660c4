#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orv {

// Texts laid one after another in large blocks: a text costs its characters and no allocation of its own,
// and growing never moves what is already there. Texts are only ever added; a rewind takes back the last
// ones. Every operation that allocates either succeeds or throws std::bad_alloc with nothing changed.
class TextPool
{
public:
    struct Mark
    {
        std::size_t blocks = 0;
        std::size_t used = 0;
    };

    // Copies the text in and answers where it lies.
    std::uint64_t add(QStringView text);
    QStringView at(std::uint64_t where, std::size_t length) const;

    Mark mark() const { return {m_blocks.size(), m_used}; }
    void rewind(const Mark &mark);
    void clear();

private:
    struct Block
    {
        std::unique_ptr<char16_t[]> chars;
        std::size_t capacity = 0;
    };

    std::vector<Block> m_blocks;
    std::size_t m_used = 0;  // characters used in the last block
};

// The folder part of paths, each distinct text kept once under a number: the hits of one folder of an
// archive share it. Adding either succeeds or throws std::bad_alloc with nothing changed.
class FolderTable
{
public:
    std::uint32_t idOf(QStringView folder);
    const QString &text(std::uint32_t id) const { return m_texts[id]; }
    std::size_t size() const { return m_texts.size(); }
    void clear();

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
    };
    struct Equal
    {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };

    std::vector<QString> m_texts;
    std::unordered_map<QString, std::uint32_t, Hash, Equal> m_ids;
    std::uint32_t m_last = 0;  // hits come folder by folder, so the last folder is tried first
};

}  // namespace orv
