#pragma once

#include "finder/browser/packchoices.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CNameAndLevel;
}

namespace orv {

// "Name and Compression Settings": the archive's name, the compression method and level, and, below "Set
// password", the password with its confirmation and the encryption method. It opens with the encryption
// part folded away unless the settings tick encryption.
class CNameAndLevel : public QDialog
{
    Q_OBJECT

public:
    CNameAndLevel(const NameAndLevelPresets &presets, QWidget *parent = nullptr);
    ~CNameAndLevel() override;

    // Shows the dialog; on OK the choices become the dialog's and true is returned.
    static bool ask(const NameAndLevelPresets &presets, PackChoices &choices, QWidget *parent);

    // What OK took; valid once the dialog was accepted.
    const PackChoices &choices() const { return m_choices; }
    bool encryptionShown() const;

    void OnSetPassword();
    void OnCancelEncryption();
    void accept() override;

private:
    void applyPresets();
    void setEncryptionShown(bool shown);
    void onShowPassword(bool shown);
    void onPasswordChanged(const QString &text);

    std::unique_ptr<Ui::CNameAndLevel> m_ui;
    NameAndLevelPresets m_presets;
    PackChoices m_choices;
};

}  // namespace orv
