// "SIP Accounts" on the offscreen platform: the settings' accounts shown,
// one edited, one added and one removed; a bad field keeps the dialog open
// with the reason and saves nothing; OK saves into the settings, readable
// by the user only; the options' device page opens it and lists the lines
// again when it saved.
#include "TempHome.h"

#include "dialogs/LineListing.h"
#include "engine/TelephonyLineDevice.h"
#include "options/DevicePage.h"
#include "options/SipAccountsDlg.h"
#include "platform/ProfileFile.h"
#include "sip/SipAccounts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class SipAccountsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("vorella.ini", "[Options]\nnRings=4\n"
                                  "[SIP1]\nsName=Desk\nsUser=200\nsRegistrar=pbx.example\n"
                                  "sPassword=old\nnTransport=1\nnPort=5070\n"
                                  "sTlsCaFile=/etc/pbx-ca.pem\n");
    }
    std::vector<SipAccount> Saved() const { return ReadSipAccounts(ProfileFile(Settings())); }
    std::string Settings() const { return home.File("vorella.ini"); }

    TempHome home;
};

TEST_F(SipAccountsDlgTest, EditsAddsAndRemovesAccountsAndRefusesBadOnes) {
    CSipAccountsDlg dlg;
    ASSERT_EQ(dlg.List()->count(), 1);
    EXPECT_EQ(dlg.List()->item(0)->text(), "Desk");
    EXPECT_EQ(dlg.UserEdit()->text(), "200");
    EXPECT_EQ(dlg.RegistrarEdit()->text(), "pbx.example");
    EXPECT_EQ(dlg.PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.TransportBox()->currentText(), "TCP");
    EXPECT_EQ(dlg.PortBox()->value(), 5070);

    dlg.PasswordEdit()->setText("new secret");
    QTest::mouseClick(dlg.AddButton(), Qt::LeftButton);
    ASSERT_EQ(dlg.List()->currentRow(), 1);
    EXPECT_TRUE(dlg.UserEdit()->text().isEmpty());
    QTest::keyClicks(dlg.UserEdit(), "lab");
    EXPECT_EQ(dlg.List()->item(1)->text(), "lab");
    dlg.AddressEdit()->setText("every interface");
    dlg.PortBox()->setValue(0);

    // A bad field: the reason, the dialog stays, nothing is written.
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(dlg.ProblemLabel()->isVisibleTo(&dlg));
    EXPECT_EQ(dlg.ProblemLabel()->text().toStdString(),
              "Account 2: the listen address must be an IP address of this computer, or empty "
              "for all.");
    EXPECT_EQ(Saved()[0].sPassword, "old");

    dlg.AddressEdit()->setText("127.0.0.1");
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted) << dlg.ProblemLabel()->text().toStdString();
    std::vector<SipAccount> saved = Saved();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].sPassword, "new secret");
    EXPECT_EQ(saved[0].sTlsCaFile, "/etc/pbx-ca.pem"); // not shown, kept
    EXPECT_EQ(saved[1].sUser, "lab");
    EXPECT_EQ(saved[1].sBindAddress, "127.0.0.1");
    EXPECT_EQ(saved[1].nPort, 0);
    EXPECT_EQ(ProfileFile(Settings()).GetInt("Options", "nRings", 0), 4);
    struct stat st {};
    ASSERT_EQ(::stat(Settings().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Removing the first leaves the second, shown at once.
    CSipAccountsDlg again;
    again.List()->setCurrentRow(0);
    QTest::mouseClick(again.RemoveButton(), Qt::LeftButton);
    ASSERT_EQ(again.List()->count(), 1);
    EXPECT_EQ(again.UserEdit()->text(), "lab");
    again.accept();
    ASSERT_EQ(again.result(), QDialog::Accepted);
    saved = Saved();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].sUser, "lab");
}

TEST_F(SipAccountsDlgTest, TheDevicePageOpensItAndListsTheLinesAgainWhenItSaved) {
    CDevicePage page; // no lines: only whether they are listed counts
    OptionsValues v;
    v.nDeviceKind = kKindTelephonyLine;
    page.Load(v);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.Listing()->IsDone(); }, 10000));
    QSignalSpy listed(page.Listing(), &CLineListing::Listed);
    QTest::mouseClick(page.SipAccountsButton(), Qt::LeftButton);
    auto* dlg = page.findChild<CSipAccountsDlg*>();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(listed.count(), 0);
    dlg->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed.count() == 1; }, 10000));
    OptionsValues out;
    page.Save(out);
    EXPECT_TRUE(out.bSipAccountsChanged);

    // Opened again: nothing saved yet.
    page.Load(v);
    page.Save(out);
    EXPECT_FALSE(out.bSipAccountsChanged);
}

} // namespace
