// The engine on a SIP line, with a far-end phone on 127.0.0.1: the whole
// answering-machine story as on the modem, with the call's sound both ways
// through the line's own sound devices (the greeting the machine plays, at
// another rate than the line's, is what the far end hears; what the far end
// says is what the machine records); a key from the far end; and the line
// signals heard in the far end's sound (a fax machine's calling tone); and
// the user talking at the PC, whose sound card is the null backend with a
// tone of its own as the microphone.
#include "EngineStory.h"
#include "FarEnd.h"
#include "SipTestLine.h"
#include "ToneFile.h"

#include "ChildProcess.h"
#include "audio/G711.h"
#include "audio/SoundBackend.h"
#include "engine/CallForwarding.h"
#include "engine/DialSteps.h"
#include "engine/TelephonyLineDevice.h"
#include "linesig/LineAudioSynth.h"
#include "platform/FileUtil.h"
#include "platform/TextUtil.h"
#include "sip/SipProvider.h"

#include <random>

namespace {

const char* const kSipp = "/usr/bin/sipp";

// The RMS level of the tones the tests write.
const double kToneRms = 8000 / std::sqrt(2.0);
// 20 ms windows, to find where each tone is.
constexpr size_t kWindow = 160;

// Where a tone is in a signal: its 20 ms windows.
struct ToneSpan {
    size_t nFirst = SIZE_MAX; // the first window with the tone
    size_t nLast = 0;
    size_t nWindows = 0;
    double dRms = 0; // the tone's level
};

ToneSpan FindTone(const std::vector<int16_t>& s, double hz) {
    ToneSpan span;
    double sum = 0;
    for (size_t w = 0; (w + 1) * kWindow <= s.size(); ++w) {
        const std::vector<int16_t> win(s.begin() + w * kWindow, s.begin() + (w + 1) * kWindow);
        if (Rms(win) < 500 || ToneShare(win, hz, 8000) < 0.8)
            continue;
        span.nFirst = std::min(span.nFirst, w);
        span.nLast = w;
        ++span.nWindows;
        sum += Rms(win) * Rms(win);
    }
    span.dRms = span.nWindows ? std::sqrt(sum / static_cast<double>(span.nWindows)) : 0;
    return span;
}

// The 20 ms windows of a signal that are not silent, one after the other.
std::vector<int16_t> Loud(const std::vector<int16_t>& s) {
    std::vector<int16_t> loud;
    for (size_t at = 0; at + kWindow <= s.size(); at += kWindow) {
        const std::vector<int16_t> w(s.begin() + at, s.begin() + at + kWindow);
        if (Rms(w) > 500)
            loud.insert(loud.end(), w.begin(), w.end());
    }
    return loud;
}

// The level of one tone in a signal that may hold others.
double ToneLevel(const std::vector<int16_t>& s, double hz) {
    return Rms(s) * std::sqrt(ToneShare(s, hz, 8000));
}

// What the PC's microphone hears while the user talks: seeded noise, at
// half the far end's level.
const double kMicRms = 4000 / std::sqrt(2.0);

class SipLineStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        providers.Register("sip", [this](std::string*) -> std::unique_ptr<ITapiProvider> {
            // A ring cadence as quick as the story's timings.
            auto p = MakeSipTestProvider(home.File("sip-near"), SipTransport::Udp, "", 300);
            sip = p.get();
            return p;
        });
        providers.Choose("sip");
        phone->DeviceFactories().Register(DeviceKind::TelephonyLine, [this](IDeviceHost& host) {
            return MakeTelephonyLineDevice(host, providers);
        });
        phone->nTAPI = 1;
        phone->nTAPILine = 0;
        // The greeting: a second of 1000 Hz, then a second of 1500 Hz, at
        // twice the line's rate.
        greeting = home.File("greeting.wav");
        ASSERT_TRUE(WriteSound(greeting, Tones({{1000, 1000}, {1500, 1000}}, 16000), 16000));
        // What the caller says: 600 Hz, longer than any call here.
        speech = MakeToneWav("speech.wav", 600, 20000);
    }
    // The line's device, then the far end (saying farSays, else the
    // speech): the stack's process-wide settings are made before a second
    // stack runs.
    void ChooseDeviceAndFarEnd(const std::string& farSays = {}) {
        phone->ChooseDevice();
        ASSERT_NE(sip, nullptr);
        far = std::make_unique<CFarEnd>(home.File("sip-far"), farSays.empty() ? speech : farSays,
                                        home.File("far-heard.wav"));
    }
    // The line's device and the far end ready, the worker started, and the
    // far end calling from sFrom.
    void FarEndCalls(const std::string& farSays = {},
                     const std::string& sFrom = "<sip:0301234567@127.0.0.1>") {
        ChooseDeviceAndFarEnd(farSays);
        StartWorkerOnDevice();
        ASSERT_TRUE(far->Call(NearUri(), sFrom));
    }
    // How many of the status lines start with start and end with end.
    size_t Told(const std::string& start, const std::string& end = "") const {
        const std::vector<std::string> lines = ui.Lines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
            return l.rfind("status: " + start, 0) == 0 && l.ends_with(end);
        }));
    }
    // The media mode the line's call has (0 while it has none); the
    // provider numbers its calls from 0x20001 up, one a call.
    uint32_t CallMediaMode() const {
        for (uint32_t h = 0x20001; h < 0x20011; ++h) {
            TapiCallInfo info;
            if (sip->GetCallInfo(h, &info) == 0)
                return info.dwMediaMode;
        }
        return 0;
    }
    void TearDown() override {
        far.reset();
        EngineStory::TearDown();
        GetNullSoundBackend()->SetCaptureSource({});
        GetNullSoundBackend()->SetRefusedRates({});
    }
    // The PC's microphone says the test's tone from now on.
    static void MicrophoneSpeaks() {
        GetNullSoundBackend()->SetCaptureSource(
            [rng = std::mt19937(7)](int16_t* f, size_t count) mutable {
                std::normal_distribution<double> d(0, kMicRms);
                for (size_t i = 0; i < count; ++i)
                    f[i] = static_cast<int16_t>(std::clamp(d(rng), -32000.0, 32000.0));
            });
    }
    // The far end calls and the user takes the call to talk at the PC.
    void FarEndCallsAndTheUserTalks() {
        ASSERT_TRUE(far->Call(NearUri(), "\"Anna Schmidt\" <sip:0301234567@127.0.0.1>"));
        ASSERT_TRUE(WaitFor([&] { return Rang(1); }));
        phone->CallState().RequestTalk();
        worker->Wake();
        ASSERT_TRUE(far->WaitConnected());
        ASSERT_TRUE(WaitFor([&] { return State().bTalking && State().bSpeakerphone; }));
    }
    // The recording runs and holds at least ms of sound.
    std::string WaitRecording(int ms, int channels = 1) {
        EXPECT_TRUE(WaitFor([&] { return State().bRecording.load(); }));
        const std::string file = worker->CurrentFile();
        EXPECT_TRUE(WaitFor([&] {
            std::error_code ec;
            return std::filesystem::file_size(file, ec) > 44u + 16u * channels * ms && !ec;
        }));
        return file;
    }
    // The far end hangs up: the talk, the recording and the call end, the
    // call stored.
    void FarEndHangsUp() {
        far->HangUp();
        ASSERT_TRUE(WaitFor([&] {
            return Index().GetSize() == 1 && !State().bRecording && !State().bOffHook &&
                   !State().bSpeakerphone;
        }));
    }
    std::string NearUri() const {
        return "sip:vorella@127.0.0.1:" + std::to_string(sip->ListeningPort(0));
    }
    // What the far end heard, once it is gone.
    std::vector<int16_t> FarHeard() {
        far.reset();
        return Samples(home.File("far-heard.wav"));
    }
    // The far end's speech as recorded: 8000 samples/s mono (as sox reads
    // the file), the far end's tone at its level, at least minMs long.
    void ExpectSpeechRecorded(const std::string& file, int minMs) {
        for (const auto& [option, value] : {std::pair{"-r", "8000\n"}, {"-c", "1\n"}}) {
            const ProgramRun r = RunProgram({"soxi", option, file});
            EXPECT_EQ(r.nExit, 0) << r.err;
            EXPECT_EQ(r.out, value) << option;
        }
        const std::vector<int16_t> s = Samples(file);
        ASSERT_GE(s.size(), static_cast<size_t>(8 * minMs));
        const ToneSpan speech = FindTone(s, 600);
        EXPECT_GE(speech.nWindows * kWindow, s.size() * 9 / 10 - kWindow);
        EXPECT_NEAR(speech.dRms, kToneRms, 0.1 * kToneRms);
        // Mostly the far end's tone: on a slowed-down build the far end's
        // jitter buffer conceals a late packet now and then, and each
        // concealed gap adds a little broadband sound (0.87 seen). Half
        // would mean the other side or the greeting got mixed in.
        EXPECT_GT(ToneShare(s, 600, 8000), 0.8);
    }

    // Nothing of the call's sound was lost between the engine and the stack.
    void ExpectNothingDropped() {
        auto* sound = dynamic_cast<CQueueSoundBackend*>(sip->SoundBackend());
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(sound->Dropped(0), 0u);
    }

    CTapiProviders providers;
    CSipProvider* sip = nullptr;
    std::string greeting;
    std::string speech;
    std::unique_ptr<CFarEnd> far;
};

