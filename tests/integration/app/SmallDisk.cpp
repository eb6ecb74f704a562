#include "SmallDisk.h"

#include "ServiceMessage.h"
#include "calllog/DataStructure.h"

#include <gtest/gtest.h>
#include <regex>

void ExpectMessageCutWhereTheDiskFilled(const std::string& log, const std::string& indexFile,
                                        const std::string& numberPart) {
    static const std::regex kCut("(the disk is full|File too large): the recording was cut "
                                 "after (\\d+) s");
    std::smatch cut;
    ASSERT_TRUE(std::regex_search(log, cut, kCut)) << log;
    const int nSeconds = std::stoi(cut[2]);
    const std::optional<LoggedMessage> message = FindStoredMessage(log);
    ASSERT_TRUE(message) << log;
    EXPECT_EQ(message->nSeconds, nSeconds) << log;
    EXPECT_GT(nSeconds, 0) << log;

    // What sox reads is what the header says, without a premature end.
    const ProgramRun stat = RunProgram({"/usr/bin/sox", message->sFile, "-n", "stat"});
    EXPECT_EQ(stat.nExit, 0) << stat.err;
    EXPECT_EQ(stat.err.find("premature"), std::string::npos) << stat.err;
    std::string why;
    const auto heard = SoxStatOf(message->sFile, &why);
    ASSERT_TRUE(heard) << why;
    EXPECT_EQ(static_cast<int>(heard->dSeconds), nSeconds);
    const ProgramRun header = RunProgram({"/usr/bin/soxi", "-D", message->sFile});
    EXPECT_NEAR(std::stod(header.out), heard->dSeconds, 0.001) << header.out;

    // Its index line holds that length.
    CDataStructureArray index;
    ASSERT_EQ(index.Load(indexFile), 1);
    const std::string name = message->sFile.substr(message->sFile.rfind('/') + 1);
    EXPECT_EQ(index.GetAt(0).m_sFile, name);
    EXPECT_EQ(index.GetAt(0).m_nLength, nSeconds);
    EXPECT_NE(index.GetAt(0).m_sNumber.find(numberPart), std::string::npos)
        << index.GetAt(0).m_sNumber;
}
