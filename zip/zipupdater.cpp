#include "zipupdater.h"

#include "platform/events.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "platform/pump.h"
#include "unpack/common/entrylookup.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/zipwriter.h"
#include "zip/zipreader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace orv::zip {

namespace {

const QString packCaption = QStringLiteral("Error Packing Files");
const QString renameFileCaption = QStringLiteral("Error Renaming File");
const QString renameFolderCaption = QStringLiteral("Error Renaming Folder");

std::optional<sz::ZipEncryption> encryptionFor(int listIndex)
{
    switch (listIndex) {
    case 0: return sz::ZipEncryption::ZipCrypto;
    case 1: return sz::ZipEncryption::Aes128;
    case 2: return sz::ZipEncryption::Aes192;
    case 3: return sz::ZipEncryption::Aes256;
    default: return std::nullopt;
    }
}

bool onMainThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return !application || QThread::currentThread() == application->thread();
}

QString normalisedInner(const QString &path) { return normaliseEntryPath(path); }

}  // namespace

ZipUpdater::ZipUpdater() = default;

ZipUpdater::~ZipUpdater() = default;

bool ZipUpdater::fail(const QString &text, const QString &caption)
{
    m_error = text;
    if (!caption.isEmpty())
        showError(text, caption);
    return false;
}

bool ZipUpdater::create(const QString &path)
{
    close();
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QStringLiteral("%1 is a folder.").arg(path), {});
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !folder.isWritable())
        return fail(QStringLiteral("Cannot write to the folder %1.").arg(info.absolutePath()), {});
    m_path = info.absoluteFilePath();
    m_open = true;
    return true;
}

bool ZipUpdater::open(const QString &path, bool readOnly)
{
    close();
    m_path = QFileInfo(path).absoluteFilePath();
    m_onDisk = true;
    m_readOnly = readOnly;
    if (!reload()) {
        m_path.clear();
        m_onDisk = false;
        return false;
    }
    m_open = true;
    return true;
}

bool ZipUpdater::reload()
{
    sz::SevenZipArchive archive;
    sz::ArchiveOpenOptions options;
    options.formats = {QStringLiteral("zip")};
    options.maxStartOffset = std::nullopt;
    if (!archive.open(m_path, options)) {
        m_error = archive.openStatus() == sz::OpenStatus::NotArchive
                      ? QStringLiteral("The file %1 is not a ZIP archive.").arg(m_path)
                      : archive.errorText();
        m_catalog.clear();
        return false;
    }
    m_libraryReadOnly = archive.isReadOnly();
    m_catalog.build(archive, QFileInfo(m_path).lastModified().toSecsSinceEpoch());
    m_current = -1;
    return true;
}

bool ZipUpdater::close()
{
    m_path.clear();
    m_open = false;
    m_onDisk = false;
    m_readOnly = false;
    m_libraryReadOnly = false;
    m_catalog.clear();
    m_current = -1;
    m_error.clear();
    return true;
}

bool ZipUpdater::refuseChange(const QString &caption)
{
    if (!m_open)
        return fail(QStringLiteral("No archive is open."), caption);
    if (m_readOnly)
        return fail(QStringLiteral("The archive %1 was opened for reading only.").arg(m_path), caption);
    if (m_libraryReadOnly)
        return fail(QStringLiteral("The archive %1 cannot be changed: it is damaged, has data after its end, or its "
                                   "stub was adjusted for self-extraction.").arg(m_path), caption);
    return true;
}

std::optional<sz::ZipWriteOptions> ZipUpdater::writeOptions()
{
    sz::ZipWriteOptions options;
    if (m_ini.nCompressionMethod != 8 && m_ini.nCompressionMethod != 12 && m_ini.nCompressionMethod != 14) {
        fail(QStringLiteral("The compression method %1 is not supported.").arg(m_ini.nCompressionMethod), packCaption);
        return std::nullopt;
    }
    options.method = m_ini.nCompressionMethod;
    options.level = std::clamp(m_ini.nCompressionLevel, 0, 9);
    if (m_ini.bEncrypt == 0)
        return options;
    const std::optional<sz::ZipEncryption> encryption = encryptionFor(m_ini.nEncryptionMethod);
    if (!encryption) {
        fail(QStringLiteral("The encryption method %1 is not supported.").arg(m_ini.nEncryptionMethod), packCaption);
        return std::nullopt;
    }
    // Refused here, before anything is written: the library would otherwise fail late or, worse, store
    // the files unencrypted.
    if (const QString problem = sz::ZipWriter::passwordProblem(m_ini.strPassword, *encryption); !problem.isEmpty()) {
        fail(problem, packCaption);
        return std::nullopt;
    }
    options.encryption = *encryption;
    options.password = m_ini.strPassword;
    return options;
}

