#pragma once

#include "unpack/common/safefs.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace orv::iso {

// The image opened read-only. Reads are positional and never reach past the size the image had when it
// was opened, so no length taken from the image can make the reader allocate more than the image holds.
class ImageFile
{
public:
    bool open(const QString &path);
    void close() { m_fd.reset(); m_size = 0; }
    bool isOpen() const { return m_fd.valid(); }
    std::uint64_t size() const { return m_size; }

    // Up to length bytes from offset; fewer at the end of the image or on a read error.
    QByteArray read(std::uint64_t offset, std::uint64_t length) const;
    // Fills buffer with up to length bytes from offset; answers how many were read.
    std::size_t readInto(std::uint64_t offset, char *buffer, std::size_t length) const;

private:
    safefs::Fd m_fd;
    std::uint64_t m_size = 0;
};

}  // namespace orv::iso
