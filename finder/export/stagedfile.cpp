#include "stagedfile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace orv {

namespace {

// A temporary file is made private to its owner; the finished file gets what the user's mask gives any
// new file.
void applyCreationMode(const QString &path)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

}  // namespace

bool CStagedFile::reserve(const QString &target)
{
    m_target = target;
    const QFileInfo info(target);
    m_file.setFileTemplate(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!m_file.open()) {
        m_error = m_file.errorString();
        return false;
    }
    m_staging = m_file.fileName();
    m_file.close();
    return true;
}

bool CStagedFile::commit()
{
    applyCreationMode(m_staging);
    if (std::rename(QFile::encodeName(m_staging).constData(), QFile::encodeName(m_target).constData()) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_file.setAutoRemove(false);
    return true;
}

}  // namespace orv
