#include "archivekind.h"

#include <QLatin1StringView>

namespace orv {

namespace {

struct ExtensionKind
{
    QLatin1StringView extension;
    ArchiveKindCode kind;
};

// In the order the names are compared.
constexpr ExtensionKind kBuiltIn[] = {
    {QLatin1StringView("ZIP"), ArchiveKind::Zip},     {QLatin1StringView("CAB"), ArchiveKind::Cab},
    {QLatin1StringView("JAR"), ArchiveKind::Jar},     {QLatin1StringView("RAR"), ArchiveKind::Rar},
    {QLatin1StringView("ACE"), ArchiveKind::Ace},     {QLatin1StringView("7Z"), ArchiveKind::SevenZip},
    {QLatin1StringView("XAP"), ArchiveKind::Xap},     {QLatin1StringView("GZ"), ArchiveKind::GZip},
    {QLatin1StringView("GZIP"), ArchiveKind::GZip},   {QLatin1StringView("TGZ"), ArchiveKind::GZip},
    {QLatin1StringView("TAR"), ArchiveKind::Tar},     {QLatin1StringView("001"), ArchiveKind::SevenZipVolumes},
    {QLatin1StringView("BZ"), ArchiveKind::BZip2},    {QLatin1StringView("BZ2"), ArchiveKind::BZip2},
    {QLatin1StringView("BZIP2"), ArchiveKind::BZip2}, {QLatin1StringView("TBZ"), ArchiveKind::BZip2},
    {QLatin1StringView("TBZ2"), ArchiveKind::BZip2},  {QLatin1StringView("ISO"), ArchiveKind::Iso},
};

}  // namespace

bool isZipGroup(ArchiveKindCode kind)
{
    return kind == ArchiveKind::Zip || kind == ArchiveKind::Jar || kind == ArchiveKind::Xap
           || kind == ArchiveKind::Custom || kind == ArchiveKind::SelfExtractingZip;
}

bool isCompressedStreamKind(ArchiveKindCode kind)
{
    return kind == ArchiveKind::GZip || kind == ArchiveKind::BZip2 || kind == ArchiveKind::Xz;
}

ArchiveKindCode builtInKindOfExtension(const QString &upperExtension)
{
    for (const ExtensionKind &row : kBuiltIn)
        if (upperExtension == row.extension)
            return row.kind;
    return ArchiveKind::None;
}

bool isXzExtension(const QString &upperExtension)
{
    return upperExtension == QLatin1StringView("XZ") || upperExtension == QLatin1StringView("TXZ");
}

}  // namespace orv
