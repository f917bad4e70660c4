#pragma once

#include "finder/places/placelinks.h"
#include "finder/settings/settings.h"

#include <QList>
#include <QString>

namespace orv {

// What the Options dialog's pages hold between opening and OK: every value, and per location the page's
// check box and folder text, which become values only through the link step.
struct OptionsDraft
{
    SettingsValues values;
    PlaceChoices places;
};

// The draft of the values as they are now.
OptionsDraft draftOf(const SettingsValues &values);

// The first value the dialog cannot take, in the order OK checks them: the History steps, then the
// locations OneDrive, Dropbox, Google Drive, Box, iCloud Drive, Downloads, Documents, Music, Pictures,
// Videos and Desktop. The page that holds it and its message; pageId 0 when all is well.
struct OptionsProblem
{
    int pageId = 0;
    QString message;

    explicit operator bool() const { return pageId != 0; }
};
OptionsProblem firstOptionsProblem(const OptionsDraft &draft);
// The problem of one page, checked when the user leaves it.
OptionsProblem pageProblem(int pageId, const OptionsDraft &draft);

// What OK did: the changes that are read only at start-up (so the restart advice is due), the links that
// could not be made or removed, and whether the file was written.
struct OptionsOutcome
{
    bool archiveTypesChanged = false;
    bool customKindsChanged = false;
    QList<Place> placesChanged;
    QList<PlaceProblem> linkProblems;
    bool saved = false;

    bool restartNeeded() const { return archiveTypesChanged || customKindsChanged || !placesChanged.isEmpty(); }
};

// OK: copies the draft into the settings, makes or removes the location links, and writes the file
// (a write failure is reported by the settings themselves). Only a real change sets a restart flag:
// a box ticked and cleared again before OK changes nothing.
OptionsOutcome ApplyOptions(CSettings &settings, const OptionsDraft &draft);

}  // namespace orv
