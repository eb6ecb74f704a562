// The caller ID of a SIP call: which header counts, how blocked and
// unknown callers look, and what a hostile header is reduced to.
#include "sip/SipCallerId.h"

#include "platform/TextUtil.h"

#include <gtest/gtest.h>

namespace {

TapiCallInfo Fill(const SipIdentity& from, const std::string& asserted = "") {
    TapiCallInfo info;
    FillSipCallerId(from, asserted, &info);
    return info;
}

TEST(SipCallerId, ParsesTheFormsOfAnIdentity) {
    SipIdentity a = ParseSipIdentity("\"Anna, Berlin\" <sip:+4930123@example.net;user=phone>;tag=9");
    EXPECT_EQ(a.sDisplayName, "Anna, Berlin");
    EXPECT_EQ(a.sUser, "+4930123");
    EXPECT_EQ(a.sHost, "example.net");

    SipIdentity b = ParseSipIdentity("Bob <tel:+4930999;phone-context=x>, <sip:1@h>");
    EXPECT_EQ(b.sDisplayName, "Bob");
    EXPECT_EQ(b.sUser, "+4930999");

    SipIdentity c = ParseSipIdentity("sip:700@10.0.0.1:5062;transport=tcp");
    EXPECT_EQ(c.sUser, "700");
    EXPECT_EQ(c.sHost, "10.0.0.1");

    EXPECT_TRUE(ParseSipIdentity("not an address").sUser.empty());
    EXPECT_TRUE(ParseSipIdentity("").sUser.empty());
}

TEST(SipCallerId, AssertedIdentityWinsOverFromAndKeepsFromsNameWhenItHasNone) {
    const SipIdentity from{"Spoofed", "111", "example.net"};
    TapiCallInfo i = Fill(from, "\"Real Name\" <sip:222@carrier.example>");
    EXPECT_EQ(i.sCallerID, "222");
    EXPECT_EQ(i.sCallerIDName, "Real Name");
    EXPECT_EQ(i.dwCallerIDFlags, kCallerIdAddress | kCallerIdName);

    i = Fill(from, "<tel:+4930222>");
    EXPECT_EQ(i.sCallerID, "+4930222");
    EXPECT_EQ(i.sCallerIDName, "Spoofed");

    i = Fill(from, "garbage");
    EXPECT_EQ(i.sCallerID, "111");
}

TEST(SipCallerId, AnonymousIsBlockedAndNoNumberIsOutOfArea) {
    EXPECT_EQ(Fill({"Anonymous", "anonymous", "anonymous.invalid"}).dwCallerIDFlags,
              kCallerIdBlocked);
    EXPECT_EQ(Fill({"", "x", "anonymous.invalid"}).dwCallerIDFlags, kCallerIdBlocked);
    EXPECT_EQ(Fill({"", "", ""}, "<sip:anonymous@x>").dwCallerIDFlags, kCallerIdBlocked);
    TapiCallInfo i = Fill({"Gate", "", "door.example"});
    EXPECT_EQ(i.dwCallerIDFlags, kCallerIdOutOfArea | kCallerIdName);
    EXPECT_EQ(i.sCallerIDName, "Gate");
    EXPECT_TRUE(i.sCallerID.empty());
}

TEST(SipCallerId, HostileTextIsCleanedAndBounded) {
    EXPECT_EQ(CleanCallerText("Eve\x1b[31m\x07 Smith\r\nInjected: x", 64), "Eve [31m Smith Injected: x");
    EXPECT_EQ(CleanCallerText("\xc2\x85" "A\xff\xfe" "B\x7f", 64), "AB");
    EXPECT_EQ(CleanCallerText("  M\xc3\xbcller  ", 64), "M\xc3\xbcller");

    EXPECT_EQ(Fill({"", "030\x01 99\x1b", "h"}).sCallerID, "03099");

    const std::string huge(10000, 'x');
    TapiCallInfo i = Fill({huge, std::string(10000, '5'), "h"});
    EXPECT_EQ(i.sCallerIDName.size(), kSipMaxCallerName);
    EXPECT_EQ(i.sCallerID.size(), kSipMaxCallerNumber);

    // A cut in the middle of a character drops the character.
    std::string umlauts;
    for (int n = 0; n < 100; ++n)
        umlauts += "\xc3\xbc";
    const std::string cut = CleanCallerText("a" + umlauts, kSipMaxCallerName);
    EXPECT_LE(cut.size(), kSipMaxCallerName);
    EXPECT_TRUE(IsUtf8(cut));
}

} // namespace
