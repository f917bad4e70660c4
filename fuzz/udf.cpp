// The UDF reader on any bytes: the anchor and the volume descriptor sequence, the partition maps, the
// file sets and every directory tree, and the allocation descriptors of each file.
#include "fuzz/memoryfile.h"
#include "unpack/iso/imagefile.h"
#include "unpack/iso/udfscanner.h"
#include "unpack/iso/udfvolumes.h"

#include <QStringList>

#include <cstdlib>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static fuzz::MemoryFile input;
    iso::ImageFile image;
    if (!image.open(input.put(data, size)))
        return 0;
    iso::UdfVolumes volumes;
    if (!volumes.OpenUDF(image))
        return 0;
    std::vector<iso::CIsoItemInfo> items;
    iso::UdfScanner(image, volumes, items, 0).InitScanUDF();
    for (const iso::CIsoItemInfo &item : items) {
        if (item.path.isEmpty() || item.path.split(QLatin1Char('/')).contains(QString()))
            std::abort();
        // The data of a file is read from its extents; each must name a place inside the image.
        for (const iso::UdfExtent &extent : item.extents) {
            if (extent.recorded && extent.length > 0)
                volumes.ReadExtent(image, item.volume, extent.partition, extent.block, extent.length);
        }
    }
    return 0;
}
