#include "calllog/LegacyText.h"

#include "config/SettingsProvider.h"
#include "platform/TextUtil.h"

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
    return SettingsProvider().GetString("sLegacyCodePage");
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
