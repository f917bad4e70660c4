#pragma once

#include "finder/search/finddialogmodel.h"

#include <QDialog>

#include <memory>

class QCheckBox;

namespace Ui {
class CFindArchives;
class CSearchFilterPage;
}  // namespace Ui

namespace orv {

// One filter page of the Find dialog: "Include" or "Exclude", which differ only in their first check box.
class CSearchFilterPage : public QWidget
{
    Q_OBJECT

public:
    CSearchFilterPage(const QString &firstBoxText, QWidget *parent = nullptr);
    ~CSearchFilterPage() override;

    void showState(const FilterPageState &state, const QStringList &filterForItems);
    FilterPageState read() const;
    void applyEnabling(const FilterPageEnabling &enabling);
    QCheckBox *firstBox() const;
    // For a page that applies to every record alike: the "Filter for" row goes.
    void hideFilterFor();

signals:
    void changed();

private:
    std::unique_ptr<Ui::CSearchFilterPage> m_ui;
};

// The "Find Archives" dialog: the pages "Options", "Include" and "Exclude", created anew for every search
// with default values except for the "Filter for" choices of the previous search.
class CFindArchives : public QDialog
{
    Q_OBJECT

public:
    explicit CFindArchives(const FilterChoices &remembered, QWidget *parent = nullptr);
    ~CFindArchives() override;

    SearchCriteria criteria() const { return m_model.criteria(); }
    FilterChoices choicesToRemember() const { return m_model.choicesToRemember(); }
    const CFindDialogModel &model() const { return m_model; }

    CSearchFilterPage *includePage() const { return m_include; }
    CSearchFilterPage *excludePage() const { return m_exclude; }

    void accept() override;

private:
    void onModeChanged(int index);
    void readControls();
    void applyEnabling();

    std::unique_ptr<Ui::CFindArchives> m_ui;
    CSearchFilterPage *m_include;
    CSearchFilterPage *m_exclude;
    CFindDialogModel m_model;
};

}  // namespace orv
