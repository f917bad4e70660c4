#include "tools.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>

namespace orv::test {

ProcessRun runProcess(const QString &program, const QStringList &arguments, const QString &workingFolder,
                      const QMap<QString, QString> &variables)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    ProcessRun run;
    if (!process.waitForStarted() || !process.waitForFinished(120000))
        return run;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

ToolRun runTool(const QString &program, const QStringList &arguments, const QString &workingFolder)
{
    const ProcessRun run = runProcess(program, arguments, workingFolder,
                                      {{QStringLiteral("TZ"), QStringLiteral("UTC")},
                                       {QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")}});
    return {run.exitCode, run.out + run.err};
}

QList<SltRecord> sevenZipListing(const QString &archive, const QString &password)
{
    const ToolRun run = runTool(QStringLiteral("7z"),
                                {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-p") + password, archive});
    QList<SltRecord> records;
    // Items follow the "----------" line; each is a block of "Name = value" lines ended by a blank line.
    const qsizetype start = run.output.indexOf("\n----------\n");
    if (!run.ok() || start < 0)
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

QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

}  // namespace orv::test
