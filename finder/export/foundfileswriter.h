#pragma once

#include "finder/search/foundfiles.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace orv {

enum class FoundFilesFormat { Text, Csv, Xml };

// "txt", "csv" or "xml", ignoring case.
std::optional<FoundFilesFormat> foundFilesFormatNamed(const QString &name);

// The four texts of a record as the list's columns show them.
struct FoundFileTexts
{
    QString name;
    QString folder;
    QString size;  // "1 234 567 bytes"; empty for a folder record
    QString time;  // local time as "%x %X"; empty when it cannot be formatted
};
FoundFileTexts foundFileTexts(const CFileInfo &record);

// The line end of a saved file (CR LF) or of plain lines on standard output (LF). Only the records end
// with it: a line break inside a value is the value's own.
enum class LineEnd { Lf, CrLf };

// The parts of a saved list. A CSV value holding ";", a double quote, CR or LF is quoted with its quotes
// doubled, every other value is written as it is; the text form shows CR and LF inside a value as "\r" and
// "\n", so that one record stays one line; XML text is escaped.
QString foundFilesHeader(FoundFilesFormat format, LineEnd end);
QString foundFilesRow(FoundFilesFormat format, const CFileInfo &record, LineEnd end);
QString foundFilesFooter(FoundFilesFormat format, LineEnd end);
// The row of the text form without its line end: the four texts separated by blanks.
QString foundFilesTextLine(const CFileInfo &record);
// Text for XML content: markup characters and line breaks as references, characters XML cannot carry as
// U+FFFD.
QString xmlEscaped(const QString &text);

// How a saved file is encoded: UTF-8, with a byte-order mark in front of the first part.
QByteArray foundFilesFileBytes(const QString &text, bool atStart);

}  // namespace orv
