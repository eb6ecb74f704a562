#include "web/SafeName.h"

#include "platform/TextUtil.h"

#include <system_error>

namespace {

bool Refuse(std::string* pError, const std::string& why) {
    if (pError)
        *pError = why;
    return false;
}

// The value of the escape "%XY" at s[i], or -1 when there is none.
int EscapeAt(std::string_view s, size_t i) {
    if (i + 2 >= s.size() || s[i] != '%')
        return -1;
    const int hi = HexDigitValue(s[i + 1]);
    const int lo = HexDigitValue(s[i + 2]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

bool IsPlainName(const std::string& name, std::string* pError) {
    if (name.empty() || name == ".")
        return Refuse(pError, "the name is empty");
    if (name.size() > kMaxSafeNameBytes)
        return Refuse(pError,
                      "the name is longer than " + std::to_string(kMaxSafeNameBytes) + " bytes");
    if (name.find("..") != std::string::npos)
        return Refuse(pError, "the name holds \"..\"");
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == '/' || c == '\\')
            return Refuse(pError, "the name holds a slash");
        if (c < 0x20 || c == 0x7F)
            return Refuse(pError, "the name holds a control character");
        if (EscapeAt(name, i) >= 0)
            return Refuse(pError, "the name is encoded twice");
    }
    return true;
}

} // namespace

std::optional<std::string> DecodeSafeName(std::string_view raw, std::string* pError) {
    std::string name;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '+') {
            name += ' ';
        } else if (raw[i] == '%') {
            const int c = EscapeAt(raw, i);
            if (c < 0) {
                Refuse(pError, "the name holds a broken percent escape");
                return std::nullopt;
            }
            name += static_cast<char>(c);
            i += 2;
        } else {
            name += raw[i];
        }
        if (name.size() > kMaxSafeNameBytes)
            break; // refused below, without decoding the rest
    }
    if (!IsPlainName(name, pError))
        return std::nullopt;
    return name;
}

std::optional<std::filesystem::path> SafePathIn(const std::filesystem::path& folder,
                                                std::string_view raw, std::string* pError) {
    const std::optional<std::string> name = DecodeSafeName(raw, pError);
    if (!name)
        return std::nullopt;
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::weakly_canonical(folder, ec);
    if (ec || base.empty()) {
        Refuse(pError, "the folder " + folder.string() + " cannot be resolved");
        return std::nullopt;
    }
    // A link that leads nowhere is not followed by weakly_canonical, but
    // would be by whoever opens it.
    const std::filesystem::path asked = base / *name;
    if (std::filesystem::is_symlink(asked, ec) && !std::filesystem::exists(asked, ec)) {
        Refuse(pError, "the name is a link that leads nowhere");
        return std::nullopt;
    }
    const std::filesystem::path path = std::filesystem::weakly_canonical(asked, ec);
    // Inside: the folder's parts, then exactly one more (a link may lead
    // anywhere else).
    bool bInside = !ec;
    auto p = path.begin();
    for (auto b = base.begin(); bInside && b != base.end() && !b->empty(); ++b) {
        bInside = p != path.end() && *p == *b;
        if (bInside)
            ++p;
    }
    if (!bInside || p == path.end() || std::next(p) != path.end()) {
        Refuse(pError, "the name leads outside its folder");
        return std::nullopt;
    }
    return path;
}
