#include "FarEnd.h"

#include <gtest/gtest.h>

#include <cstdlib>

CFarEnd::CFarEnd(const std::string& sFolder, const std::string& sPlayFile,
                 const std::string& sRecordFile) {
    std::string ready;
    EXPECT_TRUE(m_program.Start({BuiltProgram("sip_far_end"), sFolder, sPlayFile, sRecordFile},
                                &ready, 30000, true))
        << ready;
    EXPECT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    if (ready.rfind("ready ", 0) == 0)
        m_nPort = std::atoi(ready.c_str() + 6);
}

CFarEnd::~CFarEnd() {
    m_program.CloseInput();
    EXPECT_EQ(m_program.Wait(30000), 0);
}

std::string CFarEnd::Ask(const std::string& sCommand) {
    std::string answer;
    // The far end waits up to 30 s itself before it answers.
    if (!m_program.WriteLine(sCommand) || !m_program.ReadLine(&answer, 40000))
        return {};
    return answer;
}

bool CFarEnd::Call(const std::string& sTo, const std::string& sFrom,
                   const std::map<std::string, std::string>& headers) {
    std::string command = "call\t" + sTo + "\t" + sFrom;
    for (const auto& [name, value] : headers)
        command += "\t" + name + "\t" + value;
    return Ask(command) == "ok";
}
