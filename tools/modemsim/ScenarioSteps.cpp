#include "ScenarioSteps.h"

#include "WavFile.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace modemsim {

namespace {

bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

// Blank-separated words; double quotes group blanks into a word; backslash
// escapes are decoded afterwards by DecodeEscapes.
bool ToInt(const std::string& s, long min, long max, long& out) {
    if (s.empty() || s.size() > 10)
        return false;
    size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size() || !std::all_of(s.begin() + static_cast<long>(i), s.end(), ::isdigit))
        return false;
    out = std::stol(s);
    return out >= min && out <= max;
}

constexpr long kMaxMs = 24L * 3600 * 1000;

// Reads a numeric option or argument, with its name in the error.
struct Num {
    const char* what;
    long min, max;
    bool Get(const std::string& s, long& out, std::string* error) const {
        if (!ToInt(s, min, max, out))
            return Fail(error, StrPrintf("%s must be a number from %ld to %ld, not \"%s\"", what,
                                         min, max, s.c_str()));
        return true;
    }
};

bool Option(const ScenarioWords& t, const char* key, const Num& num, long& out,
            std::string* error) {
    auto it = t.options.find(key);
    return it == t.options.end() || num.Get(it->second, out, error);
}

bool OnlyOptions(const ScenarioWords& t, std::initializer_list<const char*> allowed,
                 std::string* error) {
    for (const auto& option : t.options) {
        const std::string& key = option.first;
        if (std::find_if(allowed.begin(), allowed.end(), [&](const char* a) { return key == a; }) ==
            allowed.end())
            return Fail(error, "unknown option \"" + key + "\"");
    }
    return true;
}

bool Arity(const ScenarioWords& t, size_t min, size_t max, std::string* error) {
    if (t.args.size() < min || t.args.size() > max)
        return Fail(error, min == max ? StrPrintf("takes %zu argument(s)", min)
                                      : StrPrintf("takes %zu to %zu arguments", min, max));
    return true;
}

using Run = std::function<bool(ScenarioContext&, std::string*)>;
ScenarioStep Step(Run run) {
    ScenarioStep s;
    s.run = std::move(run);
    return s;
}

bool Stopped(const ScenarioContext& c) {
    return c.stop && c.stop->load();
}

// Waits in slices so that a stop request ends a long wait quickly.
template <class Wait>
bool SlicedWait(ScenarioContext& c, long timeoutMs, Wait wait) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Stopped(c)) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        int slice = static_cast<int>(std::clamp<long>(left.count(), 0, 200));
        if (wait(slice))
            return true;
        if (left.count() <= 0)
            return false;
    }
    return false;
}

std::string PathIn(const ScenarioContext& c, const std::string& name) {
    if (name.empty() || name[0] == '/' || c.baseDir.empty())
        return name;
    return c.baseDir + "/" + name;
}

std::optional<ScenarioStep> BuildCallerId(const ScenarioWords& t, std::string* error) {
    static const std::map<std::string, CallerIdForm> kForms = {
        {"formatted", CallerIdForm::Formatted},
        {"unformatted", CallerIdForm::Unformatted},
        {"hardware", CallerIdForm::HardwareDigits},
        {"none", CallerIdForm::None}};
    if (!Arity(t, 1, 1, error) ||
        !OnlyOptions(t, {"date", "time", "number", "name", "message"}, error))
        return std::nullopt;
    auto form = kForms.find(ToLowerAscii(t.args[0]));
    if (form == kForms.end()) {
        Fail(error, "the form is formatted, unformatted, hardware or none");
        return std::nullopt;
    }
    CallerId id;
    auto get = [&](const char* key) {
        return t.options.count(key) ? t.options.at(key) : std::string();
    };
    id.date = get("date");
    id.time = get("time");
    id.number = get("number");
    id.name = get("name");
    id.message = get("message");
    CallerIdForm f = form->second;
    return Step([id, f](ScenarioContext& c, std::string*) {
        c.sim.SetCallerId(id, f);
        return true;
    });
}

std::optional<ScenarioStep> BuildRing(const ScenarioWords& t, std::string* error) {
    long count = 0, period = RingCadence().periodMs, cid = RingCadence().callerIdDelayMs;
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {"period", "cid-delay", "word"}, error) ||
        !Num{"the ring count", 0, 1000}.Get(t.args[0], count, error) ||
        !Option(t, "period", Num{"period", 10, kMaxMs}, period, error) ||
        !Option(t, "cid-delay", Num{"cid-delay", 0, kMaxMs}, cid, error))
        return std::nullopt;
    RingCadence cadence{static_cast<int>(period), static_cast<int>(cid)};
    std::string word = t.options.count("word") ? t.options.at("word") : "RING";
    if (word.empty() || word.size() > 32 ||
        !std::all_of(word.begin(), word.end(), [](char ch) { return ch > 0x20 && ch < 0x7F; })) {
        Fail(error, "word is 1 to 32 printable characters");
        return std::nullopt;
    }
    return Step([count, cadence, word](ScenarioContext& c, std::string*) {
        c.sim.Ring(static_cast<int>(count), cadence, word);
        return true;
    });
}

