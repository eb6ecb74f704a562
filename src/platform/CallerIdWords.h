// The words a caller-ID line sends in place of a name or number it has not
// got, as the announcement, the contacts and the pop-up meet them.
#pragma once

#include <string_view>

// "O", "P", "NA", "private", "out of area", ... and "": no name to show or say.
bool IsCallerIdPlaceholder(std::string_view text);
