// Speech for the line: the phrase tables' words, espeak's sound at the
// line's rate with speech's level and length and without aliasing, and the
// fallback to English.
#include "speech/Speech.h"
#include "AudioTestUtil.h"
#include "HostPort.h"
#include "audio/AudioLog.h"
#include "speech/Announcement.h"
#include "speech/SpeechPhrases.h"

#include <gtest/gtest.h>

namespace {

// The sound's spectrum at hz over the whole signal, scaled so that the same
// sound sampled at another rate has the same.
double Power(const std::vector<int16_t>& s, double rate, double hz) {
    const double scale = static_cast<double>(s.size()) * Rms(s) / rate;
    return ToneShare(s.data(), s.size(), static_cast<int>(rate), hz) * scale * scale / 2;
}

// What the line's sound has in 2000..3400 Hz beyond the original there, as a
// share of the original: sound folded down from above 4 kHz (where speech is
// weakest, folding shows most).
double AliasShare(const std::vector<int16_t>& original, double rate,
                  const std::vector<int16_t>& line) {
    double extra = 0, total = 0;
    for (double hz = 2000; hz < 3400; hz += 20) {
        const double want = Power(original, rate, hz);
        extra += std::max(0.0, Power(line, kSpeechLineRate, hz) - want);
        total += want;
    }
    return extra / total;
}

} // namespace

TEST(SpeechPhrases, EachLanguageSaysNumbersDatesAndCallersAsPeopleDo) {
    const auto monday = [](int hour, int minute) {
        std::tm t{};
        t.tm_wday = 1, t.tm_mon = 2, t.tm_mday = 12, t.tm_hour = hour, t.tm_min = minute;
        return t;
    };
    struct Case {
        const char* language;
        std::string got;
        const char* want;
    };
    const SpeechPhrases& en = PhrasesFor("en_GB");
    const SpeechPhrases& de = PhrasesFor("de-AT");
    // The caller said on the sound card, with the shipped words.
    const auto announce = [&](void (*change)(AnnounceSettings&), const char* name,
                              const char* number) {
        AnnounceSettings s{true,        true,
                           true,        true,
                           false,       true,
                           1,           "Incoming call:",
                           "Caller is", "Telephone number is"};
        change(s);
        return CallerAnnouncementText(s, en, name, number);
    };
    const Case cases[] = {
        {"en", announce([](AnnounceSettings&) {}, "Anna", "0301"),
         "Incoming call: Caller is Anna Telephone number is zero three zero one"},
        {"en", announce([](AnnounceSettings& s) { s.bOnlyName = true; }, "Anna", "0301"),
         "Incoming call: Caller is Anna"},
        {"en", announce([](AnnounceSettings& s) { s.bOnlyName = true; }, "P", "0301"),
         "Incoming call: Telephone number is zero three zero one"},
        {"en", announce([](AnnounceSettings&) {}, "", "NA"),
         "Incoming call: Telephone number is N A"},
        {"en", announce([](AnnounceSettings& s) { s.bSpellNA = false; }, "O", "O"), ""},
        {"en", announce([](AnnounceSettings& s) { s.bIncoming = s.bName = false; }, "Anna", "+49"),
         "Telephone number is plus four nine"},
        {"en", SpokenNumber(en, "+49 (30) 123-4*#"),
         "plus four nine three zero one two three four star hash"},
        {"de", SpokenNumber(de, "0815"), "null acht eins fünf"},
        {"en", SpokenDateTime(en, monday(15, 15)), "Monday, March 12, at 3 15 PM"},
        {"en", SpokenDateTime(en, monday(0, 5)), "Monday, March 12, at 12 oh 5 AM"},
        {"en", SpokenDateTime(en, monday(15, 0)), "Monday, March 12, at 3 PM"},
        {"de", SpokenDateTime(de, monday(15, 15)), "Montag, 12. März, um 15 Uhr 15"},
        {"de", SpokenDateTime(de, monday(15, 0)), "Montag, 12. März, um 15 Uhr"},
        {"en", SpokenNewMessages(en, 0), "You have no new messages"},
        {"en", SpokenNewMessages(en, 1), "You have one new message"},
        {"de", SpokenNewMessages(de, 12), "Sie haben 12 neue Nachrichten"},
        {"en", SpokenCaller(en, "Anna", "0301"), "from Anna"},
        {"de", SpokenCaller(de, "", "+4930"), "von plus vier neun drei null"},
        {"en", SpokenCaller(en, "", "Private"), "from an unknown caller"},
        {"en", SpokenMessage(en, 2, "", "0301", monday(15, 0)),
         "Message 2, from zero three zero one, Monday, March 12, at 3 PM"},
        {"de", SpokenMessage(de, 1, "Anna", "0301", monday(15, 15)),
         "Nachricht 1, von Anna, Montag, 12. März, um 15 Uhr 15"},
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
        EXPECT_GT(AliasShare(native.samples, native.rate, decimated), 0.1) << alias;
    }
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
