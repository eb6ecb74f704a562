// The worker on the USB adapter (the simulated one, its events sent from
// the test's thread as the adapter's event thread would): a call rings,
// shows its caller, is answered with the greeting and its message stored
// as on the modem until a busy tone, a key or a fax tone ends it; the local
// phone put down ends a recording; a greeting recorded from the line shows
// as a recording; wrong PINs close remote access; a missing adapter pauses
// monitoring with its message until it is there.
#include "AdapterTestWorker.h"
#include "EngineStory.h"
#include "HostPort.h"

#include "adapter/AdapterDeviceLayer.h"
#include "adapter/AdapterEvents.h"
#include "adapter/AdapterWorkerLink.h"
#include "adapter/HiPhoneDev.h"
#include "adapter/SimulatedAdapter.h"

#include <algorithm>
#include <atomic>

namespace {

// The caller's ETSI caller-ID message, as the adapter delivers it.
const std::string kAnnsCallerId = CallerIdMessage(std::string("\x02\x0A"
                                                              "0301234567",
                                                              12) +
                                                      std::string("\x07\x0B"
                                                                  "Ann Example",
                                                                  13),
                                                  true);

std::vector<int16_t> Tone(double hz, int ms) {
    return Sine(hz, 8000, static_cast<size_t>(8 * ms), 6000);
}

class AdapterStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        adapter = CSimulatedAdapter::Create();
        phone->DeviceFactories().Register(DeviceKind::UsbAdapter, [this](IDeviceHost& host) {
            return MakeWorkerAdapterDevice(
                host, [this] { return worker && worker->HandsetRecordingMarked(); },
                adapter->Factory());
        });
        phone->fUseHiPhone = true;
        phone->nAction = 1; // the machine answers
        phone->nRings = 2;
        phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 800);
        phone->ChooseDevice();
    }
    // Waits until file holds nSamples of sound (a recording's writes reach
    // it every two seconds of sound).
    static bool Holds(const std::string& file, size_t nSamples) {
        return WaitFor([&] {
            std::error_code ec;
            return std::filesystem::file_size(file, ec) >= 44 + 2 * nSamples && !ec;
        });
    }
    void WaitForRecordedSound(size_t nSamples) {
        ASSERT_TRUE(
            WaitFor([&] { return State().bRecording.load() && !worker->CurrentFile().empty(); }));
        ASSERT_TRUE(Holds(worker->CurrentFile(), nSamples));
    }
    bool AdapterDid(const std::string& op) const {
        const std::vector<std::string> calls = adapter->Calls();
        return std::find(calls.begin(), calls.end(), op) != calls.end();
    }
    // Rings with the caller's ID behind the first ring, as the line delivers
    // it, until the machine answers: at the second ring, or at the first.
    void AnnCallsAndIsAnswered(int nRings = 2) {
        EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
        ASSERT_TRUE(nRings == 1 || WaitFor([&] { return Rang(1); }));
        EXPECT_TRUE(adapter->TextEvent(kAdTextCallerId, 0, kAnnsCallerId));
        if (nRings == 2) {
            ASSERT_TRUE(WaitFor(
                [&] { return UiSaid("caller: name=\"Ann Example\" number=\"030-123-4567\""); }));
            EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
        }
        ASSERT_TRUE(WaitFor([&] { return adapter->IsOffHook(); }));
    }

    std::shared_ptr<CSimulatedAdapter> adapter;
};

// What ends the message the machine takes: the caller's hang-up (the busy
// tone), a key whose table action is "stop" ("5" has none and is only
// shown), a fax machine's tone (which the adapter cannot pass on, and says
// so). Set to answer at the first ring, with the caller's ID right behind
// it, the machine answers at that ring and the message carries the number.
struct MessageEnd {
    const char* label;
    int nRings;
    int nEvent;
    char cKey;         // the key the recording ended with
    const char* sSaid; // what the user is told ("" nothing)
};

const MessageEnd kMessageEnds[] = {
    {"BusyTone", 2, kAdEvBusy, 'b', ""},
    {"BusyToneAfterTheFirstRing", 1, kAdEvBusy, 'b', ""},
    {"StopKey", 2, kAdEvKey, '#', ""},
    {"FaxTone", 2, kAdEvFaxTone, 'c',
     "status: fax call not handed over on the USB telephone adapter"},
};

class MessageEnds : public AdapterStory, public ::testing::WithParamInterface<MessageEnd> {};

