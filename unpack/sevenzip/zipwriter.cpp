#include "unpack/sevenzip/zipwriter.h"

#include "unpack/sevenzip/szlibrary.h"
#include "unpack/sevenzip/szstreams.h"
#include "unpack/sevenzip/szvalue.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace orv::sz {

namespace {

constexpr UInt32 attrReadOnly = 0x01;
constexpr UInt32 attrDirectory = 0x10;
constexpr UInt32 attrArchive = 0x20;
constexpr UInt32 attrUnixExtension = 0x8000;
constexpr int aesMaxPasswordLength = 99;

std::u16string toUtf16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size()));
}

QString toQString(const std::u16string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A name inside the archive: "/"-separated, no empty, "." or ".." parts, nothing absolute.
std::optional<QString> archiveName(QString path)
{
    path.replace(u'\\', u'/');
    if (path.isEmpty() || path.startsWith(u'/') || path.endsWith(u'/'))
        return std::nullopt;
    for (const QString &part : path.split(u'/')) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return std::nullopt;
    }
    return path;
}

// Unix mode in the high half, as the library stores it for unzip and 7-Zip to restore.
UInt32 attributesFor(mode_t mode, bool folder)
{
    UInt32 attributes = attrUnixExtension | (static_cast<UInt32>(mode) << 16);
    attributes |= folder ? attrDirectory : attrArchive;
    if (!(mode & S_IWUSR))
        attributes |= attrReadOnly;
    return attributes;
}

// The names and values of one SetProperties call; each call resets what an earlier one set.
class PropertyList
{
public:
    PropertyList() = default;
    PropertyList(const PropertyList &) = delete;
    PropertyList &operator=(const PropertyList &) = delete;
    ~PropertyList()
    {
        for (RawPropVariant &value : m_values) {
            if (value.vt == vt::bstr)
                freeBstr(value.bstrVal);
        }
    }
    void addUInt32(const wchar_t *name, UInt32 value) { setUInt32(add(name), value); }
    void addBool(const wchar_t *name, bool value) { setBool(add(name), value); }
    void addString(const wchar_t *name, std::u16string_view value) { setString(add(name), value); }
    HRESULT applyTo(ISetProperties &target) const
    {
        return target.SetProperties(m_names.data(), m_values.data(), static_cast<UInt32>(m_names.size()));
    }

private:
    RawPropVariant *add(const wchar_t *name)
    {
        m_names.push_back(name);
        m_values.push_back(RawPropVariant{});
        return &m_values.back();
    }
    std::vector<const wchar_t *> m_names;
    std::vector<RawPropVariant> m_values;
};

std::optional<std::u16string> methodName(int method)
{
    switch (method) {
    case 0: return u"Copy";
    case 8: return u"Deflate";
    case 12: return u"BZip2";
    case 14: return u"LZMA";
    default: return std::nullopt;
    }
}

std::u16string encryptionName(ZipEncryption encryption)
{
    switch (encryption) {
    case ZipEncryption::ZipCrypto: return u"ZipCrypto";
    case ZipEncryption::Aes128: return u"AES128";
    case ZipEncryption::Aes192: return u"AES192";
    case ZipEncryption::Aes256: return u"AES256";
    case ZipEncryption::None: break;
    }
    return {};
}

}  // namespace

QString ZipWriter::passwordProblem(const QString &password, ZipEncryption encryption)
{
    if (encryption == ZipEncryption::None)
        return {};
    if (password.isEmpty())
        return QStringLiteral("Enter a password to encrypt the files.");
    for (QChar c : password) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return QStringLiteral("The password may contain only English letters, digits, spaces and punctuation.");
    }
    if (encryption != ZipEncryption::ZipCrypto && password.size() > aesMaxPasswordLength)
        return QStringLiteral("An AES password can have at most %1 characters.").arg(aesMaxPasswordLength);
    return {};
}

bool ZipWriter::fail(const QString &text)
{
    m_errorText = text;
    return false;
}

bool ZipWriter::start(const QString &path)
{
    m_old.close();
    m_oldItems.clear();
    m_removed.clear();
    m_newItems.clear();
    m_oldByName.clear();
    m_newByName.clear();
    m_errorText.clear();
    // Writing through a link would replace the link with a file; write where it points instead.
    const QFileInfo info(path);
    m_target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    return true;
}

bool ZipWriter::create(const QString &path) { return start(path); }

