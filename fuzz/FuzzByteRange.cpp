// A Range header from a request: any text, against a resource of the size
// the first line gives ("1000\nbytes=0-99"; 0 when it gives none).
#include "web/ByteRange.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    uint64_t nSize = 0;
    if (const size_t eol = text.find('\n'); eol != std::string_view::npos) {
        std::from_chars(text.data(), text.data() + eol, nSize);
        text.remove_prefix(eol + 1);
    }
    const ByteRange r = ParseByteRange(text, nSize);
    // One range inside the resource, or the whole, or nothing at all.
    const bool ok =
        r.nSize == nSize &&
        (r.kind == ByteRange::Kind::Whole ? r.nFirst == 0 && r.nLength == nSize
         : r.kind == ByteRange::Kind::Partial
             ? r.nLength > 0 && r.nFirst < nSize && r.nLength <= nSize - r.nFirst
             : r.nLength == 0 && r.ContentRange() == "bytes */" + std::to_string(nSize));
    if (!ok)
        std::abort();
    return 0;
}
