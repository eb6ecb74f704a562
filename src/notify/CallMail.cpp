#include "notify/CallMail.h"

#include "platform/ProgramFolder.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStrBody = 105;
constexpr int kStrNoName = 156;
constexpr int kStrNoNumber = 157;
constexpr int kStrSubject = 154;
constexpr int kStrMessageFile = 57969;

std::string TrimChars(const std::string& s, const char* chars) {
    size_t b = s.find_first_not_of(chars);
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(chars);
    return s.substr(b, e - b + 1);
}

// A private folder for the compressed copy: a fixed name in a shared /tmp
// would invite anyone to plant a link there.
std::string MakePrivateTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorella-mail-XXXXXX";
    if (!::mkdtemp(tmpl.data()))
        return {};
    return tmpl + "/";
}

struct Attachment {
    std::string sPath;       // what goes with the mail
    std::string sTempFolder; // made for a compressed copy, or empty
};

Attachment PrepareAttachment(const MailSettings& settings, const CallForMail& call,
                             const MailHooks& hooks, NotifyOutcome& outcome) {
    Attachment a;
    if (!ShouldAttachRecording(settings, call.sRecordingPath))
        return a;
    a.sPath = call.sRecordingPath;
    if (!settings.bEMailCompress || !hooks.convertToGsm)
        return a;
    a.sTempFolder = MakePrivateTempFolder();
    if (a.sTempFolder.empty()) {
        outcome.errors.push_back("no temporary folder for the compressed recording");
        return a;
    }
    const std::string target = a.sTempFolder + LoadStr(kStrMessageFile);
    std::remove(target.c_str());
    if (hooks.convertToGsm(call.sRecordingPath, target) && ::access(target.c_str(), R_OK) == 0)
        a.sPath = target;
    else
        outcome.errors.push_back("compressing the recording failed; the original is attached");
    return a;
}

// A permanent refusal (5xx), as opposed to a server that could not be
// reached, went silent or asked to try later (4xx).
bool RefusedForGood(const CSMTPConnection& connection) {
    const SmtpError e = connection.GetLastError();
    const std::string& reply = connection.GetLastCommandResponse();
    return (e == SmtpError::BadReply || e == SmtpError::Auth) && !reply.empty() && reply[0] == '5';
}

void Log(const MailHooks& hooks, const std::string& line) {
    if (hooks.log)
        hooks.log(line);
}

} // namespace

CallForMail MailCallFromRecord(const CDataStructure& rec, const std::string& sFolder) {
    CallForMail call;
    call.sName = rec.m_sName;
    call.sNumber = rec.m_sNumber;
    call.sMemo = rec.m_sMemo;
    call.sTime = rec.m_sTime;
    call.sDate = rec.m_sDate;
    if (!rec.m_sFile.empty())
        call.sRecordingPath = WithTrailingSlash(sFolder) + rec.m_sFile;
    return call;
}

std::vector<std::string> SplitRecipients(const std::string& list) {
    std::vector<std::string> out;
    for (const std::string& part : SplitKeepEmpty(list, ';')) {
        std::string entry = TrimChars(part, " ,;\t\r\n");
        if (!entry.empty())
            out.push_back(entry);
    }
    return out;
}

