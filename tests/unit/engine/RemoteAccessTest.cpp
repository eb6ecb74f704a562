#include "engine/RemoteAccess.h"

#include <gtest/gtest.h>

TEST(RemoteAccess, PinsComeFromTheStringTheNumberAndTheList) {
    struct Row {
        std::string sPin;
        int nPin;
        std::vector<std::string> array;
        std::vector<std::string> want;
        bool bProblem;
    } rows[] = {
        {"0815", 0, {}, {"0815"}, false}, // leading zero kept
        {"", 4711, {}, {"4711"}, false},  // the old integer key
        {"", 815, {}, {}, true},          // too short: off, and said
        {"12345", 999, {"2222", ""}, {"12345", "2222"}, false},
        {"12a4", 0, {"123"}, {}, true},
        {"", 0, {}, {}, false},
    };
    for (const Row& r : rows) {
        const RemotePins p = RemotePinsOf(r.sPin, r.nPin, r.array);
        EXPECT_EQ(p.pins, r.want) << r.sPin << "/" << r.nPin;
        EXPECT_EQ(!p.sProblem.empty(), r.bProblem) << r.sPin << "/" << r.nPin;
        std::vector<std::string> given = r.array;
        given.push_back(r.sPin);
        given.push_back(std::to_string(r.nPin));
        for (const std::string& pin : given)
            EXPECT_TRUE(pin.size() < 2 || p.sProblem.find(pin) == std::string::npos) << p.sProblem;
    }
}

TEST(RemoteAccess, MatchesOnlyTheWholePin) {
    const std::vector<std::string> pins{"0815", "99999"};
    for (const char* typed : {"0815", "99999"})
        EXPECT_TRUE(PinMatches(typed, pins)) << typed;
    for (const char* typed : {"", "081", "08150", "9999", "0816", "0815#"})
        EXPECT_FALSE(PinMatches(typed, pins)) << typed;
}

// Three wrong in a call hang up; the tenth in an hour closes access for an
// hour; a right PIN is refused meanwhile.
TEST(RemoteAccess, CountsFailuresPerCallAndPerHour) {
    CRemoteAccess guard;
    EXPECT_FALSE(guard.Open(0));
    guard.SetPins({"0815"});
    int64_t t = 1000;
    std::vector<PinVerdict> verdicts;
    for (int call = 0; call < 4; ++call) {
        guard.BeginCall();
        for (int i = 0; i < 3; ++i)
            verdicts.push_back(guard.Check("1234", t += 60));
    }
    const std::vector<PinVerdict> want{
        PinVerdict::Wrong,  PinVerdict::Wrong,     PinVerdict::HangUp,    PinVerdict::Wrong,
        PinVerdict::Wrong,  PinVerdict::HangUp,    PinVerdict::Wrong,     PinVerdict::Wrong,
        PinVerdict::HangUp, PinVerdict::LockedOut, PinVerdict::LockedOut, PinVerdict::LockedOut};
    EXPECT_EQ(verdicts, want);
    EXPECT_FALSE(guard.Open(t));
    EXPECT_EQ(guard.Check("0815", t + 60), PinVerdict::LockedOut);
    t += CRemoteAccess::kHour;
    EXPECT_TRUE(guard.Open(t));
    guard.BeginCall();
    EXPECT_EQ(guard.Check("0815", t), PinVerdict::Accepted);
    // Failures spread over more than an hour never close it.
    for (int i = 0; i < 20; ++i) {
        guard.BeginCall();
        EXPECT_EQ(guard.Check("1", t += 400), PinVerdict::Wrong);
    }
}
