#include "engine/Challenge.h"

#include "engine/ProgramFile.h"
#include "speech/Speech.h"
#include "speech/SpeechPhrases.h"

#include <filesystem>
#include <mutex>
#include <random>

namespace {
std::mutex g_sourceMutex;
std::function<int()> g_source; // under g_sourceMutex
} // namespace

int ChallengeDigit() {
    {
        std::lock_guard lock(g_sourceMutex);
        if (g_source)
            return g_source() % 10;
    }
    std::random_device device;
    return static_cast<int>(std::uniform_int_distribution<unsigned>(0, 9)(device));
}

void SetChallengeDigitSource(std::function<int()> source) {
    std::lock_guard lock(g_sourceMutex);
    g_source = std::move(source);
}

std::string ChallengeFile(int digit, std::string* error) {
    const SpeechPhrases& phrases = UserPhrases();
    const std::string path = ProgramFile(std::string("wave/challenge-") + phrases.language + "-" +
                                         std::to_string(digit) + ".wav");
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        return path;
    SpokenText spoken = Speak(SpokenChallenge(phrases, digit), phrases.language);
    std::string why = spoken.sError;
    // The play waits for the key: silence after the prompt.
    spoken.samples.resize(spoken.samples.size() + kSpeechLineRate * kChallengeWaitMs / 1000);
    if (why.empty() && WriteLineWave(path, spoken.samples, &why))
        return path;
    if (error)
        *error = "the challenge cannot be spoken: " + why;
    return "";
}
