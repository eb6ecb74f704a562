// Logs every byte that crosses the simulated serial line, one line per read
// or write, printable characters as they are and the rest as <xx>.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace modemsim {

class ByteLog {
public:
    ByteLog() = default;
    ~ByteLog();
    ByteLog(const ByteLog&) = delete;
    ByteLog& operator=(const ByteLog&) = delete;

    bool Open(const std::string& path);
    // direction: "host>" for bytes from the host, "modem>" for bytes to it.
    void Write(const char* direction, const char* data, size_t n);

private:
    FILE* m_file = nullptr;
};

// "AT\r\n" as "AT<0d><0a>".
std::string EscapeBytes(const char* data, size_t n);

} // namespace modemsim
