#pragma once
// The framework's colour integers: 0x00BBGGRR (red in the low byte); a system colour is
// 0xFF000000 + its index; "no colour" is 0x1FFFFFFF.
#include <QColor>
#include <cstdint>

namespace platform {

using ColorRef = std::int32_t;

constexpr ColorRef clNone = 0x1FFFFFFF;
constexpr ColorRef clDefault = 0x20000000;
constexpr ColorRef clBlack = 0x000000;
constexpr ColorRef clWhite = 0xFFFFFF;
constexpr ColorRef clRed = 0x0000FF;
constexpr ColorRef clBlue = 0xFF0000;
constexpr ColorRef clYellow = 0x00FFFF;
constexpr ColorRef clNavy = 0x800000;
constexpr ColorRef clGray = 0x808080;
constexpr ColorRef clSilver = 0xC0C0C0;

// System colour indexes of the platform, as colour integers.
constexpr ColorRef systemColor(int index) { return static_cast<ColorRef>(0xFF000000u + static_cast<std::uint32_t>(index)); }
constexpr ColorRef clScrollBar = systemColor(0);
constexpr ColorRef clBackground = systemColor(1);
constexpr ColorRef clActiveCaption = systemColor(2);
constexpr ColorRef clWindow = systemColor(5);
constexpr ColorRef clWindowText = systemColor(8);
constexpr ColorRef clHighlight = systemColor(13);
constexpr ColorRef clHighlightText = systemColor(14);
constexpr ColorRef clBtnFace = systemColor(15);
constexpr ColorRef clBtnShadow = systemColor(16);
constexpr ColorRef clGrayText = systemColor(17);
constexpr ColorRef clBtnText = systemColor(18);
constexpr ColorRef clBtnHighlight = systemColor(20);
constexpr ColorRef clInfoText = systemColor(23);
constexpr ColorRef clInfoBk = systemColor(24);

// Red, green and blue of a colour integer; system colours are resolved through the
// application palette. "No colour" gives an invalid QColor.
QColor colorToQColor(ColorRef color);
// The plain RGB colour integer of a QColor (alpha is dropped).
ColorRef qcolorToColor(const QColor& color);
// A system colour resolved to its plain RGB colour integer; other colours unchanged.
ColorRef colorToRGB(ColorRef color);

constexpr int redOf(ColorRef c) { return c & 0xFF; }
constexpr int greenOf(ColorRef c) { return (c >> 8) & 0xFF; }
constexpr int blueOf(ColorRef c) { return (c >> 16) & 0xFF; }
constexpr ColorRef rgbColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

} // namespace platform
