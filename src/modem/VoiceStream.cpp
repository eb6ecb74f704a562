// Voice data in both directions: the in-band DLE codes separated from the
// samples, and the GSM frame markers some modems wrap around each frame.
#include "modem/CommDriver.h"

#include "platform/TickCount.h"

#include <algorithm>

namespace {

constexpr int kGsmFrameBytes = 33;
constexpr unsigned char kGsmHeader = 0xFE;
constexpr unsigned char kGsmHeaderAlt = 0xB6;
constexpr unsigned char kGsmTrailer[3] = {0x00, 0xA5, 0xA5};
constexpr int kGsmAlignTries = 39;
// Incoming events are looked for once per this many bytes sent; the block is
// written in one piece at the end anyway, so looking more often gains nothing.
constexpr int kEventPollInterval = 128;

} // namespace

bool CCommDriver::AlignGsmFrame(uint32_t dwStart, uint32_t dwTimeoutMs) {
    int prev = -1;
    for (int attempt = 0; attempt < kGsmAlignTries; ++attempt) {
        unsigned char b = 0;
        if (WaitByte(&b, dwStart, dwTimeoutMs, false) <= 0)
            return false;
        if ((b == kGsmHeader || b == kGsmHeaderAlt) && prev == b)
            return true;
        if (m_profile.nCompressionFrameGSM == 2 && b == 0) {
            for (int i = 0; i < 4; ++i)
                if (WaitByte(&b, dwStart, dwTimeoutMs, false) <= 0)
                    return false;
            return true;
        }
        prev = b;
    }
    return false;
}

int CCommDriver::ReceiveVoice(unsigned char* pBuffer, int nSize, uint32_t dwTimeoutMs,
                              bool bCheckEvents, unsigned char* pEvent) {
    if (bCheckEvents && pEvent)
        *pEvent = 0;
    if (!IsOpen() || !m_bInitialized || !pBuffer || nSize <= 0)
        return 0;
    const uint32_t start = GetTickCount();
    const bool bGsm = m_profile.nCompression == 128;
    if (bGsm && (m_profile.nCompressionFrameGSM == 1 || m_profile.nCompressionFrameGSM == 2)) {
        // Each call starts on a frame boundary; what was kept from the last
        // call belongs to a frame we are about to skip.
        m_voiceCarry.clear();
        if (!AlignGsmFrame(start, dwTimeoutMs) && m_profile.nCompressionUnFrameGSM)
            return 0;
    }
    if (!m_profile.nCompressionUnShieldDLE) {
        int n = 0;
        Read(pBuffer, nSize, &n);
        return n;
    }
    return ReceiveUnshielded(pBuffer, nSize, start, dwTimeoutMs, bCheckEvents, pEvent);
}

int CCommDriver::ReceiveUnshielded(unsigned char* pBuffer, int nSize, uint32_t dwStart,
                                   uint32_t dwTimeoutMs, bool bCheckEvents, unsigned char* pEvent) {
    int stored = 0;
    // Bytes unpacked last time that did not fit go first.
    size_t fromCarry = std::min(m_voiceCarry.size(), static_cast<size_t>(nSize));
    std::copy_n(m_voiceCarry.begin(), fromCarry, pBuffer);
    m_voiceCarry.erase(m_voiceCarry.begin(), m_voiceCarry.begin() + fromCarry);
    stored = static_cast<int>(fromCarry);

    // One pass may unpack up to three bytes; what does not fit waits in the
    // carry instead of running past the caller's buffer.
    auto store = [&](unsigned char c) {
        if (stored < nSize)
            pBuffer[stored++] = c;
        else
            m_voiceCarry.push_back(c);
    };
    auto next = [&](unsigned char* b) { return WaitByte(b, dwStart, dwTimeoutMs, false) > 0; };

    const bool bGsm = m_profile.nCompression == 128;
    const bool bUnframe = bGsm && m_profile.nCompressionUnFrameGSM;
    const int variant = m_profile.nCompressionFrameGSM;
    while (stored < nSize && !m_bStopRequest) {
        unsigned char b = 0;
        if (!next(&b))
            break;
        if (bUnframe && variant != 2 && b == 0) {
            unsigned char b2 = 0, b3 = 0;
            if (!next(&b2)) {
                store(0);
                break;
            }
            if (b2 != kGsmTrailer[1]) {
                store(0);
                b = b2;
            } else if (!next(&b3)) {
                store(0);
                store(b2);
                break;
            } else if (b3 == kGsmTrailer[2]) {
                // End of frame; the next frame's two header bytes follow.
                unsigned char skip;
                if (!next(&skip) || !next(&skip))
                    break;
                continue;
            } else {
                store(0);
                store(b2);
                b = b3;
            }
        } else if (bUnframe && variant == 2 && b == 0) {
            unsigned char skip;
            bool ok = true;
            for (int i = 0; i < 4 && ok; ++i)
                ok = next(&skip);
            if (!ok)
                break;
            continue;
        }
        if (b == kDle) {
            unsigned char code = 0;
            if (!next(&code))
                break;
            if (code == kDle) {
                store(kDle);
                continue;
            }
            if (bCheckEvents && OnDleCode(code)) {
                if (pEvent)
                    *pEvent = code;
                break;
            }
            continue;
        }
        store(b);
    }
    if (bGsm) {
        // Only whole frames go to the decoder. Without framing the remainder
        // is the start of the next frame: keep it, or every later frame
        // would be decoded from the wrong offset.
        int whole = stored - stored % kGsmFrameBytes;
        if (variant == 0)
            m_voiceCarry.insert(m_voiceCarry.begin(), pBuffer + whole, pBuffer + stored);
        else
            m_voiceCarry.clear();
        stored = whole;
    }
    return stored;
}

