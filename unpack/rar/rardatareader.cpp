#include "rardatareader.h"

#include "unpack/common/records.h"
#include "unpack/rar/rarheader.h"
#include "unpack/rar/rarlocale.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <vector>

namespace orv::rar {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
constexpr int kRetryLimit = 16;

QString errorOf(struct archive *handle)
{
    const char *text = handle ? archive_error_string(handle) : nullptr;
    return text ? QString::fromUtf8(text) : QStringLiteral("The data is damaged.");
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const char *data, std::size_t size)
{
    // zlib's CRC-32 is the same checksum, computed several bytes at a time.
    return static_cast<std::uint32_t>(::crc32_z(crc, reinterpret_cast<const Bytef *>(data), size));
}

void DataReader::ArchiveDeleter::operator()(struct archive *handle) const
{
    archive_read_free(handle);
}

DataReader::DataReader(QStringList volumes) : m_volumes(std::move(volumes)) {}

DataReader::~DataReader() = default;

ReadResult DataReader::fail(ReadStatus status, const QString &text)
{
    return {status, text};
}

bool DataReader::reopen()
{
    m_archive.reset(archive_read_new());
    m_next = 0;
    m_broken = false;
    if (!m_archive)
        return false;
    archive_read_support_format_rar(m_archive.get());
    archive_read_support_format_rar5(m_archive.get());
    std::vector<QByteArray> names;
    for (const QString &volume : m_volumes)
        names.push_back(QFile::encodeName(volume));
    std::vector<const char *> pointers;
    for (const QByteArray &name : names)
        pointers.push_back(name.constData());
    pointers.push_back(nullptr);
    if (archive_read_open_filenames(m_archive.get(), pointers.data(), kBlockSize) != ARCHIVE_OK) {
        m_broken = true;
        return false;
    }
    return true;
}

ReadResult DataReader::seek(std::size_t position, const RarHeader &header)
{
    if (!m_archive || m_broken || position < m_next) {
        if (!reopen())
            return fail(ReadStatus::BadData, errorOf(m_archive.get()));
    }
    struct archive_entry *entry = nullptr;
    while (m_next <= position) {
        const int code = archive_read_next_header(m_archive.get(), &entry);
        if (code == ARCHIVE_EOF || code == ARCHIVE_FATAL) {
            m_broken = true;
            return fail(ReadStatus::Unreachable, errorOf(m_archive.get()));
        }
        ++m_next;
        if (code < ARCHIVE_WARN)
            entry = nullptr;
    }
    if (!entry)
        return fail(ReadStatus::BadData, errorOf(m_archive.get()));
    // Both readers walk the same headers; a different name means they lost step with each other.
    if (const char *name = archive_entry_pathname_utf8(entry);
        name && normaliseEntryPath(QString::fromUtf8(name)) != header.fileName)
        return fail(ReadStatus::BadData, QStringLiteral("The headers of the archive do not agree with its data."));
    const char *target = archive_entry_filetype(entry) == AE_IFLNK ? archive_entry_symlink_utf8(entry) : nullptr;
    m_symlinkTarget = target ? QString::fromUtf8(target) : QString();
    return {};
}

ReadResult DataReader::read(std::size_t position, const RarHeader &header, const DataSink &sink)
{
    const Utf8Scope utf8;
    ReadResult result = seek(position, header);
    if (result.status != ReadStatus::Ok)
        return result;
    if (!m_symlinkTarget.isEmpty() || !header.symlinkTarget.isEmpty()) {
        const QByteArray text = (m_symlinkTarget.isEmpty() ? header.symlinkTarget : m_symlinkTarget).toUtf8();
        // A RAR 4 link stores its target as the data, with size and CRC; a RAR 5 link record has none.
        if (header.unpSize != 0 && (header.unpSize != std::uint64_t(text.size())
                                    || (header.crcKnown && crc32Update(0, text.constData(), std::size_t(text.size())) != header.fileCrc)))
            return fail(ReadStatus::CrcError, QStringLiteral("The link target does not match its checksum."));
        if (!sink(text.constData(), std::size_t(text.size())))
            return fail(ReadStatus::Stopped, {});
        return {};
    }
    return readData(header, sink);
}

ReadResult DataReader::readData(const RarHeader &header, const DataSink &sink)
{
    std::vector<char> block(kBlockSize);
    std::uint64_t total = 0;
    std::uint32_t crc = 0;
    int retries = 0;
    for (;;) {
        const la_ssize_t got = archive_read_data(m_archive.get(), block.data(), block.size());
        if (got == 0)
            break;
        if (got == ARCHIVE_RETRY && ++retries < kRetryLimit)
            continue;
        if (got < 0) {
            m_broken = true;
            return fail(ReadStatus::BadData, errorOf(m_archive.get()));
        }
        total += std::uint64_t(got);
        // A damaged archive can make the decoder run on; more than the header promised is never written.
        if (total > header.unpSize) {
            m_broken = true;
            return fail(ReadStatus::BadData, QStringLiteral("The data is longer than the header says."));
        }
        crc = crc32Update(crc, block.data(), std::size_t(got));
        if (!sink(block.data(), std::size_t(got)))
            return fail(ReadStatus::Stopped, {});
    }
    if (total != header.unpSize)
        return fail(ReadStatus::BadData, QStringLiteral("The data is shorter than the header says."));
    if (header.crcKnown && crc != header.fileCrc)
        return fail(ReadStatus::CrcError, QStringLiteral("The data does not match its checksum."));
    return {};
}

}  // namespace orv::rar
