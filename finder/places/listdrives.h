#pragma once

#include "finder/places/clouddriveitem.h"
#include "finder/places/mounttable.h"

#include <QList>
#include <QString>

#include <vector>

namespace orv {

// One entry of the places drop-down: its text, the path it opens and what the icon is taken from.
struct PlaceListItem
{
    QString text;
    QString path;
    bool isDrive = true;
    DriveType type = DriveType::Fixed;
    QString iconFile;  // for a root with an icon of its own
};

// The places the Archive Browser can open: every drive, then the cloud and special roots. The widget
// that shows them only copies these items.
class CListDrives
{
public:
    // Answers the number of items.
    int Fill(const QList<CDriveInfo> &drives, const std::vector<CCloudDriveItem> &roots);

    const QList<PlaceListItem> &items() const { return m_items; }
    // The number of drives before the first fixed one: the drive to select after filling. With no fixed
    // drive it equals the number of drives, which is the first root.
    int firstFixedIndex() const { return m_firstFixed; }
    // The item to select: the first fixed drive, else the first root, else the first item; -1 when empty.
    int selectionIndex() const;

private:
    QList<PlaceListItem> m_items;
    int m_firstFixed = 0;
};

int firstFixedDriveIndex(const QList<CDriveInfo> &drives);
// The name the desktop gives the root's folder.
QString rootDisplayName(const CCloudDriveItem &root);

}  // namespace orv
