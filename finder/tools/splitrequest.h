#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace orv {

// What the Split File dialog or the command line asks for. The numbers are the dialog's: mode 0 cuts into a
// number of parts, mode 1 into parts of a size; units 0 to 3 are Bytes, Kbytes, Mbytes and Gbytes.
struct SplitRequest
{
    enum Mode { NumberOfParts = 0, SizeOfPart = 1 };
    enum Unit { Bytes = 0, Kbytes = 1, Mbytes = 2, Gbytes = 3 };

    QString source;
    QString destinationFolder;
    int mode = SizeOfPart;
    int parts = 0;
    qint64 sizeValue = 0;
    int unit = Bytes;
};

// The files in merge order and the file they are joined into.
struct MergeRequest
{
    QString destination;
    QStringList sources;
};

constexpr qint64 kCopyChunk = 262144;
constexpr qint64 kSmallestPartSize = 1024;
constexpr int kMostParts = 999;

// The digits of a box or an argument as a number; too many for 64 bits stay at the largest value.
qint64 digitsValue(const QString &digits);
// 1, 1024, 1048576 or 1073741824; any other unit counts as 1.
qint64 unitMultiplier(int unit);
// The size of every part but the last, for a source of the given size. A number of parts gives the source
// size divided by it, rounded up; a size too large for 64 bits stays at the largest value.
qint64 partSizeOf(const SplitRequest &request, qint64 sourceSize);
// The folder, the source's file name and ".001"; numbers past 999 get more digits.
QString partPath(const QString &folder, const QString &source, int number);

// A request the split cannot run: the message, and which box it is about.
struct SplitProblem
{
    enum Field { None, Parts, Size };
    Field field = None;
    QString message;

    explicit operator bool() const { return field != None; }
};

// A number of parts from 1 to 999, or a part size of at least 1024 bytes in any unit (0 Kbytes would
// never finish a part).
SplitProblem checkSplitRequest(const SplitRequest &request);

// "&Split" is offered while both paths hold text and the box of the chosen mode holds digits.
bool canSplit(const QString &source, const QString &folder, int mode, const QString &partsDigits,
              const QString &sizeDigits);

// A destination that is one of the files to merge would be emptied before it is read: the message that
// refuses it, or empty. The same file under another name (a hard or symbolic link) counts as well.
QString checkMergeRequest(const MergeRequest &request);

}  // namespace orv
