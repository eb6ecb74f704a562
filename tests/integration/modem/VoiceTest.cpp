// Voice in both directions against the simulated modem. The sound is judged
// against the source signal (its frequency and level), never against the
// output of our own code.
#include "SimFixture.h"

#include "modem/ModemSetup.h"
#include "platform/Strings.h"

#include <cmath>

extern "C" {
#include <gsm.h>
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kToneHz = 1234; // not a divisor of the rate: every sample value occurs

// Share of the signal's energy at freq (Goertzel over the whole block).
double ToneShare(const std::vector<int16_t>& s, double freq, int rate) {
    if (s.empty())
        return 0;
    double w = 2 * kPi * freq / rate, coeff = 2 * std::cos(w);
    double q1 = 0, q2 = 0, total = 0;
    for (int16_t x : s) {
        double q0 = coeff * q1 - q2 + x;
        q2 = q1;
        q1 = q0;
        total += double(x) * x;
    }
    double power = q1 * q1 + q2 * q2 - coeff * q1 * q2;
    return total > 0 ? 2 * power / (total * s.size()) : 0;
}

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t x : s)
        sum += double(x) * x;
    return s.empty() ? 0 : std::sqrt(sum / s.size());
}

std::vector<int16_t> FromPcm8U(const std::vector<unsigned char>& bytes) {
    std::vector<int16_t> out;
    for (unsigned char b : bytes)
        out.push_back(static_cast<int16_t>((int(b) - 128) * 256));
    return out;
}

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
    // The modem in voice mode with the given format, recording.
    modemsim::ModemSim& StartRecording(const std::string& personality, int id, int rate,
                                       const modemsim::SignalSource& source) {
        auto& sim = StartSim(personality, kPort, 0);
        sim.SetVoiceFormat({id, rate});
        sim.SetVoiceSource(source);
        OpenDriver();
        drv.Profile().nCompression = id;
        drv.Profile().nCompressionSampleRate = rate;
        drv.InitModem();
        drv.InitVoice();
        EXPECT_TRUE(drv.m_bVoiceMode);
        int r = drv.CommOut(drv.Profile().sVoiceReceiveVoice, kModeResult);
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
    modemsim::SignalSource tone;
    tone.Tone(kToneHz, 3000, 30000);
    auto& sim = StartRecording("hash", 8, 8000, tone);
    unsigned char event = 0;
    auto bytes = Receive(8000, &event);
    ASSERT_GE(bytes.size(), 8000u);
    EXPECT_EQ(event, 0);
    EXPECT_GT(std::count(bytes.begin(), bytes.end(), 0x10), 10);
    auto samples = FromPcm8U(bytes);
    EXPECT_GT(ToneShare(samples, kToneHz, 8000), 0.95);
    EXPECT_NEAR(Rms(samples), 30000 / std::sqrt(2.0), 2000);

    int r = drv.StopReceive();
    EXPECT_TRUE(r >= kResultOk && r <= kResultConnect) << r;
    EXPECT_TRUE(sim.WaitForReceiveEnd(10000));
}

TEST_F(Voice, TouchToneAndBusyCodesEndTheReceive) {
    modemsim::SignalSource tone;
    tone.Tone(kToneHz, 5000, 8000);
    auto& sim = StartRecording("hash", 8, 8000, tone);
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
    modemsim::SignalSource tone;
    tone.Tone(kToneHz, 5000, 8000);
    StartRecording("usr", 128, 8000, tone);
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
    EXPECT_GT(ToneShare(samples, kToneHz, 8000), 0.9);

    // A buffer that is no multiple of a frame still gets whole frames only.
    unsigned char odd[33 * 3 + 7];
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(drv.ReceiveVoice(odd, sizeof odd, 10000, true, &event) % 33, 0);
}