std::optional<ScenarioStep> BuildDialResult(const ScenarioWords& t, std::string* error) {
    static const char* kWords[] = {"OK",        "VCON",       "CONNECT",     "BUSY",
                                   "NO ANSWER", "NO CARRIER", "NO DIAL TONE"};
    long delay = 0;
    if (!Arity(t, 1, 3, error) || !OnlyOptions(t, {"delay"}, error) ||
        !Option(t, "delay", Num{"delay", 0, kMaxMs}, delay, error))
        return std::nullopt;
    std::string word;
    for (const std::string& a : t.args) {
        if (!word.empty())
            word += ' ';
        word += ToUpperAscii(a);
    }
    if (std::none_of(std::begin(kWords), std::end(kWords),
                     [&](const char* w) { return word == w; })) {
        Fail(error, "unknown dial result \"" + word + "\"");
        return std::nullopt;
    }
    return Step([word, delay](ScenarioContext& c, std::string*) {
        c.sim.SetDialResult(word, static_cast<int>(delay));
        return true;
    });
}

std::optional<ScenarioStep> BuildSource(const ScenarioWords& t, std::string* error) {
    if (!Arity(t, 1, 3, error))
        return std::nullopt;
    const std::string kind = ToLowerAscii(t.args[0]);
    long a = 0, b = 0, amp = 8000, freq2 = 0;
    Run run;
    if (kind == "tone") {
        if (!Arity(t, 3, 3, error) || !OnlyOptions(t, {"amp", "freq2"}, error) ||
            !Num{"the frequency", 1, 20000}.Get(t.args[1], a, error) ||
            !Num{"the length", 0, kMaxMs}.Get(t.args[2], b, error) ||
            !Option(t, "amp", Num{"amp", 0, 32767}, amp, error) ||
            !Option(t, "freq2", Num{"freq2", 0, 20000}, freq2, error))
            return std::nullopt;
        run = [=](ScenarioContext& c, std::string*) {
            c.source.Tone(static_cast<double>(a), static_cast<int>(b), static_cast<int>(amp),
                          static_cast<double>(freq2));
            return true;
        };
    } else if (kind == "silence" || kind == "noise") {
        if (!Arity(t, 2, 2, error) || !OnlyOptions(t, {"amp"}, error) ||
            !Num{"the length", 0, kMaxMs}.Get(t.args[1], b, error) ||
            !Option(t, "amp", Num{"amp", 0, 32767}, amp, error))
            return std::nullopt;
        bool noise = kind == "noise";
        run = [=](ScenarioContext& c, std::string*) {
            if (noise)
                c.source.Noise(static_cast<int>(b), static_cast<int>(amp));
            else
                c.source.Silence(static_cast<int>(b));
            return true;
        };
    } else if (kind == "wav") {
        if (!Arity(t, 2, 2, error) || !OnlyOptions(t, {}, error))
            return std::nullopt;
        std::string file = t.args[1];
        run = [file](ScenarioContext& c, std::string* err) {
            return c.source.Wav(PathIn(c, file), err);
        };
    } else if (kind == "clear") {
        if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error))
            return std::nullopt;
        run = [](ScenarioContext& c, std::string*) {
            c.source = SignalSource();
            return true;
        };
    } else {
        Fail(error, "the source is tone, silence, noise, wav or clear");
        return std::nullopt;
    }
    return Step([run](ScenarioContext& c, std::string* err) {
        if (!run(c, err))
            return false;
        c.sim.SetVoiceSource(c.source);
        return true;
    });
}

std::optional<ScenarioStep> BuildFormat(const ScenarioWords& t, std::string* error) {
    long id = 0, rate = 8000, bits = 0;
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {"rate", "bits"}, error) ||
        !Num{"the compression id", 1, 9999}.Get(t.args[0], id, error) ||
        !Option(t, "rate", Num{"rate", 4000, 48000}, rate, error) ||
        !Option(t, "bits", Num{"bits", 0, 16}, bits, error))
        return std::nullopt;
    VoiceFormat f{static_cast<int>(id), static_cast<int>(rate), static_cast<int>(bits)};
    return Step([f](ScenarioContext& c, std::string*) {
        c.sim.SetVoiceFormat(f);
        return true;
    });
}

