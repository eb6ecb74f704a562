#include "web/ByteRange.h"

#include <gtest/gtest.h>

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

struct RangeCase {
    std::string header;
    uint64_t nSize;
    int status;
    std::string contentRange;
};

// A 1000-byte resource unless the case says otherwise.
const RangeCase kRanges[] = {
    {"", 1000, 200, ""},
    {"bytes=0-99", 1000, 206, "bytes 0-99/1000"},
    {"Bytes=500-", 1000, 206, "bytes 500-999/1000"},
    {"bytes=-100", 1000, 206, "bytes 900-999/1000"},
    {"bytes=-5000", 1000, 206, "bytes 0-999/1000"},
    {"bytes=990-2000", 1000, 206, "bytes 990-999/1000"},
    {"bytes=1000-", 1000, 416, "bytes */1000"},
    {"bytes=-0", 1000, 416, "bytes */1000"},
    {"bytes=0-", 0, 416, "bytes */0"},
    // Numbers past 64 bits: past any end, or up to it.
    {"bytes=99999999999999999999999-", 1000, 416, "bytes */1000"},
    {"bytes=0-99999999999999999999999", 1000, 206, "bytes 0-999/1000"},
    {"bytes=-99999999999999999999999", 1000, 206, "bytes 0-999/1000"},
    // Several ranges: the first that can be served, and only that one.
    {"bytes=2000-3000, 10-20,30-40", 1000, 206, "bytes 10-20/1000"},
    {"bytes=0-500,100-600", 1000, 206, "bytes 0-500/1000"},
    {"bytes=2000-,3000-", 1000, 416, "bytes */1000"},
    // Junk: as if there were no header.
    {"bytes=5-1", 1000, 200, ""},
    {"bytes=abc", 1000, 200, ""},
    {"bytes=--5", 1000, 200, ""},
    {"bytes=0-1,junk", 1000, 200, ""},
    {"bytes=", 1000, 200, ""},
    {"items=0-5", 1000, 200, ""},
    // A flood: only its first ranges are looked at.
    {"bytes=" + std::string(10000, ',') + "2000-3000,0-1", 1000, 206, "bytes 0-1/1000"},
    {"bytes=" + Repeat("2000-3000,", 10000) + "0-1", 1000, 416, "bytes */1000"},
};

TEST(ByteRange, AnswersOneRangeWholeOr416) {
    for (const RangeCase& c : kRanges) {
        SCOPED_TRACE(c.header.substr(0, 40));
        const ByteRange r = ParseByteRange(c.header, c.nSize);
        EXPECT_EQ(r.Status(), c.status);
        EXPECT_EQ(r.ContentRange(), c.contentRange);
    }
}

} // namespace
