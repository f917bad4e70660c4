#pragma once

#include "finder/search/foundfiles.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <span>

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

// The parts of a saved list, with "\n" as line end.
QString foundFilesHeader(FoundFilesFormat format);
QString foundFilesRow(FoundFilesFormat format, const CFileInfo &record);
QString foundFilesFooter(FoundFilesFormat format);

// How a saved file is encoded: a UTF-8 byte-order mark in front and CR LF line ends.
QByteArray foundFilesFileBytes(const QString &text, bool atStart);

// Writes the whole list to a file through a temporary file renamed over the target at the end, so a
// failed write leaves any earlier file as it was. False with the reason on failure.
bool writeFoundFilesFile(const QString &path, FoundFilesFormat format, std::span<const CFileInfo> records,
                         QString &error);

}  // namespace orv
