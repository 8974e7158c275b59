#include "colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

QColor systemColorValue(int index)
{
    QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    switch (index) {
    case 0: return pal.color(QPalette::Button);          // scroll bar
    case 1: return QColor(0, 128, 128);                  // desktop
    case 2: return pal.color(QPalette::Highlight);       // active caption
    case 3: return pal.color(QPalette::Mid);             // inactive caption
    case 4: return pal.color(QPalette::Window);          // menu
    case 5: return pal.color(QPalette::Base);            // window
    case 6: return pal.color(QPalette::Shadow);          // window frame
    case 7: return pal.color(QPalette::WindowText);      // menu text
    case 8: return pal.color(QPalette::Text);            // window text
    case 9: return pal.color(QPalette::HighlightedText); // caption text
    case 10: case 11: return pal.color(QPalette::Window); // borders
    case 12: return pal.color(QPalette::Dark);           // application workspace
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);         // button face
    case 16: return pal.color(QPalette::Dark);           // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);
    case 18: return pal.color(QPalette::ButtonText);
    case 19: return pal.color(QPalette::Disabled, QPalette::WindowText);
    case 20: return pal.color(QPalette::Light);          // button highlight
    case 21: return pal.color(QPalette::Shadow);         // 3-D dark shadow
    case 22: return pal.color(QPalette::Midlight);       // 3-D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    case 26: return pal.color(QPalette::Link);           // hot light
    case 27: case 28: return pal.color(QPalette::Highlight); // gradient captions
    case 29: return pal.color(QPalette::Highlight);      // menu highlight
    case 30: return pal.color(QPalette::Window);         // menu bar
    default: return pal.color(QPalette::Window);
    }
}

} // namespace

QColor colorToQColor(ColorRef color)
{
    if (color == clNone) return QColor();
    auto u = static_cast<std::uint32_t>(color);
    if ((u & 0xFF000000u) == 0xFF000000u) return systemColorValue(static_cast<int>(u & 0xFFu));
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

ColorRef qcolorToColor(const QColor& color)
{
    if (!color.isValid()) return clNone;
    return rgbColor(color.red(), color.green(), color.blue());
}

ColorRef colorToRGB(ColorRef color)
{
    auto u = static_cast<std::uint32_t>(color);
    if ((u & 0xFF000000u) == 0xFF000000u) return qcolorToColor(systemColorValue(static_cast<int>(u & 0xFFu)));
    return color;
}

} // namespace platform