bool ZipUpdater::startWriter(sz::ZipWriter &writer, const QString &caption)
{
    const bool started = m_onDisk ? writer.open(m_path) : writer.create(m_path);
    if (!started)
        return fail(writer.errorText(), caption);
    if (writer.isReadOnly()) {
        m_libraryReadOnly = true;
        return refuseChange(caption);
    }
    return true;
}

ZipUpdater::Answer ZipUpdater::askReplace(const PackItem &item)
{
    const std::optional<int> existing = m_catalog.findExactFile(item.archivePath);
    if (!existing || m_ini.bAskBeforeUpdating == 0)
        return Answer::Replace;
    const QString text = QStringLiteral("The archive already contains the file\n\n%1\n\nReplace it with\n\n%2?")
                             .arg(m_catalog.at(*existing).path, item.source);
    switch (prompter().message(text, QStringLiteral("Confirm File Update"), MsgIcon::Question, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes:
        return Answer::Replace;
    case MsgAnswer::No:
        return Answer::Skip;
    default:
        return Answer::Cancel;
    }
}

bool ZipUpdater::addItems(const std::vector<PackItem> &items, const QString &shownName)
{
    m_error.clear();
    if (!refuseChange(packCaption))
        return false;
    const std::optional<sz::ZipWriteOptions> options = writeOptions();
    if (!options)
        return false;
    sz::ZipWriter writer;
    if (!startWriter(writer, packCaption))
        return false;
    writer.setOptions(*options);
    for (const PackItem &item : items) {
        if (item.folder) {
            if (!m_catalog.hasExactFolder(item.archivePath) && !writer.addFolder(item.archivePath, item.source))
                return fail(writer.errorText(), packCaption);
            continue;
        }
        const Answer answer = askReplace(item);
        if (answer == Answer::Cancel) {
            m_error = QStringLiteral("The packing was cancelled; the archive was not changed.");
            return false;
        }
        if (answer == Answer::Replace && !writer.addFile(item.source, item.archivePath))
            return fail(writer.errorText(), packCaption);
    }
    return commit(writer, shownName, packCaption);
}

bool ZipUpdater::reportProgress(quint64 done, quint64 total, const QString &shownName)
{
    int percent = 0;
    if (total != 0)
        percent = done >= total ? 100 : static_cast<int>(static_cast<long double>(done) * 100.0L / static_cast<long double>(total));
    sendOrvEvent(m_stopFilter.window(), Ev::PackProgress, percent, shownName);
    if (!onMainThread())
        return !m_stopRequested;
    pumpEvents();
    if (m_stopRequested) {
        m_stopRequested = false;
        if (askYesNo(QStringLiteral("Interrupt the packing?"), productName()))
            return false;
    }
    return true;
}

bool ZipUpdater::commit(sz::ZipWriter &writer, const QString &shownName, const QString &caption)
{
    m_stopRequested = false;
    bool interrupted = false;
    const sz::ProgressFn progress = [&](quint64 done, quint64 total) {
        interrupted = !reportProgress(done, total, shownName);
        return !interrupted;
    };
    if (!progress(0, 1) || !writer.commit(progress)) {
        if (interrupted) {
            m_error = QStringLiteral("The packing was interrupted; the archive was not changed.");
            return false;
        }
        return fail(writer.errorText(), caption);
    }
    m_onDisk = true;
    sendOrvEvent(m_stopFilter.window(), Ev::PackProgress, 100, shownName);
    sendOrvEvent(m_tree, Ev::TreeRefresh, 0, m_path);
    if (!reload())
        return fail(m_error, caption);
    return true;
}

bool ZipUpdater::addFile(const QString &file, const QString &archiveFolder)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return fail(QStringLiteral("%1 is not a file.").arg(file), packCaption);
    const bool withoutPaths = m_ini.bPackFilesWithoutPaths != 0;
    return addItems({{info.absoluteFilePath(), packedFilePath(file, withoutPaths, archiveFolder), false}}, info.fileName());
}

bool ZipUpdater::addFolder(const QString &folder, const QString &base, const QString &archiveFolder, bool recurse)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        return fail(QStringLiteral("%1 is not a folder.").arg(folder), packCaption);
    const bool withoutPaths = m_ini.bPackFoldersWithoutPaths != 0;
    return addItems(packedFolderItems(folder, base.isEmpty() ? folder : base, withoutPaths, archiveFolder, recurse),
                    info.fileName());
}

