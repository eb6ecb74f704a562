// vorella-tool: inspect and exercise Vorella's core from a shell.
#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"settings", "settings                  print every setting after loading", CmdSettings},
    {"defaults", "defaults                  print the shipped vorella.def", CmdDefaults},
    {"profile", "profile NAME              print the command profile of a modem", CmdProfile},
    {"modem-type", "modem-type NAME           print the type code of a modem name", CmdModemType},
    {"diagnose", "diagnose COMn|DEVICE      probe the modem and print the diagnostics report", CmdDiagnose},
    {"index", "index FOLDER              list the calls of a call folder", CmdIndex},
    {"export-xml", "export-xml FOLDER OUT.xml  export a call folder as an XML call list", CmdExportXml},
    {"mail", "mail --test TO [--ca PEM]  send a test notice by SMTP, print the last reply", CmdMail},
};

int Usage() {
    std::fprintf(stderr, "usage: vorella-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(stderr, "  %s\n", c.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands)
        if (std::strcmp(argv[1], c.name) == 0)
            return c.run(args);
    std::fprintf(stderr, "vorella-tool: unknown command '%s'\n", argv[1]);
    return Usage();
}