TEST_F(Voice, TransmittedSoundReachesTheLine) {
    auto& sim = StartSim("hash", kPort, 0);
    sim.SetVoiceFormat({8, 8000});
    OpenDriver();
    drv.Profile().nCompression = 8;
    drv.Profile().nCompressionSampleRate = 8000;
    drv.InitModem();
    drv.InitVoice();
    int r = drv.CommOut(drv.Profile().sVoiceTransmitVoice, kModeResult);
    ASSERT_TRUE(r == kResultVcon || r == kResultConnect || r == kResultOk) << r;
    std::vector<unsigned char> pcm;
    for (int i = 0; i < 8000; ++i)
        pcm.push_back(static_cast<unsigned char>(
            128 + std::lround(120 * std::sin(2 * kPi * kToneHz * i / 8000))));
    ASSERT_GT(std::count(pcm.begin(), pcm.end(), 0x10), 0);
    for (size_t off = 0; off < pcm.size(); off += 1000)
        EXPECT_EQ(drv.TransmitVoice(pcm.data() + off, 1000, true), 0);
    drv.StopPlay();
    ASSERT_TRUE(sim.WaitForTransmitEnd(10000));
    auto heard = sim.TransmittedSamples();
    ASSERT_GE(heard.size(), 7900u);
    EXPECT_GT(ToneShare(heard, kToneHz, sim.TransmittedSampleRate()), 0.95);
}

TEST_F(Voice, AModemThatVanishesMidStreamEndsTheReceive) {
    modemsim::SignalSource tone;
    tone.Tone(kToneHz, 5000, 8000);
    auto& sim = StartRecording("hash", 8, 8000, tone);
    sim.VanishInVoiceStream(200);
    unsigned char event = 0;
    auto bytes = Receive(1000000, &event);
    EXPECT_LT(bytes.size(), 1000000u);
    EXPECT_NE(drv.DeviceFailure(), 0);
    EXPECT_TRUE(drv.StopRequested());
    unsigned char buf[64];
    EXPECT_EQ(drv.ReceiveVoice(buf, sizeof buf, 60000, true, &event), 0);
    EXPECT_EQ(drv.TransmitVoice(buf, sizeof buf, true), 0);
    drv.Shutdown();
}

class GsmFraming : public SimModemTest {};

TEST_F(GsmFraming, FramingModemSetsBothKeys) {
    auto& sim = StartSim("usr");
    sim.SetVoiceFormat({128, 8000});
    drv.Profile().Load(".Custom");
    drv.Settings().nComPort = kPort;
    drv.Profile().nCompressionFrameGSM = 0;
    drv.Profile().nCompressionUnFrameGSM = 0;
    ASSERT_TRUE(DetectGsmFraming(drv, ".Custom", kBaud));
    EXPECT_EQ(drv.Profile().nCompressionFrameGSM, 1);
    EXPECT_EQ(drv.Profile().nCompressionUnFrameGSM, 1);
    EXPECT_EQ(ui.status.back(), LoadStr(57861));
    EXPECT_EQ(ui.messages.front(), LoadStr(57864));
    EXPECT_FALSE(drv.IsOpen());
}

TEST_F(GsmFraming, PlainGsmModemClearsBothKeys) {
    auto& sim = StartSim("hash");
    sim.SetVoiceFormat({128, 8000});
    drv.Profile().Load(".Custom");
    drv.Settings().nComPort = kPort;
    ASSERT_TRUE(DetectGsmFraming(drv, ".Custom", kBaud));
    EXPECT_EQ(drv.Profile().nCompressionFrameGSM, 0);
    EXPECT_EQ(drv.Profile().nCompressionUnFrameGSM, 0);
    EXPECT_EQ(ui.status.back(), LoadStr(57862));
}

TEST_F(GsmFraming, NoPortNoCheck) {
    drv.Settings().nComPort = -1;
    EXPECT_FALSE(DetectGsmFraming(drv, ".Custom", kBaud));
    EXPECT_EQ(ui.status.back(), LoadStr(57863));
}

} // namespace
