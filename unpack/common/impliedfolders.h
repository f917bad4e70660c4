#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace orv {

// The folders that the paths of the items imply but no header names, each once, in the order the items
// first imply them. Case matters: "A/x" and "a/y" in a tar are two folders.
class ImpliedFolders
{
public:
    // An item of the listing, a folder or not.
    void addItem(const QString &path, bool folder);
    // A folder a header names.
    void addFolder(const QString &path) { m_named.insert(path); }
    // The parent folder of an item, the part of its path before the last "/".
    void addParent(QStringView parent);
    // Once the last item is in: the implied folders, parents before children.
    QStringList folders();

private:
    QSet<QString> m_named;
    QSet<QString> m_parentsSeen;
    QStringList m_parents;  // in the order first seen
    QString m_lastParent;
};

}  // namespace orv
