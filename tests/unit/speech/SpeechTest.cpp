// Speech for the line: the phrase tables' words, espeak's sound at the
// line's rate with speech's level and length and without aliasing, and the
// fallback to English.
#include "TempHome.h"
#include "audio/AudioLog.h"
#include "audio/WaveFile.h"
#include "speech/Speech.h"
#include "speech/SpeechPhrases.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

// Energy (per second of sound) in each 100 Hz band from 0 to 3400 Hz, by an
// FFT of the whole signal padded to a power of two.
std::vector<double> BandEnergies(const std::vector<int16_t>& s, double rate) {
    size_t n = 1;
    while (n < s.size())
        n *= 2;
    std::vector<std::complex<double>> x(n);
    for (size_t i = 0; i < s.size(); ++i)
        x[i] = s[i];
    for (size_t i = 1, j = 0; i < n; ++i) { // bit reversal, then butterflies
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len *= 2) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto a = x[i + k], b = x[i + k + len / 2] * wk;
                x[i + k] = a + b;
                x[i + k + len / 2] = a - b;
            }
        }
    }
    std::vector<double> bands(34, 0.0);
    for (size_t k = 1; k < n / 2; ++k)
        if (const size_t b = static_cast<size_t>(static_cast<double>(k) * rate / n / 100);
            b < bands.size())
            bands[b] += 2 * std::norm(x[k]) / (static_cast<double>(n) * rate);
    return bands;
}

// Energy the line's sound has in 2000..3400 Hz beyond what the original has
// there, as a share of the original's: sound folded down from above 4 kHz
// (where speech is weakest, folding shows most).
double AliasShare(const std::vector<int16_t>& original, double rate,
                  const std::vector<int16_t>& line) {
    const std::vector<double> want = BandEnergies(original, rate);
    const std::vector<double> got = BandEnergies(line, kSpeechLineRate);
    double extra = 0, total = 0;
    for (size_t b = 20; b < want.size(); ++b) {
        extra += std::max(0.0, got[b] - want[b]);
        total += want[b];
    }
    return extra / total;
}

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / static_cast<double>(s.size()));
}

} // namespace

TEST(SpeechPhrases, EachLanguageSaysNumbersDatesAndCallersAsPeopleDo) {
    std::tm monday{};
    monday.tm_wday = 1, monday.tm_mon = 2, monday.tm_mday = 12, monday.tm_hour = 15;
    monday.tm_min = 15;
    std::tm early = monday;
    early.tm_hour = 0, early.tm_min = 5;
    std::tm onTheHour = monday;
    onTheHour.tm_min = 0;
    struct Case {
        const char* language;
        std::string got;
        const char* want;
    };
    const SpeechPhrases& en = PhrasesFor("en_GB");
    const SpeechPhrases& de = PhrasesFor("de-AT");
    const Case cases[] = {
        {"en", SpokenNumber(en, "+49 (30) 123-4*#"),
         "plus four nine three zero one two three four star hash"},
        {"de", SpokenNumber(de, "0815"), "null acht eins fünf"},
        {"en", SpokenDateTime(en, monday), "Monday, March 12, at 3 15 PM"},
        {"en", SpokenDateTime(en, early), "Monday, March 12, at 12 oh 5 AM"},
        {"en", SpokenDateTime(en, onTheHour), "Monday, March 12, at 3 PM"},
        {"de", SpokenDateTime(de, monday), "Montag, 12. März, um 15 Uhr 15"},
        {"de", SpokenDateTime(de, onTheHour), "Montag, 12. März, um 15 Uhr"},
        {"en", SpokenNewMessages(en, 0), "You have no new messages"},
        {"en", SpokenNewMessages(en, 1), "You have one new message"},
        {"de", SpokenNewMessages(de, 12), "Sie haben 12 neue Nachrichten"},
        {"en", SpokenCaller(en, "Anna", "0301"), "from Anna"},
        {"de", SpokenCaller(de, "", "+4930"), "von plus vier neun drei null"},
        {"en", SpokenCaller(en, "", "Private"), "from an unknown caller"},
        {"fr", SpokenNewMessages(PhrasesFor("fr_FR"), 2), "You have 2 new messages"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.language;
}

TEST(Speech, PhrasesAreSpokenAtTheLineRateWithoutAliasing) {
    struct Case {
        const char* language;
        const char* text;
        size_t words;
    };
    for (const Case& c : {Case{"en", "You have six new messages, from Sissy", 7},
                          Case{"de_DE", "Sie haben sechs neue Nachrichten", 5}}) {
        SCOPED_TRACE(c.language);
        const SpokenText native = SynthesizeSpeech(c.text, c.language);
        ASSERT_EQ(native.sError, "");
        EXPECT_EQ(native.sVoice, std::string(c.language).substr(0, 2));
        const std::vector<int16_t> line = ToLineRate(native.samples, native.rate);
        const double seconds = static_cast<double>(line.size()) / kSpeechLineRate;
        EXPECT_GT(seconds, 0.15 * static_cast<double>(c.words));
        EXPECT_LT(seconds, 0.8 * static_cast<double>(c.words));
        EXPECT_GT(Rms(line), 300);
        // A plain decimation of the same sound, for comparison.
        std::vector<int16_t> decimated;
        for (double at = 0; at < static_cast<double>(native.samples.size());
             at += static_cast<double>(native.rate) / kSpeechLineRate)
            decimated.push_back(native.samples[static_cast<size_t>(at)]);
        const double alias = AliasShare(native.samples, native.rate, line);
        EXPECT_LT(alias, 0.01);
        EXPECT_GT(AliasShare(native.samples, native.rate, decimated), 0.05) << alias;
    }
    // The same phrase as the line's WAV file.
    TempHome home;
    const std::string path = home.File("phrase.wav");
    std::string why;
    ASSERT_TRUE(SpeakToWaveFile("one two three", "en", path, &why)) << why;
    CWaveFile wave;
    ASSERT_EQ(wave.Open(path), 1);
    EXPECT_EQ(wave.Format().nSamplesPerSec, kSpeechLineRate);
    EXPECT_GT(wave.SampleCount(), kSpeechLineRate / 2);
}

TEST(Speech, ALanguageWithoutAVoiceIsSpokenInEnglishAndToldOnce) {
    std::vector<std::string> told;
    SetAudioLogSink([&](const std::string& line, AudioLogKind) { told.push_back(line); });
    for (int i = 0; i < 2; ++i) {
        const SpokenText spoken = Speak("hello", "qq_QQ");
        EXPECT_EQ(spoken.sVoice, "en");
        EXPECT_FALSE(spoken.samples.empty());
    }
    SetAudioLogSink({});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("no voice for the language \"qq_QQ\""), std::string::npos);
}
