// The far end of a test call in a process of its own, so that its SIP stack
// shares nothing with the line's: the library keeps process-wide caches
// that are not safe for two stacks on two threads.
//
// Usage: sip_far_end FOLDER PLAY-FILE RECORD-FILE
// It says "ready PORT", then answers each line of its standard input with
// one line:
//   call TO FROM [NAME VALUE]...   (tab-separated) -> ok | failed
//   connected | ended              (waits up to 30 s) -> yes | no
//   hangup | keys KEYS             -> ok
// At the end of its input it hangs up and leaves, its recording complete.
#include "FarEnd.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t at = 0;
    for (;;) {
        size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string::npos ? tab : tab - at));
        if (tab == std::string::npos)
            return fields;
        at = tab + 1;
    }
}

std::string Answer(CFarEnd& far, const std::vector<std::string>& f) {
    if (f[0] == "call" && f.size() >= 3 && f.size() % 2 == 1) {
        std::map<std::string, std::string> headers;
        for (size_t i = 3; i + 1 < f.size(); i += 2)
            headers[f[i]] = f[i + 1];
        return far.Call(f[1], f[2], headers) ? "ok" : "failed";
    }
    if (f[0] == "connected")
        return far.WaitConnected() ? "yes" : "no";
    if (f[0] == "ended")
        return far.WaitEnded() ? "yes" : "no";
    if (f[0] == "hangup") {
        far.HangUp();
        return "ok";
    }
    if (f[0] == "keys" && f.size() == 2) {
        far.SendKeys(f[1]);
        return "ok";
    }
    return "unknown";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: sip_far_end FOLDER PLAY-FILE RECORD-FILE\n";
        return 2;
    }
    // The library logs to standard output: the answers get a descriptor of
    // their own, and everything else goes to standard error.
    FILE* answers = ::fdopen(::dup(STDOUT_FILENO), "w");
    if (answers == nullptr || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 1;
    CFarEnd far(argv[1], argv[2], argv[3]);
    std::fprintf(answers, "ready %d\n", far.Port());
    std::fflush(answers);
    std::string line;
    while (std::getline(std::cin, line)) {
        std::fprintf(answers, "%s\n", Answer(far, Fields(line)).c_str());
        std::fflush(answers);
    }
    far.HangUp();
    return 0;
}
