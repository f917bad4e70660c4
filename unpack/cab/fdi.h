#pragma once

// The cabinet decompression calls the CAB unpacker is written against (create, is-cabinet, copy with
// notifications, destroy), over libmspack. Files are read with plain descriptors and every message of the
// library is dropped, so nothing reaches stderr.

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

struct mscab_decompressor;

namespace orv {

class OutputFile;

namespace cab {

// One file of a cabinet as a copy pass announces it.
struct FdiFile
{
    QString name;  // as stored, "\" separators kept, decoded as UTF-8
    std::uint32_t size = 0;
    std::uint16_t date = 0;  // DOS date and time
    std::uint16_t time = 0;
    std::uint16_t attributes = 0;
};

enum class CopyAnswer { Skip, Write, Abort };

// The notifications of one copy pass.
class FdiNotify
{
public:
    virtual ~FdiNotify() = default;
    // Copy file: Write hands over the file to write the data to (it stays the caller's).
    virtual CopyAnswer copyFile(const FdiFile &file, OutputFile *&output) = 0;
    // Close file info: the data is all written when sound. False stops the pass.
    virtual bool closeFileInfo(const FdiFile &file, OutputFile &output, bool sound) = 0;
    // Next cabinet: whether the set may continue in folder + name.
    virtual bool nextCabinet(const QString &folder, const QString &name) = 0;
    // Enumerate, once at the end of the pass: whether the pass counts as a success.
    virtual bool enumerate() = 0;
};

class Fdi
{
public:
    // Receives every block of data; no user pointer, as the cabinet library's write callback. Answers the
    // count written, or -1 to stop the pass.
    using WriteFn = int (*)(OutputFile &file, const void *data, int size);

    // Null when the library cannot make a decompressor.
    static std::unique_ptr<Fdi> create(WriteFn write);
    ~Fdi();
    Fdi(const Fdi &) = delete;
    Fdi &operator=(const Fdi &) = delete;

    bool isCabinet(const QString &path) { return cabinetLength(path).has_value(); }
    // The length of the whole cabinet file as its header gives it; none when the file is no cabinet.
    std::optional<std::uint32_t> cabinetLength(const QString &path);
    // One pass over the cabinet folder + name and the cabinets it continues in, notifying every file in
    // order. False when the cabinet cannot be read or the handler stopped or failed the pass.
    bool copy(const QString &cabinetName, const QString &cabinetFolder, FdiNotify &notify);

    struct System;

private:
    Fdi() = default;

    std::unique_ptr<System> m_system;
    mscab_decompressor *m_decompressor = nullptr;
};

// DOS date and time words from their fields.
std::uint16_t dosDate(int year, int month, int day);
std::uint16_t dosTime(int hour, int minute, int second);

}  // namespace cab
}  // namespace orv
