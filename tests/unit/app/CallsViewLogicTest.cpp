// The "Calls" view's rules without widgets: the row texts and the pages read
// from a real contacts file. The caller commands a row offers: MainCallListTest.
#include "TempHome.h"

#include "app/CallsViewLogic.h"
#include "calllog/CallTime.h"
#include "config/SettingsProvider.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <gtest/gtest.h>

TEST(CallsRowTest, CallerOutcomeFileAndBold) {
    const CallTimeLocale locale;
    struct Case {
        CallOutcome outcome;
        bool bHeard, bHilight;
        const char* network;
        const char* contact;
        const char* recording;
        const char* caller;
        const char* networkAside;
        const char* outcomeWord;
        const char* file;
        bool bBold;
    } cases[] = {
        {CallOutcome::Missed, false, true, "MUELLER H", "", "", "MUELLER H", "", "missed", "",
         false},
        {CallOutcome::Message, false, true, "MUELLER H", "Hanna", "/c/Recorded Calls/m.wav",
         "Hanna", "MUELLER H", "message", "m.wav", true},
        {CallOutcome::Message, true, true, "", "Hanna", "m.wav", "Hanna", "", "message", "m.wav",
         false},
        {CallOutcome::Message, false, false, "", "", "", "", "", "message", "", false},
        {CallOutcome::ChallengeFailed, false, true, "X", "X", "", "X", "", "challenge failed", "",
         false},
    };
    for (const Case& c : cases) {
        HistoryEntry e;
        e.sNumber = "030123456";
        e.sName = c.network;
        e.outcome = c.outcome;
        e.bHeard = c.bHeard;
        e.sRecording = c.recording;
        const CallsRow row = CallsRowFor(e, c.contact, "030 123456", locale, c.bHilight);
        SCOPED_TRACE(c.outcomeWord);
        EXPECT_EQ(row.sCaller, c.caller);
        EXPECT_EQ(row.sNetworkName, c.networkAside);
        EXPECT_EQ(row.sOutcome, c.outcomeWord);
        EXPECT_EQ(row.sFile, c.file);
        EXPECT_EQ(row.bBold, c.bBold);
    }
}

// The window's connection against a file the engine (another connection)
// writes: pages, filters, a caller's calls, and the look for changes.
TEST(CallsSourceTest, PagesFiltersAndChangesOfAnotherConnection) {
    TempHome home;
    CMemorySettingsProvider settings("[Options]\nsCountry=DE\nAreaCode=030\n");
    CScopedSettingsProvider use(settings);
    const CPhoneNumbers numbers("DE", "030");
    CContactStore engine(numbers);
    ASSERT_TRUE(engine.Open(home.File("minidb.dat"))) << engine.Error();
    const int64_t hannaId = engine.AddContact({0, "Hanna", {{"030 111", ""}}, {}, "", ""});
    const CallOutcome outcomes[] = {CallOutcome::Missed,   CallOutcome::Blocked,
                                    CallOutcome::Message,  CallOutcome::Missed,
                                    CallOutcome::Answered, CallOutcome::ChallengeFailed,
                                    CallOutcome::Missed};
    for (int i = 0; i < 7; ++i) {
        HistoryEntry e;
        e.tTime = 1'800'000'000 + i;
        e.sNumber = i % 2 ? "030 222" : "030 111";
        e.sNormalised = numbers.Normalise(e.sNumber);
        e.nContactId = i % 2 ? 0 : hannaId;
        e.sName = "NETWORK";
        e.outcome = outcomes[i];
        ASSERT_NE(engine.AppendCall(e), 0);
    }

    CCallsSource source;
    EXPECT_TRUE(source.Changed()) << "the first look";
    EXPECT_FALSE(source.Changed());
    struct Page {
        HistoryFilter filter;
        size_t nRows;
        const char* newest;
    } pages[] = {{HistoryFilter::All, 7, "Hanna"},
                 {HistoryFilter::Missed, 3, "Hanna"},
                 {HistoryFilter::Blocked, 2, "NETWORK"}};
    for (const Page& p : pages) {
        CCallsPages paging(3);
        std::vector<CallsRow> all;
        while (paging.HasMore()) {
            const std::vector<CallsRow> rows =
                source.Calls(p.filter, paging.Offset(), paging.PageRows());
            paging.Took(paging.PageRows(), static_cast<int>(rows.size()));
            all.insert(all.end(), rows.begin(), rows.end());
        }
        ASSERT_EQ(all.size(), p.nRows) << static_cast<int>(p.filter);
        EXPECT_EQ(all.front().sCaller, p.newest);
        EXPECT_GT(all.front().nId, all.back().nId) << "newest first";
        EXPECT_EQ(paging.ReloadRows(), std::max<int>(3, static_cast<int>(p.nRows)));
    }
    const std::vector<CallsRow> hannas = source.CallsOf(numbers.Normalise("030111"), 50);
    ASSERT_EQ(hannas.size(), 4u);
    EXPECT_EQ(hannas[0].sNumber, "030 111") << "the display form";
    EXPECT_EQ(source.ListOf("+49 30 111"), ContactList::None);
    EXPECT_EQ(source.ListOf("030 222"), std::nullopt);

    HistoryEntry late;
    late.tTime = 1'800'000'100;
    ASSERT_NE(engine.AppendCall(late), 0);
    EXPECT_TRUE(source.Changed()) << "another connection wrote";
    EXPECT_EQ(source.TakeError(), "");
}
