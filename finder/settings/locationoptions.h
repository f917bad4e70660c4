#pragma once

#include "finder/settings/optionspage.h"

#include <memory>

namespace Ui {
class CLocationOptions;
class CSugarSyncOptions;
}  // namespace Ui

namespace orv {

// The page of a cloud or special folder: ticking its box looks the folder up (and says so when it is not
// found); the folder box and "..." are usable only while the box is ticked.
class CLocationOptions : public COptionsPage
{
    Q_OBJECT

public:
    CLocationOptions(Place place, QWidget *parent);
    ~CLocationOptions() override;

    Place place() const { return m_place; }
    void load(const OptionsDraft &draft) override;
    void store(OptionsDraft &draft) const override;

    void OnEnableClicked(bool on);
    void OnBrowse();

private:
    void updateControls();

    Place m_place;
    std::unique_ptr<Ui::CLocationOptions> m_ui;
};

// SugarSync has a list of folders instead of one: ticking its box fills the list with the folders found.
class CSugarSyncOptions : public COptionsPage
{
    Q_OBJECT

public:
    explicit CSugarSyncOptions(QWidget *parent);
    ~CSugarSyncOptions() override;

    void load(const OptionsDraft &draft) override;
    void store(OptionsDraft &draft) const override;

    void OnEnableClicked(bool on);

private:
    // False when no folder was found.
    bool showFolders();

    std::unique_ptr<Ui::CSugarSyncOptions> m_ui;
};

}  // namespace orv
