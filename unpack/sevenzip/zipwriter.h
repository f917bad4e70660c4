#pragma once

// Creating and updating ZIP archives through 7z.so. Nothing touches the target until commit() has
// written the whole new archive beside it; only then is it renamed over the target.

#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szupdate.h"

#include <QHash>
#include <QString>

#include <vector>

namespace orv::sz {

enum class ZipEncryption { None, ZipCrypto, Aes128, Aes192, Aes256 };

struct ZipWriteOptions
{
    int method = 8;  // ZIP method numbers: 0 stored, 8 Deflate, 12 BZip2, 14 LZMA
    int level = 5;   // 0 stores whatever the method
    ZipEncryption encryption = ZipEncryption::None;
    QString password;
};

class ZipWriter
{
public:
    ZipWriter() = default;
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    // A new archive at path; a file already there is replaced by commit().
    bool create(const QString &path);
    // An existing archive whose items are kept unless removed, renamed or replaced.
    bool open(const QString &path, const PasswordProvider &passwordProvider = {});

    // The archive being updated, for listing its items; not open after create().
    const SevenZipArchive &archive() const { return m_old; }
    // The library cannot write this archive back (truncated, data after its end, adjusted stub).
    bool isReadOnly() const { return m_old.isOpen() && m_old.isReadOnly(); }

    void setOptions(const ZipWriteOptions &options) { m_options = options; }

    // archivePath is "/"- or "\"-separated. An item of the same path, without regard to case, is replaced.
    bool addFile(const QString &sourcePath, const QString &archivePath);
    // sourceFolder, when given, lends its time and mode.
    bool addFolder(const QString &archivePath, const QString &sourceFolder = {});
    void renameItem(quint32 oldIndex, const QString &newPath);
    void removeItem(quint32 oldIndex);

    // Writes everything; the previous archive stays byte for byte as it was when this fails.
    bool commit(const ProgressFn &progress = {});

    const QString &errorText() const { return m_errorText; }

    // Empty when the library accepts the password for the encryption, else why not.
    static QString passwordProblem(const QString &password, ZipEncryption encryption);

private:
    bool fail(const QString &text);
    bool start(const QString &path);
    bool addItem(UpdateItem item);
    bool statSource(const QString &sourcePath, bool folder, UpdateItem *item);
    std::vector<UpdateItem> plan() const;
    bool writeArchive(IOutArchive &out, const ProgressFn &progress);
    QString updateErrorText(HRESULT code, const UpdateCallback &callback) const;

    QString m_target;
    SevenZipArchive m_old;
    // Per old item: kept, renamed (new path) or removed.
    std::vector<UpdateItem> m_oldItems;
    std::vector<bool> m_removed;
    std::vector<UpdateItem> m_newItems;
    // Paths of the items that will be in the archive, for replacing instead of duplicating.
    QHash<QString, quint32> m_oldByName;
    QHash<QString, std::size_t> m_newByName;
    ZipWriteOptions m_options;
    QString m_errorText;
};

}  // namespace orv::sz
