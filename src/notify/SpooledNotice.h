// One mail notice waiting in the spool folder: the call it tells of and
// when it was queued, as a small text file of "key=value" lines. The file
// is written before the first try, so a notice survives a failed try, a
// crash and a restart; it is named after the call's recording.
#pragma once

#include "notify/CallMail.h"

#include <cstdint>
#include <optional>
#include <string>

struct SpooledNotice {
    int64_t nQueuedMs = 0; // when it was queued, ms since the epoch
    bool bAttach = false;  // the recording goes with it
    CallForMail call;
};

// The notice as its file holds it: one "key=value" line per field, line
// ends and backslashes in values escaped, so no value can start a line.
std::string FormatSpooledNotice(const SpooledNotice& notice);
// The notice a file holds; nullopt when it is not one (no queued time).
std::optional<SpooledNotice> ParseSpooledNotice(const std::string& text);

// The file name for a notice: its recording's name with ".notice" in place
// of ".wav", or "call <local time>.notice" for a call without one.
std::string SpooledNoticeName(const CallForMail& call, int64_t nQueuedMs);

// Files of the spool folder waiting to go, and those set aside for good.
inline constexpr const char* kNoticeSuffix = ".notice";
inline constexpr const char* kNoticeFailedSuffix = ".failed";
