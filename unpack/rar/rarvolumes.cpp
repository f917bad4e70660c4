#include "rarvolumes.h"

#include <QFileInfo>

namespace orv::rar {

namespace {

// A set with more volumes than this is taken as a loop of names rather than a real set.
constexpr int kVolumeLimit = 100000;

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// "name.part07.rar" -> "name.part08.rar"; the width grows only when the count needs it, as RAR does.
std::optional<QString> nextNewStyle(const QString &path)
{
    static constexpr QLatin1StringView rar(".rar");
    static constexpr QLatin1StringView part(".part");
    if (!path.endsWith(rar, Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype digitsEnd = path.size() - rar.size();
    qsizetype digitsStart = digitsEnd;
    while (digitsStart > 0 && isAsciiDigit(path.at(digitsStart - 1)))
        --digitsStart;
    if (digitsStart == digitsEnd || digitsStart < part.size()
        || QStringView(path).mid(digitsStart - part.size(), part.size()).compare(part, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QStringView digits = QStringView(path).mid(digitsStart, digitsEnd - digitsStart);
    bool ok = false;
    const qulonglong number = digits.toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    const QString next = QString::number(number + 1).rightJustified(digits.size(), QLatin1Char('0'));
    return path.left(digitsStart) + next + path.mid(digitsEnd);
}

// "name.rar" -> "name.r00", "name.r99" -> "name.s00"; the letter keeps the case of the extension.
std::optional<QString> nextOldStyle(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.size() - dot != 4)
        return std::nullopt;
    const QString extension = path.mid(dot + 1);
    const QString stem = path.left(dot + 1);
    if (extension.compare(QLatin1String("rar"), Qt::CaseInsensitive) == 0)
        return stem + (extension.at(0).isUpper() ? QStringLiteral("R00") : QStringLiteral("r00"));
    const QChar letter = extension.at(0);
    if (!letter.isLetter() || !extension.at(1).isDigit() || !extension.at(2).isDigit())
        return std::nullopt;
    const int number = extension.mid(1).toInt();
    if (number < 99)
        return stem + letter + QStringLiteral("%1").arg(number + 1, 2, 10, QLatin1Char('0'));
    const QChar nextLetter(letter.unicode() + 1);
    if (letter.toLower() == QLatin1Char('z') || !nextLetter.isLetter())
        return std::nullopt;
    return stem + nextLetter + QStringLiteral("00");
}

}  // namespace

std::optional<QString> nextVolumePath(const QString &path)
{
    if (std::optional<QString> next = nextNewStyle(path))
        return next;
    return nextOldStyle(path);
}

QStringList volumeSet(const QString &firstPath, int maxVolumes)
{
    QStringList volumes{firstPath};
    const int limit = maxVolumes > 0 ? std::min(maxVolumes, kVolumeLimit) : kVolumeLimit;
    std::optional<QString> next = nextVolumePath(firstPath);
    while (next && volumes.size() < limit && QFileInfo(*next).isFile()) {
        volumes << *next;
        next = nextVolumePath(*next);
    }
    return volumes;
}

}  // namespace orv::rar
