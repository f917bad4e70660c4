#include "settings.h"

#include "finder/settings/archivetypes.h"
#include "platform/knownfolders.h"
#include "platform/product.h"
#include "platform/profile.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFileInfo>

#include <span>
#include <variant>

namespace orv {

namespace {

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");
const QString kAdditional = QStringLiteral("Additional archives");
const QString kCustom = QStringLiteral("Custom archives");

enum class KeyType {
    Bool,          // true only for "Yes"
    BoolUnlessNo,  // true for anything but "No"
    Int,
    Folder,
};

using Field = std::variant<bool SettingsValues::*, int SettingsValues::*, QString SettingsValues::*>;

struct KeyDef
{
    const char *section;
    const char *key;
    KeyType type;
    Field field;
    const char *readDefault;
    const char *fileDefault;
};

using V = SettingsValues;

// The keys in file order; the two default columns differ on purpose for a few keys (a new file turns them
// on, an old file that lacks them keeps the earlier behaviour).
const KeyDef kMainKeys[] = {
    {"Creation and adding", "AskBeforeCreation", KeyType::Bool, &V::bAskBeforeCreation, "No", "No"},
    {"Creation and adding", "CompressionLevel", KeyType::Int, &V::nCompressionLevel, "-1", "-1"},
    {"Creation and adding", "CompressionMethod", KeyType::Int, &V::nCompressionMethod, "0", "0"},
    {"Encryption", "EnableEncryption", KeyType::Bool, &V::bEnableEncryption, "No", "Yes"},
    {"Encryption", "EncryptionMethod", KeyType::Int, &V::nEncryptionMethod, "0", "0"},
    {"Encryption", "EnableRulesForPasswords", KeyType::Bool, &V::bEnableRulesForPasswords, "No", "No"},
    {"Encryption", "RuleForPasswords", KeyType::Int, &V::nRuleForPasswords, "1", "0"},
    {"Pack", "PackFilesWithoutPaths", KeyType::Bool, &V::bPackFilesWithoutPaths, "Yes", "Yes"},
    {"Pack", "PackFoldersWithoutPaths", KeyType::Bool, &V::bPackFoldersWithoutPaths, "No", "Yes"},
    {"Pack", "AskBeforeUpdating", KeyType::Bool, &V::bAskBeforeUpdating, "Yes", "Yes"},
    {"Unpack", "UnpackFilesWithoutPaths", KeyType::Bool, &V::bUnpackFilesWithoutPaths, "Yes", "Yes"},
    {"Unpack", "UnpackFoldersWithoutPaths", KeyType::Bool, &V::bUnpackFoldersWithoutPaths, "No", "Yes"},
    {"Unpack", "UnpackArchivesWithoutPaths", KeyType::Bool, &V::bUnpackArchivesWithoutPaths, "No", "No"},
    {"Unpack", "AskBeforeOverwriting", KeyType::Bool, &V::bAskBeforeOverwriting, "Yes", "Yes"},
    {"System", "EnableDraggingFromArchiveToOtherApplications", KeyType::Bool, &V::bEnableDraggingFromArchive,
     "Yes", "Yes"},
    {"System", "EnableDraggingToArchiveFromOtherApplications", KeyType::Bool, &V::bEnableDraggingToArchive,
     "Yes", "Yes"},
    {"System", "EnableDoubleClickToOpenAFileFromArchive", KeyType::Bool, &V::bEnableDoubleClickToOpen, "Yes",
     "Yes"},
    {"Interface", "DraggingImageForModeClearType", KeyType::Int, &V::nDraggingImageForModeClearType, "2", "2"},
    {"Interface", "EnableShowTooltipForToolbars", KeyType::Bool, &V::bEnableShowTooltipForToolbars, "Yes", "Yes"},
    {"Interface", "EnableShowTooltipForBackOrForwardMenu", KeyType::BoolUnlessNo,
     &V::bEnableShowTooltipForBackOrForwardMenu, "No", "No"},
    {"Interface", "EnableShowTooltipForBookmarksMenu", KeyType::Bool, &V::bEnableShowTooltipForBookmarksMenu,
     "Yes", "Yes"},
    {"Interface", "ArchiveHistoryStepsShown", KeyType::Int, &V::nArchiveHistoryStepsShown, "5", "5"},
};

const KeyDef kCloudKeys[] = {
    {"CloudDrives", "EnableOneDrive", KeyType::Bool, &V::bEnableOneDrive, "No", "No"},
    {"CloudDrives", "OneDriveUserFolder", KeyType::Folder, &V::strOneDriveUserFolder, "Empty", "Empty"},
    {"CloudDrives", "EnableDropbox", KeyType::Bool, &V::bEnableDropbox, "No", "No"},
    {"CloudDrives", "DropboxUserFolder", KeyType::Folder, &V::strDropboxUserFolder, "Empty", "Empty"},
    {"CloudDrives", "EnableGoogleDrive", KeyType::Bool, &V::bEnableGoogleDrive, "No", "No"},
    {"CloudDrives", "GoogleDriveUserFolder", KeyType::Folder, &V::strGoogleDriveUserFolder, "Empty", "Empty"},
    {"CloudDrives", "EnableSugarSync", KeyType::Bool, &V::bEnableSugarSync, "No", "No"},
    {"CloudDrives", "EnableBox", KeyType::Bool, &V::bEnableBox, "No", "No"},
    {"CloudDrives", "BoxUserFolder", KeyType::Folder, &V::strBoxUserFolder, "Empty", "Empty"},
    {"CloudDrives", "EnableiCloudDrive", KeyType::Bool, &V::bEnableiCloudDrive, "No", "No"},
    {"CloudDrives", "iCloudDriveUserFolder", KeyType::Folder, &V::striCloudDriveUserFolder, "Empty", "Empty"},
};

const KeyDef kSpecialKeys[] = {
    {"SpecialFolders", "EnableDesktop", KeyType::Bool, &V::bEnableDesktop, "No", "No"},
    {"SpecialFolders", "DesktopUserFolder", KeyType::Folder, &V::strDesktopUserFolder, "Empty", "Empty"},
    {"SpecialFolders", "EnableDownloads", KeyType::Bool, &V::bEnableDownloads, "No", "No"},
    {"SpecialFolders", "DownloadsUserFolder", KeyType::Folder, &V::strDownloadsUserFolder, "Empty", "Empty"},
    {"SpecialFolders", "EnableDocuments", KeyType::Bool, &V::bEnableDocuments, "No", "No"},
    {"SpecialFolders", "DocumentsUserFolder", KeyType::Folder, &V::strDocumentsUserFolder, "Empty", "Empty"},
    {"SpecialFolders", "EnableMusic", KeyType::Bool, &V::bEnableMusic, "No", "No"},
    {"SpecialFolders", "MusicUserFolder", KeyType::Folder, &V::strMusicUserFolder, "Empty", "Empty"},
    {"SpecialFolders", "EnablePictures", KeyType::Bool, &V::bEnablePictures, "No", "No"},
    {"SpecialFolders", "PicturesUserFolder", KeyType::Folder, &V::strPicturesUserFolder, "Empty", "Empty"},
    {"SpecialFolders", "EnableVideos", KeyType::Bool, &V::bEnableVideos, "No", "No"},
    {"SpecialFolders", "VideosUserFolder", KeyType::Folder, &V::strVideosUserFolder, "Empty", "Empty"},
};

QString latin(const char *text)
{
    return QString::fromLatin1(text);
}

void readKey(const PrivateProfile &profile, const KeyDef &def, SettingsValues &values)
{
    const QString section = latin(def.section);
    const QString key = latin(def.key);
    const QString fallback = latin(def.readDefault);
    switch (def.type) {
    case KeyType::Bool:
        values.*std::get<bool V::*>(def.field) =
            profile.readString(section, key, fallback).compare(kYes, Qt::CaseInsensitive) == 0;
        break;
    case KeyType::BoolUnlessNo:
        values.*std::get<bool V::*>(def.field) =
            profile.readString(section, key, fallback).compare(kNo, Qt::CaseInsensitive) != 0;
        break;
    case KeyType::Int:
        values.*std::get<int V::*>(def.field) = profile.readInt(section, key, fallback.toInt());
        break;
    case KeyType::Folder:
        values.*std::get<QString V::*>(def.field) = profile.readString(section, key, fallback);
        break;
    }
}

QString currentText(const KeyDef &def, const SettingsValues &values)
{
    switch (def.type) {
    case KeyType::Bool:
    case KeyType::BoolUnlessNo:
        return values.*std::get<bool V::*>(def.field) ? kYes : kNo;
    case KeyType::Int:
        return QString::number(values.*std::get<int V::*>(def.field));
    case KeyType::Folder: {
        const QString &folder = values.*std::get<QString V::*>(def.field);
        return folder.isEmpty() ? QStringLiteral("Empty") : folder;
    }
    }
    return {};
}

void writeKeys(PrivateProfile &profile, std::span<const KeyDef> defs, const SettingsValues *current)
{
    for (const KeyDef &def : defs)
        profile.writeString(latin(def.section), latin(def.key),
                            current ? currentText(def, *current) : latin(def.fileDefault));
}

void readKeys(const PrivateProfile &profile, std::span<const KeyDef> defs, SettingsValues &values)
{
    for (const KeyDef &def : defs)
        readKey(profile, def, values);
}

void readArchiveTypes(const PrivateProfile &profile, SettingsValues &values)
{
    values.enabledTypes = QStringList{QStringLiteral("ZIP")};
    values.disabledTypes.clear();
    for (const QString &name : archiveTypeNames()) {
        const bool enabled = profile.readString(kAdditional, name, QStringLiteral("1"))
                                 .compare(QLatin1String("1"), Qt::CaseInsensitive) == 0;
        (enabled ? values.enabledTypes : values.disabledTypes) << name;
    }
}

// "key=value" split at the last "=", each side without its blanks and the value without matching quotes;
// a line without "=" has the read default "1".
QString customEntry(const QString &line)
{
    const qsizetype eq = line.lastIndexOf(QLatin1Char('='));
    if (eq < 0)
        return line + QStringLiteral("=1");
    QString value = line.mid(eq + 1).trimmed();
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == u'"' || value.front() == u'\''))
        value = value.mid(1, value.size() - 2);
    return line.left(eq).trimmed() + QLatin1Char('=') + value;
}

