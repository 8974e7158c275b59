#include "playerwindow.h"

#include "platform/colors.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/screensaver.h"
#include "util/captionlayout.h"

#include <QApplication>
#include <QAudioOutput>
#include <QElapsedTimer>
#include <QImageReader>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMediaPlayer>
#include <QPainter>
#include <QScreen>
#include <QUrl>

#include <chrono>
#include <utility>

namespace player {

namespace {

// The timings of each picture's turn, for the bench (QT_LOGGING_RULES="quorbel.player.timing.debug=true"):
// when the hold ended and when its timer fired, whether the picture read ahead was ready, the work
// of the turn, and the first paint; on the wall's clock in milliseconds, as a screen capture stamps
// its frames.
Q_LOGGING_CATEGORY(timingLog, "quorbel.player.timing", QtWarningMsg)

double wallMilliseconds()
{
    return std::chrono::duration<double, std::milli>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The room kept free between the screen's edges and the texts.
constexpr int TextMargin = 10;

qint64 steadyMilliseconds()
{
    static const QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.elapsed();
}

// The picture fitted into target (only made smaller, keeping its proportions). Only a regular file
// is read (a pipe would hold the player still); one that cannot be read gives a null image.
QImage readFitted(const QString& file, QSize target)
{
    const auto device = platform::openFile(file, QIODevice::ReadOnly);
    QImageReader reader(device.get());
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > target.width() || size.height() > target.height()))
        reader.setScaledSize(size.scaled(target, Qt::KeepAspectRatio));
    return reader.read();
}

// The picture centred on the background, fitted into the painter's device.
void drawPicture(QPainter& p, const QImage& image, const QColor& background)
{
    const QRect area(QPoint(0, 0), QSize(p.device()->width(), p.device()->height()));
    p.fillRect(area, background);
    if (image.isNull()) return;
    const QSize fitted = image.size().scaled(area.size(), Qt::KeepAspectRatio);
    const QRect where(QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2), fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(where, image);
}

// What the effect painter is given for a transition.
sdk::PxEffectParams effectOf(const Transition& t)
{
    sdk::PxEffectParams params;
    params.effect = t.effect;
    params.grain = t.grain;
    params.wandSize = t.wandSize;
    return params;
}

} // namespace

PlayerWindow::Prepared PlayerWindow::prepare(const QString& file, QSize size, const QColor& background)
{
    Prepared prepared;
    prepared.image = readFitted(file, size);
    // Drawn here, on the thread that reads, so that the picture's turn only adds its texts.
    prepared.frame = QImage(size, QImage::Format_RGB32);
    QPainter p(&prepared.frame);
    drawPicture(p, prepared.image, background);
    return prepared;
}

PlayerWindow::PlayerWindow(Plan plan, QWidget* parent)
    : QWidget(parent), plan_(std::move(plan)), transitionClock_(steadyMilliseconds)
{
    setObjectName(QStringLiteral("PlayerWindow"));
    setWindowTitle(plan_.shows.isEmpty() ? QStringLiteral("Player") : plan_.shows.first().title);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(plan_.settings.fullscreen ? Qt::BlankCursor : Qt::ArrowCursor);
    // The hold and the transition's steps keep to the millisecond (a coarse timer may end a hold
    // a twentieth early or late).
    clock_.setTimerType(Qt::PreciseTimer);
    effectTimer_.setTimerType(Qt::PreciseTimer);
    clock_.setSingleShot(true);
    connect(&clock_, &QTimer::timeout, this, [this] {
        if (timingLog().isDebugEnabled())
            qCDebug(timingLog, "hold %d ended %.3f fired %.3f", turn_, holdEnd_, wallMilliseconds());
        step(1);
    });
    hintTimer_.setSingleShot(true);
    hintTimer_.setInterval(4000);
    connect(&hintTimer_, &QTimer::timeout, this, [this] {
        hint_ = false;
        update();
    });
    connect(&effectTimer_, &QTimer::timeout, this, &PlayerWindow::transitionStep);
    music_ = new QMediaPlayer(this);
    audio_ = new QAudioOutput(this);
    music_->setAudioOutput(audio_);
    connect(music_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        // A track that played (to its end or into its buffer) ends a run of failures.
        if (status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::EndOfMedia) unplayable_ = 0;
        if (status == QMediaPlayer::InvalidMedia) ++unplayable_;
        if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia) playNextTrack();
    });
}

