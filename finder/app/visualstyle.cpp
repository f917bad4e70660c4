#include "visualstyle.h"

#include "finder/common/commandids.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace orv {

namespace {

QString g_platformStyle;

struct Look
{
    QColor window;
    QColor base;
    QColor highlight;
    QColor text;
};

// The tones of the four coloured looks: window and panel background, list background, selection, text.
Look lookColours(int look)
{
    switch (look) {
    case Cmd::StyleBlue:
        return {QColor(0xD5, 0xE4, 0xF2), QColor(0xFF, 0xFF, 0xFF), QColor(0x33, 0x77, 0xCC), QColor(0x15, 0x42, 0x8B)};
    case Cmd::StyleBlack:
        return {QColor(0x53, 0x53, 0x53), QColor(0x3A, 0x3A, 0x3A), QColor(0xE8, 0x8A, 0x1A), QColor(0xF0, 0xF0, 0xF0)};
    case Cmd::StyleSilver:
        return {QColor(0xE3, 0xE6, 0xEB), QColor(0xFF, 0xFF, 0xFF), QColor(0x6E, 0x80, 0x9A), QColor(0x26, 0x2E, 0x3A)};
    default:
        break;
    }
    return {QColor(0xDC, 0xEB, 0xF5), QColor(0xFF, 0xFF, 0xFF), QColor(0x2B, 0x8C, 0xC8), QColor(0x10, 0x30, 0x50)};
}

QPalette paletteFor(const Look &look)
{
    QPalette p;
    p.setColor(QPalette::Window, look.window);
    p.setColor(QPalette::Button, look.window);
    p.setColor(QPalette::Base, look.base);
    p.setColor(QPalette::AlternateBase, look.window.lighter(106));
    p.setColor(QPalette::Highlight, look.highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::WindowText, look.text);
    p.setColor(QPalette::ButtonText, look.text);
    p.setColor(QPalette::Text, look.base.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black));
    p.setColor(QPalette::ToolTipBase, look.base);
    p.setColor(QPalette::ToolTipText, look.text);
    // Setting a role sets it for every group, so disabled edits and labels would look usable; they get
    // the colours halfway to the background instead.
    const auto faded = [](const QColor &colour, const QColor &background) {
        return QColor((colour.red() + background.red()) / 2, (colour.green() + background.green()) / 2,
                      (colour.blue() + background.blue()) / 2);
    };
    p.setColor(QPalette::Disabled, QPalette::WindowText, faded(look.text, look.window));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, faded(look.text, look.window));
    p.setColor(QPalette::Disabled, QPalette::Text, faded(p.color(QPalette::Active, QPalette::Text), look.base));
    p.setColor(QPalette::Disabled, QPalette::Base, look.window);
    p.setColor(QPalette::Disabled, QPalette::Highlight, faded(look.highlight, look.window));
    return p;
}

bool isColouredLook(int look)
{
    return look >= Cmd::StyleBlue && look <= Cmd::StyleAqua;
}

// Fusion draws a check box's frame and a disabled icon from the window colour, darker: on a dark window
// both all but vanish. On a dark look the box gets a frame in the faded text colour, and a disabled icon
// is drawn in light greys, half transparent, so it reads as present but not available.
class CDarkLookStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element != PE_IndicatorCheckBox)
            return;
        const bool enabled = option->state & State_Enabled;
        const QColor faded = option->palette.color(QPalette::Disabled, QPalette::WindowText);
        painter->save();
        painter->setPen(enabled ? faded : faded.darker(150));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    QPixmap generatedIconPixmap(QIcon::Mode mode, const QPixmap &pixmap, const QStyleOption *option) const override
    {
        if (mode != QIcon::Disabled)
            return QProxyStyle::generatedIconPixmap(mode, pixmap, option);
        constexpr int kDarkest = 120;
        constexpr int kRange = 100;
        QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = kDarkest + qGray(line[x]) * kRange / 255;
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 3 / 5);
            }
        }
        return QPixmap::fromImage(image);
    }
};

}  // namespace

void CVisualStyle::rememberPlatformStyle()
{
    if (g_platformStyle.isEmpty() && qApp && qApp->style())
        g_platformStyle = qApp->style()->name();
}

QString CVisualStyle::nameOf(int look)
{
    if (look == Cmd::StyleWindows)
        return g_platformStyle.isEmpty() ? QStringLiteral("fusion") : g_platformStyle;
    return QStringLiteral("fusion");
}

void CVisualStyle::apply(int look)
{
    if (!qApp)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStyle *style = QStyleFactory::create(nameOf(look));
    const bool dark = isColouredLook(look) && lookColours(look).window.lightness() < 128;
    QApplication::setStyle(dark ? new CDarkLookStyle(style) : style);
    QApplication::setPalette(isColouredLook(look) ? paletteFor(lookColours(look))
                                                  : QApplication::style()->standardPalette());
    QApplication::restoreOverrideCursor();
}

}  // namespace orv
