#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orv::test {

namespace {
const char *const kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"};
}

TestHome::TestHome()
{
    for (const char *name : kVariables)
        m_saved.append({name, qgetenv(name)});
    const QByteArray home = QFile::encodeName(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("TMPDIR", home + "/tmp");
}

TestHome::~TestHome()
{
    for (const auto &[name, value] : m_saved)
        qputenv(name.constData(), value);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace orv::test
