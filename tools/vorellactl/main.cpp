// vorellactl: drives a running Vorella from the command line and from scripts.
#include "ControlClient.h"

#include "app/CommBlock.h"
#include "app/CommDll.h"
#include "app/ExternalControl.h"
#include "engine/DiagnosticsRun.h"
#include "platform/TickCount.h"
#include "screening/Contact.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Args = std::vector<std::string>;

constexpr uint32_t kDefaultTimeoutMs = 15000;
// The longest a diagnostics run may take.
constexpr uint32_t kDiagnoseMs = 120000;

int Usage() {
    std::fprintf(
        stderr, "usage: vorellactl [--timeout MS] COMMAND [ARGS]\n"
                "\n"
                "commands:\n"
                "  status                        whether monitoring runs and a call is active\n"
                "  monitor on|off                switch monitoring on or off\n"
                "  record                        record the current call\n"
                "  stop                          stop recording\n"
                "  hangup                        stop the current call\n"
                "  caller [--name NAME] [--number NUMBER] [--text TEXT]\n"
                "                                show the caller fields, or set those given\n"
                "  file [NAME]                   show the current file name, or set it\n"
                "  play FILE                     play FILE through the line\n"
                "  dial NUMBER [--speak SECONDS] dial NUMBER; with --speak keep the line for\n"
                "                                talking and pause monitoring after SECONDS\n"
                "  answer                        answer the ringing call at the PC (a SIP line)\n"
                "  talk [off]                    take the call in progress to the PC; 'off'\n"
                "                                ends talking and hangs up\n"
                "  block [NUMBER]                block the caller of NUMBER (default: the last\n"
                "                                caller)\n"
                "  permit NUMBER                 always let NUMBER through\n"
                "  screening [on|off]            switch call screening on or pause it; alone,\n"
                "                                say whether it is on\n"
                "  diagnose                      probe the modem and print the diagnostics\n"
                "                                report\n"
                "  show                          show the main window\n"
                "  quit                          make Vorella exit\n"
                "\n"
                "exit codes: 0 done, 1 Vorella did not do it, 2 bad command line,\n"
                "3 Vorella is not running, 4 no answer in time, 5 access refused, 6 other error\n");
    return kExitUsage;
}

int BadArgs(const char* what) {
    std::fprintf(stderr, "vorellactl: %s\n", what);
    return kExitUsage;
}

int Report(const CtlOutcome& out) {
    if (out.nExit != kExitOk)
        std::fprintf(stderr, "vorellactl: %s\n", out.sError.c_str());
    return out.nExit;
}

// Checks that text fits its field of the block.
bool Fits(const std::string& text, CommBlock::StringField field, const char* what) {
    if (text.size() <= CommBlock::MaxChars(field))
        return true;
    std::fprintf(stderr, "vorellactl: the %s is too long (at most %zu bytes)\n", what,
                 CommBlock::MaxChars(field));
    return false;
}

// Vorella runs in its own folder; a relative name means ours.
std::string Absolute(const std::string& name) {
    if (name.empty() || name[0] == '/')
        return name;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd))
        return name;
    return std::string(cwd) + "/" + name;
}

CommBlockData Command(CommCommand code) {
    CommBlockData d;
    d.nCommand = static_cast<int32_t>(code);
    return d;
}

// Connects and runs one command.
CtlOutcome Run(uint32_t timeoutMs, const CommBlockData& request, bool bReply) {
    CControlClient client(timeoutMs);
    CtlOutcome out = client.Connect();
    return out.nExit == kExitOk ? client.Call(request, bReply) : out;
}

int CmdStatus(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("status takes no arguments");
    CControlClient client(timeoutMs);
    CtlOutcome out = client.Connect();
    if (out.nExit == kExitOk)
        out = client.Call(Command(CommCommand::GetMonitoring), true);
    if (out.nExit != kExitOk)
        return Report(out);
    const bool monitoring = out.reply.nParam1 != 0;
    const std::string unavailable = out.reply.sText;
    out = client.Call(Command(CommCommand::GetCallActive), true);
    if (out.nExit != kExitOk)
        return Report(out);
    std::printf("monitoring: %s\ncall: %s\n", monitoring ? "on" : "off",
                out.reply.nParam2 != 0 ? "active" : "none");
    // Only a device that cannot take calls has more to say.
    if (!unavailable.empty())
        std::printf("line: %s\n", unavailable.c_str());
    return kExitOk;
}

