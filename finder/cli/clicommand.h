#pragma once

#include "finder/archive/archiveaccess.h"
#include "finder/archive/archivekind.h"
#include "finder/cli/consoleprompter.h"
#include "unpack/common/unpackcontext.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace orv {

// What the command line asked for, before anything is touched.
struct CliRequest
{
    enum class Command { List, Info, Extract };
    Command command = Command::List;
    QString path;
    QString destination;
    std::optional<QString> password;
    std::optional<OverwritePolicy> overwrite;
    bool filesWithoutPaths = false;
    bool foldersWithoutPaths = false;
    bool archivesWithoutPaths = false;
};

// Parses the arguments after the program name; on a usage error returns no value and sets the reason.
std::optional<CliRequest> parseCliArguments(const QStringList &arguments, QString &error);

// The command-line companion: lists, describes and extracts archives with the program's own settings and
// readers. Output goes to one stream in large blocks; messages and questions to another.
class CCliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CCliCommand)

public:
    enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

    CCliCommand(std::FILE *out, std::FILE *err) : m_out(out), m_err(err) {}

    int Run(const QStringList &arguments);
    static QString UsageText();

private:
    int runList(CArchiveAccess &access, const CliRequest &request);
    int runInfo(CArchiveAccess &access, const CliRequest &request);
    int runExtract(CArchiveAccess &access, const CliRequest &request, CConsolePrompter &prompts);
    // The archive the path is or lies in; reports why not and returns an empty path when none.
    CArchiveAccess::Located locateArchiveOf(CArchiveAccess &access, const QString &path);
    // Says why the archive could not be opened, in the reader's words where it gives them.
    void reportOpenFailure(CArchiveAccess &access, ArchiveKindCode kind);
    // One line on the error stream for each item an extraction left out.
    void reportNotice(const UnpackNotice &notice);
    void error(const QString &text);
    void print(const QString &text);

    std::FILE *m_out;
    std::FILE *m_err;
};

}  // namespace orv
