#include "linesig/LineSignalDetector.h"

#include "linesig/CallProgressTones.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr int kRate = 8000;
// spandsp's receivers are fed 20 ms at a time, so that an event's position
// is known to that step and each receiver reports at most one per step.
constexpr int kChunk = kRate / 50;
// The quiet time after which a fax calling tone counts as a new call's:
// longer than the 3 s pause between its bursts.
constexpr int64_t kCngQuiet = 5 * kRate;
// Two receivers reading the same FSK message finish within this time.
constexpr int64_t kFskTwinWindow = 2 * kRate;

// Where voices are strong and no table tone is near (Goertzel blocks of
// 128 samples tell apart frequencies some 100 Hz apart).
constexpr int kGuardHz[] = {250, 1000};
constexpr int kGuardMs = 3600 * 1000;

int Percent(int ms, int percent) {
    return ms * percent / 100;
}

} // namespace

struct CLineSignalDetector::ToneWatch {
    CLineSignalDetector* pOwner = nullptr;
    const CallProgressTone* pRow = nullptr;
    linesig::SuperToneRxDescriptor desc;
    linesig::SuperToneRx rx;
    bool bHeard = false;
};

const char* LineSignalKindName(LineSignalKind kind) {
    switch (kind) {
    case LineSignalKind::Key:
        return "key";
    case LineSignalKind::FaxCallingTone:
        return "fax calling tone";
    case LineSignalKind::DialTone:
        return "dial tone";
    case LineSignalKind::BusyTone:
        return "busy tone";
    case LineSignalKind::CallerIdMessage:
        return "caller ID message";
    case LineSignalKind::CallerIdDigits:
        return "caller ID by keys";
    }
    return "unknown";
}

CLineSignalDetector::CLineSignalDetector(LineSignalSink sink)
    : m_sink(std::move(sink)), m_fskClip(CFskCallerIdRx::Form::EtsiV23,
                                         [this](std::string m) { OnFskMessage(std::move(m)); }),
      m_fskClass(CFskCallerIdRx::Form::Bell202,
                 [this](std::string m) { OnFskMessage(std::move(m)); }) {
    Start();
}

CLineSignalDetector::~CLineSignalDetector() = default;

void CLineSignalDetector::Reset() {
    Start();
}

void CLineSignalDetector::Start() {
    using namespace linesig;
    m_nFed = 0;
    m_nPending = 0;
    m_nLastCng = -1;
    m_sLastFsk.clear();
    m_nLastFskAt = -1;
    m_nDialRows = 0;
    m_nBusyRows = 0;
    dc_restore_init(&m_dc);

    m_dtmf = Checked<DtmfRx>(dtmf_rx_init(nullptr, &OnDigits, this));
    m_cng = Checked<ConnectTonesRx>(
        modem_connect_tones_rx_init(nullptr, MODEM_CONNECT_TONES_FAX_CNG, &OnConnectTone, this));
    m_fskClip.Reset();
    m_fskClass.Reset();
    m_dtmfClip =
        Checked<AdsiRx>(adsi_rx_init(nullptr, ADSI_STANDARD_CLIP_DTMF, &OnDigitMessage, this));

    // One receiver per row: spandsp's tone receiver cannot tell apart
    // frequencies as close as 425 and 440 Hz, so rows of different
    // countries must not share one.
    m_tones.clear();
    std::span<const CallProgressTone> rows = CallProgressTones();
    m_tones.reserve(rows.size()); // each receiver's callback holds its watch's address
    for (const CallProgressTone& row : rows) {
        ToneWatch& w = m_tones.emplace_back();
        w.pOwner = this;
        w.pRow = &row;
        w.desc = Checked<SuperToneRxDescriptor>(super_tone_rx_make_descriptor(nullptr));
        int tone = super_tone_rx_add_tone(w.desc.get());
        if (row.nOffMs == 0) {
            // Any length from nOnMs up.
            super_tone_rx_add_element(w.desc.get(), tone, row.nFreq1, row.nFreq2, row.nOnMs, 0);
        } else {
            int tol = kCadenceTolerancePercent;
            for (int i = 0; i < row.nCycles; ++i) {
                super_tone_rx_add_element(w.desc.get(), tone, row.nFreq1, row.nFreq2,
                                          Percent(row.nOnMs, 100 - tol),
                                          Percent(row.nOnMs, 100 + tol));
                super_tone_rx_add_element(w.desc.get(), tone, 0, 0, Percent(row.nOffMs, 100 - tol),
                                          Percent(row.nOffMs, 100 + tol));
            }
        }
        // Guard frequencies: the receiver takes the two strongest monitored
        // frequencies for the segment it hears, so a voice whose harmonics
        // happen to sit on a table frequency shows up as that frequency
        // together with a guard, which no row matches. They also fill the
        // second place for a single-frequency row, which spandsp 0.0.6
        // would otherwise read from whatever its stack holds. The guard
        // tone itself is never reported (OnProgressTone heeds tone 0 only).
        int guard = super_tone_rx_add_tone(w.desc.get());
        for (int hz : kGuardHz)
            super_tone_rx_add_element(w.desc.get(), guard, hz, 0, kGuardMs, 0);
        w.rx = Checked<SuperToneRx>(super_tone_rx_init(nullptr, w.desc.get(), &OnProgressTone, &w));
    }
}

