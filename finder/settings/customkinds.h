#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

namespace orv {

struct CustomKind
{
    QString description;
    QString extension;
    bool enabled = false;
};

// The user's own ZIP-based archive kinds as the Custom Archives page edits them. An entry of the settings
// that names no kind (no "#" before its last "=") is kept as it is, out of sight.
class CCustomKinds
{
    Q_DECLARE_TR_FUNCTIONS(CCustomKinds)

public:
    static constexpr int kMaxDescription = 40;

    explicit CCustomKinds(const QStringList &entries = {});

    const QList<CustomKind> &kinds() const { return m_kinds; }
    // "description#extension=1" or "=0" per kind, then the entries kept out of sight.
    QStringList entries() const;
    // "description (*.extension)".
    QString rowText(int row) const;

    // "Add" is offered while both boxes hold text once trimmed.
    static bool canAdd(const QString &description, const QString &extension);
    // Appends the kind unticked, both texts trimmed; or leaves the list and answers the message that refuses
    // it: an extension another kind or a built-in type already has (without regard to case), an extension
    // that would not read back, a description the settings file would take for a comment or a section.
    QString add(const QString &description, const QString &extension);
    void setEnabled(int row, bool enabled);
    // Rows in any order.
    void remove(QList<int> rows);

    // Whether a character may stand in an extension: not a blank, nor one that the entry or its row text
    // needs to find where the extension begins and ends.
    static bool isExtensionCharacter(QChar c);

private:
    QList<CustomKind> m_kinds;
    QStringList m_unreadable;
};

// Whether the kinds differ between two entry lists, the order aside.
bool customKindsDiffer(QStringList before, QStringList after);

}  // namespace orv
