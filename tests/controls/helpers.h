#pragma once
// Small fixtures for the markup tests: pictures written as files, hand-made GIFs, a layout run
// on a 96-dpi image with a fixed font.
#include "controls/markup.h"
#include "support/jpegbytes.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QString>

namespace testhelp {

using testsupport::jpegBytes;
// A GIF whose frames are 1x1 pixels at the given positions, each with the given delay
// (hundredths of a second), disposal and transparency flag.
struct GifFrame {
    int x = 0, y = 0, delay = 10, disposal = 0;
    bool transparent = false;
};
QByteArray gifBytes(int screenWidth, int screenHeight, const std::vector<GifFrame>& frames);

// The fixed font of the geometry tests.
QFont fixedFont();

// Lays text out on a 96-dpi device, as a list does, and returns the result with its operations.
struct Laid {
    controls::HTMLItemResult result;
    controls::MarkupLayout layout;
    std::vector<const controls::MarkupOp*> texts() const;
    std::vector<const controls::MarkupOp*> of(controls::MarkupOp::Kind kind) const;
    const controls::MarkupOp* text(const QString& run) const; // the first text op holding run
};
Laid lay(const QString& markup, const QRect& bounds, controls::HTMLItemOptions options = {},
         const QFont& font = fixedFont());

// A device with 96 dots per inch for metrics.
QImage& device96();

} // namespace testhelp