TEST_F(SipLineStory, TheMachineAnswersAFarEndPlaysTheGreetingAndStoresTheMessage) {
    phone->nCIDType = kCidFormatted;
    phone->nAction = 1; // the machine answers
    phone->nRings = 2;
    phone->bTollSaver = false;
    phone->sWaveGreet = greeting;
    ASSERT_NO_FATAL_FAILURE(FarEndCalls({}, "\"Anna Schmidt\" <sip:0301234567@127.0.0.1>"));
    EXPECT_EQ(phone->Device().Kind(), DeviceKind::TelephonyLine);
    ASSERT_TRUE(
        WaitFor([&] { return UiSaid("caller: name=\"Anna Schmidt\" number=\"030-123-4567\""); }));
    ASSERT_TRUE(far->WaitConnected());
    // The caller speaks for two seconds after the greeting, then hangs up.
    const std::string file = WaitRecording(2000);
    EXPECT_EQ(file.rfind(CallFolder(), 0), 0u) << file;
    FarEndHangsUp();
    const CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sNumber, "0301234567");
    EXPECT_EQ(rec.m_sName, "Anna Schmidt");
    EXPECT_EQ(rec.m_bMessage, 1);
    ExpectSpeechRecorded(file, 2000);
    // The greeting as the far end heard it: both tones, in order, at their
    // level, the second a second long (G.711 is lossy, the windows at the
    // edges are mixed).
    const std::vector<int16_t> heard = FarHeard();
    const ToneSpan first = FindTone(heard, 1000);
    const ToneSpan second = FindTone(heard, 1500);
    // The caller's phone starts listening once it has our answer, so the
    // first moments of a greeting played at once may not reach it (a few
    // ms here; up to a few hundred on a slowed-down build).
    EXPECT_LE(first.nWindows, 54u);
    EXPECT_GE(first.nWindows, 35u);
    EXPECT_NEAR(static_cast<double>(second.nWindows), 50, 4);
    EXPECT_LT(first.nLast, second.nFirst);
    EXPECT_LE(second.nFirst - first.nLast, 2u); // one after the other
    EXPECT_NEAR(first.dRms, kToneRms, 0.1 * kToneRms);
    EXPECT_NEAR(second.dRms, kToneRms, 0.1 * kToneRms);
    ExpectNothingDropped();
}

