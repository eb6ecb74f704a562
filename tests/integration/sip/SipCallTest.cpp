// Real SIP calls on 127.0.0.1 between the SIP provider, under the program's
// own telephony line classes, and a far-end phone: the offered call with
// its caller ID, rings repeated while it is offered, answering, sound both
// ways, touch-tone keys, the far end hanging up; a hostile caller ID; a
// busy tone in the far end's sound.
#include "FarEnd.h"
#include "ToneFile.h"

#include "../../unit/tapi/TapiTestSupport.h"
#include "TempHome.h"
#include "audio/SoundBackend.h"
#include "audio/WaveFile.h"
#include "audio/WaveFormat.h"
#include "linesig/LineAudioSynth.h"
#include "platform/FileUtil.h"
#include "sip/SipCallerId.h"
#include "sip/SipProvider.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> ReadWav(const std::string& path, uint32_t* pRate) {
    CWaveFile wav;
    std::vector<int16_t> s;
    if (wav.Open(path) != 1)
        return s;
    *pRate = wav.Format().nSamplesPerSec;
    int16_t v = 0;
    while (wav.ReadSample(v))
        s.push_back(v);
    return s;
}

// Share of the signal's power at hz (Goertzel over the whole signal).
double ToneShare(const std::vector<int16_t>& s, double hz, double rate) {
    double total = 0;
    for (int16_t v : s)
        total += static_cast<double>(v) * v;
    if (s.empty() || total <= 0)
        return 0;
    const double w = 2 * kPi * hz / rate;
    double re = 0, im = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        re += s[i] * std::cos(w * static_cast<double>(i));
        im += s[i] * std::sin(w * static_cast<double>(i));
    }
    const double tonePower = 2 * (re * re + im * im) / static_cast<double>(s.size());
    return tonePower / total;
}

// Waits (at most 30 s) until the file holds more than nBytes.
bool WaitFileSize(const std::string& path, size_t nBytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream f(path, std::ios::binary | std::ios::ate);
        if (f && static_cast<size_t>(f.tellg()) > nBytes)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The local addresses (hex, as the kernel lists them) of the TCP sockets
// listening on port.
std::vector<std::string> ListeningOn(int port) {
    std::vector<std::string> found;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream f(table);
        std::string line;
        std::getline(f, line); // the heading
        while (std::getline(f, line)) {
            std::istringstream in(line);
            std::string slot, local, remote, state;
            in >> slot >> local >> remote >> state;
            const size_t colon = local.rfind(':');
            if (state == "0A" && colon != std::string::npos &&
                std::stoi(local.substr(colon + 1), nullptr, 16) == port)
                found.push_back(local.substr(0, colon));
        }
    }
    return found;
}

class SipCall : public ::testing::Test {
protected:
    void Start(SipTransport transport) {
        SipAccount account;
        account.sUser = "vorella";
        account.sBindAddress = "127.0.0.1";
        account.nPort = 0;
        account.transport = transport;
        CSipProvider::Options options;
        options.sStateFolder = home.File("sip-near");
        options.nRingRepeatMs = 200;
        provider = std::make_unique<CSipProvider>(std::vector<SipAccount>{account}, options);
        tapi = std::make_unique<CMyTapi>(*provider, posted.Link());
        ASSERT_TRUE(tapi->Start());
        ASSERT_TRUE(tapi->OpenLine(0));
        ASSERT_GT(provider->ListeningPort(0), 0);
        far = std::make_unique<CFarEnd>(home.File("sip-far"), home.File("far-tone.wav"),
                                        home.File("far-heard.wav"));
    }
    std::string NearUri(const std::string& sTransport) const {
        return "sip:vorella@127.0.0.1:" + std::to_string(provider->ListeningPort(0)) +
               ";transport=" + sTransport;
    }
    void TearDown() override {
        far.reset();
        tapi.reset();
        provider.reset();
    }

    TempHome home;
    CPostedMessages posted;
    std::unique_ptr<CSipProvider> provider;
    std::unique_ptr<CMyTapi> tapi;
    std::unique_ptr<CFarEnd> far;
};

