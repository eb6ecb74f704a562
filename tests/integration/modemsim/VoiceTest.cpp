// Voice receive and transmit through the pty. The host side decodes with its
// own code (and libgsm for GSM) and compares with the signal the simulated
// caller made, never with the simulator's own encoder.
#include "ChildProcess.h"
#include "SimFixture.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <array>

extern "C" {
#include <gsm.h>
}
#include <spandsp.h>

using modemsim::SignalSource;

namespace {

constexpr char kDle = 0x10;

} // namespace

TEST(ModemSimVoice, ReceiveStreamsTheCallersToneWithEventsInPlace) {
    SimWithPort s("v253", 0); // as fast as the host reads
    HostPort& p = *s.port;
    s.sim.SetVoiceSource(SignalSource().Tone(1000, 800, 12000).Tone(1500, 2000, 12000));
    s.sim.InjectEvent('5', 500);
    s.sim.FarEndHangsUp(800, 'b');
    EXPECT_EQ(p.Command("ATE0+FCLASS=8"), "ATE0+FCLASS=8\r\r\nOK\r\n");
    EXPECT_EQ(p.Command("AT+VSM=1,8000"), "\r\nOK\r\n"); // 8-bit unsigned in this family
    EXPECT_EQ(s.sim.CurrentVoiceFormat().compressionId, 8);
    EXPECT_EQ(p.Command("AT+VLS=1"), "\r\nOK\r\n");
    ASSERT_TRUE(p.Send("AT+VRX\r"));
    EXPECT_EQ(p.ReadUntil("CONNECT\r\n", 5000), "\r\nCONNECT\r\n");
    std::string raw = p.ReadUntil("\x10"
                                  "b",
                                  20000);
    raw += p.ReadBytes(4000, 5000); // and some of the 1500 Hz part

    Unshielded u = Unshield(raw);
    ASSERT_EQ(u.codes.size(), 2u);
    EXPECT_EQ(u.codes[0].second, '5');
    EXPECT_EQ(u.codes[1].second, 'b');
    // Events land at the first 20 ms block boundary at or after their time.
    EXPECT_GE(u.codes[0].first, 4000u);
    EXPECT_LE(u.codes[0].first, 4160u);
    EXPECT_GE(u.codes[1].first, 6400u);
    EXPECT_LE(u.codes[1].first, 6560u);

    std::vector<int16_t> pcm = DecodeUnsigned8(u.data);
    ASSERT_GT(pcm.size(), 8000u);
    EXPECT_GT(ToneShare(pcm.data(), 6000, 8000, 1000), 0.95);
    EXPECT_LT(ToneShare(pcm.data(), 6000, 8000, 1500), 0.01);
    EXPECT_GT(ToneShare(pcm.data() + 6600, 1200, 8000, 1500), 0.95);

    // V.253 ends a recording at DLE "!" with DLE ETX and OK.
    ASSERT_TRUE(p.Send(std::string("\x10!", 2)));
    std::string tail = p.ReadUntil("\r\nOK\r\n", 10000);
    EXPECT_NE(tail.find("\x10\x03\r\nOK\r\n"), std::string::npos);
    EXPECT_TRUE(s.sim.WaitForReceiveEnd(5000));
    EXPECT_EQ(s.sim.LastStopSequence(), std::string("\x10!", 2));
    EXPECT_EQ(p.Command("AT"), "\r\nOK\r\n");
}

TEST(ModemSimVoice, ReceiveInRealTimeCarriesATouchTonePair) {
    SimWithPort s("v253", 1.0);
    s.sim.SetVoiceSource(SignalSource().Tone(697, 60000, 8000, 1209));
    // Half a second of sound, with half the power in each tone of the pair.
    std::vector<int16_t> pcm = DecodeUnsigned8(s.Record("ATE0+FCLASS=8;+VSM=1,8000;+VRX", 4000));
    ASSERT_GE(pcm.size(), 3200u);
    EXPECT_GT(ToneShare(pcm.data(), 3200, 8000, 697), 0.4);
    EXPECT_GT(ToneShare(pcm.data(), 3200, 8000, 1209), 0.4);
    s.StopRecording("\x10^");
}

