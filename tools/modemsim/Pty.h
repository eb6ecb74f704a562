// A pseudo-terminal pair for the simulator: the master is served by the
// simulator, the slave path is handed to the program under test.
#pragma once

#include <string>

namespace modemsim {

struct PtyPair {
    int master = -1;
    // The simulator keeps the slave open as well, so the master never sees a
    // hang-up while the host has the port closed (and would spin in poll()).
    int slaveKeeper = -1;
    std::string slavePath;
};

// Opens a pair with the slave in raw mode (no echo, no line editing), the
// master non-blocking. False with *error set on failure.
bool OpenPty(PtyPair& pty, std::string* error);
void ClosePty(PtyPair& pty);

} // namespace modemsim
