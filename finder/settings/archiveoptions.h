#pragma once

#include "finder/settings/customkinds.h"
#include "finder/settings/optionspage.h"

#include <memory>

namespace Ui {
class CAddArchivesOptions;
class CCustomArchivesOptions;
}  // namespace Ui

namespace orv {

// "Additional Archives": one ticked row per archive type searched besides ZIP.
class CAddArchivesOptions : public COptionsPage
{
    Q_OBJECT

public:
    explicit CAddArchivesOptions(QWidget *parent);
    ~CAddArchivesOptions() override;

    void load(const OptionsDraft &draft) override;
    void store(OptionsDraft &draft) const override;

private:
    std::unique_ptr<Ui::CAddArchivesOptions> m_ui;
};

// "Custom Archives": the user's ZIP-based kinds, ticked when searched; "Add" appends a kind unticked,
// the remove button takes the selected rows away.
class CCustomArchivesOptions : public COptionsPage
{
    Q_OBJECT

public:
    explicit CCustomArchivesOptions(QWidget *parent);
    ~CCustomArchivesOptions() override;

    void load(const OptionsDraft &draft) override;
    void store(OptionsDraft &draft) const override;

    void OnAdd();
    void OnRemove();

private:
    void showKinds();
    void updateAddButton();
    // The ticks of the rows, taken into the kinds before the rows change.
    void takeTicks();

    std::unique_ptr<Ui::CCustomArchivesOptions> m_ui;
    CCustomKinds m_kinds;
};

}  // namespace orv
