#include "generaloptions.h"

#include "finder/settings/optionspage.h"
#include "ui_creationoptions.h"
#include "ui_dragimageoptions.h"
#include "ui_encryptionoptions.h"
#include "ui_historyoptions.h"
#include "ui_packoptions.h"
#include "ui_systemoptions.h"
#include "ui_tooltipsoptions.h"
#include "ui_unpackoptions.h"

namespace orv {

namespace {

using V = SettingsValues;
constexpr int kHistoryDigits = 2;
constexpr int kDragImageChoices = 3;

// Encryption off greys everything below it; the rule buttons also follow their own check box, and the
// method list its "Always use method" button.
class CEncryptionOptions : public CBoundOptionsPage
{
public:
    explicit CEncryptionOptions(QWidget *parent) : CBoundOptionsPage(OptionsPageId::Encryption, parent)
    {
        m_ui.setupUi(this);
        bindBool(m_ui.enableCheck, nullptr, &V::bEnableEncryption);
        bindRadiosWithList({m_ui.methodAlwaysRadio, m_ui.methodAskRadio}, m_ui.methodCombo, kEncryptionMethodMapping,
                           &V::nEncryptionMethod);
        bindBool(m_ui.rulesCheck, nullptr, &V::bEnableRulesForPasswords);
        bindRadios({m_ui.liteRadio, m_ui.mixedRadio, m_ui.strongRadio, m_ui.paranoidRadio}, &V::nRuleForPasswords,
                   kRuleFallback);
    }

protected:
    void updateControls() override
    {
        const bool on = m_ui.enableCheck->isChecked();
        m_ui.methodAlwaysRadio->setEnabled(on);
        m_ui.methodAskRadio->setEnabled(on);
        m_ui.methodCombo->setEnabled(on && m_ui.methodAlwaysRadio->isChecked());
        m_ui.rulesCheck->setEnabled(on);
        m_ui.rulesPanel->setEnabled(on && m_ui.rulesCheck->isChecked());
    }

private:
    static constexpr int kRuleFallback = 1;
    Ui::CEncryptionOptions m_ui;
};

}  // namespace

COptionsPage *makeCreationPage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::CreationAndAdding, parent);
    Ui::CCreationOptions ui;
    ui.setupUi(page);
    page->bindBool(ui.askCreationRadio, ui.firstNameRadio, &V::bAskBeforeCreation);
    page->bindRadiosWithList({ui.methodAlwaysRadio, ui.methodAskRadio}, ui.methodCombo, kCompressionMethodMapping,
                             &V::nCompressionMethod);
    page->bindRadiosWithList({ui.levelAlwaysRadio, ui.levelDefaultRadio, ui.levelAskRadio}, ui.levelCombo,
                             kCompressionLevelMapping, &V::nCompressionLevel);
    return page;
}

COptionsPage *makeEncryptionPage(QWidget *parent)
{
    return new CEncryptionOptions(parent);
}

COptionsPage *makePackPage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::Pack, parent);
    Ui::CPackOptions ui;
    ui.setupUi(page);
    page->bindBool(ui.packFilesCheck, nullptr, &V::bPackFilesWithoutPaths);
    page->bindBool(ui.packFoldersCheck, nullptr, &V::bPackFoldersWithoutPaths);
    page->bindBool(ui.askUpdatingRadio, ui.replaceRadio, &V::bAskBeforeUpdating);
    return page;
}

COptionsPage *makeUnpackPage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::Unpack, parent);
    Ui::CUnpackOptions ui;
    ui.setupUi(page);
    page->bindBool(ui.unpackFilesCheck, nullptr, &V::bUnpackFilesWithoutPaths);
    page->bindBool(ui.unpackFoldersCheck, nullptr, &V::bUnpackFoldersWithoutPaths);
    page->bindBool(ui.unpackArchivesCheck, nullptr, &V::bUnpackArchivesWithoutPaths);
    page->bindBool(ui.askOverwritingRadio, ui.overwriteRadio, &V::bAskBeforeOverwriting);
    return page;
}

COptionsPage *makeSystemPage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::System, parent);
    Ui::CSystemOptions ui;
    ui.setupUi(page);
    page->bindBool(ui.dragFromCheck, nullptr, &V::bEnableDraggingFromArchive);
    page->bindBool(ui.dragToCheck, nullptr, &V::bEnableDraggingToArchive);
    page->bindBool(ui.doubleClickCheck, nullptr, &V::bEnableDoubleClickToOpen);
    return page;
}

// A value outside the three shows as the one a missing key reads as.
COptionsPage *makeDragImagePage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::DragImage, parent);
    Ui::CDragImageOptions ui;
    ui.setupUi(page);
    page->bindRadios({ui.likeXpRadio, ui.withFrameRadio, ui.withTextRadio}, &V::nDraggingImageForModeClearType,
                     kDragImageChoices - 1);
    return page;
}

COptionsPage *makeTooltipsPage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::ShowTooltips, parent);
    Ui::CTooltipsOptions ui;
    ui.setupUi(page);
    page->bindBool(ui.toolbarTipsCheck, nullptr, &V::bEnableShowTooltipForToolbars);
    page->bindBool(ui.backForwardTipsCheck, nullptr, &V::bEnableShowTooltipForBackOrForwardMenu);
    page->bindBool(ui.bookmarksTipsCheck, nullptr, &V::bEnableShowTooltipForBookmarksMenu);
    return page;
}

COptionsPage *makeHistoryPage(QWidget *parent)
{
    auto *page = new CBoundOptionsPage(OptionsPageId::History, parent);
    Ui::CHistoryOptions ui;
    ui.setupUi(page);
    ui.stepsEdit->setMaxDigits(kHistoryDigits);
    page->bindNumber(ui.stepsEdit, &V::nArchiveHistoryStepsShown);
    return page;
}

}  // namespace orv
