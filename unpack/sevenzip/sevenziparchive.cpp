#include "unpack/sevenzip/sevenziparchive.h"

#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szlibrary.h"
#include "unpack/sevenzip/szstreams.h"
#include "unpack/sevenzip/szvalue.h"

#include <QFile>

#include <cstring>

namespace orv::sz {

namespace {

QString toQString(const std::u16string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string toUtf16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size()));
}

PasswordSource::Provider adaptProvider(const PasswordProvider &provider)
{
    if (!provider)
        return {};
    return [provider]() -> std::optional<std::u16string> {
        const std::optional<QString> answer = provider();
        if (!answer)
            return std::nullopt;
        return toUtf16(*answer);
    };
}

// Worker threads in the library would call our streams and progress off the caller's thread; one
// thread also keeps the order of progress calls simple. Handlers that do not know "mtf" refuse the pair.
void disableThreads(const ComPtr<IInArchive> &handler)
{
    ComPtr<ISetProperties> properties = handler.query<ISetProperties>();
    if (!properties)
        return;
    const wchar_t *names[] = {L"mt", L"mtf"};
    PropVariant values[2];
    values[0].setBool(false);
    values[1].setBool(false);
    const RawPropVariant raw[] = {values[0].raw(), values[1].raw()};
    if (properties->SetProperties(names, raw, 2) != hr::ok)
        properties->SetProperties(names, raw, 1);
}

QString normalisedPath(QString path)
{
    path.replace(u'\\', u'/');
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// Lower is more telling when several formats were tried and all failed.
int statusRank(OpenStatus status)
{
    switch (status) {
    case OpenStatus::Damaged: return 0;
    case OpenStatus::NeedsPassword: return 1;
    case OpenStatus::Failed: return 2;
    case OpenStatus::NotArchive: return 3;
    default: return 4;
    }
}

}  // namespace

bool ItemInfo::hasDataDescriptor() const
{
    return characteristics.split(u' ', Qt::SkipEmptyParts).contains(QStringLiteral("Descriptor"));
}

bool ItemInfo::isZipCryptoWithDescriptor() const
{
    return encrypted && method.startsWith(QStringLiteral("ZipCrypto")) && hasDataDescriptor();
}

QString damageReason(quint32 flags)
{
    struct Damage
    {
        UInt32 flag;
        const char *words;
    };
    static constexpr Damage kDamages[] = {
        {errflag::unexpectedEnd, "unexpected end of data"},
        {errflag::unavailableStart, "its start is missing"},
        {errflag::headersError, "the headers are broken"},
        {errflag::encryptedHeadersError, "the encrypted headers are broken"},
        {errflag::dataError, "data error"},
        {errflag::crcError, "CRC error"},
    };
    for (const Damage &damage : kDamages) {
        if (flags & damage.flag)
            return QString::fromLatin1(damage.words);
    }
    return {};
}

QString openStatusText(OpenStatus status, const QString &path)
{
    switch (status) {
    case OpenStatus::Ok: return {};
    case OpenStatus::LibraryMissing: return QStringLiteral("The 7-Zip library is not available.");
    case OpenStatus::FormatMissing: return QStringLiteral("The 7-Zip library cannot read archives of this kind: %1").arg(path);
    case OpenStatus::CannotReadFile: return QStringLiteral("Cannot open the file %1.").arg(path);
    case OpenStatus::NotArchive: return QStringLiteral("%1 is not an archive of the expected kind.").arg(path);
    case OpenStatus::Damaged: return QStringLiteral("The archive %1 is damaged or incomplete.").arg(path);
    case OpenStatus::NeedsPassword: return QStringLiteral("The archive %1 is encrypted and needs a password.").arg(path);
    case OpenStatus::WrongPassword: return QStringLiteral("Cannot open the encrypted archive %1. Wrong password?").arg(path);
    case OpenStatus::PasswordCancelled: return QStringLiteral("No password was given for the encrypted archive %1.").arg(path);
    case OpenStatus::Stopped: return QStringLiteral("Opening %1 was stopped.").arg(path);
    case OpenStatus::Failed: return QStringLiteral("Cannot open the archive %1.").arg(path);
    }
    return {};
}

SevenZipArchive::SevenZipArchive() = default;

SevenZipArchive::~SevenZipArchive() { close(); }

