#include "markupmeasure.h"

#include "icons.h"
#include "platform/numbers.h"
#include "platform/rounding.h"

#include <QHash>
#include <QPaintDevice>

#include <algorithm>

namespace controls::markup {

int textHeight(const QFontMetrics& fm) { return fm.height() + std::max(0, fm.leading()); }

int accentRoom(const QFontMetrics& fm, const QString& run)
{
    if (std::all_of(run.begin(), run.end(), [](QChar c) { return c.unicode() < 0x80; })) return 0;
    const int top = -fm.tightBoundingRect(run).top();
    return std::clamp(top + 1 - fm.ascent() - std::max(0, fm.leading()), 0, kLimit);
}

RunMeasure::RunMeasure(const QPaintDevice* device, int tabStop) : device_(device), tabStop_(tabStop)
{
    if (device) {
        dpiX_ = device->logicalDpiX();
        dpiY_ = device->logicalDpiY();
    }
}

int RunMeasure::scaleX(int v) const { return platform::roundHalfEven(double(v) * dpiX_ / 96.0); }

int RunMeasure::scaleY(int v) const { return platform::roundHalfEven(double(v) * dpiY_ / 96.0); }

void RunMeasure::setFont(const QFont& font)
{
    font_ = font;
    metrics_.reset();
}

const QFontMetrics& RunMeasure::metrics()
{
    if (!metrics_) {
        metrics_.emplace(font_, const_cast<QPaintDevice*>(device_));
        fontKey_ = font_.key() + u'|' + QString::number(dpiX_) + u'|';
    }
    return *metrics_;
}

int RunMeasure::width(const QString& run)
{
    // Items are laid out on every paint, measure and mouse move, and the same words come back
    // each time; shaping them again is the bulk of the work.
    const QFontMetrics& m = metrics();
    static thread_local QHash<QString, int> widths;
    const bool tabs = run.contains(u'\t');
    const QString key = (tabs && tabStop_ > 0 ? fontKey_ + QString::number(tabStop_) + u'\t' : fontKey_) + run;
    const auto it = widths.constFind(key);
    if (it != widths.constEnd()) return *it;
    const int w =
        tabs ? m.size(Qt::TextSingleLine | Qt::TextExpandTabs, run, std::max(0, tabStop_)).width() : m.horizontalAdvance(run);
    if (widths.size() > 8192) widths.clear();
    widths.insert(key, w);
    return w;
}

ImageSource ImageFinder::find(const QString& value)
{
    ImageSource img;
    const QString upper = value.toUpper();
    if (upper.contains(QLatin1String("IDX:"))) {
        if (!o_.Images) return img;
        const auto n = platform::parseInteger(QStringView(value).mid(4));
        if (!n || *n < 0 || *n >= o_.Images->Count()) return img;
        img.pixmap = o_.Images->image(*n);
        img.size = img.pixmap.size();
        img.icon = true;
    } else if (upper.contains(QLatin1String("SSYS:")) || upper.contains(QLatin1String("LSYS:"))) {
        img.pixmap = shellIcon(value.mid(5), upper.contains(QLatin1String("LSYS:")));
        img.size = img.pixmap.size();
        img.icon = true;
    } else if (!value.contains(u':')) {
        if (!o_.PictureContainer) return img;
        img.picture = o_.PictureContainer->findPicturePtr(value);
        if (img.picture) img.size = QSize(img.picture->displayWidth(), img.picture->displayHeight());
    } else if (value.contains(QLatin1String("://"))) {
        if (!o_.PictureCache) return img;
        PicturePtr pic = o_.PictureCache->FindPicture(value);
        if (!pic) {
            pic = o_.PictureCache->AddPicture(value);
            pic->Asynch = false;
            pic->LoadFromSource(value);
        } else if (pic->refreshIfChanged()) {
            o_.PictureCache->noteReload();
        }
        if (std::find(pictures_.begin(), pictures_.end(), pic) == pictures_.end()) pictures_.push_back(pic);
        img.picture = pic;
        img.size = QSize(pic->displayWidth(), pic->displayHeight());
    }
    return img;
}

QSize ImageFinder::scaledIconSize(QSize s) const
{
    if (o_.Printing)
        return QSize(platform::roundHalfEven(s.width() * o_.PrintScale), platform::roundHalfEven(s.height() * o_.PrintScale));
    return QSize(measure_.scaleX(s.width()), measure_.scaleY(s.height()));
}

QSize ImageFinder::shownSize(const MarkupTag& tag, const ImageSource& image, bool* stretch) const
{
    const int wAttr = leadingNumber(tag.attribute(QLatin1String("WIDTH")));
    const int hAttr = leadingNumber(tag.attribute(QLatin1String("HEIGHT")));
    const bool given = wAttr >= 1 && hAttr >= 1;
    if (stretch) *stretch = given || image.icon;
    if (given) return QSize(measure_.scaleX(wAttr), measure_.scaleY(hAttr));
    if (image.icon) return scaledIconSize(image.size);
    return QSize(measure_.scaleX(image.size.width()), measure_.scaleY(image.size.height()));
}

} // namespace controls::markup
