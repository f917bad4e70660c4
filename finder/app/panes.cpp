#include "panes.h"

#include <QFrame>

namespace orv {

CDockPane::CDockPane(const QString &caption, int controlId, QWidget *parent)
    : QWidget(parent), m_caption(new QLabel(caption, this)), m_layout(new QVBoxLayout(this)), m_controlId(controlId)
{
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setMargin(4);
    m_caption->setAutoFillBackground(true);
    m_caption->setBackgroundRole(QPalette::Highlight);
    m_caption->setForegroundRole(QPalette::HighlightedText);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_caption);
    auto *empty = new QFrame(this);
    empty->setFrameShape(QFrame::StyledPanel);
    setBody(empty);
}

void CDockPane::setBody(QWidget *body)
{
    if (m_body) {
        // Until the deferred delete runs, the old body would still paint over the caption at its own place.
        m_layout->removeWidget(m_body);
        m_body->hide();
        m_body->deleteLater();
    }
    m_body = body;
    if (m_body) {
        m_body->setParent(this);
        m_layout->addWidget(m_body, 1);
    }
}

CArchiveDock::CArchiveDock(QWidget *parent) : CDockPane(tr("Archive Browser"), ControlId, parent)
{
    setObjectName(QStringLiteral("ArchiveBrowser"));
}

CFileDock::CFileDock(QWidget *parent) : CDockPane(tr("Found Files"), ControlId, parent)
{
    setObjectName(QStringLiteral("FoundFiles"));
}

}  // namespace orv
