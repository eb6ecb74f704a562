// The SMTP client against a real SMTP server (aiosmtpd) on loopback, and
// against servers that misbehave. Received mail is read back with Python's
// email package.
#include "notify/CallMail.h"
#include "notify/MailSpool.h"
#include "notify/MailText.h"
#include "notify/SMTPConnection.h"
#include "platform/FileUtil.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include "ChildProcess.h"
#include "ScopedEnv.h"
#include "TempHome.h"
#include "WaitUntil.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>

namespace {

// The real server answers in milliseconds; a long read time-out only keeps
// a heavily loaded test machine from failing these tests. The misbehaving
// servers keep the normal 2000 ms.
constexpr int kPatient = 20000;

std::string Script(const std::string& name) {
    return SourceFile("tests/integration/notify/" + name);
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

class SmtpDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(Inbox()); }
    std::string Inbox() const { return home.File("inbox/"); }

    // extra: more of the server's options ("--port", "--defer").
    std::unique_ptr<ServerProcess> StartServer(const std::string& mode,
                                               const std::string& user = "",
                                               const std::string& password = "",
                                               const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {
            "/usr/bin/python3", Script("smtp_server.py"), "--folder", Inbox(), "--mode", mode};
        args.insert(args.end(), extra.begin(), extra.end());
        if (mode != "plain") {
            MakeCertificate();
            args.insert(args.end(), {"--cert", Cert(), "--key", home.File("key.pem")});
        }
        if (!user.empty())
            args.insert(args.end(), {"--user", user, "--password", password});
        return std::make_unique<ServerProcess>(args);
    }
    std::string Cert() const { return home.File("cert.pem"); }
    void MakeCertificate() {
        if (std::filesystem::exists(Cert()))
            return;
        ProgramRun r = RunProgram(
            {"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
             "-nodes", "-keyout", home.File("key.pem"), "-out", Cert(), "-days", "2", "-subj",
             "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        ASSERT_EQ(r.nExit, 0) << r.err;
    }

    // The n-th received message, parsed; its parts as files in a folder.
    std::string Parsed(int n) {
        std::string out = home.File("parsed" + std::to_string(n) + "/");
        std::filesystem::create_directories(out);
        ProgramRun r = RunProgram({"/usr/bin/python3", Script("check_mail.py"),
                                   Inbox() + "msg" + std::to_string(n) + ".eml", out});
        EXPECT_EQ(r.nExit, 0) << r.out << r.err;
        return out;
    }
    static std::string ReadFile(const std::string& path) {
        return ReadWholeFile(path, 1u << 30).value_or("<missing " + path + ">");
    }
    int Received() const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(Inbox()))
            n += e.path().extension() == ".eml";
        return n;
    }

    CSMTPMessage Message(const std::string& attachmentPath = "") {
        CSMTPMessage m;
        m.m_From = CSMTPAddress("vorella@example.com", "Vorella");
        m.m_sSubject = "Test";
        m.SetBody("Hello.\n");
        m.AddRecipient(CSMTPAddress("alice@example.com"));
        if (!attachmentPath.empty()) {
            auto a = std::make_shared<CSMTPAttachment>();
            EXPECT_TRUE(a->Attach(attachmentPath));
            m.AddAttachment(a);
        }
        return m;
    }

