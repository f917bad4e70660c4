#pragma once

#include "finder/search/searchcriteria.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>
#include <QTime>

#include <optional>

namespace orv {

// The "Filter for" choices of the two filter pages, kept from one search to the next.
struct FilterChoices
{
    FilterFor include = FilterFor::Archives;
    FilterFor exclude = FilterFor::Archives;
};

// What a filter page ("Include" or "Exclude") shows.
struct FilterPageState
{
    bool bAllFiles = true;  // "Include all files" or "Do not exclude files": the page is off
    int nFilterFor = 0;     // index into the page's "Filter for" items
    bool bDateOn = false;
    QDate fromDate;
    QTime fromTime;
    QDate toDate;
    QTime toTime;
    bool bSizeOn = false;
    int nRelation = 0;
    QString strSize;  // as shown, with its blanks
};

struct FilterPageEnabling
{
    bool filterFor = false;
    bool dateCheck = false;
    bool datePickers = false;
    bool sizeCheck = false;
    bool sizeValue = false;  // the relation combo and the number edit

    friend bool operator==(const FilterPageEnabling &, const FilterPageEnabling &) = default;
};

struct OptionsEnabling
{
    bool archiveMask = false;
    bool subfolders = false;
    bool fileMask = false;
    bool skipCompressedTar = false;
    bool find = false;

    friend bool operator==(const OptionsEnabling &, const OptionsEnabling &) = default;
};

// The state and rules of the Find dialog without its widgets: which controls are enabled in each mode and
// on each filter page, and the criteria that "&Find" makes of the values. A new model starts from the
// defaults except for the "Filter for" choices of the previous search.
class CFindDialogModel
{
    Q_DECLARE_TR_FUNCTIONS(CFindArchives)

public:
    explicit CFindDialogModel(FilterChoices remembered = {}, const QDate &today = QDate::currentDate());

    static QStringList modeTexts();
    static QStringList filterForTexts();
    static QStringList relationTexts();

    void setMode(int modeIndex);
    int mode() const { return m_mode; }
    // The "Filter for" items both pages offer in the current mode.
    QStringList filterForItems() const;

    QString strArchiveMask;
    QString strFileMask;
    bool bIncludeSubfolders = true;
    bool bSkipCompressedTar = false;
    FilterPageState include;
    FilterPageState exclude;

    OptionsEnabling optionsEnabling() const;
    static FilterPageEnabling pageEnabling(const FilterPageState &page);

    // Why "&Find" cannot proceed with these values (a size beyond the largest number), or none.
    std::optional<QString> inputProblem() const;
    // The criteria of "&Find"; the pages' values are copied only for a page that is on.
    SearchCriteria criteria() const;
    // The choices to offer next time: a page's "Filter for" when it was read for this search, else the
    // choice kept from before.
    FilterChoices choicesToRemember() const;

    // A size text without its blanks as a signed 64-bit number: empty counts as 0, too large as none.
    static std::optional<std::int64_t> sizeValue(const QString &shown);
    // Why a filter page's values cannot be used (a size beyond the largest number), or none.
    static std::optional<QString> pageProblem(const FilterPageState &page);
    // The filter of a page; a page that is off gives the default filter, whatever else it shows.
    static FilterPage pageFilter(const FilterPageState &page);
    static std::int64_t localSeconds(const QDate &date, const QTime &time);

private:
    static bool pageRead(const FilterPageState &page) { return !page.bAllFiles; }

    int m_mode = 0;
    FilterChoices m_remembered;
};

}  // namespace orv
