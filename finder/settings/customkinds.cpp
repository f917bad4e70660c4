#include "customkinds.h"

#include "finder/archive/customarchives.h"
#include "finder/settings/archivetypes.h"

#include <algorithm>

namespace orv {

namespace {

bool takenByBuiltInType(const QString &upperExtension)
{
    return upperExtension == QLatin1String("ZIP") || archiveTypeNames().contains(upperExtension);
}

}  // namespace

CCustomKinds::CCustomKinds(const QStringList &entries)
{
    for (const QString &entry : entries) {
        const CustomArchiveEntry parsed = parseCustomArchiveEntry(entry);
        if (parsed.valid)
            m_kinds.append({parsed.description, parsed.extension, parsed.enabled});
        else
            m_unreadable << entry;
    }
}

QStringList CCustomKinds::entries() const
{
    QStringList out;
    for (const CustomKind &kind : m_kinds)
        out << QStringLiteral("%1#%2=%3").arg(kind.description, kind.extension,
                                              kind.enabled ? QStringLiteral("1") : QStringLiteral("0"));
    return out + m_unreadable;
}

QString CCustomKinds::rowText(int row) const
{
    const CustomKind &kind = m_kinds.at(row);
    return QStringLiteral("%1 (*.%2)").arg(kind.description, kind.extension);
}

bool CCustomKinds::canAdd(const QString &description, const QString &extension)
{
    return !description.trimmed().isEmpty() && !extension.trimmed().isEmpty();
}

QString CCustomKinds::add(const QString &description, const QString &extension)
{
    const QString name = description.trimmed().left(kMaxDescription);
    const QString ext = extension.trimmed();
    if (!canAdd(name, ext))
        return {};
    if (!std::all_of(ext.begin(), ext.end(), isExtensionCharacter))
        return tr("An extension may not hold blanks or any of # = ( ) . * ? / \\");
    if (name.startsWith(QLatin1Char(';')) || name.startsWith(QLatin1Char('[')))
        return tr("A description may not begin with ';' or '['.");
    const QString upper = ext.toUpper();
    const bool taken = takenByBuiltInType(upper) || std::any_of(m_kinds.begin(), m_kinds.end(), [&](const CustomKind &kind) {
                           return kind.extension.toUpper() == upper;
                       });
    if (taken)
        return tr("The extension of '%1' already exists!").arg(ext);
    m_kinds.append({name, ext, false});
    return {};
}

void CCustomKinds::setEnabled(int row, bool enabled)
{
    if (row >= 0 && row < m_kinds.size())
        m_kinds[row].enabled = enabled;
}

void CCustomKinds::remove(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows)
        if (row >= 0 && row < m_kinds.size())
            m_kinds.removeAt(row);
}

bool CCustomKinds::isExtensionCharacter(QChar c)
{
    static const QString reserved = QStringLiteral("#=().*?/\\");
    return c.isPrint() && !c.isSpace() && !reserved.contains(c);
}

bool customKindsDiffer(QStringList before, QStringList after)
{
    before.sort();
    after.sort();
    return before != after;
}

}  // namespace orv
