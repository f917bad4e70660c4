#pragma once

#include "finder/export/foundfileswriter.h"
#include "finder/export/foundrows.h"

#include <QString>

#include <functional>
#include <optional>

class QObject;

namespace orv {

enum class ExportTarget { Excel, Word };

// What the window lends a save or an export while it walks the rows.
class IRunWindow
{
public:
    virtual ~IRunWindow() = default;
    // Shows the progress window with this title, marks the operation as running and shows the wait cursor.
    // Returns the object that gets every progress text (event 1129) and to which a stop request (event
    // 1130) is posted.
    virtual QObject *begin(const QString &title) = 0;
    // Undoes begin, before the closing message.
    virtual void end() = 0;
    // The least time between two pumps. Emptying the queue repaints the progress window, which costs a
    // hundred times what writing a row does, so the text is sent and the queue emptied at most this often
    // (always after the first row); 0 does both after every row.
    virtual int pumpIntervalMs() const { return 2; }
};

// Hands a finished file to the desktop's program for it; false when none opens it.
using FileOpener = std::function<bool(const QString &path)>;

// The Save dialog's filter (1 text, 2 CSV, 3 XML); nothing for any other index.
std::optional<FoundFilesFormat> formatOfSaveFilter(int filterIndex);
// The path gets the form's extension unless the text after its last "." already is that extension,
// ignoring case: report -> report.csv, report.txt saved as CSV -> report.txt.csv, REPORT.CSV stays.
QString withSaveExtension(const QString &path, FoundFilesFormat format);
// A name not yet taken in folder for a new workbook or document: "Found Files.xlsx", then
// "Found Files (2).xlsx" and so on.
QString newExportPath(const QString &folder, ExportTarget target);

// Save As once the path is chosen: creates or truncates the file, writes the rows with a progress window
// and the stop protocol, and tells every outcome through the prompts. Returns the rows written.
std::size_t SaveFoundFiles(const QString &path, FoundFilesFormat format, const IFoundRows &rows, IRunWindow &window);

// Export to a new workbook (.xlsx) or document (.docx) at path, then hands it to open. Returns the rows
// written.
std::size_t ExportFoundFiles(ExportTarget target, const QString &path, const IFoundRows &rows, IRunWindow &window,
                             const FileOpener &open);

}  // namespace orv
