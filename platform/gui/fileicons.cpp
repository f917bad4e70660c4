#include "fileicons.h"

#include <QFileIconProvider>
#include <QHash>
#include <QMimeDatabase>

namespace orv {

namespace {

QString extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

QMimeType typeOfName(const QString &name)
{
    static const QMimeDatabase types;
    return types.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
}

}  // namespace

QIcon fileTypeIcon(const QString &name)
{
    static QHash<QString, QIcon> byExtension;
    const QString extension = extensionOf(name);
    if (const auto cached = byExtension.constFind(extension); cached != byExtension.cend())
        return *cached;
    const QMimeType type = typeOfName(name);
    const QIcon file = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    const QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), file));
    byExtension.insert(extension, icon);
    return icon;
}

QIcon archiveIcon(const QString &name)
{
    static QHash<QString, QIcon> byExtension;
    const QString extension = extensionOf(name);
    if (const auto cached = byExtension.constFind(extension); cached != byExtension.cend())
        return *cached;
    const QIcon generic = QIcon::fromTheme(QStringLiteral("package-x-generic"), fileTypeIcon(name));
    const QIcon icon = QIcon::fromTheme(typeOfName(name).iconName(), generic);
    byExtension.insert(extension, icon);
    return icon;
}

void useFallbackIconTheme()
{
    const QString fallback = QString::fromLatin1(kFallbackIconTheme);
    QIcon::setFallbackThemeName(fallback);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(fallback);
}

}  // namespace orv