TEST_F(SipCall, OfferedAnsweredHeardBothWaysAndHungUpByTheFarEnd) {
    ASSERT_TRUE(WriteToneFile(home.File("far-tone.wav"), 600, 20));
    Start(SipTransport::Udp);

    // The media plugins of the stack stay out of the process.
    const std::string maps = ReadWholeFile("/proc/self/maps", 64 << 20).value_or("");
    EXPECT_EQ(maps.find("libQt5"), std::string::npos);

    ASSERT_TRUE(far->Call(NearUri("udp"), "\"Anna Schmidt\" <sip:4930123@127.0.0.1>"));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgNewCall));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    // Rings come again while the call is offered.
    ASSERT_TRUE(posted.WaitFor(kTapiMsgRing, 3));
    CMyLine& line = *tapi->Line();
    const TapiCallerData caller = line.CallerData();
    EXPECT_TRUE(caller.bPresent);
    EXPECT_EQ(caller.sName, "Anna Schmidt");
    EXPECT_EQ(caller.sNumber, "4930123");
    EXPECT_FALSE(caller.bPrivate);
    EXPECT_FALSE(caller.bOutOfArea);
    // New call first, then its rings and caller ID.
    const auto all = posted.All();
    EXPECT_EQ(all.front().nMessage, kTapiMsgNewCall);

    posted.m_bHandling = true;
    EXPECT_EQ(line.Answer(), 0);
    ASSERT_TRUE(far->WaitConnected());
    EXPECT_TRUE(line.MonitorDigits() == 0);
    far->SendKeys("5#");
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDigit, 2));

    // Two seconds of sound each way, through the call's sound devices.
    ISoundBackend* sound = provider->SoundBackend();
    ASSERT_NE(sound, nullptr);
    auto in = sound->OpenCapture(static_cast<int>(line.WaveInID()), PcmFormat(8000));
    auto out = sound->OpenPlayback(static_cast<int>(line.WaveOutID()), PcmFormat(8000));
    ASSERT_TRUE(in && out);
    std::thread speaker([&] {
        for (size_t i = 0; i < 2 * 8000; i += 160) {
            int16_t chunk[160];
            for (size_t k = 0; k < 160; ++k)
                chunk[k] = static_cast<int16_t>(
                    8000 * std::sin(2 * kPi * 1000 * static_cast<double>(i + k) / 8000));
            out->Write(chunk, 160);
        }
        out->Drain();
    });
    std::vector<int16_t> nearHeard;
    for (int n = 0; n < 100 && nearHeard.size() < 2 * 8000; ++n) {
        int16_t buf[800];
        const long got = in->Read(buf, 800, 300);
        ASSERT_GE(got, 0);
        nearHeard.insert(nearHeard.end(), buf, buf + got);
    }
    speaker.join();
    ASSERT_TRUE(WaitFileSize(home.File("far-heard.wav"), 44 + 2 * 2 * 8000));

    const size_t rings = posted.Count(kTapiMsgRing);
    far->HangUp();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgHangUp));
    EXPECT_EQ(posted.Count(kTapiMsgRing), rings); // no ring after the answer
    EXPECT_EQ(line.Drop(), 0);
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(line.HasCall());

    far.reset(); // closes its recording
    tapi->CloseLine();
    std::vector<int16_t> digits;
    for (const auto& m : posted.All())
        if (m.nMessage == kTapiMsgDigit)
            digits.push_back(static_cast<int16_t>(m.wParam));
    EXPECT_EQ(digits, (std::vector<int16_t>{'5', '#'}));

    const uint32_t nearRate = 8000;
    uint32_t farRate = 0;
    const std::vector<int16_t> farHeard = ReadWav(home.File("far-heard.wav"), &farRate);
    ASSERT_GT(nearHeard.size(), nearRate);
    ASSERT_GT(farHeard.size(), farRate);
    // Each side hears the other's tone, not its own.
    EXPECT_GT(ToneShare(nearHeard, 600, nearRate), 0.5);
    EXPECT_LT(ToneShare(nearHeard, 1000, nearRate), 0.1);
    EXPECT_GT(ToneShare(farHeard, 1000, farRate), 0.5);
    EXPECT_LT(ToneShare(farHeard, 600, farRate), 0.1);
}