int CmdMonitor(const Args& args, uint32_t timeoutMs) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return BadArgs("monitor takes 'on' or 'off'");
    CommBlockData d = Command(CommCommand::SetMonitoring);
    d.nParam1 = args[0] == "on" ? 1 : 0;
    return Report(Run(timeoutMs, d, false));
}

int CmdRecord(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("record takes no arguments");
    CommBlockData d = Command(CommCommand::RecordOrStop);
    d.nParam2 = 1;
    return Report(Run(timeoutMs, d, false));
}

int CmdHangUp(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("hangup takes no arguments");
    CommBlockData d = Command(CommCommand::RecordOrStop);
    d.nParam2 = 0;
    return Report(Run(timeoutMs, d, false));
}

int CmdStop(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("stop takes no arguments");
    return Report(Run(timeoutMs, Command(CommCommand::StopRecording), false));
}

int CmdCaller(const Args& args, uint32_t timeoutMs) {
    const std::string* name = nullptr;
    const std::string* number = nullptr;
    const std::string* text = nullptr;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return BadArgs("caller options need a value");
        if (args[i] == "--name")
            name = &args[i + 1];
        else if (args[i] == "--number")
            number = &args[i + 1];
        else if (args[i] == "--text")
            text = &args[i + 1];
        else
            return BadArgs("caller takes --name, --number and --text");
    }
    if ((name && !Fits(*name, CommBlock::kName, "name")) ||
        (number && !Fits(*number, CommBlock::kNumber, "number")) ||
        (text && !Fits(*text, CommBlock::kText, "text")))
        return kExitUsage;

    CControlClient client(timeoutMs);
    CtlOutcome out = client.Connect();
    if (out.nExit == kExitOk)
        out = client.Call(Command(CommCommand::GetCaller), true);
    if (out.nExit != kExitOk)
        return Report(out);
    if (!name && !number && !text) {
        std::printf("name: %s\nnumber: %s\ntext: %s\n", out.reply.sName.c_str(),
                    out.reply.sNumber.c_str(), out.reply.sText.c_str());
        return kExitOk;
    }
    // The command sets all three fields; keep the ones not given. The block
    // stays locked in between, so no other program slips in.
    CommBlockData d = Command(CommCommand::SetCaller);
    d.sName = name ? *name : out.reply.sName;
    d.sNumber = number ? *number : out.reply.sNumber;
    d.sText = text ? *text : out.reply.sText;
    return Report(client.Call(d, false));
}

int CmdFile(const Args& args, uint32_t timeoutMs) {
    if (args.size() > 1)
        return BadArgs("file takes at most one name");
    if (args.empty()) {
        CtlOutcome out = Run(timeoutMs, Command(CommCommand::GetFile), true);
        if (out.nExit == kExitOk)
            std::printf("%s\n", out.reply.sFile.c_str());
        return Report(out);
    }
    CommBlockData d = Command(CommCommand::SetFile);
    d.sFile = Absolute(args[0]);
    if (!Fits(d.sFile, CommBlock::kFile, "file name"))
        return kExitUsage;
    return Report(Run(timeoutMs, d, false));
}

int CmdPlay(const Args& args, uint32_t timeoutMs) {
    if (args.size() != 1 || args[0].empty())
        return BadArgs("play takes one file name");
    CommBlockData d = Command(CommCommand::PlayFile);
    d.sFile = Absolute(args[0]);
    if (!Fits(d.sFile, CommBlock::kFile, "file name"))
        return kExitUsage;
    if (::access(d.sFile.c_str(), R_OK) != 0) {
        std::fprintf(stderr, "vorellactl: cannot read %s\n", d.sFile.c_str());
        return kExitUsage;
    }
    return Report(Run(timeoutMs, d, false));
}

