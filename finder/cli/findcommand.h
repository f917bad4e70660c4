#pragma once

#include "finder/export/exportrun.h"
#include "finder/export/foundfileswriter.h"
#include "finder/search/searchcriteria.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace orv {

class CArchiveAccess;
class CConsolePrompter;
class IFoundFileSink;

// What "find" was asked for, before anything is touched.
struct FindRequest
{
    SearchCriteria criteria;
    FoundFilesFormat format = FoundFilesFormat::Text;
    std::optional<ExportTarget> document;  // --format xlsx or docx, which needs --output
    QString output;  // empty: standard output
    QStringList places;
    bool pumping = true;
};

// Parses the arguments after "find"; on a usage error returns no value and sets the reason.
std::optional<FindRequest> parseFindArguments(const QStringList &arguments, QString &error);
// "for=archives|files|both,modified=FROM..TO,size=eq|ge|le:N", every part optional; the page is on.
std::optional<FilterPage> parseFilter(const QString &text, QString &error);

// "orvfind-cli find": searches the places as the program searches checked places and prints the hits in
// the form of a saved list; the count goes to the message stream.
class CFindCommand
{
    Q_DECLARE_TR_FUNCTIONS(CFindCommand)

public:
    CFindCommand(std::FILE *out, std::FILE *err) : m_out(out), m_err(err) {}

    // The exit codes of the other commands: 0 done, 1 failed or interrupted, 2 usage.
    int Run(const QStringList &arguments);
    static QString UsageText();

private:
    void error(const QString &text);
    // Runs the search into the sink and reports the count; the output is the caller's.
    std::uint32_t search(const FindRequest &request, IFoundFileSink &sink, bool &cancelled);
    // False when the output could not be written (already reported).
    bool searchToList(const FindRequest &request, bool &cancelled);
    bool searchToDocument(const FindRequest &request, bool &cancelled);

    std::FILE *m_out;
    std::FILE *m_err;
    // Lent by Run for the length of the command.
    CArchiveAccess *m_access = nullptr;
    CConsolePrompter *m_prompts = nullptr;
};

}  // namespace orv
