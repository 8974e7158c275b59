#include "gallerywriter.h"

#include "imaging/piximage.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/numbers.h"
#include "platform/rounding.h"
#include "platform/textcodec.h"
#include "show/picturelist.h"

namespace web {

namespace {

constexpr int JpegFormat = 23;
const char* const TemplateNames[] = {"gallery.ht1", "gallery.ht2", "einzel.ht1", "einzel.ht2"};
const char* const NavigationImages[] = {"next.gif", "home.gif", "previous.gif"};

QString notAnInteger(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString cannotWrite(const QString& path) { return QStringLiteral("Unable to write %1").arg(path); }

// Deletes the templates however the job ends; one that stays is written afresh by the next job.
struct TemplateCleanup {
    QString programDir;
    ~TemplateCleanup()
    {
        for (const char* name : TemplateNames) (void)platform::deleteFile(programDir + QString::fromLatin1(name));
    }
};

} // namespace

GalleryWriter::GalleryWriter(imaging::TPixImage& control) : control_(control)
{
    using namespace imaging;
    control_.SetShapeBackgroundStyle(sbsTransparent);
    control_.SetPatternStyle(epsTransparent);
    control_.SetShapeBorderStyle(sbrSolid);
    control_.SetShapeBorderThickness(1);
    control_.SetShapeBorderColor(platform::clGray);
    control_.SetShapeInnerBandStyle(sibNone);
    control_.SetShapeOuterBandStyle(sobNone);
    control_.SetShadowXDepth(4);
    control_.SetShadowYDepth(4);
}

void GalleryWriter::SetSizes(int small, int large, platform::ColorRef background, bool frame)
{
    small_ = small;
    large_ = large;
    background_ = background;
    frame_ = frame;
}

void GalleryWriter::MeasurePicture(const QString& file)
{
    control_.Load(file, 0, 1, -1);
    width_ = control_.BitmapWidth();
    height_ = control_.BitmapHeight();
    if (width_ >= height_ && height_ > 0) {
        thumbWidth_ = platform::roundHalfEven(static_cast<double>(width_) / height_ * small_);
        largeWidth_ = platform::roundHalfEven(static_cast<double>(width_) / height_ * large_);
    } else {
        thumbWidth_ = small_;
        largeWidth_ = large_;
    }
}

void GalleryWriter::ConvertPictureForWeb(const QString& target, int width, const QString& source)
{
    using namespace imaging;
    platform::HourglassCursor hourglass;
    control_.ForceRepaint();
    control_.Load(source, 0, 1, -1);
    const int height = width_ > 0 ? platform::roundHalfEven(static_cast<double>(width) * height_ / width_) : 0;
    control_.Size(width, height, 4);
    if (frame_) {
        const platform::ColorRef bkg = platform::colorToRGB(background_);
        control_.SetDrawPersistence(true);
        control_.SetShapeLeft(0);
        control_.SetShapeTop(0);
        control_.SetShapeWidth(control_.BitmapWidth());
        control_.SetShapeHeight(control_.BitmapHeight());
        control_.SetShadowColor(platform::rgbColor(platform::roundHalfEven(platform::redOf(bkg) * 0.9),
                                                   platform::roundHalfEven(platform::greenOf(bkg) * 0.9),
                                                   platform::roundHalfEven(platform::blueOf(bkg) * 0.9)));
        control_.DrawShape(2000, control_.Bitmap());
        control_.SetAutoRepaint(true);
        const int w = control_.BitmapWidth();
        const int h = control_.BitmapHeight();
        control_.SetRgnRect(0, h - 4, 4, 4, 1);
        control_.Fill(bkg);
        control_.SetRgnRect(w - 4, 0, 4, 4, 1);
        control_.Fill(bkg);
        control_.FreeRgn();
    }
    control_.Save(target, JpegFormat, 24, 22, 0);
}

bool GalleryWriter::WriteTemplates(const GalleryJob& job, QString& error)
{
    const QString& p = job.programDir;
    const std::pair<const char*, QStringList> files[] = {
        {"gallery.ht1", GalleryHeadLines(job.context)},
        {"gallery.ht2", GalleryTailLines(job.context)},
        {"einzel.ht1", PictureHeadLines(job.context)},
        {"einzel.ht2", PictureTailLines(job.context)},
    };
    for (const auto& [name, lines] : files) {
        if (!platform::writeTextLines(p + QString::fromLatin1(name), lines)) {
            error = cannotWrite(p + QString::fromLatin1(name));
            return false;
        }
    }
    return true;
}

bool GalleryWriter::ConvertShowPictures(const GalleryJob& job, QList<GalleryPicture>& pictures)
{
    const QString g = GalleryFolder(job.programDir);
    // The folder is the gallery's own: every file in it goes, folders stay. One that cannot go is
    // overwritten below or left out of the new pages.
    for (const platform::DirEntry& e : platform::findFiles(g))
        if (!(e.attributes & platform::faDirectory)) (void)platform::deleteFile(g + e.name, g);
    if (onConverting) onConverting(true);
    struct EndConverting {
        const GalleryWriter* w;
        ~EndConverting()
        {
            if (w->onConverting) w->onConverting(false);
        }
    } end{this};
    if (onProgress) onProgress(0);
    const int count = static_cast<int>(pictures.size());
    for (int i = 0; i < count; ++i) {
        if (onProgress) onProgress(platform::roundHalfEven((i + 1) / static_cast<double>(count) * 100.0));
        GalleryPicture& pic = pictures[i];
        MeasurePicture(pic.source);
        ConvertPictureForWeb(g + pic.thumbnail(), thumbWidth_, pic.source);
        ConvertPictureForWeb(g + pic.picture(), largeWidth_, pic.source);
        platform::processMessages();
    }
    return true;
}

bool GalleryWriter::WriteGalleryPages(const GalleryJob& job, QList<GalleryPicture>& pictures, QString& error)
{
    const QString g = GalleryFolder(job.programDir);
    const GallerySettings& s = job.settings;
    const int n = static_cast<int>(pictures.size());
    const TableLayout t = GalleryTable(n, platform::parseIntegerOr(s.PicProRow, 1));
    TMake index(job.programDir + QStringLiteral("gallery"), g + QStringLiteral("gallery.html"));
    int i = 0;
    for (int r = 0; r < t.rows; ++r) {
        index.Add(QStringLiteral("<tr>"));
        for (int c = 0; c < t.columns; ++c, ++i) {
            if (i >= n) {
                index.Add(QStringLiteral("<td align=\"center\">&nbsp;</td>"));
                continue;
            }
            GalleryPicture& pic = pictures[i];
            MeasurePicture(g + pic.thumbnail());
            pic.thumbWidth = width_;
            pic.thumbHeight = height_;
            const QString caption = s.TextVisible ? pic.caption : QString();
            index.Add(QStringLiteral("<td align=\"center\" width=\"") + QString::number(t.cellWidth) + QStringLiteral("%\">"));
            index.Add(PictureLinkLine(pic, caption, s.FilenameVisible));
            index.Add(QStringLiteral("</td>"));
            TMake page(job.programDir + QStringLiteral("einzel"), g + pic.page());
            for (const QString& line : PictureBodyLines(job.context, pic, caption, s.FilenameVisible,
                                                        pictures[(i + n - 1) % n].page(), pictures[(i + 1) % n].page()))
                page.Add(line);
            if (!page.Save()) {
                error = cannotWrite(g + pic.page());
                return false;
            }
        }
        index.Add(QStringLiteral("</tr>"));
    }
    if (!index.Save()) {
        error = cannotWrite(g + QStringLiteral("gallery.html"));
        return false;
    }
    return true;
}

bool GalleryWriter::Write(const GalleryJob& job, QString& error)
{
    const GallerySettings& s = job.settings;
    control_.SetEnableMethodErrors(true);
    // The numbers first: a hand-edited setting stops the job before anything is deleted.
    for (const QString& text : {s.SmallPicX, s.LargePicX, s.PicProRow}) {
        if (!platform::parseInteger(text)) {
            error = notAnInteger(text);
            return false;
        }
    }
    SetSizes(*platform::parseInteger(s.SmallPicX), *platform::parseInteger(s.LargePicX), s.BKGColor, s.ShapeVisible);

    QList<GalleryPicture> pictures;
    QStringList files;
    for (const QString& item : job.items) files << show::ItemFileName(item);
    const QStringList names = WebNames(files);
    for (int i = 0; i < job.items.size(); ++i) {
        GalleryPicture pic;
        pic.source = job.showFolderPath + files[i];
        pic.webName = names[i];
        pic.caption = show::ItemCaption(job.items[i]);
        pictures << pic;
    }

    const QString g = GalleryFolder(job.programDir);
    if (!platform::directoryExists(g) && !platform::forceDirectories(g)) {
        error = cannotWrite(g);
        return false;
    }
    TemplateCleanup cleanup{job.programDir};
    if (!WriteTemplates(job, error)) return false;
    try {
        ConvertShowPictures(job, pictures);
        if (!WriteGalleryPages(job, pictures, error)) return false;
    } catch (const sdk::EPixImageError& e) {
        error = e.message();
        return false;
    }
    if (!platform::writeTextLines(g + QStringLiteral("layout.css"), LayoutCssLines(s.TextColor, s.BKGColor))) {
        error = cannotWrite(g + QStringLiteral("layout.css"));
        return false;
    }
    for (const char* name : NavigationImages) {
        const QString source = job.programDir + QStringLiteral("recom\\") + QString::fromLatin1(name);
        if (!platform::copyFile(source, g + QString::fromLatin1(name))) {
            error = QStringLiteral("Unable to copy %1").arg(source);
            return false;
        }
    }
    return true;
}

} // namespace web
