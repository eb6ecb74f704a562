// The mail notice of a message the answering machine took, delivered to a
// real SMTP server: the recording goes with it as the settings say, and the
// call's time and date are written the way the user's locale writes them.
#include "EngineStory.h"

#include "ChildProcess.h"
#include "ScopedEnv.h"

// glibc keeps the search path of a locale loaded through LOCPATH for good
// (one small block each time a locale is opened); that is the C library's,
// not a leak of this program.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

class NoticeStory : public EngineStory {
protected:
    void SetUp() override {
        EngineStory::SetUp();
        inbox = home.File("inbox/");
        std::filesystem::create_directories(inbox);
        StartServer();
        MailNoticesTo(server->Port());
        phone->bEAttachVoice = true;
        phone->sWaveGreet = MakeToneWav("wave/greet.wav", 600, 300);
        phone->nAction = 1; // away: the machine answers
        phone->nRings = 2;
        // A text message for each message too, on a mobile-network modem.
        ASSERT_TRUE(mobile.Start());
        ASSERT_TRUE(SetComPortDevice(kPort + 1, mobile.SlavePath()));
        phone->m_PagerPort = kPort + 1;
        phone->m_PagerPhone = "+49 (30) 555-0100";
        phone->m_PagerMessage = "call.event from call.name, call.number";
    }

    void StartServer() {
        server = std::make_unique<ServerProcess>(std::vector<std::string>{
            "/usr/bin/python3", SourceFile("tests/integration/notify/smtp_server.py"), "--folder",
            inbox, "--mode", "plain"});
    }

    // A caller leaves a message of 1.5 s (the worker started): John Doe,
    // or another caller after him.
    void LeaveMessage(bool bStranger = false) {
        sim->SetCallerId({"0321", "1405", bStranger ? "5559876" : "5551234",
                          bStranger ? "STRANGER" : "JOHN DOE", ""},
                         modemsim::CallerIdForm::Formatted);
        sim->SetVoiceSource(modemsim::SignalSource().Tone(1000, 20000, 8000));
        sim->Ring(3, modemsim::RingCadence{400, 60});
        EXPECT_TRUE(sim->WaitForCommand("VRX", 30000));
        sim->InjectEvent('b', 1500);
    }

    // A message and its notice; returns the folder of home the notice was
    // parsed into (check_mail.py).
    std::string MessageAndItsNotice(bool bStrangerFirst = false) {
        StartWorker();
        if (bStrangerFirst) {
            LeaveMessage(true);
            EXPECT_TRUE(WaitForHistory(1).size() == 1 && WaitOnHook());
        }
        LeaveMessage();
        EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(inbox + "msg1.eml"); }, 60000));
        std::filesystem::create_directories(home.File("parsed/"));
        ProgramRun r =
            RunProgram({"/usr/bin/python3", SourceFile("tests/integration/notify/check_mail.py"),
                        inbox + "msg1.eml", home.File("parsed/")});
        EXPECT_EQ(r.nExit, 0) << r.out << r.err;
        return "parsed/";
    }

    std::string inbox;
    std::unique_ptr<ServerProcess> server;
    modemsim::ModemSim mobile{modemsim::ModemSimOptions::For("gsm")};
};

// bContactsOnly: John Doe is the contact "John Smith" and a stranger's
// message before his gets no notice.
struct NoticeCase {
    const char* label;
    bool bCompress;
    bool bContactsOnly;
};

class AttachedRecording : public NoticeStory, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(AttachedRecording, TheNoticeCarriesTheMessageCompressedAsSet) {
    const bool bCompress = GetParam().bCompress;
    phone->bEMailCompress = bCompress;
    phone->bEmailContactsOnly = GetParam().bContactsOnly;
    phone->bPageContactsOnly = GetParam().bContactsOnly;
    if (GetParam().bContactsOnly) {
        ASSERT_NE(Contacts().AddContact({0, "John Smith", {{"5551234", ""}}, {}, "", ""}), 0);
    }
    const std::string parsed = MessageAndItsNotice(GetParam().bContactsOnly);
    ASSERT_EQ(Index().GetSize(), GetParam().bContactsOnly ? 2 : 1);
    const CDataStructure rec = Index().GetAt(Index().GetSize() - 1);
    const std::string recording = home.Read("Recorded Calls/" + rec.m_sFile);
    // The attachment's name: the recording's own, or the compressed copy's.
    const std::string name = bCompress ? "Message.wav" : rec.m_sFile;
    const std::string wav = home.Read(parsed + "attachments/" + name);
    ASSERT_GT(wav.size(), 44u) << home.Read("inbox/msg1.eml").substr(0, 2000);
    ASSERT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 4), "WAVE");
    // GSM 06.10 in WAV when compressed (format tag 0x31), else the
    // recording itself, byte for byte.
    if (bCompress) {
        EXPECT_EQ(wav.substr(20, 2), std::string("\x31\0", 2));
        EXPECT_LT(wav.size(), recording.size() / 4);
    } else {
        EXPECT_EQ(wav, recording);
    }
    EXPECT_NE(home.Read(parsed + "body").find(GetParam().bContactsOnly ? "John Smith" : "JOHN DOE"),
              std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return worker->MailsSent() == 1; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return !mobile.SentMessages().empty(); }, 30000));
    EXPECT_EQ(mobile.SentMessages()[0].number, "+49305550100");
    EXPECT_EQ(mobile.SentMessages()[0].text, GetParam().bContactsOnly
                                                 ? "message from John Smith, 555-1234"
                                                 : "message from JOHN DOE, 555-1234");
}

