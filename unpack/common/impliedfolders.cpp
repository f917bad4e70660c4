#include "impliedfolders.h"

namespace orv {

namespace {

// The folders an item in this folder lies in, outermost first; none past a ".." component, which names no
// folder of the archive.
QStringList foldersOf(const QString &parent)
{
    QStringList folders;
    QString prefix;
    for (const QString &part : parent.split(QLatin1Char('/'))) {
        if (part == QLatin1String(".."))
            break;
        prefix = prefix.isEmpty() ? part : prefix + QLatin1Char('/') + part;
        folders << prefix;
    }
    return folders;
}

}  // namespace

void ImpliedFolders::addItem(const QString &path, bool folder)
{
    if (folder)
        addFolder(path);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        addParent(QStringView(path).left(slash));
}

void ImpliedFolders::addParent(QStringView parent)
{
    // Items of one folder mostly follow each other.
    if (parent == m_lastParent)
        return;
    m_lastParent = parent.toString();
    if (m_parentsSeen.contains(m_lastParent))
        return;
    m_parentsSeen.insert(m_lastParent);
    m_parents << m_lastParent;
}

QStringList ImpliedFolders::folders()
{
    QStringList implied;
    for (const QString &parent : std::as_const(m_parents)) {
        for (const QString &folder : foldersOf(parent)) {
            if (m_named.contains(folder))
                continue;
            m_named.insert(folder);
            implied << folder;
        }
    }
    return implied;
}

}  // namespace orv
