#include "fdi.h"

#include "unpack/common/entrynames.h"
#include "unpack/common/outputfile.h"

#include <QFile>

#include <mspack.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fcntl.h>
#include <list>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orv::cab {

namespace {

// The name handed to the library for the output of an extraction; the open callback knows it.
constexpr const char *OutputToken = "\x01orv-output";
// A chain of continued cabinets longer than this is taken as a loop.
constexpr int MaxCabinetsInSet = 1024;

constexpr std::size_t ReadAheadSize = 64 * 1024;

// A cabinet opened for reading. The library reads the file table one small record at a time, each
// followed by a seek, so reads are served from a window of the file read ahead; the position is kept
// here and the file is read with pread, so a seek costs no call at all.
struct File
{
    int fd = -1;
    OutputFile *output = nullptr;
    Fdi::System *system = nullptr;
    off_t position = 0;
    off_t windowStart = 0;
    std::vector<char> window;

    // Copies what the window holds at the position; 0 when it holds nothing there.
    std::size_t takeFromWindow(char *out, std::size_t wanted)
    {
        if (position < windowStart || position >= windowStart + static_cast<off_t>(window.size()))
            return 0;
        const auto offset = static_cast<std::size_t>(position - windowStart);
        const std::size_t count = std::min(wanted, window.size() - offset);
        std::memcpy(out, window.data() + offset, count);
        position += static_cast<off_t>(count);
        return count;
    }

    // Reads at the position, into out directly when the request is larger than the window; -1 on error.
    ssize_t readAt(char *out, std::size_t wanted)
    {
        for (;;) {
            ssize_t got = 0;
            if (wanted >= ReadAheadSize) {
                got = ::pread(fd, out, wanted, position);
                if (got > 0)
                    position += static_cast<off_t>(got);
            } else {
                window.resize(ReadAheadSize);
                got = ::pread(fd, window.data(), ReadAheadSize, position);
                window.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
                windowStart = position;
                if (got > 0)
                    got = static_cast<ssize_t>(takeFromWindow(out, wanted));
            }
            if (got >= 0 || errno != EINTR)
                return got;
        }
    }
};

}  // namespace

struct Fdi::System
{
    mspack_system calls{};
    WriteFn write = nullptr;
    OutputFile *pendingOutput = nullptr;
};

namespace {

Fdi::System *systemOf(mspack_system *self)
{
    // calls is the first member, so the library's pointer is the pointer to the whole record.
    return reinterpret_cast<Fdi::System *>(self);
}

File *fileOf(mspack_file *file)
{
    return reinterpret_cast<File *>(file);
}

mspack_file *openFile(mspack_system *self, const char *filename, int mode)
{
    Fdi::System *system = systemOf(self);
    if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(filename, OutputToken) == 0 && system->pendingOutput)
        return reinterpret_cast<mspack_file *>(new File{-1, system->pendingOutput, system, 0, 0, {}});
    if (mode != MSPACK_SYS_OPEN_READ)
        return nullptr;
    const int fd = ::open(filename, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return reinterpret_cast<mspack_file *>(new File{fd, nullptr, system, 0, 0, {}});
}

void closeFile(mspack_file *handle)
{
    File *file = fileOf(handle);
    if (!file)
        return;
    if (file->fd >= 0)
        ::close(file->fd);
    delete file;
}

int readFile(mspack_file *handle, void *buffer, int bytes)
{
    File *file = fileOf(handle);
    if (!file || file->fd < 0 || bytes < 0)
        return -1;
    auto *out = static_cast<char *>(buffer);
    auto done = static_cast<std::size_t>(0);
    const auto wanted = static_cast<std::size_t>(bytes);
    while (done < wanted) {
        std::size_t got = file->takeFromWindow(out + done, wanted - done);
        if (got == 0) {
            const ssize_t read = file->readAt(out + done, wanted - done);
            if (read < 0)
                return -1;
            if (read == 0)
                break;
            got = static_cast<std::size_t>(read);
        }
        done += got;
    }
    return static_cast<int>(done);
}

int writeFile(mspack_file *handle, void *buffer, int bytes)
{
    File *file = fileOf(handle);
    if (!file || !file->output || bytes < 0)
        return -1;
    return file->system->write(*file->output, buffer, bytes);
}

int seekFile(mspack_file *handle, off_t offset, int mode)
{
    File *file = fileOf(handle);
    if (!file || file->fd < 0)
        return -1;
    off_t base = 0;
    switch (mode) {
    case MSPACK_SYS_SEEK_START:
        break;
    case MSPACK_SYS_SEEK_CUR:
        base = file->position;
        break;
    case MSPACK_SYS_SEEK_END: {
        struct stat st{};
        if (::fstat(file->fd, &st) != 0)
            return -1;
        base = st.st_size;
        break;
    }
    default:
        return -1;
    }
    if (offset < 0 && base < -offset)
        return -1;
    file->position = base + offset;
    return 0;
}

off_t tellFile(mspack_file *handle)
{
    File *file = fileOf(handle);
    if (!file || file->fd < 0)
        return -1;
    return file->position;
}

// The library reports problems here as text; the pass reports them through its results instead.
void dropMessage(mspack_file *, const char *, ...) {}

void *allocate(mspack_system *, size_t bytes)
{
    return std::malloc(bytes);
}

void release(void *pointer)
{
    std::free(pointer);
}

void copyBytes(void *source, void *target, size_t bytes)
{
    std::memmove(target, source, bytes);
}

std::string nativePath(const QString &folder, const QString &name)
{
    return entryNameBytes(folder + name).toStdString();
}

FdiFile describe(const mscabd_file &file)
{
    FdiFile info;
    info.name = decodeEntryName(file.filename);
    info.size = file.length;
    info.attributes = static_cast<std::uint16_t>(file.attribs);
    info.date = dosDate(file.date_y, file.date_m, file.date_d);
    info.time = dosTime(file.time_h, file.time_m, file.time_s);
    return info;
}

// The cabinets one pass opened, closed again whatever happens. A cabinet keeps the pointer to the name
// it was opened with and reads through it again while extracting, so the names live here as long.
class OpenCabinets
{
public:
    explicit OpenCabinets(mscab_decompressor *decompressor) : m_decompressor(decompressor) {}
    ~OpenCabinets()
    {
        for (auto it = m_sets.rbegin(); it != m_sets.rend(); ++it)
            m_decompressor->close(m_decompressor, *it);
    }
    OpenCabinets(const OpenCabinets &) = delete;
    OpenCabinets &operator=(const OpenCabinets &) = delete;

