#include "speech/Speech.h"

#include "audio/AudioLog.h"
#include "audio/RateConverter.h"
#include "audio/WaveFile.h"
#include "audio/WaveFormat.h"

#include <espeak-ng/espeak_ng.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

namespace {

constexpr int kWordsPerMinute = 150; // slower than espeak's own 175: a telephone
constexpr const char* kFallbackLanguage = "en";

// espeak's state: every use under this lock.
std::mutex g_mutex;
bool g_bInitTried = false;
std::string g_sInitError;
uint32_t g_nRate = 0;
std::string g_sVoice;                 // the voice set last
std::set<std::string> g_fallbackTold; // languages said to have no voice
std::set<std::string> g_languages;    // every language a voice speaks

std::string StatusText(espeak_ng_STATUS status) {
    char text[256] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return text;
}

int Collect(short* wav, int count, espeak_EVENT* events) {
    auto* out = events ? static_cast<std::vector<int16_t>*>(events->user_data) : nullptr;
    if (wav && count > 0 && out)
        out->insert(out->end(), wav, wav + count);
    return 0;
}

// "de_AT" -> "de-at".
std::string Normalised(const std::string& language) {
    std::string s;
    for (char c : language) {
        if (c == '.' || c == '@')
            break; // "de_DE.UTF-8"
        s += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

void ListLanguages() {
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
        // A list of (priority byte, name, zero byte), ended by a zero byte.
        for (const char* p = (*v)->languages; p && *p; p += std::strlen(p + 1) + 2)
            g_languages.insert(p + 1);
    }
}

bool InitLocked() {
    if (g_bInitTried)
        return g_sInitError.empty();
    g_bInitTried = true;
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status == ENS_OK)
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
    if (status != ENS_OK) {
        g_sInitError = "speech cannot start: espeak-ng: " + StatusText(status);
        AudioError(g_sInitError);
        return false;
    }
    espeak_SetSynthCallback(Collect);
    espeak_ng_SetParameter(espeakRATE, kWordsPerMinute, 0);
    g_nRate = static_cast<uint32_t>(espeak_ng_GetSampleRate());
    ListLanguages();
    return true;
}

// The language espeak has a voice for: the whole name, its first part, or
// English.
std::string VoiceFor(const std::string& language) {
    const std::string full = Normalised(language);
    const std::string base = full.substr(0, full.find('-'));
    for (const std::string& candidate : {full, base})
        if (!candidate.empty() && g_languages.contains(candidate))
            return candidate;
    if (g_fallbackTold.insert(full).second)
        AudioError("speech: no voice for the language \"" + language + "\"; English is spoken");
    return kFallbackLanguage;
}

bool SetVoiceLocked(const std::string& voice, std::string& error) {
    if (voice == g_sVoice)
        return true;
    if (const espeak_ng_STATUS s = espeak_ng_SetVoiceByName(voice.c_str()); s != ENS_OK) {
        error = "speech: the voice \"" + voice + "\" cannot be loaded: " + StatusText(s);
        g_sVoice.clear();
        return false;
    }
    g_sVoice = voice;
    return true;
}

} // namespace

SpokenText SynthesizeSpeech(const std::string& text, const std::string& language) {
    SpokenText out;
    std::lock_guard lock(g_mutex);
    if (!InitLocked()) {
        out.sError = g_sInitError;
        return out;
    }
    out.sVoice = VoiceFor(language);
    if (!SetVoiceLocked(out.sVoice, out.sError)) {
        AudioError(out.sError);
        if (out.sVoice == kFallbackLanguage || !SetVoiceLocked(kFallbackLanguage, out.sError))
            return out;
        out.sVoice = kFallbackLanguage;
        out.sError.clear();
    }
    const espeak_ng_STATUS s = espeak_ng_Synthesize(text.c_str(), text.size() + 1, 0, POS_CHARACTER,
                                                    0, espeakCHARS_UTF8, nullptr, &out.samples);
    if (s != ENS_OK) {
        out.samples.clear();
        out.sError = "speech: espeak-ng cannot speak the text: " + StatusText(s);
        return out;
    }
    out.rate = g_nRate;
    return out;
}

std::vector<int16_t> ToLineRate(const std::vector<int16_t>& samples, uint32_t rate) {
    if (rate == kSpeechLineRate)
        return samples;
    CRateConverter converter(rate, kSpeechLineRate);
    std::vector<int16_t> out;
    out.reserve(samples.size() * kSpeechLineRate / rate + 64);
    converter.Process(samples.data(), samples.size(), out);
    // The filter holds the last few milliseconds back: silence pushes them out.
    const std::vector<int16_t> tail(rate / 20, 0);
    converter.Process(tail.data(), tail.size(), out);
    return out;
}

SpokenText Speak(const std::string& text, const std::string& language) {
    SpokenText spoken = SynthesizeSpeech(text, language);
    if (spoken.sError.empty()) {
        spoken.samples = ToLineRate(spoken.samples, spoken.rate);
        spoken.rate = kSpeechLineRate;
    }
    return spoken;
}

bool WriteLineWave(const std::string& path, const std::vector<int16_t>& samples,
                   std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    CWaveFile wave;
    if (wave.Create(path, PcmFormat(kSpeechLineRate)) == 1 &&
        wave.WriteSamples(samples.data(), samples.size()) && wave.CloseWrite())
        return true;
    if (error)
        *error = "cannot write " + path + ": " + wave.LastError();
    std::filesystem::remove(path, ec);
    return false;
}

bool SpeakToWaveFile(const std::string& text, const std::string& language, const std::string& path,
                     std::string* error) {
    const SpokenText spoken = Speak(text, language);
    if (!spoken.sError.empty()) {
        if (error)
            *error = spoken.sError;
        return false;
    }
    return WriteLineWave(path, spoken.samples, error);
}
