// G.711 works on the top 13 (A-law) or 14 (mu-law) bits of the sample; the
// segment is the position of the highest set bit of the magnitude, the code
// holds the segment and four mantissa bits below it, and the transmitted byte
// has alternate bits (A-law) or all bits (mu-law) inverted.
#include "audio/G711.h"

#include <bit>

namespace {

constexpr int kUlawBias = 0x84; // 33 in 14-bit units, shifted to 16 bits
constexpr int kUlawClip = 32635;

} // namespace

uint8_t LinearToAlaw(int16_t sample) {
    int x = sample;
    uint8_t mask = 0xD5; // positive: sign bit set, even bits inverted
    if (x < 0) {
        x = ~x; // magnitude - 1, as the recommendation's reference does
        mask = 0x55;
    }
    // 12-bit magnitude above the lowest 4 bits; segment 0 and 1 share a step.
    int mag = x >> 3;
    int seg = std::bit_width(static_cast<unsigned>(mag >> 5)); // 0..7 (mag < 4096)
    int mant = (seg == 0) ? (mag >> 1) & 0x0F : (mag >> seg) & 0x0F;
    return static_cast<uint8_t>(((seg << 4) | mant) ^ mask);
}

int16_t AlawToLinear(uint8_t code) {
    int c = code ^ 0x55;
    int seg = (c >> 4) & 0x07;
    int mant = c & 0x0F;
    int mag = (mant << 4) + 8;
    if (seg != 0)
        mag = (mag + 0x100) << (seg - 1);
    return static_cast<int16_t>((c & 0x80) ? mag : -mag);
}

uint8_t LinearToUlaw(int16_t sample) {
    int x = sample;
    uint8_t mask = 0xFF;
    if (x < 0) {
        x = -x;
        mask = 0x7F;
    }
    if (x > kUlawClip)
        x = kUlawClip;
    x += kUlawBias;
    int seg = std::bit_width(static_cast<unsigned>(x >> 7)) - 1; // x >= 0x84: seg >= 0
    int mant = (x >> (seg + 3)) & 0x0F;
    return static_cast<uint8_t>(((seg << 4) | mant) ^ mask);
}

int16_t UlawToLinear(uint8_t code) {
    int c = ~code & 0xFF;
    int seg = (c >> 4) & 0x07;
    int mag = ((((c & 0x0F) << 3) + kUlawBias) << seg) - kUlawBias;
    return static_cast<int16_t>((c & 0x80) ? -mag : mag);
}