bool EventCode(const std::string& s, char& code, std::string* error) {
    if (s.size() != 1 || static_cast<unsigned char>(s[0]) < 0x20 ||
        static_cast<unsigned char>(s[0]) > 0x7E)
        return Fail(error, "an event code is one printable character");
    code = s[0];
    return true;
}

std::optional<ScenarioStep> BuildEvent(const ScenarioWords& t, std::string* error) {
    char code = 0;
    long at = 0;
    if (!Arity(t, 2, 2, error) || !OnlyOptions(t, {}, error) ||
        !EventCode(t.args[0], code, error) || !Num{"the time", 0, kMaxMs}.Get(t.args[1], at, error))
        return std::nullopt;
    return Step([code, at](ScenarioContext& c, std::string*) {
        c.sim.InjectEvent(code, static_cast<int>(at));
        return true;
    });
}

std::optional<ScenarioStep> BuildHangup(const ScenarioWords& t, std::string* error) {
    long at = 0;
    if (!Arity(t, 1, 2, error) || !OnlyOptions(t, {}, error) ||
        !Num{"the time", 0, kMaxMs}.Get(t.args[0], at, error))
        return std::nullopt;
    char code = 'b';
    if (t.args.size() == 2) {
        std::string how = ToLowerAscii(t.args[1]);
        if (how != "busy" && how != "dialtone") {
            Fail(error, "the far end leaves busy or dialtone");
            return std::nullopt;
        }
        code = how == "busy" ? 'b' : 'd';
    }
    return Step([code, at](ScenarioContext& c, std::string*) {
        c.sim.FarEndHangsUp(static_cast<int>(at), code);
        return true;
    });
}

std::optional<ScenarioStep> BuildSend(const ScenarioWords& t, std::string* error) {
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error))
        return std::nullopt;
    std::string bytes = t.args[0];
    return Step([bytes](ScenarioContext& c, std::string*) {
        c.sim.SendRaw(bytes);
        return true;
    });
}

std::optional<ScenarioStep> BuildSendEvent(const ScenarioWords& t, std::string* error) {
    char code = 0;
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error) || !EventCode(t.args[0], code, error))
        return std::nullopt;
    return Step([code](ScenarioContext& c, std::string*) {
        c.sim.SendEventNow(code);
        return true;
    });
}

// A wait that ran out: the script's failure, or with fail=no a logged note
// and the script goes on (a line that rings again and again must not stop
// because one call was not taken).
bool WaitRanOut(ScenarioContext& c, bool mustCome, const std::string& what, std::string* err) {
    if (mustCome || Stopped(c))
        return Fail(err, what);
    if (c.log)
        *c.log << "modemsim: " << what << "; going on" << std::endl;
    return true;
}

std::optional<ScenarioStep> BuildWait(const ScenarioWords& t, std::string* error) {
    long timeout = 60000;
    if (!Arity(t, 1, 2, error) || !OnlyOptions(t, {"timeout", "fail"}, error) ||
        !Option(t, "timeout", Num{"timeout", 0, kMaxMs}, timeout, error))
        return std::nullopt;
    bool mustCome = true;
    if (auto it = t.options.find("fail"); it != t.options.end()) {
        if (it->second != "yes" && it->second != "no") {
            Fail(error, "fail is yes or no");
            return std::nullopt;
        }
        mustCome = it->second == "yes";
    }
    const std::string what = ToLowerAscii(t.args[0]);
    if (what == "command") {
        if (!Arity(t, 2, 2, error))
            return std::nullopt;
        std::string text = t.args[1];
        return Step([text, timeout, mustCome](ScenarioContext& c, std::string* err) {
            if (SlicedWait(c, timeout, [&](int ms) { return c.sim.WaitForCommand(text, ms); }))
                return true;
            return WaitRanOut(c, mustCome, "no command \"" + text + "\" came", err);
        });
    }
    if (what != "receive-end" && what != "transmit-end") {
        Fail(error, "wait for command, receive-end or transmit-end");
        return std::nullopt;
    }
    if (!Arity(t, 1, 1, error))
        return std::nullopt;
    bool receive = what == "receive-end";
    return Step([receive, timeout, what, mustCome](ScenarioContext& c, std::string* err) {
        auto wait = [&](int ms) {
            return receive ? c.sim.WaitForReceiveEnd(ms) : c.sim.WaitForTransmitEnd(ms);
        };
        if (SlicedWait(c, timeout, wait))
            return true;
        return WaitRanOut(c, mustCome, "no " + what + " came", err);
    });
}