int CmdDial(const Args& args, uint32_t timeoutMs) {
    if (args.empty() || args[0].empty() || args[0].rfind("--", 0) == 0)
        return BadArgs("dial takes a number");
    CommBlockData d = Command(CommCommand::Dial);
    d.sNumber = args[0];
    if (!Fits(d.sNumber, CommBlock::kNumber, "number"))
        return kExitUsage;
    if (args.size() == 3 && args[1] == "--speak") {
        char* end = nullptr;
        long seconds = std::strtol(args[2].c_str(), &end, 10);
        if (args[2].empty() || *end != '\0' || seconds < 1 ||
            seconds > static_cast<long>(CCommDll::kMaxSpeakSeconds))
            return BadArgs("--speak takes a number of seconds from 1 to 86400");
        d.nCommand = static_cast<int32_t>(CommCommand::DialAndSpeak);
        d.sText = std::to_string(seconds);
    } else if (args.size() != 1) {
        return BadArgs("usage: dial NUMBER [--speak SECONDS]");
    }
    return Report(Run(timeoutMs, d, false));
}

// Codes 14 and 15 answer whether the line did it.
int TalkReport(const CtlOutcome& out, const char* noCall) {
    if (out.nExit != kExitOk)
        return Report(out);
    switch (static_cast<TalkOutcome>(out.reply.nParam2)) {
    case TalkOutcome::Done:
        return kExitOk;
    case TalkOutcome::NoCall:
        std::fprintf(stderr, "vorellactl: %s\n", noCall);
        return kExitRejected;
    case TalkOutcome::CannotTalk:
        std::fprintf(stderr, "vorellactl: this line cannot talk at the PC (only a telephony "
                             "line, such as a SIP account, can)\n");
        return kExitRejected;
    }
    std::fprintf(stderr, "vorellactl: Vorella answered %d\n", out.reply.nParam2);
    return kExitFailed;
}

int CmdAnswer(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("answer takes no arguments");
    return TalkReport(Run(timeoutMs, Command(CommCommand::AnswerAtPc), true),
                      "no call is ringing");
}

int CmdTalk(const Args& args, uint32_t timeoutMs) {
    if (args.size() > 1 || (args.size() == 1 && args[0] != "off"))
        return BadArgs("talk takes nothing or 'off'");
    CommBlockData d = Command(CommCommand::TalkAtPc);
    d.nParam1 = args.empty() ? 1 : 0;
    return TalkReport(Run(timeoutMs, d, true), args.empty() ? "no call to take to the PC"
                                                            : "no call is being talked at the PC");
}

// Codes 16 and 17 answer with what was done, or why not.
int ScreeningReport(const CtlOutcome& out, bool bDone) {
    if (out.nExit != kExitOk)
        return Report(out);
    if (!bDone) {
        std::fprintf(stderr, "vorellactl: %s\n", out.reply.sText.c_str());
        return kExitRejected;
    }
    std::printf("%s\n", out.reply.sText.c_str());
    return kExitOk;
}

int PutOnList(const std::string& number, ContactList list, uint32_t timeoutMs) {
    CommBlockData d = Command(CommCommand::PutOnList);
    d.sNumber = number;
    d.nParam1 = static_cast<int32_t>(list);
    if (!Fits(d.sNumber, CommBlock::kNumber, "number"))
        return kExitUsage;
    const CtlOutcome out = Run(timeoutMs, d, true);
    return ScreeningReport(out, out.reply.nParam2 == 1);
}

int CmdBlock(const Args& args, uint32_t timeoutMs) {
    if (args.size() > 1 || (args.size() == 1 && args[0].empty()))
        return BadArgs("block takes nothing (the last caller) or a number");
    return PutOnList(args.empty() ? "" : args[0], ContactList::Block, timeoutMs);
}

int CmdPermit(const Args& args, uint32_t timeoutMs) {
    if (args.size() != 1 || args[0].empty())
        return BadArgs("permit takes a number");
    return PutOnList(args[0], ContactList::Permit, timeoutMs);
}

int CmdScreening(const Args& args, uint32_t timeoutMs) {
    if (args.size() > 1 || (args.size() == 1 && args[0] != "on" && args[0] != "off"))
        return BadArgs("screening takes nothing, 'on' or 'off'");
    CommBlockData d = Command(CommCommand::ScreeningSwitch);
    d.nParam1 = args.empty() ? 0 : args[0] == "on" ? 1 : 2;
    const CtlOutcome out = Run(timeoutMs, d, true);
    const bool on = out.reply.nParam2 == 1;
    if (args.empty()) {
        if (out.nExit == kExitOk)
            std::printf("screening: %s\n", on ? "on" : "paused");
        return Report(out);
    }
    return ScreeningReport(out, on == (args[0] == "on"));
}

