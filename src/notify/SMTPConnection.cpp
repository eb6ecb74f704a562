#include "notify/SMTPConnection.h"

#include "notify/Base64.h"
#include "notify/MailText.h"
#include "notify/SmtpReply.h"
#include "platform/FileUtil.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <unistd.h>

namespace {

constexpr char kBoundary[] = "#BOUNDARY#";

// A file name that can stand in quotes in a MIME parameter.
std::string SafeTitle(const std::string& title) {
    std::string out;
    for (char c : title) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F || c == '"' || c == '\\')
            out += '_';
        else
            out += c;
    }
    return out.empty() ? std::string("attachment") : out;
}

// The name this machine gives in HELO: its host name, reduced to the
// characters a domain may hold.
std::string LocalHostName() {
    char buf[256] = {};
    ::gethostname(buf, sizeof buf - 1);
    std::string name;
    for (const char* p = buf; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p)) || *p == '-' || *p == '.')
            name += *p;
    return name.empty() ? std::string("localhost") : name;
}

std::string JoinAddresses(const std::vector<CSMTPAddress>& list) {
    std::string out;
    for (const CSMTPAddress& a : list) {
        if (!out.empty())
            out += ", ";
        out += a.GetRegularFormat();
    }
    return out;
}

} // namespace

bool IsPlausibleMailAddress(const std::string& address) {
    if (address.empty() || address.size() > 254)
        return false;
    for (char c : address) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || std::strchr("<>()[],;:\\\"", c))
            return false;
    }
    size_t at = address.rfind('@');
    return at != std::string::npos && at > 0 && at + 1 < address.size();
}

std::string CSMTPAddress::GetRegularFormat() const {
    std::string address = HeaderSafe(m_sEmailAddress);
    if (m_sFriendlyName.empty())
        return address;
    return EncodeDisplayName(m_sFriendlyName) + " <" + address + ">";
}

bool CSMTPAttachment::Attach(const std::string& sPath) {
    m_sError.clear();
    if (!FileExists(sPath)) {
        m_sError = sPath + ": no such file";
        return false;
    }
    auto data = ReadWholeFile(sPath, kMaxFileSize);
    if (!data) {
        m_sError = sPath + ": cannot be read, or is larger than 100 MB";
        return false;
    }
    m_sEncoded = Base64EncodeLines(data->data(), data->size());
    size_t slash = sPath.find_last_of('/');
    m_sTitle = slash == std::string::npos ? sPath : sPath.substr(slash + 1);
    return true;
}

int CSMTPMessage::AddRecipient(const CSMTPAddress& recipient, RecipientKind kind) {
    auto& list = m_recipients[kind];
    list.push_back(recipient);
    return static_cast<int>(list.size()) - 1;
}

CSMTPAddress CSMTPMessage::GetRecipient(int index, RecipientKind kind) const {
    const auto& list = m_recipients[kind];
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        return CSMTPAddress();
    return list[static_cast<size_t>(index)];
}

int CSMTPMessage::GetNumberOfRecipients(RecipientKind kind) const {
    return static_cast<int>(m_recipients[kind].size());
}

void CSMTPMessage::AddAttachment(std::shared_ptr<CSMTPAttachment> attachment) {
    if (attachment)
        m_attachments.push_back(std::move(attachment));
}

std::string CSMTPMessage::GetHeader(std::time_t now) const {
    std::string h = "From: " + m_From.GetRegularFormat() + "\r\n";
    h += "To: " + JoinAddresses(m_recipients[TO]) + "\r\n";
    if (!m_recipients[CC].empty())
        h += "Cc: " + JoinAddresses(m_recipients[CC]) + "\r\n";
    h += "Subject: " + EncodeHeaderText(m_sSubject) + "\r\n";
    h += "Date: " + FormatMailDate(now) + "\r\n";
    h += "X-Mailer: " + HeaderSafe(m_sXMailer) + "\r\n";
    if (!m_ReplyTo.IsEmpty())
        h += "Reply-To: " + m_ReplyTo.GetRegularFormat() + "\r\n";
    if (!m_attachments.empty())
        h += std::string("MIME-Version: 1.0\r\nContent-type: multipart/mixed; boundary=\"") +
             kBoundary + "\"\r\n";
    else
        h += "MIME-Version: 1.0\r\nContent-type: text/plain; charset=utf-8\r\n"
             "Content-Transfer-Encoding: quoted-printable\r\n";
    h += "\r\n";
    return h;
}

