// The WAV reader and the decoder of every coding take any file from the call
// folder or a user's greeting, as does the web page's player (each file
// served as PCM, read through in pieces and at a few places).
#include "audio/Cacm.h"
#include "audio/WaveDecoder.h"
#include "audio/WaveFile.h"
#include "web/MediaSource.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("vorella-fuzz-" + std::to_string(::getpid()) + ".wav"))
                                        .string();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    CWaveFile wav;
    if (wav.Open(path)) {
        (void)wav.SampleCount();
        int16_t s;
        uint8_t b[256];
        for (int i = 0; i < 100000 && wav.ReadSample(s); ++i) {
        }
        while (wav.ReadData(b, sizeof b) > 0) {
        }
    }
    wav.CloseRead();
    std::vector<int16_t> samples;
    WaveFormat format;
    std::string error;
    ReadWaveSamples(path, samples, format, error, 1u << 20);
    DecodedWave decoded;
    DecodeWaveFile(path, decoded, &error, 1u << 20);
    if (auto source = CMediaSource::Open(path, &error); source && source->Size() < (8u << 20)) {
        std::vector<uint8_t> piece(5000);
        for (uint64_t at : {uint64_t{0}, uint64_t{43}, source->Size() / 3, source->Size() - 1}) {
            for (int i = 0; i < 2000 && at < source->Size(); ++i) {
                const auto n = source->Read(at, piece.data(), piece.size());
                if (n && (*n == 0 || *n > piece.size()))
                    std::abort(); // no progress, or more than asked
                at += n.value_or(source->Size());
            }
        }
    }
    std::remove(path.c_str());
    return 0;
}
