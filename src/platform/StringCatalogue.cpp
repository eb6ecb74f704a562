#include "platform/StringCatalogue.h"

#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

// The argument kind a conversion letter reads; 0 for one printf has not.
char ConversionKind(char c) {
    switch (c) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'c':
        return 'd';
    case 's':
        return 's';
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        return 'f';
    case 'p':
        return 'p';
    default:
        return 0;
    }
}

std::string Problem(const std::string& name, size_t nLine, const std::string& what) {
    return name + ":" + std::to_string(nLine) + ": " + what;
}

// One line's id, or nullopt when it is not a plain decimal number.
std::optional<int> ParseId(std::string_view s) {
    int id = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), id);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || id < 0)
        return std::nullopt;
    return id;
}

std::string Getenv(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// "de_AT.UTF-8@euro" -> "de_AT", "de".
void AddLanguage(std::string_view locale, std::vector<std::string>& out) {
    const std::string_view base = locale.substr(0, locale.find_first_of(".@"));
    const std::string_view lang = base.substr(0, base.find('_'));
    for (std::string_view v : {base, lang}) {
        // Only letters and "_": the name becomes part of a file name.
        const bool bPlain =
            !v.empty() &&
            v.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_") ==
                std::string_view::npos;
        if (bPlain && std::find(out.begin(), out.end(), v) == out.end())
            out.emplace_back(v);
    }
}

} // namespace

std::optional<std::string> FormatShape(std::string_view f) {
    std::string shape;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%')
            continue;
        if (++i < f.size() && f[i] == '%')
            continue;
        while (i < f.size() && std::strchr("-+ #0'", f[i]))
            ++i;
        auto width = [&] {
            if (i < f.size() && f[i] == '*') {
                shape += 'd';
                ++i;
            }
            while (i < f.size() && f[i] >= '0' && f[i] <= '9')
                ++i;
        };
        width();
        if (i < f.size() && f[i] == '$')
            return std::nullopt; // positional arguments
        if (i < f.size() && f[i] == '.') {
            ++i;
            width();
        }
        std::string length;
        while (i < f.size() && std::strchr("hlLqjzt", f[i]))
            length += f[i++];
        if (i >= f.size())
            return std::nullopt;
        const char kind = ConversionKind(f[i]);
        if (kind == 0)
            return std::nullopt;
        // The length changes what is read ("%ld" is not "%d").
        shape += length;
        shape += kind;
    }
    return shape;
}

std::string EscapeCatalogueText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> UnescapeCatalogueText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

StringCatalogue ParseStringCatalogue(std::string_view text, const std::string& name) {
    StringCatalogue cat;
    cat.sName = name;
    size_t nLine = 0;
    while (!text.empty()) {
        ++nLine;
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (nLine == 1 && line.substr(0, 3) == "\xEF\xBB\xBF")
            line.remove_prefix(3); // a byte order mark some editors write
        if (line.size() > kMaxCatalogueLine) {
            cat.problems.push_back(Problem(name, nLine, "line too long, left out"));
            continue;
        }
        if (TrimView(line).empty() || TrimView(line).front() == '#')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            cat.problems.push_back(Problem(name, nLine, "no '=', left out"));
            continue;
        }
        const std::optional<int> id = ParseId(TrimView(line.substr(0, eq)));
        if (!id || !HasStr(*id)) {
            cat.problems.push_back(
                Problem(name, nLine,
                        "no string " + std::string(TrimView(line.substr(0, eq))) + ", left out"));
            continue;
        }
        const std::string sId = std::to_string(*id);
        if (IsFixedStr(*id)) {
            cat.problems.push_back(
                Problem(name, nLine, "string " + sId + " is a fixed text and is not translated"));
            continue;
        }
        const std::string_view raw = line.substr(eq + 1);
        if (!IsUtf8(raw)) {
            cat.problems.push_back(
                Problem(name, nLine, "string " + sId + " is not UTF-8, left out"));
            continue;
        }
        std::optional<std::string> value = UnescapeCatalogueText(raw);
        if (!value) {
            cat.problems.push_back(
                Problem(name, nLine,
                        "string " + sId + " has an escape other than \\n \\r \\t \\\\, left out"));
            continue;
        }
        const std::optional<std::string> want = FormatShape(LoadEnglishStr(*id));
        const std::optional<std::string> got = FormatShape(*value);
        if (!want || !got || *want != *got) {
            cat.problems.push_back(Problem(name, nLine,
                                           "string " + sId +
                                               " does not take the same printf arguments as the "
                                               "English text, refused"));
            continue;
        }
        if (!cat.texts.emplace(*id, std::move(*value)).second)
            cat.problems.push_back(
                Problem(name, nLine, "string " + sId + " again, the first one kept"));
    }
    return cat;
}

StringCatalogue ReadStringCatalogue(const std::string& path) {
    const std::optional<std::string> data = ReadWholeFile(path, kMaxCatalogueFile);
    if (!data) {
        StringCatalogue cat;
        cat.sName = path;
        cat.problems.push_back(path + ": cannot be read (missing, unreadable or over " +
                               std::to_string(kMaxCatalogueFile) + " bytes), not used");
        return cat;
    }
    return ParseStringCatalogue(*data, path);
}

std::string StringCatalogueTemplate() {
    std::string out =
        "# Vorella's messages: a line \"id=text\" for each. A translation keeps every\n"
        "# %s, %d ... of the text in the same order; \\n is a new line, \\r a break,\n"
        "# \\t a tab, \\\\ a backslash. Save it as UTF-8, named vorella-LANG.strings\n"
        "# (vorella-de.strings, vorella-pt_BR.strings). Lines left out stay English.\n";
    for (int id : StringIds()) {
        if (!IsFixedStr(id))
            out += std::to_string(id) + "=" + EscapeCatalogueText(LoadEnglishStr(id)) + "\n";
    }
    return out;
}

std::vector<std::string> WantedLanguages() {
    std::string locale = Getenv("LC_ALL");
    if (locale.empty())
        locale = Getenv("LC_MESSAGES");
    if (locale.empty())
        locale = Getenv("LANG");
    std::vector<std::string> out;
    if (locale.empty() || locale == "C" || locale.rfind("C.", 0) == 0 || locale == "POSIX")
        return out;
    for (const std::string& l : SplitKeepEmpty(Getenv("LANGUAGE"), ':')) {
        if (!l.empty())
            AddLanguage(l, out);
    }
    AddLanguage(locale, out);
    // English is the built-in text: a language after it is not wanted.
    out.erase(
        std::find_if(out.begin(), out.end(),
                     [](const std::string& l) { return l == "en" || l.rfind("en_", 0) == 0; }),
        out.end());
    return out;
}

std::string FindStringCatalogue(const std::vector<std::string>& languages,
                                const std::vector<std::string>& folders) {
    for (const std::string& lang : languages) {
        for (const std::string& folder : folders) {
            const std::string path = WithTrailingSlash(folder) + "vorella-" + lang + ".strings";
            if (FileExists(path))
                return path;
        }
    }
    return "";
}

std::vector<std::string> StringCatalogueFolders() {
    std::vector<std::string> out;
    if (const std::string home = Getenv("VORELLA_HOME"); !home.empty())
        out.push_back(WithTrailingSlash(home) + "lang/");
    const std::string exe = GetExecutableFolder();
    out.push_back(exe + "lang/");
    out.push_back(exe + "../share/vorella/lang/");
    return out;
}
