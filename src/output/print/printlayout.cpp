#include "printlayout.h"

#include "platform/rounding.h"
#include "show/itemtext.h"
#include "util/strutils.h"

namespace print {

QString PrintItemFileName(const QString& item) { return show::PictureItemText(item).section(u'|', 0, 0).trimmed(); }

QString PrintItemPath(const QString& item, const QString& showRoot, const QString& showFolder)
{
    return showRoot + showFolder + QStringLiteral("\\") + PrintItemFileName(item);
}

QString PrintItemCaption(const QString& item) { return show::PictureItemText(item).section(u'|', 1, 1).trimmed(); }

QString PrintFileName(const QString& picturePath)
{
    const qsizetype slash = picturePath.lastIndexOf(u'\\');
    return picturePath.left(slash + 1) + QStringLiteral("_PRINT_") + picturePath.mid(slash + 1);
}

bool IsPrintFileName(const QString& name) { return name.startsWith(QLatin1String("_PRINT_"), Qt::CaseInsensitive); }

PrintPicture ScaledPrintPicture(int width, int height, int size)
{
    PrintPicture p;
    if (width <= 0 || height <= 0) return p;
    const double r = double(width) / double(height);
    if (r >= 1) {
        const int h = platform::roundHalfEven(size / r);
        p.size = QSize(size, h);
        p.bandHeight = h + BandAllowance;
    } else {
        p.size = QSize(platform::roundHalfEven(r * size), size);
        p.bandHeight = size + BandAllowance;
    }
    return p;
}

BandPlace BandPlacer::place(int h)
{
    if (y_ + h > body_ && y_ > 0) {
        ++page_;
        y_ = 0;
    }
    const BandPlace at{page_, y_};
    y_ += h;
    return at;
}

std::vector<BandPlace> PlaceBands(const std::vector<int>& bandHeights, int pageHeight)
{
    std::vector<BandPlace> places;
    places.reserve(bandHeights.size());
    BandPlacer placer(pageHeight);
    for (int h : bandHeights) places.push_back(placer.place(h));
    return places;
}

} // namespace print
