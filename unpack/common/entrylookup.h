#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace orv {

// Names inside archives are case-sensitive, as file names are here: one archive may hold the folders
// "Docs" and "docs", or the files "xt_mark.h" and "xt_MARK.h". A path handed in names what is spelt exactly
// so whenever anything is; only when nothing is does it name what differs from it in case alone (a path
// typed by hand, or kept from a system that ignores case). Either way one spelling is chosen first and
// everything after compares exactly, so the items of one twin never mix into the other's.

// The part of itemPath that spells path when the item is that path or lies below it, compared with the
// given sensitivity: "Docs" of "Docs/a.txt" for "docs" without regard to case, nothing for "docsX/a.txt".
// An empty path is spelt by every item.
std::optional<QStringView> spellingWithin(QStringView itemPath, QStringView path, Qt::CaseSensitivity sensitivity);

// Whether itemPath is path or lies below it, spelt exactly so.
inline bool isAtOrBelow(QStringView itemPath, QStringView path)
{
    return spellingWithin(itemPath, path, Qt::CaseSensitive).has_value();
}

// Chooses the spelling of a path from the items of an archive, offered in the archive's order. A listing
// that cannot look ahead keeps what each offer answers apart and takes one side at the end.
class SpellingLookup
{
public:
    explicit SpellingLookup(const QString &wanted);

    enum class Match {
        None,    // elsewhere, or spelt in other case after the exact spelling was seen
        Exact,   // the path itself or below it
        Folded,  // the first spelling in other case, or below it, while no exact one has been seen
    };
    Match offer(const QString &itemPath, bool isFolder);
    bool exactFound() const { return m_exact.seen; }

    // The path as the archive spells it: the path itself when an item is it or lies below it, otherwise
    // the first spelling that differs from it in case alone; nothing when neither exists.
    std::optional<QString> spelling() const;
    // Whether the chosen spelling names a folder: a folder item has it, or items lie below it.
    bool isFolder() const;
    // The chosen spelling when it names a folder.
    std::optional<QString> folder() const;

private:
    struct Candidate
    {
        QString spelling;
        bool seen = false;
        bool folder = false;
    };
    static bool note(Candidate &candidate, const QString &itemPath, bool isFolder);
    const Candidate *chosen() const;

    Candidate m_exact;
    Candidate m_folded;
};

}  // namespace orv
