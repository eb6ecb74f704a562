// SIP accounts in the settings file: read back as written, and the file
// that holds a password readable by its owner only.
#include "sip/SipAccounts.h"

#include "TempHome.h"
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(SipAccounts, RoundTripAndPrivateFileWithAPassword) {
    TempHome home;
    const std::string path = home.File("vorella.ini");
    SipAccount office;
    office.sName = "Office";
    office.sRegistrar = "sip.example.net";
    office.sUser = "4930123";
    office.sPassword = "s3cret;\"x\" ";
    office.transport = SipTransport::Tls;
    office.sBindAddress = "192.0.2.7";
    office.nPort = 0;
    office.sTlsCaFile = "/home/u/ca.pem";
    SipAccount lab;
    lab.sUser = "lab";
    {
        ProfileFile ini(path);
        ini.WriteString("Options", "nRings", "3");
        ASSERT_TRUE(WriteSipAccounts(ini, {office, lab}));
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ProfileFile ini(path);
    std::vector<SipAccount> read = ReadSipAccounts(ini);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].LineName(), "Office");
    EXPECT_EQ(read[0].sPassword, office.sPassword);
    EXPECT_EQ(read[0].transport, SipTransport::Tls);
    EXPECT_EQ(read[0].sBindAddress, "192.0.2.7");
    EXPECT_EQ(read[0].nPort, 0);
    EXPECT_EQ(read[0].sTlsCaFile, office.sTlsCaFile);
    EXPECT_EQ(read[1].LineName(), "lab");
    EXPECT_EQ(read[1].transport, SipTransport::Udp);
    EXPECT_EQ(read[1].nPort, 5060);
    EXPECT_EQ(ini.GetString("Options", "nRings", ""), "3");

    // Fewer accounts: the second one is gone, not left behind.
    ASSERT_TRUE(WriteSipAccounts(ini, {office}));
    EXPECT_EQ(ReadSipAccounts(ProfileFile(path)).size(), 1u);
}

TEST(SipAccounts, BadValuesFallBackToDefaults) {
    TempHome home;
    const std::string path = home.File("vorella.ini");
    ProfileFile ini(path);
    ini.WriteString("SIP2", "sUser", "x");
    ini.WriteString("SIP2", "nPort", "99999");
    ini.WriteString("SIP2", "nTransport", "7");
    ini.WriteString("SIP9", "sUser", "beyond the last section read");
    std::vector<SipAccount> read = ReadSipAccounts(ini);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].nPort, 5060);
    EXPECT_EQ(read[0].transport, SipTransport::Udp);
}

} // namespace
