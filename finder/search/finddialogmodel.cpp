#include "finddialogmodel.h"

#include "finder/search/maskeditformat.h"

#include <QDateTime>

namespace orv {

namespace {
constexpr int kModeCount = 3;

bool filled(const QString &mask)
{
    return !mask.trimmed().isEmpty();
}

void resetPage(FilterPageState &page, const QDate &today)
{
    page = FilterPageState{};
    page.fromDate = today;
    page.fromTime = QTime(0, 0, 0);
    page.toDate = today;
    page.toTime = QTime(23, 59, 59);
}
}  // namespace

CFindDialogModel::CFindDialogModel(FilterChoices remembered, const QDate &today) : m_remembered(remembered)
{
    resetPage(include, today);
    resetPage(exclude, today);
}

QStringList CFindDialogModel::modeTexts()
{
    return {modeText(SearchMode::Archives), modeText(SearchMode::FilesInArchives),
            modeText(SearchMode::ArchivesAndFiles)};
}

QStringList CFindDialogModel::filterForTexts()
{
    return {tr("Archives"), tr("Files in archives"), tr("Archives and files in them")};
}

QStringList CFindDialogModel::relationTexts()
{
    return {tr("Exactly equal to"), tr("No less than"), tr("No more than")};
}

void CFindDialogModel::setMode(int modeIndex)
{
    m_mode = modeIndex >= 0 && modeIndex < kModeCount ? modeIndex : 0;
    const bool archivesOnly = m_mode == static_cast<int>(SearchMode::Archives);
    include.nFilterFor = archivesOnly ? 0 : static_cast<int>(m_remembered.include);
    exclude.nFilterFor = archivesOnly ? 0 : static_cast<int>(m_remembered.exclude);
}

QStringList CFindDialogModel::filterForItems() const
{
    const QStringList all = filterForTexts();
    return m_mode == static_cast<int>(SearchMode::Archives) ? all.mid(0, 1) : all;
}

OptionsEnabling CFindDialogModel::optionsEnabling() const
{
    OptionsEnabling on;
    switch (static_cast<SearchMode>(m_mode)) {
    case SearchMode::Archives:
        on = {true, true, false, false, filled(strArchiveMask)};
        break;
    case SearchMode::FilesInArchives:
        on = {false, false, true, true, filled(strFileMask)};
        break;
    case SearchMode::ArchivesAndFiles:
        on = {true, true, true, true, filled(strArchiveMask) && filled(strFileMask)};
        break;
    }
    return on;
}

FilterPageEnabling CFindDialogModel::pageEnabling(const FilterPageState &page)
{
    if (page.bAllFiles)
        return {};
    return {true, true, page.bDateOn, true, page.bSizeOn};
}

std::optional<std::int64_t> CFindDialogModel::sizeValue(const QString &shown)
{
    const QString digits = MaskEditFormat::valueOf(shown);
    if (digits.isEmpty())
        return 0;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok, 10);
    return ok ? std::optional<std::int64_t>(value) : std::nullopt;
}

std::int64_t CFindDialogModel::localSeconds(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::LocalTime).toSecsSinceEpoch();
}

std::optional<QString> CFindDialogModel::pageProblem(const FilterPageState &page)
{
    if (pageRead(page) && page.bSizeOn && !sizeValue(page.strSize))
        return tr("The size %1 is too large: it can have at most 19 digits and be no more than "
                  "9 223 372 036 854 775 807 bytes.")
            .arg(page.strSize);
    return std::nullopt;
}

std::optional<QString> CFindDialogModel::inputProblem() const
{
    if (std::optional<QString> problem = pageProblem(include))
        return problem;
    return pageProblem(exclude);
}

FilterPage CFindDialogModel::pageFilter(const FilterPageState &page)
{
    FilterPage filter;
    if (!pageRead(page))
        return filter;
    filter.bOff = false;
    filter.nFilterFor = static_cast<FilterFor>(page.nFilterFor);
    filter.bDateOn = page.bDateOn;
    if (page.bDateOn) {
        filter.tFrom = localSeconds(page.fromDate, page.fromTime);
        filter.tTo = localSeconds(page.toDate, page.toTime);
    }
    filter.bSizeOn = page.bSizeOn;
    if (page.bSizeOn) {
        filter.nRelation = static_cast<SizeRelation>(page.nRelation);
        filter.nSize = sizeValue(page.strSize).value_or(0);
    }
    return filter;
}

SearchCriteria CFindDialogModel::criteria() const
{
    SearchCriteria criteria;
    criteria.strArchiveMask = strArchiveMask.trimmed();
    criteria.strFileMask = strFileMask.trimmed();
    criteria.bIncludeSubfolders = bIncludeSubfolders;
    criteria.bSkipCompressedTar = bSkipCompressedTar;
    criteria.setMode(static_cast<SearchMode>(m_mode));
    criteria.include = pageFilter(include);
    criteria.exclude = pageFilter(exclude);
    return criteria;
}

FilterChoices CFindDialogModel::choicesToRemember() const
{
    FilterChoices choices = m_remembered;
    // In "Search of archives" the only item is "Archives": that is no choice of the user's.
    if (m_mode == static_cast<int>(SearchMode::Archives))
        return choices;
    if (pageRead(include))
        choices.include = static_cast<FilterFor>(include.nFilterFor);
    if (pageRead(exclude))
        choices.exclude = static_cast<FilterFor>(exclude.nFilterFor);
    return choices;
}

}  // namespace orv
