// The adapter simulator's socket: lines from the other end, any bytes at all.
#include "adapter/AdapterWire.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CWireLineReader lines;
    if (!lines.Add(reinterpret_cast<const char*>(data), size))
        return 0;
    while (auto line = lines.Next()) {
        auto m = ParseWireLine(*line);
        if (!m)
            continue;
        if (m->sound.size() > kWireSoundChunk || m->sBytes.size() > line->size() / 2)
            std::abort();
        // What parses comes out the same when written again.
        if (m->kind == WireMessage::Kind::Event) {
            std::string event = WireEvent(m->nCode, m->nParam);
            event.pop_back(); // the line's end
            auto again = ParseWireLine(event);
            if (!again || again->nCode != m->nCode || again->nParam != m->nParam)
                std::abort();
        }
        if (m->kind == WireMessage::Kind::Text) {
            std::string text = WireText(m->nCode, m->nParam, m->sBytes);
            text.pop_back();
            auto again = ParseWireLine(text);
            if (!again || again->sBytes != m->sBytes)
                std::abort();
        }
    }
    return 0;
}
