#pragma once

#include <QComboBox>

namespace orv {

// The "Add in" drop-down: the store's root and every folder below it, depth first, each indented by its
// depth under its parent and drawn with the folder icon.
class COrvelBookmarksFolders : public QComboBox
{
    Q_OBJECT

public:
    explicit COrvelBookmarksFolders(QWidget *parent = nullptr);

    // Lists the folders again and selects the root.
    void Fill(const QString &root);
    QString selectedFolder() const;
    void selectFolder(const QString &path);
};

}  // namespace orv