bool SevenZipArchive::close()
{
    if (!m_handler)
        return false;
    m_handler->Close();
    m_handler.reset();
    m_stream.reset();
    m_count = 0;
    m_format.clear();
    return true;
}

bool SevenZipArchive::fail(OpenStatus status, const QString &text)
{
    m_status = status;
    m_errorText = text;
    return false;
}

bool SevenZipArchive::open(const QString &path, const OpenOptions &options)
{
    return openVolumes(QStringList{path}, options);
}

bool SevenZipArchive::openVolumes(const QStringList &volumePaths, const OpenOptions &options)
{
    close();
    m_password.reset();
    m_path = volumePaths.value(0);
    if (volumePaths.isEmpty())
        return fail(OpenStatus::CannotReadFile, QStringLiteral("No archive file was given."));
    std::vector<std::string> paths;
    for (const QString &path : volumePaths)
        paths.push_back(QFile::encodeName(path).toStdString());
    int error = 0;
    std::string failedPath;
    ComPtr<FileInStream> stream = FileInStream::open(paths, &error, &failedPath);
    if (!stream) {
        const QString failed = QFile::decodeName(QByteArray::fromStdString(failedPath));
        return fail(OpenStatus::CannotReadFile,
                    QStringLiteral("Cannot open the file %1: %2").arg(failed, QString::fromLocal8Bit(std::strerror(error))));
    }
    return openStream(std::move(stream), m_path, options);
}

bool SevenZipArchive::openStream(ComPtr<FileInStream> stream, const QString &firstPath, const OpenOptions &options)
{
    QString libraryError;
    const Library *library = Library::instance(&libraryError);
    if (!library)
        return fail(OpenStatus::LibraryMissing, libraryError);
    auto passwords = std::make_shared<PasswordSource>(
        adaptProvider(options.passwordProvider),
        options.knownPassword ? std::optional(toUtf16(*options.knownPassword)) : std::nullopt);
    bool anyFormat = false;
    m_status = OpenStatus::Ok;
    m_failedDamage.clear();
    OpenStatus best = OpenStatus::NotArchive;
    for (const QString &name : options.formats) {
        const FormatInfo *format = library->format(name);
        if (!format)
            continue;
        anyFormat = true;
        if (tryFormat(format->classId, stream, firstPath, options, passwords)) {
            m_format = format->name;
            m_password = passwords->password();
            return true;
        }
        // Password answers and stop requests concern the file, not the format: do not try others.
        if (m_status == OpenStatus::WrongPassword || m_status == OpenStatus::PasswordCancelled
            || m_status == OpenStatus::Stopped)
            return fail(m_status, openStatusText(m_status, firstPath));
        if (statusRank(m_status) < statusRank(best))
            best = m_status;
    }
    if (!anyFormat)
        return fail(OpenStatus::FormatMissing, openStatusText(OpenStatus::FormatMissing, firstPath));
    if (best == OpenStatus::Damaged && !m_failedDamage.isEmpty())
        return fail(best, QStringLiteral("The archive %1 is damaged: %2.").arg(firstPath, m_failedDamage));
    return fail(best, openStatusText(best, firstPath));
}

