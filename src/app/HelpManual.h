// SPDX-License-Identifier: GPL-3.0-or-later
// The user manual, an HTML book opened in the desktop's browser: installed
// beside the programs (PREFIX/share/doc/vorella/manual/, found from the
// executable's folder so that a moved prefix works), in the prefix the
// programs were built for, or, run from a build tree, in the source tree's
// docs/manual/.
#pragma once

#include <string>
#include <vector>

// The folders that may hold the manual, in the order they are tried; each
// ends with "/". exeFolder is the running program's folder.
std::vector<std::string> ManualFolders(const std::string& exeFolder);

// The full path of a page of the manual ("index.html",
// "faq/tapivscom.html"), or "" when no folder holds it.
std::string FindManualPage(const std::string& page, const std::vector<std::string>& folders);

// Opens a page of the manual with the desktop's browser (xdg-open). "" when
// it opened; otherwise the message to show, naming the page and where it was
// looked for.
std::string OpenManualPage(const std::string& page);
