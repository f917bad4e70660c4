#pragma once

#include <QMimeData>
#include <QString>

#include <functional>
#include <optional>

namespace orv {

// What a drag out of an archive offers another program: a file list of one path in the temporary folder,
// whose item is extracted only when the receiving program asks for the list after the drop, and only once
// per drag: later requests get the first answer. Nothing is offered when no path is given (the archive node
// itself, or dragging out turned off); nothing is extracted while the gate is shut (the pointer is still
// over the program's own windows, or the button is not yet released).
class CDragOutData : public QMimeData
{
    Q_OBJECT

public:
    using Render = std::function<bool()>;
    using Gate = std::function<bool()>;

    CDragOutData(const QString &deliveredPath, Render render, Gate gate);

    const QString &deliveredPath() const { return m_path; }
    // Whether the item was asked for and extracted.
    bool rendered() const { return m_result.value_or(false); }

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QString m_path;
    Render m_render;
    Gate m_gate;
    mutable std::optional<bool> m_result;
    mutable bool m_rendering = false;
};

}  // namespace orv
