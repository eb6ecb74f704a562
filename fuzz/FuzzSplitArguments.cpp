// A parameter string from the settings file: any text.
#include "platform/ProcessLaunch.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Single-quotes a word the way the splitter reads it back.
std::string Quote(const std::string& word) {
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto words = SplitArguments(text, &error);
    if (!words) {
        if (error.empty())
            std::abort();
        return 0;
    }
    // Quoting the words and splitting again gives the same words.
    std::string quoted;
    for (const std::string& w : *words)
        quoted += Quote(w) + " ";
    auto again = SplitArguments(quoted);
    if (!again || *again != *words)
        std::abort();
    return 0;
}
