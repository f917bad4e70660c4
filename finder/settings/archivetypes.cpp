#include "archivetypes.h"

namespace orv {

const QStringList &archiveTypeNames()
{
    static const QStringList names{
        QStringLiteral("CAB"), QStringLiteral("RAR"),   QStringLiteral("JAR"),  QStringLiteral("XAP"),
        QStringLiteral("7Z"),  QStringLiteral("001"),   QStringLiteral("GZ"),   QStringLiteral("GZIP"),
        QStringLiteral("BZ"),  QStringLiteral("BZ2"),   QStringLiteral("BZIP2"), QStringLiteral("XZ"),
        QStringLiteral("TAR"), QStringLiteral("TGZ"),   QStringLiteral("TBZ"),  QStringLiteral("TBZ2"),
        QStringLiteral("TXZ"), QStringLiteral("ISO"),   QStringLiteral("EXE")};
    return names;
}

const QStringList &archiveExtensions()
{
    static const QStringList extensions = [] {
        QStringList out;
        for (const QString &name : archiveTypeNames())
            if (name != QLatin1String("EXE"))
                out << QLatin1Char('.') + name;
        return out;
    }();
    return extensions;
}

}  // namespace orv
