// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever bytes a stranger sends to a SIP port, in whatever pieces they
// arrive, the guard in front of the SIP stack:
// - keeps their length, and changes a byte only into a blank or a quote;
// - filters them the same in any split as in one piece;
// - leaves its own output as it is when it comes again (no display name
//   longer than it allows survives);
// - changes nothing in a message whose headers are all shorter than the
//   longest name it allows.
// The first two bytes choose the sizes of the pieces.
#include "sip/SipHeaderGuard.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "SIP header guard: %s\n", what);
        std::abort();
    }
}

std::string Filter(std::string bytes, size_t piece) {
    CSipHeaderGuard guard;
    for (size_t at = 0; at < bytes.size(); at += piece)
        guard.Filter(bytes.data() + at, std::min(piece, bytes.size() - at));
    return bytes;
}

// The longest header, its folded lines (those that begin with a blank)
// counted with the line before.
size_t LongestHeader(const std::string& s) {
    size_t longest = 0, length = 0, start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && s[i] != '\n')
            continue;
        bool bFolded = start < s.size() && (s[start] == ' ' || s[start] == '\t');
        length = (bFolded ? length : 0) + (i - start) + 1;
        longest = std::max(longest, length);
        start = i + 1;
    }
    return longest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const size_t piece = 1 + (data[0] | data[1] << 8) % 2048;
    const std::string input(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string whole = Filter(input, input.size() + 1);
    Check(whole.size() == input.size(), "the length changed");
    for (size_t i = 0; i < input.size(); ++i)
        Check(whole[i] == input[i] || whole[i] == ' ' || whole[i] == '"',
              "a byte became something other than a blank or a quote");
    Check(Filter(input, piece) == whole, "a split filtered differently");
    Check(Filter(whole, piece) == whole, "its own output was changed again");
    if (LongestHeader(input) < CSipHeaderGuard::kMaxDisplayName)
        Check(whole == input, "a message of short headers was changed");
    return 0;
}
