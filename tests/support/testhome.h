#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace orv::test {

// Points HOME, the XDG folders (the runtime folder too) and TMPDIR at a new empty folder for the lifetime of
// the object, so a test sees a first start on a fresh machine. The previous values come back on destruction.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/.config"); }
    QString tempPath() const { return m_dir.path() + QStringLiteral("/tmp"); }
    // Private to the user, as a session's runtime folder is.
    QString runtimePath() const { return m_dir.path() + QStringLiteral("/run"); }

private:
    QTemporaryDir m_dir;
    QList<QPair<QByteArray, QByteArray>> m_saved;
};

// Writes bytes to a file, creating parent folders; false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Everything below a folder by relative path: each file with its bytes, each folder as its path + "/"
// with none. Hidden and system entries count; links are followed.
QMap<QString, QByteArray> tree(const QString &root);
// The files alone of such a tree.
QMap<QString, QByteArray> filesOf(const QMap<QString, QByteArray> &tree);
// A new empty folder below parent, numbered by a counter that runs for the whole test program.
QString freshFolder(const QString &parent);

}  // namespace orv::test
