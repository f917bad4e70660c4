#include "ziptools.h"

#include "tests/support/testhome.h"

#include <QDir>

namespace orv::test {

QMap<QString, QByteArray> sampleTree()
{
    return {
        {QStringLiteral("a.txt"), QByteArray("alpha\n").repeated(3000)},
        {QStringLiteral("empty.txt"), QByteArray()},
        {QStringLiteral("sub/noise.bin"), noise(120000, 11)},
        {QStringLiteral("sub/deeper/c.txt"), QByteArray("the quick brown fox ").repeated(4000)},
    };
}

bool writeTree(const QString &root, const QMap<QString, QByteArray> &files)
{
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (!writeFile(root + u'/' + it.key(), it.value()))
            return false;
    }
    return QDir(root).mkpath(QStringLiteral("sub/emptydir"));
}

bool sevenZipTests(const QString &archive, const QString &password)
{
    return runTool(QStringLiteral("7z"), {QStringLiteral("t"), QStringLiteral("-p") + password, archive}).ok();
}

bool patchFile(const QString &path, const QByteArray &from, const QByteArray &to)
{
    QByteArray bytes = readFile(path);
    if (from.size() != to.size() || !bytes.contains(from))
        return false;
    bytes.replace(from, to);
    return writeFile(path, bytes);
}

}  // namespace orv::test
