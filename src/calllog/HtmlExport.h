// The call list as an HTML page: the exported XML rendered through the
// shipped stylesheet here, at export time. Browsers are dropping XSLT, so
// the XML with its stylesheet reference alone may soon show as bare text;
// the page shows the same table everywhere.
#pragma once

#include <string>

// Applies the stylesheet sXslFile to the document sXmlFile and writes the
// result to sHtmlFile, replacing it whole (a failure leaves no part of a
// page, and an existing page as it was). The stylesheet may not write files
// or reach the network. False with the reason in *pError: either file
// unreadable or malformed, the transformation failing, or the target
// unwritable (missing folder, read-only file).
bool ExportCallsHtml(const std::string& sXmlFile, const std::string& sXslFile,
                     const std::string& sHtmlFile, std::string* pError);

// The page beside an exported XML file: "xml/Call List.xml" gives
// "xml/Call List.html".
std::string CallListHtmlPath(const std::string& sXmlFile);
