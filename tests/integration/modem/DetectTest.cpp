// Finding the modem: model detection and the caller-ID probe against every
// family the simulator knows, the port scan, and the diagnostics report.
#include "SimFixture.h"

#include "config/ModemType.h"
#include "modem/CallerIdProbe.h"
#include "modem/Diagnostics.h"
#include "modem/ModemSetup.h"
#include "platform/Strings.h"

#include <filesystem>

namespace {

struct DetectCase {
    const char* personality;
    const char* model; // "" for no suggestion
    // 2 where the modem takes its profile's caller-ID command; 0 where the
    // profile has none (ZyXEL) or the modem refuses it (IS-101's "#CID").
    int nCidType = -1;
};

class DetectModemTest : public SimModemTest, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(DetectModemTest, SuggestsTheModelOfTheFamily) {
    const DetectCase& c = GetParam();
    // The shipped profiles: their caller-ID commands are what the probe asks.
    home.CopyShipped("modem.ini");
    for (const auto& e : std::filesystem::directory_iterator(ShippedDataFolder() + "cfg"))
        home.CopyShipped("cfg/" + e.path().filename().string());
    StartSim(c.personality);
    drv.Profile().Load(".Custom");
    drv.Settings().nComPort = kPort;
    std::string sModem = ".Custom";
    bool found = DetectModem(drv, sModem, kBaud);
    EXPECT_EQ(found, c.model[0] != '\0');
    EXPECT_EQ(sModem, found ? c.model : ".Custom");
    if (found) {
        EXPECT_EQ(drv.Profile().m_sModemName, c.model);
        EXPECT_EQ(drv.Profile().m_nModemType, ModemTypeFromName(c.model));
        EXPECT_EQ(DetectCallerIdType(drv, sModem, kBaud), c.nCidType);
    }
    EXPECT_FALSE(drv.IsOpen()) << "the modem is released afterwards";
}

INSTANTIATE_TEST_SUITE_P(
    Families, DetectModemTest,
    ::testing::Values(DetectCase{"v253", "LT Win Modem", 2}, DetectCase{"soft", "LT Win Modem", 2},
                      DetectCase{"cl1", "Cirrus Logic IS-101", 0},
                      DetectCase{"broadcom", "BroadCom SoftModem Chipset V.92", 2},
                      DetectCase{"rockwell", "Rockwell HCF Compatible", 2},
                      DetectCase{"rockwell-pcm", "Rockwell HCF Compatible", 2},
                      DetectCase{"zyxel", "ZyXEL Omni 288S", 0},
                      DetectCase{"usr", "3Com / U.S.Robotics 56K Voice", 2},
                      DetectCase{"usr-ima", "3Com / U.S.Robotics Voice Modem", 2},
                      DetectCase{"cirrus", "Cirrus Logic CL-MD1414EXX", 2}, DetectCase{"hash", ""}),
    [](const auto& info) {
        std::string n = info.param.personality;
        std::replace(n.begin(), n.end(), '-', '_');
        return n;
    });

class Setup : public SimModemTest {};

TEST_F(Setup, ASilentModemIsNotGivenAModel) {
    auto& sim = StartSim("v253");
    sim.SetMisbehaviour(modemsim::Misbehaviour::Silent);
    drv.Settings().dwTimeoutDefault = 500;
    drv.Settings().nComPort = kPort;
    std::string sModem = ".Custom";
    EXPECT_FALSE(DetectModem(drv, sModem, kBaud));
    EXPECT_EQ(sModem, ".Custom");
    EXPECT_EQ(ui.messages.back(), LoadStr(57979));
    EXPECT_EQ(ui.icons.back(), MsgIcon::Information);
}

TEST_F(Setup, PortScanKeepsTheHighestPortThatAnswers) {
    auto& high = StartSim("v253", 9);
    auto& low = StartSim("v253", 6);
    ui.answer = true;
    EXPECT_EQ(OpenModemPort(drv, "U.S.R. Courier", -1, kBaud), 0);
    EXPECT_EQ(drv.Settings().nComPort, 9);
    EXPECT_TRUE(drv.IsOpen());
    EXPECT_EQ(drv.Profile().m_nModemType, 20);
    EXPECT_EQ(ui.status.back(), "");
    EXPECT_EQ(high.ReceivedLines().front(), " ");
    EXPECT_TRUE(low.ReceivedLines().empty()) << "the scan went on past the modem";
}

TEST_F(Setup, DecliningTheScanReportsNoModem) {
    StartSim("v253", 9);
    ui.answer = false;
    EXPECT_EQ(OpenModemPort(drv, ".Custom", 0, kBaud), CCommDriver::kInvalidHandle);
    EXPECT_EQ(ui.messages.back(), LoadStr(104));
    EXPECT_EQ(ui.icons.back(), MsgIcon::Error);
    EXPECT_FALSE(drv.IsOpen());
}

TEST_F(Setup, AGivenPortIsOpenedWithoutScanning) {
    StartSim("v253", 4);
    EXPECT_EQ(OpenModemPort(drv, "Rockwell Voice", 4, kBaud), 0);
    EXPECT_EQ(drv.Settings().nComPort, 4);
    EXPECT_EQ(drv.Profile().m_nModemType, 30);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(OpenModemPort(drv, ".Custom", 8, kBaud), CCommDriver::kInvalidHandle);
}

class DiagnosticsRun : public SimModemTest {};

TEST_F(DiagnosticsRun, ReportListsEveryProbeWithItsAnswer) {
    Ready("v253", false);
    int refreshes = 0;
    std::string report = RunDiagnostics(drv, [&](const std::string&) {
        ++refreshes;
        return true;
    });
    EXPECT_EQ(refreshes, 15);
    ASSERT_EQ(report.rfind("Diagnostics for .Custom\r\n", 0), 0u) << report;
    size_t pos = 0;
    for (const char* probe : DiagnosticProbes()) {
        std::string head = std::string("\r\nTransmitted: AT") + probe + "\r\nReceived:\r\n";
        size_t at = report.find(head, pos);
        ASSERT_NE(at, std::string::npos) << probe;
        size_t next = report.find("\r\nTransmitted: AT", at + head.size());
        std::string answer = report.substr(at + head.size(), next - at - head.size());
        // This modem knows only the "+" commands: "#" probes are refused.
        if (probe[0] == '#') {
            EXPECT_NE(answer.find("ERROR"), std::string::npos) << probe << ": " << answer;
        }
        pos = at + head.size();
    }
    EXPECT_NE(report.find("+VSM=?\r\r\n"), std::string::npos) << "echo is part of the answer";
    EXPECT_NE(report.find("\"SIGNED PCM\""), std::string::npos) << report;
}

TEST_F(DiagnosticsRun, WithoutAPortEveryProbeIsListedEmpty) {
    std::string report = RunDiagnostics(drv);
    for (const char* probe : DiagnosticProbes())
        EXPECT_NE(report.find(std::string("Transmitted: AT") + probe + "\r\nReceived:\r\n\r\n"),
                  std::string::npos)
            << probe;
}

TEST_F(DiagnosticsRun, StopsWritingWhenTheDialogIsGone) {
    Ready("v253", false);
    int calls = 0;
    std::string report = RunDiagnostics(drv, [&](const std::string&) { return ++calls < 3; });
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(report.find("#VCI?"), std::string::npos);
}

} // namespace
