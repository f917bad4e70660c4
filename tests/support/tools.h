#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orv::test {

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;  // standard output and error together
    bool ok() const { return exitCode == 0; }
};

// Runs an outside tool (7z, zip, tar, gcab, genisoimage ...) with no input, in UTC and a UTF-8 locale, so
// that listings and times come out the same on every machine; exitCode -1 when it could not start or finish.
ToolRun runTool(const QString &program, const QStringList &arguments, const QString &workingFolder = {});

// Reproducible bytes that do not compress.
QByteArray noise(int size, quint32 seed);

}  // namespace orv::test
