#include "bookmarkfolderchooser.h"

#include "finder/bookmarks/addbookmark.h"

#include <QFileIconProvider>
#include <QStyledItemDelegate>

namespace orv {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 16;

// The list shows the tree's shape; the closed box shows only the chosen folder.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.adjust(index.data(kDepthRole).toInt() * kIndentPerLevel, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width() + index.data(kDepthRole).toInt() * kIndentPerLevel, size.height()};
    }
};

}  // namespace

COrvelBookmarksFolders::COrvelBookmarksFolders(QWidget *parent) : QComboBox(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
}

void COrvelBookmarksFolders::Fill(const QString &root)
{
    clear();
    const QIcon folder = QFileIconProvider().icon(QAbstractFileIconProvider::Folder);
    for (const BookmarkFolderChoice &choice : bookmarkFolderChoices(root)) {
        addItem(folder, choice.name, choice.path);
        setItemData(count() - 1, choice.depth, kDepthRole);
    }
    setCurrentIndex(0);
}

QString COrvelBookmarksFolders::selectedFolder() const
{
    return currentData(kPathRole).toString();
}

void COrvelBookmarksFolders::selectFolder(const QString &path)
{
    const int index = findData(path, kPathRole);
    if (index >= 0)
        setCurrentIndex(index);
}

}  // namespace orv
