#include "sip/SipCallerId.h"

#include "platform/TextUtil.h"

namespace {

// Looks at no more of a header than this: a caller ID needs a few dozen
// bytes, and a hostile INVITE may carry kilobytes.
constexpr size_t kMaxHeaderScan = 2048;

std::string_view Unquote(std::string_view s) {
    s = TrimView(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

// "%41" style escapes are left as they are: a number with escapes is not a
// number anybody dials, and the text stays readable.
SipIdentity ParseUri(std::string_view uri) {
    SipIdentity id;
    uri = TrimView(uri);
    const size_t params = uri.find_first_of(";?");
    if (EqualsNoCase(uri.substr(0, 4), "tel:")) {
        id.sUser = std::string(uri.substr(4, params == std::string_view::npos ? params : params - 4));
        return id;
    }
    size_t colon = uri.find(':');
    if (colon == std::string_view::npos)
        return id;
    std::string_view rest = uri.substr(colon + 1);
    const size_t at = rest.find('@');
    if (at != std::string_view::npos) {
        std::string_view user = rest.substr(0, at);
        user = user.substr(0, user.find_first_of(";:")); // user parameters, password
        id.sUser = std::string(user);
        rest = rest.substr(at + 1);
    }
    const size_t hostEnd = rest.find_first_of(";?:>");
    id.sHost = std::string(rest.substr(0, hostEnd));
    return id;
}

bool IsAnonymous(const SipIdentity& id) {
    return EqualsNoCase(id.sUser, "anonymous") || EqualsNoCase(id.sHost, "anonymous.invalid") ||
           EqualsNoCase(id.sDisplayName, "anonymous");
}

} // namespace

SipIdentity ParseSipIdentity(std::string_view header) {
    header = TrimView(header.substr(0, kMaxHeaderScan));
    // Several identities (P-Asserted-Identity may list a sip: and a tel:
    // one): the first counts. A comma inside quotes or <> is not a separator.
    bool bQuoted = false;
    int nAngle = 0;
    for (size_t i = 0; i < header.size(); ++i) {
        const char c = header[i];
        if (c == '\\' && bQuoted) {
            ++i;
        } else if (c == '"') {
            bQuoted = !bQuoted;
        } else if (!bQuoted && c == '<') {
            ++nAngle;
        } else if (!bQuoted && c == '>') {
            --nAngle;
        } else if (!bQuoted && nAngle == 0 && c == ',') {
            header = header.substr(0, i);
            break;
        }
    }
    const size_t open = header.rfind('<');
    if (open == std::string_view::npos)
        return ParseUri(header.substr(0, header.find(';')));
    const size_t close = header.find('>', open);
    SipIdentity id = ParseUri(header.substr(open + 1, close == std::string_view::npos
                                                          ? std::string_view::npos
                                                          : close - open - 1));
    id.sDisplayName = std::string(Unquote(header.substr(0, open)));
    return id;
}

std::string CleanCallerText(std::string_view text, size_t maxBytes) {
    text = text.substr(0, kMaxHeaderScan);
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t len = Utf8SequenceLength(text, i);
        if (len == 0) { // not UTF-8: the byte goes
            ++i;
            continue;
        }
        const auto b0 = static_cast<unsigned char>(text[i]);
        const bool bC0 = len == 1 && (b0 < 0x20 || b0 == 0x7F);
        const bool bC1 = len == 2 && b0 == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (bC0 || bC1) {
            // A tab or line break between words still separates them.
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else if (!(b0 == ' ' && !out.empty() && out.back() == ' ')) {
            out.append(text.substr(i, len));
        }
        i += len;
    }
    return Utf8Truncate(Trim(out), maxBytes);
}

void FillSipCallerId(const SipIdentity& from, std::string_view sAssertedIdentity,
                     TapiCallInfo* pInfo) {
    SipIdentity who = from;
    if (!TrimView(sAssertedIdentity).empty()) {
        SipIdentity asserted = ParseSipIdentity(sAssertedIdentity);
        if (!asserted.sUser.empty()) {
            if (asserted.sDisplayName.empty())
                asserted.sDisplayName = from.sDisplayName;
            who = asserted;
        }
    }
    pInfo->dwCallerIDFlags = 0;
    pInfo->sCallerID.clear();
    pInfo->sCallerIDName.clear();
    if (IsAnonymous(who)) {
        pInfo->dwCallerIDFlags = kCallerIdBlocked;
        return;
    }
    // A number (or a user name standing in for one) is printable ASCII
    // with no blanks; whatever else a caller put there is dropped.
    std::string number;
    for (char c : std::string_view(who.sUser).substr(0, kMaxHeaderScan))
        if (c > ' ' && c < 0x7F && number.size() < kSipMaxCallerNumber)
            number += c;
    pInfo->sCallerID = number;
    pInfo->sCallerIDName = CleanCallerText(who.sDisplayName, kSipMaxCallerName);
    if (pInfo->sCallerID.empty())
        pInfo->dwCallerIDFlags |= kCallerIdOutOfArea;
    else
        pInfo->dwCallerIDFlags |= kCallerIdAddress;
    if (!pInfo->sCallerIDName.empty())
        pInfo->dwCallerIDFlags |= kCallerIdName;
}