// The framed GSM itself is checked through the driver, which unframes it as
// its own test on hand-written bytes demands, and decoded there by libgsm.
TEST(ModemSimVoice, UsRoboticsRecordsGsmAndStopsAtAnyByte) {
    SimWithPort s("usr", 0);
    HostPort& p = *s.port;
    s.sim.SetVoiceSource(SignalSource().Tone(800, 3000, 10000));
    EXPECT_EQ(p.Command("ATE0#CLS=8"), "ATE0#CLS=8\r\r\nOK\r\n");
    EXPECT_EQ(s.sim.CurrentVoiceFormat().compressionId, 128);
    EXPECT_EQ(p.Command("AT#VRX"), "\r\nCONNECT\r\n");
    EXPECT_EQ(p.ReadBytes(2, 20000), "\xFE\xFE"); // a frame begins
    // A lone DLE (the "#" families' stop) ends it with DLE ETX and VCON.
    ASSERT_TRUE(p.Send(std::string(1, kDle)));
    std::string tail = p.ReadUntil("\r\nVCON\r\n", 10000);
    EXPECT_NE(tail.find("\x10\x03\r\nVCON\r\n"), std::string::npos);
    EXPECT_TRUE(s.sim.WaitForReceiveEnd(5000));
}

TEST(ModemSimVoice, TransmitIsCapturedExactlyAndEndsOnDleEtx) {
    SimWithPort s;
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0+FCLASS=8;+VSM=2,8000"), "ATE0+FCLASS=8;+VSM=2,8000\r\r\nOK\r\n");
    s.sim.InjectEvent('#', 0); // the caller presses # as the greeting starts
    ASSERT_TRUE(p.Send("AT+VTX\r"));
    EXPECT_EQ(p.ReadUntil("CONNECT\r\n", 5000), "\r\nCONNECT\r\n");
    EXPECT_EQ(p.ReadUntil("\x10#", 5000), "\x10#");

    std::vector<int16_t> tone = Sine(440, 8000, 8000, 9000);
    tone[100] = 0x1010; // bytes that need shielding
    tone[101] = 0x0310; // and a DLE followed by ETX inside the data
    ASSERT_TRUE(p.Send(Shield(EncodeLinear16(tone)) + "\x10\x03"));
    EXPECT_EQ(p.ReadUntil("\r\nOK\r\n", 10000), "\x10\x03\r\nOK\r\n");
    ASSERT_TRUE(s.sim.WaitForTransmitEnd(5000));
    EXPECT_EQ(s.sim.TransmittedSamples(), tone);
    EXPECT_EQ(s.sim.TransmittedSampleRate(), 8000);
}

TEST(ModemSimVoice, TransmitOfFramedGsmIsDecodedToTheTone) {
    SimWithPort s("usr");
    HostPort& p = *s.port;
    EXPECT_EQ(p.Command("ATE0#CLS=8"), "ATE0#CLS=8\r\r\nOK\r\n");
    ASSERT_TRUE(p.Send("AT#VTX\r"));
    EXPECT_EQ(p.ReadUntil("CONNECT\r\n", 5000), "\r\nCONNECT\r\n");

    std::vector<int16_t> tone = Sine(600, 8000, 160 * 50, 8000);
    std::unique_ptr<gsm_state, decltype(&gsm_destroy)> g(gsm_create(), gsm_destroy);
    std::string line;
    for (size_t f = 0; f < 50; ++f) {
        gsm_byte frame[33];
        gsm_encode(g.get(), tone.data() + f * 160, frame);
        line += "\xFE\xFE" + Shield(std::string(reinterpret_cast<char*>(frame), 33)) +
                std::string("\x00\xA5\xA5", 3);
    }
    ASSERT_TRUE(p.Send(line + "\x10\x03"));
    EXPECT_EQ(p.ReadUntil("\r\nVCON\r\n", 10000), "\x10\x03\r\nVCON\r\n");
    ASSERT_TRUE(s.sim.WaitForTransmitEnd(5000));
    std::vector<int16_t> got = s.sim.TransmittedSamples();
    ASSERT_EQ(got.size(), tone.size());
    EXPECT_GT(ToneShare(got.data() + 1600, 6400, 8000, 600), 0.8);
}

