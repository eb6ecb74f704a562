// web-password: sets the web page's login password, read from standard
// input (asked twice without echo on a terminal), or made at random and
// printed (--random, for a demonstration). Only its argon2id hash is stored,
// in the settings file, which is then readable by its owner only.
#include "Commands.h"

#include "web/Password.h"
#include "web/WebSettings.h"

#include <cstdio>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {

// One line of standard input without its line end; echo off on a terminal.
bool ReadPassword(const char* prompt, bool bTerminal, std::string* pLine) {
    termios saved{};
    if (bTerminal) {
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const bool ok = static_cast<bool>(std::getline(std::cin, *pLine));
    if (bTerminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    if (!pLine->empty() && pLine->back() == '\r')
        pLine->pop_back();
    return ok;
}

} // namespace

int CmdWebPassword(const Args& args) {
    const bool bRandom = args.size() == 1 && args[0] == "--random";
    if (!args.empty() && !bRandom) {
        std::fprintf(stderr, "usage: vorella-tool web-password [--random]\n");
        return 2;
    }
    const bool bTerminal = !bRandom && isatty(STDIN_FILENO) != 0;
    std::string password;
    if (bRandom) {
        password = RandomWebPassword();
    } else if (!ReadPassword("New password for the web page: ", bTerminal, &password)) {
        std::fprintf(stderr, "vorella-tool: no password on standard input\n");
        return 1;
    }
    if (password.size() < kMinWebPasswordLength || password.size() > kMaxWebPasswordLength) {
        std::fprintf(stderr, "vorella-tool: the password must have %zu to %zu characters\n",
                     kMinWebPasswordLength, kMaxWebPasswordLength);
        return 1;
    }
    std::string again;
    if (bTerminal && (!ReadPassword("The same again: ", true, &again) || again != password)) {
        std::fprintf(stderr, "vorella-tool: the two passwords differ; nothing changed\n");
        return 1;
    }
    const std::string hash = HashWebPassword(password);
    if (hash.empty() || !StoreWebPasswordHash(hash)) {
        std::fprintf(stderr, "vorella-tool: the password could not be stored\n");
        return 1;
    }
    if (bRandom)
        std::printf("%s\n", password.c_str());
    else
        std::printf("The web page's password is set.\n");
    return 0;
}
