#include "WavFile.h"

#include "platform/FileUtil.h"

#include <cstring>

namespace modemsim {

namespace {

constexpr size_t kMaxWav = 64u << 20;

uint32_t Le32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}
uint16_t Le16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1])
                                                                   << 8);
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

bool ReadWav(const std::string& path, WavData& out, std::string* error) {
    auto file = ReadWholeFile(path, kMaxWav);
    if (!file)
        return Fail(error, "cannot read " + path);
    const std::string& s = *file;
    if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0)
        return Fail(error, path + " is not a RIFF WAVE file");
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    bool haveFmt = false;
    for (size_t at = 12; at + 8 <= s.size();) {
        std::string id = s.substr(at, 4);
        uint32_t size = Le32(s, at + 4);
        size_t body = at + 8;
        if (size > s.size() - body)
            size = static_cast<uint32_t>(s.size() -
                                         body); // a truncated last chunk is read as far as it goes
        if (id == "fmt " && size >= 16) {
            format = Le16(s, body);
            channels = Le16(s, body + 2);
            rate = Le32(s, body + 4);
            bits = Le16(s, body + 14);
            haveFmt = true;
        } else if (id == "data") {
            if (!haveFmt)
                return Fail(error, path + ": data before fmt");
            if (format != 1 || (bits != 8 && bits != 16) || channels == 0 || rate < 1000 ||
                rate > 192000)
                return Fail(error, path + ": only 8-bit or 16-bit PCM is supported");
            size_t frameBytes = static_cast<size_t>(bits / 8) * channels;
            out.sampleRate = static_cast<int>(rate);
            out.samples.clear();
            for (size_t f = body; f + frameBytes <= body + size; f += frameBytes) {
                int sum = 0;
                for (size_t c = 0; c < channels; ++c) {
                    size_t p = f + c * (bits / 8);
                    sum += bits == 8 ? (static_cast<uint8_t>(s[p]) - 128) * 256
                                     : static_cast<int16_t>(Le16(s, p));
                }
                out.samples.push_back(static_cast<int16_t>(sum / channels));
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return Fail(error, path + ": no data chunk");
}

bool WriteWav(const std::string& path, const WavData& data, std::string* error) {
    std::string s = "RIFF";
    auto dataBytes = static_cast<uint32_t>(data.samples.size() * 2);
    Put32(s, 36 + dataBytes);
    s += "WAVEfmt ";
    Put32(s, 16);
    Put16(s, 1);
    Put16(s, 1);
    Put32(s, static_cast<uint32_t>(data.sampleRate));
    Put32(s, static_cast<uint32_t>(data.sampleRate * 2));
    Put16(s, 2);
    Put16(s, 16);
    s += "data";
    Put32(s, dataBytes);
    for (int16_t v : data.samples)
        Put16(s, static_cast<uint16_t>(v));
    if (!WriteFileAtomic(path, s))
        return Fail(error, "cannot write " + path);
    return true;
}

} // namespace modemsim
