// Voice in both directions against the simulated modem. The sound is judged
// against the source signal (its frequency and level), never against the
// output of our own code.
#include "AudioTestUtil.h"
#include "HostPort.h"
#include "SimFixture.h"

#include "modem/ModemSetup.h"
#include "platform/Strings.h"

#include <cmath>

extern "C" {
#include <gsm.h>
}

namespace {

using modemsim::SignalSource;

constexpr double kToneHz = 1234; // not a divisor of the rate: every sample value occurs

std::vector<int16_t> FromGsm(const std::vector<unsigned char>& bytes) {
    gsm g = gsm_create();
    std::vector<int16_t> out;
    for (size_t i = 0; i + 33 <= bytes.size(); i += 33) {
        gsm_signal pcm[160];
        gsm_byte frame[33];
        std::copy_n(bytes.begin() + static_cast<long>(i), 33, frame);
        if (gsm_decode(g, frame, pcm) == 0)
            out.insert(out.end(), pcm, pcm + 160);
    }
    gsm_destroy(g);
    return out;
}

class Voice : public SimModemTest {
protected:
    // The modem in voice mode with the given format, recording from source
    // or, with bTransmit, sending.
    modemsim::ModemSim& StartVoice(const std::string& personality, int id, int rate,
                                   const modemsim::SignalSource& source, bool bTransmit = false) {
        auto& sim = StartSim(personality, kPort, 0);
        sim.SetVoiceFormat({id, rate});
        sim.SetVoiceSource(source);
        OpenDriver();
        drv.Profile().nCompression = id;
        drv.Profile().nCompressionSampleRate = rate;
        drv.InitModem();
        drv.InitVoice();
        EXPECT_TRUE(drv.m_bVoiceMode);
        int r = drv.CommOut(bTransmit ? drv.Profile().sVoiceTransmitVoice
                                      : drv.Profile().sVoiceReceiveVoice,
                            kModeResult);
        EXPECT_TRUE(r == kResultVcon || r == kResultConnect || r == kResultOk) << r;
        return sim;
    }