TEST_P(MessageEnds, TheMachineAnswersRecordsTheMessageUntilItsEndAndIndexesIt) {
    const MessageEnd& end = GetParam();
    phone->nRings = end.nRings;
    phone->bFax = end.nEvent == kAdEvFaxTone;
    phone->DriverSettings().m_dtmf[15] = kActionStop;
    phone->DriverSettings().m_dtmf[5] = 0;
    StartWorkerOnDevice();
    EXPECT_EQ(phone->Device().Kind(), DeviceKind::UsbAdapter);
    AnnCallsAndIsAnswered(end.nRings);
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(16000);
    // The greeting went to the line through the adapter's wave-out device.
    const std::vector<int16_t> played = adapter->TakePlayed();
    EXPECT_GE(played.size(), 6000u);
    EXPECT_GT(ToneShare(played, 600, 8000), 0.8);
    const std::string file = worker->CurrentFile();
    EXPECT_TRUE(adapter->Event(kAdEvKey, 5));
    ASSERT_TRUE(WaitFor([&] { return UiSaid("key: 5"); }));
    EXPECT_TRUE(State().bRecording);

    EXPECT_TRUE(adapter->Event(end.nEvent, end.nEvent == kAdEvKey ? AdapterKeyParam('#') : 0));
    // The recording's flag drops inside the device's loop, a moment before
    // the worker keeps the key that ended it.
    ASSERT_TRUE(WaitFor([&] {
        return Index().GetSize() == 1 && !State().bOffHook && !State().bRecording &&
               worker->LastRecordKey() != -1;
    }));
    EXPECT_EQ(worker->LastRecordKey(), end.cKey);
    EXPECT_FALSE(State().bActionPending);
    const CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sNumber, "0301234567");
    EXPECT_EQ(rec.m_sName, "Ann Example");
    EXPECT_EQ(rec.m_bMessage, 1);
    const std::vector<int16_t> message = Samples(file);
    ASSERT_GE(message.size(), 16000u);
    EXPECT_GT(ToneShare(message, 1000, 8000), 0.8);
    // The line was put back, and the adapter's sound stopped with the call.
    ASSERT_TRUE(WaitFor([&] { return !adapter->IsOffHook(); }));
    EXPECT_TRUE(AdapterDid("stop-record"));
    EXPECT_TRUE(UiSaid(end.sSaid)) << end.sSaid;
}

INSTANTIATE_TEST_SUITE_P(Adapter, MessageEnds, ::testing::ValuesIn(kMessageEnds),
                         [](const auto& info) { return std::string(info.param.label); });

// A ring the adapter sent as the line was taken is handled only once the
// call is over, while the line is still off hook: it is that call's. The
// next caller rings the moment the line is put back, before the worker is
// round its loop again: a new call, answered too.
TEST_F(AdapterStory, TheNextCallerRingingAsTheLineIsPutBackIsAnswered) {
    const auto answers = [&] {
        const std::vector<std::string> calls = adapter->Calls();
        return std::count(calls.begin(), calls.end(), "off-hook");
    };
    std::atomic<bool> bBusy{false};
    CLoggingUiBridge front([&](const std::string& line) {
        if (line == "call busy: on")
            bBusy = true;
        else if (line == "call busy: off" && bBusy.exchange(false) && answers() == 1)
            adapter->Event(kAdEvIncomingCall, 0);
    });
    phone->nRings = 1;
    LaunchWorker(&front);
    EXPECT_TRUE(WaitFor([&] { return phone->Device().IsOpen() && worker->StepCount() >= 1; }));
    EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
    EXPECT_TRUE(WaitFor([&] { return !adapter->TakePlayed().empty(); })); // the greeting
    EXPECT_TRUE(adapter->Event(kAdEvIncomingCall, 0));
    EXPECT_TRUE(adapter->Event(kAdEvBusy, 0));
    EXPECT_TRUE(WaitFor([&] { return answers() == 2; }));
    worker.reset(); // before its front end goes
}

TEST_F(AdapterStory, TheLocalPhoneLiftedIsRecordedUntilItIsPutDown) {
    phone->nAction = 0;
    phone->bHandsetStart = true;
    phone->bRecordImmediately = true;
    StartWorkerOnDevice();
    EXPECT_TRUE(adapter->Event(kAdEvLocalOffHook, 0));
    adapter->QueueLineSound(Tone(1000, 3000));
    WaitForRecordedSound(16000);
    EXPECT_TRUE(phone->Device().HandsetOffHook());
    EXPECT_TRUE(adapter->Event(kAdEvLocalOnHook, 0));
    ASSERT_TRUE(WaitFor(
        [&] { return Index().GetSize() == 1 && !State().bRecording && !State().bOffHook; }));
    EXPECT_FALSE(phone->Device().HandsetOffHook());
    EXPECT_EQ(Index().GetAt(0).m_bMessage, 0);
    EXPECT_GT(ToneShare(Samples(worker->LastRecording()), 1000, 8000), 0.8);
}

