#pragma once

#include "finder/app/frameprofile.h"
#include "finder/app/framemenus.h"
#include "finder/app/panes.h"
#include "finder/browser/archiveediting.h"
#include "finder/browser/archiveservice.h"
#include "finder/common/busyflags.h"
#include "finder/places/placeroots.h"
#include "finder/search/foundfiles.h"
#include "finder/search/searchcriteria.h"
#include "finder/settings/settings.h"

#include <QMainWindow>

class QLabel;
class QMenu;

namespace orv {

class CArchiveBrowserPane;
class CBookmarkCommands;
class CExportCommands;
class CExtractionCommands;
class CFoundFilesPane;
class COrvelSplitter;
class CSplitMergeCommands;

// The main window: the Archive Browser on the left, the Found Files list on the right, the menus, the status
// bar, and everything that lives longer than one command. It is the one place that wires the panes: each
// gets the few things it uses, and they reach each other only through the connections made here.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    CArchiveView *archivePane() const { return m_archivePane; }
    CFileView *filePane() const { return m_filePane; }
    CArchiveBrowserPane *browser() const { return m_browser; }
    CFoundFilesPane *foundFiles() const { return m_foundFiles; }
    CArchiveService &archives() { return m_archives; }
    CExtractionCommands *extraction() const { return m_extraction; }
    CExportCommands *exportCommands() const { return m_export; }
    CSettings &settings() { return m_settings; }
    CBusyFlags &busyFlags() { return m_busy; }
    CResultStore &results() { return m_results; }
    // The criteria of the last Find, which Search in Results narrows further.
    const SearchCriteria &criteria() const { return m_criteria; }
    CFrameCommands &commands() { return *m_commands; }
    const QString &temporaryFolder() const { return m_tempFolder; }
    const PlaceRoots &places() const { return m_places; }
    QLabel *statusText() const { return m_statusText; }
    CBookmarkCommands *bookmarks() const { return m_bookmarks; }
    QMenu *bookmarksMenu() const { return m_bookmarksMenu; }

    int applicationLook() const { return m_look; }
    void setApplicationLook(int look);

    // The close and options guard: true (after asking the running operation to stop) while one runs.
    bool IsBusy() { return m_busy.IsBusy(); }
    void OnOptions();
    void OnAbout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createClientArea();
    void createMenuBar();
    void createStatusBar();
    void createPanes();
    void connectPanes();
    void connectFrameCommands();
    void saveFrameState();
    void applySettingsNow();
    void useEditingDialogs();

    FrameProfile m_profile;
    CSettings m_settings;
    PlaceRoots m_places;
    CBusyFlags m_busy;
    CResultStore m_results;
    SearchCriteria m_criteria;
    CArchiveService m_archives;
    // The choices of the adds of the current drop.
    PackChoices m_packChoices;
    CArchiveEditing m_editing;
    CFrameCommands *m_commands;
    COrvelSplitter *m_splitter = nullptr;
    CArchiveView *m_archivePane = nullptr;
    CFileView *m_filePane = nullptr;
    CExtractionCommands *m_extraction = nullptr;
    CSplitMergeCommands *m_splitMerge = nullptr;
    CExportCommands *m_export = nullptr;
    CArchiveBrowserPane *m_browser = nullptr;
    CFoundFilesPane *m_foundFiles = nullptr;
    QLabel *m_statusText = nullptr;
    QMenu *m_bookmarksMenu = nullptr;
    CBookmarkCommands *m_bookmarks = nullptr;
    QString m_bookmarksRoot;
    QString m_tempFolder;
    int m_look = FrameProfile::DefaultLook;
};

}  // namespace orv
