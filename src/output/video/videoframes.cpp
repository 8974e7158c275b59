// The frame rendering of the video window: every picture of the show into one frame of the
// video size with its caption, the closing picture, and in high quality the frame list that
// the encoder plug-in reads.
#include "videoframes.h"

#include "app/language.h"
#include "output/video/mpdxplugin.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "sdk/operations.h"
#include "sdk/pictureio.h"
#include "platform/textcodec.h"
#include "util/captionlayout.h"
#include "util/orderedwork.h"
#include "util/strutils.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>

#include <algorithm>
#include <memory>

namespace {

QString fourDigits(int n) { return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')); }

QString nameOf(const QString& path) { return path.mid(path.lastIndexOf(u'\\') + 1); }

// The room kept free between a caption and the frame's sides.
constexpr int CaptionMargin = 8;

bool writeImage(const QImage& image, const QString& path, const char* format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, format, quality) && platform::writeFileReplacing(path, bytes);
}

// The order of the framework's case-insensitive locale comparison for frame names: punctuation
// ("_") before digits, digits before letters.
int frameNameKey(QChar c)
{
    const QChar l = c.toLower();
    if (l == u'_') return 1;
    if (l.isDigit()) return 10 + l.digitValue();
    return 100 + l.unicode();
}

bool frameNameLess(const QString& a, const QString& b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int ka = frameNameKey(a[i]), kb = frameNameKey(b[i]);
        if (ka != kb) return ka < kb;
    }
    return a.size() < b.size();
}

} // namespace

