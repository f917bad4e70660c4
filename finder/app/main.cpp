#include "finder/app/application.h"

#include <csignal>

int main(int argc, char **argv)
{
    // Under a file-size limit a write past it would end the program; ignored, it fails with EFBIG and the
    // copy that made it reports the file and removes what it wrote.
    std::signal(SIGXFSZ, SIG_IGN);
    orv::COrvelZipFinderApp app(argc, argv);
    return app.run();
}
