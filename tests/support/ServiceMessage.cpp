// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceMessage.h"

#include "ChildProcess.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <regex>

std::optional<LoggedMessage> FindStoredMessage(const std::string& log) {
    std::smatch m;
    if (!std::regex_search(log, m, std::regex("message stored \\((\\d+) s\\): ([^\\n]+)")))
        return std::nullopt;
    return LoggedMessage{std::stoi(m[1]), m[2]};
}

std::optional<SoxStat> SoxStatOf(const std::string& file, std::string* pWhy) {
    const ProgramRun stat = RunProgram({"/usr/bin/sox", file, "-n", "stat"});
    std::smatch rms;
    std::smatch length;
    if (stat.nExit != 0 ||
        !std::regex_search(stat.err, rms, std::regex("RMS     amplitude:\\s+([0-9.]+)")) ||
        !std::regex_search(stat.err, length, std::regex("Length \\(seconds\\):\\s+([0-9.]+)"))) {
        if (pWhy)
            *pWhy = stat.err;
        return std::nullopt;
    }
    return SoxStat{std::stod(rms[1]), std::stod(length[1])};
}

void ExpectStoredMessage(const TempHome& home, const std::string& log, const std::string& number,
                         int nMinSeconds) {
    const auto message = FindStoredMessage(log);
    ASSERT_TRUE(message) << log;
    const std::string& file = message->sFile;
    EXPECT_GE(message->nSeconds, nMinSeconds) << log;
    const std::string index = home.Read("Recorded Calls/index.dat");
    EXPECT_NE(index.find(file.substr(file.rfind('/') + 1)), std::string::npos) << index;
    EXPECT_NE(index.find(number), std::string::npos) << index;
    std::string why;
    const auto stat = SoxStatOf(file, &why);
    ASSERT_TRUE(stat) << why;
    EXPECT_GT(stat->dRms, 0.05) << file;
    EXPECT_GE(stat->dSeconds, nMinSeconds) << file;
}