TEST_F(SipCall, ControlCharactersInTheCallersIdentityAreCleaned) {
    Start(SipTransport::Tcp);
    ASSERT_TRUE(far->Call(NearUri("tcp"), "\"Harmless\" <sip:4930555@127.0.0.1>",
                          {{"P-Asserted-Identity", "\"Eve\x1b[2J\x07 Mallory\" <sip:0301234\x01"
                                                   "99@127.0.0.1>"}}));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    const TapiCallerData caller = tapi->Line()->CallerData();
    EXPECT_EQ(caller.sNumber, "030123499");
    EXPECT_EQ(caller.sName, "Eve [2J Mallory");

    // A call that gives up ringing frees the line.
    far->HangUp();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
    EXPECT_FALSE(tapi->Line()->HasCall());
}

TEST_F(SipCall, AnonymousCallerIsBlockedAndASecondCallerHearsBusy) {
    Start(SipTransport::Udp);
    ASSERT_TRUE(far->Call(NearUri("udp"), "\"Anonymous\" <sip:anonymous@anonymous.invalid>"));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgCallerId));
    const TapiCallerData caller = tapi->Line()->CallerData();
    EXPECT_TRUE(caller.bPrivate);
    EXPECT_TRUE(caller.sNumber.empty());
    EXPECT_TRUE(caller.sName.empty());

    CFarEnd second(home.File("sip-second"), "", "");
    ASSERT_TRUE(second.Call(NearUri("udp"), "<sip:222@127.0.0.1>"));
    ASSERT_TRUE(second.WaitEnded());
    EXPECT_EQ(posted.Count(kTapiMsgNewCall), 1u);
    EXPECT_TRUE(tapi->Line()->HasCall());
    far->HangUp();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgDeallocated));
}

TEST_F(SipCall, ListensOnlyOnTheAddressTheSettingsName) {
    Start(SipTransport::Tcp);
    EXPECT_EQ(ListeningOn(provider->ListeningPort(0)), std::vector<std::string>{"0100007F"});
}

// A SIP line's busy tone is only in the sound (a gateway's early media, or
// the far end of a call gone): heard, it becomes the line's tone message,
// and nothing else in the sound is taken for a signal.
TEST_F(SipCall, ABusyToneInTheFarEndsSoundIsReported) {
    std::vector<int16_t> says(8000, 0); // a second of silence, then busy
    const std::vector<int16_t> busy =
        SynthesiseLineAudio({LineAudioStep::Tone("Europe busy, short", 6000)});
    says.insert(says.end(), busy.begin(), busy.end());
    {
        CWaveFile wav;
        ASSERT_EQ(wav.Create(home.File("far-tone.wav"), PcmFormat(8000)), 1);
        wav.WriteSamples(says.data(), says.size());
        ASSERT_TRUE(wav.CloseWrite());
    }
    Start(SipTransport::Udp);
    ASSERT_TRUE(far->Call(NearUri("udp"), "<sip:4930123@127.0.0.1>"));
    ASSERT_TRUE(posted.WaitFor(kTapiMsgNewCall));
    posted.m_bHandling = true;
    ASSERT_EQ(tapi->Line()->Answer(), 0);
    ASSERT_TRUE(far->WaitConnected());
    ASSERT_TRUE(posted.WaitFor(kTapiMsgTone));
    for (const auto& m : posted.All()) {
        if (m.nMessage == kTapiMsgTone) {
            EXPECT_EQ(m.wParam, static_cast<uintptr_t>('b'));
        }
    }
    EXPECT_EQ(posted.Count(kTapiMsgDigit), 0u);
    far->HangUp();
    ASSERT_TRUE(posted.WaitFor(kTapiMsgHangUp));
}

} // namespace