std::string CSMTPMessage::GetData(std::time_t now) const {
    // The body is quoted-printable: no body line can start with "-", and
    // base64 has no "-" at all, so the fixed boundary never occurs inside
    // a part, whatever a caller or the memo says.
    std::string data = GetHeader(now);
    const bool multipart = !m_attachments.empty();
    if (multipart)
        data += std::string("\r\n--") + kBoundary +
                "\r\nContent-Type: text/plain; charset=utf-8\r\n"
                "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    data += EncodeQuotedPrintable(m_sBody);
    for (const auto& a : m_attachments) {
        const std::string title = SafeTitle(a->GetTitle());
        // The line break before a boundary belongs to the boundary: the
        // text part ends exactly where the memo ends.
        data += std::string("\r\n--") + kBoundary +
                "\r\nContent-Type: application/octet-stream; name=\"" + title +
                "\"\r\nContent-Transfer-Encoding: base64\r\n"
                "Content-Disposition: attachment; filename=\"" +
                title + "\"\r\n\r\n";
        data += a->GetEncodedBuffer();
    }
    if (multipart)
        data += std::string("\r\n--") + kBoundary + "--\r\n";
    return DotStuff(data);
}

CSMTPConnection::~CSMTPConnection() {
    m_transport.Close();
}

bool CSMTPConnection::Fail(SmtpError error, const std::string& text) {
    m_lastError = error;
    m_sLastErrorText = text;
    // After silence, a broken stream or a reply we cannot parse the dialogue
    // is out of step; nothing more can be said on this connection.
    if (error == SmtpError::Timeout || error == SmtpError::Closed ||
        error == SmtpError::Malformed || error == SmtpError::Tls) {
        m_transport.Close();
        m_bConnected = false;
    }
    return false;
}

bool CSMTPConnection::SendCommand(const std::string& command) {
    std::string error;
    if (!m_transport.Send(command, m_nReplyTimeout, error))
        return Fail(SmtpError::Closed, error);
    return true;
}

bool CSMTPConnection::ReadResponse(int expectedCode) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_nReplyTimeout);
    SmtpReply reply;
    reply.Feed(m_sPending);
    m_sPending.clear();
    char buf[4096];
    while (reply.GetState() == SmtpReply::State::NeedMore) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        int wait = static_cast<int>(std::min<long long>(m_nReadTimeout, left.count()));
        long n = wait > 0 ? m_transport.Receive(buf, sizeof buf, wait) : SmtpTransport::kTimeout;
        if (n == SmtpTransport::kTimeout)
            return Fail(SmtpError::Timeout, "the mail server did not answer in time");
        if (n == SmtpTransport::kClosed)
            return Fail(SmtpError::Closed, "the mail server closed the connection");
        if (n < 0)
            return Fail(SmtpError::Closed, "the connection to the mail server broke");
        reply.Feed(std::string_view(buf, static_cast<size_t>(n)));
    }
    if (reply.GetState() != SmtpReply::State::Complete)
        return Fail(SmtpError::Malformed, reply.Problem());
    m_sPending = reply.Remainder();
    m_lastReplyLines = reply.Lines();
    m_sLastCommandResponse = reply.Text();
    if (reply.Code() != expectedCode)
        return Fail(SmtpError::BadReply, StrPrintf("expected %d, the server said: ", expectedCode) +
                                             m_sLastCommandResponse);
    return true;
}

bool CSMTPConnection::Hello(bool extended) {
    const std::string name = LocalHostName();
    m_extensions.clear();
    if (!SendCommand((extended ? "EHLO " : "HELO ") + name + "\r\n") || !ReadResponse(250))
        return false;
    for (size_t i = 1; i < m_lastReplyLines.size(); ++i)
        m_extensions.push_back(ToUpperAscii(Trim(m_lastReplyLines[i].substr(4))));
    return true;
}

bool CSMTPConnection::Login(const SmtpConnectOptions& options) {
    if (!m_transport.IsTls())
        return Fail(SmtpError::Auth, "the password is only sent over an encrypted connection; "
                                     "choose STARTTLS or TLS for this server");
    bool plain = false, login = false;
    for (const std::string& ext : m_extensions) {
        if (ext.rfind("AUTH", 0) != 0 || ext.size() < 5 || (ext[4] != ' ' && ext[4] != '='))
            continue;
        for (const std::string& mech : SplitKeepEmpty(ext.substr(5), ' ')) {
            plain = plain || mech == "PLAIN";
            login = login || mech == "LOGIN";
        }
    }
    bool ok;
    if (plain) {
        std::string token = std::string(1, '\0') + options.sUser + '\0' + options.sPassword;
        ok = SendCommand("AUTH PLAIN " + Base64Encode(token) + "\r\n") && ReadResponse(235);
    } else if (login) {
        ok = SendCommand("AUTH LOGIN\r\n") && ReadResponse(334) &&
             SendCommand(Base64Encode(options.sUser) + "\r\n") && ReadResponse(334) &&
             SendCommand(Base64Encode(options.sPassword) + "\r\n") && ReadResponse(235);
    } else {
        return Fail(SmtpError::Auth, "the server offers no login method this program knows "
                                     "(PLAIN, LOGIN)");
    }
    if (!ok && m_lastError == SmtpError::BadReply)
        return Fail(SmtpError::Auth, "login refused: " + m_sLastCommandResponse);
    return ok;
}

