#pragma once
// The video window ("Video creator"): turns the current show into a video for a DVD player.
// Every picture becomes a frame of the video size with its caption, a closing picture is
// added, the music is decoded into one soundtrack, and the plain modes write an uncompressed
// AVI while the high-quality modes hand JPEG frames and soundtrack to the MPEG encoder plug-in.
// Every step goes to the run log "Quorbel.log" of the program directory.
#include <QDialog>
#include <QImage>
#include <QStringList>

#include "output/video/mpdxplugin.h"
#include "platform/plugin.h"
#include "platform/process.h"
#include "show/showcontext.h"
#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class TWaveForm;
namespace imaging { class TPixImage; }
namespace video {
struct FrameEvents;
struct FrameSettings;
struct TransitionCapture;
} // namespace video
namespace show { class ShowHost; }

class TDVDForm : public QDialog, public RegisteredWindow<TDVDForm> {
    Q_OBJECT
public:
    // host: the window that holds the show, which outlives this one.
    explicit TDVDForm(show::ShowHost& host, QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TDVDForm() override;

    // ---- run state, set by the wizard ----
    QString ModeName = QStringLiteral("VCD"); // "VCD" or "SVCD"
    bool HighQuality = false;
    bool Pal = true;                          // the television norm chosen in the wizard

    int FrameWidth = 0;
    int FrameHeight = 0;
    int PictureCount = 0;
    int ProgressCount = 0;
    int ProgressTotal = 0;
    QStringList PictureList;
    QStringList AudioList;
    bool AbortRequested = false;
    bool RunOver = true;
    bool LogFailureShown = false; // this run has reported its log as unwritable
    bool RunFailed = false;

    // ---- components ----
    QLabel* StatusLabel;     // text 2400
    QLabel* WorkingLabel;    // text 2401
    QPushButton* VideoBitBtn; // text 2402
    QPushButton* CloseBitBtn; // text 2403
    QPushButton* AbortBitBtn; // text 2404
    QProgressBar* ProgressBar1;
    QLabel* PercentLabel;
    QPlainTextEdit* Memo1;
    imaging::TPixImage* PixImage1; // the preview, also the scaler of every picture
    QImage TORVELDImage;           // closing picture, German user interface
    QImage ENImage;                // closing picture, the other languages
    TWaveForm* WaveForm1;          // the soundtrack window
    platform::PluginLibrary MpdxLibrary; // the encoder plug-in while it is loaded
    OpenMPDXProc OpenMPDX = nullptr;     // its two entries
    EncodeMPDXProc EncodeMPDX = nullptr;

    void FormCreate();
    void MakeVideo();
    void AbortBitBtnClick();
    void CloseBitBtnClick();
    void VideoBitBtnClick();
    void AviWriter1Progress(const QString& message);

    platform::RunResult RunAndWait(const QString& folder, const QString& program, const QString& parameters);
    // A line that cannot be appended is reported once a run; the run goes on without the log.
    void AppendVideoLog(const QString& line);
    void CleanEncoderFolder();
    void EnsureInputWav();
    // Loads the encoder plug-in of the program directory and looks up its two entries; false
    // (after "mpdx_dll.dll not found! Error No: 0") when it cannot be loaded or lacks one.
    bool LoadEncoderPlugin();
    // Releases the plug-in; its entries are cleared.
    void UnloadEncoderPlugin();

    // The frames of this run as the frame rendering (videoframes.h) makes them, and what it
    // tells this window on the way: progress, status, list, log, preview, the user's abort, and
    // the transition captures, each in a window of its own.
    video::FrameSettings frameSettings() const;
    video::FrameEvents frameEvents();

    // How wide a pixel of this run's frames shows on the screen for its height: the MPEG
    // streams are shown 4:3 (a PAL video CD frame's pixel 12:11), the AVI's pixels are square.
    double FramePixelAspect() const;

    // The video file of this run: video folder + safe title + "_" + mode + ".avi" / ".mpg".
    QString VideoFileName() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The steps of MakeVideo; one that returns false has ended the run through its failure
    // clean-up.
    void BeginRun(const show::ShowContext& m);
    bool CountPictures(const show::ShowContext& m);
    void CollectAudioList(const show::ShowContext& m);
    bool PrepareAudioTracks(const show::ShowContext& m);
    bool BuildSoundtrack(const show::ShowContext& m);
    // The frames of the show; false when that failed.
    bool RenderFrames(const show::ShowContext& m);
    // Shows the preview of a frame the frame rendering wrote.
    void PreviewFrame(const QString& file);
    // Paints one transition into frames in the capture window, modally.
    void CaptureTransition(const video::TransitionCapture& capture);

    void ProgressStep();
    void setStatus(const QString& text);
    void memo(const QString& line);
    bool WriteAviVideo();
    bool EncodeMpeg();
    void FailureCleanUp();
    void WrongFormatFailure(const QString& track);
    void EndOfRun();
    void makeClosingPictures();
    // The show as the window that holds it has it now.
    show::ShowContext currentShow() const;

    show::ShowHost& host_;

    double seconds_ = 0;
    int jpegCount_ = 0;
    const util::TextTable& texts_; // the texts this window shows
};
