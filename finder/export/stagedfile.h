#pragma once

#include <QString>
#include <QTemporaryFile>

namespace orv {

// A new file written under a temporary name beside its target and renamed over the target only when it is
// complete, so that a failed or abandoned write leaves an earlier file of that name as it was. The
// temporary file is removed unless it was committed.
class CStagedFile
{
public:
    // Creates the temporary file (empty); false, with the reason, when the target's folder takes none.
    bool reserve(const QString &target);
    const QString &stagingPath() const { return m_staging; }
    // Gives the file the permissions of a newly created file and renames it over the target.
    bool commit();
    const QString &errorText() const { return m_error; }

private:
    QString m_target;
    QString m_staging;
    QTemporaryFile m_file;
    QString m_error;
};

}  // namespace orv
