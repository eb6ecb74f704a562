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
    {"strings", "strings                   print the template of the messages' translations",
     CmdStrings},
    {"profile", "profile NAME              print the command profile of a modem", CmdProfile},
    {"modem-type", "modem-type NAME           print the type code of a modem name", CmdModemType},
    {"index", "index FOLDER              list the calls of a call folder", CmdIndex},
    {"export-xml", "export-xml FOLDER OUT.xml  export a call folder as an XML call list",
     CmdExportXml},
    {"mail", "mail --test TO [--ca PEM]  send a test notice by SMTP, print the last reply",
     CmdMail},
    {"diagnose", "diagnose COMn|DEVICE      probe the modem and print the diagnostics report",
     CmdDiagnose},
    {"encode", "encode --id ID [--bits B] IN.wav OUT.raw   WAV to modem voice data", CmdEncode},
    {"decode", "decode --id ID [--bits B] [--rate R] IN.raw OUT.wav   modem voice data to WAV",
     CmdDecode},
    {"gsmwav", "gsmwav IN.wav OUT.wav     store a PCM WAV file as GSM 6.10", CmdGsmWav},
    {"sound-devices", "sound-devices             list the sound backend's devices",
     CmdSoundDevices},
    {"play", "play FILE.wav             play a WAV file on the sound card", CmdPlay},
    {"record", "record OUT.wav SECONDS [--gsm]   record from the sound card", CmdRecord},
    {"lines", "lines [--simulated]       list the telephony lines and whether they open", CmdLines},
    {"contacts",
     "contacts import FILE      add the contacts of a vCard or CSV file (all or none)\n"
     "  contacts export FILE      write the contacts as vCard 4.0, as CSV for FILE.csv\n"
     "  contacts list             list the contacts and their lists\n"
     "  contacts block|permit NUMBER   put the number's contact on the block or permit list",
     CmdContacts},
    {"history", "history [--missed|--blocked] [--page N]   list the calls, newest first",
     CmdHistory},
    {"web-password",
     "web-password [--random]   set the web page's password (from standard input, or made\n"
     "                            and printed)",
     CmdWebPassword},
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
