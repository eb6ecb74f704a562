// Scenario scripts are files people write and pass around; the reader must
// refuse nonsense with an error, never crash on it.
#include "Scenario.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto steps = modemsim::ParseScenario(
        std::string_view(reinterpret_cast<const char*>(data), size), &error);
    (void)steps;
    (void)modemsim::DecodeEscapes(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
