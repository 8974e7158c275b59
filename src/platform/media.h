#pragma once
// The music preview: a small player over Qt Multimedia in the place of the media player control.
// It is an invisible widget so that it can sit on a form by its name. Nothing it does throws or
// shows a message: a file that is missing or cannot be played simply stays silent, and every
// call says whether it could do its part.
#include <QWidget>
#include <memory>

namespace platform {

class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // The file that Open() opens (a Windows path).
    QString FileName;

    enum Mode { NotOpen, Stopped, Playing, Paused };

    // Closes what is open, then opens FileName. False when there is no such file.
    bool Open();
    // False when nothing is open.
    bool Play();
    bool Pause();
    bool Stop();
    // Stops and lets go of the file; nothing is held open afterwards.
    void Close();

    Mode mode() const;
    // The last error the backend reported for the open file (empty when none).
    QString lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