// Formats chosen by the host's command or forced by the test are coded by the
// codec library; spandsp's G.711 expanders decode them on the host side.
TEST(ModemSimVoice, ReceiveInG711DecodesToTheTone) {
    for (bool forced : {false, true}) {
        SCOPED_TRACE(forced ? "forced mu-law" : "A-law by +VSM=132");
        SimWithPort s("rockwell", 0);
        s.sim.SetVoiceSource(SignalSource().Tone(1700, 2000, 12000));
        if (forced)
            s.sim.SetVoiceFormat({2131, 8000, 0});
        std::string data = s.Record("ATE0+FCLASS=8;+VSM=132,8000;+VRX", 8000);
        EXPECT_EQ(s.sim.CurrentVoiceFormat().compressionId, forced ? 2131 : 2130);
        ASSERT_GE(data.size(), 7000u);
        std::vector<int16_t> pcm;
        for (unsigned char c : data)
            pcm.push_back(forced ? ulaw_to_linear(c) : alaw_to_linear(c));
        EXPECT_GT(ToneShare(pcm.data(), 6400, 8000, 1700), 0.95);
        s.StopRecording();
    }
}

// The caller's sound from WAV files that sox made: 16-bit mono at the stream
// rate, and 8-bit stereo at 11025 Hz that the source mixes and resamples.
TEST(ModemSimVoice, WavFilesFromSoxBecomeTheCallersSound) {
    TempHome home;
    for (auto [file, rate, channels, bits, hz] : {std::array{"a.wav", "8000", "1", "16", "900"},
                                                  std::array{"b.wav", "11025", "2", "8", "1400"}})
        ASSERT_EQ(RunProgram({"sox", "-n", "-r", rate, "-c", channels, "-b", bits,
                              home.File(file), "synth", "0.5", "sine", hz}).nExit, 0);
    home.Write("bad.wav", "RIFF\x10\0\0\0WAVEjunk");
    SignalSource source;
    std::string error;
    ASSERT_TRUE(source.Wav(home.File("a.wav"), &error)) << error;
    ASSERT_TRUE(source.Wav(home.File("b.wav"), &error)) << error;
    EXPECT_FALSE(SignalSource().Wav(home.File("bad.wav"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(SignalSource().Wav(home.File("missing.wav"), &error));
    EXPECT_NEAR(source.DurationMs(), 1000, 2); // 0.5 s at 11025 Hz is not a whole sample count

    SimWithPort s("v253", 0);
    s.sim.SetVoiceSource(source);
    // The two files hold a whole second between them, less the fraction of a
    // sample lost converting 11025 Hz; the checks below look at 7600 samples.
    std::vector<int16_t> pcm = DecodeLinear16(s.Record("ATE0+FCLASS=8;+VSM=2,8000;+VRX", 16100));
    ASSERT_GE(pcm.size(), 7600u);
    EXPECT_GT(ToneShare(pcm.data() + 400, 3200, 8000, 900), 0.95);
    EXPECT_GT(ToneShare(pcm.data() + 4400, 3200, 8000, 1400), 0.9);
    EXPECT_LT(ToneShare(pcm.data() + 4400, 3200, 8000, 900), 0.01);
    s.StopRecording();
}

TEST(ModemSimVoice, DleStormPoursIntoARecording) {
    SimWithPort s("v253", 0);
    HostPort& p = *s.port;
    s.sim.SetVoiceSource(SignalSource().Tone(1000, 60000));
    EXPECT_EQ(p.Command("ATE0+FCLASS=8;+VSM=1;+VRX"), "ATE0+FCLASS=8;+VSM=1;+VRX\r\r\nCONNECT\r\n");
    s.sim.SetMisbehaviour(modemsim::Misbehaviour::DleStorm);
    Unshielded u = Unshield(p.ReadBytes(64 * 1024, 20000));
    EXPECT_GT(u.codes.size(), 1000u);
    EXPECT_GT(u.data.size(), 1000u); // the sound goes on between the codes
}
