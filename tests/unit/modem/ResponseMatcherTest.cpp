#include "modem/ResponseMatcher.h"
#include "modem/ResultCodes.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::vector<ResultWord> DefaultWords() {
    return {
        {kResultOk, "OK", "", false, true},
        {kResultVcon, "VCON", "", false, true},
        {kResultConnect, "CONNECT", "", false, true},
        {kResultRing, "RING1", "", false, true},
        {kResultRing, "RING2", "", false, true},
        {kResultRinging, "RINGING", "", false, true},
        {kResultRing, "RING", "", false, false},
        {kResultError, "ERROR", "", false, true},
        {kResultNoCarrier, "NO CARRIER", "", false, true},
        {kResultCallerId, "NOT USED", "", false, false},
        {kResultCidDate, "DATE", "", true, false},
        {kResultCidNmbr, "NMBR", "", true, false},
        {kResultBusy, "BUSY", "", false, false},
    };
}

// Feeds text and reports the code and the position of the character that
// completed the match (-1 when none).
std::pair<int, int> Feed(ResponseMatcher& m, const std::string& text) {
    m.Reset();
    for (size_t i = 0; i < text.size(); ++i)
        if (const ResultWord* w = m.Append(text[i]))
            return {w->code, static_cast<int>(i)};
    return {0, -1};
}

TEST(ResponseMatcher, RecognisesWordsWhereTheModemSendsThem) {
    ResponseMatcher m(DefaultWords());
    struct Case {
        const char* text;
        int code;
        int at; // index of the completing character
    } cases[] = {
        {"\r\nOK\r\n", kResultOk, 3},
        {"ATE0\r\r\nOK\r\n", kResultOk, 8}, // echo first, then the answer
        {"\r\nNOT OK\r\n", 0, -1},          // OK not after a line break
        {"\r\nRING1", kResultRing, 5},      // RING wins at its G
        {"\r\nRINGING\r\n", kResultRing, 5},
        {"NMBR = 5551234", kResultCidNmbr, 3}, // field words stand anywhere
        {"\r\nDATE = 0321", kResultCidDate, 5},
        {"OK\r\n", 0, -1}, // at the very start: no line break before it
        {"\r\nNO CARRIER", kResultNoCarrier, 11},
        {"\r\nBUSY\r\n", kResultBusy, 5},
        {"ATDT5551234\r\r\nCONNECT 9600", kResultConnect, 20},
    };
    for (const Case& c : cases) {
        auto [code, at] = Feed(m, c.text);
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(at, c.at) << c.text;
    }
}

TEST(ResponseMatcher, AFirstOccurrenceThatFailsTheRuleBlocksLaterOnes) {
    ResponseMatcher m(DefaultWords());
    // "OK" first appears inside "BOOK": from then on it cannot match, even
    // after a line break (the first occurrence decides).
    EXPECT_EQ(Feed(m, "BOOK\r\nOK\r\n").first, 0);
    // Other words are not affected.
    EXPECT_EQ(Feed(m, "BOOK\r\nERROR\r\n").first, kResultError);
}

TEST(ResponseMatcher, EmptyWordsNeverMatch) {
    auto words = DefaultWords();
    words[0].word = "";  // a profile that blanked OK
    words[10].word = ""; // and DATE
    ResponseMatcher m(words);
    EXPECT_EQ(Feed(m, "\r\nOK\r\nERROR\r\n").first, kResultError);
}

// The matcher avoids rescanning the buffer after every character; it must
// still agree with the plain rule applied to the whole buffer each time.
TEST(ResponseMatcher, AgreesWithTheWholeBufferRuleOnRandomAnswers) {
    const auto words = DefaultWords();
    ResponseMatcher m(words);
    std::mt19937 rng(12345);
    const std::string alphabet = "OKRINGBUSYEDATNMC \r\n1=";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        size_t len = 1 + rng() % 40;
        for (size_t i = 0; i < len; ++i)
            text.push_back(alphabet[rng() % alphabet.size()]);
        m.Reset();
        std::string buf;
        for (char c : text) {
            buf.push_back(c);
            const ResultWord* fast = m.Append(c);
            const ResultWord* slow = MatchResultWord(buf, words);
            ASSERT_EQ(fast ? fast->code : 0, slow ? slow->code : 0) << '"' << buf << '"';
            if (fast)
                break;
        }
    }
}

} // namespace
