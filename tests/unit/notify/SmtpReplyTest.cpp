#include "notify/SmtpReply.h"

#include <gtest/gtest.h>

namespace {

using State = SmtpReply::State;

TEST(SmtpReplyTest, AMultiLineReplyIsReadToItsLastLine) {
    SmtpReply r;
    EXPECT_EQ(r.Feed("250-mail.example greets you\r\n250-SIZE 1000"), State::NeedMore);
    EXPECT_EQ(r.Feed("0\r\n250 STARTTLS\r\n354 next"), State::Complete);
    EXPECT_EQ(r.Code(), 250);
    ASSERT_EQ(r.Lines().size(), 3u);
    EXPECT_EQ(r.Lines()[1], "250-SIZE 10000");
    EXPECT_EQ(r.Text(), "250-mail.example greets you\r\n250-SIZE 10000\r\n250 STARTTLS");
    // What came after the reply waits for the next one.
    EXPECT_EQ(r.Remainder(), "354 next");
    r.Reset();
    EXPECT_EQ(r.Feed("221\n"), State::Complete); // bare code, bare LF
    EXPECT_EQ(r.Code(), 221);
}

TEST(SmtpReplyTest, WhatIsNotAReplyIsRefused) {
    for (const char* bad :
         {"hello\r\n", "25\r\n", "2500 x\r\n", "099 x\r\n", "250_x\r\n", "250-a\r\n251 b\r\n"}) {
        SmtpReply r;
        EXPECT_EQ(r.Feed(bad), State::Malformed) << bad;
        EXPECT_FALSE(r.Problem().empty());
    }
}

TEST(SmtpReplyTest, NoServerCanMakeItHoldMuch) {
    SmtpReply r;
    std::string chunk(1000, 'x');
    State s = r.Feed("220 ");
    for (int i = 0; i < 100 && s == State::NeedMore; ++i)
        s = r.Feed(chunk);
    EXPECT_EQ(s, State::TooLong);
    EXPECT_TRUE(r.Remainder().empty());

    SmtpReply many;
    s = State::NeedMore;
    for (int i = 0; i < 1000 && s == State::NeedMore; ++i)
        s = many.Feed("250-more\r\n");
    EXPECT_EQ(s, State::TooLong);

    SmtpReply longLine; // a long line that does end, in one piece
    EXPECT_EQ(longLine.Feed("250 " + std::string(100000, 'y') + "\r\n"), State::TooLong);
}

} // namespace
