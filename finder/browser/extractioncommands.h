#pragma once

#include <QObject>
#include <QStringList>

class QIcon;
class QWidget;

namespace orv {

class CArchiveService;
class CBusyFlags;

// The extraction commands of the Archive menu and of the Found Files list, and the properties of an item
// inside an archive: the dialogs they show and the extraction they run, each through a layer of its own.
class CExtractionCommands : public QObject
{
    Q_OBJECT

public:
    // Dialogs and progress windows are owned by the dialog parent's window.
    CExtractionCommands(CArchiveService &archives, CBusyFlags &busy, QWidget *dialogParent);

    // "&Extract to...": asks for the folder, proposing the one beside the archive.
    bool ExtractTo(const QString &path);
    // "Extract &here": into the archive's own folder.
    bool ExtractHere(const QString &path);
    // "Extract &to <folder>": into the folder beside the archive, made when missing.
    bool ExtractToFolder(const QString &path);
    // "Extract checked items to the specified folder": one batch over the checked rows' paths.
    bool ExtractChecked(const QStringList &paths);
    // "&Properties...": the file or folder dialog of an item inside an archive, with the node's icon.
    void ShowProperties(const QString &path, const QIcon &icon);

private:
    QString archiveOf(const QString &path) const;
    bool extract(const QString &path, const QString &destination);

    CArchiveService &m_archives;
    CBusyFlags &m_busy;
    QWidget *m_parent;
};

}  // namespace orv
