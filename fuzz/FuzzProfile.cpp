// The settings reader takes whatever is in the file (parsed from memory, as
// the file constructor parses what it reads, so that the fuzzer runs fast).
#include "platform/ProfileFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProfileFile p = ProfileFile::FromText(std::string(reinterpret_cast<const char*>(data), size));
    for (const std::string& s : p.Sections())
        for (const std::string& k : p.Keys(s))
            (void)p.GetInt(s, k, 0);
    p.WriteString("Options", "sPath", "x");
    (void)p.GetString("options", "spath", "");
    return 0;
}
