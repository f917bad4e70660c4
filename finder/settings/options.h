#pragma once

#include "finder/settings/optionsapply.h"

#include <QDialog>
#include <QHash>

#include <memory>

class QTreeWidgetItem;

namespace Ui {
class COptions;
}

namespace orv {

class COptionsPage;

// The "Options" dialog: the page tree on the left, one page at a time on the right. Leaving a page checks
// it and a failure keeps it; OK checks every page in a fixed order and closes only when all pass. The dialog
// edits a draft; the caller applies it after OK, and Cancel leaves everything as it was.
class COptions : public QDialog
{
    Q_OBJECT

public:
    COptions(const OptionsDraft &draft, QWidget *parent = nullptr);
    ~COptions() override;

    // Every page's values once OK closed the dialog.
    const OptionsDraft &draft() const { return m_draft; }
    COptionsPage *page(int pageId) const { return m_pages.value(pageId); }
    COptionsPage *currentPage() const;
    void accept() override;

private:
    void createPages();
    void buildTree();
    void onCurrentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void selectPage(int pageId);

    std::unique_ptr<Ui::COptions> m_ui;
    QHash<int, COptionsPage *> m_pages;
    OptionsDraft m_draft;
};

}  // namespace orv
