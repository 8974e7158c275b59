// libFuzzer target: the item markup renderer (layout, painting, hit test, plain text) on any text.
#include "controls/imagelist.h"
#include "controls/markup.h"
#include "controls/picture.h"
#include "support/fuzzing.h"

#include <QImage>
#include <QPainter>

using namespace controls;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzing::start(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString item = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static THTMLPictureCache cache;
    static TImageList images;
    static QImage canvas(200, 120, QImage::Format_RGB32);
    for (int pass = 0; pass < 3; ++pass) {
        HTMLItemOptions o;
        o.PictureCache = &cache;
        o.Images = &images;
        o.WordWrap = pass != 1;
        o.MeasureOnly = pass == 1;
        o.HitTestOnly = pass == 2;
        o.PointX = 20;
        o.PointY = 5;
        o.FocusedAnchor = 0;
        QPainter p(&canvas);
        HTMLItemResult r;
        DrawHTMLItem(p, item, QRect(0, 0, 200, 120), o, r);
    }
    (void)StripHTMLTags(item);
    (void)HTMLColorToColor(item);
    return 0;
}