// Forwarding to a second far end: redirected (302) before the machine
// answers (always, or at the machine's answer), or transferred (REFER)
// once the caller's message ended; a blocked caller only with bFwdBlack,
// else declined (603) and kept in the history as blocked.
// A number the line cannot forward to (none, or a bare number on a line
// with no registrar to make it an address), or a caller who refuses the
// transfer (SIPp answering the REFER): the call goes on as without
// forwarding, the machine says why once, and the history keeps it.
struct ForwardRow {
    const char* label;
    ForwardMethod method;
    const char* sNumber; // nullptr: the second far end's address
    const char* sTold;   // the status line that tells why not, nullptr none
    bool bBlocked;
    bool bFwdBlack;
    CallOutcome outcome;
    bool bRefusesTransfer; // the caller is SIPp, declining the REFER (603)
};

class SipForward : public SipLineStory, public ::testing::WithParamInterface<ForwardRow> {};

TEST_P(SipForward, TheCallReachesTheForwardingNumber) {
    const ForwardRow& row = GetParam();
    phone->nCIDType = kCidFormatted;
    phone->nAction = 1;
    phone->nRings = 2;
    phone->bTollSaver = false;
    phone->sWaveGreet = MakeToneWav("short.wav", 1000, 300, 8000);
    phone->nFwdMethod = static_cast<int>(row.method);
    phone->bFwdBlack = row.bFwdBlack;
    if (row.bBlocked) {
        phone->nBlackAction = 1;
        Contact anna;
        anna.numbers = {{"030 1234567", ""}};
        anna.list = ContactList::Block;
        ASSERT_NE(Contacts().AddContact(anna), 0) << Contacts().Error();
    }
    // The caller says a second, then keeps silent: the silence ends the message.
    phone->DriverSettings().bSilenceDetection = true;
    phone->DriverSettings().iSilenceDetectionTimeout = 10;
    std::vector<int16_t> says = Tones({{600, 1000}});
    says.resize(says.size() + 20 * 8000);
    ASSERT_TRUE(WriteSound(home.File("says.wav"), says));
    ChooseDeviceAndFarEnd(home.File("says.wav"));
    CFarEnd third(home.File("sip-third"), speech, home.File("third-heard.wav"));
    phone->sFwdPhone = row.sNumber ? row.sNumber : third.Uri();
    StartWorkerOnDevice();

    BackgroundProgram sipp;
    if (row.bRefusesTransfer) {
        if (!FileExists(kSipp))
            GTEST_SKIP() << "SIPp is not installed (Debian: sip-tester)";
        std::string ulaw;
        for (int16_t v : says)
            ulaw += static_cast<char>(LinearToUlaw(v));
        home.Write("says.ulaw", ulaw);
        const std::string near = "127.0.0.1:" + std::to_string(sip->ListeningPort(0));
        ASSERT_TRUE(sipp.Launch({"env",
                                 "-C",
                                 home.File(""),
                                 kSipp,
                                 near,
                                 "-sf",
                                 SourceFile("tests/data/sip/refer-refusing-caller.xml"),
                                 "-s",
                                 "vorella",
                                 "-i",
                                 "127.0.0.1",
                                 "-p",
                                 "0",
                                 "-mp",
                                 "0",
                                 "-m",
                                 "1",
                                 "-nostdin",
                                 "-timeout",
                                 "60s",
                                 "-timeout_error"},
                                home.File("sipp.log")));
    } else {
        ASSERT_TRUE(far->Call(NearUri(), "<sip:0301234567@127.0.0.1>"));
    }
    const bool bForwarded =
        !row.sNumber && (!row.bBlocked || row.bFwdBlack) && !row.bRefusesTransfer;
    if (row.sTold) {
        ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !State().bOffHook; }));
        EXPECT_EQ(Told(row.sTold, "; it goes on as without forwarding"), 1u);
    } else if (bForwarded) {
        ASSERT_TRUE(third.Answer());
    } else if (row.outcome == CallOutcome::Blocked) {
        EXPECT_TRUE(far->EndedDeclined());
    }
    const std::vector<HistoryEntry> history = WaitForHistory(1);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].outcome, row.outcome);
    EXPECT_EQ(history[0].sForwardedTo, bForwarded ? third.Uri() : "");
    const std::string problem = history[0].sForwardProblem;
    EXPECT_TRUE(row.sTold ? ("call " + problem).starts_with(row.sTold) : problem.empty())
        << problem;
    EXPECT_EQ(Index().GetSize(), row.outcome == CallOutcome::Message ? 1 : 0);
    if (row.bRefusesTransfer) {
        EXPECT_EQ(sipp.Wait(30000), 0) << home.Read("sipp.log");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Methods, SipForward,
    ::testing::Values(ForwardRow{"Always", ForwardMethod::Always, nullptr, nullptr, false, false,
                                 CallOutcome::Forwarded, false},
                      ForwardRow{"WhenAnswering", ForwardMethod::WhenAnswering, nullptr, nullptr,
                                 false, false, CallOutcome::Forwarded, false},
                      ForwardRow{"AfterMessage", ForwardMethod::AfterMessage, nullptr, nullptr,
                                 false, false, CallOutcome::Message, false},
                      ForwardRow{"NoNumber", ForwardMethod::Always, "",
                                 "call not forwarded: no number", false, false,
                                 CallOutcome::Message, false},
                      ForwardRow{"BareNumberWithoutRegistrar", ForwardMethod::WhenAnswering,
                                 "0309999",
                                 "call not forwarded to 0309999: the line cannot redirect", false,
                                 false, CallOutcome::Message, false},
                      ForwardRow{"BlockedKept", ForwardMethod::Always, nullptr, nullptr, true,
                                 false, CallOutcome::Blocked, false},
                      ForwardRow{"BlockedForwarded", ForwardMethod::Always, nullptr, nullptr, true,
                                 true, CallOutcome::Forwarded, false},
                      ForwardRow{"TransferDeclined", ForwardMethod::AfterMessage, nullptr,
                                 "call not forwarded to sip:far@127.0.0.1:", false, false,
                                 CallOutcome::Message, true}),
    [](const auto& info) { return TestName(info.param.label); });

