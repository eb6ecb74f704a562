// The WAV reader and the decoder of every coding take any file from the call
// folder or a user's greeting; the wave buffer deserialiser takes whatever
// bytes it is given.
#include "audio/Cacm.h"
#include "audio/Wave.h"
#include "audio/WaveDecoder.h"
#include "audio/WaveFile.h"

#include <cstdint>
#include <cstdio>
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
    std::remove(path.c_str());

    CWave wave;
    wave.Deserialize(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