// The modem's answers as a terminal may show them: line ends as the
// terminal's, other control characters (a modem's noise) as "?".
std::string PrintableReport(const std::string& report) {
    std::string out;
    for (char c : report) {
        if (c == '\r')
            continue;
        const unsigned char u = static_cast<unsigned char>(c);
        out += (u < 0x20 && c != '\n' && c != '\t') || u == 0x7F ? '?' : c;
    }
    return out;
}

int CmdDiagnose(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("diagnose takes no arguments");
    CControlClient client(timeoutMs);
    CtlOutcome out = client.Connect();
    CommBlockData d = Command(CommCommand::Diagnostics);
    d.nParam1 = 1;
    if (out.nExit == kExitOk)
        out = client.Call(d, true);
    // Fourteen probes of at most 1.5 s each, and the modem's set-up after
    // them; the time-out is for each answer, which comes at once.
    const uint32_t start = GetTickCount();
    const uint32_t limit = std::max<uint32_t>(timeoutMs, kDiagnoseMs);
    d.nParam1 = 0;
    while (out.nExit == kExitOk &&
           out.reply.nParam1 == static_cast<int32_t>(DiagnosticsState::Running)) {
        if (GetTickCount() - start > limit) {
            out.nExit = kExitNoReply;
            out.sError = "the diagnostics did not end in time";
            break;
        }
        SleepMs(200);
        out = client.Call(d, true);
    }
    if (out.nExit != kExitOk)
        return Report(out);
    switch (static_cast<DiagnosticsState>(out.reply.nParam1)) {
    case DiagnosticsState::Done:
        break;
    case DiagnosticsState::NoModem:
        std::fprintf(stderr, "vorellactl: Vorella has no open modem to diagnose (monitoring "
                             "is off, or the modem's port cannot be opened)\n");
        return kExitRejected;
    case DiagnosticsState::Busy:
        std::fprintf(stderr, "vorellactl: the line is busy with a call; try again after it\n");
        return kExitRejected;
    default:
        std::fprintf(stderr, "vorellactl: Vorella answered state %d\n", out.reply.nParam1);
        return kExitFailed;
    }
    std::string report;
    out = client.ReadReport(&report);
    if (out.nExit != kExitOk)
        return Report(out);
    std::fputs(PrintableReport(report).c_str(), stdout);
    return kExitOk;
}

int CmdShow(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("show takes no arguments");
    return Report(CControlClient(timeoutMs).Ask("show"));
}

int CmdQuit(const Args& args, uint32_t timeoutMs) {
    if (!args.empty())
        return BadArgs("quit takes no arguments");
    return Report(Run(timeoutMs, Command(CommCommand::Exit), false));
}

struct CtlCommand {
    const char* name;
    int (*run)(const Args&, uint32_t);
};

constexpr CtlCommand kCommands[] = {
    {"status", CmdStatus}, {"monitor", CmdMonitor},     {"record", CmdRecord},
    {"stop", CmdStop},     {"hangup", CmdHangUp},       {"caller", CmdCaller},
    {"file", CmdFile},     {"play", CmdPlay},           {"dial", CmdDial},
    {"show", CmdShow},     {"quit", CmdQuit},           {"diagnose", CmdDiagnose},
    {"answer", CmdAnswer}, {"talk", CmdTalk},           {"block", CmdBlock},
    {"permit", CmdPermit}, {"screening", CmdScreening},
};

} // namespace

int main(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    uint32_t timeoutMs = kDefaultTimeoutMs;
    if (args.size() >= 2 && args[0] == "--timeout") {
        char* end = nullptr;
        unsigned long ms = std::strtoul(args[1].c_str(), &end, 10);
        if (args[1].empty() || *end != '\0' || ms == 0 || ms > 600000)
            return BadArgs("--timeout takes milliseconds from 1 to 600000");
        timeoutMs = static_cast<uint32_t>(ms);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h")
        return Usage();
    for (const CtlCommand& c : kCommands)
        if (args[0] == c.name)
            return c.run(Args(args.begin() + 1, args.end()), timeoutMs);
    std::fprintf(stderr, "vorellactl: unknown command '%s'\n", args[0].c_str());
    return Usage();
}
