#include "archivereader.h"

#include "unpack/common/entrynames.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <langinfo.h>

namespace orv::zip {

namespace {

constexpr std::size_t ReadBlockSize = 64 * 1024;

// Qt switches a process to a UTF-8 locale at start, so the multibyte names libarchive keeps already are
// UTF-8 and its own UTF-8 view would only convert them to themselves, at the cost of a decode per character.
bool localeIsUtf8()
{
    static const bool utf8 = std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
    return utf8;
}

using NameGetter = const char *(*)(archive_entry *);

QString entryText(archive_entry *entry, NameGetter utf8, NameGetter local)
{
    if (localeIsUtf8()) {
        if (const char *name = local(entry))
            return decodeEntryName(name);
    }
    if (const char *name = utf8(entry))
        return decodeEntryName(name);
    if (const char *name = local(entry))
        return QFile::decodeName(name);
    return {};
}

StreamHeader::Type typeOf(archive_entry *entry)
{
    if (archive_entry_hardlink(entry))
        return StreamHeader::Type::HardLink;
    switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
        return StreamHeader::Type::File;
    case AE_IFDIR:
        return StreamHeader::Type::Folder;
    case AE_IFLNK:
        return StreamHeader::Type::SymbolicLink;
    default:
        return StreamHeader::Type::Other;
    }
}

std::uint64_t sizeOf(archive_entry *entry)
{
    const la_int64_t size = archive_entry_size(entry);
    return archive_entry_size_is_set(entry) != 0 && size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

std::int64_t modifiedOf(archive_entry *entry)
{
    return archive_entry_mtime_is_set(entry) != 0 ? static_cast<std::int64_t>(archive_entry_mtime(entry)) : 0;
}

void fillHeader(archive_entry *entry, StreamHeader &header)
{
    header.rawPath = entryText(entry, archive_entry_pathname_utf8, archive_entry_pathname);
    header.type = typeOf(entry);
    if (header.type == StreamHeader::Type::HardLink)
        header.linkTarget = entryText(entry, archive_entry_hardlink_utf8, archive_entry_hardlink);
    else if (header.type == StreamHeader::Type::SymbolicLink)
        header.linkTarget = entryText(entry, archive_entry_symlink_utf8, archive_entry_symlink);
    else
        header.linkTarget.clear();
    header.sizeKnown = archive_entry_size_is_set(entry) != 0;
    header.size = sizeOf(entry);
    header.modifiedKnown = archive_entry_mtime_is_set(entry) != 0;
    header.modified = modifiedOf(entry);
    header.mode = static_cast<std::uint32_t>(archive_entry_mode(entry));
}

// Only the compressions of the archive kinds read here. Every other filter is left off, above all those that
// libarchive decodes by running an outside program (lrzip, grzip, lzop, ...): a crafted file would start it.
// A filter of these that this build of the library would also leave to a program is refused as well.
bool enableCompressions(archive *handle)
{
    using Enable = int (*)(archive *);
    for (const Enable enable : {archive_read_support_filter_gzip, archive_read_support_filter_bzip2,
                                archive_read_support_filter_xz, archive_read_support_filter_lzma}) {
        if (enable(handle) != ARCHIVE_OK)
            return false;
    }
    return true;
}

}  // namespace

void ArchiveReader::Free::operator()(archive *handle) const
{
    archive_read_free(handle);
}

bool ArchiveReader::open(const QString &path, Formats formats)
{
    m_error.clear();
    m_handle.reset(archive_read_new());
    if (!m_handle) {
        m_error = QStringLiteral("Out of memory.");
        return false;
    }
    archive *a = m_handle.get();
    if (!enableCompressions(a)) {
        m_error = QStringLiteral("The libarchive library on this system cannot decompress GZip, BZip2 or XZ data "
                                 "by itself.");
        m_handle.reset();
        return false;
    }
    if (formats == Formats::Tar)
        archive_read_support_format_tar(a);
    else
        archive_read_support_format_raw(a);
    if (archive_read_open_filename(a, QFile::encodeName(path).constData(), ReadBlockSize) != ARCHIVE_OK) {
        fail("Cannot open the file.");
        m_handle.reset();
        return false;
    }
    return true;
}

bool ArchiveReader::openTarFrom(ArchiveReader &source)
{
    m_error.clear();
    m_failed = false;
    m_delivered = 0;
    m_source = &source;
    m_handle.reset(archive_read_new());
    if (!m_handle)
        return false;
    archive_read_support_format_tar(m_handle.get());
    if (archive_read_open(m_handle.get(), this, nullptr, &ArchiveReader::pull, nullptr) != ARCHIVE_OK) {
        fail("The data is no tar archive.");
        m_handle.reset();
        return false;
    }
    return true;
}

long ArchiveReader::pull(archive *handle, void *client, const void **buffer)
{
    auto *self = static_cast<ArchiveReader *>(client);
    const void *data = nullptr;
    std::size_t size = 0;
    std::int64_t offset = 0;
    for (;;) {
        switch (self->m_source->readBlock(data, size, offset)) {
        case Step::Ok:
            if (size == 0)
                continue;
            *buffer = data;
            self->m_delivered += size;
            return static_cast<long>(size);
        case Step::End:
            return 0;
        case Step::Failed:
            archive_set_error(handle, EIO, "%s", self->m_source->errorText().toUtf8().constData());
            return -1;
        }
    }
}

std::optional<std::uint64_t> ArchiveReader::skipData()
{
    const void *data = nullptr;
    std::size_t size = 0;
    std::int64_t offset = 0;
    std::uint64_t total = 0;
    for (;;) {
        switch (readBlock(data, size, offset)) {
        case Step::Ok:
            total += size;
            continue;
        case Step::End:
            return total;
        case Step::Failed:
            return std::nullopt;
        }
    }
}

ArchiveReader::Step ArchiveReader::fail(const char *fallback)
{
    const char *text = m_handle ? archive_error_string(m_handle.get()) : nullptr;
    m_error = QString::fromUtf8(text ? text : fallback);
    m_failed = true;
    return Step::Failed;
}

archive_entry *ArchiveReader::nextEntry(Step &step)
{
    step = Step::Failed;
    if (!m_handle)
        return nullptr;
    archive_entry *entry = nullptr;
    switch (archive_read_next_header(m_handle.get(), &entry)) {
    case ARCHIVE_OK:
    case ARCHIVE_WARN:
        step = Step::Ok;
        return entry;
    case ARCHIVE_EOF:
        step = Step::End;
        return nullptr;
    default:
        fail("The archive is damaged.");
        return nullptr;
    }
}

ArchiveReader::Step ArchiveReader::next(StreamHeader &header)
{
    Step step = Step::Failed;
    if (archive_entry *entry = nextEntry(step))
        fillHeader(entry, header);
    return step;
}

ArchiveReader::Step ArchiveReader::next(StreamHeaderView &header)
{
    Step step = Step::Failed;
    archive_entry *entry = nextEntry(step);
    if (!entry)
        return step;
    const char *name = localeIsUtf8() ? archive_entry_pathname(entry) : nullptr;
    if (name) {
        header.path = QByteArrayView(name, qsizetype(std::strlen(name)));
    } else {
        m_pathBytes = entryNameBytes(entryText(entry, archive_entry_pathname_utf8, archive_entry_pathname));
        header.path = m_pathBytes;
    }
    header.type = typeOf(entry);
    header.size = sizeOf(entry);
    header.modified = modifiedOf(entry);
    return step;
}

ArchiveReader::Step ArchiveReader::readBlock(const void *&data, std::size_t &size, std::int64_t &offset)
{
    if (!m_handle)
        return Step::Failed;
    la_int64_t at = 0;
    switch (archive_read_data_block(m_handle.get(), &data, &size, &at)) {
    case ARCHIVE_OK:
    case ARCHIVE_WARN:
        offset = static_cast<std::int64_t>(at);
        return Step::Ok;
    case ARCHIVE_EOF:
        return Step::End;
    default:
        return fail("The archive is damaged.");
    }
}

int ArchiveReader::outerFilter() const
{
    if (!m_handle)
        return ARCHIVE_FILTER_NONE;
    // The last filter is the plain file reader; the one before it met the bytes on disk first.
    const int count = archive_filter_count(m_handle.get());
    return count >= 2 ? archive_filter_code(m_handle.get(), count - 2) : ARCHIVE_FILTER_NONE;
}

}  // namespace orv::zip
