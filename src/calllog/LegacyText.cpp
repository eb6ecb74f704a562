#include "calllog/LegacyText.h"

#include "config/SettingsStore.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// One conversion from a code page to UTF-8, closed when it goes.
class Converter {
public:
    explicit Converter(const std::string& codePage)
        : m_cd(::iconv_open("UTF-8", codePage.c_str())) {}
    ~Converter() {
        if (Ok())
            ::iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Appends the run converted; bytes the code page does not define become
    // U+FFFD one by one. False when any byte had to be replaced.
    bool Append(std::string_view run, std::string& out) {
        bool clean = true;
        while (!run.empty()) {
            char buf[256];
            char* in = const_cast<char*>(run.data());
            size_t inLeft = run.size();
            char* o = buf;
            size_t outLeft = sizeof buf;
            const size_t r = ::iconv(m_cd, &in, &inLeft, &o, &outLeft);
            out.append(buf, static_cast<size_t>(o - buf));
            const size_t used = run.size() - inLeft;
            run.remove_prefix(used);
            if (r != static_cast<size_t>(-1) || errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: this byte means nothing in the code page.
            ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            out += kReplacement;
            run.remove_prefix(1);
            clean = false;
        }
        return clean;
    }

private:
    iconv_t m_cd;
};

} // namespace

std::string LegacyCodePage() {
    const SettingKey* key = FindSettingKey("sLegacyCodePage");
    return GetProfileStringFrom(GetSettingsPath(), key->section, key->key, key->sDefault);
}

size_t Utf8SequenceLength(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    size_t len;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

std::string TextFromIndex(std::string_view text, const std::string& codePage,
                          std::string* sError) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t len = Utf8SequenceLength(text, i);
        if (len == 0)
            break;
        i += len;
    }
    if (i == text.size())
        return std::string(text); // all UTF-8, the common case

    Converter conv(codePage);
    if (!conv.Ok() && sError)
        *sError = "the code page \"" + codePage + "\" is unknown to this system";
    bool clean = conv.Ok();
    std::string out(text.substr(0, i));
    out.reserve(text.size() + 8);
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && Utf8SequenceLength(text, end) == 0)
            ++end;
        const std::string_view run = text.substr(i, end - i);
        if (conv.Ok()) {
            clean = conv.Append(run, out) && clean;
        } else {
            for (size_t k = 0; k < run.size(); ++k)
                out += kReplacement;
        }
        i = end;
        while (i < text.size()) {
            const size_t len = Utf8SequenceLength(text, i);
            if (len == 0)
                break;
            out.append(text.substr(i, len));
            i += len;
        }
    }
    if (!clean && conv.Ok() && sError)
        *sError = "bytes that mean nothing in the code page \"" + codePage + "\" were replaced";
    return out;
}
