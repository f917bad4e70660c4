#include "testhome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace orv::test {

namespace {

const char *const kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                                  "TMPDIR"};

// A test started by hand, outside ctest, would otherwise write the framework profile and the settings
// file of the real user: before main() runs, such a test gets a home of its own.
struct SandboxGuard
{
    SandboxGuard()
    {
        if (std::getenv("ORV_TEST_SANDBOX"))
            return;
        char pattern[] = "/tmp/orvtest-XXXXXX";
        const char *home = mkdtemp(pattern);
        if (!home)
            std::abort();
        const QByteArray base(home);
        qputenv("HOME", base);
        qputenv("XDG_CONFIG_HOME", base + "/.config");
        qputenv("XDG_DATA_HOME", base + "/.local/share");
        qputenv("XDG_CACHE_HOME", base + "/.cache");
        qputenv("XDG_RUNTIME_DIR", base);
        qputenv("ORV_TEST_SANDBOX", base);
    }
} g_sandboxGuard;

}  // namespace

TestHome::TestHome()
{
    for (const char *name : kVariables)
        m_saved.append({name, qgetenv(name)});
    const QByteArray home = QFile::encodeName(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    QDir(m_dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(runtimePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_RUNTIME_DIR", home + "/run");
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

QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> found;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = base.relativeFilePath(path);
        if (it.fileInfo().isDir())
            found.insert(relative + u'/', {});
        else
            found.insert(relative, readFile(path));
    }
    return found;
}

QMap<QString, QByteArray> filesOf(const QMap<QString, QByteArray> &tree)
{
    QMap<QString, QByteArray> files;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        if (!it.key().endsWith(u'/'))
            files.insert(it.key(), it.value());
    }
    return files;
}

QString freshFolder(const QString &parent)
{
    static int counter = 0;
    const QString folder = parent + QStringLiteral("/out%1").arg(++counter);
    QDir().mkpath(folder);
    return folder;
}

}  // namespace orv::test
