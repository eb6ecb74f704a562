// Voice receive (the modem streams what the caller says) and voice transmit
// (the host plays a sound to the line), with the DLE events of both.
#include "ModemCore.h"

#include <algorithm>

namespace modemsim {

namespace {

constexpr size_t kOutputHigh = 4096;

int Elapsed(uint32_t now, uint32_t since) {
    return static_cast<int32_t>(now - since);
}

} // namespace

void ModemCore::StartReceive(uint32_t now) {
    SendResult("CONNECT");
    m_mode = Mode::VoiceReceive;
    m_codec = VoiceCodec::Create(m_format.compressionId, m_format.bits, m_format.sampleRate);
    m_voiceStart = now;
    m_samplesSent = 0;
    m_stopBytes.clear();
    m_stopDle = false;
    m_source.Rewind();
    std::sort(m_events.begin(), m_events.end(),
              [](const Event& a, const Event& b) { return a.atMs < b.atMs; });
}

void ModemCore::StartTransmit(uint32_t now) {
    SendResult("CONNECT");
    m_mode = Mode::VoiceTransmit;
    m_codec = VoiceCodec::Create(m_format.compressionId, m_format.bits, m_format.sampleRate);
    m_voiceStart = now;
    m_unshield = Unshielder();
    m_deframer = GsmDeframer();
    m_seen.transmittedRate = m_format.sampleRate;
    m_seen.transmitStart = m_seen.transmitted.size();
}

void ModemCore::EndVoice(bool receive) {
    Reply(std::string{kDle, kEtx});
    SendResult(m_p.voiceEnd);
    m_mode = Mode::Command;
    if (m_codec && !receive)
        m_codec->Flush(m_seen.transmitted);
    m_seen.TrimTransmitted();
    m_codec.reset();
    m_events.clear();
    if (receive) {
        m_seen.lastStopSequence = m_stopBytes;
        ++m_seen.receivesEnded;
    } else {
        const size_t from = std::min(m_seen.transmitStart, m_seen.transmitted.size());
        if (m_seen.transmits.size() == Observed::kMaxTransmits)
            m_seen.transmits.erase(m_seen.transmits.begin());
        m_seen.transmits.emplace_back(m_seen.transmitted.begin() + static_cast<long>(from),
                                      m_seen.transmitted.end());
        ++m_seen.transmitsEnded;
    }
}

void ModemCore::FeedReceive(uint8_t byte) {
    // Keep the last bytes the host sent: the stop sequence is at their end.
    m_stopBytes += static_cast<char>(byte);
    if (m_stopBytes.size() > 16)
        m_stopBytes.erase(0, m_stopBytes.size() - 16);
    if (m_p.anyByteStopsReceive) {
        EndVoice(true);
        return;
    }
    // V.253 modems stop at DLE "!" (or "^", or ETX) and ignore anything else.
    if (m_stopDle) {
        m_stopDle = false;
        if (byte == '!' || byte == '^' || byte == static_cast<uint8_t>(kEtx)) {
            EndVoice(true);
            return;
        }
    }
    m_stopDle = byte == static_cast<uint8_t>(kDle);
}

void ModemCore::FeedTransmit(uint8_t byte) {
    uint8_t value = 0;
    Unshielder::Kind kind = m_unshield.Feed(byte, value);
    if (kind == Unshielder::Kind::Code) {
        // DLE ETX ends the sound normally; "!", "^" and CAN abort it.
        if (value == static_cast<uint8_t>(kEtx) || value == '!' || value == '^' || value == 0x18)
            EndVoice(false);
        return;
    }
    if (kind != Unshielder::Kind::Data || !m_codec)
        return;
    std::string frames;
    if (m_format.compressionId == 128 && m_p.gsmFraming)
        m_deframer.Feed(value, frames);
    else
        frames.assign(1, static_cast<char>(value));
    if (!frames.empty() && m_seen.transmitted.size() < Observed::kMaxSamples)
        m_codec->Decode(reinterpret_cast<const uint8_t*>(frames.data()), frames.size(),
                        m_seen.transmitted);
}

void ModemCore::TickReceive(uint32_t now) {
    const int rate = std::max(1, m_format.sampleRate);
    if (!m_delayed.empty())
        return; // the sound follows the (delayed) CONNECT
    while (m_mode == Mode::VoiceReceive && !m_vanished && m_out.size() < kOutputHigh) {
        auto streamMs = static_cast<int>(m_samplesSent * 1000 / static_cast<uint64_t>(rate));
        if (m_pace > 0 && streamMs / m_pace > Elapsed(now, m_voiceStart))
            return; // not due yet
        // Events land between chunks, at the first chunk boundary at or after
        // their time (at most 20 ms late at 8000 Hz).
        while (!m_events.empty() && m_events.front().atMs <= streamMs) {
            Event e = m_events.front();
            m_events.erase(m_events.begin());
            if (e.vanish) {
                m_vanished = true;
                return;
            }
            m_out += kDle;
            m_out += e.code;
        }
        int16_t pcm[kBlockSamples];
        m_source.Render(pcm, kBlockSamples, rate);
        std::string bytes;
        if (m_codec)
            m_codec->EncodeBlock(pcm, bytes);
        else
            bytes.assign(kBlockSamples / 2, '\0'); // an id no codec knows: zeros at 4 bits
        if (m_format.compressionId == 128 && m_p.gsmFraming)
            AppendGsmFramed(m_out, bytes);
        else
            AppendShielded(m_out, bytes);
        m_samplesSent += kBlockSamples;
        if (m_misbehaviour == Misbehaviour::DleStorm)
            AppendDleCodes(16); // codes pour in between the sound
    }
}

void ModemCore::TickTransmit(uint32_t now) {
    int elapsed = Elapsed(now, m_voiceStart);
    for (auto it = m_events.begin(); it != m_events.end();) {
        if (it->atMs > elapsed) {
            ++it;
            continue;
        }
        if (it->vanish) {
            m_vanished = true;
            return;
        }
        m_out += kDle;
        m_out += it->code;
        it = m_events.erase(it);
    }
}

} // namespace modemsim
