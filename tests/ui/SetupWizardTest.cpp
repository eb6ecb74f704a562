// The set-up wizard's pages as a user goes through them: the page flow with
// each device kind, Finish and Cancel, the manual's link, the front end
// running the wizard for the worker; and the telephony lines offered by the
// wizard's line page and the options' "Telephone Device" page, with the
// simulated provider installed: the voice and modem lines by name, the line
// in use chosen, the choice kept as nTAPILine, the reason shown when there
// is none.
#include "wizard/MyPropertySheet.h"

#include "app/SetupWizardLogic.h"

#include "OpenBoxes.h"
#include "TempHome.h"
#include "dialogs/AdapterFields.h"
#include "dialogs/LineListing.h"
#include "engine/LoggingUiBridge.h"
#include "frontend/QtFrontEnd.h"
#include "options/DevicePage.h"
#include "platform/Strings.h"
#include "tapi/SimulatedTapi.h"
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

using Script = CSimulatedTapi::LineScript;

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
    std::unique_ptr<CMyPropertySheet> OpenAtAccessPage(CTapiProviders* pLines = nullptr) {
        auto sheet = std::make_unique<CMyPropertySheet>(start, bridge, pLines);
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

    // Each listing starts the provider afresh, as the program's does.
    void Install(std::vector<Script> lines) {
        providers.Register(
            "simulated", [lines](std::string*) { return std::make_unique<CSimulatedTapi>(lines); });
        providers.Choose("simulated");
    }
    static std::vector<Script> FourLines() {
        // Device 1 carries fax only and is not offered; device 2 has no
        // name; device 3 cannot be read.
        return {Script{"Office line", kMediaInteractiveVoice}, Script{"Fax line", kMediaG3Fax},
                Script{"", kMediaDataModem}, Script{"Broken line", kMediaInteractiveVoice, false}};
    }
    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }
    static bool Listed(const CLineListing* listing) {
        return QTest::qWaitFor([listing] { return listing->IsDone(); }, 10000);
    }

    TempHome home;
    CLoggingUiBridge bridge{[](const std::string&) {}};
    SetupWizardStart start;
    CTapiProviders providers;
};

// The flow itself is the wizard logic's; here the sheet follows it, and its
// Back button goes back to the choice.
TEST_F(SetupWizardPages, EachAccessChoiceLeadsToItsPageAndBackToTheChoice) {
    auto sheet = OpenAtAccessPage();
    sheet->AccessPage()->SetKind(kKindTelephonyLine);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageLine) << "the telephony line skips the serial page";
    EXPECT_FALSE(sheet->LinePage()->LineBox()->isEnabled()) << "no lines to choose from";
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess);
    sheet->AccessPage()->SetKind(kKindSerialModem); // no port set yet
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageSerial);
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess);
    sheet->AccessPage()->SetKind(kKindExtension);
    sheet->next();
    EXPECT_EQ(sheet->currentId(), kPageFinish);
    ClickBack(*sheet);
    EXPECT_EQ(sheet->currentId(), kPageAccess) << "the last page goes back to the choice";
    // Cancel on a page of its own hands over nothing chosen.
    sheet->AccessPage()->SetKind(kKindUsbAdapter);
    sheet->next();
    sheet->reject();
    EXPECT_TRUE(sheet->Result().bCancelled);
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

TEST_F(SetupWizardPages, TheAdapterPageOffersTheSoundCardsAndHandsOverTheOneChosen) {
    // The card chosen before is gone: the page says so. (The fields kept
    // and their notes: OptionsDlgTest and AdapterChoicesTest.)
    start.sAdapterSoundCard = "hw:CARD=Gone";
    start.sAdapterInput = "";
    auto sheet = OpenAtAccessPage();
    sheet->AccessPage()->SetKind(kKindUsbAdapter);
    sheet->next();
    ASSERT_EQ(sheet->currentId(), kPageAdapter);
    CAdapterFields* fields = sheet->AdapterPage()->Fields();
    EXPECT_THAT(sheet->AdapterPage()->Problems()->text().toStdString(),
                HasSubstr("hw:CARD=Gone is not there"));
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
}

