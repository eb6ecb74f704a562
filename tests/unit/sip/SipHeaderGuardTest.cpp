// SPDX-License-Identifier: GPL-3.0-or-later
#include "sip/SipHeaderGuard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr size_t kMax = CSipHeaderGuard::kMaxDisplayName;

const std::string kSdp = "v=0\r\no=a 1 1 IN IP4 192.0.2.7\r\ns=-\r\nc=IN IP4 192.0.2.7\r\n"
                         "t=0 0\r\nm=audio 4000 RTP/AVP 0 8\r\na=rtpmap:0 PCMU/8000\r\n";

std::string Invite(const std::string& from, const std::string& extra = "") {
    return "INVITE sip:vorella@192.0.2.1 SIP/2.0\r\n"
           "Via: SIP/2.0/UDP 192.0.2.7:5060;branch=z9hG4bK776asdhds\r\n"
           "Max-Forwards: 70\r\n"
           "From: " +
           from +
           "\r\n"
           "To: \"Vorella\" <sip:vorella@192.0.2.1>\r\n"
           "Call-ID: a84b4c76e66710@192.0.2.7\r\n"
           "CSeq: 314159 INVITE\r\n"
           "Contact: \"Anna, at home\" <sip:anna@192.0.2.7>, <sip:anna@198.51.100.3>\r\n" +
           extra +
           "Content-Type: application/sdp\r\n"
           "Content-Length: " +
           std::to_string(kSdp.size()) + "\r\n\r\n" + kSdp;
}

// Filters text in pieces of the given size, as a stream would deliver it.
std::string Filtered(std::string text, size_t piece = 0, int* pCuts = nullptr) {
    CSipHeaderGuard guard;
    int cuts = 0;
    if (piece == 0)
        piece = text.size();
    for (size_t pos = 0; pos < text.size(); pos += piece)
        cuts += guard.Filter(text.data() + pos, std::min(piece, text.size() - pos));
    if (pCuts)
        *pCuts = cuts;
    return text;
}

// The value of the first header named name (up to its line's end).
std::string HeaderValue(const std::string& message, const std::string& name) {
    const size_t start = message.find("\r\n" + name + ":");
    if (start == std::string::npos)
        return {};
    size_t value = start + name.size() + 3;
    while (message[value] == ' ')
        ++value;
    // Up to the end of the line, folded lines included.
    size_t end = message.find("\r\n", value);
    while (end != std::string::npos && message[end + 2] == ' ')
        end = message.find("\r\n", end + 2);
    return message.substr(value, end - value);
}

// The display name of an address as the stack will read it: what stands
// before "<", trailing blanks left out.
std::string DisplayName(const std::string& address) {
    std::string name = address.substr(0, address.find('<'));
    while (!name.empty() && (name.back() == ' ' || name.front() == ' ')) {
        if (name.back() == ' ')
            name.pop_back();
        else
            name.erase(0, 1);
    }
    return name;
}

TEST(SipHeaderGuard, OrdinaryMessagesPassUnchangedInAnySplit) {
    const std::string messages[] = {
        Invite("\"Anna Schmidt\" <sip:+493012345@192.0.2.7>;tag=1928301774",
               "P-Asserted-Identity: \"Anna \\\"AS\\\" Schmidt\" <sip:+493012345@192.0.2.7>\r\n"),
        Invite("sip:+493012345@192.0.2.7;tag=1928301774"),
        Invite("Anna Schmidt <sip:anna@192.0.2.7>;tag=1",
               "Subject: " + std::string(3000, 'x') + "\r\n"),
        // A name of exactly the limit stays as it is.
        Invite("\"" + std::string(kMax - 2, 'N') + "\" <sip:1@192.0.2.7>;tag=1"),
        "SIP/2.0 180 Ringing\r\nf: <sip:a@b>;tag=1\r\nt: \"B\" <sip:b@c>;tag=2\r\n\r\n",
    };
    for (const std::string& m : messages) {
        for (size_t piece : {size_t{0}, size_t{1}, size_t{13}}) {
            int cuts = -1;
            EXPECT_EQ(Filtered(m, piece, &cuts), m) << "piece " << piece;
            EXPECT_EQ(cuts, 0);
        }
    }
}

