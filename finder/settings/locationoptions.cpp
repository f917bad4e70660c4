#include "locationoptions.h"

#include "finder/places/locators.h"
#include "platform/gui/folderbrowser.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "ui_locationoptions.h"
#include "ui_sugarsyncoptions.h"

#include <QDir>

namespace orv {

CLocationOptions::CLocationOptions(Place place, QWidget *parent)
    : COptionsPage(locationPageId(place), parent), m_place(place), m_ui(std::make_unique<Ui::CLocationOptions>())
{
    m_ui->setupUi(this);
    m_ui->enableCheck->setText(locationEnableText(place));
    connect(m_ui->enableCheck, &QCheckBox::clicked, this, &CLocationOptions::OnEnableClicked);
    connect(m_ui->browseButton, &QToolButton::clicked, this, &CLocationOptions::OnBrowse);
}

CLocationOptions::~CLocationOptions() = default;

void CLocationOptions::load(const OptionsDraft &draft)
{
    const PlaceChoice &choice = draft.places[size_t(m_place)];
    m_ui->enableCheck->setChecked(choice.enabled);
    m_ui->folderEdit->setText(choice.folder);
    updateControls();
}

void CLocationOptions::store(OptionsDraft &draft) const
{
    draft.places[size_t(m_place)] = {m_ui->enableCheck->isChecked(), m_ui->folderEdit->text()};
}

// Only the user's click looks the folder up, not the page filling its box.
void CLocationOptions::OnEnableClicked(bool on)
{
    updateControls();
    if (!on)
        return;
    const QString folder = LocatePlace(m_place);
    if (folder.isEmpty())
        showError(locationNotFoundMessage(m_place), productName());
    else
        m_ui->folderEdit->setText(folder);
}

void CLocationOptions::OnBrowse()
{
    const QString chosen = browseForFolder(this, locationBrowserTitle(m_place), locationBrowserPrompt(m_place),
                                           QDir::homePath(), false);
    if (!chosen.isEmpty())
        m_ui->folderEdit->setText(chosen);
}

void CLocationOptions::updateControls()
{
    const bool on = m_ui->enableCheck->isChecked();
    m_ui->folderEdit->setEnabled(on);
    m_ui->browseButton->setEnabled(on);
}

CSugarSyncOptions::CSugarSyncOptions(QWidget *parent)
    : COptionsPage(locationPageId(Place::SugarSync), parent), m_ui(std::make_unique<Ui::CSugarSyncOptions>())
{
    m_ui->setupUi(this);
    connect(m_ui->enableCheck, &QCheckBox::clicked, this, &CSugarSyncOptions::OnEnableClicked);
}

CSugarSyncOptions::~CSugarSyncOptions() = default;

void CSugarSyncOptions::load(const OptionsDraft &draft)
{
    const bool on = draft.places[size_t(Place::SugarSync)].enabled;
    m_ui->enableCheck->setChecked(on);
    m_ui->foldersList->clear();
    if (on)
        showFolders();
}

void CSugarSyncOptions::store(OptionsDraft &draft) const
{
    draft.places[size_t(Place::SugarSync)].enabled = m_ui->enableCheck->isChecked();
}

void CSugarSyncOptions::OnEnableClicked(bool on)
{
    m_ui->foldersList->clear();
    if (on && !showFolders())
        showError(locationNotFoundMessage(Place::SugarSync), productName());
}

bool CSugarSyncOptions::showFolders()
{
    const QStringList folders = LocateSugarSyncFolders();
    m_ui->foldersList->addItems(folders);
    return !folders.isEmpty();
}

}  // namespace orv
