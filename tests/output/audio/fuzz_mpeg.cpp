// libFuzzer target: the MPEG audio frame scanner and both ID3 tag readers on one file.
#include "output/audio/id3.h"
#include "output/audio/mpegaudio.h"
#include "support/fuzzing.h"

using namespace audio;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzing::start(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString file = fuzzing::input(QStringLiteral("in.mp3"), data, size);
    TMPEGaudio mpeg;
    if (mpeg.ReadFromFile(file) && mpeg.Valid()) {
        (void)mpeg.BitRate();
        (void)mpeg.Frames();
        (void)mpeg.Duration();
        (void)mpeg.EncoderID();
    }
    TID3v1 v1;
    v1.ReadFromFile(file);
    TID3v2 v2;
    v2.ReadFromFile(file);
    return 0;
}