// The user takes a call from a fax machine: its calling tone, in the
// call's sound only, hands the call over as fax.
TEST_F(SipLineStory, AFaxMachinesCallingToneHandsTheCallOver) {
    phone->nAction = 0; // the user takes the calls
    phone->bFax = true;
    phone->sFaxAppName = "faxprog";
    phone->sFaxParam = "-r";
    // spandsp's calling tone: 1100 Hz, 0.5 s on, 3 s off.
    ASSERT_TRUE(WriteSound(home.File("cng.wav"),
                           SynthesiseLineAudio({LineAudioStep::FaxCallingTone(8000)})));
    ASSERT_NO_FATAL_FAILURE(FarEndCalls(home.File("cng.wav"), "<sip:fax@127.0.0.1>"));
    ASSERT_TRUE(WaitFor([&] { return Rang(1); }));
    Request(kActionTalk);
    ASSERT_TRUE(far->WaitConnected());
    // The worker's fax hand-off sets the call's media mode first (a SIP
    // line then transfers the call when the fax program is a SIP address).
    ASSERT_TRUE(WaitFor([&] { return CallMediaMode() == kMediaG3Fax; }));
}

// A key from the far end (RFC 4733) does what the key table says: with
// calls not recorded at once, '*' while the user talks starts a recording,
// which keeps the far end's sound until it hangs up.
TEST_F(SipLineStory, AFarEndsKeyStartsARecording) {
    phone->nAction = 0;
    phone->bRecordImmediately = false;
    ASSERT_NO_FATAL_FAILURE(FarEndCalls());
    ASSERT_TRUE(WaitFor([&] { return Rang(1); }));
    Request(kActionTalk);
    ASSERT_TRUE(far->WaitConnected());
    EXPECT_FALSE(State().bRecording);
    far->SendKeys("*");
    const std::string file = WaitRecording(1000);
    FarEndHangsUp();
    ExpectSpeechRecorded(file, 1000);
}