// The section is matched with its exact case here, unlike every other name in the file. The entries are read
// line by line rather than key by key: a description may hold "=", and a key name ends at the first one, so
// "x = y" would lose its blanks and two kinds whose descriptions agree up to it would share one key.
void readCustomArchives(const PrivateProfile &profile, SettingsValues &values)
{
    values.customArchives.clear();
    if (!profile.sectionNames().contains(kCustom, Qt::CaseSensitive))
        return;
    for (const QString &line : profile.entries(kCustom))
        values.customArchives << customEntry(line);
}

void writeArchiveTypes(PrivateProfile &profile, const SettingsValues *current)
{
    if (!current) {
        for (const QString &name : archiveTypeNames())
            profile.writeString(kAdditional, name,
                                name == QLatin1String("EXE") ? QStringLiteral("0") : QStringLiteral("1"));
        return;
    }
    for (const QString &name : current->enabledTypes.mid(1))
        profile.writeString(kAdditional, name, QStringLiteral("1"));
    for (const QString &name : current->disabledTypes)
        profile.writeString(kAdditional, name, QStringLiteral("0"));
}

// A description may itself hold "=", so an entry splits at its last one.
void writeCustomArchives(PrivateProfile &profile, const SettingsValues &current)
{
    profile.deleteSection(kCustom);
    for (const QString &entry : current.customArchives) {
        const qsizetype eq = entry.lastIndexOf(QLatin1Char('='));
        if (eq > 0)
            profile.writeString(kCustom, entry.left(eq), entry.mid(eq + 1));
    }
}

}  // namespace