std::optional<ScenarioStep> BuildSleep(const ScenarioWords& t, std::string* error) {
    long ms = 0;
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error) ||
        !Num{"the time", 0, kMaxMs}.Get(t.args[0], ms, error))
        return std::nullopt;
    return Step([ms](ScenarioContext& c, std::string*) {
        SlicedWait(c, ms, [](int slice) {
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
            return false;
        });
        return true;
    });
}

std::optional<ScenarioStep> BuildSaveTransmit(const ScenarioWords& t, std::string* error) {
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error))
        return std::nullopt;
    std::string file = t.args[0];
    return Step([file](ScenarioContext& c, std::string* err) {
        WavData wav{c.sim.TransmittedSamples(), c.sim.TransmittedSampleRate()};
        return WriteWav(PathIn(c, file), wav, err);
    });
}

std::optional<ScenarioStep> BuildMisbehave(const ScenarioWords& t, std::string* error) {
    static const std::map<std::string, Misbehaviour> kModes = {
        {"none", Misbehaviour::None},
        {"silent", Misbehaviour::Silent},
        {"babble", Misbehaviour::Babble},
        {"dle-storm", Misbehaviour::DleStorm},
        {"long-line", Misbehaviour::LongLine}};
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error))
        return std::nullopt;
    auto it = kModes.find(ToLowerAscii(t.args[0]));
    if (it == kModes.end()) {
        Fail(error, "misbehave none, silent, babble, dle-storm or long-line");
        return std::nullopt;
    }
    Misbehaviour m = it->second;
    return Step([m](ScenarioContext& c, std::string*) {
        c.sim.SetMisbehaviour(m);
        return true;
    });
}

std::optional<ScenarioStep> BuildVanish(const ScenarioWords& t, std::string* error) {
    if (!Arity(t, 0, 2, error) || !OnlyOptions(t, {}, error))
        return std::nullopt;
    if (t.args.empty())
        return Step([](ScenarioContext& c, std::string*) {
            c.sim.Vanish();
            return true;
        });
    const std::string how = ToLowerAscii(t.args[0]);
    if (t.args.size() == 2 && how == "on-command") {
        std::string text = t.args[1];
        return Step([text](ScenarioContext& c, std::string*) {
            c.sim.VanishOnCommand(text);
            return true;
        });
    }
    long at = 0;
    if (t.args.size() == 2 && how == "in-stream") {
        if (!Num{"the time", 0, kMaxMs}.Get(t.args[1], at, error))
            return std::nullopt;
        return Step([at](ScenarioContext& c, std::string*) {
            c.sim.VanishInVoiceStream(static_cast<int>(at));
            return true;
        });
    }
    Fail(error, "vanish, vanish on-command TEXT or vanish in-stream MS");
    return std::nullopt;
}

std::optional<ScenarioStep> BuildReplyDelay(const ScenarioWords& t, std::string* error) {
    long ms = 0;
    if (!Arity(t, 1, 1, error) || !OnlyOptions(t, {}, error) ||
        !Num{"the delay", 0, 600000}.Get(t.args[0], ms, error))
        return std::nullopt;
    return Step([ms](ScenarioContext& c, std::string*) {
        c.sim.SetReplyDelay(static_cast<int>(ms));
        return true;
    });
}

std::optional<ScenarioStep> BuildSay(const ScenarioWords& t, std::string* error) {
    if (!OnlyOptions(t, {}, error))
        return std::nullopt;
    std::string text;
    for (const std::string& a : t.args) {
        if (!text.empty())
            text += ' ';
        text += a;
    }
    return Step([text](ScenarioContext& c, std::string*) {
        if (c.log)
            *c.log << text << std::endl;
        return true;
    });
}

const std::map<std::string, StepBuilder>& BuildersTable() {
    static const std::map<std::string, StepBuilder> kBuilders = {
        {"callerid", BuildCallerId},
        {"ring", BuildRing},
        {"dial-result", BuildDialResult},
        {"source", BuildSource},
        {"format", BuildFormat},
        {"event", BuildEvent},
        {"hangup", BuildHangup},
        {"send", BuildSend},
        {"send-event", BuildSendEvent},
        {"wait", BuildWait},
        {"sleep", BuildSleep},
        {"save-transmit", BuildSaveTransmit},
        {"misbehave", BuildMisbehave},
        {"vanish", BuildVanish},
        {"say", BuildSay},
        {"reply-delay", BuildReplyDelay},
    };
    return kBuilders;
}

} // namespace

const std::map<std::string, StepBuilder>& ScenarioStepBuilders() {
    return BuildersTable();
}

} // namespace modemsim
