#pragma once

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace orv {

// A docking pane: a caption bar above a body that the pane's owner fills.
class CDockPane : public QWidget
{
    Q_OBJECT

public:
    CDockPane(const QString &caption, int controlId, QWidget *parent = nullptr);

    QString caption() const { return m_caption->text(); }
    int controlId() const { return m_controlId; }
    // The pane shows the widget below its caption, replacing what it showed before.
    void setBody(QWidget *body);
    QWidget *body() const { return m_body; }

private:
    QLabel *m_caption;
    QWidget *m_body = nullptr;
    QVBoxLayout *m_layout;
    int m_controlId;
};

class CArchiveDock : public CDockPane
{
    Q_OBJECT

public:
    static constexpr int ControlId = 42001;
    explicit CArchiveDock(QWidget *parent = nullptr);
};

class CFileDock : public CDockPane
{
    Q_OBJECT

public:
    static constexpr int ControlId = 42002;
    explicit CFileDock(QWidget *parent = nullptr);
};

// The two views of the splitter; each hosts one docking pane.
template <typename Dock>
class CPaneView : public QWidget
{
public:
    explicit CPaneView(QWidget *parent = nullptr) : QWidget(parent), m_dock(new Dock(this))
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_dock);
    }
    Dock *dock() const { return m_dock; }

private:
    Dock *m_dock;
};

using CArchiveView = CPaneView<CArchiveDock>;
using CFileView = CPaneView<CFileDock>;

}  // namespace orv
