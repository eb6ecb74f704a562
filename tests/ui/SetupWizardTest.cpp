// The set-up wizard's pages as a user goes through them: the page flow with
// each device kind, Finish and Cancel, the manual's link, and the front end
// running the wizard for the worker.
#include "wizard/MyPropertySheet.h"

#include "app/SetupWizardLogic.h"

#include "OpenBoxes.h"
#include "TempHome.h"
#include "app/EngineWorker.h"
#include "dialogs/AdapterFields.h"
#include "engine/CallState.h"
#include "engine/LoggingUiBridge.h"
#include "engine/Phone.h"
#include "engine/SetupSteps.h"
#include "frontend/QtFrontEnd.h"
#include "tapi/TapiProviders.h"
#include "wizard/AdapterPage.h"
#include "wizard/SerialPage.h"
#include "wizard/WizardPages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

class SetupWizardPages : public ::testing::Test {
protected:
    void SetUp() override {
        home.CopyShipped("vorella.def");
        home.CopyShipped("modem.ini");
        start.nKind = kKindSerialModem;
        start.nComPort = 0;
        start.sModem = "Rockwell HCF Compatible";
    }
    void TearDown() override { CloseBoxes(); }

    // A wizard on its access page; detection is switched off on page 2.
    std::unique_ptr<CMyPropertySheet> OpenAtAccessPage() {
        auto sheet = std::make_unique<CMyPropertySheet>(start, bridge);
        sheet->show();
        sheet->next();
        sheet->DetectionPage()->SkipBox()->setChecked(true);
        sheet->next();
        EXPECT_EQ(sheet->currentId(), kPageAccess);
        return sheet;
    }
    void ClickBack(CMyPropertySheet& sheet) {
        QTest::mouseClick(sheet.button(QWizard::BackButton), Qt::LeftButton);
    }

    TempHome home;
    CLoggingUiBridge bridge{[](const std::string&) {}};
    SetupWizardStart start;
};

TEST_F(SetupWizardPages, EachAccessChoiceLeadsToItsPageAndBackToTheChoice) {
    auto sheet = OpenAtAccessPage();
    sheet->AccessPage()->SetKind(kKindTelephonyLine);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageLine) << "the telephony line skips the serial page";
    EXPECT_FALSE(sheet->LinePage()->LineBox()->isEnabled()) << "no lines to choose from";
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess);

    sheet->AccessPage()->SetKind(kKindExtension);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageFinish);
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess);

    sheet->AccessPage()->SetKind(kKindUsbAdapter);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageAdapter);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageFinish);
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess) << "the last page goes back to the choice";

    sheet->AccessPage()->SetKind(kKindSerialModem);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageSerial);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageFinish);
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess) << "the last page goes back to the choice";
}

TEST_F(SetupWizardPages, FinishHandsOverTheModemAndPortChosen) {
    home.Write("ptyish", "");
    home.Write("vorella.ini", "[Ports]\nCOM7=" + home.File("ptyish") + "\n");
    start.nComPort = 7;
    auto sheet = OpenAtAccessPage();
    sheet->next();
    CMyPropertyPage2* serial = sheet->SerialPage();
    EXPECT_FALSE(serial->IsDetecting()) << "detection was switched off";
    ASSERT_NE(serial->ModemList()->currentItem(), nullptr);
    EXPECT_EQ(serial->ModemList()->currentItem()->text(), "Rockwell HCF Compatible")
        << "the modem of the settings is preselected";
    EXPECT_EQ(serial->PortBox()->currentData().toInt(), 7);
    EXPECT_TRUE(serial->PortBox()->currentText().startsWith("COM7 \u2014 "))
        << serial->PortBox()->currentText().toStdString();
    serial->ModemList()->setCurrentItem(
        serial->ModemList()->findItems("LT Win Modem", Qt::MatchExactly).front());
    sheet->next();
    sheet->accept();
    SetupWizardResult r = sheet->Result();
    EXPECT_TRUE(r.bRun);
    EXPECT_FALSE(r.bCancelled);
    EXPECT_EQ(r.nKind, kKindSerialModem);
    EXPECT_EQ(r.nComPort, 7);
    EXPECT_EQ(r.sModem, "LT Win Modem");
    EXPECT_EQ(r.nCidTypeFound, -1);
}

