// The ISO 9660 reader on any bytes: recognition, the Primary Volume Descriptor and the whole directory
// tree. Items must come out as the listing expects them: a path of non-empty components.
#include "fuzz/memoryfile.h"
#include "unpack/iso/imagefile.h"
#include "unpack/iso/iso9660reader.h"

#include <QStringList>

#include <cstdlib>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static fuzz::MemoryFile input;
    iso::ImageFile image;
    if (!image.open(input.put(data, size)))
        return 0;
    iso::CheckIsoImage(image);
    const std::optional<iso::Iso9660Volume> volume = iso::OpenISO9660(image);
    if (!volume)
        return 0;
    std::vector<iso::CIsoItemInfo> items;
    iso::Iso9660Scanner(image, *volume, items, 0).scanRoot();
    for (const iso::CIsoItemInfo &item : items) {
        if (item.path.isEmpty() || item.path.split(QLatin1Char('/')).contains(QString()))
            std::abort();
    }
    return 0;
}
