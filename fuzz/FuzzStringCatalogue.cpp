// A translation catalogue is a file anyone can hand the user: whatever it
// holds, the reader keeps only texts that printf can take in place of the
// English ones.
#include "platform/StringCatalogue.h"
#include "platform/Strings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const StringCatalogue cat =
        ParseStringCatalogue(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
    for (const auto& [id, text] : cat.texts) {
        if (FormatShape(text) != FormatShape(LoadEnglishStr(id)) || IsFixedStr(id))
            std::abort();
        if (UnescapeCatalogueText(EscapeCatalogueText(text)) != text)
            std::abort();
    }
    return 0;
}
