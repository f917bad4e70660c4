#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace orv {

enum class SearchMode { Archives = 0, FilesInArchives = 1, ArchivesAndFiles = 2 };

// "Filter for" of a filter page.
enum class FilterFor { Archives = 0, FilesInArchives = 1, Both = 2 };
enum class SizeRelation { Equal = 0, NoLess = 1, NoMore = 2 };

// What the filters are asked about: an archive file on disk or an entry inside an archive.
enum class FilterKind { ArchiveOnDisk = 1, EntryInArchive = 2 };

// One filter page ("Include" or "Exclude"). The page is off while its first check box ("Include all
// files", "Do not exclude files") is set; its other values are then never looked at.
struct FilterPage
{
    bool bOff = true;
    FilterFor nFilterFor = FilterFor::Archives;
    bool bDateOn = false;
    std::int64_t tFrom = 0;  // seconds since 1970, both ends included
    std::int64_t tTo = 0;
    bool bSizeOn = false;
    SizeRelation nRelation = SizeRelation::Equal;
    std::int64_t nSize = 0;

    friend bool operator==(const FilterPage &, const FilterPage &) = default;
};

struct SearchCriteria
{
    QString strMode;  // one of the mode texts; the engine goes by it, ignoring case
    QString strArchiveMask;
    bool bIncludeSubfolders = true;
    bool bInnerFolder = false;  // set by the engine while a folder inside an archive is searched
    QString strInnerFolder;
    QString strFileMask;
    int nModeIndex = 0;
    FilterPage include;
    FilterPage exclude;
    bool bSkipCompressedTar = false;

    // Sets the mode index and its text together.
    void setMode(SearchMode mode);
    friend bool operator==(const SearchCriteria &, const SearchCriteria &) = default;
};

QString modeText(SearchMode mode);
// The mode a text names, ignoring case; none for any other text.
std::optional<SearchMode> modeOfText(const QString &text);

// The wildcard match of names without regard to case: "?" is one character, "*" any run, also empty;
// every other character, "." included, matches itself. Blanks around the name are ignored. An empty mask
// or name never matches. Runs in time proportional to name length times mask length at worst.
bool MatchMask(const QString &mask, const QString &name);

// A mask upper-cased once, for the engine's many names.
class CMask
{
public:
    explicit CMask(const QString &mask = {});
    bool matches(QStringView name) const;

private:
    QString m_upper;
    std::optional<QString> m_tail;  // after the star of a mask that is a star and a tail without wildcards
};

bool PassesInclude(const FilterPage &include, FilterKind kind, std::int64_t time, std::uint64_t size);
bool IsExcluded(const FilterPage &exclude, FilterKind kind, std::int64_t time, std::uint64_t size);

}  // namespace orv
