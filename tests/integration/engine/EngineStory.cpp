// The shared part of the whole-call stories: the fixture's set-up and the
// helpers that wait, measure a recording and look at what the modem was sent.
#include "EngineStory.h"

#include "HostPort.h"
#include "engine/ProgramFile.h"

double ToneShare(const std::vector<int16_t>& s, double hz, double rate) {
    return ToneShare(s.data(), s.size(), static_cast<int>(rate), hz);
}

double Rms(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s)
        sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / double(s.size()));
}

std::string TestName(const std::string& label) {
    std::string s;
    for (char ch : label)
        s += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return s;
}

bool SentCommand(const modemsim::ModemSim& sim, const std::string& text) {
    for (const std::string& c : sim.ReceivedCommands())
        if (c.find(text) != std::string::npos)
            return true;
    return false;
}

void EngineStory::SetUp() {
    home.CopyShipped("vorella.def");
    StartSim();
    phone = std::make_unique<CPhone>();
    phone->LoadAll();
    phone->SetUi(&ui);
    // Short timings: a story must not wait for a real line.
    CCommDriver& d = *phone->ModemDriver();
    d.Settings().nComPort = kPort;
    d.SetDebugLevel(1);
    d.Profile().nCompression = 8;
    d.Profile().nCompressionBS = 8;
    d.Profile().nCompressionSampleRate = 8000;
    d.Settings().dwTimeoutDefault = 2000;
    d.Settings().dwTimeoutQuant = 10;
    d.Settings().bSilenceDetection = false;
    d.Settings().dwInactiveTimer = 60000;
    phone->bSoftAGC = false;
    phone->m_iVolume = 50;
    phone->nCIDType = kCidFormatted;
    phone->dwTimeToGet = 3000;
    phone->dwTimeToWait = 500;
    phone->iPopup = 0;
    phone->sWaveRingIn = "";
    phone->bEMailCID = 0;
    phone->nRings = 1;
    phone->dwBaudRate = 115200;
    phone->nDebugLevel = 1;
}

void EngineStory::TearDown() {
    if (HasFailure()) {
        // What the modem and the simulator saw, for the failure's story.
        for (const char* f : {"modem.log", "sim.log"}) {
            std::string t = home.Read(f);
            std::cerr << "---- " << f << " (end)\n"
                      << t.substr(t.size() > 4000 ? t.size() - 4000 : 0) << "\n";
        }
    }
    worker.reset();
    phone.reset();
    sim.reset();
}

void EngineStory::StartSim(const std::string& personality) {
    modemsim::ModemSimOptions o = modemsim::ModemSimOptions::For(personality);
    o.logFile = home.File("sim.log");
    sim = std::make_unique<modemsim::ModemSim>(o);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    ASSERT_TRUE(SetComPortDevice(kPort, sim->SlavePath()));
    sim->SetVoiceFormat({8, 8000, 0});
}

void EngineStory::LaunchWorker(IUiBridge* front) {
    worker = std::make_unique<CMultiThread>(*phone, front ? *front : ui, callLog);
    worker->SetSaveOnExit(false);
    worker->CallEvents().Subscribe("story", [this](const CallEvent& e) {
        std::lock_guard lock(m_eventsMutex);
        m_events.push_back(e);
    });
    worker->SetMailSettleRounds(1);
    worker->SetMailRetryPolicy({std::chrono::milliseconds(100), std::chrono::seconds(1)});
    worker->SetForwardRetryDelay(std::chrono::milliseconds(100));
    if (remoteClock)
        worker->SetRemoteAccessClock(remoteClock);
    ASSERT_TRUE(worker->Start());
    worker->SignalStart();
}

void EngineStory::StartWorkerUntil(const std::function<bool()>& ready) {
    LaunchWorker();
    ASSERT_TRUE(WaitFor([&] { return ready() && worker->StepCount() >= 1; }));
}

void EngineStory::StartWorker() {
    StartWorkerUntil([&] { return phone->ModemDriver()->m_bInitialized.load(); });
}

void EngineStory::StartWorkerOnDevice() {
    StartWorkerUntil([&] { return phone->Device().IsOpen(); });
}

void EngineStory::MailNoticesTo(int port) {
    phone->bEMailCID = 2; // by SMTP
    phone->m_sSmtp = "127.0.0.1";
    phone->m_nSmtpPort = port;
    phone->m_nSmtpSecurity = 0;
    phone->m_sRecipsAdderss = "owner@example.com";
    phone->m_sOriginatorAddress = "vorella@example.com";
}

