#include "web/ByteRange.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// At most this many ranges of a header are looked at: more are ignored.
constexpr size_t kMaxRanges = 16;

// A run of decimal digits; nullopt when s is empty or holds anything else.
// A number too large for 64 bits is taken as UINT64_MAX: past the end of any
// resource.
std::optional<uint64_t> Number(std::string_view s) {
    if (s.empty())
        return std::nullopt;
    uint64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        n = n > (UINT64_MAX - digit) / 10 ? UINT64_MAX : n * 10 + digit;
    }
    return n;
}

// One range as asked: first and last byte, or a suffix length.
struct AskedRange {
    std::optional<uint64_t> first; // none for a suffix range
    std::optional<uint64_t> last;  // none for "a-" (and holds the length of a suffix)
};

// nullopt when the text is not a range at all.
std::optional<AskedRange> ParseAskedRange(std::string_view s) {
    s = TrimView(s);
    const size_t dash = s.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const std::string_view a = TrimView(s.substr(0, dash));
    const std::string_view b = TrimView(s.substr(dash + 1));
    AskedRange asked;
    if (a.empty()) { // "-n": the last n bytes
        asked.last = Number(b);
        return asked.last ? std::optional(asked) : std::nullopt;
    }
    asked.first = Number(a);
    if (!asked.first)
        return std::nullopt;
    if (!b.empty()) {
        asked.last = Number(b);
        if (!asked.last || *asked.last < *asked.first)
            return std::nullopt;
    }
    return asked;
}

ByteRange Whole(uint64_t nSize) {
    return {ByteRange::Kind::Whole, 0, nSize, nSize};
}

// The part of the resource asked covers; nullopt when none.
std::optional<ByteRange> Resolve(const AskedRange& asked, uint64_t nSize) {
    if (!asked.first) {
        const uint64_t n = std::min(*asked.last, nSize);
        if (n == 0)
            return std::nullopt;
        return ByteRange{ByteRange::Kind::Partial, nSize - n, n, nSize};
    }
    if (*asked.first >= nSize)
        return std::nullopt;
    const uint64_t last = asked.last ? std::min(*asked.last, nSize - 1) : nSize - 1;
    return ByteRange{ByteRange::Kind::Partial, *asked.first, last - *asked.first + 1, nSize};
}

} // namespace

int ByteRange::Status() const {
    switch (kind) {
    case Kind::Whole:
        return 200;
    case Kind::Partial:
        return 206;
    case Kind::Unsatisfiable:
        return 416;
    }
    return 200;
}

std::string ByteRange::ContentRange() const {
    switch (kind) {
    case Kind::Whole:
        return "";
    case Kind::Partial:
        return "bytes " + std::to_string(nFirst) + "-" + std::to_string(nFirst + nLength - 1) +
               "/" + std::to_string(nSize);
    case Kind::Unsatisfiable:
        return "bytes */" + std::to_string(nSize);
    }
    return "";
}

ByteRange ParseByteRange(std::string_view header, uint64_t nSize) {
    header = TrimView(header);
    constexpr std::string_view kUnit = "bytes=";
    if (header.size() < kUnit.size())
        return Whole(nSize);
    if (!EqualsNoCase(header.substr(0, kUnit.size()), kUnit))
        return Whole(nSize); // another unit, or junk: the whole, as if none
    header.remove_prefix(kUnit.size());

    // A header with any part that is not a range is junk as a whole.
    std::vector<AskedRange> asks;
    while (!header.empty() && asks.size() < kMaxRanges) {
        const size_t comma = header.find(',');
        const std::string_view part = header.substr(0, comma);
        if (!TrimView(part).empty()) {
            std::optional<AskedRange> asked = ParseAskedRange(part);
            if (!asked)
                return Whole(nSize);
            asks.push_back(*asked);
        }
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
    }
    if (asks.empty())
        return Whole(nSize);
    for (const AskedRange& asked : asks)
        if (std::optional<ByteRange> r = Resolve(asked, nSize))
            return *r;
    return {ByteRange::Kind::Unsatisfiable, 0, 0, nSize};
}
