// The answering machine as shipped: the default greeting from the program
// folder's wave/, sent to a modem speaking ZyXEL ADPCM, reaches the line
// whole and at the level it was made at, and then the caller's message is
// taken at the caller's own level. A caller on the enhanced hold hears the
// shipped hold sound on every shipped modem profile.
#include "EngineStory.h"

#include "config/VoiceFormat.h"
#include "platform/ProfileFile.h"

#include <algorithm>

namespace {

// Normalised correlation of two signals at the best lag within maxLag.
double Similarity(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int maxLag) {
    double best = 0;
    for (int lag = 0; lag <= maxLag; ++lag) {
        size_t n = std::min(a.size(), b.size() > size_t(lag) ? b.size() - size_t(lag) : 0);
        double ab = 0, aa = 0, bb = 0;
        for (size_t i = 0; i < n; ++i) {
            double x = a[i], y = b[i + size_t(lag)];
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        if (aa > 0 && bb > 0)
            best = std::max(best, ab / std::sqrt(aa * bb));
    }
    return best;
}

double Dbfs(double rms) {
    return 20 * std::log10(std::max(rms, 1e-9) / 32768);
}

} // namespace

TEST_F(EngineStory, TheShippedGreetingReachesAZyxelLineAtItsOwnLevelBeforeTheMessage) {
    home.CopyShipped("wave/greet.wav");
    ASSERT_EQ(phone->sWaveGreet, "./wave/greet.wav"); // the default names it
    const std::vector<int16_t> shipped = Samples(home.File("wave/greet.wav"));
    ASSERT_GT(shipped.size(), 8000u * 3);

    CModemProfile& profile = phone->Profile();
    profile.nCompression = 41;
    profile.nCompressionBS = 4;
    sim->SetVoiceFormat({41, 8000, 4});
    phone->nAction = 1; // away: the machine answers
    phone->nRings = 2;
    const int callerLevel = 8000;
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 3000, callerLevel));
    StartWorker();
    sim->Ring(3, modemsim::RingCadence{400, 60});

    ASSERT_TRUE(sim->WaitForTransmitEnd(60000));
    std::vector<int16_t> heard = sim->TransmittedSamples();
    // All of it, and it is the greeting (ADPCM at 4 bits keeps it close).
    EXPECT_NEAR(double(heard.size()), double(shipped.size()), 800.0);
    EXPECT_GT(Similarity(shipped, heard, 4), 0.9);
    // Neither faint nor loud: its own level, which is a sensible one for a
    // line, and nothing clipped on the way.
    const double heardDb = Dbfs(Rms(heard));
    EXPECT_NEAR(heardDb, Dbfs(Rms(shipped)), 1.0);
    EXPECT_GT(heardDb, -24.0);
    EXPECT_LT(heardDb, -15.0);
    size_t clipped = 0;
    for (int16_t v : heard)
        clipped += v >= 32764 || v <= -32768;
    EXPECT_EQ(clipped, 0u);

    // Then the message, as the caller said it.
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    sim->FarEndHangsUp(2000, 'b');
    ASSERT_TRUE(sim->WaitForReceiveEnd(60000));
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !sim->IsOffHook(); }));
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_bMessage, 1);
    std::vector<int16_t> msg = Samples(CallFolder() + rec.m_sFile);
    ASSERT_GE(msg.size(), 12000u);
    std::vector<int16_t> voice(msg.begin() + 2000, msg.begin() + 12000);
    EXPECT_GT(ToneShare(voice, 1000, 8000), 0.9);
    EXPECT_NEAR(Rms(voice), callerLevel / std::sqrt(2.0), 0.1 * callerLevel);
}

// ---- the hold sound on every shipped profile ---------------------------------

namespace {

std::vector<std::string> ShippedProfiles() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(ShippedDataFolder() + "cfg"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

struct HoldCase {
    std::string profile; // cfg/NAME
    bool bModemForm;     // the build's dev/hold for the format is there (else only wave/hold.wav)
};

class ShippedHold : public EngineStory, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(ShippedHold, AHeldCallerHearsTheHoldSound) {
    const HoldCase& c = GetParam();
    const std::string cfg = ShippedDataFolder() + "cfg/" + c.profile;
    CModemProfile& profile = phone->Profile();
    profile.nCompression = GetProfileIntFrom(cfg, "Options", "nCompression", -1);
    profile.nCompressionBS = GetProfileIntFrom(cfg, "Options", "nCompressionBS", -1);
    profile.nCompressionSampleRate =
        GetProfileIntFrom(cfg, "Options", "nCompressionSampleRate", -1);
    sim->SetVoiceFormat(
        {profile.nCompression, profile.nCompressionSampleRate, profile.nCompressionBS});
    ASSERT_EQ(phone->sWaveCompressedHold, "./dev/hold"); // the default names it
    if (c.bModemForm) {
        // Only the modem's own form: what is heard is that file.
        home.CopyShipped(VoiceDataFile("dev/hold", profile.nCompression, profile.nCompressionBS,
                                       profile.nCompressionSampleRate));
    } else {
        home.CopyShipped("wave/hold.wav");
    }
    std::vector<int16_t> music = Samples(SourceFile("data/wave/hold.wav"));
    ASSERT_GT(music.size(), 8000u * 2);
    StartWorker();
    Request(kActionEnhancedHold);
    const size_t rate = static_cast<size_t>(profile.nCompressionSampleRate);
    ASSERT_TRUE(WaitFor([&] { return sim->TransmittedSamples().size() >= 2 * rate; }, 60000));
    State().bHold = false;
    phone->ModemDriver()->SetStopRequest(true);
    ASSERT_TRUE(WaitFor([&] { return !phone->m_bEnhancedHold.load(); }));

    // Two seconds of the music, at about the level it was made at: not
    // silence, not noise of the wrong format.
    std::vector<int16_t> heard = sim->TransmittedSamples();
    heard.resize(2 * rate);
    music.resize(2 * 8000);
    EXPECT_NEAR(Dbfs(Rms(heard)), Dbfs(Rms(music)), 3.0);
}

namespace {

std::vector<HoldCase> HoldCases() {
    std::vector<HoldCase> cases;
    for (const std::string& p : ShippedProfiles())
        cases.push_back({p, true});
    cases.push_back({"rockwell-adpcm.cfg", false}); // the music through the codec
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Profiles, ShippedHold, ::testing::ValuesIn(HoldCases()),
                         [](const auto& i) {
                             std::string n = i.param.profile.substr(0, i.param.profile.find('.'));
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n + (i.param.bModemForm ? "" : "_music_through_the_codec");
                         });
