#pragma once

#include "finder/places/places.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orv {

// A radio group with a list beside its first button: which button is on, and the entry the list shows.
struct RadioWithList
{
    int radio = 0;
    int listIndex = 0;

    friend bool operator==(const RadioWithList &, const RadioWithList &) = default;
};

// How a setting maps onto such a group: the values 0 to listCount - 1 turn the first button on with that
// entry; each further button stands for one value, and the list then shows its idle entry. A value that is
// none of these shows as the fallback value does.
struct RadioListMapping
{
    int listCount;
    int idleIndex;
    QList<int> otherRadios;
    int fallback;
};

// "Always use method" DEFLATE, BZIP2, LZMA, or "Ask before adding" (-1).
extern const RadioListMapping kCompressionMethodMapping;
// "Always use level" 0 to 9, "Default compression" (-1) or "Ask before adding" (-2); "6 - default" shown idle.
extern const RadioListMapping kCompressionLevelMapping;
// "Always use method" Zip 2.0, AES-128, AES-192, AES-256, or "Ask before adding" (-1).
extern const RadioListMapping kEncryptionMethodMapping;

RadioWithList choiceOf(const RadioListMapping &mapping, int value);
int valueOf(const RadioListMapping &mapping, const RadioWithList &choice);

// A group of radio buttons for the values 0 to count - 1; any other value turns on the fallback's button.
int radioIndexOf(int value, int count, int fallback);

// The rows of the Additional Archives page, one per archive type name in table order.
const QStringList &additionalArchiveRows();
// Which rows are ticked: the types in the enabled list.
QList<bool> ticksOfTypes(const QStringList &enabledTypes);
// "ZIP" and the ticked type names in row order, then the others into the disabled list.
void typesOfTicks(const QList<bool> &ticks, QStringList &enabledTypes, QStringList &disabledTypes);

// The pages of the Options dialog, by their dialog numbers. A group item shows its first child's page.
namespace OptionsPageId {
constexpr int CreationAndAdding = 334;
constexpr int Encryption = 359;
constexpr int Pack = 333;
constexpr int Unpack = 331;
constexpr int System = 332;
constexpr int DragImage = 337;
constexpr int ShowTooltips = 335;
constexpr int History = 336;
constexpr int AdditionalArchives = 330;
constexpr int CustomArchives = 385;
}  // namespace OptionsPageId

struct OptionsTreeItem
{
    QString text;
    int level;   // 0 top, 1 inside a group
    int pageId;
};

// The tree in its order; the cloud group is there only where cloud folders can be used (always, here).
const QList<OptionsTreeItem> &optionsTree();
// The page of a location, and the location of a page (none for the other pages).
int locationPageId(Place place);
std::optional<Place> placeOfPage(int pageId);

// "The number of steps ..." when the History box holds a number outside 5 to 20, else empty.
QString checkHistorySteps(int steps);
// The does-not-exist message of a location whose box is ticked but whose folder, trimmed, is no folder.
QString checkLocationFolder(Place place, bool enabled, const QString &folder);
// A location's texts on its page.
QString locationNotFoundMessage(Place place);
QString locationBrowserTitle(Place place);
QString locationBrowserPrompt(Place place);
QString locationEnableText(Place place);

}  // namespace orv
