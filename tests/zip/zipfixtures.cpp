#include "zipfixtures.h"

#include "tests/support/testhome.h"
#include "tests/support/tools.h"

#include <QDir>

namespace orv::test {

std::unique_ptr<CTarFamilyUnpacker> makeUnpacker(ZipKind kind)
{
    switch (kind) {
    case ZipKind::Tar:
        return std::make_unique<CTarUnpacker>();
    case ZipKind::GZip:
        return std::make_unique<CGZipUnpacker>();
    case ZipKind::BZip2:
        return std::make_unique<CBZip2Unpacker>();
    case ZipKind::Xz:
        break;
    }
    return std::make_unique<CXzUnpacker>();
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
                         && writeFile(src + QStringLiteral("/docs/sub/deep.bin"), noise(300000, 7))
                         && writeFile(src + QStringLiteral("/top.txt"), "top level\n")
                         && writeFile(src + QStringLiteral("/empty.txt"), QByteArray())
                         && QDir(src).mkpath(QStringLiteral("emptydir"))
                         && writeFile(path(QStringLiteral("note.txt")), noise(5000, 9).toBase64());
    if (!written)
        return false;
    const QString script = QStringLiteral(
        "set -e; find src note.txt -exec touch -h -d '2021-03-04 05:06:08' {} +;"
        "tar -cf a.tar -C src docs top.txt empty.txt emptydir;"
        "tar -cf nodirs.tar --no-recursion -C src docs/readme.txt docs/sub/deep.bin;"
        "gzip -k a.tar; gzip -n -c a.tar > a.tgz; bzip2 -k a.tar; xz -k a.tar;"
        "gzip -k note.txt; gzip -n -c note.txt > renamed.gz; bzip2 -k note.txt; xz -k note.txt");
    return runTool(QStringLiteral("sh"), {QStringLiteral("-c"), script}, m_folder).ok();
}

}  // namespace orv::test
