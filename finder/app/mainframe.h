#pragma once

#include "finder/app/busyflags.h"
#include "finder/app/frameprofile.h"
#include "finder/app/framemenus.h"
#include "finder/app/panes.h"
#include "finder/places/placeroots.h"
#include "finder/search/foundfiles.h"
#include "finder/settings/settings.h"

#include <QMainWindow>

class QLabel;

namespace orv {

class COrvelSplitter;

// The main window: the Archive Browser on the left, the Found Files list on the right, the menus, the status
// bar, and everything that lives longer than one command.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    CArchiveView *archivePane() const { return m_archivePane; }
    CFileView *filePane() const { return m_filePane; }
    CSettings &settings() { return m_settings; }
    CBusyFlags &busyFlags() { return m_busy; }
    CResultStore &results() { return m_results; }
    CFrameCommands &commands() { return *m_commands; }
    const QString &temporaryFolder() const { return m_tempFolder; }
    const PlaceRoots &places() const { return m_places; }
    QLabel *statusText() const { return m_statusText; }

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
    void connectFrameCommands();
    void saveFrameState();

    FrameProfile m_profile;
    CSettings m_settings;
    PlaceRoots m_places;
    CBusyFlags m_busy;
    CResultStore m_results;
    CFrameCommands *m_commands;
    COrvelSplitter *m_splitter = nullptr;
    CArchiveView *m_archivePane = nullptr;
    CFileView *m_filePane = nullptr;
    QLabel *m_statusText = nullptr;
    QString m_tempFolder;
    int m_look = FrameProfile::DefaultLook;
};

}  // namespace orv
