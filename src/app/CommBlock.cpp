#include "app/CommBlock.h"

#include "platform/TextUtil.h"

#include <cstring>

namespace {

int32_t GetLe32(const uint8_t* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(v);
}

void PutLe32(uint8_t* p, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string GetString(const uint8_t* block, CommBlock::StringField f) {
    const char* start = reinterpret_cast<const char*>(block + f.offset);
    const void* zero = std::memchr(start, 0, f.size);
    size_t len = zero ? static_cast<size_t>(static_cast<const char*>(zero) - start) : f.size;
    // Without its zero the field is cut to the longest string it can hold, so
    // that writing it back gives a well-formed field again.
    if (len > CommBlock::MaxChars(f))
        len = CommBlock::MaxChars(f);
    return std::string(start, len);
}

void PutString(uint8_t* block, CommBlock::StringField f, const std::string& s) {
    std::string text = Utf8Truncate(s, CommBlock::MaxChars(f));
    std::memset(block + f.offset, 0, f.size);
    std::memcpy(block + f.offset, text.data(), text.size());
}

} // namespace

CommBlockData DecodeCommBlock(const uint8_t* block) {
    CommBlockData d;
    d.nCommand = GetLe32(block + CommBlock::kCommandOffset);
    d.nParam1 = GetLe32(block + CommBlock::kParam1Offset);
    d.nParam2 = GetLe32(block + CommBlock::kParam2Offset);
    d.sName = GetString(block, CommBlock::kName);
    d.sNumber = GetString(block, CommBlock::kNumber);
    d.sText = GetString(block, CommBlock::kText);
    d.sFile = GetString(block, CommBlock::kFile);
    return d;
}

void EncodeCommBlock(const CommBlockData& d, uint8_t* block) {
    PutLe32(block + CommBlock::kCommandOffset, d.nCommand);
    PutLe32(block + CommBlock::kParam1Offset, d.nParam1);
    PutLe32(block + CommBlock::kParam2Offset, d.nParam2);
    PutString(block, CommBlock::kName, d.sName);
    PutString(block, CommBlock::kNumber, d.sNumber);
    PutString(block, CommBlock::kText, d.sText);
    PutString(block, CommBlock::kFile, d.sFile);
}

bool CommBlockFits(const CommBlockData& d) {
    return d.sName.size() <= CommBlock::MaxChars(CommBlock::kName) &&
           d.sNumber.size() <= CommBlock::MaxChars(CommBlock::kNumber) &&
           d.sText.size() <= CommBlock::MaxChars(CommBlock::kText) &&
           d.sFile.size() <= CommBlock::MaxChars(CommBlock::kFile);
}
