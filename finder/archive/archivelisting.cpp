#include "archivelisting.h"

namespace orv {

qint64 forEachEntry(IUnpacker &unpacker, TarNames names, const std::function<bool(const ArchiveEntry &)> &visit)
{
    if (!unpacker.findFile())
        return 0;
    const bool prefixWithTar = names == TarNames::UnderTar && unpacker.isTarInside();
    QString tarPrefix;
    qint64 count = 0;
    ArchiveEntry entry;
    bool more = true;
    while (more) {
        more = unpacker.findNextFile();
        if (!unpacker.currentEntry(entry))
            break;
        if (prefixWithTar) {
            if (count == 0)
                tarPrefix = entry.path + QLatin1Char('/');
            else
                entry.path.prepend(tarPrefix);
        }
        ++count;
        if (!visit(entry))
            break;
    }
    return count;
}

}  // namespace orv
