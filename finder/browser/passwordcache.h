#pragma once

#include "finder/archive/archiveaccess.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace orv {

// The passwords typed for RAR archives and for 7z archives (single and split), each list keyed by the
// archive's full path. Path and password are kept apart: both may contain any character, "*" included,
// so a joined "path*password" text could not be split back reliably.
class CPasswordCache
{
public:
    struct Entry
    {
        QString archivePath;
        QString password;
    };

    // RAR, 7z and split 7z sets; the other kinds never ask for a password at open.
    static bool usesCache(ArchiveKindCode kind);

    std::optional<QString> find(ArchiveKindCode kind, const QString &archivePath) const;
    // Keeps the first password known for a path.
    void add(ArchiveKindCode kind, const QString &archivePath, const QString &password);
    void remove(ArchiveKindCode kind, const QString &archivePath);
    // Forgets every archive that is the path or lies below it, in both lists.
    void removeAtOrBelow(const QString &path);
    const QList<Entry> &entries(ArchiveKindCode kind) const;

private:
    QList<Entry> *listOf(ArchiveKindCode kind);
    const QList<Entry> *listOf(ArchiveKindCode kind) const;

    QList<Entry> m_rar;
    QList<Entry> m_sevenZip;
};

// Plugs the cache into the archive layer: while the archive's node is expanded, the password typed once
// is handed to every later open; an open while the node is not expanded forgets it.
class CPasswordCacheObserver final : public IArchiveOpenObserver
{
public:
    using ExpandedQuery = std::function<bool(const QString &archivePath)>;

    CPasswordCacheObserver(CPasswordCache &cache, ExpandedQuery isExpanded)
        : m_cache(cache), m_isExpanded(std::move(isExpanded))
    {
    }

    void beforeOpen(const QString &archivePath, ArchiveKindCode kind, IUnpacker &unpacker) override;
    void afterOpen(const QString &archivePath, ArchiveKindCode kind, IUnpacker &unpacker, bool opened) override;

private:
    CPasswordCache &m_cache;
    ExpandedQuery m_isExpanded;
};

}  // namespace orv
