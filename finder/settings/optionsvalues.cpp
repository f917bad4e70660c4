#include "optionsvalues.h"

#include "finder/settings/archivetypes.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace orv {

namespace {

class OptionsTexts
{
    Q_DECLARE_TR_FUNCTIONS(COptions)
};

QString displayName(Place place)
{
    return QString::fromLatin1(placeDef(place).displayName);
}

struct LocationPage
{
    Place place;
    int pageId;
};

const LocationPage kLocationPages[] = {
    {Place::OneDrive, 347}, {Place::Dropbox, 348}, {Place::GoogleDrive, 349}, {Place::SugarSync, 361},
    {Place::Box, 360},      {Place::iCloudDrive, 384}, {Place::Desktop, 383},  {Place::Downloads, 355},
    {Place::Documents, 354}, {Place::Music, 358},     {Place::Pictures, 356}, {Place::Videos, 357},
};

}  // namespace

const RadioListMapping kCompressionMethodMapping{3, 0, {-1}, 0};
const RadioListMapping kCompressionLevelMapping{10, 6, {-1, -2}, -1};
const RadioListMapping kEncryptionMethodMapping{4, 0, {-1}, 0};

RadioWithList choiceOf(const RadioListMapping &mapping, int value)
{
    if (value >= 0 && value < mapping.listCount)
        return {0, value};
    const qsizetype other = mapping.otherRadios.indexOf(value);
    if (other >= 0)
        return {int(other) + 1, mapping.idleIndex};
    return choiceOf(mapping, mapping.fallback);
}

int valueOf(const RadioListMapping &mapping, const RadioWithList &choice)
{
    if (choice.radio == 0)
        return std::clamp(choice.listIndex, 0, mapping.listCount - 1);
    return mapping.otherRadios.value(choice.radio - 1, mapping.fallback);
}

int radioIndexOf(int value, int count, int fallback)
{
    return value >= 0 && value < count ? value : fallback;
}

const QStringList &additionalArchiveRows()
{
    static const QStringList rows{
        OptionsTexts::tr("MS-Cabinet (*.cab)"),
        OptionsTexts::tr("RAR archive (*.rar)"),
        OptionsTexts::tr("Java archive (*.jar)"),
        OptionsTexts::tr("Xap archive (*.xap)"),
        OptionsTexts::tr("7-Zip archive (*.7z)"),
        OptionsTexts::tr("7-Zip multi-volume archive (*.001)"),
        OptionsTexts::tr("GZip archive (*.gz)"),
        OptionsTexts::tr("GZip archive (*.gzip)"),
        OptionsTexts::tr("BZip2 archive (*.bz)"),
        OptionsTexts::tr("BZip2 archive (*.bz2)"),
        OptionsTexts::tr("BZip2 archive (*.bzip2)"),
        OptionsTexts::tr("XZ archive (*.xz)"),
        OptionsTexts::tr("TAR archive (*.tar)"),
        OptionsTexts::tr("GZip compressed Tar archive (*.tgz)"),
        OptionsTexts::tr("BZip2 compressed Tar archive (*.tbz)"),
        OptionsTexts::tr("BZip2 compressed Tar archive (*.tbz2)"),
        OptionsTexts::tr("XZ compressed Tar archive (*.txz)"),
        OptionsTexts::tr("Iso image (*.iso)"),
        OptionsTexts::tr("Check for self-extracting archive (*.exe)"),
    };
    return rows;
}

QList<bool> ticksOfTypes(const QStringList &enabledTypes)
{
    QList<bool> ticks;
    for (const QString &name : archiveTypeNames())
        ticks << enabledTypes.contains(name);
    return ticks;
}

void typesOfTicks(const QList<bool> &ticks, QStringList &enabledTypes, QStringList &disabledTypes)
{
    enabledTypes = QStringList{QStringLiteral("ZIP")};
    disabledTypes.clear();
    const QStringList &names = archiveTypeNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        (ticks.value(i) ? enabledTypes : disabledTypes) << names[i];
}

const QList<OptionsTreeItem> &optionsTree()
{
    using namespace OptionsPageId;
    static const QList<OptionsTreeItem> tree = [] {
        QList<OptionsTreeItem> items{
            {OptionsTexts::tr("Creation and Adding"), 0, CreationAndAdding},
            {OptionsTexts::tr("Encryption"), 0, Encryption},
            {OptionsTexts::tr("Pack"), 0, Pack},
            {OptionsTexts::tr("Unpack"), 0, Unpack},
            {OptionsTexts::tr("System"), 0, System},
            {OptionsTexts::tr("Interface"), 0, DragImage},
            {OptionsTexts::tr("Drag Image"), 1, DragImage},
            {OptionsTexts::tr("Show Tooltips"), 1, ShowTooltips},
            {OptionsTexts::tr("History"), 1, History},
            {OptionsTexts::tr("Additional Archives"), 0, AdditionalArchives},
            {OptionsTexts::tr("Custom Archives"), 0, CustomArchives},
            {OptionsTexts::tr("Cloud Drives"), 0, locationPageId(Place::OneDrive)},
        };
        for (Place place : {Place::OneDrive, Place::Dropbox, Place::GoogleDrive, Place::SugarSync, Place::Box,
                            Place::iCloudDrive})
            items.append({displayName(place), 1, locationPageId(place)});
        items.append({OptionsTexts::tr("Special Folders"), 0, locationPageId(Place::Desktop)});
        for (Place place : {Place::Desktop, Place::Downloads, Place::Documents, Place::Music, Place::Pictures,
                            Place::Videos})
            items.append({displayName(place), 1, locationPageId(place)});
        return items;
    }();
    return tree;
}

int locationPageId(Place place)
{
    for (const LocationPage &page : kLocationPages)
        if (page.place == place)
            return page.pageId;
    return 0;
}

std::optional<Place> placeOfPage(int pageId)
{
    for (const LocationPage &page : kLocationPages)
        if (page.pageId == pageId)
            return page.place;
    return std::nullopt;
}

QString checkHistorySteps(int steps)
{
    if (steps >= 5 && steps <= 20)
        return {};
    return OptionsTexts::tr("The number of steps in Archive Browser history can be from 5 to 20.");
}

// A file is no folder to link to, so only a folder passes.
QString checkLocationFolder(Place place, bool enabled, const QString &folder)
{
    if (!enabled || place == Place::SugarSync)
        return {};
    const QString trimmed = folder.trimmed();
    if (!trimmed.isEmpty() && QFileInfo(trimmed).isDir())
        return {};
    return OptionsTexts::tr("The folder specified for %1 does not exist.").arg(displayName(place));
}

QString locationNotFoundMessage(Place place)
{
    if (place == Place::SugarSync)
        return OptionsTexts::tr("SugarSync user folders is not found.");
    return OptionsTexts::tr("%1 user folder is not found. Specify its location manually.").arg(displayName(place));
}

QString locationBrowserTitle(Place place)
{
    return OptionsTexts::tr("%1 Folder").arg(displayName(place));
}

QString locationBrowserPrompt(Place place)
{
    return OptionsTexts::tr("Choose %1 user folder").arg(displayName(place));
}

// The Google Drive page has always said "Coogle"; its text is kept as it is.
QString locationEnableText(Place place)
{
    if (place == Place::GoogleDrive)
        return OptionsTexts::tr("Enable Coogle Drive");
    return OptionsTexts::tr("Enable %1").arg(displayName(place));
}

}  // namespace orv