TEST_F(SetupWizardPages, TheAdapterChosenWithItsSoundCardOpensWhenTheProgramStartsAgain) {
    // The card chosen before is gone: it stays choosable, marked so.
    start.sAdapterSoundCard = "hw:CARD=Gone";
    start.sAdapterInput = "";
    auto sheet = OpenAtAccessPage();
    sheet->AccessPage()->SetKind(kKindUsbAdapter);
    sheet->next();
    ASSERT_EQ(sheet->currentId(), kPageAdapter);
    CAdapterFields* fields = sheet->AdapterPage()->Fields();
    EXPECT_EQ(fields->SoundCard(), "hw:CARD=Gone");
    EXPECT_TRUE(fields->CardBox()->currentText().endsWith("not present"))
        << fields->CardBox()->currentText().toStdString();
    EXPECT_TRUE(sheet->AdapterPage()->Problems()->text().contains("hw:CARD=Gone is not there"))
        << sheet->AdapterPage()->Problems()->text().toStdString();
    // Without an input device the page says what is then not seen.
    EXPECT_EQ(fields->Input(), "");
    EXPECT_TRUE(fields->Note()->text().contains("does not see the ring"))
        << fields->Note()->text().toStdString();
    // The sound layer's card, shown by its description, stored by its name.
    const int card = fields->CardBox()->findText("Silent capture device");
    ASSERT_GE(card, 0);
    fields->CardBox()->setCurrentIndex(card);
    EXPECT_TRUE(sheet->AdapterPage()->Problems()->text().isEmpty())
        << sheet->AdapterPage()->Problems()->text().toStdString();
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageFinish);
    sheet->accept();
    const SetupWizardResult r = sheet->Result();
    EXPECT_EQ(r.nKind, kKindUsbAdapter);
    EXPECT_EQ(r.sAdapterSoundCard, "null");
    EXPECT_EQ(r.sAdapterInput, "");

    // The worker applies and saves the choice; the program that starts next
    // drives the adapter on that card.
    {
        CPhone phone;
        phone.LoadAll();
        ApplySetupFinish(phone, r, bridge, 0);
        ASSERT_TRUE(phone.SaveAll());
    }
    CTapiProviders providers;
    CEngineWorker worker(bridge, providers);
    EXPECT_FALSE(worker.NeedsSetup());
    worker.CallState().RequestPause(false);
    worker.Start();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return worker.Phone().Device().Kind() == DeviceKind::UsbAdapter &&
                   worker.Phone().Device().IsOpen();
        },
        30000));
    EXPECT_FALSE(worker.CallState().Flags().bPaused) << "the adapter was found";
    EXPECT_TRUE(worker.WaitEnded(20000));
}

TEST_F(SetupWizardPages, CancelHandsOverNothingChosen) {
    auto sheet = OpenAtAccessPage();
    sheet->AccessPage()->SetKind(kKindUsbAdapter);
    sheet->next();
    sheet->reject();
    EXPECT_TRUE(sheet->Result().bCancelled);
}

TEST_F(SetupWizardPages, TheDifferenceLinkSaysWhenTheManualIsMissing) {
    // The test programs are no install and no build tree's program folder.
    auto sheet = OpenAtAccessPage();
    emit sheet->AccessPage()->DifferenceLink()->linkActivated("difference");
    QMessageBox* box = OpenBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("not installed")) << box->text().toStdString();
    EXPECT_TRUE(box->text().contains("faq/tapivscom.html")) << box->text().toStdString();
}

TEST_F(SetupWizardPages, TheFrontEndRunsTheWizardAndAnswersWhenItCloses) {
    CQtFrontEnd frontEnd(CCallNotifier::Kind::PopupWindow);
    std::optional<SetupWizardResult> answer;
    frontEnd.WorkerBridge().RunSetupWizard(start, [&](const SetupWizardResult& r) { answer = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return frontEnd.SetupWizard() != nullptr; }, 10000));
    CMyPropertySheet* sheet = frontEnd.SetupWizard();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(answer) << "the worker's answer waits for the user";
    sheet->reject();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->bRun);
    EXPECT_TRUE(answer->bCancelled);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frontEnd.SetupWizard() == nullptr; }, 10000))
        << "the closed wizard is gone";
}

} // namespace