    // Plain SMTP to 127.0.0.1 at port, to alice.
    MailSettings SpoolSettings(int port) const {
        MailSettings s;
        s.nSmtpReadTimeoutMs = kPatient;
        s.bEMailCID = 2;
        s.m_sSmtp = "127.0.0.1";
        s.server.m_nSmtpPort = port;
        s.m_sRecipsAdderss = "alice@example.com";
        return s;
    }
    // A spool in Outbox/ with short pauses, whose reports and tries the
    // test counts; its clock is the test's when clockMs is not 0.
    std::unique_ptr<CMailSpool> MakeSpool() {
        MailSpoolHooks hooks;
        hooks.mail.log = [this](const std::string&) { ++tries; }; // one line a try
        hooks.report = [this](const std::string& line) {
            std::lock_guard lock(reportMutex);
            reports.push_back(line);
        };
        if (clockMs)
            hooks.clock = [this] { return clockMs.load(); };
        MailRetryPolicy policy;
        policy.first = std::chrono::milliseconds(50);
        policy.longest = std::chrono::milliseconds(400);
        return std::make_unique<CMailSpool>(Outbox(), hooks, policy);
    }
    std::string Outbox() const { return home.File("Outbox/"); }
    std::vector<std::string> Reports() {
        std::lock_guard lock(reportMutex);
        return reports;
    }
    bool Reported(const std::string& text) {
        for (const std::string& r : Reports())
            if (r.find(text) != std::string::npos)
                return true;
        return false;
    }
    // The files in Outbox/, by name.
    std::vector<std::string> Spooled() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Outbox()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static CallForMail Caller(const std::string& name, const std::string& recording = "") {
        CallForMail call;
        call.sName = name;
        call.sNumber = "5551234";
        call.sRecordingPath = recording;
        return call;
    }

    TempHome home;
    ScopedEnv tmpdir{"TMPDIR", home.Path().c_str()};
    std::atomic<int> tries{0};
    std::atomic<int64_t> clockMs{0};
    std::mutex reportMutex;
    std::vector<std::string> reports;
};

TEST_F(SmtpDeliveryTest, ACallNoticeArrivesIntactWithItsRecording) {
    auto server = StartServer("plain");
    const std::string recording = home.File("rec2026-12-06, 21_05_00.wav");
    const std::string bytes = RandomBytes(70001, 7);
    home.Write("rec2026-12-06, 21_05_00.wav", bytes);

    MailSettings s = SpoolSettings(server->Port());
    s.bEAttachVoice = true;
    s.m_sRecipsAdderss = " alice@example.com; bob@example.com ,;";
    s.m_sOriginatorName = "Vorella, at home";
    s.m_sOriginatorAddress = "recorder@example.com";
    CallForMail call;
    call.sName = "Zo\xc3\xab O'Neil\r\nBcc: victim@example.com";
    call.sNumber = "5551234";
    call.sMemo = "He said \"call back\", twice\r\n.\r\nrate = 5 =41\r\n..\r\n--#BOUNDARY#--\r\n"
                 "-- \r\ntrailing blanks   ";
    call.sTime = "21:05";
    call.sDate = "12/06/26";
    call.sRecordingPath = recording;
    bool handedOff = false;
    MailHooks hooks;
    hooks.handOff = [&](const HandoffMessage&, std::string*) { return handedOff = true; };

    NotifyOutcome out = SendCallNotifications(s, {call}, nullptr, hooks);
    ASSERT_EQ(out.nSmtpSent, 1) << (out.errors.empty() ? "" : out.errors[0]);
    EXPECT_FALSE(handedOff);
    EXPECT_EQ(out.sLastResponse.substr(0, 3), "221");
    ASSERT_EQ(Received(), 1);

    const std::string envelope = ReadFile(Inbox() + "msg1.json");
    EXPECT_NE(envelope.find("\"mail_from\": \"recorder@example.com\""), std::string::npos)
        << envelope;
    EXPECT_NE(envelope.find("\"rcpt_tos\": [\"alice@example.com\", \"bob@example.com\"]"),
              std::string::npos)
        << envelope;

    const std::string p = Parsed(1);
    EXPECT_EQ(ReadFile(p + "defects"), "");
    EXPECT_EQ(ReadFile(p + "subject"), "Zo\xc3\xab O'Neil  Bcc: victim@example.com, #5551234");
    EXPECT_EQ(ReadFile(p + "from"), "\"Vorella, at home\" <recorder@example.com>");
    EXPECT_EQ(ReadFile(p + "to"), "alice@example.com\nbob@example.com");
    EXPECT_EQ(ReadFile(p + "headers").find("Bcc"), std::string::npos);
    const std::string expectedBody =
        StrPrintf(LoadStr(105), call.sName.c_str(), call.sNumber.c_str(), call.sTime.c_str(),
                  call.sDate.c_str(), call.sMemo.c_str());
    EXPECT_EQ(NormalizeLineEnds(ReadFile(p + "body")), NormalizeLineEnds(expectedBody));
    EXPECT_EQ(ReadFile(p + "attachments/rec2026-12-06, 21_05_00.wav"), bytes);
}