bool SevenZipArchive::tryFormat(const Guid &classId, const ComPtr<FileInStream> &stream, const QString &firstPath,
                                const OpenOptions &options, const std::shared_ptr<PasswordSource> &passwords)
{
    ComPtr<IInArchive> handler = Library::instance(nullptr)->createInArchive(classId);
    if (!handler) {
        m_status = OpenStatus::Failed;
        return false;
    }
    disableThreads(handler);
    auto callback = makeCom<OpenCallback>(passwords, QFile::encodeName(firstPath).toStdString(), options.progress);
    stream->Seek(0, static_cast<UInt32>(SeekOrigin::Set), nullptr);
    const UInt64 maxStart = options.maxStartOffset.value_or(0);
    const bool requestedBefore = passwords->wasRequested();
    const HRESULT code = handler->Open(stream.get(), options.maxStartOffset ? &maxStart : nullptr, callback.get());
    if (code == hr::ok) {
        UInt32 count = 0;
        handler->GetNumberOfItems(&count);
        m_handler = std::move(handler);
        m_stream = stream;
        m_count = count;
        m_status = OpenStatus::Ok;
        m_errorText.clear();
        return true;
    }
    // The error flags of a failed open are readable until Close.
    PropVariant flagsValue;
    handler->GetArchiveProperty(pid::errorFlags, flagsValue.out());
    const UInt32 flags = flagsValue.toUInt32().value_or(0);
    handler->Close();
    const bool askedNow = passwords->wasRequested() && !requestedBefore;
    if (code == hr::abort) {
        if (passwords->declined())
            m_status = OpenStatus::PasswordCancelled;
        else
            m_status = askedNow && !passwords->password() ? OpenStatus::NeedsPassword : OpenStatus::Stopped;
    } else if (askedNow && passwords->password())
        m_status = OpenStatus::WrongPassword;
    else if (flags & errflag::unsupportedFeature)
        m_status = OpenStatus::NeedsPassword;
    else if (flags & (errflag::headersError | errflag::unexpectedEnd | errflag::encryptedHeadersError
                      | errflag::unsupportedMethod | errflag::dataError | errflag::crcError))
        m_status = OpenStatus::Damaged;
    else if (code == hr::falseResult)
        m_status = OpenStatus::NotArchive;
    else
        m_status = OpenStatus::Failed;
    if (m_status == OpenStatus::Damaged && m_failedDamage.isEmpty())
        m_failedDamage = sz::damageReason(flags);
    return false;
}

ItemInfo SevenZipArchive::item(quint32 index, ItemTexts texts) const
{
    ItemInfo info;
    if (!m_handler || index >= m_count)
        return info;
    PropVariant value;
    auto get = [&](PROPID id) -> const PropVariant & {
        m_handler->GetProperty(index, id, value.out());
        return value;
    };
    info.path = normalisedPath(toQString(get(pid::path).toUtf16().value_or(u"")));
    info.isDir = get(pid::isDir).toBool().value_or(false);
    info.size = get(pid::size).toUInt64();
    info.packSize = get(pid::packSize).toUInt64();
    if (const auto time = get(pid::mTime).toFileTime())
        info.mTime = fileTimeToUnixSeconds(*time);
    info.attrib = get(pid::attrib).toUInt32();
    info.crc = get(pid::crc).toUInt32();
    info.encrypted = get(pid::encrypted).toBool().value_or(false);
    info.isAnti = get(pid::isAnti).toBool().value_or(false);
    if (texts == ItemTexts::With) {
        info.method = itemText(index, pid::method);
        info.characteristics = itemText(index, pid::characts);
    }
    return info;
}

QString SevenZipArchive::itemText(quint32 index, PROPID propId) const
{
    if (!m_handler || index >= m_count)
        return {};
    PropVariant value;
    m_handler->GetProperty(index, propId, value.out());
    return toQString(value.toUtf16().value_or(u""));
}

std::optional<quint64> SevenZipArchive::archiveUInt64(PROPID propId) const
{
    if (!m_handler)
        return std::nullopt;
    PropVariant value;
    if (m_handler->GetArchiveProperty(propId, value.out()) != hr::ok)
        return std::nullopt;
    return value.toUInt64();
}

std::optional<quint64> SevenZipArchive::itemUInt64(quint32 index, PROPID propId) const
{
    if (!m_handler || index >= m_count)
        return std::nullopt;
    PropVariant value;
    if (m_handler->GetProperty(index, propId, value.out()) != hr::ok)
        return std::nullopt;
    return value.toUInt64();
}

quint32 SevenZipArchive::errorFlags() const
{
    return static_cast<quint32>(archiveUInt64(pid::errorFlags).value_or(0));
}

quint32 SevenZipArchive::warningFlags() const
{
    return static_cast<quint32>(archiveUInt64(pid::warningFlags).value_or(0));
}

QString SevenZipArchive::damageReason() const
{
    // Some handlers report what they could step over as a warning, not an error: damage all the same.
    return sz::damageReason(errorFlags() | warningFlags());
}

bool SevenZipArchive::isReadOnly() const
{
    if (!m_handler)
        return true;
    PropVariant value;
    m_handler->GetArchiveProperty(pid::readOnly, value.out());
    return value.toBool().value_or(false);
}

std::optional<QString> SevenZipArchive::password() const
{
    if (!m_password)
        return std::nullopt;
    return toQString(*m_password);
}

}  // namespace orv::sz
