// A line's sound is whatever the far end sends: the line signal detector
// takes any samples. The first byte picks the block size, the rest is
// 16-bit little-endian sound; a signal found must be one the detector can
// report, and caller-ID data must stay within a message's size.
#include "linesig/LineSignalDetector.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    size_t block = 1 + data[0] % 211;
    std::vector<int16_t> sound((size - 1) / 2);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] = static_cast<int16_t>(data[1 + 2 * i] | data[2 + 2 * i] << 8);

    CLineSignalDetector detector([](const LineSignal& s) {
        if (s.kind == LineSignalKind::Key &&
            std::string_view("0123456789*#ABCD").find(s.cKey) == std::string_view::npos)
            std::abort();
        if (s.sData.size() > 256)
            std::abort();
    });
    for (size_t i = 0; i < sound.size(); i += block)
        detector.Feed(sound.data() + i, std::min(block, sound.size() - i));
    return 0;
}
