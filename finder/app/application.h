#pragma once

#include <QApplication>

#include <memory>

namespace orv {

class CMainFrame;
class MessageBoxPrompter;

// The application object: identity, locale, the prompter of the windowed program and the main frame.
class COrvelZipFinderApp
{
public:
    COrvelZipFinderApp(int &argc, char **argv);
    ~COrvelZipFinderApp();
    COrvelZipFinderApp(const COrvelZipFinderApp &) = delete;
    COrvelZipFinderApp &operator=(const COrvelZipFinderApp &) = delete;

    // Creates and shows the main frame; false when the program cannot start.
    bool InitInstance();
    int run();

    CMainFrame *mainFrame() const { return m_frame.get(); }

    // Identity shared with the command-line companion and the tests.
    static void setIdentity();

private:
    QApplication m_app;
    std::unique_ptr<MessageBoxPrompter> m_prompter;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace orv
