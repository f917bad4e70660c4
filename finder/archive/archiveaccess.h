#pragma once

#include "finder/archive/archivekind.h"
#include "finder/archive/unpackerregistry.h"
#include "unpack/common/records.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QObject;

namespace orv {

struct SettingsValues;

// Told before and after every open of a reader, so that the owner of a password cache can preset a
// password and remember the one the user entered. The layer itself keeps no passwords.
class IArchiveOpenObserver
{
public:
    virtual ~IArchiveOpenObserver() = default;
    virtual void beforeOpen(const QString &archivePath, ArchiveKindCode kind, IUnpacker &unpacker) = 0;
    virtual void afterOpen(const QString &archivePath, ArchiveKindCode kind, IUnpacker &unpacker, bool opened) = 0;
};

enum class UnpackItem { File, Folder, Archive };

class CArchiveAccess;

// An archive opened through the layer, closed when this goes. While it lives, the layer keeps the reader:
// a second open through the same layer is refused instead of freeing the reader this one is inside.
class COpenedArchive
{
public:
    COpenedArchive() = default;
    ~COpenedArchive() { Close(); }
    COpenedArchive(COpenedArchive &&other) noexcept;
    COpenedArchive &operator=(COpenedArchive &&other) noexcept;
    COpenedArchive(const COpenedArchive &) = delete;
    COpenedArchive &operator=(const COpenedArchive &) = delete;

    explicit operator bool() const { return m_access != nullptr; }
    IUnpacker &reader() const;
    IUnpacker *operator->() const { return &reader(); }
    ArchiveKindCode kind() const { return m_kind; }
    void Close();

private:
    friend class CArchiveAccess;
    COpenedArchive(CArchiveAccess &access, ArchiveKindCode kind) : m_access(&access), m_kind(kind) {}

    CArchiveAccess *m_access = nullptr;
    ArchiveKindCode m_kind = ArchiveKind::None;
};

// What a layer is told once and hands on to every reader it opens; a second layer made from it behaves
// the same but holds readers of its own.
struct ArchiveAccessConfig
{
    UnpackerCreator creator = createUnpackerOfKind;
    QStringList extensions{QStringLiteral("ZIP")};
    QStringList customArchives;
    INIUNPACK ini;
    QPointer<QObject> fileTree;
    IArchiveOpenObserver *observer = nullptr;
    bool suppressOpenErrors = false;
};

// The one layer between a path and the reader of its archive: tells the kind of an archive from its
// name (and, for executables, from probing), holds the one open reader, and forwards every operation to
// it in the order the readers expect. No archive stays open between two user actions.
//
// Readers pump events while they work, and whatever runs in the pump may come back to the layer. A layer
// therefore never frees a reader that an unpack call or a COpenedArchive is still inside: an open, close
// or stream through it is refused meanwhile. Work that may start during another operation's pump takes a
// layer of its own, made from this one's config.
class CArchiveAccess
{
    Q_DECLARE_TR_FUNCTIONS(CArchiveAccess)

public:
    explicit CArchiveAccess(UnpackerCreator creator = createUnpackerOfKind);
    explicit CArchiveAccess(ArchiveAccessConfig config);
    ~CArchiveAccess();
    CArchiveAccess(const CArchiveAccess &) = delete;
    CArchiveAccess &operator=(const CArchiveAccess &) = delete;

    // The enabled type names (upper case, "ZIP" first); their order is the probing order for "EXE".
    void SetArchiveExtensions(const QStringList &upperExtensions) { m_config.extensions = upperExtensions; }
    const QStringList &GetArchiveExtensions() const { return m_config.extensions; }
    // Entries "description#EXT=flag".
    void SetCustomArchives(const QStringList &entries) { m_config.customArchives = entries; }
    void SetUnpackIni(const INIUNPACK &ini) { m_config.ini = ini; }
    const INIUNPACK &GetUnpackIni() const { return m_config.ini; }
    // Type lists, custom entries and the four "Unpack" values.
    void ApplySettings(const SettingsValues &values);

    // The window told about every folder and file written, unless an unpack call is quiet.
    void SetWndFileTree(QObject *window) { m_config.fileTree = window; }
    void SetOpenObserver(IArchiveOpenObserver *observer) { m_config.observer = observer; }
    // While set, a failed open shows nothing (an archive is being created).
    void SetSuppressOpenErrors(bool suppress) { m_config.suppressOpenErrors = suppress; }
    const ArchiveAccessConfig &config() const { return m_config; }