PlayerWindow::~PlayerWindow() { music_->stop(); }

void PlayerWindow::start()
{
    if (platform::showInScreensaverWindow(*this)) {
        // Played by the desktop's screensaver service, in the window it gave.
    } else if (plan_.settings.fullscreen) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
        showFullScreen();
    }
    else {
        resize(1024, 768);
        show();
    }
    hintTimer_.start();
    if (plan_.shows.isEmpty()) {
        ended_ = true;
        if (!StartedAsScreensaver(plan_.arguments)) QTimer::singleShot(5000, this, &QWidget::close);
        update();
        return;
    }
    showPicture();
}

void PlayerWindow::showPicture()
{
    // A transition starts from what is on the screen: the frame of the one running, if any. A
    // transition that ran to its end left its frame as the whole picture, so that frame serves.
    const bool frameShown = effectTimer_.isActive() || frameIsLast_;
    effectTimer_.stop();
    frameIsLast_ = false;
    const Show& show = plan_.shows[show_];
    const QSize target = this->size().isEmpty() ? QSize(1024, 768) : this->size();
    const bool timed = timingLog().isDebugEnabled();
    double times[4] = {};
    const char* ahead = "";
    if (timed) {
        ++turn_;
        times[0] = wallMilliseconds();
        const bool wasReadAhead = ahead_.image.valid() && ahead_.at == Position{show_, picture_} && ahead_.size == target;
        ahead = !wasReadAhead ? "none" : ahead_.image.wait_for(std::chrono::seconds(0)) == std::future_status::ready ? "ready" : "pending";
    }
    // One that cannot be read leaves an empty frame with its caption.
    Prepared prepared = takePicture({show_, picture_}, target);
    if (timed) times[1] = wallMilliseconds();
    image_ = std::move(prepared.image);
    // The picture comes in with its transition, one percent of the way per step.
    QImage from = std::exchange(lastFrame_, std::move(prepared.frame));
    if (hasTexts()) {
        QPainter p(&lastFrame_);
        drawTexts(p);
    }
    if (timed) times[2] = wallMilliseconds();
    if (const std::optional<Transition> t = transitionOf({show_, picture_})) {
        effect_ = effectOf(*t);
        target_ = lastFrame_;
        if (!frameShown) frame_ = from.size() == target_.size() ? from.convertToFormat(QImage::Format_RGB32) : QImage();
        from = QImage(); // the transition draws into frame_ without a copy when nothing else holds it
        if (frame_.size() != target_.size()) {
            frame_ = QImage(target_.size(), QImage::Format_RGB32);
            frame_.fill(platform::colorToQColor(plan_.settings.bkgColor));
        }
        percent_ = 0;
        effectDelay_ = std::max(1, t->delay);
        effectStart_ = transitionClock_();
        effectTimer_.start(effectDelay_);
        transitionStep(); // the first step comes with the first paint, not one delay later
        // The clock counts from the first step on: a shape new to the effect takes a while to lay out.
        effectStart_ = transitionClock_();
    }
    // Painted now, not when the event loop comes round to it: the turn is due on the screen.
    if (timed) times[3] = wallMilliseconds();
    paintPending_ = timed;
    repaint();
    if (musicShow_ != show_) startMusic();
    if (!plan_.settings.manuell) {
        clock_.start(show.seconds * 1000);
        if (timed) holdEnd_ = wallMilliseconds() + show.seconds * 1000;
    }
    readAhead(target);
    if (timed) {
        qCDebug(timingLog, "turn %d at %.3f picture %d.%d ahead %s take %.1f frame %.1f step %.1f", turn_, times[0],
                show_, picture_, ahead, times[1] - times[0], times[2] - times[1], times[3] - times[2]);
    }
}

std::optional<PlayerWindow::Position> PlayerWindow::positionAfter(int direction) const
{
    int show = show_, picture = picture_ + direction;
    if (picture < 0) {
        if (show == 0) picture = 0;
        else {
            --show;
            picture = static_cast<int>(plan_.shows[show].pictures.size()) - 1;
        }
    } else if (picture >= plan_.shows[show].pictures.size()) {
        picture = 0;
        ++show;
        if (show >= plan_.shows.size()) {
            if (plan_.settings.stopAtEnd) return std::nullopt;
            show = 0;
        }
    }
    return Position{show, picture};
}

