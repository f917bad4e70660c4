#include "addbookmarkdialog.h"

#include "ui_addbookmarkdialog.h"

#include "finder/bookmarks/addbookmark.h"

namespace orv {

CAddBookmark::CAddBookmark(const QString &root, const QString &defaultLabel, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAddBookmark>()), m_root(root)
{
    m_ui->setupUi(this);
    m_ui->labelEdit->setText(defaultLabel);
    m_ui->labelEdit->selectAll();
    m_ui->addInChooser->Fill(root);
    m_ui->createInChooser->Fill(root);
    showCreateGroup(false);
    updateButtons();

    connect(m_ui->labelEdit, &QLineEdit::textChanged, this, &CAddBookmark::updateButtons);
    connect(m_ui->folderEdit, &QLineEdit::textChanged, this, &CAddBookmark::updateButtons);
    connect(m_ui->addButton, &QPushButton::clicked, this, &CAddBookmark::onAdd);
    connect(m_ui->createButton, &QPushButton::clicked, this, &CAddBookmark::onCreate);
    connect(m_ui->createFolderButton, &QPushButton::toggled, this, &CAddBookmark::showCreateGroup);
    connect(m_ui->cancelCreateButton, &QPushButton::clicked, this, [this] { showCreateGroup(false); });
}

CAddBookmark::~CAddBookmark() = default;

void CAddBookmark::updateButtons()
{
    m_ui->addButton->setEnabled(!m_ui->labelEdit->text().trimmed().isEmpty());
    m_ui->createButton->setEnabled(!m_ui->folderEdit->text().trimmed().isEmpty());
}

void CAddBookmark::showCreateGroup(bool shown)
{
    m_ui->createFolderButton->setChecked(shown);
    m_ui->createGroup->setVisible(shown);
    // Enter in the folder's name box creates the folder rather than adding the bookmark.
    m_ui->createButton->setDefault(shown);
    m_ui->addButton->setDefault(!shown);
    if (shown) {
        m_ui->createInChooser->selectFolder(m_ui->addInChooser->selectedFolder());
        m_ui->folderEdit->setFocus();
    }
}

void CAddBookmark::onAdd()
{
    const std::optional<QString> file = CheckNewBookmark(m_ui->addInChooser->selectedFolder(), m_ui->labelEdit->text());
    if (!file) {
        m_ui->labelEdit->setFocus();
        return;
    }
    m_bookmarkFile = *file;
    accept();
}

void CAddBookmark::onCreate()
{
    const std::optional<QString> folder =
        CreateBookmarkFolder(m_ui->createInChooser->selectedFolder(), m_ui->folderEdit->text());
    if (!folder) {
        m_ui->folderEdit->setFocus();
        return;
    }
    m_ui->addInChooser->Fill(m_root);
    m_ui->createInChooser->Fill(m_root);
    m_ui->addInChooser->selectFolder(*folder);
    m_ui->folderEdit->clear();
    showCreateGroup(false);
    m_ui->labelEdit->setFocus();
}

}  // namespace orv
