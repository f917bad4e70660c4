#pragma once

#include "finder/export/exportrun.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace orv {

class CBusyFlags;
class CFoundFilesModel;

// "Save As..." and "Export to Excel" / "Export to Word" of the Found Files list: the Save dialog, the
// progress window and the busy mark around the run of finder/export, which does the writing and the
// telling.
class CExportCommands : public QObject
{
    Q_OBJECT

public:
    // Dialogs and progress windows are owned by the dialog parent's window.
    CExportCommands(const CFoundFilesModel &rows, CBusyFlags &busy, QWidget *dialogParent);

    // Where new workbooks and documents go: the program's temporary folder.
    void setTemporaryFolder(const QString &folder) { m_temporaryFolder = folder; }
    // What opens a finished workbook or document.
    void setFileOpener(FileOpener opener) { m_opener = std::move(opener); }

    // The Save dialog's filters, in their order.
    static QStringList saveFilters();

    // The path of the last save, with its extension; every message of that save quoted it.
    const QString &targetPath() const { return m_targetPath; }
    // The last workbook or document written.
    const QString &exportPath() const { return m_exportPath; }

public slots:
    void OnSaveAs();
    // Save As once the dialog has answered: the chosen path and the filter's index, from 1.
    void SaveAs(const QString &chosenPath, int filterIndex);
    void OnExportToExcel() { Export(ExportTarget::Excel); }
    void OnExportToWord() { Export(ExportTarget::Word); }
    void Export(ExportTarget target);

private:
    class RunWindow;
    bool mayStart();

    const CFoundFilesModel &m_rows;
    CBusyFlags &m_busy;
    QWidget *m_parent;
    QString m_temporaryFolder;
    FileOpener m_opener;
    QString m_targetPath;
    QString m_exportPath;
};

}  // namespace orv
