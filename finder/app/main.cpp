#include "finder/app/application.h"

int main(int argc, char **argv)
{
    orv::COrvelZipFinderApp app(argc, argv);
    return app.run();
}
