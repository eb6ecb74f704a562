// The telephony lines offered by the set-up wizard's line page and the
// options' "Telephone Device" page, with the simulated provider installed:
// the voice and modem lines by name, the line in use chosen, the choice
// kept as nTAPILine, and the reason shown when there is none.
#include "options/DevicePage.h"
#include "wizard/MyPropertySheet.h"
#include "wizard/WizardPages.h"

#include "app/SetupWizardLogic.h"

#include "OpenBoxes.h"
#include "TempHome.h"
#include "dialogs/LineListing.h"
#include "engine/LoggingUiBridge.h"
#include "platform/Strings.h"
#include "tapi/SimulatedTapi.h"
#include "tapi/TapiProviders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Script = CSimulatedTapi::LineScript;

class LineChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.CopyShipped("vorella.def");
        home.CopyShipped("modem.ini");
    }
    void TearDown() override { CloseBoxes(); }
    // Each listing starts the provider afresh, as the program's does.
    void Install(std::vector<Script> lines) {
        providers.Register(
            "simulated", [lines](std::string*) { return std::make_unique<CSimulatedTapi>(lines); });
        providers.Choose("simulated");
    }
    void Uninstall() { providers.Register("simulated", {}); }
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
    CTapiProviders providers;
    CLoggingUiBridge bridge{[](const std::string&) {}};
};

TEST_F(LineChoiceTest, TheWizardListsTheVoiceAndModemLinesAndKeepsTheChosenOne) {
    Install(FourLines());
    SetupWizardStart start;
    start.nKind = kKindTelephonyLine;
    start.nTAPILine = 2; // set before: chosen again
    CMyPropertySheet sheet(start, bridge, &providers);
    sheet.show();
    sheet.next();
    sheet.DetectionPage()->SkipBox()->setChecked(true);
    sheet.next();
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

TEST_F(LineChoiceTest, WithoutALineThePageSaysWhyAndKeepsTheLineSetBefore) {
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
            Uninstall();
        CMyPropertyPage02 page(4, &providers);
        static_cast<QWizardPage&>(page).initializePage();
        ASSERT_TRUE(Listed(page.Listing())) << c.what;
        EXPECT_EQ(page.LineBox()->count(), 0) << c.what;
        EXPECT_FALSE(page.LineBox()->isEnabled()) << c.what;
        EXPECT_EQ(page.NoteLabel()->text().toStdString(), LoadStr(c.nMessage)) << c.what;
        EXPECT_EQ(page.Line(), 4) << c.what;
    }
}

TEST_F(LineChoiceTest, TheOptionsOfferTheLinesForTheLineKindsAndSaveTheChoice) {
    Install(FourLines());
    CDevicePage page(&providers);
    OptionsValues v;
    v.nDeviceKind = kKindTelephonyLine;
    v.nTapiLine = 3;
    page.Load(v);
    ASSERT_TRUE(Listed(page.Listing()));
    EXPECT_EQ(Items(page.LineBox()),
              (QStringList{"Office line", "Line unnamed", "Line unavailable"}));
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
    Uninstall();
    page.Load(v);
    ASSERT_TRUE(Listed(page.Listing()));
    EXPECT_FALSE(page.LineBox()->isEnabled());
    EXPECT_EQ(page.LineNote()->text().toStdString(), LoadStr(57974));
    page.Save(out);
    EXPECT_EQ(out.nTapiLine, 3);
}

} // namespace
