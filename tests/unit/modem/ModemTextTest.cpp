// The pure pieces of the modem layer: DLE codes, command packing, formats,
// the log line, the model tables and the report's mail form. (Dial strings:
// see the driver's dial test.)
#include "modem/CommandText.h"
#include "modem/Diagnostics.h"
#include "modem/DleCodes.h"
#include "modem/ModemLog.h"
#include "modem/ModemSetup.h"

#include <gtest/gtest.h>

namespace {

TEST(DleCodes, SignificanceFollowsTheSettings) {
    DleContext plain;
    for (char c : std::string("0123456789ABCD*#Zcdb"))
        EXPECT_TRUE(ClassifyDleCode(static_cast<unsigned char>(c), plain).significant) << c;
    for (char c : std::string("qsXa!\x03"))
        EXPECT_FALSE(ClassifyDleCode(static_cast<unsigned char>(c), plain).significant) << c;

    DleContext quiet;
    quiet.bSilenceDetection = true;
    EXPECT_TRUE(ClassifyDleCode('q', quiet).significant);
    EXPECT_TRUE(ClassifyDleCode('s', quiet).significant);

    DleContext ignoreBusy;
    ignoreBusy.bIgnoreBusy = true;
    DleVerdict b = ClassifyDleCode('b', ignoreBusy);
    EXPECT_FALSE(b.significant);
    EXPECT_TRUE(b.clearLastEvent);
}

TEST(DleCodes, HandsetCodesDependOnTracking) {
    DleContext idle;
    EXPECT_TRUE(ClassifyDleCode('H', idle).significant);
    EXPECT_EQ(ClassifyDleCode('H', idle).handset, 1);
    EXPECT_EQ(ClassifyDleCode('t', idle).handset, 1);
    EXPECT_FALSE(ClassifyDleCode('h', idle).significant);
    EXPECT_EQ(ClassifyDleCode('h', idle).handset, 0);

    DleContext tracking;
    tracking.bHandsetTracking = true;
    EXPECT_FALSE(ClassifyDleCode('H', tracking).significant);
    EXPECT_TRUE(ClassifyDleCode('h', tracking).significant);

    DleContext handsetLine;
    handsetLine.nLineSelection = 1;
    EXPECT_FALSE(ClassifyDleCode('t', handsetLine).significant);
}

TEST(CommandText, FastInitPacksIntoFewLines) {
    using V = std::vector<std::string>;
    // The default profile: one line; the empty device command is not sent.
    EXPECT_EQ(PackInitCommands("&F", "Q0", "V1", "E0", ""), (V{"&FQ0V1E0", ""}));
    // A reset stands alone, and the device command follows the echo-off line.
    EXPECT_EQ(PackInitCommands("Z", "Q0", "V1", "E0", "S0=0"), (V{"Z", "Q0V1E0", "S0=0"}));
    // A line is closed before it would reach 39 characters.
    std::string longInit(33, 'X'); // 33 + Q0 + V1 = 37, + E0 = 39
    EXPECT_EQ(PackInitCommands(longInit, "Q0", "V1", "E0", ""), (V{longInit + "Q0V1", "E0", ""}));
    std::string exact(35, 'Y'); // 35 + "Q0" = 37, + "V1" = 39: closed before V1
    EXPECT_EQ(PackInitCommands(exact, "Q0", "V1", "E0", "")[0], exact + "Q0");

    EXPECT_EQ(PackVoiceInitCommands("#VSR=7200", "#VGT=128", false), (V{"#VSR=7200#VGT=128"}));
    EXPECT_EQ(PackVoiceInitCommands("#VSR=7200", "#VGT=128", true), (V{"#VSR=7200", "#VGT=128"}));
    EXPECT_EQ(PackVoiceInitCommands("#VSR=7200", std::string(30, 'Z'), false).size(), 2u);
}

TEST(CommandText, FormatsTakeOneArgumentAndNeverTrustTheProfile) {
    EXPECT_EQ(ApplyFormat("DT%s", "5551234"), "DT5551234");
    EXPECT_EQ(ApplyFormat("#VTS=", "1,2,3"), "#VTS=");
    EXPECT_EQ(ApplyFormat("#VBT=%d", 20LL), "#VBT=20");
    EXPECT_EQ(ApplyFormat("+VSM=132,%d", 8000LL), "+VSM=132,8000");
    EXPECT_EQ(ApplyFormat("X%05dY", 42LL), "X00042Y");
    EXPECT_EQ(ApplyFormat("100%%", 1LL), "100%");
    // Extra or dangerous conversions produce nothing instead of reading
    // arguments that are not there.
    EXPECT_EQ(ApplyFormat("%s%s%n%s", "1"), "1%n");
    EXPECT_EQ(ApplyFormat("#VTS=[%s,%s,%s]", "9"), "#VTS=[9,,]");
    EXPECT_EQ(ApplyFormat("50%", "1"), "50%");
}

TEST(ModemLog, LineFormat) {
    LogTime t{2008, 3, 7, 9, 5, 3, 20};
    EXPECT_EQ(FormatLogLine(t, "CommOut: ", "AT&F"), "2008.3.7 9:5:3.20\tCommOut: AT&F\n");
    EXPECT_EQ(FormatLogLine(t, "", "RING detected\r\n"), "2008.3.7 9:5:3.20\tRING detected\n");
    EXPECT_EQ(FormatLogLine(t, "Purge", ""), "2008.3.7 9:5:3.20\tPurge\n");
    EXPECT_EQ(FormatLogLine(t, "Result_OK: ", "\r\n\tOK \r\n"),
              "2008.3.7 9:5:3.20\tResult_OK: OK\n");
}

// Each simulated family's answer is matched end to end in the driver's
// detection test; here the first matching row wins, and the rows no
// simulated family gives.
TEST(ModelDetection, AnswerTablesPickTheFirstMatchingRow) {
    EXPECT_EQ(SuggestModelFromVsm("1,\"ZyXEL ADPCM\",2\r\n140,\"CL1\""), "ZyXEL Omni 288S");
    EXPECT_EQ(SuggestModelFromVci("Rockwell;ADPCM;2"), "Rockwell Compatible (ADPCM)");
    EXPECT_EQ(SuggestModelFromVci("USRobotics;ADPCM;2"), "3Com / U.S.Robotics 56K Voice");
    EXPECT_EQ(SuggestModelFromVci("Acme;PCM;8"), "");
}

TEST(Diagnostics, MailToForm) {
    EXPECT_EQ(DiagnosticsMailto("A&B\r\nC", "help@example.org"),
              "mailto:help@example.org?subject=Modem Diagnostics&body="
              "<html><pre>A%20B    \nC</pre></html>");
    // As a URL: "#" and line ends encoded, "&" still arriving as a blank.
    EXPECT_EQ(DiagnosticsMailtoUrl("A&B\r\n#C", "help@example.org"),
              "mailto:help@example.org?subject=Modem%20Diagnostics&body="
              "%3Chtml%3E%3Cpre%3EA%20B%20%20%20%20%0A%23C%3C%2Fpre%3E%3C%2Fhtml%3E");
}

} // namespace
