#pragma once

#include "finder/export/foundfileswriter.h"
#include "finder/search/searchcriteria.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace orv {

// What "find" was asked for, before anything is touched.
struct FindRequest
{
    SearchCriteria criteria;
    FoundFilesFormat format = FoundFilesFormat::Text;
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

    std::FILE *m_out;
    std::FILE *m_err;
};

}  // namespace orv
