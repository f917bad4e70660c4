#include "aboutdialog.h"

#include "ui_aboutdialog.h"

#include <QApplication>
#include <QStyle>

namespace orv {

CAboutDialog::CAboutDialog(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDialog>())
{
    m_ui->setupUi(this);
    const QIcon icon = QApplication::windowIcon().isNull()
                           ? style()->standardIcon(QStyle::SP_DirIcon)
                           : QApplication::windowIcon();
    m_ui->icon->setPixmap(icon.pixmap(48, 48));
    QFont big = m_ui->name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    m_ui->name->setFont(big);
    m_ui->version->setText(tr("Version %1").arg(QApplication::applicationVersion()));
}

CAboutDialog::~CAboutDialog() = default;

}  // namespace orv
