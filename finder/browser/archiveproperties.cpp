#include "archiveproperties.h"

#include "ui_archivefileproperties.h"
#include "ui_archivefolderproperties.h"

#include <QIcon>

namespace orv {

namespace {

constexpr int kIconSize = 32;

// The fields both dialogs have.
template <typename Form>
void showCommon(Form &ui, const ArchiveItemProperties &item, const QIcon &icon)
{
    ui.iconLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));
    ui.nameEdit->setText(item.name);
    ui.locationEdit->setText(item.location);
    ui.sizeEdit->setText(item.size);
    ui.packedEdit->setText(item.packed);
    ui.ratioEdit->setText(item.ratio);
}

}  // namespace

CArchiveFileProperties::CArchiveFileProperties(const ArchiveItemProperties &item, const QIcon &icon,
                                               QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CArchiveFileProperties>())
{
    m_ui->setupUi(this);
    showCommon(*m_ui, item, icon);
    m_ui->modifiedEdit->setText(item.modified);
    m_ui->crcEdit->setText(item.crc);
    m_ui->methodEdit->setText(item.method);
}

CArchiveFileProperties::~CArchiveFileProperties() = default;

CArchiveFolderProperties::CArchiveFolderProperties(const ArchiveItemProperties &item, const QIcon &icon,
                                                   QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CArchiveFolderProperties>())
{
    m_ui->setupUi(this);
    showCommon(*m_ui, item, icon);
    m_ui->filesEdit->setText(item.files);
    m_ui->foldersEdit->setText(item.folders);
}

CArchiveFolderProperties::~CArchiveFolderProperties() = default;

}  // namespace orv