bool ShouldAttachRecording(const MailSettings& settings, const std::string& sPath) {
    if (!settings.bEAttachVoice || sPath.empty())
        return false;
    if (sPath.find("Inbox/log ") != std::string::npos ||
        sPath.find("Inbox\\log ") != std::string::npos)
        return false;
    struct stat st {};
    return ::stat(sPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 1023;
}

ComposedMail ComposeCallMail(const MailSettings& settings, const CallForMail& call,
                             const std::vector<std::string>& recipients) {
    ComposedMail m;
    m.recipients = recipients;
    if (settings.m_sSubject.empty() || settings.bECIDSubj)
        m.sSubject = StrPrintf(LoadStr(kStrSubject), call.sName.c_str(), call.sNumber.c_str());
    else
        m.sSubject = settings.m_sSubject;
    const std::string name = call.sName.empty() ? LoadStr(kStrNoName) : call.sName;
    const std::string number = call.sNumber.empty() ? LoadStr(kStrNoNumber) : call.sNumber;
    m.sBody = StrPrintf(LoadStr(kStrBody), name.c_str(), number.c_str(), call.sTime.c_str(),
                        call.sDate.c_str(), call.sMemo.c_str());
    if (!call.sProblem.empty())
        m.sBody += "\n\n" + call.sProblem;
    // The envelope sender is one address: the configured sender, else the
    // first recipient.
    if (!settings.m_sOriginatorAddress.empty())
        m.from = CSMTPAddress(Trim(settings.m_sOriginatorAddress), settings.m_sOriginatorName);
    else if (!recipients.empty())
        m.from = CSMTPAddress(recipients.front());
    return m;
}

NotifyOutcome SendCallNotifications(const MailSettings& settings,
                                    const std::vector<CallForMail>& calls,
                                    std::string* pOneOffRecipients, const MailHooks& hooks) {
    NotifyOutcome outcome;
    const bool oneOff = pOneOffRecipients && !pOneOffRecipients->empty();
    const std::vector<std::string> recipients =
        SplitRecipients(oneOff ? *pOneOffRecipients : settings.m_sRecipsAdderss);
    if (oneOff)
        pOneOffRecipients->clear();

    CSMTPConnection connection;
    const bool connect = settings.bEMailCID == 2 || (!settings.m_sSmtp.empty() && oneOff);
    if (connect) {
        SmtpConnectOptions options = ConnectOptionsFor(settings.server);
        options.tls = settings.tls;
        options.nReadTimeoutMs = settings.nSmtpReadTimeoutMs;
        options.nCancelFd = hooks.nCancelFd;
        if (!connection.Connect(Trim(settings.m_sSmtp), settings.server.m_nSmtpPort, options)) {
            outcome.bConnectFailed = true;
            outcome.bRefused = RefusedForGood(connection);
            outcome.sLastResponse = connection.GetLastCommandResponse();
            outcome.errors.push_back("SMTP: " + connection.GetLastErrorText());
            Log(hooks, "Mail: cannot connect to " + settings.m_sSmtp + ": " +
                           connection.GetLastErrorText() + "\n");
            return outcome;
        }
    }
    const bool useHandoff = settings.bEMailCID == 1 || settings.m_sSmtp.empty();
    // Without the connection above there is no SMTP dialogue at all: with
    // the mail program chosen, a configured server is used only for
    // one-off recipients.
    const bool useSmtp = connect && (settings.bEMailCID == 2 || !settings.m_sSmtp.empty());

    for (const CallForMail& call : calls) {
        ComposedMail mail = ComposeCallMail(settings, call, recipients);
        Attachment attachment = PrepareAttachment(settings, call, hooks, outcome);
        bool keepTemp = false;

        if (useHandoff) {
            HandoffMessage h{mail.sSubject, mail.sBody, mail.recipients, attachment.sPath,
                             attachment.sTempFolder};
            std::string error;
            if (hooks.handOff && hooks.handOff(h, &error)) {
                ++outcome.nHandedOff;
                // The mail program reads the attachment later, when the
                // user sends; the hand-off removes the copy once it has.
                keepTemp = true;
            } else {
                // The hand-off is only one way out; SMTP below still runs.
                if (error.empty())
                    error = "the mail program hand-off is unavailable";
                outcome.errors.push_back("Mail program: " + error);
                Log(hooks, "Mail: " + error + "\n");
            }
        }
        if (useSmtp) {
            CSMTPMessage message;
            message.m_From = mail.from;
            message.m_sSubject = mail.sSubject;
            message.SetBody(mail.sBody);
            for (const std::string& r : mail.recipients)
                message.AddRecipient(CSMTPAddress(r));
            if (!attachment.sPath.empty()) {
                auto a = std::make_shared<CSMTPAttachment>();
                if (a->Attach(attachment.sPath))
                    message.AddAttachment(a);
                else
                    outcome.errors.push_back("Attachment: " + a->GetError());
            }
            if (connection.SendMessage(message)) {
                ++outcome.nSmtpSent;
                Log(hooks, "Mail: sent by SMTP: " + connection.GetLastCommandResponse() + "\n");
            } else {
                outcome.errors.push_back("SMTP: " + connection.GetLastErrorText());
                outcome.bRefused = outcome.bRefused || RefusedForGood(connection);
                Log(hooks, "Mail: SMTP failed: " + connection.GetLastErrorText() + "\n");
            }
            outcome.sLastResponse = connection.GetLastCommandResponse();
        }
        if (!attachment.sTempFolder.empty() && !keepTemp) {
            std::error_code ec;
            std::filesystem::remove_all(attachment.sTempFolder, ec);
        }
    }
    if (connection.IsConnected()) {
        connection.Disconnect();
        outcome.sLastResponse = connection.GetLastCommandResponse();
    }
    return outcome;
}
