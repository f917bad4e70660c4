#include "packchoices.h"

#include "finder/browser/treelevels.h"
#include "finder/settings/settings.h"
#include "platform/numbers.h"

#include <QFileInfo>

#include <algorithm>

namespace orv {

namespace {

constexpr int kAskLevel = -2;
constexpr int kAskMethod = -1;
constexpr int kDefaultLevel = 6;
constexpr int kMethodCount = 3;
constexpr int kEncryptionMethodCount = 4;
const QString kSpecialCharacters = QStringLiteral("!@#$%^&*()-_+=;:,./?\\|`~[]{}");

bool listIndexFits(int value, int count)
{
    return value >= 0 && value < count;
}

// -1 asks for the default; anything outside 0 to 9 shows the default too.
int levelOfSetting(int setting)
{
    return setting >= 0 && setting <= 9 ? setting : kDefaultLevel;
}

struct CharacterMix
{
    bool digit = false;
    bool letter = false;
    bool upper = false;
    bool lower = false;
    bool special = false;
};

CharacterMix mixOf(const QString &text)
{
    CharacterMix mix;
    for (const QChar c : text) {
        mix.digit = mix.digit || c.isDigit();
        mix.letter = mix.letter || c.isLetter();
        mix.upper = mix.upper || c.isUpper();
        mix.lower = mix.lower || c.isLower();
        mix.special = mix.special || kSpecialCharacters.contains(c);
    }
    return mix;
}

QString withoutLastExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

}  // namespace

int zipMethodOfIndex(int index)
{
    switch (index) {
    case 1: return 12;
    case 2: return 14;
    default: return 8;
    }
}

bool compressionFixed(const SettingsValues &values, bool creating)
{
    const bool fixed = values.nCompressionLevel != kAskLevel && values.nCompressionMethod != kAskMethod;
    return fixed && !(creating && values.bAskBeforeCreation);
}

void applyFixedCompression(const SettingsValues &values, PackChoices &choices)
{
    choices.level = levelOfSetting(values.nCompressionLevel);
    choices.method = zipMethodOfIndex(values.nCompressionMethod);
}

NameAndLevelPresets presetsFor(const SettingsValues &values, bool creating, const QString &name)
{
    NameAndLevelPresets presets;
    presets.creating = creating;
    presets.name = name;
    presets.nameEditable = creating && values.bAskBeforeCreation;
    presets.levelEnabled = values.nCompressionLevel == kAskLevel;
    presets.level = presets.levelEnabled ? kDefaultLevel : levelOfSetting(values.nCompressionLevel);
    presets.methodEnabled = !listIndexFits(values.nCompressionMethod, kMethodCount);
    presets.methodIndex = presets.methodEnabled ? 0 : values.nCompressionMethod;
    presets.encrypt = values.bEnableEncryption;
    presets.encryptionMethodEnabled = !listIndexFits(values.nEncryptionMethod, kEncryptionMethodCount);
    presets.encryptionMethod = presets.encryptionMethodEnabled ? 0 : values.nEncryptionMethod;
    presets.rulesEnabled = values.bEnableRulesForPasswords;
    presets.rule = values.nRuleForPasswords;
    return presets;
}

bool passwordRuleHolds(int rule, const QString &password)
{
    const QString text = password.trimmed();
    const CharacterMix mix = mixOf(text);
    switch (rule) {
    case 1: return text.size() >= 6;
    case 2: return text.size() >= 8 && mix.digit && mix.letter;
    case 3: return text.size() >= 10 && mix.digit && mix.letter && mix.special;
    case 4: return text.size() >= 12 && mix.digit && mix.upper && mix.lower && mix.special;
    default: return true;
    }
}

PasswordProblem passwordProblem(const QString &password, const QString &confirm, bool rulesEnabled, int rule)
{
    if (password.isEmpty() && confirm.isEmpty())
        return PasswordProblem::None;
    if (rulesEnabled && !passwordRuleHolds(rule, password))
        return PasswordProblem::BreaksRule;
    return password == confirm ? PasswordProblem::None : PasswordProblem::Mismatch;
}

INIPACK packIniFor(const SettingsValues &values, const PackChoices &choices, bool newArchive)
{
    INIPACK ini;
    ini.bNewArchive = newArchive ? 1 : 0;
    ini.bPackFilesWithoutPaths = values.bPackFilesWithoutPaths ? 1 : 0;
    ini.bPackFoldersWithoutPaths = values.bPackFoldersWithoutPaths ? 1 : 0;
    ini.bAskBeforeUpdating = values.bAskBeforeUpdating ? 1 : 0;
    ini.nCompressionLevel = std::clamp(choices.level, 0, 9);
    ini.nCompressionMethod = choices.method;
    ini.bEncrypt = choices.encrypt ? 1 : 0;
    ini.strPassword = choices.encrypt ? choices.password : QString();
    ini.nEncryptionMethod = choices.encryptionMethod;
    return ini;
}

QString proposedArchiveName(const QString &droppedPath)
{
    return withoutLastExtension(QFileInfo(droppedPath).fileName());
}

QString newArchivePath(const QString &folder, const QString &name, bool nameFromDialog)
{
    return joinPath(folder, (nameFromDialog ? withoutLastExtension(name) : name) + QStringLiteral(".zip"));
}

QString archiveNameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("You must specify a file name.");
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("A file name cannot contain the character /.");
    return {};
}

QString replaceArchiveQuestion(const QString &path)
{
    const QFileInfo existing(path);
    return QStringLiteral("Replace the existent file:\n\n%1\n%2 bytes, %3\n\nwith the created archive?")
        .arg(path, formatNumber64(static_cast<std::uint64_t>(std::max<qint64>(existing.size(), 0))),
             localTimeText(existing.lastModified().toSecsSinceEpoch()));
}

}  // namespace orv
