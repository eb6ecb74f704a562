// Sample rate conversion of a stream of 16-bit mono sound with libsoxr: a
// proper low-pass resampler for sound that goes on being converted block
// after block (a sound card that runs at another rate than the line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct soxr;

class CRateConverter {
public:
    // from == to passes the sound through unchanged.
    CRateConverter(uint32_t from, uint32_t to);
    ~CRateConverter();
    CRateConverter(const CRateConverter&) = delete;
    CRateConverter& operator=(const CRateConverter&) = delete;

    // Empty when it could be made; why not otherwise.
    const std::string& Error() const { return m_sError; }

    // Converts the next count samples; appends what comes out to out (a
    // little less than count * to / from at first: the filter's delay).
    void Process(const int16_t* in, size_t count, std::vector<int16_t>& out);

private:
    uint32_t m_nFrom;
    uint32_t m_nTo;
    soxr* m_pSoxr = nullptr;
    std::string m_sError;
};
