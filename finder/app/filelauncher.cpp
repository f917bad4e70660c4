#include "filelauncher.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace orv {

namespace {

constexpr int kQueryTimeoutMs = 5000;

QString queryDefault(const QString &mimeType)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

}  // namespace

QString defaultProgramFor(const QString &mimeType)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    QStringList candidates{mimeType};
    if (type.isValid())
        candidates << type.allAncestors();
    for (const QString &candidate : std::as_const(candidates)) {
        const QString program = queryDefault(candidate);
        if (!program.isEmpty())
            return program;
    }
    return {};
}

bool openWithDesktopProgram(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (defaultProgramFor(type.name()).isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace orv
