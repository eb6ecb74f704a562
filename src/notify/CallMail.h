// The e-mail notice of a call: composing it from the call's record and the
// mail settings, and sending it by SMTP and/or handing it to the user's mail
// program.
#pragma once

#include "calllog/DataStructure.h"
#include "notify/MailHandoff.h"
#include "notify/SMTPConnection.h"
#include "notify/SmtpSettings.h"

#include <functional>
#include <string>
#include <vector>

// The mail settings the notice needs; the engine fills it from the settings
// store.
struct MailSettings {
    int bEMailCID = 0; // 1 = mail program, 2 = SMTP
    bool bEAttachVoice = false;
    bool bECIDSubj = false;
    bool bEMailCompress = false;
    std::string m_sSmtp;
    std::string m_sRecipsAdderss; // ";"-separated
    std::string m_sSubject;
    std::string m_sOriginatorName;
    std::string m_sOriginatorAddress;
    SmtpServerSettings server;
    TlsOptions tls; // extra trusted certificates for a private server
    int nSmtpReadTimeoutMs = 2000;
    // How long a notice the server did not take is retried (nMailRetryHours).
    int nMailRetryHours = 24;
};

// One call as the notice tells it.
struct CallForMail {
    std::string sName;
    std::string sNumber;
    std::string sMemo;
    std::string sTime; // as in the call's record (user's locale)
    std::string sDate;
    std::string sRecordingPath;
    std::string sProblem; // what went wrong with the recording, told below the text
};

// The call as its index record tells it; sFolder is the call folder the
// record's file lies in.
CallForMail MailCallFromRecord(const CDataStructure& rec, const std::string& sFolder);

struct ComposedMail {
    std::string sSubject;
    std::string sBody;
    std::vector<std::string> recipients;
    CSMTPAddress from;
};

// The outside pieces a notice uses, replaceable for tests.
struct MailHooks {
    // Converts a recording to GSM 6.10 in WAV (the audio library's
    // ConvertToGsm); empty: no compression.
    std::function<bool(const std::string& source, const std::string& target)> convertToGsm;
    std::function<bool(const HandoffMessage&, std::string* error)> handOff = HandOffMail;
    std::function<void(const std::string&)> log;
    // Readable once a dialogue with the server is to be given up at once
    // (the program ends); -1: never.
    int nCancelFd = -1;
};

struct NotifyOutcome {
    int nSmtpSent = 0;
    int nHandedOff = 0;
    bool bConnectFailed = false;
    // The server refused for good (a 5xx reply): trying again will not help.
    bool bRefused = false;
    std::string sLastResponse;       // the SMTP server's last reply
    std::vector<std::string> errors; // one line per problem
};

// Entries of a recipient list: split at ";", each trimmed of " ,;", empty
// ones dropped.
std::vector<std::string> SplitRecipients(const std::string& list);
ComposedMail ComposeCallMail(const MailSettings& settings, const CallForMail& call,
                             const std::vector<std::string>& recipients);
// True when the recording goes with the notice: attaching is on, the file
// is not a log recording and holds more than 1023 bytes.
bool ShouldAttachRecording(const MailSettings& settings, const std::string& sPath);

// Sends one notice per call. A one-off recipient list, when given and not
// empty, is used instead of the configured one and cleared.
NotifyOutcome SendCallNotifications(const MailSettings& settings,
                                    const std::vector<CallForMail>& calls,
                                    std::string* pOneOffRecipients, const MailHooks& hooks);