// The far end's busy tone during the message ends it; the message is kept,
// and nothing else in the sound is taken for a key.
TEST_F(SipLineStory, ABusyToneDuringTheMessageEndsItAndKeepsIt) {
    phone->nAction = 1;
    phone->sWaveGreet = greeting;
    std::vector<int16_t> says = Tones({{600, 4000}});
    for (int16_t v : SynthesiseLineAudio({LineAudioStep::Tone("Europe busy", 8000)}))
        says.push_back(v);
    ASSERT_TRUE(WriteSound(home.File("says.wav"), says));
    ASSERT_NO_FATAL_FAILURE(FarEndCalls(home.File("says.wav")));
    ASSERT_TRUE(far->WaitEnded()); // the machine hung up, not the caller
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !State().bOffHook; }));
    EXPECT_EQ(worker->LastRecordKey(), 'b');
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 1);
    for (char key : std::string("0123456789*#"))
        EXPECT_FALSE(UiSaid(StrPrintf("key: %c", key))) << "a key heard in the sound";
}

// The owner calls in from another phone: "*" (RFC 4733) in the greeting
// ends it and asks for remote access at once, the PIN typed at once (kept for the prompts that
// follow), the one new message played whole to the far end and marked heard, "#" ends. No key of
// the session reaches the trace or the service's lines.
TEST_F(SipLineStory, RemoteAccessPlaysTheNewMessageToTheFarEnd) {
    phone->nAction = 1;
    phone->sWaveGreet = MakeToneWav("long.wav", 1000, 20000, 8000);
    OfferRemoteAccess(); // PIN 0815
    AddNewMessage("message.wav", 700, 100);
    ASSERT_NO_FATAL_FAILURE(FarEndCalls());
    ASSERT_TRUE(WaitFor([&] { return State().bPlaying.load(); }));
    far->SendKeys("*");
    ASSERT_TRUE(WaitFor([&] { return UiSaid("remote access: asked for by the caller"); }));
    far->SendKeys("0815#");
    ASSERT_TRUE(WaitFor([&] { return UiSaid("remote access: PIN accepted"); }));
    ASSERT_TRUE(WaitFor([&] { return !State().bNewMessages; }, 60000)); // played, heard
    far->SendKeys("#");
    ASSERT_TRUE(far->WaitEnded());
    const std::vector<int16_t> heard = FarHeard();
    EXPECT_LT(FindTone(heard, 1000).nWindows, 500u); // not the greeting's 20 s
    const ToneSpan played = FindTone(heard, 700);
    EXPECT_NEAR(static_cast<double>(played.nWindows), 50, 4);
    EXPECT_NEAR(played.dRms, kToneRms, 0.1 * kToneRms);
    EXPECT_NE(home.Read("modem.log").find("OnDigitDetected <hidden>"), std::string::npos);
    for (char key : std::string("0815#"))
        EXPECT_TRUE(home.Read("modem.log").find(StrPrintf("Detected <0x%x>", key)) ==
                        std::string::npos &&
                    !UiSaid(StrPrintf("key: %c", key)) && !UiSaid(StrPrintf("'%c'", key)))
            << key;
}

