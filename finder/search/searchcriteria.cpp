#include "searchcriteria.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace orv {

namespace {

const char *const kModeTexts[] = {
    QT_TRANSLATE_NOOP("SearchCriteria", "Search of archives"),
    QT_TRANSLATE_NOOP("SearchCriteria", "Search of files in archives"),
    QT_TRANSLATE_NOOP("SearchCriteria", "Search of archives and files in them"),
};

// The classic single-backtrack wildcard walk: a mismatch after a "*" retries the mask just after that
// "*" one name character further on. Earlier "*"s never need revisiting, because a later "*" can absorb
// anything they could, so the work stays bounded by name length times mask length.
bool matchUpper(QStringView mask, QStringView name)
{
    qsizetype m = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype retryFrom = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == QLatin1Char('*')) {
            starAt = m++;
            if (m == mask.size())
                return true;
            retryFrom = n;
        } else if (m < mask.size() && (mask[m] == QLatin1Char('?') || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (starAt >= 0) {
            m = starAt + 1;
            n = ++retryFrom;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == QLatin1Char('*'))
        ++m;
    return m == mask.size();
}

char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

bool isAsciiText(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The verdict of an active filter page, or none when the page does not apply to this kind.
std::optional<bool> pageHolds(const FilterPage &page, FilterKind kind, std::int64_t time, std::uint64_t size)
{
    if (page.bOff || (!page.bDateOn && !page.bSizeOn))
        return std::nullopt;
    if (page.nFilterFor != FilterFor::Both && int(page.nFilterFor) + 1 != int(kind))
        return std::nullopt;
    if (page.bDateOn && (time < page.tFrom || time > page.tTo))
        return false;
    if (!page.bSizeOn)
        return true;
    // A negative bound is below every size.
    const bool negative = page.nSize < 0;
    const std::uint64_t bound = negative ? 0 : std::uint64_t(page.nSize);
    switch (page.nRelation) {
    case SizeRelation::Equal:
        return !negative && size == bound;
    case SizeRelation::NoLess:
        return negative || size >= bound;
    case SizeRelation::NoMore:
        return !negative && size <= bound;
    }
    return false;
}

}  // namespace

QString modeText(SearchMode mode)
{
    return QCoreApplication::translate("SearchCriteria", kModeTexts[int(mode)]);
}

std::optional<SearchMode> modeOfText(const QString &text)
{
    for (SearchMode mode : {SearchMode::Archives, SearchMode::FilesInArchives, SearchMode::ArchivesAndFiles})
        if (text.compare(modeText(mode), Qt::CaseInsensitive) == 0)
            return mode;
    return std::nullopt;
}

void SearchCriteria::setMode(SearchMode mode)
{
    nModeIndex = int(mode);
    strMode = modeText(mode);
}

CMask::CMask(const QString &mask) : m_upper(mask.toUpper())
{
    // A star and an ASCII tail, the commonest mask, needs only the name's end compared.
    const QStringView tail = QStringView(m_upper).sliced(std::min<qsizetype>(1, m_upper.size()));
    if (m_upper.startsWith(QLatin1Char('*')) && !tail.isEmpty() && isAsciiText(tail) && !tail.contains(u'*')
        && !tail.contains(u'?'))
        m_tail = tail.toString();
}

bool CMask::matches(QStringView name) const
{
    if (m_upper.isEmpty())
        return false;
    const QStringView trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return false;
    // An end beyond ASCII, or a name shorter than the tail, may change length when upper-cased: the whole
    // walk below decides those.
    if (m_tail && trimmed.size() >= m_tail->size() && isAsciiText(trimmed.last(m_tail->size()))) {
        const QStringView end = trimmed.last(m_tail->size());
        for (qsizetype i = 0; i < end.size(); ++i) {
            if (asciiUpper(end[i].unicode()) != (*m_tail)[i].unicode())
                return false;
        }
        return true;
    }
    // Nearly every name is short and ASCII, and is upper-cased on the stack rather than in a new string.
    std::array<char16_t, 256> upper;
    if (trimmed.size() <= qsizetype(upper.size())) {
        bool ascii = true;
        for (qsizetype i = 0; i < trimmed.size() && ascii; ++i) {
            const char16_t c = trimmed[i].unicode();
            ascii = c < 0x80;
            upper[std::size_t(i)] = asciiUpper(c);
        }
        if (ascii)
            return matchUpper(m_upper, QStringView(upper.data(), trimmed.size()));
    }
    return matchUpper(m_upper, trimmed.toString().toUpper());
}

bool MatchMask(const QString &mask, const QString &name)
{
    return CMask(mask).matches(name);
}

bool PassesInclude(const FilterPage &include, FilterKind kind, std::int64_t time, std::uint64_t size)
{
    return pageHolds(include, kind, time, size).value_or(true);
}

bool IsExcluded(const FilterPage &exclude, FilterKind kind, std::int64_t time, std::uint64_t size)
{
    return pageHolds(exclude, kind, time, size).value_or(false);
}

}  // namespace orv