TEST_F(AdapterStory, AGreetingRecordedFromTheLineShowsAsARecordingUntilTheUserStopsIt) {
    const std::string greeting = home.File("my-greeting.wav");
    phone->DriverSettings().dwInactiveTimer = 600000; // the user ends it, not the limit
    StartWorkerOnDevice();
    adapter->QueueLineSound(Tone(700, 3000));
    worker->SetPlayFile(greeting);
    Request(kActionRecordGreeting);
    // The window and the tray see the recording, as with a modem.
    ASSERT_TRUE(WaitFor([&] { return State().bRecording.load() && adapter->IsOffHook(); }));
    ASSERT_TRUE(Holds(greeting, 16000));
    // The user's "stop recording": the flag cleared, the stop request raised.
    State().bRecording = false;
    phone->Device().SetStopRequest(true);
    worker->Wake();
    ASSERT_TRUE(WaitFor(
        [&] { return !State().bActionPending && !State().bRecording && !adapter->IsOffHook(); }));
    EXPECT_GT(ToneShare(Samples(greeting), 700, 8000), 0.8);
    EXPECT_EQ(Index().GetSize(), 0) << "a greeting is not a call";
}

// Three calls of three wrong PINs and one more, ten minutes apart by the
// clock: the tenth failure closes remote access for the hour, and the owner
// is told by a notice.
TEST_F(AdapterStory, TenWrongPinsInAnHourCloseRemoteAccessAndTellTheOwner) {
    OfferRemoteAccess();
    phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 8000);
    auto now = std::make_shared<std::atomic<int64_t>>(1'000'000);
    remoteClock = [now] { return now->load(); };
    phone->nRings = 1;
    StartWorkerOnDevice();
    const auto said = [&](const std::string& text) {
        const std::vector<std::string> lines = ui.Lines();
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(text) != l.npos; });
    };
    for (int call = 1; call <= 4; ++call) {
        *now += 600;
        adapter->TakePlayed();
        // The line rings until the machine answers.
        ASSERT_TRUE(WaitFor([&] {
            adapter->Event(kAdEvIncomingCall, 0);
            return WaitFor([&] { return adapter->IsOffHook(); }, 500);
        }));
        ASSERT_TRUE(WaitFor([&] { return !adapter->TakePlayed().empty(); })); // the greeting
        EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam('*')));
        ASSERT_TRUE(
            WaitFor([&] { return said("remote access: asked for by the caller") == call; }));
        for (char k : std::string("1#1#1#"))
            EXPECT_TRUE(adapter->Event(kAdEvKey, AdapterKeyParam(k)));
        ASSERT_TRUE(
            WaitFor([&] { return said("remote access: ended") == call && !adapter->IsOffHook(); }));
    }
    const std::string text = "wrong PIN 10 times in an hour: remote access is off for an hour";
    EXPECT_EQ(said("remote access: " + text), 1);
    const std::vector<CallEvent> events = Events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [&](const CallEvent& e) {
                                const auto* n = std::get_if<CallsForNotice>(&e);
                                return n && n->calls.size() == 1 && n->calls[0].m_sMemo == text;
                            }),
              1);
}

TEST_F(AdapterStory, AMissingAdapterPausesMonitoringWithItsMessageUntilItIsThere) {
    adapter->SetPresent(false);
    worker = std::make_unique<CMultiThread>(*phone, ui, callLog);
    worker->SetSaveOnExit(false);
    ASSERT_TRUE(worker->Start());
    worker->SignalStart();
    ASSERT_TRUE(WaitFor([&] { return UiSaid("message 158") && UiSaid("monitoring: paused"); }));
    EXPECT_TRUE(State().bPaused);
    EXPECT_FALSE(phone->Device().IsOpen());

    // Plugged in, and monitoring resumed: it opens.
    adapter->SetPresent(true);
    State().bPaused = false;
    worker->Wake();
    ASSERT_TRUE(WaitFor([&] { return phone->Device().IsOpen() && adapter->IsOpen(); }));
    EXPECT_TRUE(AdapterDid("open"));
}

} // namespace