PlayerWindow::Prepared PlayerWindow::takePicture(Position at, QSize size)
{
    if (ahead_.image.valid() && ahead_.at == at && ahead_.size == size) return ahead_.image.get();
    ++readAtTurn_;
    const Show& show = plan_.shows[at.show];
    return prepare(show.folder + show.pictures[at.picture].file, size, platform::colorToQColor(plan_.settings.bkgColor));
}

void PlayerWindow::readAhead(QSize size)
{
    const std::optional<Position> next = positionAfter(1);
    if (!next || (ahead_.image.valid() && ahead_.at == *next && ahead_.size == size)) return;
    const Show& show = plan_.shows[next->show];
    const QString file = show.folder + show.pictures[next->picture].file;
    ahead_.at = *next;
    ahead_.size = size;
    // A read still under way is waited for here, when the one it was for has been passed by.
    const QColor background = platform::colorToQColor(plan_.settings.bkgColor);
    const std::optional<Transition> transition = transitionOf(*next);
    ahead_.image = std::async(std::launch::async, [file, size, background, transition, turn = turn_ + 1] {
        const double begin = timingLog().isDebugEnabled() ? wallMilliseconds() : 0;
        Prepared prepared = prepare(file, size, background);
        // The first step of its transition need not lay out the transition's shape.
        if (transition) sdk::prepareEffect(size, effectOf(*transition));
        if (begin > 0) qCDebug(timingLog, "read %d done %.3f took %.1f", turn, wallMilliseconds(), wallMilliseconds() - begin);
        return prepared;
    });
}

std::optional<Transition> PlayerWindow::transitionOf(Position at) const
{
    const int line = plan_.shows[at.show].pictures[at.picture].transition;
    if (line > 0 && plan_.transitions[line - 1]) return plan_.transitions[line - 1];
    return std::nullopt;
}

