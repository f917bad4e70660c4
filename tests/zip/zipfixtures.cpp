#include "zipfixtures.h"

#include "tests/support/testhome.h"
#include "zip/tarfamilyunpackers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

namespace orv::test {

namespace {

template <class U, bool HasTar>
class Adapter : public AnyUnpacker
{
public:
    void SetIni(const INIUNPACK &ini) override { m_u.SetIni(ini); }
    void SetIniYesToAll(const INIYESTOALL &answers) override { m_u.SetIniYesToAll(answers); }
    INIYESTOALL yesToAll() const override
    {
        INIYESTOALL answers;
        m_u.GetIniYesToAll(answers);
        return answers;
    }
    void SetHandleDialogProgress(QObject *window) override { m_u.SetHandleDialogProgress(window); }
    bool OpenArchive(const QString &path) override { return m_u.OpenArchive(path); }
    bool IsTarInside() const override
    {
        if constexpr (HasTar)
            return m_u.IsTarInside();
        else
            return false;
    }
    QString GetLastErrorText() const override { return m_u.GetLastErrorText(); }
    bool FindFile() override { return m_u.FindFile(); }
    bool FindNextFileW() override { return m_u.FindNextFileW(); }
    bool GetFileFullInfo(TARFILEFULLINFO &record) const override { return m_u.GetFileFullInfo(record); }
    bool IsFolder(const QString &path) const override { return m_u.IsFolder(path); }
    QString GetFileOutputInfo(const QString &path) const override { return m_u.GetFileOutputInfo(path); }
    QString GetFolderOutputInfo(const QString &path) const override { return m_u.GetFolderOutputInfo(path); }
    QString GetArchiveOutputInfo() const override { return m_u.GetArchiveOutputInfo(); }
    bool UnpackFile(const QString &path, const QString &target) override { return m_u.UnpackFile(path, target); }
    bool UnpackFolder(const QString &path, const QString &target) override { return m_u.UnpackFolder(path, target); }
    bool UnpackArchive(const QString &target) override { return m_u.UnpackArchive(target); }
    bool UnpackCurrentFile(const QString &name, const QString &target) override
    {
        return m_u.UnpackCurrentFile(name, target);
    }
    zip::StreamResult StreamEntries(const QString &path, const zip::StreamedItemVisitor &visit) override
    {
        return m_u.StreamEntries(path, false, visit);
    }

private:
    U m_u;
};

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

}  // namespace

std::unique_ptr<AnyUnpacker> makeUnpacker(ZipKind kind)
{
    switch (kind) {
    case ZipKind::Tar:
        return std::make_unique<Adapter<CTarUnpacker, false>>();
    case ZipKind::GZip:
        return std::make_unique<Adapter<CGZipUnpacker, true>>();
    case ZipKind::BZip2:
        return std::make_unique<Adapter<CBZip2Unpacker, true>>();
    case ZipKind::Xz:
        break;
    }
    return std::make_unique<Adapter<CXzUnpacker, true>>();
}

ZipKind kindOfName(const QString &fileName)
{
    const QString extension = fileName.section(QLatin1Char('.'), -1).toLower();
    if (extension == QLatin1String("gz") || extension == QLatin1String("tgz"))
        return ZipKind::GZip;
    if (extension == QLatin1String("bz2"))
        return ZipKind::BZip2;
    if (extension == QLatin1String("xz"))
        return ZipKind::Xz;
    return ZipKind::Tar;
}

std::vector<TARFILEFULLINFO> listAll(AnyUnpacker &unpacker)
{
    std::vector<TARFILEFULLINFO> records;
    if (!unpacker.FindFile())
        return records;
    bool more = true;
    while (more) {
        more = unpacker.FindNextFileW();
        TARFILEFULLINFO record;
        if (!unpacker.GetFileFullInfo(record))
            break;
        records.push_back(record);
    }
    return records;
}

bool run(const QString &program, const QStringList &arguments, const QString &workingFolder, QByteArray *out)
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return false;
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

ZipFixtures::ZipFixtures(const QString &folder) : m_folder(folder)
{
    m_valid = build();
}

QStringList ZipFixtures::archiveNames()
{
    return {QStringLiteral("a.tar"),       QStringLiteral("a.tar.gz"),    QStringLiteral("a.tgz"),
            QStringLiteral("a.tar.bz2"),   QStringLiteral("a.tar.xz"),    QStringLiteral("nodirs.tar"),
            QStringLiteral("note.txt.gz"), QStringLiteral("renamed.gz"),  QStringLiteral("note.txt.bz2"),
            QStringLiteral("note.txt.xz")};
}

bool ZipFixtures::build()
{
    const QString src = source();
    const bool written = writeFile(src + QStringLiteral("/docs/readme.txt"), "read me\n")
                         && writeFile(src + QStringLiteral("/docs/sub/deep.bin"), randomBytes(300000, 7))
                         && writeFile(src + QStringLiteral("/top.txt"), "top level\n")
                         && writeFile(src + QStringLiteral("/empty.txt"), QByteArray())
                         && QDir(src).mkpath(QStringLiteral("emptydir"))
                         && writeFile(path(QStringLiteral("note.txt")), randomBytes(5000, 9).toBase64());
    if (!written)
        return false;
    const QString script = QStringLiteral(
        "set -e; find src note.txt -exec touch -h -d '2021-03-04 05:06:08' {} +;"
        "tar -cf a.tar -C src docs top.txt empty.txt emptydir;"
        "tar -cf nodirs.tar --no-recursion -C src docs/readme.txt docs/sub/deep.bin;"
        "gzip -k a.tar; gzip -n -c a.tar > a.tgz; bzip2 -k a.tar; xz -k a.tar;"
        "gzip -k note.txt; gzip -n -c note.txt > renamed.gz; bzip2 -k note.txt; xz -k note.txt");
    return run(QStringLiteral("sh"), {QStringLiteral("-c"), script}, m_folder);
}

}  // namespace orv::test