void CLineSignalDetector::Feed(const int16_t* pSamples, size_t nSamples) {
    std::array<int16_t, kChunk> chunk;
    while (nSamples > 0) {
        size_t n = std::min<size_t>(nSamples, kChunk);
        // DTMF and tone receivers assume a line without DC; a modem's
        // sound often has some.
        for (size_t i = 0; i < n; ++i) {
            dc_restore(&m_dc, pSamples[i]);
            int v = pSamples[i] - dc_restore_estimate(&m_dc);
            chunk[i] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
        }
        FeedChunk(chunk.data(), static_cast<int>(n));
        pSamples += n;
        nSamples -= n;
    }
}

void CLineSignalDetector::FeedChunk(const int16_t* pSamples, int nSamples) {
    m_nFed += nSamples;
    dtmf_rx(m_dtmf.get(), pSamples, nSamples);
    modem_connect_tones_rx(m_cng.get(), pSamples, nSamples);
    m_fskClip.Feed(pSamples, nSamples);
    m_fskClass.Feed(pSamples, nSamples);
    adsi_rx(m_dtmfClip.get(), pSamples, nSamples);
    for (ToneWatch& w : m_tones)
        super_tone_rx(w.rx.get(), pSamples, nSamples);

    // The sink runs only now, outside spandsp's call chain.
    size_t n = m_nPending;
    m_nPending = 0;
    for (size_t i = 0; i < n; ++i) {
        if (m_sink)
            m_sink(m_pending[i]);
    }
}

void CLineSignalDetector::Report(LineSignal signal) {
    if (m_nPending == kMaxPending)
        return; // cannot happen: fewer receivers than places
    signal.nAtSample = m_nFed;
    m_pending[m_nPending++] = std::move(signal);
}

void CLineSignalDetector::OnDigits(void* pUser, const char* szDigits, int nLen) {
    auto* self = static_cast<CLineSignalDetector*>(pUser);
    for (int i = 0; i < nLen; ++i) {
        LineSignal s;
        s.kind = LineSignalKind::Key;
        s.cKey = szDigits[i];
        self->Report(std::move(s));
    }
}

void CLineSignalDetector::OnConnectTone(void* pUser, int nCode, int /*nLevel*/, int /*nDelay*/) {
    auto* self = static_cast<CLineSignalDetector*>(pUser);
    if (nCode != MODEM_CONNECT_TONES_FAX_CNG)
        return;
    bool bNew = self->m_nLastCng < 0 || self->m_nFed - self->m_nLastCng > kCngQuiet;
    self->m_nLastCng = self->m_nFed;
    if (bNew) {
        LineSignal s;
        s.kind = LineSignalKind::FaxCallingTone;
        self->Report(std::move(s));
    }
}

void CLineSignalDetector::OnProgressTone(void* pUser, int nCode, int /*nLevel*/, int /*nDelay*/) {
    auto* w = static_cast<ToneWatch*>(pUser);
    CLineSignalDetector* self = w->pOwner;
    bool bHeard = nCode == 0; // the row's own tone; -1 when it has ended
    if (bHeard == w->bHeard)
        return;
    w->bHeard = bHeard;
    int& rows = w->pRow->kind == LineSignalKind::DialTone ? self->m_nDialRows : self->m_nBusyRows;
    rows += bHeard ? 1 : -1;
    if (bHeard && rows == 1) {
        LineSignal s;
        s.kind = w->pRow->kind;
        s.sData = w->pRow->szName;
        self->Report(std::move(s));
    }
}

void CLineSignalDetector::OnFskMessage(std::string msg) {
    if (msg == m_sLastFsk && m_nFed - m_nLastFskAt <= kFskTwinWindow)
        return;
    m_sLastFsk = msg;
    m_nLastFskAt = m_nFed;
    LineSignal s;
    s.kind = LineSignalKind::CallerIdMessage;
    s.sData = std::move(msg);
    Report(std::move(s));
}

void CLineSignalDetector::OnDigitMessage(void* pUser, const uint8_t* pMsg, int nLen) {
    auto* self = static_cast<CLineSignalDetector*>(pUser);
    // spandsp collects every key up to an end marker; keys pressed shortly
    // before the caller ID are no part of it.
    std::string_view text(reinterpret_cast<const char*>(pMsg), nLen > 0 ? nLen : 0);
    size_t start = text.find_first_of("ABD");
    // A marker with no digit after it tells nothing.
    if (start == std::string_view::npos ||
        text.find_first_of("0123456789", start) == std::string_view::npos)
        return;
    LineSignal s;
    s.kind = LineSignalKind::CallerIdDigits;
    s.sData = std::string(text.substr(start));
    self->Report(std::move(s));
}
