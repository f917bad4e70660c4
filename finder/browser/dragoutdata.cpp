#include "dragoutdata.h"

#include <QUrl>

namespace orv {

namespace {
const QString kUriList = QStringLiteral("text/uri-list");
}  // namespace

CDragOutData::CDragOutData(const QString &deliveredPath, Render render, Gate gate)
    : m_path(deliveredPath), m_render(std::move(render)), m_gate(std::move(gate))
{
}

QStringList CDragOutData::formats() const
{
    return m_path.isEmpty() ? QStringList() : QStringList{kUriList};
}

bool CDragOutData::hasFormat(const QString &mimeType) const
{
    return !m_path.isEmpty() && mimeType == kUriList;
}

// A receiver may ask while the pointer is still moving over it, to see what it would get; the item is taken
// out only once the drop is over.
QVariant CDragOutData::retrieveData(const QString &mimeType, QMetaType type) const
{
    Q_UNUSED(type)
    if (!hasFormat(mimeType))
        return {};
    if (!m_result) {
        // The extraction pumps events, and a request that arrives meanwhile must not start a second one.
        if (m_rendering || (m_gate && !m_gate()))
            return {};
        m_rendering = true;
        const bool rendered = m_render && m_render();
        m_rendering = false;
        m_result = rendered;
    }
    if (!*m_result)
        return {};
    return QVariantList{QUrl::fromLocalFile(m_path)};
}

}  // namespace orv
