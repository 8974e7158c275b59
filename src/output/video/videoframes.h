#pragma once
// The frame rendering of a video run: every picture of the show into one frame of the video size
// with its caption, the closing picture, and in high quality the transitions between them and the
// frame list that the encoder plug-in reads. It works on the show as a value and tells its caller
// through FrameEvents what it does; the picture work that needs no window runs on worker threads.
#include "show/showcontext.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace video {

// A picture fitted into a frame as the frame rendering places it.
struct PlacedPicture {
    QImage image;     // the picture at its placed size; null when it could not be read
    int x = 0, y = 0; // where it goes in the frame
    QString error;    // why it could not be read
};

// Loads the first page of the picture and resamples it (bilinear) to its placed size in a frame
// of frameWidth x frameHeight whose pixels show pixelAspect as wide as high: on the screen, a
// picture larger than the frame in either direction is scaled to the frame's width (landscape
// and square) or height (portrait), and to its height where the width would leave the picture
// higher than the frame, keeping its proportions; one that fits keeps its size; either is
// centred (halves toward zero). A JPEG is decoded at the smallest reduction that still holds the
// placed size.
PlacedPicture PlacePicture(const QString& source, int frameWidth, int frameHeight, double pixelAspect = 1.0);

// Resamples the frame file (bilinear) to width x height and saves it over itself as a JPEG of
// the quality factor. Empty on success, else why not.
QString ResizeFrameFile(const QString& file, int width, int height, int qualityFactor);

// The frames a key frame holds for s seconds per picture (the frame rate of both norms, 25).
int KeyFrameHold(double seconds);

// The frames of one run.
struct FrameSettings {
    QString ModeName = QStringLiteral("VCD"); // "VCD" or "SVCD"
    bool HighQuality = false;                 // JPEG key frames and transitions, else BMP frames
    bool Pal = true;                          // the television norm
    int FrameWidth = 0;
    int FrameHeight = 0;
    int PictureCount = 0;         // the pictures the run counted
    double SecondsPerPicture = 0; // how long each key frame holds
    QImage ClosingPicture;        // the picture after the show's last

    // How wide a pixel of these frames shows on the screen for its height: the MPEG streams are
    // shown 4:3 (a PAL video CD frame's pixel 12:11), the AVI's pixels are square.
    double PixelAspect() const;
};

// One transition to be painted into numbered frames between two key frames.
struct TransitionCapture {
    QString FromPicture;
    QString ToPicture;
    int TransitionNumber = 1;   // the show's chosen line of the transition list
    QString TransitionListFile; // program directory + "Effects.ini"
    QString FramePrefix;        // encoder folder + "inp" + picture number as four digits
};

// What the frame rendering tells its caller on the way, and asks of it. Any may be left empty.
struct FrameEvents {
    std::function<void()> Step;                              // one step of the run's progress
    std::function<bool()> Aborted;                           // the user has asked to stop
    std::function<void(const QString&)> Status;              // the run's status line
    std::function<void(const QString&)> Memo;                // a line of the run's list
    std::function<void(const QString&)> Log;                 // a line of the run log
    std::function<void(const QString& file)> FrameMade;      // a frame was written (the preview)
    std::function<void(bool shown)> ListShown;               // the run's list shows or hides
    std::function<void(bool shown)> PreviewShown;            // the preview shows or hides
    std::function<void(const TransitionCapture&)> Capture;   // paints one transition into frames
};

// What the frame rendering made.
struct FramesMade {
    bool ok = false;         // false: it failed and said why; an abort is no failure
    QStringList PictureList; // the show's picture list as it was read
    int JpegCount = 0;       // the JPEG frames of a high-quality run, key frames and transitions
};

// Renders the frames of the show's picture list (read from its "Pictures.ini") into the show's
// encoder folder: "inp0001" onwards, the closing picture after the last, and in high quality
// the transitions, the frames renumbered "Test_0000.jpg" onwards (resized for a super video CD)
// and the frame list "Test_quantity.nno".
FramesMade ConvertPicturesForVideo(const show::ShowContext& show, const FrameSettings& settings, const FrameEvents& events);

// The frame of one picture with caption, saved as targetBase + "_Key.jpg" (high quality) or
// ".bmp"; a picture that could not be read or a frame that could not be written is reported.
bool ConvertPictureForVideo(const show::ShowContext& show, const FrameSettings& settings, const QString& caption,
                            const QString& source, const QString& targetBase, const FrameEvents& events);

} // namespace video
