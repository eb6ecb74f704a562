// Incoming calls from the first RING to the stored call.
#include "EngineStory.h"

#include "audio/WaveFile.h"

// Silence detection is off (its time-out set all the same): the quiet line
// after the caller's words is recorded until the hang-up.
TEST_F(EngineStory, TypicalCallIsRecordedAndIndexed) {
    phone->DriverSettings().iSilenceDetectionTimeout = 15; // 1.5 s, were it on
    modemsim::CallerId id{"1206", "1530", "2125551234", "JOHN SMITH", ""};
    sim->SetCallerId(id, modemsim::CallerIdForm::Formatted);
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 3000, 8000).Silence(20000));
    sim->FarEndHangsUp(8000, 'b');
    StartWorker();

    sim->Ring(3, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitFor([&] { return UiSaid("JOHN SMITH - [212-555-1234] - Vorella"); }));
    EXPECT_EQ(State().curCall.Get().m_sName, "JOHN SMITH");
    EXPECT_EQ(State().curCall.Get().m_sNumber, "2125551234");
    EXPECT_EQ(State().curCall.Get().m_sDisplayNumber, "212-555-1234");

    Request(kActionRecord); // the user presses "Record"
    ASSERT_TRUE(sim->WaitForCommand("VRX", 30000));
    ASSERT_TRUE(WaitFor([&] { return !worker->LastRecording().empty(); }, 60000));
    const std::string file = worker->LastRecording();
    EXPECT_EQ(worker->LastRecordKey(), 'b'); // the caller hung up
    EXPECT_FALSE(worker->LastRecordEndedBySilence());

    // The WAV holds what the caller said: the tone, at its level, then the
    // quiet line, up to the hang-up.
    std::vector<int16_t> s = Samples(file);
    ASSERT_GE(s.size(), 8000u * 7);
    std::vector<int16_t> mid(s.begin() + 4000, s.begin() + 20000);
    EXPECT_GT(ToneShare(mid, 1000, 8000), 0.95);
    EXPECT_NEAR(Rms(mid), 8000 / std::sqrt(2.0), 500);
    EXPECT_NEAR(double(s.size()), 8000.0 * 8, 1600.0);
    EXPECT_LT(Rms({s.begin() + 8000 * 4, s.begin() + 8000 * 7}), 100);

    // The index holds the finished call.
    ASSERT_TRUE(WaitForCalls(1, 7));
    CDataStructure rec = Index().GetAt(0);
    EXPECT_EQ(rec.m_sFile, std::filesystem::path(file).filename().string());
    EXPECT_EQ(rec.m_sName, "JOHN SMITH");
    EXPECT_EQ(rec.m_sNumber, "2125551234");
    EXPECT_EQ(rec.m_nLength, int(s.size() / 8000));
    // Missed-call notices are off: no call is kept for one, so the list
    // cannot grow over a long run.
    EXPECT_TRUE(State().recentCalls.Get().empty());
    // The call ended: the line went back on-hook.
    ASSERT_TRUE(WaitOnHook());
}

// ---- caller ID of every kind, through the running worker -------------------

// When the caller's data comes: with the rings, or as lines of its own ahead
// of the first ring, or while the worker sets the modem up.
enum class CidWhen { WithTheRings, AheadOfTheFirstRing, DuringTheSetUp };

struct CidCase {
    friend void PrintTo(const CidCase& c, std::ostream* os) { *os << c.label; }
    const char* label;
    int nCIDType;
    modemsim::CallerIdForm form;
    modemsim::CallerId id;
    const char* number;  // as stored
    const char* display; // as shown
    const char* name;
    CidWhen when = CidWhen::WithTheRings;
};

class CallerIdStory : public EngineStory, public ::testing::WithParamInterface<CidCase> {};

TEST_P(CallerIdStory, TheCallerReachesTheCurrentCall) {
    const CidCase& c = GetParam();
    phone->nCIDType = c.nCIDType;
    phone->Profile().sCmdEnableHardwareCID = "#CID=1";
    phone->dwTimeToGet = 2000;
    if (c.when == CidWhen::WithTheRings)
        sim->SetCallerId(c.id, c.form);
    else if (c.when == CidWhen::DuringTheSetUp) // the set-up's answers come after it
        sim->SendRaw(c.id.message);
    StartWorker();
    if (c.nCIDType == kCidHardware) { // told to report the number as digits
        EXPECT_TRUE(SentCommand(*sim, "#CID=1"));
    }
    if (c.when == CidWhen::AheadOfTheFirstRing) // read while the worker waits for the ring
        sim->SendRaw(c.id.message);
    sim->Ring(3, modemsim::RingCadence{400, 60});
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() >= 2; }));
    // The number may be shown before the reading ends, the name with its end.
    ASSERT_TRUE(WaitFor([&] {
        CNumber call = State().curCall.Get();
        return call.m_sNumber == c.number && call.m_sName == c.name && !State().bCidBusy;
    })) << State().curCall.Get().m_sNumber
        << " / " << State().curCall.Get().m_sName;
    CNumber call = State().curCall.Get();
    EXPECT_EQ(call.m_sDisplayNumber, c.display);
    EXPECT_EQ(call.m_sTime.size(), 4u); // the PC's clock, "hhmm"
    EXPECT_EQ(call.m_sDate.size(), 8u);
    if (c.form == modemsim::CallerIdForm::Formatted) { // the modem trace names the field
        EXPECT_NE(home.Read("modem.log").find("Result_CID_NMBR: "), std::string::npos);
    }
}

