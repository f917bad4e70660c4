#include "isotestsupport.h"

#include "tests/support/cursorwalk.h"
#include "tests/support/testhome.h"
#include "unpack/iso/isounpacker.h"

#include <QDir>

#include <functional>
#include <memory>

namespace orv::test {

Listing listWith7z(const QString &image)
{
    Listing listing;
    for (const SltRecord &record : sevenZipListing(image)) {
        const bool folder = record.value(QStringLiteral("Folder")) == QLatin1String("+");
        listing.insert(record.value(QStringLiteral("Path")),
                       {folder, folder ? 0 : record.value(QStringLiteral("Size")).toULongLong()});
    }
    return listing;
}

Listing listWithUnpacker(CIsoUnpacker &unpacker)
{
    Listing listing;
    for (const ISOFILEFULLINFO &info : fullRecords<ISOFILEFULLINFO>(unpacker)) {
        const bool folder = info.bFolder != 0;
        const std::uint64_t size = unpacker.IsUDF() ? info.nSize : info.dwDataLength;
        listing.insert(info.strPath, {folder, folder ? 0 : size});
    }
    return listing;
}

QString describe(const Listing &listing)
{
    QStringList lines;
    for (auto it = listing.begin(); it != listing.end(); ++it)
        lines << QStringLiteral("%1 %2 %3").arg(it.key(), it->folder ? QStringLiteral("<dir>") : QString::number(it->size));
    return lines.join(QLatin1Char('\n'));
}

QStringList makeSourceTree(const QString &root)
{
    QByteArray big(600000, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7 + i / 4099) & 0xFF);
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("a.txt"), QByteArray("alpha\n")},
        {QStringLiteral("README"), QByteArray("read me\n")},
        {QStringLiteral("empty.bin"), QByteArray()},
        {QStringLiteral("hid.txt"), QByteArray("hidden\n")},
        {QStringLiteral("dir/big.bin"), big},
        {QStringLiteral("dir/sub/deep.txt"), QByteArray("deep\n")},
    };
    QStringList paths;
    for (const auto &[path, bytes] : files) {
        writeFile(root + u'/' + path, bytes);
        paths << path;
    }
    QDir(root).mkpath(QStringLiteral("emptydir"));
    return paths;
}

// ---- ISO 9660 ----

