#include "knownfolders.h"

#include <QDir>
#include <QStandardPaths>

namespace orv {

namespace {

// The variables are read at every call: the program never changes them, but tests and the command-line
// companion point them elsewhere while running. The base directory rules only accept absolute values; a
// relative one would make the settings depend on whatever folder the program was started from.
QString xdgFolder(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(profileFolder() + QLatin1Char('/') + fallbackUnderHome);
}

QStandardPaths::StandardLocation standardLocation(SpecialFolder which)
{
    switch (which) {
    case SpecialFolder::Desktop:
        return QStandardPaths::DesktopLocation;
    case SpecialFolder::Downloads:
        return QStandardPaths::DownloadLocation;
    case SpecialFolder::Documents:
        return QStandardPaths::DocumentsLocation;
    case SpecialFolder::Music:
        return QStandardPaths::MusicLocation;
    case SpecialFolder::Pictures:
        return QStandardPaths::PicturesLocation;
    case SpecialFolder::Videos:
        break;
    }
    return QStandardPaths::MoviesLocation;
}

}  // namespace

QString applicationDataFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString localApplicationDataFolder()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString profileFolder()
{
    return QDir::cleanPath(QDir::homePath());
}

QString specialFolder(SpecialFolder which)
{
    return QDir::cleanPath(QStandardPaths::writableLocation(standardLocation(which)));
}

QString temporaryFolder()
{
    // Qt answers an empty path when TMPDIR names no existing folder; the C library then falls back to
    // /tmp, and so do we, rather than building the program's folders at the root of the file system.
    const QString path = QDir::tempPath();
    return path.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(path);
}

}  // namespace orv
