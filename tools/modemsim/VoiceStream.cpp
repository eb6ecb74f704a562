#include "VoiceStream.h"

namespace modemsim {

void AppendShielded(std::string& out, std::string_view data) {
    for (char c : data) {
        if (c == kDle)
            out += kDle;
        out += c;
    }
}

void AppendGsmFramed(std::string& out, std::string_view frames) {
    for (size_t i = 0; i + 33 <= frames.size(); i += 33) {
        out += "\xFE\xFE";
        AppendShielded(out, frames.substr(i, 33));
        out += std::string_view("\x00\xA5\xA5", 3);
    }
}

Unshielder::Kind Unshielder::Feed(uint8_t byte, uint8_t& value) {
    if (m_dle) {
        m_dle = false;
        value = byte;
        return byte == static_cast<uint8_t>(kDle) ? Kind::Data : Kind::Code;
    }
    if (byte == static_cast<uint8_t>(kDle)) {
        m_dle = true;
        return Kind::None;
    }
    value = byte;
    return Kind::Data;
}

void GsmDeframer::Feed(uint8_t byte, std::string& frames) {
    static constexpr uint8_t kTrailer[3] = {0x00, 0xA5, 0xA5};
    switch (m_state) {
    case State::Sync1:
        if (byte == 0xFE)
            m_state = State::Sync2;
        return;
    case State::Sync2:
        m_state = byte == 0xFE ? State::Data : State::Sync1;
        m_frame.clear();
        return;
    case State::Data:
        m_frame += static_cast<char>(byte);
        if (m_frame.size() == 33) {
            m_state = State::Trailer;
            m_trailer = 0;
        }
        return;
    case State::Trailer:
        if (byte != kTrailer[m_trailer]) {
            ++m_bad;
            m_state = byte == 0xFE ? State::Sync2 : State::Sync1;
            return;
        }
        if (++m_trailer == 3) {
            frames += m_frame;
            m_state = State::Sync1;
        }
        return;
    }
}

} // namespace modemsim
