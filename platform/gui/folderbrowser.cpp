#include "folderbrowser.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

#include <vector>

namespace orv {

namespace {

// Qt's own dialog lays itself out on a grid; its rows move down one to make room for the prompt.
void addPrompt(QFileDialog &dialog, const QString &prompt)
{
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (!grid)
        return;
    struct Placed
    {
        QLayoutItem *item;
        int row, column, rows, columns;
    };
    std::vector<Placed> placed;
    const int columns = grid->columnCount();
    while (grid->count() > 0) {
        Placed p{};
        grid->getItemPosition(0, &p.row, &p.column, &p.rows, &p.columns);
        p.item = grid->takeAt(0);
        placed.push_back(p);
    }
    auto *label = new QLabel(prompt, &dialog);
    label->setObjectName(QStringLiteral("promptLabel"));
    grid->addWidget(label, 0, 0, 1, columns);
    for (const Placed &p : placed)
        grid->addItem(p.item, p.row + 1, p.column, p.rows, p.columns);
}

}  // namespace

QString browseForFolder(QWidget *parent, const QString &title, const QString &prompt, const QString &start,
                        bool allowNewFolder)
{
    QFileDialog dialog(parent, title, start);
    dialog.setObjectName(QStringLiteral("FolderBrowser"));
    dialog.setFileMode(QFileDialog::Directory);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog;
    if (!allowNewFolder)
        options |= QFileDialog::ReadOnly;
    dialog.setOptions(options);
    if (!prompt.isEmpty())
        addPrompt(dialog, prompt);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

}  // namespace orv
