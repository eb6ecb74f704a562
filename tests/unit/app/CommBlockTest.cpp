// The block's byte layout and its bounded strings. A block of any bytes,
// unterminated strings and all: fuzz_commblock and its corpus.
#include "app/CommBlock.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(CommBlock, FieldsSitAtTheirOffsetsLittleEndian) {
    std::vector<uint8_t> block(CommBlock::kSize, 0xEE);
    CommBlockData d;
    d.nCommand = 12;
    d.nParam1 = 0x01020304;
    d.nParam2 = -2;
    d.sName = "Ann";
    d.sNumber = "555";
    d.sText = "30";
    d.sFile = "/x.wav";
    EncodeCommBlock(d, block.data());
    const uint8_t head[] = {12, 0, 0, 0, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(block.data(), head, sizeof head), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(&block[12]), "Ann");
    EXPECT_STREQ(reinterpret_cast<char*>(&block[272]), "555");
    EXPECT_STREQ(reinterpret_cast<char*>(&block[532]), "30");
    EXPECT_STREQ(reinterpret_cast<char*>(&block[2580]), "/x.wav");
    // Fields are zero-filled to their end; bytes past the last field untouched.
    EXPECT_EQ(block[12 + 259], 0);
    EXPECT_EQ(block[2580 + 259], 0);
    EXPECT_EQ(block[CommBlock::kUsedSize], 0xEE);
    EXPECT_EQ(CommBlock::kUsedSize, 2840u);

    CommBlockData back = DecodeCommBlock(block.data());
    EXPECT_EQ(back.nParam1, 0x01020304);
    EXPECT_EQ(back.nParam2, -2);
    EXPECT_EQ(back.sFile, "/x.wav");
}

TEST(CommBlock, LongStringsAreCutOnACharacterBoundary) {
    std::vector<uint8_t> block(CommBlock::kUsedSize, 0);
    CommBlockData d;
    // 129 two-byte characters: 258 bytes fit, the 259th would split one.
    std::string name;
    for (int i = 0; i < 130; ++i)
        name += "\xc3\xa9";
    d.sName = name;
    d.sText = std::string(5000, 't');
    EXPECT_FALSE(CommBlockFits(d));
    EncodeCommBlock(d, block.data());
    CommBlockData back = DecodeCommBlock(block.data());
    EXPECT_EQ(back.sName.size(), 258u);
    EXPECT_EQ(back.sName, name.substr(0, 258));
    EXPECT_EQ(back.sText, std::string(2047, 't'));
    EXPECT_EQ(block[CommBlock::kText.offset + 2047], 0);
}

} // namespace