    // Receives until want bytes or an event; returns the bytes.
    std::vector<unsigned char> Receive(size_t want, unsigned char* event, int block = 1000) {
        std::vector<unsigned char> got;
        std::vector<unsigned char> buf(static_cast<size_t>(block));
        *event = 0;
        for (int guard = 0; got.size() < want && guard < 1000; ++guard) {
            int n = drv.ReceiveVoice(buf.data(), block, 10000, true, event);
            got.insert(got.end(), buf.begin(), buf.begin() + n);
            if (*event || (n == 0 && drv.DeviceFailure()))
                break;
        }
        return got;
    }
};

TEST_F(Voice, ReceivedSoundIsTheCallersSound) {
    // A loud tone: 8-bit samples then take every value, DLE (0x10) included,
    // so the modem shields many bytes and we must unshield each one.
    auto& sim = StartVoice("hash", 8, 8000, SignalSource().Tone(kToneHz, 3000, 30000));
    unsigned char event = 0;
    auto bytes = Receive(8000, &event);
    ASSERT_GE(bytes.size(), 8000u);
    EXPECT_EQ(event, 0);
    EXPECT_GT(std::count(bytes.begin(), bytes.end(), 0x10), 10);
    auto samples = DecodeUnsigned8(std::string(bytes.begin(), bytes.end()));
    EXPECT_GT(ToneShare(samples.data(), samples.size(), 8000, kToneHz), 0.95);
    EXPECT_NEAR(Rms(samples), 30000 / std::sqrt(2.0), 2000);

    int r = drv.StopReceive();
    EXPECT_TRUE(r >= kResultOk && r <= kResultConnect) << r;
    EXPECT_TRUE(sim.WaitForReceiveEnd(10000));
}

TEST_F(Voice, TouchToneAndBusyCodesEndTheReceive) {
    auto& sim = StartVoice("hash", 8, 8000, SignalSource().Tone(kToneHz, 5000, 8000));
    sim.InjectEvent('5', 250);
    unsigned char event = 0;
    auto bytes = Receive(100000, &event, 512);
    EXPECT_EQ(event, '5');
    EXPECT_EQ(drv.m_nLastEvent, '5');
    // The sound before the key was delivered.
    EXPECT_GE(bytes.size(), 1000u);

    // An ignored busy tone does not end it, and forgets the last event.
    drv.Settings().bIgnoreBusy = true;
    sim.SendEventNow('b');
    sim.InjectEvent('#', 500);
    Receive(100000, &event, 512);
    EXPECT_EQ(event, '#');
    drv.Settings().bIgnoreBusy = false;
    sim.FarEndHangsUp(300, 'b');
    Receive(100000, &event, 512);
    EXPECT_EQ(event, 'b');
}

TEST_F(Voice, FramedGsmArrivesAsWholeFrames) {
    StartVoice("usr", 128, 8000, SignalSource().Tone(kToneHz, 5000, 8000));
    drv.Profile().nCompressionFrameGSM = 1;
    drv.Profile().nCompressionUnFrameGSM = 1;
    std::vector<unsigned char> all;
    unsigned char buf[33 * 20];
    unsigned char event = 0;
    for (int i = 0; i < 100 && all.size() < 33 * 50 * 2; ++i) {
        int n = drv.ReceiveVoice(buf, sizeof buf, 10000, true, &event);
        ASSERT_EQ(n % 33, 0) << "a part of a frame was delivered";
        all.insert(all.end(), buf, buf + n);
    }
    auto samples = FromGsm(all);
    ASSERT_GE(samples.size(), 16000u);
    // Frame markers left in the data, or a frame lost between two calls,
    // would break the tone.
    EXPECT_GT(ToneShare(samples.data(), samples.size(), 8000, kToneHz), 0.9);

    // A buffer that is no multiple of a frame still gets whole frames only.
    unsigned char odd[33 * 3 + 7];
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(drv.ReceiveVoice(odd, sizeof odd, 10000, true, &event) % 33, 0);
}

TEST_F(Voice, TransmittedSoundReachesTheLine) {
    auto& sim = StartVoice("hash", 8, 8000, SignalSource(), true);
    std::vector<unsigned char> pcm;
    for (int16_t x : Sine(kToneHz, 8000, 8000, 120))
        pcm.push_back(static_cast<unsigned char>(128 + x));
    ASSERT_GT(std::count(pcm.begin(), pcm.end(), 0x10), 0);
    for (size_t off = 0; off < pcm.size(); off += 1000)
        EXPECT_EQ(drv.TransmitVoice(pcm.data() + off, 1000, true), 0);
    drv.StopPlay();
    ASSERT_TRUE(sim.WaitForTransmitEnd(10000));
    auto heard = sim.TransmittedSamples();
    ASSERT_GE(heard.size(), 7900u);
    EXPECT_GT(ToneShare(heard.data(), heard.size(), sim.TransmittedSampleRate(), kToneHz), 0.95);
}

class GsmFraming : public SimModemTest {};

TEST_F(GsmFraming, TheCheckSetsBothKeysAsTheModemFramesGsm) {
    struct Row {
        const char* personality;
        int framing;
        int status;
    } rows[] = {{"usr", 1, 57861}, {"hash", 0, 57862}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.personality);
        StartSim(row.personality, kPort + row.framing).SetVoiceFormat({128, 8000});
        drv.Profile().Load(".Custom");
        drv.Settings().nComPort = kPort + row.framing;
        drv.Profile().nCompressionFrameGSM = drv.Profile().nCompressionUnFrameGSM = 1 - row.framing;
        ASSERT_TRUE(DetectGsmFraming(drv, ".Custom", kBaud));
        EXPECT_EQ(drv.Profile().nCompressionFrameGSM, row.framing);
        EXPECT_EQ(drv.Profile().nCompressionUnFrameGSM, row.framing);
        EXPECT_EQ(ui.status.back(), LoadStr(row.status));
        EXPECT_FALSE(drv.IsOpen());
    }
    EXPECT_EQ(ui.messages.front(), LoadStr(57864));
    drv.Settings().nComPort = -1; // no port, no check
    EXPECT_FALSE(DetectGsmFraming(drv, ".Custom", kBaud));
    EXPECT_EQ(ui.status.back(), LoadStr(57863));
}

} // namespace
