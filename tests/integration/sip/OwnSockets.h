// The sockets of this process as the kernel lists them (/proc/net/tcp or
// udp, and their IPv6 tables).
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

struct OwnSocket {
    std::string sAddress; // hex, as the kernel lists it ("0100007F" is 127.0.0.1)
    int nPort = 0;
    std::string sState; // "0A": a TCP socket listening
};

inline std::vector<OwnSocket> OwnSockets(const std::string& sProtocol) {
    std::set<std::string> inodes;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
        if (!ec && target.rfind("socket:[", 0) == 0)
            inodes.insert(target.substr(8, target.size() - 9));
    }
    std::vector<OwnSocket> found;
    for (const std::string& table : {"/proc/net/" + sProtocol, "/proc/net/" + sProtocol + "6"}) {
        std::ifstream f(table);
        std::string line;
        std::getline(f, line); // the heading
        while (std::getline(f, line)) {
            std::istringstream in(line);
            std::string field[10]; // slot, local, remote, state ... inode
            for (std::string& s : field)
                in >> s;
            const size_t colon = field[1].rfind(':');
            if (colon != std::string::npos && inodes.count(field[9]))
                found.push_back({field[1].substr(0, colon),
                                 std::stoi(field[1].substr(colon + 1), nullptr, 16), field[3]});
        }
    }
    return found;
}