bool ZipWriter::open(const QString &path, const PasswordProvider &passwordProvider)
{
    start(path);
    ArchiveOpenOptions options;
    options.formats = {QStringLiteral("zip")};
    options.passwordProvider = passwordProvider;
    // A self-extracting archive keeps its stub through an update.
    options.maxStartOffset = std::nullopt;
    if (!m_old.open(m_target, options))
        return fail(m_old.errorText());
    const quint32 count = m_old.itemCount();
    m_oldItems.resize(count);
    m_removed.assign(count, false);
    for (quint32 i = 0; i < count; ++i) {
        const ItemInfo info = m_old.item(i);
        UpdateItem &item = m_oldItems[i];
        item.kind = UpdateItem::Kind::Keep;
        item.oldIndex = i;
        item.path = toUtf16(info.path);
        item.isDir = info.isDir;
        m_oldByName.insert(info.path, i);
    }
    return true;
}

bool ZipWriter::statSource(const QString &sourcePath, bool folder, UpdateItem *item)
{
    struct stat info{};
    const QByteArray native = QFile::encodeName(sourcePath);
    if (::stat(native.constData(), &info) != 0)
        return fail(QStringLiteral("Cannot read %1: %2").arg(sourcePath, systemText(errno)));
    if (folder != S_ISDIR(info.st_mode) || (!folder && !S_ISREG(info.st_mode)))
        return fail(folder ? QStringLiteral("%1 is not a folder.").arg(sourcePath)
                           : QStringLiteral("%1 is not a regular file.").arg(sourcePath));
    item->sourcePath = native.toStdString();
    item->size = folder ? 0 : static_cast<UInt64>(info.st_size);
    item->mTime = unixToFileTime(info.st_mtim.tv_sec, static_cast<std::uint32_t>(info.st_mtim.tv_nsec));
    item->attrib = attributesFor(info.st_mode, folder);
    return true;
}

bool ZipWriter::addFile(const QString &sourcePath, const QString &archivePath)
{
    const std::optional<QString> name = archiveName(archivePath);
    if (!name)
        return fail(QStringLiteral("The name \"%1\" cannot be stored in an archive.").arg(archivePath));
    UpdateItem item;
    item.kind = UpdateItem::Kind::New;
    item.path = toUtf16(*name);
    if (!statSource(sourcePath, false, &item))
        return false;
    return addItem(std::move(item));
}

bool ZipWriter::addFolder(const QString &archivePath, const QString &sourceFolder)
{
    const std::optional<QString> name = archiveName(archivePath);
    if (!name)
        return fail(QStringLiteral("The name \"%1\" cannot be stored in an archive.").arg(archivePath));
    UpdateItem item;
    item.kind = UpdateItem::Kind::New;
    item.isDir = true;
    item.path = toUtf16(*name);
    if (!sourceFolder.isEmpty()) {
        if (!statSource(sourceFolder, true, &item))
            return false;
        item.sourcePath.clear();
    } else {
        item.mTime = unixToFileTime(QDateTime::currentSecsSinceEpoch());
        item.attrib = attributesFor(S_IFDIR | 0755, true);
    }
    return addItem(std::move(item));
}

bool ZipWriter::addItem(UpdateItem item)
{
    // The library would store duplicates side by side; the newest one wins instead. Names that differ in
    // case alone are two entries, as they are two files here.
    const QString key = toQString(item.path);
    if (const auto old = m_oldByName.find(key); old != m_oldByName.end()) {
        m_removed[old.value()] = true;
        m_oldByName.erase(old);
    }
    if (const auto earlier = m_newByName.find(key); earlier != m_newByName.end()) {
        m_newItems[earlier.value()] = std::move(item);
        return true;
    }
    m_newByName.insert(key, m_newItems.size());
    m_newItems.push_back(std::move(item));
    return true;
}

void ZipWriter::renameItem(quint32 oldIndex, const QString &newPath)
{
    if (oldIndex >= m_oldItems.size() || m_removed[oldIndex])
        return;
    UpdateItem &item = m_oldItems[oldIndex];
    m_oldByName.remove(toQString(item.path));
    QString path = newPath;
    path.replace(u'\\', u'/');
    item.kind = UpdateItem::Kind::Rename;
    item.path = toUtf16(path);
    m_oldByName.insert(path, oldIndex);
}

void ZipWriter::removeItem(quint32 oldIndex)
{
    if (oldIndex >= m_oldItems.size() || m_removed[oldIndex])
        return;
    m_oldByName.remove(toQString(m_oldItems[oldIndex].path));
    m_removed[oldIndex] = true;
}

std::vector<UpdateItem> ZipWriter::plan() const
{
    std::vector<UpdateItem> items;
    items.reserve(m_oldItems.size() + m_newItems.size());
    for (std::size_t i = 0; i < m_oldItems.size(); ++i) {
        if (!m_removed[i])
            items.push_back(m_oldItems[i]);
    }
    items.insert(items.end(), m_newItems.begin(), m_newItems.end());
    return items;
}