// Mail over TLS, begun with STARTTLS or from the start, with a login
// arrives whole; a wrong password, a certificate nobody vouches for and a
// client without TLS are refused.
TEST_F(SmtpDeliveryTest, TlsWithLoginDeliversAndRefusesStrangers) {
    home.Write("voice.wav", RandomBytes(4000, 3));
    SmtpConnectOptions o;
    o.nReadTimeoutMs = kPatient;
    o.sUser = "alice";
    o.sPassword = "s3cret \xc3\xa9";
    std::unique_ptr<ServerProcess> server;
    for (const auto& [mode, security] :
         {std::pair{"tls", SmtpSecurity::ImplicitTls}, {"starttls", SmtpSecurity::StartTls}}) {
        SCOPED_TRACE(mode);
        std::filesystem::remove_all(Inbox());
        std::filesystem::create_directories(Inbox());
        server.reset();
        server = StartServer(mode, o.sUser, o.sPassword);
        o.security = security;
        o.tls.sCaFile = Cert();
        CSMTPConnection c;
        ASSERT_TRUE(c.Connect("127.0.0.1", server->Port(), o)) << c.GetLastErrorText();
        ASSERT_TRUE(c.SendMessage(Message(home.File("voice.wav")))) << c.GetLastErrorText();
        EXPECT_EQ(c.GetLastCommandResponse().substr(0, 3), "250");
        EXPECT_TRUE(c.Disconnect());
        ASSERT_EQ(Received(), 1);
        EXPECT_NE(ReadFile(Inbox() + "msg1.json").find("\"user\": \"alice\""), std::string::npos);
        EXPECT_EQ(ReadFile(Parsed(1) + "attachments/voice.wav"), ReadFile(home.File("voice.wav")));
    }

    SmtpConnectOptions wrong = o, untrusted = o, plain, unencrypted = o;
    wrong.sPassword = "guess";
    untrusted.tls.sCaFile.clear();
    plain.nReadTimeoutMs = kPatient;
    unencrypted.security = SmtpSecurity::None;
    const struct {
        const char* name;
        SmtpConnectOptions options;
        SmtpError error;
        const char* said;
    } refused[] = {
        {"a wrong password", wrong, SmtpError::Auth, ""},
        {"a certificate nobody vouches for", untrusted, SmtpError::Tls, "certificate"},
        // The password never goes out unencrypted, whatever the server offers.
        {"a password over plain text", unencrypted, SmtpError::Auth, "encrypted"},
        // Without STARTTLS this server takes no mail at all.
        {"no TLS", plain, SmtpError::BadReply, ""},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        CSMTPConnection c;
        EXPECT_FALSE(c.Connect("127.0.0.1", server->Port(), r.options) &&
                     c.SendMessage(Message()));
        EXPECT_EQ(c.GetLastError(), r.error)
            << c.GetLastErrorText() << " | " << c.GetLastCommandResponse();
        EXPECT_NE(c.GetLastErrorText().find(r.said), std::string::npos);
        EXPECT_FALSE(c.IsConnected());
    }
    EXPECT_EQ(Received(), 1);
}

TEST_F(SmtpDeliveryTest, ARefusedMessageDoesNotSpoilTheNext) {
    auto server = StartServer("plain");
    CSMTPConnection c;
    SmtpConnectOptions o;
    o.nReadTimeoutMs = kPatient;
    ASSERT_TRUE(c.Connect("127.0.0.1", server->Port(), o)) << c.GetLastErrorText();
    CSMTPMessage refused = Message();
    refused.AddRecipient(CSMTPAddress("nobody@refused.example"));
    EXPECT_FALSE(c.SendMessage(refused));
    EXPECT_EQ(c.GetLastError(), SmtpError::BadReply);
    EXPECT_EQ(c.GetLastCommandResponse(), "550 No such user here");
    EXPECT_TRUE(c.IsConnected());
    EXPECT_TRUE(c.SendMessage(Message())) << c.GetLastErrorText();
    EXPECT_TRUE(c.Disconnect());
    EXPECT_EQ(Received(), 1);
}