// Talking at the PC, the call recorded: the far end answered here, or
// called from here (its recording starts by itself). The recording holds
// both voices at their levels, mixed or each on its channel; the PC's
// speaker plays the far end at the volume chosen; the far end hears the
// microphone; its hang-up ends the talk and stores the call.
struct TalkRow {
    const char* label;
    bool bDialled;
    bool bStereo;
    int nVolume;
};

class SipTalk : public SipLineStory, public ::testing::WithParamInterface<TalkRow> {};

TEST_P(SipTalk, ATalkedCallIsRecordedWithBothVoices) {
    const TalkRow& row = GetParam();
    phone->nAction = 0;
    phone->bTalkStereo = row.bStereo;
    phone->bRecordOriginated = row.bDialled;
    MicrophoneSpeaks();
    ChooseDeviceAndFarEnd();
    StartWorkerOnDevice();
    phone->CallState().SetTalkLevels(row.nVolume, false);
    if (row.bDialled) {
        worker->SetDialNumber(far->Uri());
        worker->PostThreadMessage(kMsgDial);
        ASSERT_TRUE(far->Answer());
    } else {
        FarEndCallsAndTheUserTalks();
        Request(kActionRecord);
    }
    const int channels = row.bStereo ? 2 : 1;
    const std::string file = WaitRecording(3000, channels);
    EXPECT_NEAR(ToneLevel(GetNullSoundBackend()->RecentlyPlayed(), 600),
                kToneRms * row.nVolume / 100, 0.15 * kToneRms);
    FarEndHangsUp();

    const CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sName, row.bDialled ? OriginatedText(far->Uri()) : "Anna Schmidt");
    EXPECT_EQ(rec.m_bMessage, 0);
    CWaveFile wav;
    ASSERT_TRUE(wav.Open(file));
    ASSERT_EQ(wav.Format().nChannels, channels);
    // The middle of the call: its edges may hold one voice only.
    std::vector<int16_t> mixed, left, right;
    for (int16_t v; wav.ReadSample(v);) {
        mixed.push_back(v);
        left.push_back(wav.Left());
        right.push_back(wav.Right());
    }
    ASSERT_GE(mixed.size(), 24000u);
    const auto middle = [](const std::vector<int16_t>& s) {
        return std::vector<int16_t>(s.begin() + 4000, s.end() - 4000);
    };
    // The microphone's noise is what is not the far end's tone.
    const auto noise = [](const std::vector<int16_t>& s) {
        return std::sqrt(std::max(0.0, Rms(s) * Rms(s) - ToneLevel(s, 600) * ToneLevel(s, 600)));
    };
    if (row.bStereo) {
        EXPECT_NEAR(ToneLevel(middle(left), 600), kToneRms, 0.15 * kToneRms);
        EXPECT_GT(ToneShare(middle(left), 600, 8000), 0.95);
        EXPECT_NEAR(Rms(middle(right)), kMicRms, 0.15 * kMicRms);
        EXPECT_LT(ToneShare(middle(right), 600, 8000), 0.05);
    } else {
        EXPECT_NEAR(ToneLevel(middle(mixed), 600), kToneRms, 0.15 * kToneRms);
        EXPECT_NEAR(noise(middle(mixed)), kMicRms, 0.15 * kMicRms);
    }
    // The far end heard the microphone, at its level.
    const std::vector<int16_t> spoken = Loud(FarHeard());
    EXPECT_GE(spoken.size(), 100 * kWindow);
    EXPECT_NEAR(Rms(spoken), kMicRms, 0.15 * kMicRms);
    ExpectNothingDropped();
}

