// The screening decision for every kind of caller, and numbers shown the
// way the user's country writes them.
#include "screening/Screening.h"
#include "screening/PhoneNumbers.h"
#include "ScopedEnv.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kNow = 1'800'000'000;

Contact OnList(const char* name, ContactList list) {
    Contact c;
    c.nId = 42;
    c.sName = name;
    c.list = list;
    return c;
}

HistoryEntry CallAgo(int64_t seconds, ScreenAction decision) {
    HistoryEntry e;
    e.tTime = kNow - seconds;
    e.decision = decision;
    return e;
}

TEST(Screening, DecisionTable) {
    const ScreeningSettings plain{};
    ScreeningSettings hangUp;
    hangUp.nBlackAction = 1;
    ScreeningSettings notInService;
    notInService.nBlackAction = 2;
    ScreeningSettings message;
    message.nBlackAction = 3;
    ScreeningSettings drop = message;
    drop.bDropBlackCalls = true;
    ScreeningSettings neverAnswer;
    neverAnswer.nWhiteAction = 1;
    ScreeningSettings firstRing;
    firstRing.nWhiteAction = 2;
    ScreeningSettings challenge;
    challenge.bChallenge = true;
    challenge.nRepeatMinutes = 5;
    challenge.nBlackAction = 1;
    ScreeningSettings paused = hangUp;
    paused.bPaused = true;

    const Contact blocked = OnList("Foo", ContactList::Block);
    const Contact family = OnList("Mum", ContactList::Permit);
    const Contact known = OnList("Plumber", ContactList::None);
    const PrefixRule premium{"+49900", ContactList::Block};
    const PrefixRule uk{"+44", ContactList::Permit};

    // clang-format off
    const struct {
        const char* name;
        CallerClass callerClass;
        bool bInProgress;
        std::optional<Contact> contact;
        std::optional<PrefixRule> prefix;
        ContactList classList;
        std::optional<HistoryEntry> lastCall;
        ScreeningSettings settings;
        ScreenAction want;
        const char* rule;
    } rows[] = {
        {"unknown caller", CallerClass::Number, false, {}, {}, {}, {}, plain,
         ScreenAction::LetRing, "no rule"},
        {"block list, shown", CallerClass::Number, false, blocked, {}, {}, {}, plain,
         ScreenAction::ShowBlocked, "block list: contact Foo"},
        {"block list, hung up", CallerClass::Number, false, blocked, {}, {}, {}, hangUp,
         ScreenAction::HangUp, "block list: contact Foo"},
        {"block list, not in service", CallerClass::Number, false, blocked, {}, {}, {},
         notInService, ScreenAction::NotInService, "block list: contact Foo"},
        {"block list, own greeting", CallerClass::Number, false, blocked, {}, {}, {}, message,
         ScreenAction::TakeMessage, "block list: contact Foo"},
        {"block list, always dropped", CallerClass::Number, false, blocked, {}, {}, {}, drop,
         ScreenAction::HangUp, "block list: contact Foo"},
        {"permit list, as anyone", CallerClass::Number, false, family, premium, {}, {}, plain,
         ScreenAction::LetRing, "permit list: contact Mum"},
        {"permit list, never answered", CallerClass::Number, false, family, {}, {}, {},
         neverAnswer, ScreenAction::NeverAnswer, "permit list: contact Mum"},
        {"permit list, first ring", CallerClass::Number, false, family, {}, {}, {}, firstRing,
         ScreenAction::AnswerAtFirstRing, "permit list: contact Mum"},
        {"a contact on no list outranks a range", CallerClass::Number, false, known, premium, {},
         {}, hangUp, ScreenAction::LetRing, "contact Plumber"},
        {"blocked range", CallerClass::Number, false, {}, premium, {}, {}, hangUp,
         ScreenAction::HangUp, "prefix +49900"},
        {"permitted range", CallerClass::Number, false, {}, uk, {}, {}, firstRing,
         ScreenAction::AnswerAtFirstRing, "prefix +44"},
        {"withheld, blocked", CallerClass::Withheld, false, {}, {}, ContactList::Block, {},
         notInService, ScreenAction::NotInService, "withheld number"},
        {"payphone, blocked", CallerClass::Payphone, false, {}, {}, ContactList::Block, {},
         hangUp, ScreenAction::HangUp, "payphone"},
        {"out of area, no rule", CallerClass::OutOfArea, false, {}, {}, {}, {}, hangUp,
         ScreenAction::LetRing, "no rule"},
        {"withheld, challenged", CallerClass::Withheld, false, {}, {}, {}, {}, challenge,
         ScreenAction::Challenge, "withheld number"},
        {"unknown, challenged", CallerClass::Number, false, {}, {}, {}, {}, challenge,
         ScreenAction::Challenge, "unknown caller"},
        {"repeat caller breaks through", CallerClass::Number, false, {}, {}, {},
         CallAgo(240, ScreenAction::Challenge), challenge, ScreenAction::LetRing,
         "repeat caller within 5 min"},
        {"repeat caller from a blocked range", CallerClass::Number, false, {}, premium, {},
         CallAgo(300, ScreenAction::HangUp), challenge, ScreenAction::LetRing,
         "repeat caller within 5 min"},
        {"only once", CallerClass::Number, false, {}, {}, {}, CallAgo(60, ScreenAction::LetRing),
         challenge, ScreenAction::Challenge, "unknown caller"},
        {"after the window", CallerClass::Number, false, {}, {}, {},
         CallAgo(301, ScreenAction::Challenge), challenge, ScreenAction::Challenge,
         "unknown caller"},
        {"a blocked contact never breaks through", CallerClass::Number, false, blocked, {}, {},
         CallAgo(10, ScreenAction::HangUp), challenge, ScreenAction::HangUp,
         "block list: contact Foo"},
        {"paused", CallerClass::Number, false, blocked, {}, {}, {}, paused, ScreenAction::LetRing,
         "screening paused"},
        {"a call in progress", CallerClass::Number, true, blocked, {}, {}, {}, hangUp,
         ScreenAction::LetRing, "a call is in progress"},
    };
    // clang-format on
    for (const auto& r : rows) {
        const ScreeningCall call{"0900 123456", r.callerClass, kNow, r.bInProgress};
        ScreeningFacts facts;
        facts.contact = r.contact;
        facts.prefix = r.prefix;
        facts.classList = r.classList;
        facts.lastCall = r.lastCall;
        const ScreeningDecision d = Decide(call, facts, r.settings);
        EXPECT_EQ(d.action, r.want) << r.name;
        EXPECT_EQ(d.sRule, r.rule) << r.name;
        EXPECT_EQ(d.nContactId, r.contact && d.sRule.find("contact") != std::string::npos ? 42 : 0)
            << r.name;
    }
}

