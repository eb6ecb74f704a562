#include "platform/CallerIdWords.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <iterator>
#include <string>

bool IsCallerIdPlaceholder(std::string_view text) {
    static const char* const kWords[] = {
        "",        "na",      "o",        "p",           "out of area",
        "private", "blocked", "withheld", "unavailable", "anonymous"};
    const std::string t = ToLowerAscii(Trim(text));
    return std::any_of(std::begin(kWords), std::end(kWords), [&](const char* w) { return t == w; });
}
