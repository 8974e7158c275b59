#pragma once
// Analysis of one music file for the audio information window and its callers: an MP3 file is
// read through the frame scanner, any other file as a RIFF WAVE file. The four result texts
// (AudioFileInfo) are what the music list and the video run test: they take a track only when
// SampleRateHz is "44100" and StereoMark is "STEREO".
#include <QString>

namespace audio {

struct AudioFileInfo {
    QString VersionText;  // MP3: "MPEG 1" ...; WAV: the format tag
    QString LayerText;    // MP3: "Layer III" ...; WAV: bits per sample + " Bit"
    QString SampleRateHz; // sample rate in Hz, decimal
    QString StereoMark;   // "STEREO" or empty
    void clear() { *this = AudioFileInfo(); }
};

// The texts of the MP3 panel.
struct Mp3PanelTexts {
    QString ValidMPEGText, FileSizeText, MPEGTypeText, BitRateText, SampleRateText,
        ChannelModeText, DurationText, FirstFrameAtText, TotalFramesText, CRCProtectionText,
        CopyrightText, OriginalText, EmphasisText, EncoderText;
};

// The texts of the WAV panel.
struct WavePanelTexts {
    QString DurationWAVEdit, SampleRateEdit, BitsPerSampleEdit, WavFormatEdit, FileSizeEdit,
        ChannelModeEdit;
};

class AudioFileAnalyser {
public:
    QString FileName;      // Windows path of the file to analyse

    // Clears every result, then analyses FileName. The branch is chosen by the file name's
    // extension (".mp3" in any case, else WAV). A file that is missing, unreadable, too short or
    // not of its kind leaves the results empty and says why in Message.
    void AnalyseFile();

    AudioFileInfo Info;
    Mp3PanelTexts Mp3;
    WavePanelTexts Wave;
    bool MP3PanelVisible = false;
    bool WavePanelVisible = false;
    QString Label1;        // "MP3 File" or "WAV File"
    QString Message;       // the error to show the user; empty when there is none

private:
    void ClearInfo();
    void ShowMp3Info();
    void ShowWaveInfo();
};

// True when the last name of the path ends in ".mp3", in any case.
bool hasMp3Extension(const QString& fileName);

// Seconds with one decimal in the pattern ".0" (no leading zero below one second), halves to
// even, with the locale's decimal separator.
QString formatSecondsTenths(double seconds);

// Whole seconds as "h:nn:ss".
QString formatHoursMinutesSeconds(double seconds);

} // namespace audio
