#include "adapter/AdapterWire.h"

#include "platform/TextUtil.h"

#include <cerrno>
#include <charconv>
#include <sys/socket.h>

namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string ToHex(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigitValue(hex[i]);
        int lo = HexDigitValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

// The next blank-separated word of line from pos.
std::string_view Word(std::string_view line, size_t& pos) {
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    size_t start = pos;
    while (pos < line.size() && line[pos] != ' ')
        ++pos;
    return line.substr(start, pos - start);
}

bool ToInt(std::string_view s, int& out) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

std::optional<std::vector<int16_t>> Samples(std::string_view hex) {
    auto bytes = FromHex(hex);
    if (!bytes || bytes->size() % 2 != 0)
        return std::nullopt;
    std::vector<int16_t> out(bytes->size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        auto lo = static_cast<unsigned char>((*bytes)[2 * i]);
        auto hi = static_cast<unsigned char>((*bytes)[2 * i + 1]);
        out[i] = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
    }
    return out;
}

} // namespace

bool IsWireRequest(std::string_view op) {
    for (std::string_view known : {"open", "open-fallback", "close", "off-hook", "on-hook",
                                   "stop-play", "stop-record"}) {
        if (op == known)
            return true;
    }
    return false;
}

std::optional<WireMessage> ParseWireLine(std::string_view line) {
    size_t pos = 0;
    std::string_view keyword = Word(line, pos);
    WireMessage m;
    if (IsWireRequest(keyword) && Word(line, pos).empty()) {
        m.kind = WireMessage::Kind::Request;
        m.sOp = keyword;
        return m;
    }
    if (keyword == "=") {
        std::string_view v = Word(line, pos);
        if (v != "0" && v != "1")
            return std::nullopt;
        m.kind = WireMessage::Kind::Reply;
        m.bOk = v == "1";
        return m;
    }
    if (keyword == "play" || keyword == "sound") {
        auto samples = Samples(Word(line, pos));
        if (!samples || samples->size() > kWireSoundChunk)
            return std::nullopt;
        m.kind = keyword == "play" ? WireMessage::Kind::Play : WireMessage::Kind::Sound;
        m.sound = std::move(*samples);
        return m;
    }
    if (keyword == "event" || keyword == "text") {
        if (!ToInt(Word(line, pos), m.nCode) || !ToInt(Word(line, pos), m.nParam))
            return std::nullopt;
        if (keyword == "event") {
            m.kind = WireMessage::Kind::Event;
            return m;
        }
        auto bytes = FromHex(Word(line, pos));
        if (!bytes)
            return std::nullopt;
        m.kind = WireMessage::Kind::Text;
        m.sBytes = std::move(*bytes);
        return m;
    }
    return std::nullopt;
}

std::string WireEvent(int code, int param) {
    return "event " + std::to_string(code) + " " + std::to_string(param) + "\n";
}

std::string WireText(int code, int param, std::string_view bytes) {
    return "text " + std::to_string(code) + " " + std::to_string(param) + " " + ToHex(bytes) +
           "\n";
}

std::string WireSound(std::string_view keyword, const int16_t* samples, size_t count) {
    std::string bytes;
    bytes.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        auto u = static_cast<uint16_t>(samples[i]);
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return std::string(keyword) + " " + ToHex(bytes) + "\n";
}

std::string WireReply(bool bOk) {
    return bOk ? "= 1\n" : "= 0\n";
}

bool CWireLineReader::Add(const char* data, size_t count) {
    m_buffer.append(data, count);
    size_t nl = m_buffer.rfind('\n');
    size_t tail = nl == std::string::npos ? m_buffer.size() : m_buffer.size() - nl - 1;
    return tail <= kMaxWireLine;
}

std::optional<std::string> CWireLineReader::Next() {
    size_t nl = m_buffer.find('\n');
    if (nl == std::string::npos)
        return std::nullopt;
    std::string line = m_buffer.substr(0, nl);
    m_buffer.erase(0, nl + 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool WriteWire(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}
