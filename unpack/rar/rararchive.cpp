#include "rararchive.h"

#include "unpack/common/damage.h"
#include "unpack/rar/rarcatalogue.h"
#include "unpack/rar/rarsignature.h"
#include "unpack/rar/rarvolumes.h"

#include <QFileInfo>

namespace orv::rar {

namespace {

RarCode codeOf(CatalogueStatus status)
{
    switch (status) {
    case CatalogueStatus::Ok: return RarCode::Success;
    case CatalogueStatus::WrongPassword: return RarCode::BadPassword;
    case CatalogueStatus::NeedsPassword: return RarCode::MissingPassword;
    case CatalogueStatus::CannotRead: return RarCode::EOpen;
    case CatalogueStatus::LibraryMissing: return RarCode::Unknown;
    case CatalogueStatus::NotRar:
    case CatalogueStatus::Damaged: break;
    }
    return RarCode::BadArchive;
}

RarCode codeOf(ReadStatus status)
{
    switch (status) {
    case ReadStatus::Ok: return RarCode::Success;
    case ReadStatus::Stopped: return RarCode::Unknown;
    case ReadStatus::BadData:
    case ReadStatus::CrcError:
    case ReadStatus::Unreachable: break;
    }
    return RarCode::BadData;
}

}  // namespace

RarArchive::RarArchive(const RarArchive &other)
    : m_path(other.m_path),
      m_flags(other.m_flags),
      m_rar5(other.m_rar5),
      m_stubAllowed(other.m_stubAllowed),
      m_password(other.m_password),
      m_callbacks(other.m_callbacks),
      m_catalogue(other.m_catalogue),
      m_next(other.m_next),
      m_current(other.m_current),
      m_error(other.m_error)
{
}

RarArchive &RarArchive::operator=(const RarArchive &other)
{
    if (this != &other)
        *this = RarArchive(other);
    return *this;
}

RarArchive::~RarArchive() = default;

RarCode RarArchive::fail(RarCode code, const QString &text)
{
    m_error = text;
    return code;
}

RarCode RarArchive::open(const QString &path)
{
    close();
    m_error.clear();
    if (!QFileInfo(path).isFile())
        return fail(RarCode::EOpen, QStringLiteral("Cannot open the file %1.").arg(path));
    m_stubAllowed = path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
    const std::optional<Signature> signature = readSignature(path, m_stubAllowed);
    if (!signature)
        return fail(RarCode::BadArchive, QStringLiteral("%1 is not a RAR archive.").arg(path));
    m_path = path;
    m_rar5 = signature->rar5;
    m_flags = signature->archiveFlags;
    return RarCode::Success;
}

void RarArchive::close()
{
    m_path.clear();
    m_flags = 0;
    m_password.reset();
    m_catalogue.reset();
    m_data.reset();
    m_next = 0;
    m_current.reset();
}

QStringList RarArchive::volumes() const
{
    return m_catalogue ? m_catalogue->volumes : QStringList();
}

std::optional<QString> RarArchive::missingVolume() const
{
    return m_catalogue ? m_catalogue->missingVolume : std::nullopt;
}

QString RarArchive::damageText() const
{
    return m_catalogue ? m_catalogue->damage : QString();
}

RarCode RarArchive::readHeaders()
{
    if (m_catalogue)
        return RarCode::Success;
    if (m_path.isEmpty())
        return fail(RarCode::EOpen, QStringLiteral("No archive is open."));
    if ((m_flags & ArchiveFlag::EncryptedHeaders) && !m_password)
        return fail(RarCode::MissingPassword, QStringLiteral("The archive %1 is encrypted and needs a password.").arg(m_path));
    const CatalogueResult result = readCatalogue(m_path, m_rar5, m_stubAllowed, m_password);
    if (result.status != CatalogueStatus::Ok)
        return fail(codeOf(result.status), result.errorText);
    m_catalogue = result.catalogue;
    m_error.clear();
    return RarCode::Success;
}

void RarArchive::rewind()
{
    m_next = 0;
    m_current.reset();
}

RarCode RarArchive::readHeader(RarHeader &header)
{
    if (const RarCode code = readHeaders(); code != RarCode::Success)
        return code;
    m_current.reset();
    if (m_next >= m_catalogue->headers.size())
        return RarCode::EndArchive;
    m_current = m_next++;
    header = m_catalogue->headers[*m_current];
    return RarCode::Success;
}

RarCode RarArchive::processFile(Operation operation, const DataSink &sink)
{
    if (!m_catalogue || !m_current)
        return fail(RarCode::Unknown, QStringLiteral("No file of the archive is current."));
    const std::size_t position = *std::exchange(m_current, std::nullopt);
    m_error.clear();
    if (operation == Operation::Skip)
        return RarCode::Success;
    return extract(position, sink);
}

std::optional<std::size_t> RarArchive::hardLinkSource(std::size_t position) const
{
    const auto &headers = m_catalogue->headers;
    const QString &target = headers[position].hardlinkTarget;
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (std::size_t i = 0; i < position; ++i) {
            if (!headers[i].isDirectory() && headers[i].hardlinkTarget.isEmpty()
                && headers[i].fileName.compare(target, sensitivity) == 0)
                return i;
        }
    }
    return std::nullopt;
}