TEST(SipHeaderGuard, OverlongNamesAreCutWhereverTheyStandAndNothingElseChanges) {
    const std::string longName(10000, 'N');
    struct Case {
        std::string sMessage;
        std::string sHeader; // as written in the message
    };
    const Case cases[] = {
        {Invite("\"" + longName + "\" <sip:0301234567@192.0.2.7>;tag=h1"), "From"},
        {Invite("Eve " + longName + " <sip:0301234567@192.0.2.7>;tag=h1"), "From"},
        {"INVITE sip:v@x SIP/2.0\r\nFROM  : \"" + longName + "\"<sip:1@x>;tag=1\r\n\r\n", "FROM  "},
        {"INVITE sip:v@x SIP/2.0\r\nt: \"" + longName + "\" <sip:v@x>\r\nf: <sip:1@x>\r\n\r\n",
         "t"},
        {Invite("<sip:1@x>;tag=1", "P-Asserted-Identity: \"" + longName + "\" <tel:+4930>\r\n"),
         "P-Asserted-Identity"},
        // A folded line goes on counting.
        {"INVITE sip:v@x SIP/2.0\r\nFrom: \"" + std::string(400, 'a') + "\r\n " +
             std::string(400, 'b') + "\" <sip:1@x>;tag=1\r\n\r\n",
         "From"},
    };
    for (const Case& c : cases) {
        int cuts = 0;
        const std::string whole = Filtered(c.sMessage, 0, &cuts);
        EXPECT_EQ(cuts, 1) << c.sHeader;
        ASSERT_EQ(whole.size(), c.sMessage.size());
        // The same in pieces.
        EXPECT_EQ(Filtered(c.sMessage, 1), whole);
        EXPECT_EQ(Filtered(c.sMessage, 509), whole);
        // Only the name changed: the address, its parameters and the rest
        // of the message are as they came.
        const std::string before = HeaderValue(c.sMessage, c.sHeader);
        const std::string after = HeaderValue(whole, c.sHeader);
        EXPECT_EQ(after.substr(after.find('<')), before.substr(before.find('<'))) << c.sHeader;
        const size_t valueStart = whole.find(after);
        EXPECT_EQ(whole.substr(0, valueStart), c.sMessage.substr(0, valueStart));
        EXPECT_EQ(whole.substr(valueStart + after.size()),
                  c.sMessage.substr(valueStart + after.size()));
        // The name the stack reads is bounded and, when it was quoted,
        // still one quoted string.
        std::string name = DisplayName(after);
        name.erase(std::remove(name.begin(), name.end(), '\r'), name.end());
        name.erase(std::remove(name.begin(), name.end(), '\n'), name.end());
        EXPECT_LE(name.size(), kMax + 2) << c.sHeader;
        if (before.find('"') < before.find('<')) {
            EXPECT_EQ(name.front(), '"');
            EXPECT_EQ(name.back(), '"');
            EXPECT_EQ(std::count(name.begin(), name.end(), '"'), 2) << name;
        }
    }
}

TEST(SipHeaderGuard, AnEscapeAtTheCutStaysAClosedQuotedString) {
    // The limit falls on the character an escape introduces, and on the
    // backslash itself.
    for (size_t pad : {kMax - 2, kMax - 1, kMax}) {
        const std::string name =
            "\"" + std::string(pad, 'N') + "\\\"" + std::string(900, 'x') + "\"";
        const std::string message =
            "INVITE sip:v@x SIP/2.0\r\nFrom: " + name + " <sip:1@x>;tag=1\r\n\r\n";
        const std::string cut = DisplayName(HeaderValue(Filtered(message), "From"));
        ASSERT_GE(cut.size(), 2u);
        EXPECT_EQ(cut.back(), '"') << pad;
        // The closing quote is not itself escaped.
        size_t backslashes = 0;
        for (size_t i = cut.size() - 1; i > 0 && cut[i - 1] == '\\'; --i)
            ++backslashes;
        EXPECT_EQ(backslashes % 2, 0u) << pad << ": " << cut.substr(cut.size() - 8);
        EXPECT_EQ(Filtered(message, 1), Filtered(message));
    }
}

TEST(SipHeaderGuard, EachAddressOfAListCountsOnItsOwn) {
    const std::string three = "\"" + std::string(400, 'a') + "\" <sip:a@x>, \"" +
                              std::string(400, 'b') + "\" <sip:b@x>, " + std::string(700, 'c') +
                              " <sip:c@x>";
    const std::string message = "INVITE sip:v@x SIP/2.0\r\nContact: " + three + "\r\n\r\n";
    int cuts = 0;
    const std::string out = HeaderValue(Filtered(message, 0, &cuts), "Contact");
    EXPECT_EQ(cuts, 1);
    EXPECT_EQ(out.substr(0, 820), three.substr(0, 820));
    EXPECT_NE(out.find(std::string(kMax, 'c') + std::string(700 - kMax, ' ') + " <sip:c@x>"),
              std::string::npos);
    // A comma inside a quoted name is not a separator.
    const std::string quoted = "INVITE sip:v@x SIP/2.0\r\nFrom: \"" + std::string(400, 'a') + ", " +
                               std::string(400, 'b') + "\" <sip:a@x>\r\n\r\n";
    Filtered(quoted, 0, &cuts);
    EXPECT_EQ(cuts, 1);
}

} // namespace
