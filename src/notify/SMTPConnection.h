// A small SMTP client: one connection, one or more messages, plain or TLS,
// with an optional login. Each reply is read whole (all lines of a
// multi-line reply) within the read time-out before it is judged.
#pragma once

#include "notify/SmtpTransport.h"

#include <ctime>
#include <memory>
#include <string>
#include <vector>

class CSMTPAddress {
public:
    CSMTPAddress() = default;
    CSMTPAddress(std::string address, std::string name = std::string())
        : m_sEmailAddress(std::move(address)), m_sFriendlyName(std::move(name)) {}

    // "name <address>" when there is a name (quoted or encoded as mail
    // needs), else the bare address.
    std::string GetRegularFormat() const;
    bool IsEmpty() const { return m_sEmailAddress.empty(); }

    std::string m_sEmailAddress;
    std::string m_sFriendlyName;
};

// An address that can go into an SMTP command and a header as it is: no
// blanks, controls or angle brackets, one "@" with text on both sides.
bool IsPlausibleMailAddress(const std::string& address);

class CSMTPAttachment {
public:
    // The largest file attached; mail servers refuse far smaller messages.
    static constexpr size_t kMaxFileSize = size_t(100) << 20;

    // Reads and encodes the file; the title becomes its name. False when the
    // file is missing, unreadable or too large; GetError() says which.
    bool Attach(const std::string& sPath);
    const std::string& GetEncodedBuffer() const { return m_sEncoded; }
    size_t GetEncodedSize() const { return m_sEncoded.size(); }
    const std::string& GetTitle() const { return m_sTitle; }
    void SetTitle(std::string title) { m_sTitle = std::move(title); }
    const std::string& GetError() const { return m_sError; }

private:
    std::string m_sEncoded;
    std::string m_sTitle;
    std::string m_sError;
};

class CSMTPMessage {
public:
    enum RecipientKind { TO = 0, CC = 1, BCC = 2 };

    int AddRecipient(const CSMTPAddress& recipient, RecipientKind kind = TO);
    CSMTPAddress GetRecipient(int index, RecipientKind kind = TO) const;
    int GetNumberOfRecipients(RecipientKind kind = TO) const;

    void AddAttachment(std::shared_ptr<CSMTPAttachment> attachment);
    int GetNumberOfAttachments() const { return static_cast<int>(m_attachments.size()); }
    const CSMTPAttachment& GetAttachment(int i) const {
        return *m_attachments.at(static_cast<size_t>(i));
    }

    void SetBody(const std::string& sBody) { m_sBody = sBody; }
    const std::string& GetBody() const { return m_sBody; }

    // The header lines and the blank line after them.
    std::string GetHeader(std::time_t now) const;
    // Everything after DATA up to (not including) the final ".": header,
    // body and attachments, dot-stuffed, every line ending in CR LF.
    std::string GetData(std::time_t now) const;

    CSMTPAddress m_From;
    std::string m_sSubject;
    std::string m_sXMailer = "CSMTPConnection v1.3";
    CSMTPAddress m_ReplyTo;

private:
    std::vector<CSMTPAddress> m_recipients[3];
    std::vector<std::shared_ptr<CSMTPAttachment>> m_attachments;
    std::string m_sBody;
};

enum class SmtpSecurity { None = 0, StartTls = 1, ImplicitTls = 2 };

struct SmtpConnectOptions {
    SmtpSecurity security = SmtpSecurity::None;
    std::string sUser; // a login is made when this is not empty
    std::string sPassword;
    TlsOptions tls;
    int nConnectTimeoutMs = 10000;
    // Longest silence allowed while a reply is awaited.
    int nReadTimeoutMs = 2000;
    // Readable once the dialogue is to be given up at once (-1: never).
    int nCancelFd = -1;
};

enum class SmtpError {
    None,
    Timeout,    // the server went silent
    Resolve,    // the host name did not resolve
    Connect,    // no connection
    BadReply,   // a reply with an unexpected code
    Malformed,  // not SMTP, or far too long
    Closed,     // the server closed the connection
    Tls,        // no TLS, or an untrusted certificate
    Auth,       // login refused or impossible
    BadAddress, // an address that cannot go into a command
    NotConnected,
};

class CSMTPConnection {
public:
    CSMTPConnection() = default;
    ~CSMTPConnection();
    CSMTPConnection(const CSMTPConnection&) = delete;
    CSMTPConnection& operator=(const CSMTPConnection&) = delete;

    bool Connect(const std::string& host, int port = 25,
                 const SmtpConnectOptions& options = SmtpConnectOptions());
    bool Disconnect();
    bool SendMessage(const CSMTPMessage& message);

    bool IsConnected() const { return m_bConnected; }
    const std::string& GetLastCommandResponse() const { return m_sLastCommandResponse; }
    SmtpError GetLastError() const { return m_lastError; }
    const std::string& GetLastErrorText() const { return m_sLastErrorText; }

    // Longest silence allowed while a reply is awaited (set by Connect).
    int m_nReadTimeout = 2000;
    // Longest time one reply may take in all, however slowly it trickles in.
    int m_nReplyTimeout = 30000;

private:
    bool Fail(SmtpError error, const std::string& text);
    bool SendCommand(const std::string& command);
    bool ReadResponse(int expectedCode);
    bool Hello(bool extended);
    bool Login(const SmtpConnectOptions& options);

    SmtpTransport m_transport;
    bool m_bConnected = false;
    bool m_bInTransaction = false; // MAIL FROM accepted, message not yet
    std::string m_sHost;
    std::string m_sPending; // bytes received past the last reply
    std::vector<std::string> m_lastReplyLines;
    std::string m_sLastCommandResponse;
    SmtpError m_lastError = SmtpError::None;
    std::string m_sLastErrorText;
    std::vector<std::string> m_extensions; // EHLO keywords, upper case
};
