// Lists or extracts one 7z or CAB archive through orvadd, for timing against other tools.
//   orvadd-bench list ARCHIVE
//   orvadd-bench extract ARCHIVE TARGET

#include "unpack/7z/sevenzipunpacker.h"
#include "unpack/cab/cabunpacker.h"

#include <QCoreApplication>

#include <cstdio>

using namespace orv;

namespace {

template <typename Unpacker, typename Record>
int run(Unpacker &unpacker, const QString &command, const QString &archive, const QString &target)
{
    INIUNPACK ini;
    ini.bAskBeforeOverwriting = 0;
    unpacker.SetIni(ini);
    if (!unpacker.OpenArchive(archive)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(archive));
        return 1;
    }
    if (command == QLatin1String("extract")) {
        const bool ok = unpacker.UnpackArchive(target);
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(unpacker.GetLastErrorText()));
        return ok ? 0 : 1;
    }
    long items = 0;
    if (unpacker.FindFile()) {
        bool more = true;
        while (more) {
            more = unpacker.FindNextFileW();
            Record record;
            items += unpacker.GetFileFullInfo(record) ? 1 : 0;
        }
    }
    std::printf("%ld items\n", items);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3 || (arguments[1] == QLatin1String("extract") && arguments.size() < 4)) {
        std::fprintf(stderr, "usage: orvadd-bench list|extract ARCHIVE [TARGET]\n");
        return 2;
    }
    const QString archive = arguments[2];
    const QString target = arguments.value(3);
    if (archive.endsWith(QLatin1String(".cab"), Qt::CaseInsensitive)) {
        CCabUnpacker unpacker;
        return run<CCabUnpacker, CABFILEFULLINFO>(unpacker, arguments[1], archive, target);
    }
    C7zUnpacker unpacker;
    return run<C7zUnpacker, SEVENZIPFILEFULLINFO>(unpacker, arguments[1], archive, target);
}
