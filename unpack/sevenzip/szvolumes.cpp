#include "unpack/sevenzip/szvolumes.h"

#include <QFileInfo>

namespace orv::sz {

namespace {

// The extension after the last dot of the file name, or -1.
qsizetype extensionStart(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype slash = path.lastIndexOf(u'/');
    if (dot < 0 || dot < slash || dot + 1 >= path.size())
        return -1;
    return dot + 1;
}

bool isDigitCounter(QStringView extension)
{
    for (QChar c : extension) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool isLetterCounter(QStringView extension)
{
    for (QChar c : extension) {
        const char16_t lower = c.toLower().unicode();
        if (lower < u'a' || lower > u'z')
            return false;
    }
    return true;
}

}  // namespace

bool isFirstVolume(const QString &path)
{
    const qsizetype start = extensionStart(path);
    if (start < 0)
        return false;
    const QString extension = path.mid(start).toUpper();
    if (extension.size() < 2)
        return false;
    const QStringView head = QStringView(extension).first(extension.size() - 2);
    if (extension.endsWith(QLatin1String("01")))
        return head.count(u'0') == head.size();
    if (extension.endsWith(QLatin1String("AA")))
        return head.count(u'A') == head.size();
    return false;
}

std::optional<QString> nextVolumePath(const QString &path)
{
    const qsizetype start = extensionStart(path);
    if (start < 0)
        return std::nullopt;
    QString next = path;
    const QStringView extension = QStringView(path).mid(start);
    const bool digits = isDigitCounter(extension);
    if (!digits && !isLetterCounter(extension))
        return std::nullopt;
    for (qsizetype i = next.size() - 1; i >= start; --i) {
        const QChar c = next.at(i);
        const QChar last = digits ? QChar(u'9') : (c.isUpper() ? QChar(u'Z') : QChar(u'z'));
        const QChar first = digits ? QChar(u'0') : (c.isUpper() ? QChar(u'A') : QChar(u'a'));
        if (c != last) {
            next[i] = QChar(c.unicode() + 1);
            return next;
        }
        next[i] = first;
    }
    return std::nullopt;
}

QStringList splitVolumePaths(const QString &firstPath, QString *errorText)
{
    if (!isFirstVolume(firstPath)) {
        *errorText = QStringLiteral("%1 is not the first volume of a split archive (.001 or .aa).").arg(firstPath);
        return {};
    }
    if (!QFileInfo(firstPath).isFile()) {
        *errorText = QStringLiteral("The volume %1 does not exist.").arg(firstPath);
        return {};
    }
    QStringList volumes{firstPath};
    std::optional<QString> next = nextVolumePath(firstPath);
    while (next && QFileInfo(*next).isFile()) {
        volumes.append(*next);
        next = nextVolumePath(*next);
    }
    return volumes;
}

}  // namespace orv::sz
