// The modem diagnostics report: a fixed series of probe commands, each with
// the modem's full answer, for the user to read or mail to support.
#pragma once

#include "modem/CommDriver.h"

#include <functional>
#include <span>
#include <string>

std::span<const char* const> DiagnosticProbes();

// Sends every probe and builds the report. After each block refresh(report)
// is called; when it returns false (the dialog is gone) the run stops adding
// text and sends no more probes.
std::string RunDiagnostics(CCommDriver& drv,
                           const std::function<bool(const std::string&)>& refresh = {});

// The mailbox the report is sent to.
inline constexpr const char* kSupportMailbox = "support@vorella.org";

// The mail-to address that starts the user's mail program with the report:
// "<html><pre>" + report with "&" as "%20" and CR as four blanks +
// "</pre></html>".
std::string DiagnosticsMailto(const std::string& sReport,
                              const std::string& sMailbox = kSupportMailbox);

// The same message as a mailto: URL a mail program can take apart: the
// subject and body percent-encoded. The text above, unencoded, would end
// at the first "#" of a probe (a URL's fragment) and break at every line
// end; here "&" still arrives as a blank and CR as four.
std::string DiagnosticsMailtoUrl(const std::string& sReport,
                                 const std::string& sMailbox = kSupportMailbox);