namespace {

void put16(QByteArray &b, qsizetype at, std::uint16_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

void put32(QByteArray &b, qsizetype at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

void put64(QByteArray &b, qsizetype at, std::uint64_t v)
{
    put32(b, at, std::uint32_t(v));
    put32(b, at + 4, std::uint32_t(v >> 32));
}

// Both-endian: the little-endian half, then the big-endian one.
void putBoth32(QByteArray &b, qsizetype at, std::uint32_t v)
{
    put32(b, at, v);
    for (int i = 0; i < 4; ++i)
        b[at + 4 + i] = char((v >> (8 * (3 - i))) & 0xFF);
}

QByteArray isoRecord(const IsoRecord &r)
{
    const qsizetype length = (33 + r.identifier.size() + 1) & ~qsizetype(1);
    QByteArray b(length, '\0');
    b[0] = char(length);
    putBoth32(b, 2, r.extent);
    putBoth32(b, 10, r.length);
    for (int i = 0; i < 6; ++i)
        b[18 + i] = char(r.time[std::size_t(i)]);
    b[25] = char(r.flags);
    b[32] = char(r.identifier.size());
    b.replace(33, r.identifier.size(), r.identifier);
    return b;
}

}  // namespace

void IsoBuilder::primaryVolume(int block, std::uint32_t rootExtent, std::uint32_t rootLength)
{
    QByteArray d(2048, '\0');
    d[0] = 1;
    d.replace(1, 5, "CD001");
    d[6] = 1;
    put16(d, 128, 2048);
    const QByteArray root = isoRecord({QByteArray(1, '\0'), rootExtent, rootLength, 2, {}});
    d.replace(156, root.size(), root);
    bytes(std::size_t(block) * 2048, d);
}

void IsoBuilder::terminator(int block)
{
    QByteArray d(2048, '\0');
    d[0] = char(0xFF);
    d.replace(1, 5, "CD001");
    d[6] = 1;
    bytes(std::size_t(block) * 2048, d);
}

void IsoBuilder::directory(int block, const std::vector<IsoRecord> &records, const std::vector<int> &breakBefore)
{
    std::size_t offset = std::size_t(block) * 2048;
    std::size_t inBlock = 0;
    for (int i = 0; i < int(records.size()); ++i) {
        const QByteArray r = isoRecord(records[std::size_t(i)]);
        const bool forced = std::find(breakBefore.begin(), breakBefore.end(), i) != breakBefore.end();
        if (forced || inBlock + std::size_t(r.size()) > 2048) {
            offset += 2048 - inBlock;
            inBlock = 0;
        }
        bytes(offset, r);
        offset += std::size_t(r.size());
        inBlock += std::size_t(r.size());
    }
}

std::vector<IsoRecord> dots(std::uint32_t self, std::uint32_t parent)
{
    return {{QByteArray(1, '\0'), self, 2048, 2, {}}, {QByteArray(1, '\1'), parent, 2048, 2, {}}};
}

// ---- UDF ----

namespace {

struct Node
{
    QString name;
    bool folder = true;
    QByteArray data;
    bool embedded = false;
    std::vector<std::unique_ptr<Node>> children;
    std::uint32_t icb = 0;
    std::uint32_t dataBlock = 0;
    Node *parent = nullptr;
};

Node *child(Node &parent, const QString &name, bool folder)
{
    for (auto &c : parent.children) {
        if (c->name == name)
            return c.get();
    }
    parent.children.push_back(std::make_unique<Node>());
    Node *n = parent.children.back().get();
    n->name = name;
    n->folder = folder;
    n->parent = &parent;
    return n;
}

void forEach(Node &node, const std::function<void(Node &)> &visit)
{
    visit(node);
    for (auto &c : node.children)
        forEach(*c, visit);
}

void finishTag(QByteArray &d, std::uint16_t id, std::uint32_t location)
{
    put16(d, 0, id);
    put16(d, 2, 2);
    put32(d, 12, location);
    std::uint8_t sum = 0;
    for (int i = 0; i < 16; ++i) {
        if (i != 4)
            sum = std::uint8_t(sum + std::uint8_t(d[i]));
    }
    d[4] = char(sum);
}

void putLongAd(QByteArray &d, qsizetype at, std::uint32_t length, std::uint32_t block)
{
    put32(d, at, length);
    put32(d, at + 4, block);
    put16(d, at + 8, 0);
}

void putStamp(QByteArray &d, qsizetype at, int day)
{
    put16(d, at, 0x1000);
    put16(d, at + 2, 2024);
    d[at + 4] = 5;
    d[at + 5] = char(day);
    d[at + 6] = 10;
    d[at + 7] = 20;
    d[at + 8] = 30;
}

class UdfWriter
{
public:
    UdfWriter(Node &root, const UdfOptions &o) : m_root(root), m_o(o), m_s(o.sectorSize) {}

    QByteArray build()
    {
        layout();
        const std::uint32_t sectors = kPartitionStart + m_blocks;
        m_image = QByteArray(qsizetype(sectors) * m_s, '\0');
        recognitionSequence();
        volumeDescriptors();
        fileSet();
        forEach(m_root, [this](Node &n) { writeNode(n); });
        return m_image;
    }

private:
    static constexpr std::uint32_t kPartitionStart = 280;

    QByteArray name(const QString &text) const
    {
        QByteArray b;
        if (m_o.compression16) {
            b.append(char(16));
            for (const QChar c : text) {
                b.append(char(c.unicode() >> 8));
                b.append(char(c.unicode() & 0xFF));
            }
        } else {
            b.append(char(8));
            b.append(text.toLatin1());
        }
        return b;
    }

    QByteArray fid(std::uint8_t characteristics, const QByteArray &id, std::uint32_t icb, std::uint32_t at) const
    {
        const qsizetype length = (38 + id.size() + 3) & ~qsizetype(3);
        QByteArray d(length, '\0');
        put16(d, 16, 1);
        d[18] = char(characteristics);
        d[19] = char(id.size());
        putLongAd(d, 20, m_s, icb);
        d.replace(38, id.size(), id);
        finishTag(d, 257, at);
        return d;
    }

    QByteArray directoryData(const Node &n) const
    {
        QByteArray data = fid(0x0A, {}, n.parent ? n.parent->icb : n.icb, n.dataBlock);
        for (const auto &c : n.children) {
            QByteArray one = fid(c->folder ? 0x02 : 0x00, name(c->name), c->icb, n.dataBlock);
            if (m_o.badPadding && data.size() == 40 && one.size() > 38 + name(c->name).size())
                one[one.size() - 1] = 'x';
            data += one;
        }
        if (m_o.loop && n.parent == &m_root && &n == firstFolder())
            data += fid(0x02, name(QStringLiteral("again")), m_root.icb, n.dataBlock);
        return data;
    }

    const Node *firstFolder() const
    {
        for (const auto &c : m_root.children) {
            if (c->folder)
                return c.get();
        }
        return nullptr;
    }

    std::uint32_t blocksFor(qsizetype bytes) const { return std::uint32_t((bytes + m_s - 1) / m_s); }

    void layout()
    {
        m_blocks = 1;  // the File Set Descriptor
        forEach(m_root, [this](Node &n) { n.icb = m_blocks++; });
        forEach(m_root, [this](Node &n) {
            const qsizetype size = n.folder ? directoryData(n).size() : n.data.size();
            if (n.embedded || size == 0)
                return;
            n.dataBlock = m_blocks;
            m_blocks += blocksFor(size);
        });
        // Directory data depends on the ICB numbers only, so its size is known before the data blocks.
    }

    qsizetype sector(std::uint32_t s) const { return qsizetype(s) * m_s; }
    qsizetype block(std::uint32_t b) const { return sector(kPartitionStart + b); }

    void recognitionSequence()
    {
        const char *ids[] = {"BEA01", "NSR02", "TEA01"};
        for (int i = 0; i < 3; ++i) {
            QByteArray d(7, '\0');
            d.replace(1, 5, ids[i]);
            d[6] = 1;
            m_image.replace(32768 + i * 2048, d.size(), d);
        }
    }

    void volumeDescriptors()
    {
        QByteArray anchor(m_s, '\0');
        put32(anchor, 16, 16 * m_s);
        put32(anchor, 20, 257);
        finishTag(anchor, 2, 256);
        m_image.replace(sector(256), m_s, anchor);

        QByteArray pd(m_s, '\0');
        put16(pd, 22, 0);
        put32(pd, 188, kPartitionStart);
        put32(pd, 192, m_blocks);
        finishTag(pd, 5, 257);
        m_image.replace(sector(257), m_s, pd);

        std::uint32_t at = 258;
        m_image.replace(sector(at), m_s, logicalVolume(at));
        ++at;
        if (m_o.secondVolumeSamePartition) {
            m_image.replace(sector(at), m_s, logicalVolume(at));
            ++at;
        }
        QByteArray td(m_s, '\0');
        finishTag(td, 8, at);
        m_image.replace(sector(at), m_s, td);
    }

    QByteArray logicalVolume(std::uint32_t at) const
    {
        QByteArray lvd(m_s, '\0');
        lvd.replace(84, 4, QByteArray("\x08VOL", 4));
        put32(lvd, 212, m_s);
        putLongAd(lvd, 248, m_s, 0);
        put32(lvd, 268, 1);
        if (m_o.mapType == 1) {
            lvd[440] = 1;
            lvd[441] = 6;
            put16(lvd, 442, 1);
            put16(lvd, 444, 0);
        } else {
            lvd[440] = char(m_o.mapType);
            lvd[441] = 64;
        }
        finishTag(lvd, 6, at);
        return lvd;
    }

    void fileSet()
    {
        QByteArray fsd(m_s, '\0');
        putLongAd(fsd, 400, m_s, m_root.icb);
        finishTag(fsd, 256, 0);
        m_image.replace(block(0), m_s, fsd);
    }

    void writeNode(Node &n)
    {
        const QByteArray data = n.folder ? directoryData(n) : n.data;
        const bool extended = m_o.extendedEntries;
        const qsizetype base = extended ? 216 : 176;
        QByteArray fe(m_s, '\0');
        fe[27] = char(n.folder ? 4 : 5);
        std::uint16_t flags = m_o.longAllocation ? 1 : 0;
        if (n.embedded)
            flags = 3;
        else if (!n.folder && m_o.extendedAllocation)
            flags = 2;
        put16(fe, 34, flags);
        put64(fe, 56, std::uint64_t(data.size()));
        put64(fe, extended ? 72 : 64, n.embedded ? 0 : blocksFor(data.size()));
        putStamp(fe, extended ? 80 : 72, 18);
        putStamp(fe, extended ? 92 : 84, 17);
        QByteArray area;
        if (n.embedded) {
            area = data;
        } else if (!data.isEmpty()) {
            area = QByteArray(m_o.longAllocation ? 16 : 8, '\0');
            if (m_o.longAllocation)
                putLongAd(area, 0, std::uint32_t(data.size()), n.dataBlock);
            else {
                put32(area, 0, std::uint32_t(data.size()));
                put32(area, 4, n.dataBlock);
            }
            m_image.replace(block(n.dataBlock), data.size(), data);
        }
        put32(fe, extended ? 212 : 172, std::uint32_t(area.size()));
        fe.replace(base, area.size(), area);
        finishTag(fe, extended ? 266 : 261, n.icb);
        m_image.replace(block(n.icb), m_s, fe);
    }

    Node &m_root;
    const UdfOptions &m_o;
    std::uint32_t m_s;
    std::uint32_t m_blocks = 0;
    QByteArray m_image;
};

}  // namespace

QByteArray buildUdf(const std::vector<UdfFile> &files, const UdfOptions &options)
{
    Node root;
    for (const UdfFile &file : files) {
        const bool folder = file.path.endsWith(QLatin1Char('/'));
        const QStringList parts = file.path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        Node *at = &root;
        for (int i = 0; i < parts.size(); ++i)
            at = child(*at, parts[i], folder || i + 1 < parts.size());
        if (!folder) {
            at->data = file.data;
            at->embedded = file.embedded;
        }
    }
    return UdfWriter(root, options).build();
}

}  // namespace orv::test
