#include "ByteLog.h"

#include "platform/TextUtil.h"
#include "platform/TickCount.h"

namespace modemsim {

ByteLog::~ByteLog() {
    if (m_file)
        std::fclose(m_file);
}

bool ByteLog::Open(const std::string& path) {
    m_file = std::fopen(path.c_str(), "a");
    return m_file != nullptr;
}

void ByteLog::Write(const char* direction, const char* data, size_t n) {
    if (!m_file || n == 0)
        return;
    uint32_t t = GetTickCount();
    std::fprintf(m_file, "%u.%03u %s %s\n", t / 1000, t % 1000, direction,
                 EscapeBytes(data, n).c_str());
    std::fflush(m_file);
}

std::string EscapeBytes(const char* data, size_t n) {
    std::string s;
    s.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c < 0x7F && c != '<')
            s += static_cast<char>(c);
        else
            s += StrPrintf("<%02x>", c);
    }
    return s;
}

} // namespace modemsim