CSettings::CSettings() = default;

QString CSettings::programFolder() const
{
    return m_appDataFolder.isEmpty() ? QString()
                                     : m_appDataFolder + QLatin1Char('/') + organizationName() + QLatin1Char('/') + productName();
}

void CSettings::locateFile()
{
    m_appDataFolder = orv::applicationDataFolder();
    m_filePath.clear();
    if (m_appDataFolder.isEmpty())
        return;
    const QString folder = programFolder();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        showError(tr("Cannot create the settings folder %1.").arg(QDir::toNativeSeparators(folder)),
                  productName());
        return;
    }
    m_filePath = folder + QStringLiteral("/orvfind.ini");
}

void CSettings::LoadSettings()
{
    locateFile();
    m_values = SettingsValues();
    if (m_filePath.isEmpty())
        return;
    if (!QFileInfo::exists(m_filePath))
        SaveSettings(SaveDefaults);

    PrivateProfile profile(m_filePath);
    profile.beginBatch();
    readKeys(profile, kMainKeys, m_values);
    if (m_values.nArchiveHistoryStepsShown < 5 || m_values.nArchiveHistoryStepsShown > 20)
        m_values.nArchiveHistoryStepsShown = 5;
    readArchiveTypes(profile, m_values);
    readCustomArchives(profile, m_values);
    readKeys(profile, kCloudKeys, m_values);
    readKeys(profile, kSpecialKeys, m_values);
    profile.discardBatch();
}

bool CSettings::SaveSettings(int mode)
{
    if (m_filePath.isEmpty())
        locateFile();
    if (m_filePath.isEmpty())
        return false;
    const SettingsValues *current = mode == SaveCurrent ? &m_values : nullptr;

    PrivateProfile profile(m_filePath);
    profile.beginBatch();
    writeKeys(profile, kMainKeys, current);
    writeArchiveTypes(profile, current);
    if (current)
        writeCustomArchives(profile, *current);
    writeKeys(profile, kCloudKeys, current);
    writeKeys(profile, kSpecialKeys, current);
    if (profile.commitBatch())
        return true;
    showError(tr("Cannot write the settings file %1.\n%2")
                  .arg(QDir::toNativeSeparators(m_filePath), profile.lastError()),
              productName());
    return false;
}

}  // namespace orv