bool PlayerWindow::nextPictureReady() const
{
    const std::optional<Position> next = positionAfter(1);
    return next && ahead_.image.valid() && ahead_.at == *next
           && ahead_.image.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void PlayerWindow::setTransitionClock(Clock clock)
{
    transitionClock_ = clock ? std::move(clock) : Clock(steadyMilliseconds);
}

void PlayerWindow::transitionStep()
{
    bool whole = true; // the frame shows the picture whole once the last percent is drawn
    if (frame_.size() != target_.size()) {
        percent_ = 100;
        whole = false;
    }
    // The percents that are due by the clock, so that a busy moment delays nothing after it.
    const int due = static_cast<int>(std::min<qint64>(100, (transitionClock_() - effectStart_) / effectDelay_ + 1));
    while (percent_ < due) {
        ++percent_;
        // Pass p of 100 draws exactly percent p.
        if (sdk::PX_EfxPaintBitmap(&frame_, target_, frame_.rect(), effect_, static_cast<unsigned>(percent_), 100) != 1) {
            percent_ = 100;
            whole = false;
        }
    }
    if (percent_ >= 100) {
        effectTimer_.stop();
        frameIsLast_ = whole;
    }
    update();
}

void PlayerWindow::startMusic()
{
    musicShow_ = show_;
    track_ = -1;
    unplayable_ = 0;
    music_->stop();
    playNextTrack();
}

void PlayerWindow::playNextTrack()
{
    if (musicShow_ < 0 || musicShow_ >= plan_.shows.size()) return;
    const Show& show = plan_.shows[musicShow_];
    // When every track has failed in a row the show stays silent: trying them round and round would
    // keep the player from its pictures.
    if (show.audio.isEmpty() || unplayable_ >= show.audio.size()) return;
    // A track that is no regular file (a pipe would hold the player still) is passed over.
    for (qsizetype tries = show.audio.size(); tries > 0; --tries) {
        track_ = (track_ + 1) % static_cast<int>(show.audio.size());
        if (!platform::isRegularFile(show.folder + show.audio[track_])) continue;
        music_->setSource(QUrl::fromLocalFile(platform::toHostPath(show.folder + show.audio[track_])));
        music_->play();
        return;
    }
}

void PlayerWindow::step(int direction)
{
    if (plan_.shows.isEmpty()) return;
    if (ended_) {
        if (direction > 0) close();
        return;
    }
    clock_.stop();
    const std::optional<Position> next = positionAfter(direction);
    if (!next) {
        finish();
        return;
    }
    show_ = next->show;
    picture_ = next->picture;
    showPicture();
}

void PlayerWindow::finish()
{
    effectTimer_.stop();
    ended_ = true;
    image_ = QImage();
    music_->stop();
    update();
    QTimer::singleShot(3000, this, &QWidget::close);
}

void PlayerWindow::paintEvent(QPaintEvent*)
{
    const double begin = paintPending_ ? wallMilliseconds() : 0;
    {
        QPainter p(this);
        if (effectTimer_.isActive() && frame_.size() == size()) p.drawImage(0, 0, frame_);
        else render(p);
    }
    if (paintPending_) {
        paintPending_ = false;
        qCDebug(timingLog, "paint %d at %.3f took %.1f", turn_, begin, wallMilliseconds() - begin);
    }
}

void PlayerWindow::render(QPainter& p)
{
    if (ended_ || plan_.shows.isEmpty()) {
        const QRect area(QPoint(0, 0), QSize(p.device()->width(), p.device()->height()));
        p.fillRect(area, platform::colorToQColor(plan_.settings.bkgColor));
        QFont font = p.font();
        font.setPixelSize(std::max(14, area.height() / 28));
        p.setFont(font);
        p.setPen(platform::colorToQColor(plan_.settings.textColor));
        p.drawText(area, Qt::AlignCenter, plan_.shows.isEmpty() ? plan_.noShowText : plan_.endText);
        return;
    }
    drawPicture(p, image_, platform::colorToQColor(plan_.settings.bkgColor));
    drawTexts(p);
}

bool PlayerWindow::hasTexts() const
{
    const Settings& s = plan_.settings;
    return (s.pictureText && !plan_.shows[show_].pictures[picture_].caption.isEmpty()) || s.fileName
           || (hint_ && !plan_.escapeText.isEmpty());
}

void PlayerWindow::drawTexts(QPainter& p)
{
    const int areaWidth = p.device()->width(), areaHeight = p.device()->height();
    const Settings& s = plan_.settings;
    const QColor text = platform::colorToQColor(s.textColor);
    QFont font = p.font();
    font.setPixelSize(std::max(14, areaHeight / 28));
    p.setFont(font);
    p.setPen(text);
    if (!image_.isNull()) p.setRenderHint(QPainter::SmoothPixmapTransform);
    const Show& show = plan_.shows[show_];
    const Picture& picture = show.pictures[picture_];
    const int line = p.fontMetrics().height();
    const int bottom = areaHeight - s.textOffset - line / 2;
    // Each text drawn in the text colour over an outline of the background colour.
    auto outlined = [&](const QRect& box, const auto& draw) {
        p.setPen(s.bkgColor == s.textColor ? QColor(Qt::gray) : platform::colorToQColor(s.bkgColor));
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (dx || dy) draw(box.translated(dx, dy));
        p.setPen(text);
        draw(box);
    };
    const int textWidth = areaWidth - 2 * TextMargin;
    if (s.pictureText && !picture.caption.isEmpty()) {
        // A long caption wraps within the screen's width, its last line where a short one stands.
        const util::CaptionLayout caption = util::LayOutCaption(picture.caption, font, textWidth, util::CaptionMaxLines, p.device());
        outlined(QRect(TextMargin, bottom - caption.height(), textWidth, caption.height()),
                 [&](const QRect& box) { util::DrawCaption(p, caption, box, Qt::AlignHCenter); });
    }
    if (s.fileName)
        outlined(QRect(TextMargin, line / 2, textWidth, line),
                 [&](const QRect& box) { p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, picture.file); });
    if (hint_ && !plan_.escapeText.isEmpty()) {
        QFont small = font;
        small.setPixelSize(std::max(12, font.pixelSize() * 2 / 3));
        p.setFont(small);
        outlined(QRect(TextMargin, TextMargin, textWidth, line),
                 [&](const QRect& box) { p.drawText(box, Qt::AlignLeft | Qt::AlignTop, plan_.escapeText); });
    }
}

void PlayerWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape: close(); break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_PageDown: step(1); break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp: step(-1); break;
    default: QWidget::keyPressEvent(event);
    }
}

void PlayerWindow::mousePressEvent(QMouseEvent* event)
{
    if (plan_.settings.manuell) step(event->button() == Qt::RightButton ? -1 : 1);
}

} // namespace player
