// The block's byte layout and its bounded strings.
#include "app/CommBlock.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

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

TEST(CommBlock, UnterminatedStringsAreCutAtTheirField) {
    // Exactly the used bytes on the heap: any read past them trips the
    // address sanitizer.
    auto raw = std::make_unique<uint8_t[]>(CommBlock::kUsedSize);
    std::memset(raw.get(), 'A', CommBlock::kUsedSize);
    CommBlockData d = DecodeCommBlock(raw.get());
    EXPECT_EQ(d.sName, std::string(259, 'A'));
    EXPECT_EQ(d.sNumber, std::string(259, 'A'));
    EXPECT_EQ(d.sText, std::string(2047, 'A'));
    EXPECT_EQ(d.sFile, std::string(259, 'A'));
    // What was read fits back.
    EXPECT_TRUE(CommBlockFits(d));

    // A zero ends a string even with more text behind it in the field.
    std::memcpy(raw.get() + CommBlock::kName.offset, "Bob\0Mallory", 11);
    EXPECT_EQ(DecodeCommBlock(raw.get()).sName, "Bob");
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