namespace {

using modemsim::CallerIdForm;
const std::string kArcher = "NMBR = 5071234567\r\nNAME = ARCHER L";

// What a modem sends as it is, the layouts real modems and exchanges use.
modemsim::CallerId Raw(const std::string& text) {
    return {"", "", "", "", text};
}
// The fields of a formatted layout after its date and time.
modemsim::CallerId Dated(const std::string& fields) {
    return Raw("\r\nDATE = 1207\r\nTIME = 1405\r\n" + fields + "\r\n\r\n");
}

} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    EveryType, CallerIdStory,
    ::testing::Values(
        CidCase{"formatted", kCidFormatted, CallerIdForm::Formatted, {"0321", "1405", "5551234", "JOHN DOE", ""}, "5551234", "555-1234", "JOHN DOE"},
        CidCase{"formatted, long listening", kCidFormattedLong, CallerIdForm::Formatted, {"0321", "1405", "12125551234", "JANE ROE", ""}, "12125551234", "1 212-555-1234", "JANE ROE"},
        CidCase{"unformatted hexadecimal", kCidUnformatted, CallerIdForm::Unformatted, {"", "", "2125551234", "", ""}, "2125551234", "212-555-1234", ""},
        CidCase{"hardware digits", kCidHardware, CallerIdForm::HardwareDigits, {"", "", "2125551234", "", ""}, "2125551234", "212-555-1234", ""},
        CidCase{"a stranger's control bytes", kCidFormatted, CallerIdForm::Formatted, {"0321", "1405", "5551234", "EVIL\x1b[2J\x07NAME", ""}, "5551234", "555-1234", "EVIL[2JNAME"},
        CidCase{"nothing sent", kCidFormatted, CallerIdForm::None, {}, "NA", "NA", ""},
        CidCase{"no spaces", kCidFormatted, CallerIdForm::Raw, Raw("\r\nDATE=1207\r\nTIME=1405\r\nNMBR=5071234567\r\nNAME=ARCHER L\r\n\r\n"), "5071234567", "507-123-4567", "ARCHER L"},
        CidCase{"dialled number field", kCidFormatted, CallerIdForm::Raw, Dated("DDN_" + kArcher), "5071234567", "507-123-4567", "ARCHER L"},
        CidCase{"six digit date", kCidFormatted, CallerIdForm::Raw, Raw("\r\nDATE = 120726\r\nTIME = 1405\r\nNMBR = 5551234\r\nNAME = JOHN\r\n\r\n"), "5551234", "555-1234", "JOHN"},
        CidCase{"out of area", kCidFormatted, CallerIdForm::Raw, Dated("NMBR = O\r\nNAME = OUT OF AREA"), "O", "O", "OUT OF AREA"},
        CidCase{"withheld", kCidFormatted, CallerIdForm::Raw, Dated("NMBR = P\r\nNAME = P"), "P", "P", "P"},
        // A message line ahead of the fields brings no number: the fields are read.
        CidCase{"a message line first", kCidFormatted, CallerIdForm::Raw, Raw("\r\nMESG = 110101" + Dated(kArcher).message), "5071234567", "507-123-4567", "ARCHER L"},
        // Name and number on one line.
        CidCase{"two fields on a line", kCidFormatted, CallerIdForm::Raw, Dated("NAME=ARCHER L       NMBR=5071234567"), "5071234567", "507-123-4567", "ARCHER L"},
        CidCase{"two fields with the dialled number", kCidFormatted, CallerIdForm::Raw, Raw("\r\nTIME = 1405\r\nNAME = ARCHER L   DDN_NMBR = 5071234567\r\n\r\n"), "5071234567", "507-123-4567", "ARCHER L"},
        // Long listening goes on after a message keyword in the number line.
        CidCase{"message keyword in the number", kCidFormattedLong, CallerIdForm::Formatted, {"", "", "5551234 MESG 0715", "JOHN", ""}, "5551234 ", "5551234", "JOHN"},
        CidCase{"ahead of the first ring", kCidFormatted, CallerIdForm::None, Raw("\r\n" + kArcher + "\r\n\r\n"), "5071234567", "507-123-4567", "ARCHER L", CidWhen::AheadOfTheFirstRing},
        CidCase{"during the modem set-up", kCidFormatted, CallerIdForm::None, Raw("\r\n" + kArcher + "\r\n\r\n"), "5071234567", "507-123-4567", "ARCHER L", CidWhen::DuringTheSetUp}),
    // clang-format on
    [](const auto& i) { return TestName(i.param.label); });

