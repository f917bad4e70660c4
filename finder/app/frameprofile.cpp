#include "frameprofile.h"

#include "platform/product.h"

#include <QSettings>
#include <QStringList>

namespace orv {

namespace {

QSettings profile()
{
    return QSettings(organizationName(), productName());
}

const QString &keepListingsKey()
{
    static const QString key = QStringLiteral("Search/KeepListings");
    return key;
}

QString splitterKey(int view)
{
    return QStringLiteral("SplitterPos/View_%1").arg(view);
}

}  // namespace

QString SplitterPositions::toText() const
{
    // A collapsed column reports a negative size; it would not restore, so it is kept at a usable width.
    const auto usable = [](int size) { return size < 0 ? 100 : size; };
    return QStringLiteral("%1 %2 %3 %4").arg(hiddenColumn).arg(usable(column0)).arg(hiddenRow).arg(usable(column1));
}

std::optional<SplitterPositions> SplitterPositions::fromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return SplitterPositions{numbers[0], numbers[1], numbers[2], numbers[3]};
}

int FrameProfile::applicationLook() const
{
    bool ok = false;
    const int look = profile().value(QStringLiteral("ApplicationLook"), DefaultLook).toInt(&ok);
    return ok ? look : DefaultLook;
}

void FrameProfile::setApplicationLook(int look)
{
    profile().setValue(QStringLiteral("ApplicationLook"), look);
}

std::optional<SplitterPositions> FrameProfile::splitterPositions(int view) const
{
    const QVariant value = profile().value(splitterKey(view));
    if (!value.isValid())
        return std::nullopt;
    return SplitterPositions::fromText(value.toString());
}

void FrameProfile::setSplitterPositions(int view, const SplitterPositions &positions)
{
    profile().setValue(splitterKey(view), positions.toText());
}

QByteArray FrameProfile::windowPlacement() const
{
    return profile().value(QStringLiteral("WindowPlacement")).toByteArray();
}

void FrameProfile::setWindowPlacement(const QByteArray &geometry)
{
    profile().setValue(QStringLiteral("WindowPlacement"), geometry);
}

bool FrameProfile::keepsListings() const
{
    return profile().value(keepListingsKey(), true).toBool();
}

void FrameProfile::setKeepsListings(bool keep)
{
    profile().setValue(keepListingsKey(), keep);
}

}  // namespace orv
