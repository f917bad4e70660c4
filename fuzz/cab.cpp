// The cabinet input layer on any bytes: opening, the file table, a set continued in further cabinets and
// the data of every file, through the layer's reads, seeks and read-ahead window.
//
// An input holds one cabinet, or several parted by the marker below: when a cabinet names the one that
// continues it, the next part is written under that name, so a set of any length is one input. The data
// decoded is dropped.
#include "fuzz/memoryfile.h"
#include "unpack/cab/fdi.h"
#include "unpack/common/outputfile.h"

#include <QFile>

#include <cstring>
#include <string_view>

using namespace orv;

namespace {

constexpr std::string_view kNextCabinet = "--next-cabinet--";
// Enough data for every decoder to run a few blocks; a file table may promise gigabytes.
constexpr int kMostBytesPerInput = 4 << 20;

int g_bytesLeft = 0;

int discard(OutputFile &, const void *, int size)
{
    if (size > g_bytesLeft)
        return -1;
    g_bytesLeft -= size;
    return size;
}

class Parts
{
public:
    Parts(const std::uint8_t *data, std::size_t size) : m_rest(reinterpret_cast<const char *>(data), size) {}

    std::string_view next()
    {
        const std::size_t end = m_rest.find(kNextCabinet);
        const std::string_view part = m_rest.substr(0, end);
        m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + kNextCabinet.size());
        return part;
    }

private:
    std::string_view m_rest;
};

class DiscardingPass final : public cab::FdiNotify
{
public:
    DiscardingPass(const fuzz::ScratchFolder &folder, Parts &parts) : m_folder(folder), m_parts(parts) {}

    cab::CopyAnswer copyFile(const cab::FdiFile &, OutputFile *&output) override
    {
        output = &m_output;
        return cab::CopyAnswer::Write;
    }
    bool closeFileInfo(const cab::FdiFile &, OutputFile &, bool) override { return true; }
    bool nextCabinet(const QString &folder, const QString &name) override
    {
        if (folder != m_folder.path() || name.isEmpty() || name.contains(QLatin1Char('/'))
            || name == QLatin1String(".") || name == QLatin1String(".."))
            return false;
        const std::string_view part = m_parts.next();
        QFile file(folder + name);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
               && file.write(part.data(), qint64(part.size())) == qint64(part.size());
    }
    bool enumerate() override { return true; }

private:
    const fuzz::ScratchFolder &m_folder;
    Parts &m_parts;
    OutputFile m_output;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    static const std::unique_ptr<cab::Fdi> fdi = cab::Fdi::create(&discard);
    if (folder.path().isEmpty() || !fdi)
        return 0;
    Parts parts(data, size);
    const std::string_view first = parts.next();
    {
        QFile file(folder.path() + QStringLiteral("first.cab"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(first.data(), qint64(first.size())) != qint64(first.size()))
            return 0;
    }
    g_bytesLeft = kMostBytesPerInput;
    if (fdi->isCabinet(folder.path() + QStringLiteral("first.cab"))) {
        DiscardingPass pass(folder, parts);
        fdi->copy(QStringLiteral("first.cab"), folder.path(), pass);
    }
    folder.empty();
    return 0;
}
