#pragma once

#include "zip/ziprecords.h"

#include <QString>

#include <memory>

class QObject;

namespace orv {

namespace zip {
class ZipUpdater;
}

// Creates ZIP archives and adds to them, through 7-Zip's library. Every change writes the whole new
// archive to a temporary file beside the old one and renames it over the old one only when all went
// well: a failed or interrupted change leaves the archive as it was, byte for byte. A self-extracting
// archive keeps its stub.
class CZipPacker
{
public:
    CZipPacker();
    virtual ~CZipPacker();
    CZipPacker(const CZipPacker &) = delete;
    CZipPacker &operator=(const CZipPacker &) = delete;

    // Told (TreeRefresh event, the archive's path) after every change of the archive.
    void SetWndArchiveTree(QObject *window);
    // Receives the pack progress and may ask to stop.
    void SetHandleDialogProgress(QObject *window);
    void SetIni(const INIPACK &ini);

    // A new archive at path; nothing is written before the first add, and an existing file there is
    // replaced only when that add succeeds.
    bool CreateArchive(const QString &path);
    // An existing archive; with readOnly set, only the look-ups are allowed.
    bool OpenArchive(const QString &path, bool readOnly);
    bool CloseArchive();

    bool AddFileToArchive(const QString &file);
    bool AddFileToArchiveFolder(const QString &file, const QString &archiveFolder);
    bool AddFolderToArchive(const QString &folder, const QString &base);
    bool AddFolderToArchiveFolder(const QString &folder, const QString &base, const QString &archiveFolder,
                                  bool recurse);

    // Make the entry current for GetFileFullInfo.
    bool FileExists(const QString &path);
    bool FolderExists(const QString &path);
    bool GetFileFullInfo(ZIPFILEFULLINFO &record) const;

    // newName is a name in the same folder or a whole path inside the archive.
    bool RenameFile(const QString &oldPath, const QString &newName);
    bool RenameFolder(const QString &oldPath, const QString &newName);

    // Why the last call failed; empty after success.
    QString GetLastErrorText() const;

private:
    std::unique_ptr<zip::ZipUpdater> m_impl;
};

}  // namespace orv