bool ZipUpdater::fileExists(const QString &path)
{
    const std::optional<int> index = m_open ? m_catalog.findFile(path) : std::nullopt;
    if (index)
        m_current = *index;
    return index.has_value();
}

bool ZipUpdater::folderExists(const QString &path)
{
    const std::optional<int> index = m_open ? m_catalog.findFolder(path) : std::nullopt;
    if (index)
        m_current = *index;
    return index.has_value();
}

bool ZipUpdater::currentInfo(ZIPFILEFULLINFO &record) const
{
    if (!m_open || m_current < 0 || m_current >= m_catalog.size())
        return false;
    // Built with its methods read: the archive it was read from is closed by now.
    const ZipFacts *facts = m_catalog.facts(m_current);
    fillFullInfo(record, m_catalog.at(m_current), facts, facts ? facts->method.value_or(QString()) : QString());
    return true;
}

std::optional<QString> ZipUpdater::newPathFor(const QString &oldPath, const QString &newName, const QString &caption,
                                              bool folder)
{
    QString name = newName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString parent = entryParent(normalisedInner(oldPath));
    const QString target = normalisedInner(name.contains(QLatin1Char('/')) || parent.isEmpty()
                                               ? name : parent + QLatin1Char('/') + name);
    const QString what = folder ? QStringLiteral("folder") : QStringLiteral("file");
    if (target.isEmpty() || target.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
        fail(QStringLiteral("The name \"%1\" cannot be used for a %2 in an archive.").arg(newName, what), caption);
        return std::nullopt;
    }
    const bool sameEntry = target == normalisedInner(oldPath);
    if (!sameEntry && m_catalog.entries().findExact(target)) {
        fail(QStringLiteral("A %1 with this name already exists. Specify a different name.").arg(what), caption);
        return std::nullopt;
    }
    return target;
}

bool ZipUpdater::renameEntries(const std::vector<int> &entries, const QString &oldPrefix, const QString &newPrefix,
                               const QString &caption)
{
    for (const int entry : entries) {
        const ZipFacts *facts = m_catalog.facts(entry);
        if (facts && facts->zipCryptoWithDescriptor)
            return fail(QStringLiteral("The file %1 is encrypted with Zip 2.0 and has a data descriptor. Renaming it "
                                       "would make its password check fail; unpack it and add it again under the "
                                       "new name instead.").arg(m_catalog.at(entry).path), caption);
    }
    sz::ZipWriter writer;
    if (!startWriter(writer, caption))
        return false;
    for (const int entry : entries) {
        const QString &path = m_catalog.at(entry).path;
        writer.renameItem(m_catalog.facts(entry)->index, newPrefix + path.mid(oldPrefix.size()));
    }
    return commit(writer, entryName(newPrefix), caption);
}

bool ZipUpdater::renameFile(const QString &oldPath, const QString &newName)
{
    m_error.clear();
    if (!refuseChange(renameFileCaption))
        return false;
    const std::optional<int> index = m_catalog.findFile(oldPath);
    if (!index || !m_catalog.facts(*index))
        return fail(QStringLiteral("The archive holds no file %1.").arg(oldPath), renameFileCaption);
    const std::optional<QString> target = newPathFor(oldPath, newName, renameFileCaption, false);
    if (!target)
        return false;
    return renameEntries({*index}, m_catalog.at(*index).path, *target, renameFileCaption);
}

bool ZipUpdater::renameFolder(const QString &oldPath, const QString &newName)
{
    m_error.clear();
    if (!refuseChange(renameFolderCaption))
        return false;
    const std::optional<int> folder = m_catalog.findFolder(oldPath);
    if (!folder)
        return fail(QStringLiteral("The archive holds no folder %1.").arg(oldPath), renameFolderCaption);
    const std::optional<QString> target = newPathFor(oldPath, newName, renameFolderCaption, true);
    if (!target)
        return false;
    const QString prefix = m_catalog.at(*folder).path;
    std::vector<int> entries;
    for (int i = 0; i < m_catalog.size(); ++i) {
        const QString &path = m_catalog.at(i).path;
        const bool inside = isAtOrBelow(path, prefix);
        if (inside && m_catalog.facts(i))
            entries.push_back(i);
    }
    return renameEntries(entries, prefix, *target, renameFolderCaption);
}

}  // namespace orv::zip
