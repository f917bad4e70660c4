#include "rarcatalogue.h"

#include "platform/numbers.h"
#include "unpack/common/damage.h"
#include "unpack/common/records.h"
#include "unpack/rar/rarlocale.h"
#include "unpack/rar/rarvolumes.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szvalue.h"

#include <QFileInfo>

namespace orv::rar {

namespace {

// Item properties beyond the ones the 7-Zip glue reads for every format.
namespace rarpid {
constexpr sz::PROPID solid = 13;
constexpr sz::PROPID splitBefore = 16;
constexpr sz::PROPID splitAfter = 17;
constexpr sz::PROPID unpackVersion = 33;
constexpr sz::PROPID numVolumes = 39;
constexpr sz::PROPID symLink = 54;
constexpr sz::PROPID error = 55;
constexpr sz::PROPID hardLink = 90;
}  // namespace rarpid

QString textOf(const sz::PropVariant &value)
{
    const std::u16string text = value.toUtf16().value_or(u"");
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

class ItemReader
{
public:
    ItemReader(const sz::SevenZipArchive &archive, bool rar5) : m_handler(archive.handler()), m_rar5(rar5) {}

    RarHeader header(const sz::ItemInfo &item, quint32 index)
    {
        RarHeader header;
        header.fileName = normaliseEntryPath(item.path);
        header.flags = flagsOf(item, index);
        header.method = methodFromText(item.method);
        header.unpVer = m_rar5 ? rar5VersionFromMethod(item.method) : get(index, rarpid::unpackVersion).toUInt32().value_or(0);
        header.modified = item.mTime;
        header.fileTime = item.mTime ? secondsToDosDateTime(*item.mTime) : 0;
        header.crcKnown = item.crc.has_value();
        header.fileCrc = item.crc.value_or(0);
        header.packSize = item.packSize.value_or(0);
        header.unpSize = item.size.value_or(0);
        header.fileAttr = item.attrib.value_or(0);
        header.symlinkTarget = textOf(get(index, rarpid::symLink));
        header.hardlinkTarget = normaliseEntryPath(textOf(get(index, rarpid::hardLink)));
        return header;
    }

private:
    const sz::PropVariant &get(quint32 index, sz::PROPID id)
    {
        m_handler->GetProperty(index, id, m_value.out());
        return m_value;
    }

    std::uint32_t flagsOf(const sz::ItemInfo &item, quint32 index)
    {
        std::uint32_t flags = 0;
        if (get(index, rarpid::splitBefore).toBool().value_or(false))
            flags |= HeaderFlag::SplitBefore;
        if (get(index, rarpid::splitAfter).toBool().value_or(false))
            flags |= HeaderFlag::SplitAfter;
        if (item.encrypted)
            flags |= HeaderFlag::Encrypted;
        if (get(index, rarpid::solid).toBool().value_or(false))
            flags |= HeaderFlag::Solid;
        if (item.isDir)
            flags |= HeaderFlag::Directory;
        return flags;
    }

    sz::ComPtr<sz::IInArchive> m_handler;
    bool m_rar5;
    sz::PropVariant m_value;
};

CatalogueStatus statusOf(sz::OpenStatus status)
{
    switch (status) {
    case sz::OpenStatus::Ok: return CatalogueStatus::Ok;
    case sz::OpenStatus::LibraryMissing:
    case sz::OpenStatus::FormatMissing: return CatalogueStatus::LibraryMissing;
    case sz::OpenStatus::CannotReadFile: return CatalogueStatus::CannotRead;
    case sz::OpenStatus::NotArchive: return CatalogueStatus::NotRar;
    case sz::OpenStatus::NeedsPassword:
    case sz::OpenStatus::PasswordCancelled: return CatalogueStatus::NeedsPassword;
    case sz::OpenStatus::WrongPassword: return CatalogueStatus::WrongPassword;
    case sz::OpenStatus::Damaged:
    case sz::OpenStatus::Stopped:
    case sz::OpenStatus::Failed: break;
    }
    return CatalogueStatus::Damaged;
}

// The archive's own error text, in which the handler names a volume it looked for in vain.
QString archiveError(const sz::SevenZipArchive &archive)
{
    sz::PropVariant value;
    archive.handler()->GetArchiveProperty(rarpid::error, value.out());
    return textOf(value);
}

// The handler ends the set quietly at the first volume it cannot open. A file that goes on past the last
// volume read, or the handler's word, tells that a volume is missing.
void noteDamage(const sz::SevenZipArchive &archive, Catalogue &catalogue)
{
    const std::optional<QString> next = nextVolumePath(catalogue.volumes.last());
    const bool continues = !catalogue.headers.empty() && catalogue.headers.back().splitAfter();
    if (next && !QFileInfo(*next).isFile()
        && (continues || archiveError(archive).contains(QFileInfo(*next).fileName()))) {
        catalogue.missingVolume = next;
        catalogue.damage = missingVolumeText(*next);
        return;
    }
    if (const QString reason = archive.damageReason(); !reason.isEmpty())
        catalogue.damage = damagedArchiveText(reason);
}

}  // namespace

std::uint32_t rar5VersionFromMethod(const QString &method)
{
    // "v7:m3:..."; 7-Zip counts the algorithm from 6: algorithm 0 is RAR 5.0's, algorithm 1 that of RAR 7.0.
    if (!method.startsWith(QLatin1Char('v')))
        return 50;
    qsizetype end = 1;
    while (end < method.size() && method.at(end) >= QLatin1Char('0') && method.at(end) <= QLatin1Char('9'))
        ++end;
    bool ok = false;
    const uint version = QStringView(method).mid(1, end - 1).toUInt(&ok);
    return ok && version >= 7 ? 70 : 50;
}

std::uint32_t methodFromText(const QString &method)
{
    // The first "m0" to "m5" that starts the text or follows a colon.
    for (qsizetype i = 0; i + 1 < method.size(); ++i) {
        if ((i == 0 || method.at(i - 1) == QLatin1Char(':')) && method.at(i) == QLatin1Char('m')
            && method.at(i + 1) >= QLatin1Char('0') && method.at(i + 1) <= QLatin1Char('5'))
            return 0x30 + static_cast<std::uint32_t>(method.at(i + 1).unicode() - u'0');
    }
    return 0x30;
}

CatalogueResult readCatalogue(const QString &path, bool rar5, bool stubAllowed, const std::optional<QString> &password)
{
    const Utf8Scope utf8;
    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.formats = QStringList{rar5 ? QStringLiteral("Rar5") : QStringLiteral("Rar")};
    options.knownPassword = password;
    options.maxStartOffset = stubAllowed ? std::nullopt : std::optional<quint64>(0);
    if (!archive.open(path, options))
        return {statusOf(archive.openStatus()), archive.errorText(), nullptr};
    auto catalogue = std::make_shared<Catalogue>();
    catalogue->rar5 = rar5;
    const auto volumes = archive.archiveUInt64(rarpid::numVolumes);
    catalogue->volumes = volumeSet(path, volumes ? static_cast<int>(std::min<quint64>(*volumes, 1u << 30)) : 1);
    ItemReader reader(archive, rar5);
    const quint32 count = archive.itemCount();
    catalogue->headers.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        catalogue->headers.push_back(reader.header(archive.item(i), i));
    noteDamage(archive, *catalogue);
    return {CatalogueStatus::Ok, {}, std::move(catalogue)};
}

}  // namespace orv::rar
