// Line signals that a device hands over only as sound: touch-tone keys, the
// fax calling tone, dial and busy tones, and caller ID sent as FSK (ETSI
// V.23 or Bell 202) or as touch-tone keys. The signal processing is
// spandsp's; this class feeds its receivers and turns what they find into
// one LineSignal each.
//
// Use: make one detector per line with a sink, and feed it the line's sound
// as it arrives, 8000 samples/s, 16-bit signed mono, in blocks of any size:
//
//     CLineSignalDetector detector([&](const LineSignal& s) { ... });
//     detector.Feed(samples, count);
//
// The sink is called from Feed, on the feeding thread, once spandsp has
// analysed each 20 ms of the block. It may throw (Feed then stops there and
// the rest of the block is not heard), but must not feed or reset the same
// detector.
// There is no thread inside, and memory stays the same whatever the sound:
// the receivers' states are fixed and events go straight to the sink.
//
// Keys are reported while caller ID by keys is being sent as well; a device
// that is on-hook will usually ignore keys. Caller ID by keys is reported
// from its start marker 'A', 'B' or 'D' to its end marker 'C' or '#' when a
// digit is in between (the ETSI forms with a start marker); a number sent
// with no start marker cannot be told from keys and comes only as keys.
#pragma once

#include "linesig/FskCallerId.h"
#include "linesig/LineSignal.h"
#include "linesig/SpandspHandles.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

using LineSignalSink = std::function<void(const LineSignal&)>;

class CLineSignalDetector {
public:
    explicit CLineSignalDetector(LineSignalSink sink);
    ~CLineSignalDetector();
    CLineSignalDetector(const CLineSignalDetector&) = delete;
    CLineSignalDetector& operator=(const CLineSignalDetector&) = delete;

    void Feed(const int16_t* pSamples, size_t nSamples);
    // Forgets everything heard so far, as for a new call.
    void Reset();

    int64_t SamplesFed() const { return m_nFed; }

private:
    struct ToneWatch; // one row of the call-progress table being listened for

    void Start();
    void FeedChunk(const int16_t* pSamples, int nSamples);
    void Report(LineSignal signal);

    static void OnDigits(void* pUser, const char* szDigits, int nLen);
    static void OnConnectTone(void* pUser, int nCode, int nLevel, int nDelay);
    static void OnProgressTone(void* pUser, int nCode, int nLevel, int nDelay);
    void OnFskMessage(std::string msg);
    static void OnDigitMessage(void* pUser, const uint8_t* pMsg, int nLen);

    LineSignalSink m_sink;
    int64_t m_nFed = 0;
    dc_restore_state_t m_dc{};

    linesig::DtmfRx m_dtmf;
    linesig::ConnectTonesRx m_cng;
    CFskCallerIdRx m_fskClip;  // ETSI, V.23
    CFskCallerIdRx m_fskClass; // Bell 202
    linesig::AdsiRx m_dtmfClip;
    std::vector<ToneWatch> m_tones;

    // A fax machine repeats its calling tone every 3.5 s; once is enough.
    int64_t m_nLastCng = -1;
    // Bell 202 and V.23 are close enough for both receivers to read one
    // message; the second copy is dropped.
    std::string m_sLastFsk;
    int64_t m_nLastFskAt = -1;
    // Tone table rows that currently hear their tone, per kind; several rows
    // of one kind can match one tone, which is reported once.
    int m_nDialRows = 0;
    int m_nBusyRows = 0;

    // Events found in the chunk being analysed, delivered when spandsp has
    // returned. Each receiver reports at most one event per chunk.
    static constexpr size_t kMaxPending = 32;
    std::array<LineSignal, kMaxPending> m_pending;
    size_t m_nPending = 0;
};
