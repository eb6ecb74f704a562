// Text into the web page's HTML: every value the page shows goes through
// HtmlEscape, in element text and in quoted attributes alike.
#pragma once

#include <string>
#include <string_view>

std::string HtmlEscape(std::string_view text);

// A whole page: the head (viewport for phones, the stylesheet and the
// script) around body, and the title escaped.
std::string HtmlPage(std::string_view sTitle, std::string_view sBody);
