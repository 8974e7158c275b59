// libFuzzer target: the RIFF/WAVE reader, its PCM reader (libsndfile behind other encodings)
// and the analysis of a WAV file.
#include "output/audio/audioinfo.h"
#include "output/audio/wavestream.h"
#include "support/fuzzing.h"

#include <vector>

using audio::AudioFileAnalyser;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzing::start(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString file = fuzzing::input(QStringLiteral("in.wav"), data, size);
    try {
        TFileWaveStream stream(file);
        TPCMWaveReader reader(&stream);
        const int block = reader.format().blockAlign;
        if (block > 0 && block <= 64) {
            // Samples from the start and from near the end, as the soundtrack and the waveform read them.
            std::vector<char> buffer(std::size_t(block) * 512);
            reader.read(buffer.data(), 512);
            if (reader.sampleCount() > 600) {
                reader.setPosition(reader.sampleCount() - 100);
                reader.read(buffer.data(), 512);
            }
        }
    } catch (const EWaveError&) {
    }
    AudioFileAnalyser analyser;
    analyser.FileName = file;
    analyser.AnalyseFile();
    return 0;
}
