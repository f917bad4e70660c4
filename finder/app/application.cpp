#include "application.h"

#include "finder/app/mainframe.h"
#include "finder/app/visualstyle.h"
#include "platform/gui/fileicons.h"
#include "platform/gui/messageboxprompter.h"
#include "platform/product.h"

#include <QIcon>

#include <clocale>

namespace orv {

COrvelZipFinderApp::COrvelZipFinderApp(int &argc, char **argv) : m_app(argc, argv) {}

COrvelZipFinderApp::~COrvelZipFinderApp()
{
    m_frame.reset();
    m_prompter.reset();
}

void COrvelZipFinderApp::setIdentity()
{
    QCoreApplication::setOrganizationName(organizationName());
    QCoreApplication::setApplicationName(productName());
    QCoreApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("orvfind"));
}

bool COrvelZipFinderApp::InitInstance()
{
    // Dates and numbers in lists follow the user's locale, as the C library formats them.
    std::setlocale(LC_ALL, "");
    setIdentity();
    useFallbackIconTheme();
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("orvfind"), QIcon(QStringLiteral(":/orvfind.svg"))));
    CVisualStyle::rememberPlatformStyle();

    m_prompter = std::make_unique<MessageBoxPrompter>();
    m_frame = std::make_unique<CMainFrame>();
    m_prompter->setParentWindow(m_frame.get());
    m_frame->show();
    return true;
}

int COrvelZipFinderApp::run()
{
    return InitInstance() ? QApplication::exec() : 1;
}

}  // namespace orv
