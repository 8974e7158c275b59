// The frame rendering of the video window: every picture of the show into one frame of the
// video size with its caption, the closing picture, and in high quality the frame list that
// the encoder plug-in reads.
#include "dvdform.h"

#include "output/video/captureform.h"
#include "output/video/videoframes.h"

#include "app/language.h"
#include "imaging/piximage.h"
#include "output/video/mpdxplugin.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "sdk/operations.h"
#include "sdk/pictureio.h"
#include "platform/textcodec.h"
#include "show/showhost.h"
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

} // namespace video

bool TDVDForm::ConvertPicturesForVideo()
{
    const show::ShowContext m = currentShow();
    const QString e = m.EncoderFolder;
    const QString showFolder = m.ShowFolderPath();
    Memo1->hide();
    PictureList = platform::readTextLines(showFolder + QStringLiteral("Pictures.ini")).value_or(QStringList());
    setStatus(LangText(12005));
    memo(LangText(12005));
    AppendVideoLog(QStringLiteral("START: Convert pictures for video"));

    // The pictures are read and fitted on worker threads; each is made into its frame here, in
    // show order.
    QStringList sourceList, captions;
    for (const QString& line : PictureList) {
        sourceList << showFolder + line.section(u'|', 0, 0).trimmed();
        captions << line.section(u'|', 1, 1).trimmed();
    }
    const QStringList sources = sourceList;
    const int W = FrameWidth, H = FrameHeight;
    const double aspect = FramePixelAspect();
    bool failed = false;
    util::forEachInOrder<video::PlacedPicture>(
        int(sources.size()), [&sources, W, H, aspect](int i) { return video::PlacePicture(sources.at(i), W, H, aspect); },
        [&](int i, video::PlacedPicture& placed) {
            const int n = i + 1;
            ProgressStep();
            CurrentCaption = captions[i];
            setStatus(QStringLiteral("Convert pictures: Picture ") + QString::number(n) + QStringLiteral(" of ")
                      + QString::number(PictureCount));
            if (!ComposeFrame(placed, sources[i], e + QStringLiteral("inp") + fourDigits(n))) {
                failed = true;
                return false;
            }
            return !AbortRequested;
        });
    if (failed) return false;
    if (AbortRequested) return true;

    const QImage& closing = LanguageCode == QLatin1String("GERMAN") ? TORVELDImage : ENImage;
    if (!writeImage(closing, e + QStringLiteral("Temp.jpg"), "JPG", 90)) {
        platform::showError(QStringLiteral("Unable to write ") + e + QStringLiteral("Temp.jpg"));
        return false;
    }
    CurrentCaption.clear();
    if (!ConvertPictureForVideo(e + QStringLiteral("Temp.jpg"), e + QStringLiteral("inp") + fourDigits(PictureCount + 1))) return false;

    setStatus(QStringLiteral("Calculate slides"));
    jpegCount_ = 0;
    if (HighQuality) {
        // The transition from each picture to the next (the last one to the closing picture)
        // becomes frames "inp" + picture number + frame number, which sort between the two key
        // frames.
        PixImage1->hide();
        QWidget* const captureParent = show::showHost() ? show::showHost()->HostWindow() : nullptr;
        for (int k = 1; k <= PictureCount; ++k) {
            if (!m.TransitionsOff) {
                auto capture = std::make_unique<TCaptureForm>(captureParent);
                capture->FromPicture = e + QStringLiteral("inp") + fourDigits(k) + QStringLiteral("_Key.jpg");
                capture->ToPicture = e + QStringLiteral("inp") + fourDigits(k + 1) + QStringLiteral("_Key.jpg");
                capture->TransitionNumber = m.TransitionNumber;
                capture->TransitionListFile = m.ProgramDir + QStringLiteral("Effects.ini");
                capture->FramePrefix = e + QStringLiteral("inp") + fourDigits(k);
                platform::dialogs().showModal(*capture);
            }
            ProgressStep();
            const QString text = QStringLiteral("Calculate slides: Picture ") + QString::number(k) + QStringLiteral(" of ") + QString::number(PictureCount);
            setStatus(text);
            AppendVideoLog(text);
            if (AbortRequested) return true;
        }
        // The closing picture's source would be taken for a frame below.
        const QString temp = e + QStringLiteral("Temp.jpg");
        if (platform::fileExists(temp) && !platform::deleteFile(temp, e)) {
            platform::showError(QStringLiteral("Unable to delete %1Temp.jpg: %2").arg(e, platform::lastFileError()));
            return false;
        }

        QStringList frames;
        for (const platform::DirEntry& entry : platform::findFiles(e, QStringLiteral("*.jpg"))) frames << entry.name;
        std::sort(frames.begin(), frames.end(), frameNameLess);
        jpegCount_ = int(frames.size());
        const int hold = KeyFrameHold(seconds_);
        QStringList frameList, renamed;
        Memo1->show();
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
        if (ModeName == QLatin1String("SVCD")) {
            // The super video CD frames in their stream size (480 wide), resized on worker
            // threads and reported in play order.
            const int height = Pal ? 576 : 480;
            bool resizeFailed = false;
            util::forEachInOrder<QString>(
                int(renamed.size()), [&renamed, height](int j) { return video::ResizeFrameFile(renamed.at(j), 480, height, 4); },
                [&](int j, QString& error) {
                    const QString text = LangText(12006) + u' ' + QString::number(j + 1) + u'/' + QString::number(renamed.size());
                    memo(text);
                    setStatus(text);
                    if (error.isEmpty()) return true;
                    platform::showError(QStringLiteral("Unable to resize ") + renamed[j] + QStringLiteral(": ") + error);
                    resizeFailed = true;
                    return false;
                });
            if (resizeFailed) return false;
        }
        if (!platform::writeTextLines(e + QStringLiteral("Test_quantity.nno"), frameList)) {
            platform::showError(QStringLiteral("Unable to write ") + e + QStringLiteral("Test_quantity.nno"));
            return false;
        }
        PixImage1->show();
    }
    AppendVideoLog(QStringLiteral("FERTIG: Bilder für Video konvertieren"));
    Memo1->show();
    return true;
}

