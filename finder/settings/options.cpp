#include "options.h"

#include "finder/settings/archiveoptions.h"
#include "finder/settings/generaloptions.h"
#include "finder/settings/locationoptions.h"
#include "platform/product.h"
#include "platform/prompts.h"
#include "ui_options.h"

#include <QSignalBlocker>

namespace orv {

namespace {

constexpr int kPageRole = Qt::UserRole;

void warn(const QString &text)
{
    prompter().message(text, productName(), MsgIcon::Warning, MsgButtons::Ok);
}

}  // namespace

COptions::COptions(const OptionsDraft &draft, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::COptions>()), m_draft(draft)
{
    m_ui->setupUi(this);
    createPages();
    buildTree();
    connect(m_ui->pageTree, &QTreeWidget::currentItemChanged, this, &COptions::onCurrentItemChanged);
    connect(m_ui->okButton, &QPushButton::clicked, this, &COptions::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &COptions::reject);
    m_ui->pageTree->setCurrentItem(m_ui->pageTree->topLevelItem(0));
}

COptions::~COptions() = default;

void COptions::createPages()
{
    QWidget *stack = m_ui->pageStack;
    QList<COptionsPage *> pages{makeCreationPage(stack),  makeEncryptionPage(stack), makePackPage(stack),
                                makeUnpackPage(stack),    makeSystemPage(stack),     makeDragImagePage(stack),
                                makeTooltipsPage(stack),  makeHistoryPage(stack),    new CAddArchivesOptions(stack),
                                new CCustomArchivesOptions(stack), new CSugarSyncOptions(stack)};
    for (const PlaceDef &def : placeTable())
        if (def.place != Place::SugarSync)
            pages << new CLocationOptions(def.place, stack);
    for (COptionsPage *page : pages) {
        page->load(m_draft);
        m_ui->pageStack->addWidget(page);
        m_pages.insert(page->pageId(), page);
    }
}

void COptions::buildTree()
{
    QTreeWidgetItem *group = nullptr;
    for (const OptionsTreeItem &entry : optionsTree()) {
        QTreeWidgetItem *item = entry.level == 0 || !group ? new QTreeWidgetItem(m_ui->pageTree)
                                                           : new QTreeWidgetItem(group);
        item->setText(0, entry.text);
        item->setData(0, kPageRole, entry.pageId);
        if (entry.level == 0)
            group = item;
    }
    m_ui->pageTree->expandAll();
}

COptionsPage *COptions::currentPage() const
{
    return qobject_cast<COptionsPage *>(m_ui->pageStack->currentWidget());
}

// The page being left is checked first; while it fails, the tree keeps it selected.
void COptions::onCurrentItemChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (previous && current) {
        const int leaving = previous->data(0, kPageRole).toInt();
        if (COptionsPage *page = m_pages.value(leaving)) {
            page->store(m_draft);
            if (const OptionsProblem problem = pageProblem(leaving, m_draft)) {
                warn(problem.message);
                const QSignalBlocker block(m_ui->pageTree);
                m_ui->pageTree->setCurrentItem(previous);
                return;
            }
        }
    }
    if (current)
        if (COptionsPage *page = m_pages.value(current->data(0, kPageRole).toInt()))
            m_ui->pageStack->setCurrentWidget(page);
}

void COptions::selectPage(int pageId)
{
    const QList<QTreeWidgetItem *> items =
        m_ui->pageTree->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
    for (QTreeWidgetItem *item : items) {
        if (item->data(0, kPageRole).toInt() != pageId || item->childCount() > 0)
            continue;
        const QSignalBlocker block(m_ui->pageTree);
        m_ui->pageTree->setCurrentItem(item);
        m_ui->pageStack->setCurrentWidget(m_pages.value(pageId));
        return;
    }
}

void COptions::accept()
{
    for (COptionsPage *page : std::as_const(m_pages))
        page->store(m_draft);
    if (const OptionsProblem problem = firstOptionsProblem(m_draft)) {
        warn(problem.message);
        selectPage(problem.pageId);
        return;
    }
    QDialog::accept();
}

}  // namespace orv