INSTANTIATE_TEST_SUITE_P(Setting, AttachedRecording,
                         ::testing::Values(NoticeCase{"Pcm", false, false},
                                           NoticeCase{"Gsm", true, false},
                                           NoticeCase{"ContactsOnly", false, true}),
                         [](const auto& i) { return std::string(i.param.label); });

TEST_F(NoticeStory, TheCallsTimeAndDateFollowTheUsersLocale) {
    // A German time locale of the test's own, so the system needs none.
    const std::string locales = home.File("locales/");
    std::filesystem::create_directories(locales);
    ProgramRun made = RunProgram(
        {"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", locales + "de_DE.UTF-8"}, 120000);
    ASSERT_EQ(made.nExit, 0) << made.out << made.err;
    ScopedEnv path("LOCPATH", locales.c_str());
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv time("LC_TIME", "de_DE.UTF-8");

    const std::time_t before = std::time(nullptr);
    const std::string body = home.Read(MessageAndItsNotice() + "body");
    const std::time_t after = std::time(nullptr);
    // "07.12.2026" and "14:05": day first with dots, the whole year.
    auto contains = [&](std::time_t t) {
        std::tm local{};
        localtime_r(&t, &local);
        char date[32], hm[16];
        std::strftime(date, sizeof date, "%d.%m.%Y", &local);
        std::strftime(hm, sizeof hm, "%H:%M", &local);
        return body.find(std::string("received at ") + hm + ", " + date) != std::string::npos;
    };
    EXPECT_TRUE(contains(before) || contains(after)) << body;
}

TEST_F(NoticeStory, NoticesWaitForTheMailServerWhileTheLineGoesOn) {
    server.reset();
    MailNoticesTo(FreePort());
    phone->bEAttachVoice = false;
    StartWorker();
    LeaveMessage();
    ASSERT_TRUE(WaitFor(
        [&] {
            return UiSaid("status: mail notice to owner@example.com not sent: cannot connect to "
                          "127.0.0.1");
        },
        60000));
    // Kept under the recording's name in the program folder.
    ASSERT_EQ(Index().GetSize(), 1);
    const std::string file = Index().GetAt(0).m_sFile;
    EXPECT_TRUE(
        std::filesystem::exists(home.File("Outbox/" + file.substr(0, file.size() - 4) + ".notice")))
        << file;

    // The line is not held up: the next caller's message is taken too.
    LeaveMessage();
    ASSERT_TRUE(WaitFor(
        [&] {
            auto files = std::filesystem::directory_iterator(home.File("Outbox"));
            return std::distance(begin(files), end(files)) == 2;
        },
        60000));
    EXPECT_EQ(Index().GetSize(), 2);
    EXPECT_EQ(worker->MailsSent(), 0);

    // The user puts the server setting right, as the options dialog does.
    StartServer();
    worker->RunBetweenSteps([&] { phone->m_nSmtpPort = server->Port(); });
    EXPECT_TRUE(WaitFor([&] { return worker->MailsSent() == 2; }, 60000));
    EXPECT_TRUE(std::filesystem::exists(inbox + "msg2.eml"));
    EXPECT_TRUE(UiSaid("status: mail notice to owner@example.com delivered"));
}

