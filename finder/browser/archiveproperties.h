#pragma once

#include "finder/browser/itemproperties.h"

#include <QDialog>

#include <memory>

class QIcon;

namespace Ui {
class CArchiveFileProperties;
class CArchiveFolderProperties;
}

namespace orv {

// The "Properties" dialog of a file inside an archive; every field is read-only.
class CArchiveFileProperties : public QDialog
{
    Q_OBJECT

public:
    CArchiveFileProperties(const ArchiveItemProperties &item, const QIcon &icon, QWidget *parent = nullptr);
    ~CArchiveFileProperties() override;

private:
    std::unique_ptr<Ui::CArchiveFileProperties> m_ui;
};

// The "Properties" dialog of a folder inside an archive.
class CArchiveFolderProperties : public QDialog
{
    Q_OBJECT

public:
    CArchiveFolderProperties(const ArchiveItemProperties &item, const QIcon &icon, QWidget *parent = nullptr);
    ~CArchiveFolderProperties() override;

private:
    std::unique_ptr<Ui::CArchiveFolderProperties> m_ui;
};

}  // namespace orv