INSTANTIATE_TEST_SUITE_P(Talks, SipTalk,
                         ::testing::Values(TalkRow{"AnsweredMixed", false, false, 100},
                                           TalkRow{"DialledStereo", true, true, 50}),
                         [](const auto& info) { return TestName(info.param.label); });

// While the user talks, music on hold plays to the far end through the
// talk, which goes on afterwards until the user ends it; a second caller
// hears busy.
TEST_F(SipLineStory, WhileTalkingHoldMusicReachesTheFarEndAndASecondCallerHearsBusy) {
    phone->nAction = 0;
    phone->sWaveHold = MakeToneWav("hold.wav", 1500, 3000, 8000);
    MicrophoneSpeaks();
    ChooseDeviceAndFarEnd();
    StartWorkerOnDevice();
    FarEndCallsAndTheUserTalks();

    CFarEnd second(home.File("sip-second"), speech, home.File("second-heard.wav"));
    ASSERT_TRUE(second.Call(NearUri(), "<sip:0309876543@127.0.0.1>"));
    EXPECT_TRUE(second.EndedBusy());

    Request(kActionHoldMusic);
    ASSERT_TRUE(WaitFor([&] { return State().bHold && phone->PlayedSamples() >= 16000; }));
    phone->CallState().RequestEndHold();
    ASSERT_TRUE(WaitFor([&] { return !State().bHold && !State().bPlaying; }));
    EXPECT_TRUE(State().bSpeakerphone);
    EXPECT_TRUE(State().bOffHook);
    // A second of the talk after the hold, on the PC's speaker.
    const uint64_t nPlayed = GetNullSoundBackend()->FramesPlayed();
    ASSERT_TRUE(WaitFor([&] { return GetNullSoundBackend()->FramesPlayed() > nPlayed + 8000; }));
    // The user ends the talk: the call is hung up.
    phone->CallState().RequestEndSpeakerphone();
    worker->Wake();
    ASSERT_TRUE(far->WaitEnded());
    ASSERT_TRUE(WaitFor([&] { return !State().bOffHook && !State().bSpeakerphone; }));
    const std::vector<int16_t> heard = FarHeard();
    const ToneSpan hold = FindTone(heard, 1500);
    EXPECT_GE(hold.nWindows, 90u);
    EXPECT_NEAR(hold.dRms, kToneRms, 0.1 * kToneRms);
    // The microphone again once the hold ended.
    const std::vector<int16_t> after =
        Loud(std::vector<int16_t>(heard.begin() + (hold.nLast + 5) * kWindow, heard.end()));
    EXPECT_GE(after.size(), 25 * kWindow);
    EXPECT_NEAR(Rms(after), kMicRms, 0.15 * kMicRms);
}

