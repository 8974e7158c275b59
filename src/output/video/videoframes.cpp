// The frame rendering of the video window: every picture of the show into one frame of the
// video size with its caption, the closing picture, and in high quality the frame list that
// the encoder plug-in reads.
#include "dvdform.h"

#include "output/video/captureform.h"

#include "app/language.h"
#include "editor/mainform.h"
#include "imaging/piximage.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "platform/textcodec.h"
#include "util/strutils.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <memory>

namespace {

QString fourDigits(int n) { return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')); }

QString nameOf(const QString& path) { return path.mid(path.lastIndexOf(u'\\') + 1); }

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

bool TDVDForm::ConvertPicturesForVideo()
{
    TMainForm* m = main();
    const QString e = m->EncoderFolder;
    const QString showFolder = m->ShowRoot + EnsureTrailingBackslash(m->ShowFolder);
    Memo1->hide();
    PictureList = platform::readTextLines(showFolder + QStringLiteral("Pictures.ini")).value_or(QStringList());
    setStatus(LangText(12005));
    memo(LangText(12005));
    AppendVideoLog(QStringLiteral("START: Convert pictures for video"));

    for (int i = 0; i < PictureList.size(); ++i) {
        const int n = i + 1;
        ProgressStep();
        const QString line = PictureList[i];
        const QString source = showFolder + line.section(u'|', 0, 0).trimmed();
        CurrentCaption = line.section(u'|', 1, 1).trimmed();
        setStatus(QStringLiteral("Convert pictures: Picture ") + QString::number(n) + QStringLiteral(" of ") + QString::number(PictureCount));
        if (!ConvertPictureForVideo(source, e + QStringLiteral("inp") + fourDigits(n))) return false;
        if (AbortRequested) return true;
    }

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
        for (int k = 1; k <= PictureCount; ++k) {
            if (!m->OFFRadioButton->isChecked()) {
                auto capture = std::make_unique<TCaptureForm>(m);
                capture->FromPicture = e + QStringLiteral("inp") + fourDigits(k) + QStringLiteral("_Key.jpg");
                capture->ToPicture = e + QStringLiteral("inp") + fourDigits(k + 1) + QStringLiteral("_Key.jpg");
                capture->TransitionNumber = m->SpinEdit1->value();
                capture->TransitionListFile = m->ProgramDir + QStringLiteral("Effects.ini");
                capture->FramePrefix = e + QStringLiteral("inp") + fourDigits(k);
                platform::dialogs().showModal(*capture);
            }
            ProgressStep();
            const QString text = QStringLiteral("Calculate slides: Picture ") + QString::number(k) + QStringLiteral(" of ") + QString::number(PictureCount);
            setStatus(text);
            AppendVideoLog(text);
            if (AbortRequested) return true;
        }
        platform::deleteFile(e + QStringLiteral("Temp.jpg"));

        QStringList frames;
        for (const platform::DirEntry& entry : platform::findFiles(e, QStringLiteral("*.jpg"))) frames << entry.name;
        std::sort(frames.begin(), frames.end(), frameNameLess);
        jpegCount_ = int(frames.size());
        const int hold = KeyFrameHold(seconds_);
        QStringList frameList;
        Memo1->show();
        for (int j = 0; j < frames.size(); ++j) {
            const QString newName = QStringLiteral("Test_") + fourDigits(j) + QStringLiteral(".jpg");
            if (frames[j].contains(QLatin1String("_Key."), Qt::CaseInsensitive))
                frameList << newName + u'*' + QString::number(j == frames.size() - 1 ? 100 : hold);
            if (!platform::renameFile(e + frames[j], e + newName, e)) {
                platform::showError(QStringLiteral("Unable to rename ") + e + frames[j] + QStringLiteral(": ") + platform::lastFileError());
                return false;
            }
            if (ModeName == QLatin1String("SVCD")) {
                const QString text = LangText(12006) + u' ' + QString::number(j + 1) + u'/' + QString::number(frames.size());
                memo(text);
                setStatus(text);
                const QString path = e + newName;
                try {
                    if (PixImage1->Load(path, 0, 1, -1) != 1 || PixImage1->Size(480, Pal ? 576 : 480, 2) != 1
                        || PixImage1->Save(path, 23, 24, 4, 0) != 1)
                        throw std::runtime_error(PixImage1->GetLastErrorText().toStdString());
                } catch (const std::exception& error) {
                    platform::showError(QStringLiteral("Unable to resize ") + path + QStringLiteral(": ") + QString::fromStdString(error.what()));
                    return false;
                }
            }
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

bool TDVDForm::ConvertPictureForVideo(const QString& source, const QString& targetBase)
{
    TMainForm* m = main();
    const QString e = m->EncoderFolder;
    const QString temp = e + QStringLiteral("Temp.jpg");
    const int W = FrameWidth, H = FrameHeight;
    int width = 0, height = 0, x = 0, y = 0;
    QImage scaled;
    try {
        PixImage1->SetPaintSizeMode(imaging::smFit);
        PixImage1->ForceRepaint();
        if (PixImage1->Load(source, 0, 1, -1) != 1 || PixImage1->BitmapWidth() <= 0 || PixImage1->BitmapHeight() <= 0)
            throw std::runtime_error(PixImage1->GetLastErrorText().toStdString());
        const int pw = PixImage1->BitmapWidth(), ph = PixImage1->BitmapHeight();
        const double r = double(pw) / ph;
        if (pw > W || ph > H) {
            if (r >= 1) {
                width = W;
                height = qMax(1, platform::roundHalfEven(W / r));
                x = 0;
                y = (H - height) / 2;
            } else {
                height = H;
                width = qMax(1, platform::roundHalfEven(r * H));
                y = 0;
                x = (W - width) / 2;
            }
        } else {
            width = pw;
            height = ph;
            x = (W - pw) / 2;
            y = (H - ph) / 2;
        }
        if (PixImage1->Size(width, height, 2) != 1 || PixImage1->Save(temp, 23, 24, 2, 0) != 1)
            throw std::runtime_error(PixImage1->GetLastErrorText().toStdString());
        const std::optional<QByteArray> bytes = platform::readFile(temp);
        if (!bytes || !scaled.loadFromData(*bytes, "JPG")) throw std::runtime_error("JPEG error");
    } catch (const std::exception& error) {
        const QString why = QString::fromStdString(error.what());
        AppendVideoLog(QStringLiteral("FEHLER: ") + source + QStringLiteral(" ") + why);
        platform::showError(QStringLiteral("Unable to convert the picture ") + source + (why.isEmpty() ? QString() : QStringLiteral(": ") + why));
        return false;
    }

    QImage frame(W, H, QImage::Format_RGB888);
    const QColor background = platform::colorToQColor(m->BKGColor);
    frame.fill(background);
    {
        QPainter painter(&frame);
        painter.drawImage(x, y, scaled);
        if (m->TextCheckBox->isChecked() && !CurrentCaption.isEmpty()) {
            QFont font = painter.font();
            font.setPointSize(ModeName == QLatin1String("VCD") ? 12 : 18);
            painter.setFont(font);
            const QFontMetrics metrics(font);
            const int th = metrics.height();
            const int tw = metrics.horizontalAdvance(CurrentCaption);
            const int top = H - th - m->TextOffset;
            painter.fillRect(0, top, W, th, background);
            painter.setPen(platform::colorToQColor(m->TextColor));
            painter.drawText(QRect((W - tw) / 2, top, tw, th), Qt::AlignLeft | Qt::AlignTop, CurrentCaption);
        }
    }
    const QString target = HighQuality ? targetBase + QStringLiteral("_Key.jpg") : targetBase + QStringLiteral(".bmp");
    if (!(HighQuality ? writeImage(frame, target, "JPG", 85) : writeImage(frame, target, "BMP", -1))) {
        platform::showError(QStringLiteral("Unable to write ") + target + QStringLiteral(": ") + platform::lastFileError());
        return false;
    }
    AppendVideoLog(QStringLiteral("     Bild konvertiert: ") + nameOf(source) + QStringLiteral("    NACH    encoder\\") + nameOf(targetBase));
    memo(LangText(12004) + u' ' + nameOf(targetBase));
    return true;
}
