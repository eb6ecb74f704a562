#include "engine/NotInService.h"

#include "audio/WaveFile.h"
#include "audio/WaveFormat.h"
#include "engine/ProgramFile.h"

#include <cmath>
#include <filesystem>

std::vector<int16_t> SpecialInformationTones(int rate) {
    struct Tone {
        double hz;
        int ms;
    };
    constexpr Tone kTones[] = {{913.8, 380}, {1370.6, 274}, {1776.7, 380}};
    constexpr double kAmplitude = 8000;
    std::vector<int16_t> out;
    for (const Tone& t : kTones) {
        const size_t n = static_cast<size_t>(rate) * static_cast<size_t>(t.ms) / 1000;
        for (size_t i = 0; i < n; ++i)
            out.push_back(static_cast<int16_t>(
                kAmplitude * std::sin(2 * M_PI * t.hz * static_cast<double>(i) / rate)));
    }
    return out;
}

std::string NotInServiceFile(std::string* error) {
    const std::string path = ProgramFile("wave/notinservice.wav");
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        return path;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::vector<int16_t> tones = SpecialInformationTones();
    CWaveFile wave;
    if (wave.Create(path, PcmFormat(8000)) != 1 || !wave.WriteSamples(tones.data(), tones.size()) ||
        !wave.CloseWrite()) {
        std::filesystem::remove(path, ec);
        if (error)
            *error = "the not-in-service tones cannot be written to " + path;
        return "";
    }
    return path;
}
