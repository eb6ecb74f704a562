#include "engine/NotInService.h"

#include "engine/ProgramFile.h"
#include "speech/Speech.h"
#include "speech/SpeechPhrases.h"

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
    const SpeechPhrases& phrases = UserPhrases();
    const std::string spokenPath =
        ProgramFile(std::string("wave/notinservice-") + phrases.language + ".wav");
    std::error_code ec;
    if (std::filesystem::exists(spokenPath, ec))
        return spokenPath;
    std::vector<int16_t> sound = SpecialInformationTones();
    const SpokenText spoken = Speak(phrases.notInService, phrases.language);
    std::string why = spoken.sError;
    if (why.empty()) {
        sound.resize(sound.size() + kSpeechLineRate / 4); // a pause after the tones
        sound.insert(sound.end(), spoken.samples.begin(), spoken.samples.end());
        if (WriteLineWave(spokenPath, sound, &why))
            return spokenPath;
    }
    // The tones alone, which are never spoken.
    const std::string tonesPath = ProgramFile("wave/notinservice.wav");
    std::string tonesWhy;
    if (!std::filesystem::exists(tonesPath, ec) &&
        !WriteLineWave(tonesPath, SpecialInformationTones(), &tonesWhy)) {
        if (error)
            *error = "the not-in-service tones cannot be written: " + tonesWhy;
        return "";
    }
    if (error)
        *error = "the not-in-service announcement is not spoken, only its tones: " + why;
    return tonesPath;
}
