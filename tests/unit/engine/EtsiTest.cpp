#include "engine/Etsi.h"

#include <gtest/gtest.h>

namespace {

// A caller-ID message: type 0x80, its length, then the parameters.
std::string Message(const std::string& params) {
    return std::string("\x80", 1) + static_cast<char>(params.size()) + params;
}
std::string Param(int type, const std::string& value) {
    return std::string(1, static_cast<char>(type)) + static_cast<char>(value.size()) + value;
}

} // namespace

TEST(Etsi, DecodesDateNumberAndName) {
    Etsi e;
    e.Parse(Message(Param(1, "12061530") + Param(2, "5551234") + Param(7, "JOHN SMITH") +
                    Param(0x11, "ignored")));
    EXPECT_FALSE(e.m_bInfoAbsent);
    EXPECT_EQ(e.m_sMonth, "12");
    EXPECT_EQ(e.m_sDay, "06");
    EXPECT_EQ(e.m_sHour, "15");
    EXPECT_EQ(e.m_sMinute, "30");
    EXPECT_EQ(e.m_sNumber, "5551234");
    EXPECT_EQ(e.m_sName, "JOHN SMITH");
}

TEST(Etsi, ShortMessageSetsTheFlagAndKeepsTheFields) {
    Etsi e;
    e.m_sNumber = "kept";
    std::string twelve = Message(Param(2, "12345678"));
    ASSERT_EQ(twelve.size(), 12u);
    e.Parse(twelve);
    EXPECT_TRUE(e.m_bInfoAbsent);
    EXPECT_EQ(e.m_sNumber, "kept");
    e.Parse("");
    EXPECT_TRUE(e.m_bInfoAbsent);
    // Thirteen bytes are decoded, and clear the flag.
    e.Parse(Message(Param(2, "123456789")));
    EXPECT_FALSE(e.m_bInfoAbsent);
    EXPECT_EQ(e.m_sNumber, "123456789");
}

TEST(Etsi, AbsentReasonsAndTheSecondNumber) {
    Etsi e;
    e.Parse(Message(Param(4, "P") + Param(8, "O") + Param(3, "999") + Param(1, "0102")));
    EXPECT_TRUE(e.m_bInfoAbsent);
    EXPECT_EQ(e.m_sNumber, "P"); // the second number only fills an empty one
    EXPECT_EQ(e.m_sName, "O");
    EXPECT_EQ(e.m_sMonth, "01"); // a short date fills what it has
    EXPECT_EQ(e.m_sDay, "02");
    EXPECT_EQ(e.m_sHour, "");

    Etsi e2;
    e2.Parse(Message(Param(3, "999") + Param(7, "ANNE BOLEYN")));
    EXPECT_EQ(e2.m_sNumber, "999");
}

TEST(Etsi, ParametersRunningPastTheEndAreCut) {
    Etsi e;
    // The name claims 200 bytes but the message ends after 5.
    std::string msg = Message(Param(2, "5551234")) + "\x07\xC8"
                                                     "JOHNS";
    e.Parse(msg);
    EXPECT_EQ(e.m_sNumber, "5551234");
    EXPECT_EQ(e.m_sName, "JOHNS");
    // A lone type byte at the end is not a parameter.
    e.Parse(Message(Param(2, "5551234") + Param(7, "ANNA")) + "\x02");
    EXPECT_EQ(e.m_sNumber, "5551234");
    // Any bytes at all: the fuzz target's corpus.
}

TEST(Etsi, StrangersBytesAreCleaned) {
    Etsi e;
    e.Parse(Message(Param(2, std::string("555\0\r\n1", 7)) + Param(7, "A\x1b[31mB\xFF")));
    EXPECT_EQ(e.m_sNumber, "5551");
    EXPECT_EQ(e.m_sName, "A[31mB?");
}