bool CSMTPConnection::Connect(const std::string& host, int port,
                              const SmtpConnectOptions& options) {
    m_transport.Close();
    m_bConnected = false;
    m_bInTransaction = false;
    m_sPending.clear();
    m_sLastCommandResponse.clear();
    m_lastError = SmtpError::None;
    m_sLastErrorText.clear();
    m_sHost = host;
    m_nReadTimeout = options.nReadTimeoutMs;
    m_transport.SetCancelFd(options.nCancelFd);

    std::string error;
    bool resolveFailed = false;
    if (!m_transport.Connect(host, port, options.nConnectTimeoutMs, error, resolveFailed))
        return Fail(resolveFailed ? SmtpError::Resolve : SmtpError::Connect, error);
    m_bConnected = true;
    auto fail = [&] {
        m_transport.Close();
        m_bConnected = false;
        return false;
    };
    if (options.security == SmtpSecurity::ImplicitTls &&
        !m_transport.StartTls(host, options.tls, options.nConnectTimeoutMs, error)) {
        Fail(SmtpError::Tls, error);
        return fail();
    }
    const bool extended = options.security != SmtpSecurity::None || !options.sUser.empty();
    if (!ReadResponse(220) || !Hello(extended))
        return fail();
    if (options.security == SmtpSecurity::StartTls) {
        if (std::find(m_extensions.begin(), m_extensions.end(), "STARTTLS") == m_extensions.end()) {
            Fail(SmtpError::Tls, "the mail server does not offer STARTTLS");
            return fail();
        }
        if (!SendCommand("STARTTLS\r\n") || !ReadResponse(220))
            return fail();
        // Anything sent before the handshake could be injected commands'
        // answers; the plain-text part of the dialogue ends here.
        if (!m_sPending.empty()) {
            Fail(SmtpError::Tls, "the mail server sent data before the TLS handshake");
            return fail();
        }
        if (!m_transport.StartTls(host, options.tls, options.nConnectTimeoutMs, error)) {
            Fail(SmtpError::Tls, error);
            return fail();
        }
        if (!Hello(true))
            return fail();
    }
    if (!options.sUser.empty() && !Login(options))
        return fail();
    return true;
}

bool CSMTPConnection::Disconnect() {
    bool ok = true;
    if (m_bConnected)
        ok = SendCommand("QUIT\r\n") && ReadResponse(221);
    m_transport.Close();
    m_bConnected = false;
    return ok;
}

bool CSMTPConnection::SendMessage(const CSMTPMessage& message) {
    if (!m_bConnected)
        return Fail(SmtpError::NotConnected, "not connected to a mail server");
    if (!IsPlausibleMailAddress(message.m_From.m_sEmailAddress))
        return Fail(SmtpError::BadAddress,
                    "not a usable sender address: " + HeaderSafe(message.m_From.m_sEmailAddress));
    int recipients = 0;
    for (auto kind : {CSMTPMessage::TO, CSMTPMessage::CC, CSMTPMessage::BCC})
        for (int i = 0; i < message.GetNumberOfRecipients(kind); ++i, ++recipients)
            if (!IsPlausibleMailAddress(message.GetRecipient(i, kind).m_sEmailAddress))
                return Fail(SmtpError::BadAddress,
                            "not a usable recipient address: " +
                                HeaderSafe(message.GetRecipient(i, kind).m_sEmailAddress));
    if (recipients == 0)
        return Fail(SmtpError::BadAddress, "the message has no recipients");

    // A message refused half-way leaves the server inside its transaction;
    // the next one starts afresh.
    if (m_bInTransaction && (!SendCommand("RSET\r\n") || !ReadResponse(250)))
        return false;
    m_bInTransaction = false;
    if (!SendCommand("MAIL FROM:<" + message.m_From.m_sEmailAddress + ">\r\n") ||
        !ReadResponse(250))
        return false;
    m_bInTransaction = true;
    for (auto kind : {CSMTPMessage::TO, CSMTPMessage::CC, CSMTPMessage::BCC})
        for (int i = 0; i < message.GetNumberOfRecipients(kind); ++i)
            if (!SendCommand("RCPT TO:<" + message.GetRecipient(i, kind).m_sEmailAddress +
                             ">\r\n") ||
                !ReadResponse(250))
                return false;
    if (!SendCommand("DATA\r\n") || !ReadResponse(354))
        return false;
    // The data's last line needs its line end before the final "."; a
    // body that has one already keeps exactly the lines it has.
    std::string data = message.GetData(std::time(nullptr));
    data +=
        data.size() >= 2 && data.compare(data.size() - 2, 2, "\r\n") == 0 ? ".\r\n" : "\r\n.\r\n";
    if (!SendCommand(data) || !ReadResponse(250))
        return false;
    m_bInTransaction = false;
    return true;
}
