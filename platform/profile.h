#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

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
    // The entry lines of the section in file order as they stand, blanks at their ends dropped: two keys
    // of the same name included, and a key that holds "=" (which a lookup by name cuts at its first "=").
    QStringList entries(const QString &section) const;

    // Replaces the key's value, or appends the key at the end of its section, or the section at the end
    // of the file. False when the file cannot be written; the old file then stays as it was.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool deleteKey(const QString &section, const QString &key);
    bool deleteSection(const QString &section);

    // The reason of the last failed write, for the message that names the file.
    const QString &lastError() const { return m_lastError; }

    // Between beginBatch and commitBatch, reads and writes work on a copy in memory and the file is
    // replaced once, so a save of many keys either lands whole or leaves the old file as it was.
    void beginBatch();
    bool commitBatch();
    // Ends a batch without writing: a batch of reads only reads the file once.
    void discardBatch();

private:
    struct Lookup;
    // The value lines of the batch copy, parsed on the first read and dropped by the next write.
    const Lookup &lookup() const;
    QStringList readLines() const;
    QStringList readFileLines() const;
    bool writeLines(const QStringList &lines);
    bool writeFileLines(const QStringList &lines);

    QString m_path;
    QString m_lastError;
    bool m_inBatch = false;
    QStringList m_batchLines;
    mutable std::shared_ptr<const Lookup> m_lookup;
};

}  // namespace orv