TEST_F(SmtpDeliveryTest, AMissingHandoffDoesNotStopSmtp) {
    auto server = StartServer("plain");
    MailSettings s = SpoolSettings(server->Port());
    s.bEMailCID = 1; // the mail program, with a server set as well
    std::string oneOff = "once@example.com";
    MailHooks hooks;
    hooks.handOff = [](const HandoffMessage&, std::string* error) {
        *error = "xdg-email was not found";
        return false;
    };
    CallForMail call;
    NotifyOutcome out = SendCallNotifications(s, {call}, &oneOff, hooks);
    EXPECT_EQ(out.nSmtpSent, 1);
    EXPECT_EQ(out.nHandedOff, 0);
    EXPECT_TRUE(oneOff.empty());
    ASSERT_EQ(out.errors.size(), 1u);
    EXPECT_NE(out.errors[0].find("xdg-email"), std::string::npos);
    ASSERT_EQ(Received(), 1);
    EXPECT_EQ(ReadFile(Parsed(1) + "to"), "once@example.com");
}

TEST_F(SmtpDeliveryTest, ACompressedRecordingGoesAsMessageWav) {
    auto server = StartServer("plain");
    home.Write("rec.wav", RandomBytes(3000, 9));
    MailSettings s = SpoolSettings(server->Port());
    s.bEAttachVoice = true;
    s.bEMailCompress = true;
    CallForMail call;
    call.sRecordingPath = home.File("rec.wav");
    std::string madeFile;
    MailHooks hooks;
    hooks.convertToGsm = [&](const std::string& from, const std::string& to) {
        madeFile = to;
        return WriteFileAtomic(to, "GSM:" + ReadFile(from).substr(0, 1500));
    };
    NotifyOutcome out = SendCallNotifications(s, {call, call}, nullptr, hooks);
    EXPECT_EQ(out.nSmtpSent, 2);
    ASSERT_EQ(Received(), 2);
    EXPECT_EQ(std::filesystem::path(madeFile).filename(), "Message.wav");
    EXPECT_FALSE(std::filesystem::exists(madeFile)); // the temporary copy is gone
    EXPECT_EQ(ReadFile(Parsed(2) + "attachments/Message.wav"),
              "GSM:" + ReadFile(home.File("rec.wav")).substr(0, 1500));
}

TEST_F(SmtpDeliveryTest, NoConnectionMeansNothingIsSent) {
    MailSettings s = SpoolSettings(FreePort());
    bool handedOff = false;
    MailHooks hooks;
    hooks.handOff = [&](const HandoffMessage&, std::string*) { return handedOff = true; };
    NotifyOutcome out = SendCallNotifications(s, {CallForMail()}, nullptr, hooks);
    EXPECT_TRUE(out.bConnectFailed);
    EXPECT_EQ(out.nSmtpSent, 0);
    EXPECT_FALSE(handedOff);

    CSMTPConnection c;
    EXPECT_FALSE(c.Connect("", 25));
    EXPECT_EQ(c.GetLastError(), SmtpError::Resolve);
    EXPECT_FALSE(c.SendMessage(Message()));
    EXPECT_EQ(c.GetLastError(), SmtpError::NotConnected);
}

