#pragma once

#include "zip/tarfamilyunpackers.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace orv::test {

enum class ZipKind { Tar, GZip, BZip2, Xz };

// The unpacker of a kind, as the class the four share.
std::unique_ptr<CTarFamilyUnpacker> makeUnpacker(ZipKind kind);
// The class a file name's extension picks.
ZipKind kindOfName(const QString &fileName);

// A small tree with fixed times, and the archives made from it with the system tools:
// a.tar, a.tar.gz, a.tgz, a.tar.bz2, a.tar.xz, nodirs.tar (no folder headers), note.txt.gz (name stored),
// renamed.gz (no name stored), note.txt.bz2, note.txt.xz.
class ZipFixtures
{
public:
    explicit ZipFixtures(const QString &folder);
    bool isValid() const { return m_valid; }
    QString source() const { return m_folder + QStringLiteral("/src"); }
    QString path(const QString &name) const { return m_folder + QLatin1Char('/') + name; }
    static QStringList archiveNames();

private:
    bool build();
    QString m_folder;
    bool m_valid = false;
};

}  // namespace orv::test
