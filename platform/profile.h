#pragma once

#include <QString>
#include <QStringList>

namespace orv {

// An INI file read and written with the rules of the Windows private-profile functions: section and key
// names match without regard to case and the first match wins, blanks around names and values are
// ignored, a value in matching quotes loses them, and a write changes only its own line. Every read goes
// to the file, every write replaces the file atomically, so the file on disk is the only state.
class PrivateProfile
{
public:
    explicit PrivateProfile(QString path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // The leading decimal digits of the value (with an optional sign); 0 when there are none.
    int readInt(const QString &section, const QString &key, int defaultValue) const;
    QStringList sectionNames() const;
    QStringList keys(const QString &section) const;

    // Replaces the key's value, or appends the key at the end of its section, or the section at the end
    // of the file. False when the file cannot be written; the old file then stays as it was.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool deleteKey(const QString &section, const QString &key);
    bool deleteSection(const QString &section);

    // The reason of the last failed write, for the message that names the file.
    const QString &lastError() const { return m_lastError; }

private:
    QStringList readLines() const;
    bool writeLines(const QStringList &lines);

    QString m_path;
    QString m_lastError;
};

}  // namespace orv