// ---- rings that end, pausing, the modem going away -------------------------

TEST_F(EngineStory, PausingDuringARingForgetsTheCallAndTheNextRingStartsANewOne) {
    JohnDoeCalls();
    StartWorker();
    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(
        WaitFor([&] { return State().curCall.Get().m_sNumber == "5551234" && !State().bCidBusy; }));
    State().bPaused = true;
    worker->Wake();
    ASSERT_TRUE(WaitFor([&] { return !phone->ModemDriver()->IsOpen(); }));
    // The call is forgotten with the device: no rings are left to end
    // later, nothing is stored.
    ASSERT_TRUE(WaitFor([&] { return worker->RingCount() == 0 && !State().bRinging; }));
    EXPECT_FALSE(std::filesystem::exists(CallFolder() + "index.dat"));
    EXPECT_TRUE(worker->CurrentFile().empty());

    // Monitoring on again, well within the rings' 8 s: the modem is set up
    // again, and a new caller rings once the step that reopens the modem
    // (caller-ID command included) is over.
    const uint64_t steps = worker->StepCount();
    State().bPaused = false;
    ASSERT_TRUE(WaitFor([&] { return ModemReady() && worker->StepCount() >= steps + 2; }));
    sim->SetCallerId({"0321", "1406", "5559876", "MARY MAJOR", ""},
                     modemsim::CallerIdForm::Formatted);
    sim->Ring(1, modemsim::RingCadence::Fast());
    // Read at its first ring, as a new call's caller ID is.
    ASSERT_TRUE(WaitFor([&] {
        CNumber c = State().curCall.Get();
        return c.m_sNumber == "5559876" && c.m_sName == "MARY MAJOR" && !State().bCidBusy;
    }));
    EXPECT_EQ(worker->RingCount(), 1);
}

TEST_F(EngineStory, AModemThatNeverAnswersItsSetUpPausesMonitoring) {
    sim->SetMisbehaviour(modemsim::Misbehaviour::Silent);
    LaunchWorker();
    // The port opens, the modem says nothing: the user sees monitoring off
    // rather than a program that looks ready and never hears a ring.
    ASSERT_TRUE(WaitFor([&] { return State().bPaused.load() && !phone->ModemDriver()->IsOpen(); }));
    EXPECT_FALSE(phone->ModemDriver()->m_bInitialized);
    // The modem answers again and the user turns monitoring on.
    sim->SetMisbehaviour(modemsim::Misbehaviour::None);
    State().bPaused = false;
    ASSERT_TRUE(WaitFor([&] { return ModemReady(); }));
    EXPECT_FALSE(State().bPaused.load());
}

TEST_F(EngineStory, ModemVanishingMidRecordingLeavesAPlayableIndexedFile) {
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 10000, 8000));
    sim->VanishInVoiceStream(2000);
    StartWorker();
    Request(kActionRecord);
    ASSERT_TRUE(WaitFor([&] { return sim->HasVanished(); }));
    ASSERT_TRUE(WaitFor([&] { return !worker->LastRecording().empty(); }, 60000));
    ASSERT_EQ(Index().GetSize(), 1);
    const std::string file = worker->LastRecording();
    EXPECT_EQ(file, CallFolder() + Index().GetAt(0).m_sFile);
    std::vector<int16_t> s = Samples(file);
    EXPECT_GE(s.size(), 8000u); // what came before the modem went away
    EXPECT_LE(s.size(), 8000u * 3);
    EXPECT_GT(ToneShare(s, 1000, 8000), 0.9);
    ASSERT_TRUE(WaitForCalls(1));

    // The worker keeps trying to reopen the port; a modem on it again is taken up.
    const uint64_t steps = worker->StepCount();
    ASSERT_TRUE(WaitFor([&] { return worker->StepCount() > steps + 2; }));
    StartSim();
    ASSERT_TRUE(WaitFor([&] { return ModemReady(); }, 60000));
}

TEST_F(EngineStory, CompressedStorageAndCustomNames) {
    phone->bCompressWav = true;
    phone->fUseComvurgent = true;
    phone->fKestrixCustomization = true;
    phone->sKestrixThisComputerID = "PC7";
    sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 2000, 8000));
    sim->FarEndHangsUp(2000, 'd');
    StartWorker();
    Request(kActionRecord);
    ASSERT_TRUE(WaitFor([&] { return Index().GetSize() == 1 && !State().bActionPending; }, 60000));
    const std::string name = Index().GetAt(0).m_sFile;
    EXPECT_EQ(name.rfind("PC7", 0), 0u) << name;
    CWaveFile w;
    ASSERT_EQ(w.Open(CallFolder() + name), 1);
    EXPECT_TRUE(w.Format().IsGsm());
    w.CloseRead();
    EXPECT_GT(ToneShare(Samples(CallFolder() + name), 1000, 8000), 0.8);
    EXPECT_FALSE(std::filesystem::exists(CallFolder() + name + ".bak"));
    EXPECT_FALSE(std::filesystem::exists(CallFolder() + name + ".gsm"));
}