bool RarArchive::volumesPresent(const RarHeader &header)
{
    if (header.splitBefore()) {
        m_error = QStringLiteral("The file begins in a volume before %1; open the first volume.").arg(m_path);
        return false;
    }
    if (!header.splitAfter())
        return true;
    const QString next = nextVolumePath(m_catalogue->volumes.last()).value_or(QString());
    m_error = missingVolumeText(next);
    if (m_callbacks.changeVolume)
        m_callbacks.changeVolume(next, false);
    return false;
}

RarCode RarArchive::checkCurrent()
{
    if (!m_catalogue || !m_current)
        return fail(RarCode::Unknown, QStringLiteral("No file of the archive is current."));
    std::size_t source = 0;
    return check(*m_current, source);
}

RarCode RarArchive::check(std::size_t position, std::size_t &source)
{
    const RarHeader &header = m_catalogue->headers[position];
    source = position;
    if (!header.hardlinkTarget.isEmpty()) {
        const std::optional<std::size_t> target = hardLinkSource(position);
        if (!target)
            return fail(RarCode::BadData, QStringLiteral("The file the link %1 points to is not in the archive.").arg(header.fileName));
        source = *target;
    }
    const RarHeader &data = m_catalogue->headers[source];
    if (header.isEncrypted() || data.isEncrypted())
        return fail(RarCode::DecryptionUnavailable, QStringLiteral("RAR decryption is not available in this build."));
    // libarchive's RAR 4 reader keeps no solid state: only the first file of a solid archive decodes.
    if (!m_rar5 && data.isSolid())
        return fail(RarCode::SolidUnreachable,
                    QStringLiteral("The file lies in a solid RAR archive after its first file, which this build "
                                   "cannot decompress."));
    if (!volumesPresent(header) || !volumesPresent(data))
        return RarCode::EOpen;
    return RarCode::Success;
}

RarCode RarArchive::extract(std::size_t position, const DataSink &sink)
{
    if (m_catalogue->headers[position].isDirectory())
        return RarCode::Success;
    std::size_t source = position;
    if (const RarCode code = check(position, source); code != RarCode::Success)
        return code;
    if (!m_data)
        m_data = std::make_unique<DataReader>(m_catalogue->volumes);
    bool sinkRefused = false;
    const DataSink counted = [&](const char *bytes, std::size_t size) {
        if (sink && !sink(bytes, size)) {
            sinkRefused = true;
            return false;
        }
        return !m_callbacks.processData || m_callbacks.processData(size) != -1;
    };
    const ReadResult result = m_data->read(source, m_catalogue->headers[source], counted);
    if (result.status == ReadStatus::Stopped && sinkRefused)
        return fail(RarCode::EWrite, QStringLiteral("Cannot write the unpacked file."));
    if (result.status == ReadStatus::Stopped)
        return fail(RarCode::Unknown, QStringLiteral("The unpack was interrupted."));
    if (result.status != ReadStatus::Ok)
        return fail(codeOf(result.status), result.errorText);
    return RarCode::Success;
}

}  // namespace orv::rar
