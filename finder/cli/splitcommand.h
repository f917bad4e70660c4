#pragma once

#include "finder/tools/splitrequest.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace orv {

// "split --parts N | --size N[K|M|G] SOURCE DESTDIR" after "split"; on a usage error no value and the reason.
// The rules of the Split File dialog apply: 1 to 999 parts, parts of at least 1024 bytes.
std::optional<SplitRequest> parseSplitArguments(const QStringList &arguments, QString &error);
// "DEST PART..." after "merge".
std::optional<MergeRequest> parseMergeArguments(const QStringList &arguments, QString &error);

// "orvfind-cli split" and "orvfind-cli merge": the Tools menu's split and merge with their messages on the
// message stream. Ctrl-C is the progress window's "&Stop", answered Yes: the parts or the destination go.
class CSplitMergeCommand
{
    Q_DECLARE_TR_FUNCTIONS(CSplitMergeCommand)

public:
    explicit CSplitMergeCommand(std::FILE *err) : m_err(err) {}

    // The exit codes of the other commands: 0 done, 1 failed or interrupted, 2 usage.
    int RunSplit(const QStringList &arguments);
    int RunMerge(const QStringList &arguments);
    static QString UsageText();

private:
    int usageError(const QString &reason);

    std::FILE *m_err;
};

}  // namespace orv
