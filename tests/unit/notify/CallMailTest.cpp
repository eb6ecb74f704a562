#include "notify/CallMail.h"
#include "notify/MailHandoff.h"
#include "notify/MailSpool.h"
#include "notify/SmtpSettings.h"
#include "notify/SpooledNotice.h"
#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"

#include "TempHome.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

TEST(CallMailTest, ASpooledNoticeReadsBackAsWrittenWhateverTheCallerSent) {
    SpooledNotice n;
    n.nQueuedMs = 1796630400123;
    n.bAttach = true;
    n.call.sName = "Eve\nqueued=1\r\nattach=0";
    n.call.sNumber = "555\\n";
    n.call.sMemo = "line 1\n\nrecording=/etc/passwd\\";
    n.call.sRecordingPath = "/calls/rec2026-12-07, 09_00_00.wav";
    const std::string text = FormatSpooledNotice(n);
    std::optional<SpooledNotice> back = ParseSpooledNotice(text);
    ASSERT_TRUE(back) << text;
    EXPECT_EQ(back->nQueuedMs, n.nQueuedMs);
    EXPECT_TRUE(back->bAttach);
    EXPECT_EQ(back->call.sName, n.call.sName);
    EXPECT_EQ(back->call.sNumber, n.call.sNumber);
    EXPECT_EQ(back->call.sMemo, n.call.sMemo);
    EXPECT_EQ(back->call.sRecordingPath, n.call.sRecordingPath);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8); // one line a field
    // A file that is no notice (cut off before its time) is refused.
    EXPECT_FALSE(ParseSpooledNotice("name=Eve\n"));
    EXPECT_FALSE(ParseSpooledNotice("queued=12x\n"));
    EXPECT_EQ(SpooledNoticeName(n.call, n.nQueuedMs), "rec2026-12-07, 09_00_00.notice");
    EXPECT_EQ(SpooledNoticeName(CallForMail(), n.nQueuedMs).rfind("call 20", 0), 0u);
}

TEST(CallMailTest, RetryPausesDoubleUpToTheLongest) {
    MailRetryPolicy p; // 15 s, doubled, at most 15 min
    const std::pair<int, long> cases[] = {{1, 15}, {2, 30}, {3, 60}, {6, 480}, {7, 900}, {50, 900}};
    for (const auto& [nFailures, seconds] : cases)
        EXPECT_EQ(MailRetryPause(p, nFailures), std::chrono::seconds(seconds)) << nFailures;
    EXPECT_EQ(MailRetryPeriodText(24), "1 day");
    EXPECT_EQ(MailRetryPeriodText(72), "3 days");
    EXPECT_EQ(MailRetryPeriodText(1), "1 hour");
    EXPECT_EQ(MailRetryPeriodText(30), "30 hours");
}

TEST(CallMailTest, SubjectBodyAndSenderFollowTheSettings) {
    MailSettings s;
    CallForMail call;
    call.sName = "Bob";
    call.sNumber = "555";
    call.sMemo = "memo";
    call.sTime = "10:00";
    call.sDate = "12/06/26";
    std::vector<std::string> to = {"a@x.org", "b@y.org"};

    ComposedMail m = ComposeCallMail(s, call, to);
    EXPECT_EQ(m.sSubject, "Bob, #555"); // no subject set: the caller's
    EXPECT_EQ(m.sBody, "Call from Bob, 555, received at 10:00, 12/06/26.\n\nMemo:\n\nmemo");
    EXPECT_EQ(m.from.m_sEmailAddress, "a@x.org"); // one address, not the list
    EXPECT_EQ(m.recipients, to);
    // What went wrong with the recording follows the text.
    CallForMail cut = call;
    cut.sProblem = "the disk is full: the recording was cut after 18 s";
    EXPECT_EQ(ComposeCallMail(s, cut, to).sBody,
              m.sBody + "\n\nthe disk is full: the recording was cut after 18 s");

    s.m_sSubject = "New call";
    EXPECT_EQ(ComposeCallMail(s, call, to).sSubject, "New call");
    s.bECIDSubj = true;
    EXPECT_EQ(ComposeCallMail(s, call, to).sSubject, "Bob, #555");

    CDataStructure rec;
    rec.m_sFile = "rec1.wav";
    rec.m_sName = "Bob";
    rec.m_sDate = "12/06/26";
    CallForMail fromRecord = MailCallFromRecord(rec, "/calls");
    EXPECT_EQ(fromRecord.sRecordingPath, "/calls/rec1.wav");
    EXPECT_EQ(fromRecord.sDate, "12/06/26");
    EXPECT_EQ(MailCallFromRecord(CDataStructure(), "/calls").sRecordingPath, "");

    s.m_sOriginatorAddress = " me@home.org ";
    s.m_sOriginatorName = "Me";
    m = ComposeCallMail(s, CallForMail(), to);
    EXPECT_EQ(m.from.GetRegularFormat(), "Me <me@home.org>");
    EXPECT_EQ(m.sBody.substr(0, 21), "Call from NA, NA, rec");
}

