#include "optionsapply.h"

#include "finder/settings/customkinds.h"
#include "finder/settings/optionsvalues.h"

namespace orv {

namespace {

const Place kCheckOrder[] = {Place::OneDrive,  Place::Dropbox,   Place::GoogleDrive, Place::Box,
                             Place::iCloudDrive, Place::Downloads, Place::Documents, Place::Music,
                             Place::Pictures,  Place::Videos,    Place::Desktop};

OptionsProblem locationProblem(Place place, const OptionsDraft &draft)
{
    const PlaceChoice &choice = draft.places[size_t(place)];
    const QString message = checkLocationFolder(place, choice.enabled, choice.folder);
    return message.isEmpty() ? OptionsProblem{} : OptionsProblem{locationPageId(place), message};
}

// The place values stay as they are until the link step takes them from the page choices.
void keepPlaceValues(SettingsValues &next, const SettingsValues &current)
{
    for (const PlaceDef &def : placeTable()) {
        next.*def.enabled = current.*def.enabled;
        if (def.folder)
            next.*def.folder = current.*def.folder;
    }
}

}  // namespace

OptionsDraft draftOf(const SettingsValues &values)
{
    OptionsDraft draft{values, {}};
    for (const PlaceDef &def : placeTable()) {
        PlaceChoice &choice = draft.places[size_t(def.place)];
        choice.enabled = values.*def.enabled;
        choice.folder = def.folder ? configuredFolder(values.*def.folder) : QString();
    }
    return draft;
}

OptionsProblem pageProblem(int pageId, const OptionsDraft &draft)
{
    if (pageId == OptionsPageId::History) {
        const QString message = checkHistorySteps(draft.values.nArchiveHistoryStepsShown);
        return message.isEmpty() ? OptionsProblem{} : OptionsProblem{pageId, message};
    }
    if (const std::optional<Place> place = placeOfPage(pageId))
        return locationProblem(*place, draft);
    return {};
}

OptionsProblem firstOptionsProblem(const OptionsDraft &draft)
{
    if (OptionsProblem problem = pageProblem(OptionsPageId::History, draft))
        return problem;
    for (Place place : kCheckOrder)
        if (OptionsProblem problem = locationProblem(place, draft))
            return problem;
    return {};
}

OptionsOutcome ApplyOptions(CSettings &settings, const OptionsDraft &draft)
{
    SettingsValues &values = settings.values();
    OptionsOutcome outcome;
    outcome.archiveTypesChanged = values.enabledTypes != draft.values.enabledTypes;
    outcome.customKindsChanged = customKindsDiffer(values.customArchives, draft.values.customArchives);
    SettingsValues next = draft.values;
    keepPlaceValues(next, values);
    values = next;
    const ApplyPlacesResult places = ApplyPlaceOptions(values, settings.programFolder(), draft.places);
    outcome.placesChanged = places.changed;
    outcome.linkProblems = places.problems;
    outcome.saved = settings.SaveSettings(CSettings::SaveCurrent);
    return outcome;
}

}  // namespace orv
