#include "streamlisting.h"

#include "unpack/common/entrynames.h"
#include "unpack/common/records.h"
#include "zip/archivereader.h"
#include "zip/entrylist.h"

#include <optional>
#include <string>
#include <string_view>

namespace orv::zip {

namespace {

// A path of ASCII characters only, with no "\", empty or "." component: the form an open lists it in, byte
// for byte. Any other path goes through the open's own conversion, so that names that are no valid UTF-8
// come out as the open shows them.
bool isPlainNormalisedPath(std::string_view path)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size()) {
            const unsigned char c = static_cast<unsigned char>(path[i]);
            if (c >= 0x80 || c == '\\')
                return false;
            if (c != '/')
                continue;
        }
        const std::size_t length = i - start;
        if (length == 0 || (length == 1 && path[start] == '.'))
            return false;
        start = i + 1;
    }
    return true;
}

std::string_view textOf(QByteArrayView bytes)
{
    return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

QByteArrayView bytesOf(std::string_view text)
{
    return {text.data(), static_cast<qsizetype>(text.size())};
}

class StreamedListing final : public ListingPass
{
public:
    StreamedListing(bool underStreamItem, const StreamedItemVisitor &visit)
        : m_underStreamItem(underStreamItem), m_visit(visit)
    {
    }

    bool needsOpen() const { return m_needsOpen; }

    void streamItem(ArchiveEntry item, bool tarInside) override
    {
        m_count = 1;
        m_leadPath = entryNameBytes(item.path).toStdString();
        m_lead = std::move(item);
        noteItem(m_leadPath, false);
        if (tarInside && m_underStreamItem)
            m_prefix = m_leadPath + '/';
    }

    bool tarItems(ArchiveReader &reader, bool, QString &error) override
    {
        StreamHeaderView header;
        for (;;) {
            switch (reader.next(header)) {
            case ArchiveReader::Step::End:
                return true;
            case ArchiveReader::Step::Failed:
                error = reader.errorText();
                return false;
            case ArchiveReader::Step::Ok:
                break;
            }
            if (m_count >= MaxListedEntries) {
                error = tooManyItemsText();
                return false;
            }
            if (!show(header))
                return false;
        }
    }

    void streamSize(std::uint64_t size) override { m_lead->size = size; }

    // The implied folders after the real items, as an open lists them, then the held back item.
    void finish(std::int64_t fileTime)
    {
        StreamedItem item;
        item.folder = true;
        item.modified = fileTime;
        for (const QString &folder : m_implied.folders()) {
            const std::string path = entryNameBytes(folder).toStdString();
            item.path = withPrefix(path);
            m_visit(item);
        }
        if (!m_lead)
            return;
        item.path = bytesOf(m_leadPath);
        item.folder = false;
        item.size = m_lead->size;
        item.modified = m_lead->modified;
        item.leading = true;
        m_visit(item);
    }

private:
    bool show(const StreamHeaderView &header)
    {
        const std::string_view path = normalised(header.path);
        if (path.empty())
            return true;
        if (header.type == ArchiveEntry::Type::HardLink && header.size == 0) {
            m_needsOpen = true;
            return false;
        }
        StreamedItem item;
        item.folder = header.type == ArchiveEntry::Type::Folder;
        item.size = item.folder ? 0 : header.size;
        item.modified = header.modified;
        noteItem(path, item.folder);
        item.path = withPrefix(path);
        ++m_count;
        m_visit(item);
        return true;
    }

    std::string_view normalised(QByteArrayView raw)
    {
        const std::string_view path = textOf(raw);
        if (isPlainNormalisedPath(path))
            return path;
        m_converted = entryNameBytes(normaliseEntryPath(decodeEntryName(raw))).toStdString();
        return m_converted;
    }

    void noteItem(std::string_view path, bool folder)
    {
        if (folder)
            m_implied.addFolder(decodeEntryName(bytesOf(path)));
        const std::size_t slash = path.rfind('/');
        if (slash == std::string_view::npos)
            return;
        const std::string_view parent = path.substr(0, slash);
        if (parent == m_lastParent)
            return;
        m_lastParent = parent;
        m_implied.addParent(decodeEntryName(bytesOf(parent)));
    }

    QByteArrayView withPrefix(std::string_view path)
    {
        if (m_prefix.empty())
            return bytesOf(path);
        m_prefixed.assign(m_prefix);
        m_prefixed.append(path);
        return bytesOf(m_prefixed);
    }

    const bool m_underStreamItem;
    const StreamedItemVisitor &m_visit;
    std::optional<ArchiveEntry> m_lead;
    std::string m_leadPath;
    std::string m_prefix;
    // Reused for every item, so that showing one allocates nothing once they have grown.
    std::string m_converted;
    std::string m_prefixed;
    std::string m_lastParent;
    ImpliedFolders m_implied;
    int m_count = 0;
    bool m_needsOpen = false;
};

}  // namespace

StreamResult streamArchive(const QString &path, Compression compression, bool underStreamItem,
                           const StreamedItemVisitor &visit, QString &error)
{
    error.clear();
    const QFileInfo file(path);
    StreamedListing listing(underStreamItem, visit);
    if (!runListingPass(file, compression, listing, error))
        return listing.needsOpen() ? StreamResult::NeedsOpen : StreamResult::Failed;
    listing.finish(archiveFileTime(file));
    return StreamResult::Listed;
}

}  // namespace orv::zip
