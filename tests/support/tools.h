#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace orv::test {

struct ProcessRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool ok() const { return exitCode == 0; }
};

// Runs a program with no input and waits for it; the variables given are set on top of this process's
// environment. exitCode -1 when it could not start or finish.
ProcessRun runProcess(const QString &program, const QStringList &arguments, const QString &workingFolder = {},
                      const QMap<QString, QString> &variables = {});

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;  // standard output, then standard error
    bool ok() const { return exitCode == 0; }
};

// Runs an outside tool (7z, zip, tar, gcab, genisoimage ...) in UTC and a UTF-8 locale, so that listings and
// times come out the same on every machine.
ToolRun runTool(const QString &program, const QStringList &arguments, const QString &workingFolder = {});

// 7-Zip's own listing of an archive ("7z l -slt", with the password or an empty one so that it never
// asks), the oracle of many reader tests: one record per item, keyed by property name ("Path", "Size",
// "Folder", "CRC" ...). Empty when 7z fails.
using SltRecord = QMap<QString, QString>;
QList<SltRecord> sevenZipListing(const QString &archive, const QString &password = {});

// Reproducible bytes that do not compress.
QByteArray noise(int size, quint32 seed);

}  // namespace orv::test