TEST_F(SmtpDeliveryTest, SpooledNoticesWaitForAServerStartedLateAndGoInOrder) {
    const int port = FreePort();
    home.Write("rec2026-12-07, 09_00_00.wav", RandomBytes(5000, 11));
    auto spool = MakeSpool();
    spool->Start(SpoolSettings(port));
    ASSERT_TRUE(
        spool->Queue(Caller("FIRST", home.File("rec2026-12-07, 09_00_00.wav")), true, nullptr));
    ASSERT_TRUE(spool->Queue(Caller("SECOND"), false, nullptr));
    // Written before the first try, named after the recording.
    const std::vector<std::string> spooled = Spooled();
    ASSERT_EQ(spooled.size(), 2u);
    EXPECT_EQ(spooled[1], "rec2026-12-07, 09_00_00.notice");
    ASSERT_TRUE(WaitUntil([&] { return tries >= 4; }));
    EXPECT_EQ(Received(), 0);

    auto server = StartServer("plain", "", "", {"--port", std::to_string(port)});
    ASSERT_TRUE(WaitUntil([&] { return Received() == 2 && spool->Waiting() == 0; }));
    EXPECT_NE(ReadFile(Parsed(1) + "body").find("FIRST"), std::string::npos);
    EXPECT_NE(ReadFile(Parsed(2) + "body").find("SECOND"), std::string::npos);
    EXPECT_EQ(ReadFile(Parsed(1) + "attachments/rec2026-12-07, 09_00_00.wav"),
              ReadFile(home.File("rec2026-12-07, 09_00_00.wav")));
    EXPECT_TRUE(Spooled().empty());
    // Each change told once, however many tries it took.
    EXPECT_EQ(Reports(), (std::vector<std::string>{
                             "mail notice to alice@example.com not sent: cannot connect to "
                             "127.0.0.1: Connection refused; retrying",
                             "mail notice to alice@example.com delivered"}));
}

TEST_F(SmtpDeliveryTest, ATemporaryRefusalIsRetriedAndAPermanentOneIsNot) {
    auto server = StartServer("plain", "", "", {"--defer", "1"});
    auto spool = MakeSpool();
    spool->Start(SpoolSettings(server->Port()));
    ASSERT_TRUE(spool->Queue(Caller("LATER"), false, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return Received() == 1 && spool->Waiting() == 0; }));
    EXPECT_EQ(Reports(), (std::vector<std::string>{
                             "mail notice to alice@example.com not sent: expected 250, the "
                             "server said: 451 4.3.0 Try again later; retrying",
                             "mail notice to alice@example.com delivered"}));

    MailSettings refused = SpoolSettings(server->Port());
    refused.m_sRecipsAdderss = "nobody@refused.example";
    spool->SetSettings(refused);
    const int triesBefore = tries;
    ASSERT_TRUE(spool->Queue(Caller("NEVER"), false, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return Reports().size() == 3; }));
    EXPECT_NE(Reports()[2].find("mail notice to nobody@refused.example not sent: expected 250, "
                                "the server said: 550 No such user here; not retried"),
              std::string::npos)
        << Reports()[2];
    EXPECT_EQ(tries, triesBefore + 1);
    EXPECT_EQ(spool->Waiting(), 0u);
    ASSERT_EQ(Spooled().size(), 1u);
    EXPECT_TRUE(Spooled()[0].ends_with(".notice.failed")) << Spooled()[0];
    EXPECT_EQ(Received(), 1);
}

TEST_F(SmtpDeliveryTest, ANoticeLeftByOneRunIsDeliveredByTheNext) {
    const int port = FreePort();
    {
        auto spool = MakeSpool();
        spool->Start(SpoolSettings(port));
        ASSERT_TRUE(spool->Queue(Caller("EARLIER"), false, nullptr));
        ASSERT_TRUE(WaitUntil([&] { return tries >= 1; }));
    }
    ASSERT_EQ(Spooled().size(), 1u);
    home.Write("Outbox/broken.notice", "cut off before its ti");
    auto server = StartServer("plain", "", "", {"--port", std::to_string(port)});
    auto spool = MakeSpool();
    spool->Start(SpoolSettings(port));
    ASSERT_TRUE(WaitUntil([&] { return Received() == 1 && spool->Waiting() == 0; }));
    EXPECT_NE(ReadFile(Parsed(1) + "body").find("EARLIER"), std::string::npos);
    // What is no notice is set aside, not lost.
    EXPECT_EQ(Spooled(), (std::vector<std::string>{"broken.notice.failed"}));
    // The run that delivers tells of it: the earlier one told the failure.
    EXPECT_EQ(Reports(), (std::vector<std::string>{
                             "mail notice to alice@example.com not sent: cannot connect to "
                             "127.0.0.1: Connection refused; retrying",
                             "mail notice " + Outbox() +
                                 "broken.notice cannot be read; kept as broken.notice.failed",
                             "mail notice to alice@example.com delivered"}));
}

