#include "finder/cli/clicommand.h"

#include "platform/product.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    // Without TZ the C library looks at /etc/localtime again on every local-time conversion, twice per
    // listed entry; naming the same file once keeps the meaning and drops the 200,000 file lookups.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    // Under a file-size limit a write past it would end the process; ignored, it fails with EFBIG and the
    // copy that made it reports the file and removes what it wrote.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(orv::organizationName());
    QCoreApplication::setApplicationName(orv::productName());
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    orv::CCliCommand command(stdout, stderr);
    return command.Run(QCoreApplication::arguments().mid(1));
}
