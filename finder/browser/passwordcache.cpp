#include "passwordcache.h"

namespace orv {

namespace {

bool isAtOrBelow(const QString &candidate, const QString &path)
{
    if (!candidate.startsWith(path))
        return false;
    return candidate.size() == path.size() || path.endsWith(QLatin1Char('/'))
           || candidate.at(path.size()) == QLatin1Char('/');
}

}  // namespace

bool CPasswordCache::usesCache(ArchiveKindCode kind)
{
    return kind == ArchiveKind::Rar || kind == ArchiveKind::SevenZip || kind == ArchiveKind::SevenZipVolumes;
}

QList<CPasswordCache::Entry> *CPasswordCache::listOf(ArchiveKindCode kind)
{
    if (kind == ArchiveKind::Rar)
        return &m_rar;
    if (kind == ArchiveKind::SevenZip || kind == ArchiveKind::SevenZipVolumes)
        return &m_sevenZip;
    return nullptr;
}

const QList<CPasswordCache::Entry> *CPasswordCache::listOf(ArchiveKindCode kind) const
{
    return const_cast<CPasswordCache *>(this)->listOf(kind);
}

const QList<CPasswordCache::Entry> &CPasswordCache::entries(ArchiveKindCode kind) const
{
    static const QList<Entry> none;
    const QList<Entry> *list = listOf(kind);
    return list ? *list : none;
}

// Disk paths are compared as they are: two archives whose names differ only in case are two archives here.
std::optional<QString> CPasswordCache::find(ArchiveKindCode kind, const QString &archivePath) const
{
    for (const Entry &entry : entries(kind)) {
        if (entry.archivePath == archivePath)
            return entry.password;
    }
    return std::nullopt;
}

void CPasswordCache::add(ArchiveKindCode kind, const QString &archivePath, const QString &password)
{
    QList<Entry> *list = listOf(kind);
    if (list && !find(kind, archivePath))
        list->append({archivePath, password});
}

void CPasswordCache::remove(ArchiveKindCode kind, const QString &archivePath)
{
    if (QList<Entry> *list = listOf(kind))
        list->removeIf([&](const Entry &entry) { return entry.archivePath == archivePath; });
}

void CPasswordCache::removeAtOrBelow(const QString &path)
{
    const auto below = [&](const Entry &entry) { return isAtOrBelow(entry.archivePath, path); };
    m_rar.removeIf(below);
    m_sevenZip.removeIf(below);
}

void CPasswordCacheObserver::beforeOpen(const QString &archivePath, ArchiveKindCode kind, IUnpacker &unpacker)
{
    if (!CPasswordCache::usesCache(kind))
        return;
    if (!m_isExpanded(archivePath)) {
        m_cache.remove(kind, archivePath);
        return;
    }
    if (const std::optional<QString> password = m_cache.find(kind, archivePath))
        unpacker.presetPassword(*password);
}

void CPasswordCacheObserver::afterOpen(const QString &archivePath, ArchiveKindCode kind, IUnpacker &unpacker,
                                       bool opened)
{
    if (!opened || !CPasswordCache::usesCache(kind) || !m_isExpanded(archivePath))
        return;
    if (const std::optional<QString> password = unpacker.enteredPassword())
        m_cache.add(kind, archivePath, *password);
}

}  // namespace orv
