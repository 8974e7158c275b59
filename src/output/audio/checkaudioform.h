#pragma once
// "Audio Info": analyses one music file, shows what it found in the MP3 or the WAV panel and
// keeps the four result texts that the music list and the video run test. Created once; shown
// without a modal loop from the music page, or used through FileName and AnalyseFile unseen.
#include "output/audio/audioinfo.h"
#include "app/windowregistry.h"
#include "util/texttable.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TCheckAudioForm : public QDialog, public RegisteredWindow<TCheckAudioForm> {
    Q_OBJECT
public:
    explicit TCheckAudioForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());

    QString FileName;

    // The results (AudioFileInfo): empty unless the last analysis succeeded.
    QString VersionText;
    QString LayerText;
    QString SampleRateHz;
    QString StereoMark;

    QLabel* Image1;
    QLabel* Label1;
    QFrame* MP3Panel;
    QLabel* ValidMPEGText;
    QLabel* FileSizeText;
    QLabel* MPEGTypeText;
    QLabel* BitRateText;
    QLabel* SampleRateText;
    QLabel* ChannelModeText;
    QLabel* DurationText;
    QLabel* FirstFrameAtText;
    QLabel* TotalFramesText;
    QLabel* CRCProtectionText;
    QLabel* CopyrightText;
    QLabel* OriginalText;
    QLabel* EmphasisText;
    QLabel* EncoderText;
    QFrame* WavePanel;
    QLineEdit* DurationWAVEdit;
    QLineEdit* SampleRateEdit;
    QLineEdit* BitsPerSampleEdit;
    QLineEdit* WavFormatEdit;
    QLineEdit* FileSizeEdit;
    QLineEdit* ChannelModeEdit;
    QLineEdit* ValidWAVEdit;   // never filled
    QPushButton* CloseButton;

    void FormCreate();
    void FormShow();
    void AnalyseFile();
    void CloseButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const util::TextTable& texts_; // the texts this window shows
};
