// "SIP Accounts" on the offscreen platform: the settings' accounts shown,
// one edited, one added and one removed; a bad field keeps the dialog open
// with the reason and saves nothing; OK saves into the settings, beside
// the other settings and readable by its owner only; the options' device
// page opens it and lists the lines again when it saved; each account's
// registration as its open line tells it, followed while the dialog is
// open.
#include "TempHome.h"

#include "dialogs/LineListing.h"
#include "engine/Phone.h"
#include "engine/TelephonyLineDevice.h"
#include "options/DevicePage.h"
#include "options/SipAccountsDlg.h"
#include "platform/ProfileFile.h"
#include "sip/SipAccounts.h"
#include "tapi/SimulatedTapi.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>

namespace {

// A line per account whose registration the test sets, as a SIP line's
// provider reports it.
class RegisteringLines : public CSimulatedTapi {
public:
    explicit RegisteringLines(std::vector<LineScript> lines) : CSimulatedTapi(std::move(lines)) {}
    void Set(const TapiLineStatus& status) {
        std::lock_guard lock(m_statusMutex);
        m_status = status;
    }
    TapiResult GetLineDevStatus(uint32_t, TapiLineStatus* pStatus) override {
        std::lock_guard lock(m_statusMutex);
        *pStatus = m_status;
        return 0;
    }

private:
    std::mutex m_statusMutex;
    TapiLineStatus m_status;
};

class SipAccountsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("vorella.ini",
                   "[Options]\nnRings=3\n[SIP1]\nsName=Desk\nsUser=200\nsRegistrar=pbx.example\n"
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
    // Beside the other settings, in a file only its owner reads.
    EXPECT_EQ(ProfileFile(Settings()).GetInt("Options", "nRings", 0), 3);
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

TEST_F(SipAccountsDlgTest, EachAccountShowsItsLinesRegistrationAsItChanges) {
    home.Write("vorella.ini", "[SIP1]\nsName=Desk\nsUser=200\nsRegistrar=pbx.example\n"
                              "[SIP2]\nsName=Lab\nsUser=300\n");
    auto provider = std::make_unique<RegisteringLines>(
        std::vector<CSimulatedTapi::LineScript>{{"Desk"}, {"Lab"}});
    RegisteringLines& lines = *provider;
    lines.Set({true, true, "registering with pbx.example"});
    CPhone phone;
    phone.nTAPILine = 0; // Desk's line is open
    CTelephonyLineDevice device(phone, std::move(provider));
    ASSERT_TRUE(device.Open());

    CSipAccountsDlg dlg;
    auto shows = [&](const char* text) {
        return QTest::qWaitFor([&] { return dlg.RegistrationLabel()->text() == text; }, 10000);
    };
    struct Step {
        TapiLineStatus status;
        const char* shown;
    } steps[] = {
        {{true, true, "registering with pbx.example"}, "registering with pbx.example"},
        {{true, false, "registered with pbx.example for 600 s"},
         "registered with pbx.example for 600 s"},
        {{false, false,
          "registration with pbx.example failed: 403 Forbidden (wrong user name or password)"},
         "Line unavailable: registration with pbx.example failed: 403 Forbidden (wrong user name "
         "or password); trying again"},
        {{true, false, ""}, "no registrar: calls come straight to this computer"},
    };
    for (const Step& step : steps) {
        lines.Set(step.status);
        EXPECT_TRUE(shows(step.shown)) << dlg.RegistrationLabel()->text().toStdString();
    }
    // Lab's line is not the one open.
    dlg.List()->setCurrentRow(1);
    EXPECT_TRUE(shows("not in use: its line is not open"))
        << dlg.RegistrationLabel()->text().toStdString();
    device.Shutdown();
}

} // namespace
