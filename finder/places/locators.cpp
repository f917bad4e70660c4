#include "locators.h"

#include "finder/places/sqlitereader.h"
#include "platform/knownfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orv {

namespace {

// The clients' small text files; anything larger is not theirs.
constexpr qint64 kMaxTextFileBytes = 64 * 1024;
constexpr int kMaxLineBytes = 2048;
constexpr int kMaxGoogleDriveChars = 1024;

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxTextFileBytes);
}

// The lines of the file, each without its line end and cut at the length the clients never exceed.
QList<QByteArray> textLines(const QByteArray &bytes, int wanted)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (lines.size() < wanted && start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray line = bytes.mid(start, end - start).left(kMaxLineBytes);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

QString existingFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// The Linux client's configuration: lines of `key = "value"`, "#" starting a comment.
QString oneDriveConfiguredFolder()
{
    const QByteArray bytes = readSmallFile(applicationDataFolder() + QStringLiteral("/onedrive/config"));
    for (const QByteArray &raw : textLines(bytes, 1000)) {
        const QByteArray line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('#') || equals < 0 || line.left(equals).trimmed() != "sync_dir")
            continue;
        QByteArray value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        const QString text = textFromUtf8(value);
        if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/")))
            return profileFolder() + text.mid(1);
        return QDir::isAbsolutePath(text) ? text : QString();
    }
    return profileFolder() + QStringLiteral("/OneDrive");
}

// The queries compare with a bare "id = %s" in the clients' own code: an id that reads as a number is
// compared as a number.
QVariant asIdentifier(const QVariant &value)
{
    bool isNumber = false;
    const qint64 number = value.toString().toLongLong(&isNumber);
    return isNumber ? QVariant(number) : value;
}

QStringList textValues(const QList<QVariant> &values)
{
    QStringList texts;
    for (const QVariant &value : values)
        texts.append(value.toString());
    return texts;
}

}  // namespace

QByteArray decodeBase64Line(QByteArrayView line)
{
    QByteArray out;
    quint32 bits = 0;
    int count = 0;
    for (const char c : line) {
        if (count % 4 == 0 && (c == '\r' || c == '\n'))
            continue;
        const int value = base64Value(c);
        if (value < 0)
            break;
        bits = (bits << 6) | quint32(value);
        if (++count % 4 == 0) {
            out.append(char(bits >> 16));
            out.append(char(bits >> 8));
            out.append(char(bits));
            bits = 0;
        }
    }
    // A last group of two or three characters still carries one or two whole bytes.
    const int rest = count % 4;
    if (rest == 2) {
        out.append(char(bits >> 4));
    } else if (rest == 3) {
        out.append(char(bits >> 10));
        out.append(char(bits >> 2));
    }
    return out;
}

QString LocateOneDrive()
{
    return existingFolder(oneDriveConfiguredFolder());
}

QString LocateDropbox()
{
    const QString candidates[] = {
        applicationDataFolder() + QStringLiteral("/Dropbox/host.db"),
        localApplicationDataFolder() + QStringLiteral("/Dropbox/host.db"),
        profileFolder() + QStringLiteral("/.dropbox/host.db"),
    };
    for (const QString &path : candidates) {
        if (!QFileInfo(path).isFile())
            continue;
        const QList<QByteArray> lines = textLines(readSmallFile(path), 2);
        return lines.size() < 2 ? QString() : textFromUtf8(decodeBase64Line(lines[1]));
    }
    return {};
}

QString LocateGoogleDrive()
{
    const QString base = localApplicationDataFolder() + QStringLiteral("/Google/Drive");
    QString path = base + QStringLiteral("/sync_config.db");
    if (!QFileInfo(path).isFile())
        path = base + QStringLiteral("/user_default/sync_config.db");
    if (!QFileInfo(path).isFile())
        return {};
    const QList<QVariant> values = SqliteReader(path).firstColumn(
        "select data_value from data where entry_key = 'local_sync_root_path'");
    if (values.isEmpty())
        return {};
    QString folder = values.first().toString().left(kMaxGoogleDriveChars);
    // The Windows client stores the path with the long-path prefix; a value without it is taken whole.
    if (folder.startsWith(QLatin1String("\\\\?\\")))
        folder.remove(0, 4);
    return folder;
}

QString LocateBox()
{
    const QString path = localApplicationDataFolder() + QStringLiteral("/Box Sync/sync_root_folder.txt");
    const QList<QByteArray> lines = textLines(readSmallFile(path), 1);
    return lines.isEmpty() ? QString() : textFromUtf8(lines.first());
}

QString LocateiCloudDrive()
{
    return existingFolder(profileFolder() + QStringLiteral("/iCloudDrive"));
}

QString LocateSpecialFolder(Place place)
{
    switch (place) {
    case Place::Desktop:
        return existingFolder(specialFolder(SpecialFolder::Desktop));
    case Place::Downloads:
        return existingFolder(specialFolder(SpecialFolder::Downloads));
    case Place::Documents:
        return existingFolder(specialFolder(SpecialFolder::Documents));
    case Place::Music:
        return existingFolder(specialFolder(SpecialFolder::Music));
    case Place::Pictures:
        return existingFolder(specialFolder(SpecialFolder::Pictures));
    case Place::Videos:
        return existingFolder(specialFolder(SpecialFolder::Videos));
    default:
        return {};
    }
}

QString LocatePlace(Place place)
{
    switch (place) {
    case Place::OneDrive:
        return LocateOneDrive();
    case Place::Dropbox:
        return LocateDropbox();
    case Place::GoogleDrive:
        return LocateGoogleDrive();
    case Place::Box:
        return LocateBox();
    case Place::iCloudDrive:
        return LocateiCloudDrive();
    case Place::SugarSync:
        return {};
    default:
        return LocateSpecialFolder(place);
    }
}

QStringList LocateSugarSyncFolders()
{
    const QString base = localApplicationDataFolder() + QStringLiteral("/SugarSync");
    const QString datastorePath = base + QStringLiteral("/lvol.db/default_db.sqlite");
    const QString fslinkPath = base + QStringLiteral("/fslink.db/default_db.sqlite");
    if (!QFileInfo(datastorePath).isFile() || !QFileInfo(fslinkPath).isFile())
        return {};

    const SqliteReader datastore(datastorePath);
    QList<QVariant> datastoreIds;
    const QList<QVariant> rootIds = datastore.firstColumn(
        "select id from ScDatastoreObject where typename = 'ScCollection.ScFolder.ScRootFolder.'");
    for (const QVariant &id : rootIds)
        datastoreIds += datastore.firstColumn("select p from ScBase where id = ?", asIdentifier(id));

    const SqliteReader fslink(fslinkPath);
    QStringList folders;
    for (const QVariant &dsid : datastoreIds) {
        for (const QVariant &id : fslink.firstColumn("select id from ScFsInfo where dsid = ?", dsid.toString()))
            folders += textValues(fslink.firstColumn("select p from ScBase where id = ?", asIdentifier(id)));
    }
    folders.removeDuplicates();
    return folders;
}

QStringList sugarSyncComparableFolders(const QStringList &folders)
{
    QStringList lower;
    for (const QString &folder : folders)
        lower.append(folder.toLower());
    return lower;
}

}  // namespace orv
