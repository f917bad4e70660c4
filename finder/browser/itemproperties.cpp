#include "itemproperties.h"

#include "finder/archive/archiveaccess.h"

#include <QStringList>

namespace orv {

namespace {

// Every label a reader's description may hold, each written as "<label> - <value>".
const QStringList &knownLabels()
{
    static const QStringList labels{
        QStringLiteral("Modified"), QStringLiteral("Accessed"), QStringLiteral("Size"),
        QStringLiteral("Packed"),   QStringLiteral("Ratio"),    QStringLiteral("CRC"),
        QStringLiteral("Files"),    QStringLiteral("Folders"),  QStringLiteral("Compression method"),
        QStringLiteral("Version to extract"),
    };
    return labels;
}

qsizetype labelAt(const QString &text, const QString &label, qsizetype from)
{
    const QString marked = label + QStringLiteral(" - ");
    for (qsizetype at = text.indexOf(marked, from); at >= 0; at = text.indexOf(marked, at + 1)) {
        if (at == 0 || text.mid(at - 2, 2) == QStringLiteral(", "))
            return at;
    }
    return -1;
}

}  // namespace

QString valueOfLabel(const QString &text, const QString &label)
{
    const qsizetype at = labelAt(text, label, 0);
    if (at < 0)
        return {};
    const qsizetype start = at + label.size() + 3;
    qsizetype end = text.size();
    for (const QString &next : knownLabels()) {
        const qsizetype nextAt = labelAt(text, next, start);
        if (nextAt >= 0 && nextAt - 2 < end)
            end = nextAt - 2;
    }
    return end > start ? text.mid(start, end - start) : QString();
}

std::optional<ArchiveItemProperties> ReadItemProperties(CArchiveAccess &access, const QString &virtualPath)
{
    const CArchiveAccess::Located archive = access.locateArchive(virtualPath);
    const QString inner = innerPathOf(virtualPath, archive.path);
    if (archive.kind == ArchiveKind::None || inner.isEmpty())
        return std::nullopt;
    const COpenedArchive opened = access.Open(archive.path, archive.kind);
    if (!opened)
        return std::nullopt;
    ArchiveItemProperties item;
    item.folder = opened->isFolder(inner);
    const QString text = item.folder ? opened->folderOutputInfo(inner) : opened->fileOutputInfo(inner);
    const qsizetype slash = virtualPath.lastIndexOf(QLatin1Char('/'));
    item.name = virtualPath.mid(slash + 1);
    item.location = virtualPath.left(slash);
    item.size = valueOfLabel(text, QStringLiteral("Size"));
    item.packed = valueOfLabel(text, QStringLiteral("Packed"));
    item.ratio = valueOfLabel(text, QStringLiteral("Ratio"));
    if (item.folder) {
        item.files = valueOfLabel(text, QStringLiteral("Files"));
        item.folders = valueOfLabel(text, QStringLiteral("Folders"));
    } else {
        item.modified = valueOfLabel(text, QStringLiteral("Modified"));
        item.crc = valueOfLabel(text, QStringLiteral("CRC"));
        item.method = valueOfLabel(text, QStringLiteral("Compression method"));
    }
    return item;
}

}  // namespace orv