void CCommDriver::PollTransmitEvents(std::vector<unsigned char>& held) {
    while (held.size() < 2 && IsOpen() && !m_bFileEmulation) {
        unsigned char b = 0;
        int n;
        {
            std::lock_guard lock(m_ioLock);
            BusyScope busy;
            n = m_port.ReadWithin(&b, 1, 0);
        }
        if (n < 0)
            PortFailed();
        if (n != 1)
            return;
        if (!held.empty() && held.back() == kDle) {
            if (!OnDleCode(b) || b == 's' || b == 'q')
                held.pop_back();
            else
                held.push_back(b);
        } else if (b == kDle) {
            held.push_back(b);
        }
        // Any other byte is line noise, not an event.
    }
}

unsigned char CCommDriver::TransmitVoice(const unsigned char* pBuffer, int nLength,
                                         bool bCheckEvents) {
    if (!IsOpen() || !m_bInitialized || !pBuffer || nLength <= 0)
        return 0;
    if (bCheckEvents)
        SetImmediateTimeouts();
    // A block up to m_settings.iMaxBlockWrites goes out in one write; a longer one in
    // pieces of that size.
    const size_t chunk = static_cast<size_t>(std::max(m_settings.iMaxBlockWrites, 1));
    m_voiceBlock.clear();
    m_voiceBlock.reserve(std::min<size_t>(chunk, static_cast<size_t>(nLength) * 2 + 16));
    auto flush = [&] {
        if (!m_voiceBlock.empty())
            Write(m_voiceBlock.data(), static_cast<int>(m_voiceBlock.size()));
        m_voiceBlock.clear();
    };
    auto out = [&](unsigned char c) {
        m_voiceBlock.push_back(c);
        if (m_voiceBlock.size() >= chunk && static_cast<size_t>(nLength) > chunk)
            flush();
    };
    const bool bFrame = m_profile.nCompression == 128 && m_profile.nCompressionFrameGSM != 0;
    const bool bShield = m_profile.nCompressionUnShieldDLE != 0;
    bool frameOpen = false;
    std::vector<unsigned char> held;
    for (int i = 0; i < nLength && !m_bStopRequest; ++i) {
        if (bFrame) {
            if (i == 0) {
                out(kGsmHeader);
                out(kGsmHeader);
                frameOpen = true;
            } else if (i % kGsmFrameBytes == 0) {
                for (unsigned char t : kGsmTrailer)
                    out(t);
                frameOpen = false;
                if (i != nLength - 1) {
                    out(kGsmHeader);
                    out(kGsmHeader);
                    frameOpen = true;
                }
            }
        }
        if (bShield && pBuffer[i] == kDle)
            out(kDle);
        out(pBuffer[i]);
        if (bCheckEvents && i % kEventPollInterval == kEventPollInterval - 1)
            PollTransmitEvents(held);
    }
    if (bFrame && frameOpen)
        for (unsigned char t : kGsmTrailer)
            out(t);
    if (bCheckEvents) {
        PollTransmitEvents(held);
        SetDefaultTimeouts();
    }
    flush();
    return held.size() == 2 ? held.back() : 0;
}

bool CCommDriver::CheckGsmFraming() {
    CommOut(m_profile.sVoiceReceiveVoice, kModeResult);
    const uint32_t start = GetTickCount();
    const uint32_t timeout = static_cast<uint32_t>(std::max(m_settings.dwTimeoutDefault, 1));
    bool bFramed = false;
    int matched = 0; // bytes of the trailer 00 A5 A5 seen in a row
    for (int round = 0; round < 512 && !bFramed; ++round) {
        unsigned char b = 0;
        if (WaitByte(&b, start, timeout, false) <= 0)
            break;
        if (b == kGsmTrailer[matched])
            ++matched;
        else
            matched = b == 0 ? 1 : 0;
        bFramed = matched == 3;
    }
    StopReceive();
    return bFramed;
}