namespace video {

PlacedPicture PlacePicture(const QString& source, int frameWidth, int frameHeight, double pixelAspect)
{
    PlacedPicture placed;
    const std::optional<QByteArray> data = platform::readFile(source);
    if (!data) {
        placed.error = platform::lastFileError();
        return placed;
    }
    sdk::PxFileInfo info;
    int r = sdk::PX_FileInfoMemory(*data, &info);
    if (r != sdk::PX_SUCCESS || info.Width <= 0 || info.Height <= 0) {
        placed.error = sdk::ErrorCodeMessage(r != sdk::PX_SUCCESS ? r : sdk::PXERR_BADSIZE);
        return placed;
    }
    const int pw = info.Width, ph = info.Height;
    const int W = frameWidth, H = frameHeight;
    const double ratio = double(pw) / ph;
    // The placement is worked out as the frame shows on the screen, displayWidth x H, and the
    // width then taken back into the frame's pixels.
    const double displayWidth = W * pixelAspect;
    double shownWidth = pw;
    int height = ph;
    if (pw > displayWidth || ph > H) {
        if (ratio >= 1 && displayWidth / ratio <= H) {
            shownWidth = displayWidth;
            height = qMax(1, platform::roundHalfEven(displayWidth / ratio));
        } else {
            height = H;
            shownWidth = ratio * H;
        }
    }
    const int width = qBound(1, platform::roundHalfEven(shownWidth / pixelAspect), W);
    placed.x = (W - width) / 2;
    placed.y = (H - height) / 2;
    sdk::SdkBitmapHandle bitmap;
    sdk::PxLoadOptions options;
    options.MaxPages = 1;
    options.ReduceWidth = width;
    options.ReduceHeight = height;
    r = sdk::PX_LoadMemory(*data, &bitmap, 24, nullptr, options);
    if (r == sdk::PXERR_STOPPED && bitmap.allocated()) r = sdk::PX_SUCCESS; // the first page, as asked
    if (r == sdk::PX_SUCCESS && (bitmap.Width != width || bitmap.Height != height))
        r = sdk::PX_SizeBitmap(&bitmap, width, height, sdk::sizeBilinear);
    if (r != sdk::PX_SUCCESS || !bitmap.allocated() || bitmap.BitsPerPixel != 24) {
        placed.error = sdk::ErrorCodeMessage(r != sdk::PX_SUCCESS ? r : sdk::PXERR_BADBITS);
        return placed;
    }
    placed.image = QImage(bitmap.bits(), bitmap.Width, bitmap.Height, bitmap.BytesPerLine, QImage::Format_BGR888).copy();
    if (placed.image.isNull()) placed.error = sdk::ErrorCodeMessage(sdk::PXERR_NOMEMORY);
    return placed;
}

QString ResizeFrameFile(const QString& file, int width, int height, int qualityFactor)
{
    sdk::SdkBitmapHandle bitmap;
    sdk::PxLoadOptions options;
    options.MaxPages = 1;
    int r = sdk::PX_LoadFile(file, &bitmap, 24, nullptr, options);
    if (r == sdk::PXERR_STOPPED && bitmap.allocated()) r = sdk::PX_SUCCESS; // the first page, as asked
    if (r == sdk::PX_SUCCESS) r = sdk::PX_SizeBitmap(&bitmap, width, height, sdk::sizeBilinear);
    if (r == sdk::PX_SUCCESS) r = sdk::PX_SaveBitmap(file, &bitmap, sdk::fmtJPEG, 24, qualityFactor);
    return r == sdk::PX_SUCCESS ? QString() : sdk::ErrorCodeMessage(r);
}

int KeyFrameHold(double seconds) { return platform::roundHalfEven(seconds * 25); }

double FrameSettings::PixelAspect() const
{
    // The MPEG streams show 4:3 whatever their frame size; the AVI's pixels are square.
    if (!HighQuality || FrameWidth <= 0) return 1.0;
    return double(MpdxDisplayAspectWidth * FrameHeight) / (MpdxDisplayAspectHeight * FrameWidth);
}

namespace {

// The events a caller left empty do nothing.
void step(const FrameEvents& ev)
{
    if (ev.Step) ev.Step();
}
bool aborted(const FrameEvents& ev) { return ev.Aborted && ev.Aborted(); }
void status(const FrameEvents& ev, const QString& text)
{
    if (ev.Status) ev.Status(text);
}
void memo(const FrameEvents& ev, const QString& line)
{
    if (ev.Memo) ev.Memo(line);
}
void log(const FrameEvents& ev, const QString& line)
{
    if (ev.Log) ev.Log(line);
}
void listShown(const FrameEvents& ev, bool shown)
{
    if (ev.ListShown) ev.ListShown(shown);
}
void previewShown(const FrameEvents& ev, bool shown)
{
    if (ev.PreviewShown) ev.PreviewShown(shown);
}

// The frame of a picture fitted into it with its caption, saved as targetBase + "_Key.jpg" (high
// quality) or ".bmp"; a picture that could not be read is reported.
bool composeFrame(const show::ShowContext& m, const FrameSettings& run, const PlacedPicture& placed, const QString& caption,
                  const QString& source, const QString& targetBase, const FrameEvents& ev)
{
    const int W = run.FrameWidth, H = run.FrameHeight;
    if (placed.image.isNull()) {
        log(ev, QStringLiteral("FEHLER: ") + source + QStringLiteral(" ") + placed.error);
        platform::showError(QStringLiteral("Unable to convert the picture ") + source
                            + (placed.error.isEmpty() ? QString() : QStringLiteral(": ") + placed.error));
        return false;
    }
    QImage frame(W, H, QImage::Format_RGB888);
    const QColor background = platform::colorToQColor(m.BackgroundColor);
    frame.fill(background);
    {
        QPainter painter(&frame);
        painter.drawImage(placed.x, placed.y, placed.image);
        if (m.Captions && !caption.isEmpty()) {
            QFont font = painter.font();
            font.setPointSize(run.ModeName == QLatin1String("VCD") ? 12 : 18);
            painter.setFont(font);
            // The caption is laid out and drawn as the frame shows on the screen, so that its
            // letters keep their shape in the MPEG frames too; a long one wraps within the frame.
            const double aspect = run.PixelAspect();
            const int shownWidth = platform::roundHalfEven(W * aspect);
            const util::CaptionLayout layout =
                util::LayOutCaption(caption, font, shownWidth - 2 * CaptionMargin, util::CaptionMaxLines, &frame);
            const int th = layout.height();
            const int top = H - th - m.TextOffset;
            painter.fillRect(0, top, W, th, background);
            painter.setPen(platform::colorToQColor(m.TextColor));
            painter.scale(1 / aspect, 1);
            util::DrawCaption(painter, layout, QRect(CaptionMargin, top, shownWidth - 2 * CaptionMargin, th), Qt::AlignHCenter);
        }
    }
    const QString target = run.HighQuality ? targetBase + QStringLiteral("_Key.jpg") : targetBase + QStringLiteral(".bmp");
    if (!(run.HighQuality ? writeImage(frame, target, "JPG", 85) : writeImage(frame, target, "BMP", -1))) {
        platform::showError(QStringLiteral("Unable to write ") + target + QStringLiteral(": ") + platform::lastFileError());
        return false;
    }
    if (ev.FrameMade) ev.FrameMade(target);
    log(ev, QStringLiteral("     Bild konvertiert: ") + nameOf(source) + QStringLiteral("    NACH    encoder\\") + nameOf(targetBase));
    memo(ev, LangText(12004) + u' ' + nameOf(targetBase));
    return true;
}

// The frames of the show's pictures, "inp0001" onwards, in show order: the pictures are read and
// fitted on worker threads and each is made into its frame here. False when one failed.
bool convertShowPictures(const show::ShowContext& m, const FrameSettings& run, const QStringList& pictureList,
                         const FrameEvents& ev)
{
    const QString showFolder = m.ShowFolderPath();
    QStringList sourceList, captions;
    for (const QString& line : pictureList) {
        sourceList << showFolder + line.section(u'|', 0, 0).trimmed();
        captions << line.section(u'|', 1, 1).trimmed();
    }
    const QStringList sources = sourceList;
    const int W = run.FrameWidth, H = run.FrameHeight;
    const double aspect = run.PixelAspect();
    bool failed = false;
    util::forEachInOrder<PlacedPicture>(
        int(sources.size()), [&sources, W, H, aspect](int i) { return PlacePicture(sources.at(i), W, H, aspect); },
        [&](int i, PlacedPicture& placed) {
            const int n = i + 1;
            step(ev);
            status(ev, QStringLiteral("Convert pictures: Picture ") + QString::number(n) + QStringLiteral(" of ")
                           + QString::number(run.PictureCount));
            if (!composeFrame(m, run, placed, captions[i], sources[i], m.EncoderFolder + QStringLiteral("inp") + fourDigits(n), ev)) {
                failed = true;
                return false;
            }
            return !aborted(ev);
        });
    return !failed;
}

// The closing picture as the frame after the show's last, through "Temp.jpg".
bool convertClosingPicture(const show::ShowContext& m, const FrameSettings& run, const FrameEvents& ev)
{
    const QString e = m.EncoderFolder;
    if (!writeImage(run.ClosingPicture, e + QStringLiteral("Temp.jpg"), "JPG", 90)) {
        platform::showError(QStringLiteral("Unable to write ") + e + QStringLiteral("Temp.jpg"));
        return false;
    }
    return ConvertPictureForVideo(m, run, QString(), e + QStringLiteral("Temp.jpg"),
                                  e + QStringLiteral("inp") + fourDigits(run.PictureCount + 1), ev);
}

// The transition from each picture to the next (the last one to the closing picture) becomes
// frames "inp" + picture number + frame number, which sort between the two key frames. False when
// the user stopped the run.
bool captureTransitions(const show::ShowContext& m, const FrameSettings& run, const FrameEvents& ev)
{
    const QString e = m.EncoderFolder;
    for (int k = 1; k <= run.PictureCount; ++k) {
        if (!m.TransitionsOff && ev.Capture) {
            TransitionCapture capture;
            capture.FromPicture = e + QStringLiteral("inp") + fourDigits(k) + QStringLiteral("_Key.jpg");
            capture.ToPicture = e + QStringLiteral("inp") + fourDigits(k + 1) + QStringLiteral("_Key.jpg");
            capture.TransitionNumber = m.TransitionNumber;
            capture.TransitionListFile = m.ProgramDir + QStringLiteral("Effects.ini");
            capture.FramePrefix = e + QStringLiteral("inp") + fourDigits(k);
            ev.Capture(capture);
        }
        step(ev);
        const QString text = QStringLiteral("Calculate slides: Picture ") + QString::number(k) + QStringLiteral(" of ")
                             + QString::number(run.PictureCount);
        status(ev, text);
        log(ev, text);
        if (aborted(ev)) return false;
    }
    return true;
}

// The JPEG frames of the encoder folder renamed "Test_0000.jpg" onwards in play order; the key
// frames with their hold in frameList. False (reported) when one could not be renamed.
bool numberFrames(const QString& e, double seconds, QStringList& renamed, QStringList& frameList)
{
    QStringList frames;
    for (const platform::DirEntry& entry : platform::findFiles(e, QStringLiteral("*.jpg"))) frames << entry.name;
    std::sort(frames.begin(), frames.end(), frameNameLess);
    const int hold = KeyFrameHold(seconds);
    for (int j = 0; j < frames.size(); ++j) {
        const QString newName = QStringLiteral("Test_") + fourDigits(j) + QStringLiteral(".jpg");
        if (frames[j].contains(QLatin1String("_Key."), Qt::CaseInsensitive))
            frameList << newName + u'*' + QString::number(j == frames.size() - 1 ? 100 : hold);
        if (!platform::renameFile(e + frames[j], e + newName, e)) {
            platform::showError(QStringLiteral("Unable to rename ") + e + frames[j] + QStringLiteral(": ") + platform::lastFileError());
            return false;
        }
        renamed << e + newName;
    }
    return true;
}

// The super video CD frames in their stream size (480 wide), resized on worker threads and
// reported in play order.
bool resizeSvcdFrames(const QStringList& renamed, bool pal, const FrameEvents& ev)
{
    const int height = pal ? 576 : 480;
    bool failed = false;
    util::forEachInOrder<QString>(
        int(renamed.size()), [&renamed, height](int j) { return ResizeFrameFile(renamed.at(j), 480, height, 4); },
        [&](int j, QString& error) {
            const QString text = LangText(12006) + u' ' + QString::number(j + 1) + u'/' + QString::number(renamed.size());
            memo(ev, text);
            status(ev, text);
            if (error.isEmpty()) return true;
            platform::showError(QStringLiteral("Unable to resize ") + renamed[j] + QStringLiteral(": ") + error);
            failed = true;
            return false;
        });
    return !failed;
}

// The high-quality frames: the transitions, then every JPEG frame numbered in play order (resized
// for a super video CD) and listed for the encoder. False when a step failed; stopped when the
// user stopped the run during the transitions.
bool makeEncoderFrames(const show::ShowContext& m, const FrameSettings& run, const FrameEvents& ev, FramesMade& made, bool& stopped)
{
    const QString e = m.EncoderFolder;
    previewShown(ev, false);
    stopped = !captureTransitions(m, run, ev);
    if (stopped) return true;
    // The closing picture's source would be taken for a frame below.
    const QString temp = e + QStringLiteral("Temp.jpg");
    if (platform::fileExists(temp) && !platform::deleteFile(temp, e)) {
        platform::showError(QStringLiteral("Unable to delete %1Temp.jpg: %2").arg(e, platform::lastFileError()));
        return false;
    }
    QStringList renamed, frameList;
    listShown(ev, true);
    const bool numbered = numberFrames(e, run.SecondsPerPicture, renamed, frameList);
    made.JpegCount = int(renamed.size());
    if (!numbered) return false;
    if (run.ModeName == QLatin1String("SVCD") && !resizeSvcdFrames(renamed, run.Pal, ev)) return false;
    if (!platform::writeTextLines(e + QStringLiteral("Test_quantity.nno"), frameList)) {
        platform::showError(QStringLiteral("Unable to write ") + e + QStringLiteral("Test_quantity.nno"));
        return false;
    }
    previewShown(ev, true);
    return true;
}

} // namespace

FramesMade ConvertPicturesForVideo(const show::ShowContext& m, const FrameSettings& run, const FrameEvents& ev)
{
    FramesMade made;
    listShown(ev, false);
    made.PictureList = platform::readTextLines(m.ShowFolderPath() + QStringLiteral("Pictures.ini")).value_or(QStringList());
    status(ev, LangText(12005));
    memo(ev, LangText(12005));
    log(ev, QStringLiteral("START: Convert pictures for video"));

    if (!convertShowPictures(m, run, made.PictureList, ev)) return made;
    made.ok = true;
    if (aborted(ev)) return made;
    if (!convertClosingPicture(m, run, ev)) {
        made.ok = false;
        return made;
    }
    status(ev, QStringLiteral("Calculate slides"));
    if (run.HighQuality) {
        bool stopped = false;
        made.ok = makeEncoderFrames(m, run, ev, made, stopped);
        if (!made.ok || stopped) return made;
    }
    log(ev, QStringLiteral("FERTIG: Bilder für Video konvertieren"));
    listShown(ev, true);
    return made;
}

bool ConvertPictureForVideo(const show::ShowContext& show, const FrameSettings& settings, const QString& caption,
                            const QString& source, const QString& targetBase, const FrameEvents& events)
{
    const PlacedPicture placed = PlacePicture(source, settings.FrameWidth, settings.FrameHeight, settings.PixelAspect());
    return composeFrame(show, settings, placed, caption, source, targetBase, events);
}

} // namespace video
