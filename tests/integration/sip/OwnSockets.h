// The sockets of this process as the kernel's own tool lists them (ss).
#pragma once

#include "ChildProcess.h"

#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

// "PROTOCOL STATE LOCAL-ADDRESS:PORT" for each of them ("tcp LISTEN
// 127.0.0.1:5060"); an address on every interface is "0.0.0.0" or "*".
inline std::vector<std::string> OwnSockets() {
    const ProgramRun ss = RunProgram({"ss", "-Hanp", "-A", "inet"});
    std::vector<std::string> own;
    std::istringstream lines(ss.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string protocol, state, nRecv, nSend, local;
        in >> protocol >> state >> nRecv >> nSend >> local;
        if (line.find("pid=" + std::to_string(::getpid()) + ",") != std::string::npos)
            own.push_back(protocol + " " + state + " " + local);
    }
    return own;
}