TEST_F(SmtpDeliveryTest, ANoticeIsGivenUpAfterItsPeriodAndKept) {
    clockMs = int64_t(1796630400) * 1000;
    auto spool = MakeSpool();
    spool->Start(SpoolSettings(FreePort()));
    ASSERT_TRUE(spool->Queue(Caller("LOST"), false, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return Reports().size() == 1; }));
    EXPECT_EQ(spool->Waiting(), 1u);

    clockMs += int64_t(24) * 3600 * 1000;
    spool->Wake();
    ASSERT_TRUE(WaitUntil([&] { return Reports().size() == 2; }));
    EXPECT_EQ(Reports()[1].rfind("mail notice to alice@example.com given up after 1 day: cannot "
                                 "connect to 127.0.0.1: Connection refused; kept as ",
                                 0),
              0u)
        << Reports()[1];
    EXPECT_EQ(spool->Waiting(), 0u);
    ASSERT_EQ(Spooled().size(), 1u);
    EXPECT_TRUE(Spooled()[0].ends_with(".notice.failed"));
}

TEST_F(SmtpDeliveryTest, MisbehavingServersGiveCleanFailures) {
    struct Case {
        const char* mode;
        SmtpError expected;
        bool connects; // the failure comes in the mail dialogue
    } cases[] = {
        {"silent", SmtpError::Timeout, false},     {"slow", SmtpError::Timeout, false},
        {"longline", SmtpError::Malformed, false}, {"garbage", SmtpError::Malformed, false},
        {"wrongcode", SmtpError::BadReply, false}, {"dropdata", SmtpError::Closed, true},
        {"badstarttls", SmtpError::Tls, false},
    };
    home.Write("big.wav", RandomBytes(3 << 20, 1));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mode);
        ServerProcess server({"/usr/bin/python3", Script("bad_smtp_server.py"), k.mode});
        SmtpConnectOptions o;
        if (std::string(k.mode) == "badstarttls")
            o.security = SmtpSecurity::StartTls;
        CSMTPConnection c;
        bool connected = c.Connect("127.0.0.1", server.Port(), o);
        ASSERT_EQ(connected, k.connects) << c.GetLastErrorText();
        if (connected) {
            EXPECT_FALSE(c.SendMessage(Message(home.File("big.wav"))));
            c.Disconnect(); // nothing left to say goodbye on
        }
        EXPECT_EQ(c.GetLastError(), k.expected) << c.GetLastErrorText();
        EXPECT_FALSE(c.IsConnected());
        if (std::string(k.mode) == "wrongcode") {
            EXPECT_EQ(c.GetLastCommandResponse(), "500 Command not understood");
        }
    }
}

TEST_F(SmtpDeliveryTest, TheToolSendsATestNoticeWithTheSettings) {
    auto server = StartServer("starttls", "alice", "pw");
    home.Write("vorella.ini",
               "[Options]\nm_sSmtp=127.0.0.1\nm_nSmtpPort=" + std::to_string(server->Port()) +
                   "\nm_nSmtpSecurity=1\nm_sSmtpUser=alice\nm_sSmtpPassword=pw\n"
                   "m_sOriginatorAddress=box@example.com\n");
    const std::string tool = BuiltProgram("vorella-tool");
    ProgramRun r = RunProgram({tool, "mail", "--test", "me@example.com", "--ca", Cert()});
    EXPECT_EQ(r.nExit, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 3), "221") << r.out << r.err;
    ASSERT_EQ(Received(), 1);
    EXPECT_EQ(ReadFile(Parsed(1) + "to"), "me@example.com");

    ProgramRun untrusted = RunProgram({tool, "mail", "--test", "me@example.com"});
    EXPECT_EQ(untrusted.nExit, 1);
    EXPECT_NE((untrusted.out + untrusted.err).find("certificate"), std::string::npos);
}

} // namespace
