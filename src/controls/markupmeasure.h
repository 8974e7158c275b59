#pragma once
// Measuring for the item markup layout: the font metrics of the target device, the widths of
// text runs (kept across layouts, since the same words come back at every paint), the scaling
// of pixel sizes to the device's resolution, and the pictures an item names with the size they
// take.
#include "markup.h"
#include "markuptags.h"

#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <algorithm>
#include <optional>
#include <vector>

class QPaintDevice;

namespace controls::markup {

// A length kept within kLimit either way.
inline int clampLength(qint64 v) { return int(std::clamp<qint64>(v, -kLimit, kLimit)); }

// The height of a line of text in a font.
int textHeight(const QFontMetrics& fm);

// How far the marks above a run's letters (the dots of "Ä", the ring of "Å") reach into or
// above the top pixel row of the room the font's metrics give them (their smoothed edge
// takes a row of its own); the line takes that much more room above its text, so that
// nothing of a letter is cut off at the top of an item. Plain ASCII letters stay within the
// font's ascent.
int accentRoom(const QFontMetrics& fm, const QString& run);

// The metrics of the running font on the target device (a null device means the screen).
class RunMeasure {
public:
    RunMeasure(const QPaintDevice* device, int tabStop);

    const QPaintDevice* device() const { return device_; }
    int dpiX() const { return dpiX_; }
    int dpiY() const { return dpiY_; }
    // Pixel sizes given for 96 dots per inch, at the device's resolution.
    int scaleX(int v) const;
    int scaleY(int v) const;

    const QFont& font() const { return font_; }
    void setFont(const QFont& font);
    const QFontMetrics& metrics();
    // The width of a run in the running font; tabs stop as the layout's tab stop says.
    int width(const QString& run);
    // The height of a line of text in the running font.
    int lineHeight() { return textHeight(metrics()); }

private:
    const QPaintDevice* device_;
    int tabStop_;
    int dpiX_ = 96, dpiY_ = 96;
    QFont font_;
    std::optional<QFontMetrics> metrics_;
    QString fontKey_;
};

// A picture an item names: from the picture container, the picture cache (loaded when first
// named), the image list or the shell's icons.
struct ImageSource {
    PicturePtr picture;
    QPixmap pixmap;
    QSize size;        // before scaling
    bool icon = false; // image list or shell icon
    bool valid() const { return !size.isEmpty(); }
};

// Finds the pictures an item names; each picture of the cache is noted in pictures, for whoever
// keeps them alive.
class ImageFinder {
public:
    ImageFinder(const HTMLItemOptions& options, const RunMeasure& measure, std::vector<PicturePtr>& pictures)
        : o_(options), measure_(measure), pictures_(pictures)
    {
    }

    // The picture a SRC, ALT or BACKGROUND value names; an invalid source without one.
    ImageSource find(const QString& value);
    // The size an image tag shows its picture at: WIDTH and HEIGHT when both are given (the
    // picture stretched to them), else the picture's own size at the device's resolution (an
    // icon stretched to it). Not yet kept within the layout's bound.
    QSize shownSize(const MarkupTag& tag, const ImageSource& image, bool* stretch = nullptr) const;

private:
    QSize scaledIconSize(QSize s) const;

    const HTMLItemOptions& o_;
    const RunMeasure& measure_;
    std::vector<PicturePtr>& pictures_;
};

} // namespace controls::markup
