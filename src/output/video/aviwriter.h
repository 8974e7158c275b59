#pragma once
// Writes a list of bitmaps as an uncompressed AVI video, one frame per bitmap, with the sound
// of a wave file when one is named (interleaved with the frames, copied as it stands). The file
// is assembled in the work file "AWTemp.avi" of the encoder work folder in one pass, then put in
// place under FileName. A video that would pass the 4 GB of a plain AVI file is refused before
// anything is written.
#include <QList>
#include <QString>
#include <functional>
#include <stdexcept>

#include "output/video/bitmap24.h"

// The error of a failed Write; message() is the text shown to the user.
class EAviWriterError : public std::runtime_error {
public:
    explicit EAviWriterError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

class TAviWriter {
public:
    // encoderFolder: the encoder work folder (Windows path with trailing backslash) that holds
    // the work file.
    explicit TAviWriter(const QString& encoderFolder);

    int Height;           // frame size in pixels; defaults to a tenth of the screen
    int Width;
    int FrameTime = 1000; // milliseconds per frame
    bool Stretch = true;  // stretch each bitmap over the frame, else draw it at the top left
    QString FileName;     // the video (Windows path)

    const QString& WavFileName() const { return wavFileName_; }
    // Raises for a name that does not end in ".wav".
    void setWavFileName(const QString& name);

    // Fired with every progress message and the percentage of frames written.
    std::function<void(TAviWriter* sender, const QString& message, int percent)> OnProgress;

    // The bitmaps, one frame each. The list holds them; the caller owns them and keeps them
    // alive until Write returns.
    QList<const Bitmap24*> Bitmaps;

    const QString& workFileName() const { return workFileName_; }

    // Writes FileName; raises EAviWriterError with the message to show when it cannot.
    void Write();

private:
    void progress(const QString& message);
    // Raises for an empty or broken bitmap list, a frame size or a frame time out of range.
    void checkInput();

    QString wavFileName_;
    QString workFileName_;
    int percent_ = 0;
};