TEST(Screening, NumbersAreShownTheCountrysWay) {
    const struct {
        const char* country;
        const char* area;
        const char* sent;
        const char* shown;
    } rows[] = {
        {"DE", "030", "+49301234567", "030 1234567"},
        {"DE", "030", "1234567", "030 1234567"}, // the area code added
        {"DE", "", "+12125550123", "+1 212-555-0123"},
        {"us", "212", "5550123", "(212) 555-0123"},
        {"US", "", "+493012345678", "+49 30 12345678"},
        {"DE", "", "Anonymous", "Anonymous"},
        {"", "", "+44 20 7946 0000", "+44 20 7946 0000"}, // no country anywhere
    };
    ScopedEnv all("LC_ALL", nullptr), telephone("LC_TELEPHONE", nullptr), lang("LANG", nullptr);
    for (const auto& r : rows) {
        const CPhoneNumbers numbers(r.country, r.area);
        EXPECT_EQ(numbers.Display(r.sent), r.shown) << r.country << " " << r.sent;
    }
}

TEST(Screening, TheCountryComesFromTheLocaleWhenNotSet) {
    const struct {
        const char* lcAll;
        const char* lcTelephone;
        const char* lang;
        const char* want;
    } rows[] = {
        {"", "", "de_AT.UTF-8", "AT"},
        {"", "fr_CH.UTF-8@euro", "de_DE.UTF-8", "CH"},
        {"en_GB", "fr_CH.UTF-8", "de_DE.UTF-8", "GB"},
        {"", "", "C.UTF-8", "ZZ"},
        {"", "", "", "ZZ"},
    };
    for (const auto& r : rows) {
        ScopedEnv all("LC_ALL", r.lcAll), telephone("LC_TELEPHONE", r.lcTelephone),
            lang("LANG", r.lang);
        EXPECT_EQ(CPhoneNumbers("", "").Country(), r.want) << r.lang;
    }
    EXPECT_EQ(CPhoneNumbers("it", "").Country(), "IT");
}

} // namespace
