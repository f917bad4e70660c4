#pragma once

#include "finder/places/places.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace orv {

enum class LinkResult {
    Made,        // the link stands and points at the folder (made now or already so)
    Removed,     // the link is gone (or there was none)
    Occupied,    // something that is not a link stands where the link goes; it was left alone
    NoFolder,    // no absolute folder to point at, or no usable name for the link
    BadLinkFolder,  // the folder that holds the links is missing, is a link itself or is not a folder
    Failed,      // the system refused; the error text says why
};

struct LinkOutcome
{
    LinkResult result = LinkResult::Failed;
    QString linkPath;
    QString error;

    bool ok() const { return result == LinkResult::Made || result == LinkResult::Removed; }
};

// Links are only ever made, replaced or removed where a link already stands: a real folder or file at
// the link's place is never touched, and no link is followed.
LinkOutcome makeDirectoryLink(const QString &linkFolder, const QString &name, const QString &target);
LinkOutcome removeDirectoryLink(const QString &linkPath);
// Creates the folder with its parents; false when it cannot be made or is not a plain folder.
bool ensureLinkFolder(const QString &folder);

// What an options page hands over for one place: its check box and (trimmed or not) folder text.
struct PlaceChoice
{
    bool enabled = false;
    QString folder;
};
using PlaceChoices = std::array<PlaceChoice, kPlaceCount>;  // indexed by Place

struct PlaceProblem
{
    Place place;
    LinkOutcome outcome;
};

struct ApplyPlacesResult
{
    QList<Place> changed;          // enabled state changed: the restart advice is due
    QList<PlaceProblem> problems;  // links that could not be made or removed
    QStringList sugarSyncFolders;  // as located, when SugarSync is on
    QString sugarSyncLinkFolder;   // empty unless SugarSync is on and has folders

    bool restartNeeded() const { return !changed.isEmpty(); }
};

// Confirming the options: copies each place's choice into the values and makes or removes its link
// beside the settings file. The caller saves the settings afterwards and decides whether to show the
// problems (describePlaceProblem).
ApplyPlacesResult ApplyPlaceOptions(SettingsValues &values, const QString &programFolder,
                                    const PlaceChoices &choices);
QString describePlaceProblem(const PlaceProblem &problem);

}  // namespace orv
