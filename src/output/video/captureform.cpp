#include "captureform.h"

#include "effects/random.h"
#include "imaging/piximage.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "show/effectlist.h"
#include "show/showhost.h"
#include "show/transitionpreview.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>

TCaptureForm::TCaptureForm(show::ShowHost& host, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), host_(host)
{
    setObjectName(QStringLiteral("CaptureForm"));
    Pix1 = new imaging::TPixImage(this);
    Pix1->setObjectName(QStringLiteral("Pix1"));
    Pix1->move(0, 0);
    Pix1->SetAutoSize(true);
    Pix1->OnStatus = [this](imaging::TPixImage*, int percent) { Pix1Status(percent); };
    Pix1->OnPaintNotify = [this](imaging::TPixImage*, unsigned pass, unsigned type) { Pix1PaintNotify(pass, type); };
}

TCaptureForm::~TCaptureForm()
{
    Pix1->OnStatus = nullptr;
    Pix1->OnPaintNotify = nullptr;
}

QString TCaptureForm::FrameName(int n) const
{
    return FramePrefix + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) + QStringLiteral(".jpg");
}

void TCaptureForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The transition runs once the window's modal loop has started, so that closing the window
    // ends that loop.
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &TCaptureForm::FormActivate);
    }
}

bool TCaptureForm::loadPicture(const QString& file)
{
    try {
        return Pix1->Load(file, 0, 0, 1) == 1 && Pix1->HasImage();
    } catch (const std::exception&) {
        return false;
    }
}

void TCaptureForm::FormActivate()
{
    // A picture that cannot be loaded gives no frames; the window must close all the same, or the
    // video run would wait for it for ever.
    if (!loadPicture(FromPicture)) {
        endCapture();
        return;
    }
    Pix1->ForceRepaint();
    resize(Pix1->size());
    if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->geometry().center() - rect().center());
    // The effect starts from the frame shown, so the from-picture is shown before it begins.
    Pix1->Refresh();
    Capturing = true;
    ApplyTransitionLine(TransitionNumber - 1);
    if (!loadPicture(ToPicture)) {
        endCapture();
        return;
    }
    Pix1->SetAutoRepaint(true);
    FrameNumber = 0;
    // The paint normally comes with the window's next paint event; a window that is not exposed
    // gets none, so the paint is started here unless it has begun.
    QTimer::singleShot(0, this, [this] {
        if (Capturing && !paintStarted_) Pix1->Refresh();
    });
}

void TCaptureForm::ApplyTransitionLine(int lineIndex)
{
    const QStringList lines = show::ReadEffectList(TransitionListFile);
    int index = lineIndex;
    const show::ShowContext current = host_.CurrentShow();
    framesPerTransition_ = current.TransitionFrames;
    if (current.RandomTransition) {
        effects::Randomize();
        index = int(effects::Random(std::uint32_t(std::max<qsizetype>(0, lines.size() - 1))));
    }
    // A missing line, one that is not five integers or an effect the control does not know
    // leaves the picture to be painted at once, without transition frames.
    const std::optional<show::Transition> transition = show::TransitionAt(lines, index + 1);
    if (transition) show::ApplyTransition(Pix1, *transition);
    // The step delay paces the effect on the screen; the frames are taken at the steps, so the
    // capture does not wait on the clock (the frames are the same).
    Pix1->SetEffectDelay(0);
}

void TCaptureForm::Pix1Status(int percent)
{
    const int k = 60 / std::max(1, framesPerTransition_);
    if (percent < 100 - platform::roundHalfEven(k * 1.2)) {
        if (++EventCounter == k) {
            // What the control shows at this step of the effect.
            const QImage frame = Pix1->ComposedFrame().copy(0, 0, Pix1->width(), Pix1->height());
            ++FrameNumber;
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (frame.save(&buffer, "JPG", 85) && !platform::writeFileReplacing(FrameName(FrameNumber), bytes)) {
                // A frame that cannot be written (a full disk) ends the capture: the next ones could not be either.
                platform::showError(QStringLiteral("Unable to write %1: %2").arg(FrameName(FrameNumber), platform::lastFileError()));
                endCapture();
                return;
            }
            EventCounter = 0;
        }
    } else {
        endCapture();
    }
}

void TCaptureForm::Pix1PaintNotify(unsigned pass, unsigned type)
{
    if (!Capturing) return;
    paintStarted_ = true;
    Pix1->SetEnableProgressEvent(true);
    // A paint that ends without reaching the last frames (no effect, or one that reports no
    // progress) ends the capture too.
    if (type == 1 && pass >= Pix1->PaintMaxPasses()) endCapture();
}

void TCaptureForm::endCapture()
{
    Pix1->SetEnableProgressEvent(false);
    Capturing = false;
    // The end may come inside a paint of the window; the window is closed once that is over.
    QTimer::singleShot(0, this, &TCaptureForm::close);
}