QString ZipWriter::updateErrorText(HRESULT code, const UpdateCallback &callback) const
{
    if (callback.sourceError() != 0)
        return QStringLiteral("Cannot read %1: %2")
            .arg(QFile::decodeName(QByteArray::fromStdString(callback.failedSource())), systemText(callback.sourceError()));
    if (code == hr::abort)
        return QStringLiteral("Packing was stopped; %1 was not changed.").arg(m_target);
    if (code == hr::notImplemented)
        return QStringLiteral("%1 cannot be updated: it is damaged, has data after its end or a stub with adjusted "
                              "offsets, or the compression method is not supported.").arg(m_target);
    if (code == hr::invalidArg)
        return QStringLiteral("The 7-Zip library refused the settings, a name or the password for %1.").arg(m_target);
    if (hr::isErrno(code))
        return QStringLiteral("Cannot write %1: %2").arg(m_target, systemText(hr::errnoOf(code)));
    return QStringLiteral("Writing %1 failed (error 0x%2).").arg(m_target, QString::number(static_cast<quint32>(code), 16));
}

bool ZipWriter::commit(const ProgressFn &progress)
{
    if (m_target.isEmpty())
        return fail(QStringLiteral("No archive was created or opened."));
    if (const QString problem = passwordProblem(m_options.password, m_options.encryption); !problem.isEmpty())
        return fail(problem);
    const std::optional<std::u16string> method = methodName(m_options.method);
    if (!method)
        return fail(QStringLiteral("The compression method %1 is not supported.").arg(m_options.method));
    QString libraryError;
    const Library *library = Library::instance(&libraryError);
    if (!library)
        return fail(libraryError);
    const FormatInfo *zip = library->format(QStringLiteral("zip"));
    if (!zip)
        return fail(QStringLiteral("The 7-Zip library cannot write ZIP archives."));
    ComPtr<IOutArchive> out = m_old.isOpen() ? m_old.handler().query<IOutArchive>() : library->createOutArchive(zip->classId);
    ComPtr<ISetProperties> settings = out.query<ISetProperties>();
    if (!out || !settings)
        return fail(QStringLiteral("The 7-Zip library cannot write ZIP archives."));

    PropertyList properties;
    // Level 0 alone means stored: with a method named, the library would still compress.
    const bool store = m_options.level <= 0 || m_options.method == 0;
    if (!store)
        properties.addString(L"m", *method);
    properties.addUInt32(L"x", store ? 0u : static_cast<UInt32>(std::min(m_options.level, 9)));
    if (m_options.encryption != ZipEncryption::None)
        properties.addString(L"em", encryptionName(m_options.encryption));
    properties.addBool(L"mt", false);
    if (properties.applyTo(*settings) != hr::ok)
        return fail(QStringLiteral("The 7-Zip library refused the compression settings."));
    return writeArchive(*out, progress);
}

bool ZipWriter::writeArchive(IOutArchive &out, const ProgressFn &progress)
{
    const std::string target = QFile::encodeName(m_target).toStdString();
    std::string tempPath;
    int error = 0;
    UniqueFd fd = createFileBeside(target, &tempPath, &error);
    if (!fd.isValid())
        return fail(QStringLiteral("Cannot create a file beside %1: %2").arg(m_target, systemText(error)));
    struct stat original{};
    if (::stat(target.c_str(), &original) == 0)
        ::fchmod(fd.get(), original.st_mode & 07777);

    const std::vector<UpdateItem> items = plan();
    std::optional<std::u16string> password;
    if (m_options.encryption != ZipEncryption::None)
        password = toUtf16(m_options.password);
    auto stream = makeCom<FileOutStream>(std::move(fd));
    auto callback = makeCom<UpdateCallback>(items, m_old.handler(), password, progress);
    const HRESULT code = out.UpdateItems(stream.get(), static_cast<UInt32>(items.size()), callback.get());
    const int writeError = stream->finish(code == hr::ok);
    if (code != hr::ok || writeError != 0) {
        ::unlink(tempPath.c_str());
        return fail(code != hr::ok ? updateErrorText(code, *callback)
                                   : QStringLiteral("Cannot write %1: %2").arg(m_target, systemText(writeError)));
    }
    m_old.close();
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(tempPath.c_str());
        return fail(QStringLiteral("Cannot replace %1: %2").arg(m_target, systemText(error)));
    }
    start(m_target);
    m_target.clear();
    return true;
}

}  // namespace orv::sz
