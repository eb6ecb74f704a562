#include "audio/RateConverter.h"

#include <soxr.h>

CRateConverter::CRateConverter(uint32_t from, uint32_t to) : m_nFrom(from), m_nTo(to) {
    if (from == to)
        return;
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER; // the same sound converts the same way every time
    // 16-bit quality with a wider roll-off is all a telephone's band needs,
    // and keeps the filter short; minimum phase keeps its delay (a talker's
    // latency) shorter still.
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_LQ | SOXR_MINIMUM_PHASE, 0);
    // The smallest blocks: sound comes out soon after it goes in.
    soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    runtime.log2_min_dft_size = runtime.log2_large_dft_size = 8;
    soxr_error_t error = nullptr;
    m_pSoxr = soxr_create(from, to, 1, &error, &io, &quality, &runtime);
    if (!m_pSoxr)
        m_sError = error ? error : "cannot make a resampler";
}

CRateConverter::~CRateConverter() {
    if (m_pSoxr)
        soxr_delete(m_pSoxr);
}

void CRateConverter::Process(const int16_t* in, size_t count, std::vector<int16_t>& out) {
    if (!m_pSoxr) {
        if (m_sError.empty())
            out.insert(out.end(), in, in + count);
        return;
    }
    while (count > 0) {
        const size_t room = count * m_nTo / m_nFrom + 64;
        const size_t at = out.size();
        out.resize(at + room);
        size_t used = 0, made = 0;
        if (soxr_process(m_pSoxr, in, count, &used, out.data() + at, room, &made) != nullptr) {
            out.resize(at);
            return;
        }
        out.resize(at + made);
        in += used;
        count -= used;
        if (used == 0 && made == 0)
            return;
    }
}
