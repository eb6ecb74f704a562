// Translations of the string table: a catalogue per language, a plain UTF-8
// file of "id=text" lines ("vorella-de.strings"), so that a translation is a
// file and not a change to the program.
//
//   # comment
//   109=Bereit
//   105=Anruf von %s, %s, eingegangen um %s, %s.\n\nNotiz:\n\n%s
//
// Escapes in a text: \n, \r, \t and \\. A line the reader cannot use (no
// '=', an id that is not a number or not in the table, a bad escape, text
// that is not UTF-8, a line longer than kMaxCatalogueLine) is left out with
// a problem naming its line; the rest of the file still counts. A text whose
// printf conversions differ from the English one (another kind, another
// count) is refused for that id, so a translation can never make a printf
// read an argument that is not there.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr size_t kMaxCatalogueLine = 8192;
constexpr size_t kMaxCatalogueFile = static_cast<size_t>(1) << 20;

struct StringCatalogue {
    std::string sName; // the file it came from, for the problems
    std::unordered_map<int, std::string> texts;
    std::vector<std::string> problems; // "FILE:LINE: what is wrong"
};

// Reads a catalogue's text; name is used in the problems.
StringCatalogue ParseStringCatalogue(std::string_view text, const std::string& name);
// Reads a catalogue file; a missing, unreadable or oversized file gives an
// empty catalogue with that problem.
StringCatalogue ReadStringCatalogue(const std::string& path);

// The argument kinds of a printf format, one letter each in order ("ss" for
// "%s, #%s"); nullopt when the format is one the program never uses and
// cannot be checked (%n, positional arguments, an unknown conversion, a '%'
// at the end).
std::optional<std::string> FormatShape(std::string_view format);

// A text as one catalogue line's right-hand side, and back.
std::string EscapeCatalogueText(std::string_view text);
std::optional<std::string> UnescapeCatalogueText(std::string_view text);

// The template for translators: every translatable id with its English text.
std::string StringCatalogueTemplate();

// The languages the user asks for, most wanted first, each as "de_AT" and
// then "de": from LANGUAGE when the locale (LC_ALL, LC_MESSAGES, LANG) is not
// "C" or "POSIX", else from the locale. Empty for English.
std::vector<std::string> WantedLanguages();
// The first "vorella-LANG.strings" found for the wanted languages in the
// folders, in their order; "" when none is there.
std::string FindStringCatalogue(const std::vector<std::string>& languages,
                                const std::vector<std::string>& folders);
// Where catalogues are looked for: VORELLA_HOME's "lang/", the executable's
// "lang/" (the build tree, a portable install), the installed
// "share/vorella/lang/".
std::vector<std::string> StringCatalogueFolders();
