#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace orv {

// The values of the settings file, one field per key. Booleans and integers hold what was read; folders
// hold a path or the marker "Empty".
struct SettingsValues
{
    // Creation and adding
    bool bAskBeforeCreation = false;
    int nCompressionLevel = -1;
    int nCompressionMethod = 0;
    // Encryption
    bool bEnableEncryption = false;
    int nEncryptionMethod = 0;
    bool bEnableRulesForPasswords = false;
    int nRuleForPasswords = 1;
    // Pack
    bool bPackFilesWithoutPaths = true;
    bool bPackFoldersWithoutPaths = false;
    bool bAskBeforeUpdating = true;
    // Unpack
    bool bUnpackFilesWithoutPaths = true;
    bool bUnpackFoldersWithoutPaths = false;
    bool bUnpackArchivesWithoutPaths = false;
    bool bAskBeforeOverwriting = true;
    // System
    bool bEnableDraggingFromArchive = true;
    bool bEnableDraggingToArchive = true;
    bool bEnableDoubleClickToOpen = true;
    // Interface
    int nDraggingImageForModeClearType = 2;
    bool bEnableShowTooltipForToolbars = true;
    bool bEnableShowTooltipForBackOrForwardMenu = false;
    bool bEnableShowTooltipForBookmarksMenu = true;
    int nArchiveHistoryStepsShown = 5;
    // CloudDrives
    bool bEnableOneDrive = false;
    QString strOneDriveUserFolder = QStringLiteral("Empty");
    bool bEnableDropbox = false;
    QString strDropboxUserFolder = QStringLiteral("Empty");
    bool bEnableGoogleDrive = false;
    QString strGoogleDriveUserFolder = QStringLiteral("Empty");
    bool bEnableSugarSync = false;
    bool bEnableBox = false;
    QString strBoxUserFolder = QStringLiteral("Empty");
    bool bEnableiCloudDrive = false;
    QString striCloudDriveUserFolder = QStringLiteral("Empty");
    // SpecialFolders
    bool bEnableDesktop = false;
    QString strDesktopUserFolder = QStringLiteral("Empty");
    bool bEnableDownloads = false;
    QString strDownloadsUserFolder = QStringLiteral("Empty");
    bool bEnableDocuments = false;
    QString strDocumentsUserFolder = QStringLiteral("Empty");
    bool bEnableMusic = false;
    QString strMusicUserFolder = QStringLiteral("Empty");
    bool bEnablePictures = false;
    QString strPicturesUserFolder = QStringLiteral("Empty");
    bool bEnableVideos = false;
    QString strVideosUserFolder = QStringLiteral("Empty");

    // "ZIP" first, then the enabled type names in table order.
    QStringList enabledTypes{QStringLiteral("ZIP")};
    QStringList disabledTypes;
    // "key=value" per entry of "Custom archives", in file order.
    QStringList customArchives;
};

// The settings file "orvfind.ini" under the application-data folder: read once at start, written when it is
// first created and when the options are confirmed.
class CSettings
{
    Q_DECLARE_TR_FUNCTIONS(CSettings)

public:
    enum SaveMode { SaveDefaults = 0, SaveCurrent = 1 };

    CSettings();

    // Reads every value; writes the default file first when there is none. A file that cannot be written is
    // reported through the prompter and the values then come from the read defaults.
    void LoadSettings();
    // False (after a message naming the file) when the file could not be written; the old file stays.
    bool SaveSettings(int mode);

    SettingsValues &values() { return m_values; }
    const SettingsValues &values() const { return m_values; }
    // The application-data folder and the program's folder inside it (where the file and its neighbours live).
    const QString &applicationDataFolder() const { return m_appDataFolder; }
    QString programFolder() const;
    const QString &filePath() const { return m_filePath; }

private:
    void locateFile();

    SettingsValues m_values;
    QString m_appDataFolder;
    QString m_filePath;
};

}  // namespace orv
