#include "media.h"

#include "drives.h"
#include "files.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

namespace platform {

struct MediaPlayer::Impl {
    // Made on the first Open(): the backend costs time and a window that never previews music
    // needs none of it.
    std::unique_ptr<QAudioOutput> output;
    std::unique_ptr<QMediaPlayer> player;
    bool open = false;
    QString error;
};

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent), d(std::make_unique<Impl>())
{
    setVisible(false);
}

MediaPlayer::~MediaPlayer() { Close(); }

bool MediaPlayer::Open()
{
    Close();
    d->error.clear();
    if (FileName.isEmpty() || !isRegularFile(FileName)) {
        d->error = QStringLiteral("No such file: ") + FileName;
        return false;
    }
    if (!d->player) {
        d->output = std::make_unique<QAudioOutput>();
        d->player = std::make_unique<QMediaPlayer>();
        d->player->setAudioOutput(d->output.get());
        connect(d->player.get(), &QMediaPlayer::errorOccurred, this,
                [this](QMediaPlayer::Error, const QString& text) { d->error = text; });
    }
    d->player->setSource(QUrl::fromLocalFile(toHostPath(FileName)));
    d->open = true;
    return true;
}

bool MediaPlayer::Play()
{
    if (!d->open) return false;
    d->player->play();
    return true;
}

bool MediaPlayer::Pause()
{
    if (!d->open) return false;
    d->player->pause();
    return true;
}

bool MediaPlayer::Stop()
{
    if (!d->open) return false;
    d->player->stop();
    return true;
}

void MediaPlayer::Close()
{
    if (!d->open) return;
    d->open = false;
    d->player->stop();
    d->player->setSource(QUrl());
}

MediaPlayer::Mode MediaPlayer::mode() const
{
    if (!d->open) return NotOpen;
    switch (d->player->playbackState()) {
    case QMediaPlayer::PlayingState: return Playing;
    case QMediaPlayer::PausedState: return Paused;
    case QMediaPlayer::StoppedState: break;
    }
    return Stopped;
}

QString MediaPlayer::lastError() const { return d->error; }

} // namespace platform