    ArchiveKindCode GetArchiveKind(const QString &path);
    // The same for a path the caller knows to be a regular file, without looking at the disk again
    // (a self-extracting executable is still probed).
    ArchiveKindCode GetArchiveFileKind(const QString &path) { return kindOfArchiveFile(path); }
    QString GetArchivePath(const QString &path);
    bool IsArchiveFile(const QString &path);
    ArchiveKindCode GetSelfExtractingKind(const QString &exePath);
    bool IsCustomArchive(const QString &upperExtension) const;

    bool OpenArchiveOfKind(const QString &archivePath, ArchiveKindCode kind);
    // OpenArchiveOfKind with the close left to the returned object; empty when the open fails.
    COpenedArchive Open(const QString &archivePath, ArchiveKindCode kind);
    // Whether an unpack call or an opened archive is inside the reader now.
    bool IsReaderInUse() const { return m_readerUses > 0; }
    // Lists an archive as its reader reads it, without opening it (see IUnpacker::streamEntries). Closes
    // what is open. After a failure, LastReaderError and ShowOpenError tell why as after a failed open.
    EntryStream StreamArchiveOfKind(const QString &archivePath, ArchiveKindCode kind, TarNames names,
                                    const StreamedEntryVisitor &visit);
    bool IsFolderOfKind(const QString &innerPath, ArchiveKindCode kind);
    bool CloseArchiveOfKind(ArchiveKindCode kind);
    bool UnpackFileOfKind(const QString &innerPath, const QString &destination, ArchiveKindCode kind,
                          QObject *progress, bool quiet);
    bool UnpackFolderOfKind(const QString &innerPath, const QString &destination, ArchiveKindCode kind,
                            QObject *progress, bool quiet);
    bool UnpackArchiveOfKind(const QString &destination, ArchiveKindCode kind, QObject *progress, bool quiet);
    QString GetDetailedErrorOfKind(ArchiveKindCode kind);
    // The reason the open reader, or the one whose open just failed, gives for its last failure.
    QString LastReaderError() const;

    // The open reader of that kind, null when none is open or the kind differs.
    IUnpacker *CurrentUnpacker(ArchiveKindCode kind);
    const QString &CurrentArchivePath() const { return m_currentPath; }

    // The yes-to-all carry of a batch: while on, the answers go to each reader before an unpack call and
    // come back after it.
    void BeginYesToAllCarry();
    void EndYesToAllCarry() { m_carryYesToAll = false; }
    bool IsYesToAllCarryOn() const { return m_carryYesToAll; }
    const INIYESTOALL &YesToAllCarried() const { return m_yesToAll; }

    // The messages of this layer. The detailed reader text is added only when asked for and the kind is
    // read by the ZIP reader.
    void ShowOpenError(ArchiveKindCode kind, bool withDetail);
    void ShowUnpackError(UnpackItem item, const QString &name, ArchiveKindCode kind, bool withDetail);

    // Both answers of one walk, so that an executable is probed once.
    struct Located
    {
        QString path;
        ArchiveKindCode kind = ArchiveKind::None;
    };
    Located locateArchive(const QString &path);

private:
    friend class COpenedArchive;
    // Marks the reader as in use for the lifetime of the object.
    class ReaderUse;

    ArchiveKindCode kindOfArchiveFile(const QString &path);
    ArchiveKindCode kindOfExtension(const QString &upperExtension, const QString &path);
    bool probe(const QString &path, ArchiveKindCode kind);
    // Closes the open reader and drops the one kept after a failed open; false, changing nothing, while
    // the reader is in use.
    bool forgetReaders();
    bool closeCurrent();
    bool openWith(IUnpacker &unpacker, const QString &path, ArchiveKindCode kind);
    template <typename Call>
    bool dispatchUnpack(ArchiveKindCode kind, QObject *progress, bool quiet, Call call);
    QString detailText(ArchiveKindCode kind);

    ArchiveAccessConfig m_config;

    std::unique_ptr<IUnpacker> m_unpacker;
    int m_readerUses = 0;
    ArchiveKindCode m_currentKind = ArchiveKind::None;
    QString m_currentPath;
    // Kept after a failed open only for its detailed error text.
    std::unique_ptr<IUnpacker> m_failedUnpacker;

    bool m_carryYesToAll = false;
    INIYESTOALL m_yesToAll;
};

// The upper-cased text after the last "." of the file name; empty when the name has none.
QString upperExtensionOf(const QString &path);
// The part of a virtual path below its archive: "docs/x.txt" for ("/a/b.zip/docs/x.txt", "/a/b.zip");
// empty when the path is the archive itself.
QString innerPathOf(const QString &virtualPath, const QString &archivePath);

}  // namespace orv
