#include "Script.h"

#include "SimServer.h"
#include "adapter/AdapterDeviceLayer.h"
#include "adapter/AdapterEvents.h"
#include "adapter/AdapterWire.h"
#include "audio/WaveFile.h"

#include <chrono>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

constexpr auto kWaitLimit = std::chrono::seconds(30);

struct VerbRow {
    const char* szVerb;
    size_t nMinArgs;
    size_t nMaxArgs;
};

constexpr VerbRow kVerbs[] = {
    {"wait", 1, 1},  {"sleep", 1, 1},  {"ring", 0, 0},       {"caller-id", 1, 300},
    {"keys", 1, 1},  {"local", 1, 1},  {"busy", 0, 0},       {"dial-tone", 0, 0},
    {"event", 2, 2}, {"sound", 1, 1},  {"open-works", 2, 2}, {"repeat", 0, 0},
};

[[noreturn]] void Fail(const ScriptStep& step, const std::string& why) {
    throw std::runtime_error("line " + std::to_string(step.nLine) + " (" + step.sVerb +
                             "): " + why);
}

int Number(const ScriptStep& step, const std::string& s) {
    try {
        size_t used = 0;
        int n = std::stoi(s, &used);
        if (used == s.size())
            return n;
    } catch (const std::logic_error&) {
    }
    Fail(step, "not a number: " + s);
}

void Send(const ScriptStep& step, ScriptContext& ctx, const std::string& line) {
    if (!ctx.server.Send(line))
        Fail(step, "no program connected");
}

void WaitFor(const ScriptStep& step, const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            Fail(step, "timed out");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void PlaySound(const ScriptStep& step, ScriptContext& ctx) {
    CWaveFile wav;
    if (!wav.Open(step.args[0]))
        Fail(step, wav.LastError());
    const WaveFormat& f = wav.Format();
    if (!f.IsPcm() || f.nSamplesPerSec != 8000)
        Fail(step, step.args[0] + " is not PCM at 8000 samples/s");
    std::vector<int16_t> chunk(kWireSoundChunk);
    auto next = std::chrono::steady_clock::now();
    while (size_t n = wav.ReadSamples(chunk.data(), chunk.size())) {
        Send(step, ctx, WireSound("sound", chunk.data(), n));
        if (ctx.bPaced) {
            next += std::chrono::milliseconds(n / 8);
            std::this_thread::sleep_until(next);
        }
    }
}

} // namespace

std::vector<ScriptStep> ParseScript(const std::string& text) {
    std::vector<ScriptStep> steps;
    std::istringstream in(text);
    std::string line;
    int nLine = 0;
    while (std::getline(in, line)) {
        ++nLine;
        std::istringstream words(line);
        ScriptStep step;
        step.nLine = nLine;
        if (!(words >> step.sVerb) || step.sVerb[0] == '#')
            continue;
        for (std::string w; words >> w;)
            step.args.push_back(w);
        bool bKnown = false;
        for (const VerbRow& row : kVerbs) {
            if (step.sVerb == row.szVerb) {
                bKnown = step.args.size() >= row.nMinArgs && step.args.size() <= row.nMaxArgs;
                break;
            }
        }
        if (!bKnown)
            throw std::invalid_argument("line " + std::to_string(nLine) + ": not a step: " +
                                        line);
        steps.push_back(std::move(step));
    }
    return steps;
}

void RunStep(const ScriptStep& step, ScriptContext& ctx) {
    const std::string& verb = step.sVerb;
    CSimulatedAdapter& sim = *ctx.sim;
    if (verb == "wait") {
        const std::string& what = step.args[0];
        if (what == "open")
            WaitFor(step, [&] { return sim.IsOpen(); });
        else if (what == "off-hook")
            WaitFor(step, [&] { return sim.IsOffHook(); });
        else if (what == "on-hook")
            WaitFor(step, [&] { return !sim.IsOffHook(); });
        else
            Fail(step, "wait for what: " + what);
    } else if (verb == "sleep") {
        std::this_thread::sleep_for(std::chrono::milliseconds(Number(step, step.args[0])));
    } else if (verb == "ring") {
        Send(step, ctx, WireEvent(kAdEvIncomingCall, 0));
    } else if (verb == "caller-id") {
        std::string bytes;
        for (const std::string& b : step.args) {
            if (b.size() != 2)
                Fail(step, "not a byte: " + b);
            try {
                bytes += static_cast<char>(std::stoi(b, nullptr, 16));
            } catch (const std::logic_error&) {
                Fail(step, "not a byte: " + b);
            }
        }
        Send(step, ctx, WireText(kAdTextCallerId, 0, bytes));
    } else if (verb == "keys") {
        for (char c : step.args[0]) {
            int p = AdapterKeyParam(c);
            if (p < 0)
                Fail(step, std::string("not a key: ") + c);
            Send(step, ctx, WireEvent(kAdEvKey, p));
        }
    } else if (verb == "local") {
        if (step.args[0] != "off-hook" && step.args[0] != "on-hook")
            Fail(step, "local off-hook or on-hook");
        Send(step, ctx,
             WireEvent(step.args[0] == "off-hook" ? kAdEvLocalOffHook : kAdEvLocalOnHook, 0));
    } else if (verb == "busy") {
        Send(step, ctx, WireEvent(kAdEvBusy, 0));
    } else if (verb == "dial-tone") {
        Send(step, ctx, WireEvent(kAdEvDialTone, 0));
    } else if (verb == "event") {
        Send(step, ctx, WireEvent(Number(step, step.args[0]), Number(step, step.args[1])));
    } else if (verb == "sound") {
        PlaySound(step, ctx);
    } else if (verb == "repeat") {
        // Only a mark: the runner starts each further round after it.
    } else if (verb == "open-works") {
        sim.SetOpenWorks(Number(step, step.args[0]) != 0, Number(step, step.args[1]) != 0);
    }
}
