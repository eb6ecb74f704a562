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

// What one message leaves in a fresh decoder.
TEST(Etsi, DecodesTheFieldsOfAMessage) {
    const struct {
        const char* name;
        std::string message;
        bool bAbsent;
        const char* number;
        const char* callerName;
        const char* date; // "month/day hour:minute"
    } cases[] = {
        {"date, number and name",
         Message(Param(1, "12061530") + Param(2, "5551234") + Param(7, "JOHN SMITH") +
                 Param(0x11, "ignored")),
         false, "5551234", "JOHN SMITH", "12/06 15:30"},
        // The second number only fills an empty one; a short date fills what it has.
        {"absent reasons",
         Message(Param(4, "P") + Param(8, "O") + Param(3, "999") + Param(1, "0102")), true, "P",
         "O", "01/02 :"},
        {"the second number", Message(Param(3, "999") + Param(7, "ANNE BOLEYN")), false, "999",
         "ANNE BOLEYN", "/ :"},
        // The name claims 200 bytes but the message ends after 5.
        {"a parameter past the end",
         Message(Param(2, "5551234")) + "\x07\xC8"
                                        "JOHNS",
         false, "5551234", "JOHNS", "/ :"},
        // A lone type byte at the end is not a parameter.
        {"a lone type byte", Message(Param(2, "5551234") + Param(7, "ANNA")) + "\x02", false,
         "5551234", "ANNA", "/ :"},
        {"a stranger's bytes",
         Message(Param(2, std::string("555\0\r\n1", 7)) + Param(7, "A\x1b[31mB\xFF")), false,
         "5551", "A[31mB?", "/ :"},
    };
    for (const auto& c : cases) {
        Etsi e;
        e.Parse(c.message);
        EXPECT_EQ(e.m_bInfoAbsent, c.bAbsent) << c.name;
        EXPECT_EQ(e.m_sNumber, c.number) << c.name;
        EXPECT_EQ(e.m_sName, c.callerName) << c.name;
        EXPECT_EQ(e.m_sMonth + "/" + e.m_sDay + " " + e.m_sHour + ":" + e.m_sMinute, c.date)
            << c.name;
    }
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

} // namespace
