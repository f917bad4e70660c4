#include "finder/cli/clicommand.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvel Systems"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvel-ZIP Finder"));
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    orv::CCliCommand command(stdout, stderr);
    return command.Run(QCoreApplication::arguments().mid(1));
}
