// The greeting recorder dialog on the offscreen platform and the null sound
// device: its buttons start the recorder's requests, are held while one
// runs, and OK or Cancel decide whether the new take replaces the greeting.
#include "FakeGreetingLine.h"
#include "TempHome.h"

#include "dialogs/RecGreetDlg.h"
#include "engine/CallState.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RecGreetDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        line.nLine = 3;
        home.Write("wave/greet.wav", kOld);
        setup.sFile = "./wave/greet.wav";
        setup.nMaxRecordMs = 300;
    }
    // Records from the sound card through the dialog and waits for the take.
    void RecordFromCard(CRecGreetDlg& dlg) {
        QTest::mouseClick(dlg.RecordCardButton(), Qt::LeftButton);
        EXPECT_FALSE(dlg.RecordCardButton()->isEnabled());
        EXPECT_FALSE(dlg.ListenButton()->isEnabled());
        EXPECT_TRUE(dlg.StopButton()->isEnabled());
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.RecordCardButton()->isEnabled(); }, 60000));
        EXPECT_TRUE(dlg.Status().startsWith("New greeting recorded")) << dlg.Status().toStdString();
        EXPECT_TRUE(dlg.DiscardButton()->isEnabled());
    }

    static constexpr const char* kOld = "old greeting";
    TempHome home;
    CNullSoundBackend& backend = ToneCard();
    CFakeGreetingLine line;
    CGreetingRecorder::Setup setup;
};

TEST_F(RecGreetDlgTest, OkKeepsTheNewGreetingAndCancelTheOldOne) {
    {
        CRecGreetDlg dlg(backend, &line, setup);
        dlg.show();
        EXPECT_EQ(dlg.FileBox()->text(), "./wave/greet.wav");
        EXPECT_EQ(dlg.SoundInputBox()->count(), 1); // the null device
        RecordFromCard(dlg);
        dlg.reject();
        EXPECT_EQ(home.Read("wave/greet.wav"), kOld);
    }
    {
        CRecGreetDlg dlg(backend, &line, setup);
        dlg.show();
        RecordFromCard(dlg);
        QTest::mouseClick(dlg.DiscardButton(), Qt::LeftButton);
        EXPECT_FALSE(dlg.DiscardButton()->isEnabled());
        RecordFromCard(dlg);
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.FileName(), "./wave/greet.wav");
    }
    // The take kept whole, and its file gone: GreetingRecorderTest.
    EXPECT_NE(home.Read("wave/greet.wav"), kOld);
}

TEST_F(RecGreetDlgTest, TheModemButtonsAskTheWorkerWithTheChosenSource) {
    CRecGreetDlg dlg(backend, &line, setup);
    dlg.show();
    ASSERT_NE(dlg.HelpButton(), nullptr) << "the manual's page on greetings";
    EXPECT_EQ(dlg.VoiceSourceBox()->count(), 6);
    EXPECT_EQ(dlg.VoiceSourceBox()->currentIndex(), 3); // the driver's source
    EXPECT_EQ(dlg.VoiceSourceBox()->itemText(1), "Handset");
    dlg.VoiceSourceBox()->setCurrentIndex(1);
    QTest::mouseClick(dlg.PlayModemButton(), Qt::LeftButton);
    EXPECT_EQ(line.nAction, kActionPlayGreeting);
    EXPECT_EQ(line.nLineDuringAction, 1);
    EXPECT_EQ(line.sPlayFile, home.File("wave/greet.wav"));
    EXPECT_FALSE(dlg.RecordModemButton()->isEnabled());

    // Stop ends the request; the driver's own source comes back.
    QTest::mouseClick(dlg.StopButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.RecordModemButton()->isEnabled(); }, 60000));
    EXPECT_EQ(line.nLine, 3);

    // Without a worker the modem's buttons stay off.
    CRecGreetDlg alone(backend, nullptr, setup);
    EXPECT_FALSE(alone.RecordModemButton()->isEnabled());
    EXPECT_FALSE(alone.PlayModemButton()->isEnabled());
    EXPECT_TRUE(alone.RecordCardButton()->isEnabled());
}

} // namespace
