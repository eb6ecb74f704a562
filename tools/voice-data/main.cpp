// vorella-voice-data IN.wav STEM PROFILE.cfg...: codes a sound ahead of time
// in the voice format of each modem profile given (nCompression,
// nCompressionBS, nCompressionSampleRate), one file for each format, named
// as VoiceDataFile names it (STEM.ID-BITS-RATE). The build makes the enhanced
// hold's sound "dev/hold" so from wave/hold.wav for the shipped profiles.
#include "audio/Cacm.h"
#include "audio/Resample.h"
#include "audio/VoiceCodec.h"
#include "config/VoiceFormat.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: vorella-voice-data IN.wav STEM PROFILE.cfg...\n");
        return 2;
    }
    std::vector<int16_t> samples;
    WaveFormat format;
    std::string error;
    if (!ReadWaveSamples(argv[1], samples, format, error)) {
        std::fprintf(stderr, "vorella-voice-data: %s\n", error.c_str());
        return 1;
    }
    const std::string stem = argv[2];
    std::set<std::string> made;
    for (int i = 3; i < argc; ++i) {
        VoiceCodecSettings s;
        s.nCompression = GetProfileIntFrom(argv[i], "Options", "nCompression", 4);
        s.nCompressionBS = GetProfileIntFrom(argv[i], "Options", "nCompressionBS", 4);
        s.nCompressionSampleRate =
            GetProfileIntFrom(argv[i], "Options", "nCompressionSampleRate", 7200);
        s.bSoftAGC = false; // the sound's own level
        const std::string file =
            VoiceDataFile(stem, s.nCompression, s.nCompressionBS, s.nCompressionSampleRate);
        if (!made.insert(file).second)
            continue; // another profile speaks the same format
        CVoiceCodec codec;
        if (!FindVoiceFormat(s.nCompression) || s.nCompressionSampleRate < 1000 ||
            s.nCompressionSampleRate > 96000 || !OpenVoiceCodec(codec, s.nCompression, s)) {
            std::fprintf(stderr, "vorella-voice-data: %s: no voice format to code\n", argv[i]);
            return 1;
        }
        const std::vector<int16_t> in = Resample(samples, format.nSamplesPerSec,
                                                 static_cast<uint32_t>(s.nCompressionSampleRate));
        std::string out(codec.EncodedBound(in.size()), '\0');
        out.resize(EncodeVoiceBlock(codec, in.data(), in.size(),
                                    reinterpret_cast<uint8_t*>(out.data()), out.size()));
        if (!WriteFileAtomic(file, out)) {
            std::fprintf(stderr, "vorella-voice-data: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