TEST_F(SetupWizardPages, TheDifferenceLinkSaysWhenTheManualIsMissing) {
    // The test programs are no install and no build tree's program folder.
    auto sheet = OpenAtAccessPage();
    emit sheet->AccessPage()->DifferenceLink()->linkActivated("difference");
    EXPECT_THAT(TakeBoxText(), AllOf(HasSubstr("not installed"), HasSubstr("faq/tapivscom.html")));
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

TEST_F(SetupWizardPages, TheWizardListsTheVoiceAndModemLinesAndKeepsTheChosenOne) {
    Install(FourLines());
    start.nKind = kKindTelephonyLine;
    start.nTAPILine = 2; // set before: chosen again
    auto pSheet = OpenAtAccessPage(&providers);
    CMyPropertySheet& sheet = *pSheet;
    sheet.AccessPage()->SetKind(kKindTelephonyLine);
    sheet.next();
    ASSERT_EQ(sheet.currentId(), kPageLine);
    CMyPropertyPage02* page = sheet.LinePage();
    ASSERT_TRUE(Listed(page->Listing()));

    EXPECT_EQ(Items(page->LineBox()),
              (QStringList{"Office line", "Line unnamed", "Line unavailable"}));
    EXPECT_TRUE(page->LineBox()->isEnabled());
    EXPECT_FALSE(page->NoteLabel()->isVisibleTo(page));
    EXPECT_EQ(page->LineBox()->currentText(), "Line unnamed");
    EXPECT_EQ(page->Line(), 2);

    // The line is kept by its device id, not its place in the list.
    page->LineBox()->setCurrentIndex(2);
    sheet.next();
    sheet.accept();
    const SetupWizardResult r = sheet.Result();
    EXPECT_EQ(r.nKind, kKindTelephonyLine);
    EXPECT_EQ(r.nTAPILine, 3);
}

TEST_F(SetupWizardPages, WithoutALineThePageSaysWhyAndKeepsTheLineSetBefore) {
    struct Case {
        const char* what;
        bool bProvider;
        std::vector<Script> lines;
        int nMessage;
    };
    const Case cases[] = {
        {"no provider installed", false, {}, 57974},
        {"no line device at all", true, {}, 57974},
        {"no voice or modem line", true, {Script{"Fax line", kMediaG3Fax}}, 57975},
    };
    for (const Case& c : cases) {
        if (c.bProvider)
            Install(c.lines);
        else
            providers.Register("simulated", {});
        CMyPropertyPage02 page(4, &providers);
        static_cast<QWizardPage&>(page).initializePage();
        ASSERT_TRUE(Listed(page.Listing())) << c.what;
        EXPECT_EQ(page.LineBox()->count(), 0) << c.what;
        EXPECT_FALSE(page.LineBox()->isEnabled()) << c.what;
        EXPECT_EQ(page.NoteLabel()->text().toStdString(), LoadStr(c.nMessage)) << c.what;
        EXPECT_EQ(page.Line(), 4) << c.what;
    }
}

TEST_F(SetupWizardPages, TheOptionsOfferTheLinesForTheLineKindsAndSaveTheChoice) {
    Install(FourLines());
    CDevicePage page(&providers);
    OptionsValues v;
    v.nDeviceKind = kKindTelephonyLine;
    v.nTapiLine = 3;
    page.Load(v);
    ASSERT_TRUE(Listed(page.Listing())); // the lines listed: the wizard's test above
    EXPECT_EQ(page.LineBox()->currentText(), "Line unavailable");
    EXPECT_TRUE(page.LineBox()->isEnabled());
    EXPECT_FALSE(page.PortBox()->isEnabled());

    // Only the kinds that use a line choose one.
    page.KindBox()->setCurrentIndex(kKindSerialModem);
    EXPECT_FALSE(page.LineBox()->isEnabled());
    page.KindBox()->setCurrentIndex(kKindExtension);
    EXPECT_TRUE(page.LineBox()->isEnabled());

    page.LineBox()->setCurrentIndex(0);
    OptionsValues out;
    page.Save(out);
    EXPECT_EQ(out.nDeviceKind, kKindExtension);
    EXPECT_EQ(out.nTapiLine, 0);

    // No provider: the reason, and the line set before stays.
    providers.Register("simulated", {});
    page.Load(v);
    ASSERT_TRUE(Listed(page.Listing()));
    EXPECT_FALSE(page.LineBox()->isEnabled());
    EXPECT_EQ(page.LineNote()->text().toStdString(), LoadStr(57974));
    page.Save(out);
    EXPECT_EQ(out.nTapiLine, 3);
}

} // namespace