// The text message on its own, on a mobile-network modem: which calls are
// told, a caller's name never ends, cancels or stretches the message, and a
// refusal is tried again as often as set, then told.
class TextNoticeOnModem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(mobile.Start());
        settings.sPhone = "555 0100";
        settings.port.sDevice = mobile.SlavePath();
        settings.sPattern = "call.name: call.event";
        settings.nRetries = 2;
        settings.nDelayMs = 0;
        notice.SetSettings(settings);
        notice.Start(events);
    }
    void Call(const std::string& name, bool bMessage, bool bBlocked = false,
              bool bContact = false) {
        std::vector<CallEvent> call{
            CallRinging{1}, CallerIdentified{"5551234", "555-1234", name, "", name},
            CallScreened{bBlocked ? ScreenAction::HangUp : ScreenAction::LetRing, "",
                         bContact ? 7 : 0, false}};
        if (bMessage)
            call.insert(call.end(), {CallAnswered{AnsweredBy::Machine},
                                     RecordingStored{"/m.wav", 9, true, ""}});
        call.push_back(CallEnded{});
        for (const CallEvent& e : call)
            notice.OnEvent(e);
    }
    size_t Told(const std::string& part) {
        std::lock_guard lock(mutex);
        return std::count_if(reports.begin(), reports.end(),
                             [&](const std::string& r) { return r.find(part) != r.npos; });
    }

    modemsim::ModemSim mobile{modemsim::ModemSimOptions::For("gsm")};
    TextNoticeSettings settings;
    CCallEventPublisher events;
    std::mutex mutex;
    std::vector<std::string> reports;
    CTextNotice notice{[this](const std::string& s) {
        std::lock_guard lock(mutex);
        reports.push_back(s);
    }};
};

TEST_F(TextNoticeOnModem, MessagesAlwaysMissedCallsAsSetNeverBlockedCallers) {
    const struct {
        bool bMessagesOnly, bContactsOnly, bMessage, bBlocked, bContact;
        int nSent;
    } cases[] = {
        {true, false, true, false, false, 1},   {true, false, false, false, false, 0},
        {false, false, false, false, false, 1}, {false, false, true, true, false, 0},
        {true, true, true, false, false, 0},    {true, true, true, false, true, 1},
    };
    int nTries = 0;
    for (const auto& c : cases) {
        settings.bMessagesOnly = c.bMessagesOnly;
        settings.bContactsOnly = c.bContactsOnly;
        notice.SetSettings(settings);
        Call("Ann", c.bMessage, c.bBlocked, c.bContact);
        // A message of our own after the call's: once it is tried, so was the call's.
        ASSERT_TRUE(notice.Send({"test", "", "", 0}));
        nTries += c.nSent + 1;
        EXPECT_TRUE(WaitUntil([&] { return notice.Tries() >= nTries; }));
        EXPECT_EQ(notice.Tries(), nTries) << &c - cases;
    }
    EXPECT_EQ(mobile.SentMessages()[0].text, "Ann: message");
    EXPECT_EQ(mobile.SentMessages()[3].text, "Ann: missed call");
}

TEST_F(TextNoticeOnModem, AHostileNameSendsOneBoundedMessage) {
    Call("Eve\x1a\x1b\"; AT+CMGS=\"1\"\r\n" + std::string(1024, 'x'), true);
    ASSERT_TRUE(WaitUntil([&] { return Told("sent to 5550100") == 1; }));
    ASSERT_EQ(mobile.SentMessages().size(), 1u);
    const std::string text = mobile.SentMessages()[0].text;
    EXPECT_EQ(text.size(), kMaxSmsSeptets);
    EXPECT_TRUE(text.starts_with("Eve \"; AT+CMGS=\"1\" xxx")) << text;
    EXPECT_EQ(mobile.CancelledMessages() + mobile.RefusedMessages(), 0);
}

TEST_F(TextNoticeOnModem, ARefusalIsTriedAgainAsSetThenTold) {
    mobile.RefuseMessages(500);
    ASSERT_TRUE(notice.Send({"test", "5551234", "Ann", 0}));
    ASSERT_TRUE(WaitUntil([&] { return Told("was not sent") == 1; }));
    EXPECT_EQ(mobile.RefusedMessages(), 3);
    EXPECT_EQ(Told("+CMS ERROR: 500 to the message (3 tries)"), 1u);
    EXPECT_EQ(notice.Sent(), 0);
}

TEST_F(TextNoticeOnModem, TheLineModemsOwnPortIsRefusedWithItsReason) {
    CPhoneSettings phone;
    phone.m_PagerPhone = "5550100";
    phone.m_PagerPort = 9;
    notice.SetSettings(TextNoticeSettings::From(phone, 9));
    EXPECT_FALSE(notice.Send({"test", "", "", 0}));
    EXPECT_EQ(Told("COM9 is the line modem's port"), 1u);
    EXPECT_EQ(notice.Tries(), 0);
}
