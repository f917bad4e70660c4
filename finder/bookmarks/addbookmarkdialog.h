#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CAddBookmark;
}

namespace orv {

// Asks for a bookmark's label and folder, and creates folders on the way. Closes with OK only once the
// label may become a file of the store; the caller then writes it.
class CAddBookmark : public QDialog
{
    Q_OBJECT

public:
    CAddBookmark(const QString &root, const QString &defaultLabel, QWidget *parent = nullptr);
    ~CAddBookmark() override;

    // The bookmark file to write, once the dialog closed with OK.
    const QString &bookmarkFile() const { return m_bookmarkFile; }

private:
    void onAdd();
    void onCreate();
    void showCreateGroup(bool shown);
    void updateButtons();

    std::unique_ptr<Ui::CAddBookmark> m_ui;
    QString m_root;
    QString m_bookmarkFile;
};

}  // namespace orv
