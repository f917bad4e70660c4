#include "mergefiles.h"

#include "finder/tools/listorder.h"
#include "platform/gui/fileicons.h"
#include "platform/prompts.h"
#include "ui_mergefiles.h"

#include <QDir>
#include <QFileDialog>
#include <QStyle>

namespace orv {

namespace {

QIcon themeIcon(const char *name, QStyle::StandardPixmap fallback, const QWidget *widget)
{
    return QIcon::fromTheme(QLatin1String(name), widget->style()->standardIcon(fallback));
}

}  // namespace

CMergeFiles::CMergeFiles(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CMergeFiles>())
{
    m_ui->setupUi(this);
    m_ui->removeButton->setIcon(themeIcon("list-remove", QStyle::SP_DialogDiscardButton, this));
    m_ui->clearButton->setIcon(themeIcon("edit-clear", QStyle::SP_DialogResetButton, this));
    connect(m_ui->sourcesBrowseButton, &QToolButton::clicked, this, &CMergeFiles::OnBrowseSources);
    connect(m_ui->destinationBrowseButton, &QToolButton::clicked, this, &CMergeFiles::OnBrowseDestination);
    connect(m_ui->upButton, &QToolButton::clicked, this, &CMergeFiles::OnMoveUp);
    connect(m_ui->downButton, &QToolButton::clicked, this, &CMergeFiles::OnMoveDown);
    connect(m_ui->removeButton, &QToolButton::clicked, this, &CMergeFiles::OnRemove);
    connect(m_ui->clearButton, &QToolButton::clicked, this, &CMergeFiles::OnClear);
    connect(m_ui->destinationEdit, &QLineEdit::textChanged, this, &CMergeFiles::updateControls);
    connect(m_ui->mergeButton, &QPushButton::clicked, this, &CMergeFiles::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CMergeFiles::reject);
    updateControls();
}

CMergeFiles::~CMergeFiles() = default;

MergeRequest CMergeFiles::request() const
{
    MergeRequest request;
    request.destination = m_ui->destinationEdit->text().trimmed();
    for (int row = 0; row < m_ui->sourcesList->count(); ++row)
        request.sources << m_ui->sourcesList->item(row)->text();
    return request;
}

void CMergeFiles::addFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        new QListWidgetItem(fileTypeIcon(path), path, m_ui->sourcesList);
    updateControls();
}

void CMergeFiles::accept()
{
    if (const QString problem = checkMergeRequest(request()); !problem.isEmpty()) {
        showError(problem, tr("Error Creating File"));
        m_ui->destinationEdit->setFocus();
        return;
    }
    QDialog::accept();
}

void CMergeFiles::OnBrowseSources()
{
    addFiles(QFileDialog::getOpenFileNames(this, tr("Open Files"), QDir::homePath(), tr("All Files (*)")));
}

void CMergeFiles::OnBrowseDestination()
{
    const QString sevenZip = tr("7-Zip Archives (*.7z)");
    QString selected = sevenZip;
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Save As"), QDir::home().filePath(tr("Untitled")),
        sevenZip + QStringLiteral(";;") + tr("Zip Archives (*.zip)") + QStringLiteral(";;") + tr("All Files (*)"),
        &selected);
    if (!chosen.isEmpty())
        m_ui->destinationEdit->setText(chosen);
}

void CMergeFiles::OnMoveUp()
{
    moveSelection(true);
}

void CMergeFiles::OnMoveDown()
{
    moveSelection(false);
}

// The rows are taken out and put back in their new order, each with its icon and selection.
void CMergeFiles::moveSelection(bool up)
{
    QListWidget *list = m_ui->sourcesList;
    OrderedRows order;
    for (int row = 0; row < list->count(); ++row) {
        order.rows << list->item(row)->text();
        order.selected << list->item(row)->isSelected();
    }
    moveSelectedRows(order, up);
    list->clear();
    addFiles(order.rows);
    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setSelected(order.selected[row]);
}

void CMergeFiles::OnRemove()
{
    qDeleteAll(m_ui->sourcesList->selectedItems());
    updateControls();
}

void CMergeFiles::OnClear()
{
    m_ui->sourcesList->clear();
    updateControls();
}

void CMergeFiles::updateControls()
{
    m_ui->mergeButton->setEnabled(!m_ui->destinationEdit->text().trimmed().isEmpty()
                                  && m_ui->sourcesList->count() > 0);
}

}  // namespace orv
