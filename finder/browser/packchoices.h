#pragma once

#include "zip/ziprecords.h"

#include <QCoreApplication>
#include <QString>

namespace orv {

struct SettingsValues;

// What the user chose for adding to or creating a ZIP archive. The main frame holds one set for the items of
// a drop, so that a password given for the first item serves the later ones; it is forgotten when the drop
// ends.
struct PackChoices
{
    QString archiveName;
    int level = 6;             // 0 stores ... 9 best
    int method = 8;            // ZIP method number: 8 Deflate, 12 BZip2, 14 LZMA
    bool encrypt = false;
    QString password;
    int encryptionMethod = 0;  // 0 Zip 2.0, 1 AES-128, 2 AES-192, 3 AES-256

    void forgetPassword()
    {
        encrypt = false;
        password.clear();
    }
};

// The ZIP method number of a "Compression method" list index (or of the setting's value); Deflate for any
// index the list does not have.
int zipMethodOfIndex(int index);

// Whether level and method are both fixed by the settings, so that no dialog asks for them. A new archive
// also needs "AskBeforeCreation" off, since the dialog would ask for its name.
bool compressionFixed(const SettingsValues &values, bool creating);
// Level and method taken from the settings, without a dialog.
void applyFixedCompression(const SettingsValues &values, PackChoices &choices);

// How "Name and Compression Settings" opens: the values shown and which lists may be changed.
struct NameAndLevelPresets
{
    bool creating = false;
    QString name;
    bool nameEditable = false;
    int level = 6;
    bool levelEnabled = true;
    int methodIndex = 0;
    bool methodEnabled = true;
    bool encrypt = false;
    int encryptionMethod = 0;
    bool encryptionMethodEnabled = true;
    bool rulesEnabled = false;
    int rule = 1;
};
NameAndLevelPresets presetsFor(const SettingsValues &values, bool creating, const QString &name);

// The password rule of the settings on a text, blanks at both ends left out. Rules 1 to 4 ask for ever
// longer and more varied passwords; any other number accepts every text.
bool passwordRuleHolds(int rule, const QString &password);

enum class PasswordProblem { None, BreaksRule, Mismatch };
// What OK finds wrong with the two password edits; nothing when both are empty (then nothing is encrypted).
PasswordProblem passwordProblem(const QString &password, const QString &confirm, bool rulesEnabled, int rule);

// The packer's settings for one add.
INIPACK packIniFor(const SettingsValues &values, const PackChoices &choices, bool newArchive);

// A dropped item's name without its last extension: the name proposed for the archive made of it.
QString proposedArchiveName(const QString &droppedPath);
// The new archive's file in a folder: the proposed name with ".zip" added, or a name from the dialog with its
// last extension replaced by ".zip".
QString newArchivePath(const QString &folder, const QString &name, bool nameFromDialog);
// Why a name cannot be an archive's file name; empty when it can.
QString archiveNameProblem(const QString &name);

// "Replace the existent file: ..." with the existing file's size and time.
QString replaceArchiveQuestion(const QString &path);

}  // namespace orv
