#pragma once

#include "unpack/common/byteview.h"
#include "unpack/iso/isoitem.h"
#include "unpack/iso/scanguard.h"
#include "unpack/iso/udfdescriptors.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orv::iso {

class ImageFile;
class UdfVolumes;

// Reads the directory trees of every logical volume, from its File Set Descriptor down, into items in
// pre-order.
class UdfScanner
{
public:
    UdfScanner(const ImageFile &image, UdfVolumes &volumes, std::vector<CIsoItemInfo> &items, std::int64_t scanTime);

    // False when the first volume cannot be scanned; a later volume that fails ends the scan with what
    // the volumes before it gave.
    bool InitScanUDF();

private:
    // Where an item is found: its name, parent path, hidden bit and the volume it belongs to.
    struct Place
    {
        QString name;
        QString parent;
        bool hidden = false;
        int volume = 0;
    };

    bool scanVolume(int volume);
    bool scanRoot(int volume, const UdfExtent &root);
    std::optional<udf::FileEntry> readEntry(int volume, const UdfExtent &icb);
    std::optional<QByteArray> directoryData(int volume, const udf::FileEntry &entry, std::uint16_t partition);
    bool appendExtent(QByteArray &data, int volume, const UdfExtent &extent, std::uint64_t wanted);
    bool walkDirectory(ByteView data, const QString &path, int volume, int depth);
    bool ReadDirUDF(const Place &place, const udf::FileEntry &entry, const UdfExtent &icb, int depth);
    bool ReadInfoFileUDF(const Place &place, const udf::FileEntry &entry, std::uint16_t partition);
    CIsoItemInfo makeItem(const Place &place, const udf::FileEntry &entry, bool directory) const;

    const ImageFile &m_image;
    UdfVolumes &m_volumes;
    std::vector<CIsoItemInfo> &m_items;
    std::int64_t m_scanTime;
    ScanGuard m_guard;
};

}  // namespace orv::iso
