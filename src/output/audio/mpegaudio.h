#pragma once
// The MPEG audio frame scanner: reads an MP3 file's tags and its first audio frame and derives
// version, layer, bit rate, sample rate, channel mode, emphasis, frame count, duration, a guess
// of the encoder and whether the file is usable at all.
#include "output/audio/id3.h"

#include <QString>
#include <array>
#include <cstdint>

namespace audio {

// The first audio frame found. Position is the frame's index in the window it was found in: the
// first window starts at the end of the ID3v2 tag (so a frame right after the tag is at 0), the
// second in the middle of the audio. Frames and duration count from the tag's end less Position.
struct MpegFrame {
    bool Found = false;
    std::int64_t Position = 0;
    int Size = 0;               // frame length in bytes
    bool Xing = false;          // the six bytes after the header are all zero
    std::array<std::uint8_t, 4> Data{};
    int VersionID = 1;          // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
    int LayerID = 0;            // 0 reserved, 1 Layer III, 2 Layer II, 3 Layer I
    bool ProtectionBit = false; // a CRC follows the header
    int BitRateID = 0;
    int SampleRateID = 3;
    bool PaddingBit = false;
    bool PrivateBit = false;
    int ModeID = 4;             // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono, 4 unknown
    int ModeExtensionID = 4;
    bool CopyrightBit = false;
    bool OriginalBit = false;
    int EmphasisID = 2;
};

// The header a VBR encoder writes into the first frame ("Xing" or "VBRI").
struct VbrData {
    bool Found = false;
    QString ID;                 // "Xing" or "VBRI"
    std::uint32_t Frames = 0;
    std::uint32_t Bytes = 0;
    std::uint8_t Scale = 0;
    QString VendorID;           // 8 characters
};

enum MpegVersionId { MpegVersion25 = 0, MpegVersionReserved = 1, MpegVersion2 = 2, MpegVersion1 = 3 };
enum MpegLayerId { MpegLayerReserved = 0, MpegLayer3 = 1, MpegLayer2 = 2, MpegLayer1 = 3 };
enum MpegEncoderId {
    EncoderUnknown = 0, EncoderXing = 1, EncoderFhG = 2, EncoderLAME = 3, EncoderBlade = 4,
    EncoderGoGo = 5, EncoderShine = 6
};

class TMPEGaudio {
public:
    TMPEGaudio() { ResetData(); }

    void ResetData();
    // True when the file was read (a file without any frame is read too, but is not Valid).
    // False when a tag or the frame windows could not be read; the reset state is kept then.
    bool ReadFromFile(const QString& fileName);

    // Bytes searched for a pair of frame headers in each window, and the window's size.
    static constexpr int SearchPositions = 1730;
    static constexpr int WindowSize = 3458;

    std::int64_t FileLength() const { return fileLength_; }
    bool WaveHeader() const { return waveHeader_; }
    const MpegFrame& Frame() const { return frame_; }
    const VbrData& VBR() const { return vbr_; }
    const TID3v1& ID3v1() const { return id3v1_; }
    const TID3v2& ID3v2() const { return id3v2_; }

    QString Version() const;     // "MPEG 1", "MPEG 2", "MPEG 2.5", "MPEG ?"
    QString Layer() const;       // "Layer I", "Layer II", "Layer III", "Layer ?"
    int BitRate() const;         // kbit/s; the average of a VBR file
    int SampleRate() const;      // Hz
    QString ChannelMode() const; // "Stereo", "Joint Stereo", "Dual Channel", "Mono", "Unknown"
    QString Emphasis() const;    // "None", "50/15 ms", "Unknown", "CCIT J.17"
    std::int64_t Frames() const;
    double Duration() const;     // seconds
    int EncoderID() const;
    QString Encoder() const;
    bool Valid() const;

    std::int64_t FirstFrame() const { return frame_.Position; }
    bool Protection() const { return frame_.ProtectionBit; }
    bool Copyright() const { return frame_.CopyrightBit; }
    bool Original() const { return frame_.OriginalBit; }

private:
    int tableBitRate() const;
    int samplesPerFrame() const;
    bool acceptFrame(const QByteArray& window, int p);
    std::int64_t audioBytes() const; // the file length less the ID3v2 tag and the first-frame position

    std::int64_t fileLength_ = 0;
    bool waveHeader_ = false;
    VbrData vbr_;
    MpegFrame frame_;
    TID3v1 id3v1_;
    TID3v2 id3v2_;
};

} // namespace audio
