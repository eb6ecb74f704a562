#include "Pty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace modemsim {

bool OpenPty(PtyPair& pty, std::string* error) {
    auto fail = [&](const char* what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        ClosePty(pty);
        return false;
    };
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0)
        return fail("posix_openpt");
    if (::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0)
        return fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(pty.master, name, sizeof name) != 0)
        return fail("ptsname_r");
    pty.slavePath = name;
    pty.slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slaveKeeper < 0)
        return fail("open slave");
    // A fresh pty echoes and edits lines; the modem's output would come back
    // to it as input before the host sets raw mode itself.
    termios tio{};
    if (::tcgetattr(pty.slaveKeeper, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(pty.slaveKeeper, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    int flags = ::fcntl(pty.master, F_GETFL);
    if (flags < 0 || ::fcntl(pty.master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    return true;
}

void ClosePty(PtyPair& pty) {
    if (pty.master >= 0)
        ::close(pty.master);
    if (pty.slaveKeeper >= 0)
        ::close(pty.slaveKeeper);
    pty.master = pty.slaveKeeper = -1;
}

} // namespace modemsim
