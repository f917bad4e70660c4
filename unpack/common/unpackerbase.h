#pragma once

#include "unpack/common/records.h"
#include "unpack/common/unpackcontext.h"

#include <QString>

class QObject;

namespace orv {

// What every unpacker takes and keeps the same way: the settings, the Yes To All answers a caller carries
// from one archive to the next, the two windows it reports to, and why its last open or extraction failed.
class UnpackerBase
{
public:
    void SetIni(const INIUNPACK &ini) { m_context.setIni(ini); }
    void SetIniYesToAll(const INIYESTOALL &answers) { m_context.setYesToAll(answers); }
    void GetIniYesToAll(INIYESTOALL &answers) const { answers = m_context.yesToAll(); }
    void SetWndFileTree(QObject *window) { m_context.setFileTree(window); }
    void SetHandleDialogProgress(QObject *window) { m_context.setProgressReceiver(window); }

    // Why the last open or extraction failed; empty after success.
    QString GetLastErrorText() const { return m_error; }

protected:
    UnpackerBase() = default;
    ~UnpackerBase() = default;
    UnpackerBase(const UnpackerBase &) = default;
    UnpackerBase &operator=(const UnpackerBase &) = default;

    // Keeps the reason and answers false, for `return fail(...)`.
    bool fail(const QString &text)
    {
        m_error = text;
        return false;
    }

    UnpackContext m_context;
    QString m_error;
};

// An unpacker whose archives may be encrypted. The caller's password cache hands in a password to try at
// the next open; the one the user typed for the last successful open is handed back.
class PasswordUnpackerBase : public UnpackerBase
{
public:
    void SetPassword(const QString &password)
    {
        m_password = password;
        m_passwordKnown = true;
    }
    void SetUsePassword(bool use) { m_usePassword = use; }
    // The user typed the password the last successful open needed.
    bool IsPasswordEntered() const { return m_passwordEntered; }

protected:
    // A password to try before the user is asked.
    bool hasPreset() const { return m_usePassword && m_passwordKnown; }

    QString m_password;  // remembered for later opens, once known
    bool m_passwordKnown = false;
    bool m_usePassword = false;
    bool m_passwordEntered = false;
};

}  // namespace orv
