// The call list as an XML file with a stylesheet reference, for viewing in
// a browser: a report element with the totals and one element per call.
#pragma once

#include "calllog/CallList.h"

#include <ctime>
#include <string>
#include <vector>

// The whole document for the rows shown, in their order; today is the
// export date written in the report.
std::string BuildCallListXml(const std::vector<CallListRow>& rows, const std::tm& today);

// Text as XML character data: the five markup characters escaped, and
// anything XML 1.0 cannot carry (control characters, broken UTF-8) replaced
// by U+FFFD, so that no caller's name can make the document ill-formed.
std::string XmlEscape(std::string_view text);

// Writes the document to sPath (replacing it whole). False when the file
// cannot be written, or exists and is read-only; sError says why. The caller
// shows message 164 then.
bool ExportCallListXml(const std::vector<CallListRow>& rows, const std::string& sPath,
                       std::string* sError = nullptr);

// "xml/Call List.xml" in the program folder. Makes the "xml" folder and puts
// a copy of the shipped stylesheet into "xml/styles/" when they are missing,
// so the file renders where the document's relative reference points.
std::string PrepareCallListXmlPath();