// With the record command set to answer instead (Legal), a talked call
// first hears the legal notice, then the conversation is recorded.
TEST_F(SipLineStory, TheLegalNoticeReachesTheFarEndBeforeTheTalkIsRecorded) {
    phone->nAction = 0;
    phone->sWaveGreet = MakeToneWav("legal.wav", 1200, 1000, 8000);
    MicrophoneSpeaks();
    ChooseDeviceAndFarEnd();
    StartWorkerOnDevice();
    FarEndCallsAndTheUserTalks();
    // As the main window's record command does with Legal on.
    phone->CallState().RequestEndTalking();
    Request(kActionAnswer);
    const std::string file = WaitRecording(2000);
    FarEndHangsUp();
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 0);
    EXPECT_LT(ToneShare(Samples(file), 1200, 8000), 0.01);
    const ToneSpan legal = FindTone(FarHeard(), 1200);
    EXPECT_NEAR(static_cast<double>(legal.nWindows), 50, 5);
}

// A sound card that cannot open: the user learns why, once, and the call
// is left ringing.
TEST_F(SipLineStory, ACardThatCannotOpenIsToldAndTheCallStaysUnanswered) {
    phone->nAction = 0;
    GetNullSoundBackend()->SetRefusedRates({8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000});
    ASSERT_NO_FATAL_FAILURE(FarEndCalls());
    ASSERT_TRUE(WaitFor([&] { return Rang(1); }));
    for (int i = 0; i < 2; ++i) {
        phone->CallState().RequestTalk();
        worker->Wake();
        ASSERT_TRUE(WaitFor([&] { return !State().bSpeakerphone && !State().bActionPending; }));
    }
    EXPECT_EQ(Told("not talking at the PC: "), 1u);
    const int nRings = worker->RingCount();
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() > nRings; })); // still ringing
    EXPECT_FALSE(State().bOffHook);
    // The user turns the call away.
    phone->CallState().RequestHangUp();
    worker->Wake();
    EXPECT_TRUE(far->WaitEnded());
}

} // namespace