    mscabd_cabinet *open(std::string path)
    {
        m_names.push_back(std::move(path));
        mscabd_cabinet *cabinet = m_decompressor->open(m_decompressor, m_names.back().c_str());
        if (cabinet)
            m_sets.push_back(cabinet);
        return cabinet;
    }

    // Joins next to the set ending in last; the set is then closed as one, through its first cabinet.
    bool append(mscabd_cabinet *last, mscabd_cabinet *next)
    {
        if (m_decompressor->append(m_decompressor, last, next) != MSPACK_ERR_OK)
            return false;
        m_sets.erase(std::find(m_sets.begin(), m_sets.end(), next));
        return true;
    }

private:
    mscab_decompressor *m_decompressor;
    std::list<std::string> m_names;
    std::vector<mscabd_cabinet *> m_sets;
};

void appendFollowing(OpenCabinets &cabinets, mscabd_cabinet *first, const QString &folder, FdiNotify &notify)
{
    mscabd_cabinet *last = first;
    for (int count = 1; count < MaxCabinetsInSet; ++count) {
        if (!(last->flags & MSCAB_HDR_NEXTCAB) || !last->nextname)
            return;
        const QString name = decodeEntryName(last->nextname);
        if (name.contains(QLatin1Char('/')) || !notify.nextCabinet(folder, name))
            return;
        mscabd_cabinet *next = cabinets.open(nativePath(folder, name));
        if (!next || !cabinets.append(last, next))
            return;
        last = next;
    }
}

}  // namespace

std::uint16_t dosDate(int year, int month, int day)
{
    const int years = year < 1980 ? 0 : (year - 1980) & 0x7F;
    return static_cast<std::uint16_t>((years << 9) | ((month & 0x0F) << 5) | (day & 0x1F));
}

std::uint16_t dosTime(int hour, int minute, int second)
{
    return static_cast<std::uint16_t>(((hour & 0x1F) << 11) | ((minute & 0x3F) << 5) | ((second / 2) & 0x1F));
}

std::unique_ptr<Fdi> Fdi::create(WriteFn write)
{
    std::unique_ptr<Fdi> fdi(new Fdi);
    fdi->m_system = std::make_unique<System>();
    mspack_system &calls = fdi->m_system->calls;
    calls.open = openFile;
    calls.close = closeFile;
    calls.read = readFile;
    calls.write = writeFile;
    calls.seek = seekFile;
    calls.tell = tellFile;
    calls.message = dropMessage;
    calls.alloc = allocate;
    calls.free = release;
    calls.copy = copyBytes;
    calls.null_ptr = nullptr;
    fdi->m_system->write = write;
    fdi->m_decompressor = mspack_create_cab_decompressor(&calls);
    if (!fdi->m_decompressor)
        return nullptr;
    return fdi;
}

Fdi::~Fdi()
{
    if (m_decompressor)
        mspack_destroy_cab_decompressor(m_decompressor);
}

std::optional<std::uint32_t> Fdi::cabinetLength(const QString &path)
{
    OpenCabinets cabinets(m_decompressor);
    const mscabd_cabinet *cabinet = cabinets.open(QFile::encodeName(path).toStdString());
    if (!cabinet)
        return std::nullopt;
    return static_cast<std::uint32_t>(cabinet->length);
}

bool Fdi::copy(const QString &cabinetName, const QString &cabinetFolder, FdiNotify &notify)
{
    OpenCabinets cabinets(m_decompressor);
    mscabd_cabinet *first = cabinets.open(nativePath(cabinetFolder, cabinetName));
    if (!first)
        return false;
    appendFollowing(cabinets, first, cabinetFolder, notify);
    bool sound = true;
    for (mscabd_file *file = first->files; file; file = file->next) {
        const FdiFile info = describe(*file);
        OutputFile *output = nullptr;
        const CopyAnswer answer = notify.copyFile(info, output);
        if (answer == CopyAnswer::Abort)
            return false;
        if (answer == CopyAnswer::Skip || !output)
            continue;
        m_system->pendingOutput = output;
        const int error = m_decompressor->extract(m_decompressor, file, OutputToken);
        m_system->pendingOutput = nullptr;
        if (!notify.closeFileInfo(info, *output, error == MSPACK_ERR_OK))
            return false;
        sound = sound && error == MSPACK_ERR_OK;
    }
    return notify.enumerate() && sound;
}

}  // namespace orv::cab
