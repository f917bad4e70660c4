#include "ziptools.h"

#include "tests/support/testhome.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>

namespace orv::test {

QMap<QString, QByteArray> sampleTree()
{
    QRandomGenerator random(11);
    QByteArray noise(120000, '\0');
    for (char &byte : noise)
        byte = static_cast<char>(random.bounded(256));
    return {
        {QStringLiteral("a.txt"), QByteArray("alpha\n").repeated(3000)},
        {QStringLiteral("empty.txt"), QByteArray()},
        {QStringLiteral("sub/noise.bin"), noise},
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

QMap<QString, QByteArray> readTree(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(base.relativeFilePath(path), readFile(path));
    }
    return files;
}

bool sevenZipTests(const QString &archive, const QString &password)
{
    return runTool(QStringLiteral("7z"), {QStringLiteral("t"), QStringLiteral("-p") + password, archive}).ok();
}

QList<QMap<QString, QString>> sevenZipListing(const QString &archive, const QString &password)
{
    const ToolRun tool = runTool(QStringLiteral("7z"),
                              {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-p") + password, archive});
    QList<QMap<QString, QString>> records;
    const qsizetype start = tool.output.indexOf("\n----------\n");
    if (!tool.ok() || start < 0)
        return records;
    QMap<QString, QString> current;
    for (const QByteArray &line : tool.output.mid(start + 12).split('\n')) {
        const qsizetype equals = line.indexOf(" = ");
        if (equals > 0) {
            current.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 3)));
        } else if (line.trimmed().isEmpty() && !current.isEmpty()) {
            records.append(current);
            current.clear();
        }
    }
    if (!current.isEmpty())
        records.append(current);
    return records;
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
