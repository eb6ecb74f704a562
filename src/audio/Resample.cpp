#include "audio/Resample.h"

#include <algorithm>

std::vector<int16_t> Resample(const std::vector<int16_t>& in, uint32_t from, uint32_t to) {
    if (from == to || from == 0 || to == 0 || in.empty())
        return in;
    size_t n = static_cast<size_t>(static_cast<uint64_t>(in.size()) * to / from);
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i) {
        double pos = static_cast<double>(i) * from / to;
        size_t k = static_cast<size_t>(pos);
        double f = pos - static_cast<double>(k);
        int a = in[std::min(k, in.size() - 1)];
        int b = in[std::min(k + 1, in.size() - 1)];
        out[i] = static_cast<int16_t>(a + (b - a) * f);
    }
    return out;
}
