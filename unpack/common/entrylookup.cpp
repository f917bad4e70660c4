#include "entrylookup.h"

namespace orv {

std::optional<QStringView> spellingWithin(QStringView itemPath, QStringView path, Qt::CaseSensitivity sensitivity)
{
    if (path.isEmpty())
        return itemPath.first(0);
    if (itemPath.size() < path.size()
        || (itemPath.size() > path.size() && itemPath[path.size()] != QLatin1Char('/')))
        return std::nullopt;
    const QStringView head = itemPath.first(path.size());
    if (head.compare(path, sensitivity) != 0)
        return std::nullopt;
    return head;
}

SpellingLookup::SpellingLookup(const QString &wanted)
{
    m_exact.spelling = wanted;
}

bool SpellingLookup::note(Candidate &candidate, const QString &itemPath, bool isFolder)
{
    const std::optional<QStringView> spelt = spellingWithin(itemPath, candidate.spelling, Qt::CaseSensitive);
    if (!spelt)
        return false;
    candidate.seen = true;
    candidate.folder = candidate.folder || isFolder || spelt->size() < itemPath.size();
    return true;
}

SpellingLookup::Match SpellingLookup::offer(const QString &itemPath, bool isFolder)
{
    if (note(m_exact, itemPath, isFolder))
        return Match::Exact;
    if (m_exact.seen)
        return Match::None;
    if (!m_folded.seen) {
        const std::optional<QStringView> spelt = spellingWithin(itemPath, m_exact.spelling, Qt::CaseInsensitive);
        if (!spelt)
            return Match::None;
        m_folded.spelling = spelt->toString();
    }
    return note(m_folded, itemPath, isFolder) ? Match::Folded : Match::None;
}

const SpellingLookup::Candidate *SpellingLookup::chosen() const
{
    if (m_exact.seen)
        return &m_exact;
    return m_folded.seen ? &m_folded : nullptr;
}

std::optional<QString> SpellingLookup::spelling() const
{
    const Candidate *candidate = chosen();
    return candidate ? std::optional(candidate->spelling) : std::nullopt;
}

bool SpellingLookup::isFolder() const
{
    const Candidate *candidate = chosen();
    return candidate && candidate->folder;
}

std::optional<QString> SpellingLookup::folder() const
{
    return isFolder() ? spelling() : std::nullopt;
}

}  // namespace orv