bool EngineStory::WaitForCalls(int n, int minSeconds) const {
    return WaitFor(
        [&] {
            const CDataStructureArray a = Index();
            return a.GetSize() == n && a.GetAt(n - 1).m_nLength >= minSeconds;
        },
        60000);
}

CDataStructureArray EngineStory::Index() const {
    CDataStructureArray a;
    a.Load(CallFolder() + "index.dat");
    return a;
}

std::vector<int16_t> EngineStory::Samples(const std::string& path) const {
    std::vector<int16_t> s;
    WaveFormat f;
    std::string error;
    EXPECT_TRUE(ReadWaveSamples(path, s, f, error)) << error;
    return s;
}

std::string EngineStory::MakeToneWav(const std::string& name, double hz, int ms, int amp) {
    std::vector<int16_t> s(size_t(8 * ms));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(amp * std::sin(2 * M_PI * hz * double(i) / 8000));
    std::string path = home.File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    CWaveFile w;
    EXPECT_EQ(w.Create(path, PcmFormat(8000)), 1);
    w.WriteSamples(s.data(), s.size());
    EXPECT_TRUE(w.CloseWrite());
    return path;
}

void EngineStory::OfferRemoteAccess() {
    phone->sPin = "0815";
    phone->DriverSettings().m_dtmf[kDtmfStar] = kActionRemoteAccess;
    phone->bPinInstruct = false;
    phone->sPinRequest = MakeToneWav("wave/pin.wav", 400, 300);
    phone->sWaveRemoteGlobal = phone->sWaveNewMessage = phone->sWaveNoNewMessages = "";
}

std::string EngineStory::AddNewMessage(const std::string& name, double hz, int64_t t, int ms) {
    HistoryEntry message;
    message.tTime = t;
    message.outcome = CallOutcome::Message;
    message.sRecording = MakeToneWav("Recorded Calls/" + name, hz, ms);
    EXPECT_NE(Contacts().AppendCall(message), 0);
    return message.sRecording;
}

void EngineStory::ExpectMessageHeardWhole(const std::vector<int16_t>& played, double hz,
                                          size_t nSamples) {
    const size_t nBefore = 800;
    ASSERT_GE(played.size(), nSamples + nBefore);
    const auto end = played.end();
    const std::vector<int16_t> message(end - static_cast<long>(nSamples), end);
    const std::vector<int16_t> before(end - static_cast<long>(nSamples + nBefore),
                                      end - static_cast<long>(nSamples));
    EXPECT_GT(ToneShare(message, hz, 8000), 0.9);
    EXPECT_NEAR(Rms(message), 8000 / std::sqrt(2.0), 500);
    EXPECT_LT(ToneShare(before, hz, 8000), 0.5) << "the message once, no longer";
    EXPECT_GT(Rms(before), 300) << "spoken before it";
}

void EngineStory::ExpectNoKeyLogged() {
    for (const char* key : {"key: 0", "key: 8", "key: #"})
        EXPECT_FALSE(UiSaid(key)) << key;
    EXPECT_EQ(home.Read("modem.log").find("0815"), std::string::npos);
}

bool EngineStory::UiSaid(const std::string& text) const {
    for (const std::string& l : ui.Lines())
        if (l.find(text) != std::string::npos)
            return true;
    return false;
}

CContactStore& EngineStory::Contacts() {
    if (!m_contacts) {
        m_numbers = std::make_unique<CPhoneNumbers>(phone->sCountry, phone->AreaCode);
        m_contacts = std::make_unique<CContactStore>(*m_numbers);
        EXPECT_TRUE(m_contacts->Open(ProgramFile(phone->sFileContacts))) << m_contacts->Error();
    }
    return *m_contacts;
}

std::vector<HistoryEntry> EngineStory::WaitForHistory(size_t n) {
    std::vector<HistoryEntry> calls;
    EXPECT_TRUE(WaitFor([&] {
        calls = Contacts().Calls(HistoryFilter::All, 0, 100);
        return calls.size() >= n;
    })) << calls.size() << " calls in the history";
    return calls;
}

std::vector<CallEvent> EngineStory::Events() const {
    std::lock_guard lock(m_eventsMutex);
    return m_events;
}

bool EngineStory::Rang(int nRings) const {
    for (const CallEvent& e : Events())
        if (const auto* r = std::get_if<CallRinging>(&e); r && r->nRings == nRings)
            return true;
    return false;
}
