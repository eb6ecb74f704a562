// SPDX-License-Identifier: GPL-3.0-or-later
// What the service's log says of a stored message, and what sox hears in
// the file: the checks every test of a whole call through vorellad makes.
#pragma once

#include <optional>
#include <string>

class TempHome;

struct LoggedMessage {
    int nSeconds = 0;
    std::string sFile;
};

// The first "message stored (N s): FILE" line of a service's log.
std::optional<LoggedMessage> FindStoredMessage(const std::string& log);

// sox's "stat" of a sound file: its RMS amplitude (0 to 1) and length in
// seconds, or nullopt with sox's output in *pWhy when sox could not read it.
struct SoxStat {
    double dRms = 0;
    double dSeconds = 0;
};
std::optional<SoxStat> SoxStatOf(const std::string& file, std::string* pWhy);

// Checks, as test failures, that the log names a message stored of at least
// nMinSeconds, that home's index lists its file with the caller's number,
// and that sox hears sound in it (more than a twentieth of full scale).
void ExpectStoredMessage(const TempHome& home, const std::string& log, const std::string& number,
                         int nMinSeconds);
