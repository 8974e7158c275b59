#pragma once
// Item markup: the small HTML-like text of every list item. DrawHTMLItem lays a string out into
// lines of runs measured through the font metrics of the target device, then draws the runs,
// or only measures them, or only finds the anchor under a point.
#include "imagelist.h"
#include "picture.h"
#include "platform/colors.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;
class QPaintDevice;

namespace controls {

using platform::ColorRef;

// "#RRGGBB" or a colour name of the table ("clRed", "clBtnFace", ...); anything else is black.
ColorRef HTMLColorToColor(const QString& value);
// The plain text of an item: "<BR>" and "<HR>" become CR LF, hidden text goes, tags go.
QString StripHTMLTags(const QString& text);

struct HTMLItemOptions {
    const TImageList* Images = nullptr;
    int PointX = -1, PointY = -1;          // hit point in canvas coordinates
    int FocusedAnchor = -1, HoveredAnchor = -1;
    int ShadowOffset = 1;
    bool HitTestOnly = false;
    bool MeasureOnly = false;
    bool Printing = false;
    bool Selected = false;
    bool BlinkOn = true;
    bool HoverUnderlineOnly = false;
    bool WordWrap = true;
    double PrintScale = 1.0;
    ColorRef URLColor = platform::clBlue;
    ColorRef HoverColor = platform::clNone;
    ColorRef HoverFontColor = platform::clNone;
    ColorRef ShadowColor = platform::clGray;
    THTMLPictureCache* PictureCache = nullptr;
    TPictureContainer* PictureContainer = nullptr;
    int LineSpacing = 0;
    int TabStop = 0;                       // pixels between tab stops; 0 the font's default
};

struct HTMLItemResult {
    bool Hit = false;                 // the point lies on an anchor's text or on an image in one
    QString AnchorUnderPoint;
    QString PlainText;
    QString FocusedAnchorHref;
    int ExtentX = 0, ExtentY = 0;
    int AnchorCount = 0;
    int AnchorUnderPointIndex = -1;
    QRect HoverRect;
    std::vector<PicturePtr> Pictures; // the pictures the item refers to, for whoever keeps them alive
};

// One drawing operation of a laid-out item, in canvas coordinates.
struct MarkupOp {
    enum Kind { Fill, Gradient, Tile, Text, Image, Line, FocusRect, Zigzag };
    Kind kind = Fill;
    QRect rect;                        // the run's or image's rectangle
    QColor color, background, shadowColor;
    ColorRef from = platform::clNone, to = platform::clNone;
    bool horizontal = true;
    QString text;
    QFont font;
    int shadowOffset = 0;
    int elideWidth = -1;               // >= 0: the text is cut with an ellipsis to this width
    int rotation = 0;                  // degrees, counter-clockwise
    PicturePtr picture;                // Image, Tile
    QPixmap pixmap;                    // Image from an image list or an icon
    bool stretch = false;
    int tabStop = 0;                   // Text: pixels between tab stops; 0 the font's default
};

struct MarkupLayout {
    std::vector<MarkupOp> ops;
    QRect bounds;
};

// The whole of DrawHTMLItem without a painter: the font metrics come from device (a null device
// means the screen), the base font, text colour and background are given.
bool LayoutHTMLItem(const QPaintDevice* device, const QFont& baseFont, const QColor& baseText,
                    const QColor& baseBackground, const QString& text, const QRect& bounds,
                    const HTMLItemOptions& options, HTMLItemResult& result, MarkupLayout* layout);
void PaintMarkupLayout(QPainter& canvas, const MarkupLayout& layout);

// The canvas's font is the base font, its pen colour the text colour and its brush colour the
// background at entry; both are as they were when the call returns.
bool DrawHTMLItem(QPainter& canvas, const QString& text, const QRect& bounds, const HTMLItemOptions& options,
                  HTMLItemResult& result);

} // namespace controls
