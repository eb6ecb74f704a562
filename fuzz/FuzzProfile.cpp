// The settings reader takes whatever is in the file.
#include "platform/ProfileFile.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("vorella-fuzz-" + std::to_string(::getpid()) + ".ini"))
                                        .string();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ProfileFile p(path);
    for (const std::string& s : p.Sections())
        for (const std::string& k : p.Keys(s))
            (void)p.GetInt(s, k, 0);
    p.WriteString("Options", "sPath", "x");
    (void)p.GetString("options", "spath", "");
    std::remove(path.c_str());
    return 0;
}