TEST(CallMailTest, OnlyRealRecordingsAreAttached) {
    TempHome home;
    home.Write("small.wav", std::string(1000, 'x'));
    home.Write("edge.wav", std::string(1024, 'x'));
    home.Write("Inbox/log 1.wav", std::string(5000, 'x'));
    MailSettings s;
    EXPECT_FALSE(ShouldAttachRecording(s, home.File("edge.wav"))); // attaching is off
    s.bEAttachVoice = true;
    EXPECT_FALSE(ShouldAttachRecording(s, home.File("small.wav")));
    EXPECT_TRUE(ShouldAttachRecording(s, home.File("edge.wav")));
    EXPECT_FALSE(ShouldAttachRecording(s, home.File("Inbox/log 1.wav")));
    EXPECT_FALSE(ShouldAttachRecording(s, home.File("missing.wav")));
    EXPECT_FALSE(ShouldAttachRecording(s, home.Path()));
}

TEST(CallMailTest, AddressesThatCouldInjectCommandsAreRefused) {
    EXPECT_TRUE(IsPlausibleMailAddress("alice@example.com"));
    for (const char* bad : {"", "alice", "@x.org", "a@", "a b@x.org", "a@x.org>\r\nRCPT TO:<b@y",
                            "a<b@x.org", "a@x.org,b@y.org"})
        EXPECT_FALSE(IsPlausibleMailAddress(bad)) << bad;
}

TEST(SmtpSettingsTest, DefaultsKeepPlainPort25AndAPasswordFileIsPrivate) {
    TempHome home;
    home.Write("vorella.ini", "[Options]\nm_sSmtp=mail.example.com\n");
    ProfileFile ini(home.File("vorella.ini"));
    SmtpServerSettings s = ReadSmtpServerSettings(ini);
    EXPECT_EQ(s.m_nSmtpPort, 25);
    EXPECT_EQ(s.m_nSmtpSecurity, 0);
    EXPECT_EQ(ConnectOptionsFor(s).security, SmtpSecurity::None);
    EXPECT_TRUE(ConnectOptionsFor(s).sUser.empty());

    s.m_nSmtpPort = 465;
    s.m_nSmtpSecurity = 2;
    s.m_sSmtpUser = "me";
    s.m_sSmtpPassword = "secret";
    ASSERT_TRUE(WriteSmtpServerSettings(ini, s));
    struct stat st {};
    ASSERT_EQ(::stat(home.File("vorella.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ProfileFile again(home.File("vorella.ini"));
    SmtpServerSettings r = ReadSmtpServerSettings(again);
    EXPECT_EQ(r.m_nSmtpPort, 465);
    EXPECT_EQ(r.m_sSmtpPassword, "secret");
    EXPECT_EQ(again.GetString("Options", "m_sSmtp", ""), "mail.example.com");

    home.Write("bad.ini", "[Options]\nm_nSmtpPort=99999\nm_nSmtpSecurity=7\n");
    SmtpServerSettings bad = ReadSmtpServerSettings(ProfileFile(home.File("bad.ini")));
    EXPECT_EQ(bad.m_nSmtpPort, 25);
    EXPECT_EQ(bad.m_nSmtpSecurity, 0);
}

TEST(SmtpMessageTest, HeaderAndPartsAreLaidOutForMimeReaders) {
    TempHome home;
    home.Write("a \"b\".wav", std::string(100, 'x'));
    CSMTPMessage m;
    m.m_From = CSMTPAddress("me@x.org", "Me");
    m.m_ReplyTo = CSMTPAddress("reply@x.org");
    m.m_sSubject = "Call\r\nBcc: evil@y.org";
    m.AddRecipient(CSMTPAddress("a@x.org"));
    m.AddRecipient(CSMTPAddress("b@x.org"));
    m.AddRecipient(CSMTPAddress("c@x.org"), CSMTPMessage::CC);
    m.AddRecipient(CSMTPAddress("hidden@x.org"), CSMTPMessage::BCC);
    EXPECT_EQ(m.GetNumberOfRecipients(), 2);
    EXPECT_EQ(m.GetRecipient(1).m_sEmailAddress, "b@x.org");
    EXPECT_TRUE(m.GetRecipient(5).IsEmpty());
    m.SetBody(".\nbody");
    auto a = std::make_shared<CSMTPAttachment>();
    ASSERT_TRUE(a->Attach(home.File("a \"b\".wav")));
    m.AddAttachment(a);
    EXPECT_FALSE(CSMTPAttachment().Attach(home.File("none.wav")));

    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    const std::string data = m.GetData(1796591142);
    EXPECT_EQ(data.substr(0, data.find("\r\n\r\n") + 4),
              "From: Me <me@x.org>\r\nTo: a@x.org, b@x.org\r\nCc: c@x.org\r\n"
              "Subject: Call  Bcc: evil@y.org\r\nDate: Sun, 06 Dec 2026 21:05:42 +0000\r\n"
              "X-Mailer: CSMTPConnection v1.3\r\nReply-To: reply@x.org\r\nMIME-Version: 1.0\r\n"
              "Content-type: multipart/mixed; boundary=\"#BOUNDARY#\"\r\n\r\n");
    EXPECT_EQ(data.find("hidden"), std::string::npos);
    EXPECT_NE(data.find("\r\n=2E\r\nbody\r\n--#BOUNDARY#\r\n"), std::string::npos);
    EXPECT_NE(data.find("name=\"a _b_.wav\""), std::string::npos);
    EXPECT_EQ(data.substr(data.size() - 16), "--#BOUNDARY#--\r\n");
}

} // namespace