double TDVDForm::FramePixelAspect() const
{
    // The MPEG streams show 4:3 whatever their frame size; the AVI's pixels are square.
    if (!HighQuality || FrameWidth <= 0) return 1.0;
    return double(MpdxDisplayAspectWidth * FrameHeight) / (MpdxDisplayAspectHeight * FrameWidth);
}

bool TDVDForm::ConvertPictureForVideo(const QString& source, const QString& targetBase)
{
    return ComposeFrame(video::PlacePicture(source, FrameWidth, FrameHeight, FramePixelAspect()), source, targetBase);
}

bool TDVDForm::ComposeFrame(const video::PlacedPicture& placed, const QString& source, const QString& targetBase)
{
    const show::ShowContext m = currentShow();
    const int W = FrameWidth, H = FrameHeight;
    if (placed.image.isNull()) {
        AppendVideoLog(QStringLiteral("FEHLER: ") + source + QStringLiteral(" ") + placed.error);
        platform::showError(QStringLiteral("Unable to convert the picture ") + source
                            + (placed.error.isEmpty() ? QString() : QStringLiteral(": ") + placed.error));
        return false;
    }
    const QImage& scaled = placed.image;
    const int x = placed.x, y = placed.y;

    QImage frame(W, H, QImage::Format_RGB888);
    const QColor background = platform::colorToQColor(m.BackgroundColor);
    frame.fill(background);
    {
        QPainter painter(&frame);
        painter.drawImage(x, y, scaled);
        if (m.Captions && !CurrentCaption.isEmpty()) {
            QFont font = painter.font();
            font.setPointSize(ModeName == QLatin1String("VCD") ? 12 : 18);
            painter.setFont(font);
            // The caption is laid out and drawn as the frame shows on the screen, so that its
            // letters keep their shape in the MPEG frames too; a long one wraps within the frame.
            const double aspect = FramePixelAspect();
            const int shownWidth = platform::roundHalfEven(W * aspect);
            const util::CaptionLayout caption =
                util::LayOutCaption(CurrentCaption, font, shownWidth - 2 * CaptionMargin, util::CaptionMaxLines, &frame);
            const int th = caption.height();
            const int top = H - th - m.TextOffset;
            painter.fillRect(0, top, W, th, background);
            painter.setPen(platform::colorToQColor(m.TextColor));
            painter.scale(1 / aspect, 1);
            util::DrawCaption(painter, caption, QRect(CaptionMargin, top, shownWidth - 2 * CaptionMargin, th), Qt::AlignHCenter);
        }
    }
    const QString target = HighQuality ? targetBase + QStringLiteral("_Key.jpg") : targetBase + QStringLiteral(".bmp");
    if (!(HighQuality ? writeImage(frame, target, "JPG", 85) : writeImage(frame, target, "BMP", -1))) {
        platform::showError(QStringLiteral("Unable to write ") + target + QStringLiteral(": ") + platform::lastFileError());
        return false;
    }
    // The preview shows the frame made, as it shows on the screen.
    try {
        PixImage1->SetPaintSizeMode(HighQuality ? imaging::smStretch : imaging::smFit);
        PixImage1->Load(target, 0, 1, 1);
        PixImage1->ForceRepaint();
    } catch (const std::exception&) {
        // only the preview
    }
    AppendVideoLog(QStringLiteral("     Bild konvertiert: ") + nameOf(source) + QStringLiteral("    NACH    encoder\\") + nameOf(targetBase));
    memo(LangText(12004) + u' ' + nameOf(targetBase));
    return true;
}
