#include "splitrequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
#include <sys/stat.h>

namespace orv {

namespace {

class SplitTexts
{
    Q_DECLARE_TR_FUNCTIONS(SplitTexts)
};

constexpr qint64 kLargest = std::numeric_limits<qint64>::max();

struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
    bool valid = false;

    bool operator==(const FileId &other) const
    {
        return valid && other.valid && device == other.device && inode == other.inode;
    }
};

FileId fileIdOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, true};
}

QString cleanAbsolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

qint64 digitsValue(const QString &digits)
{
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok || digits.isEmpty() ? value : kLargest;
}

qint64 unitMultiplier(int unit)
{
    switch (unit) {
    case SplitRequest::Kbytes:
        return 1024;
    case SplitRequest::Mbytes:
        return 0x100000;
    case SplitRequest::Gbytes:
        return 0x40000000;
    default:
        return 1;
    }
}

qint64 partSizeOf(const SplitRequest &request, qint64 sourceSize)
{
    if (request.mode == SplitRequest::NumberOfParts)
        return request.parts > 0 ? (sourceSize + request.parts - 1) / request.parts : 0;
    const qint64 multiplier = unitMultiplier(request.unit);
    if (request.sizeValue > kLargest / multiplier)
        return kLargest;
    return request.sizeValue * multiplier;
}

QString partPath(const QString &folder, const QString &source, int number)
{
    const QString name = QFileInfo(source).fileName();
    return folder + QLatin1Char('/') + name + QStringLiteral(".%1").arg(number, 3, 10, QLatin1Char('0'));
}

SplitProblem checkSplitRequest(const SplitRequest &request)
{
    if (request.mode == SplitRequest::NumberOfParts) {
        if (request.parts < 1)
            return {SplitProblem::Parts, SplitTexts::tr("Number of parts may not be less than 1.")};
        if (request.parts > kMostParts)
            return {SplitProblem::Parts, SplitTexts::tr("Number of parts may not be more than 999.")};
        return {};
    }
    if (partSizeOf(request, 0) < kSmallestPartSize)
        return {SplitProblem::Size, SplitTexts::tr("Part size may not be less than 1024 bytes.")};
    return {};
}

bool canSplit(const QString &source, const QString &folder, int mode, const QString &partsDigits,
              const QString &sizeDigits)
{
    const QString &digits = mode == SplitRequest::NumberOfParts ? partsDigits : sizeDigits;
    return !source.trimmed().isEmpty() && !folder.trimmed().isEmpty() && !digits.isEmpty();
}

// A name not made yet is compared as text: once made, it would be read back while it is written.
QString checkMergeRequest(const MergeRequest &request)
{
    const QString destination = cleanAbsolute(request.destination);
    const FileId destinationId = fileIdOf(request.destination);
    for (const QString &source : request.sources) {
        if (cleanAbsolute(source) == destination || fileIdOf(source) == destinationId)
            return SplitTexts::tr("The destination file '%1' is one of the files to merge.")
                .arg(QDir::toNativeSeparators(request.destination));
    }
    return {};
}

}  // namespace orv
