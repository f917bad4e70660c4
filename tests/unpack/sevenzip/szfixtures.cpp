#include "szfixtures.h"

#include "tests/support/testhome.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>

namespace orv::test {

QStringList makeSourceTree(const QString &root)
{
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("a.txt"), QByteArray("alpha\n").repeated(2000)},
        {QStringLiteral("sub/noise.bin"), noise(150000, 7)},
        {QStringLiteral("sub/deeper/c.txt"), QByteArray("the quick brown fox ").repeated(5000)},
        {QStringLiteral("empty.txt"), QByteArray()},
        {QStringLiteral("\U0001F600 \u00FC.txt"), QByteArray("smile")},
    };
    QStringList paths;
    for (const auto &[path, bytes] : files) {
        writeFile(root + u'/' + path, bytes);
        paths.append(path);
    }
    QDir(root).mkpath(QStringLiteral("emptydir"));
    return paths;
}

QList<SltRecord> listWith7z(const QString &archive, const QString &password)
{
    QStringList arguments{QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-p") + password, archive};
    const ToolRun run = runTool(QStringLiteral("7z"), arguments);
    QList<SltRecord> records;
    // Items follow the "----------" line; each is a block of "Name = value" lines ended by a blank line.
    const qsizetype start = run.output.indexOf("\n----------\n");
    if (run.exitCode != 0 || start < 0)
        return records;
    SltRecord current;
    for (const QByteArray &line : run.output.mid(start + 12).split('\n')) {
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

}  // namespace orv::test
