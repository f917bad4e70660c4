#pragma once

#include "finder/archive/archiveaccess.h"
#include "finder/browser/passwordcache.h"
#include "finder/search/listingcatalogue.h"

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>

namespace orv {

class CBusyFlags;
struct SettingsValues;

// The archive side of the Archive Browser, without a widget: the settings every archive layer is made
// with, the password cache, and the steps of opening a file from an archive.
//
// Who may open what: every piece of work (a level of the tree, a status text, opening a file, a search,
// an extraction) takes a layer of its own from NewAccess() and drops it when done. Readers pump events,
// and a click handled in that pump starts other work; with separate layers that work never reaches the
// reader the running operation is inside. layer() answers the kind questions and opens nothing.
class CArchiveService
{
    Q_DECLARE_TR_FUNCTIONS(CArchiveService)

public:
    using FileLauncher = std::function<bool(const QString &path)>;
    using ExpandedQuery = CPasswordCacheObserver::ExpandedQuery;

    explicit CArchiveService(UnpackerCreator creator = createUnpackerOfKind);
    CArchiveService(const CArchiveService &) = delete;
    CArchiveService &operator=(const CArchiveService &) = delete;

    // Type lists, custom entries and the "Unpack" values for every layer made from now on.
    void ApplySettings(const SettingsValues &values);
    CArchiveAccess &layer() { return m_layer; }
    std::unique_ptr<CArchiveAccess> NewAccess() const;

    CPasswordCache &passwords() { return m_passwords; }
    // Whether the node of an archive is expanded: the cache holds a password only while it is.
    void setExpandedQuery(ExpandedQuery query) { m_isExpanded = std::move(query); }
    void setTemporaryFolder(const QString &folder) { m_tempFolder = folder; }
    const QString &temporaryFolder() const { return m_tempFolder; }
    void setBusyFlags(CBusyFlags *flags) { m_busy = flags; }
    // How a file extracted for opening is handed to its program; false when nothing opens it.
    void setFileLauncher(FileLauncher launcher) { m_launch = std::move(launcher); }
    // While set (an archive is being made), failed opens show no message.
    void setSuppressOpenErrors(bool suppress) { m_layer.SetSuppressOpenErrors(suppress); }
    bool openErrorsSuppressed() const { return m_layer.config().suppressOpenErrors; }

    // The catalogue of listings a search asks first: none while the option is off or when its file cannot be
    // opened (the search then reads every archive). Turning the option off leaves the file open, as a running
    // search may hold it.
    void setCatalogueEnabled(bool enabled) { m_catalogueEnabled = enabled; }
    CListingCatalogue *catalogue();
    // The same catalogue for a level of the tree, but none while a search runs (the tree may be used from
    // inside its event pump, and the catalogue is the search's until it ends) or while a password is kept
    // for the archive (the level is read with it, and the names of such an archive may be secret).
    CListingCatalogue *levelCatalogue(ArchiveKindCode kind, const QString &archivePath);

    // Extracts a file inside an archive to the temporary folder and opens it with its program. False for a
    // path that is no file inside an archive, and after a message when the file cannot be taken out or
    // nothing opens it.
    bool OpenFile(const QString &virtualPath);
    // Extracts a file or folder inside an archive into the temporary folder, for another program to take
    // (the end of a drag out of the tree); the progress window shows it and takes its stop request. False for
    // a path that is no item inside an archive, and after a message when the item cannot be taken out.
    bool ExtractForDragging(const QString &virtualPath, QObject *progress);

private:
    bool unpackToTemporary(CArchiveAccess &access, const COpenedArchive &archive, const QString &inner,
                           UnpackItem item, QObject *progress);

    CPasswordCache m_passwords;
    ExpandedQuery m_isExpanded;
    CPasswordCacheObserver m_observer;
    CArchiveAccess m_layer;
    QString m_tempFolder;
    CBusyFlags *m_busy = nullptr;
    FileLauncher m_launch;
    bool m_catalogueEnabled = false;
    bool m_catalogueFailed = false;
    std::unique_ptr<CListingCatalogue> m_catalogue;
};

}  // namespace orv
