// A form as browsers send it (application/x-www-form-urlencoded): the
// fields of a POST body, "+" for blanks and %XX for any other byte.
#pragma once

#include <map>
#include <string>
#include <string_view>

// The fields of body; a field named twice keeps its first value. A broken
// escape ("%4", "%zz") stands as it is.
std::map<std::string, std::string> ParseForm(std::string_view body);
// The text as a form or query value: every byte but letters, digits and
// "-_.~" as %XX.
std::string UrlEncode(std::string_view text);
