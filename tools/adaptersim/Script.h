// The steps of an adaptersim script, one a line (a line starting with "#" is a comment):
//
//   wait open | wait off-hook | wait on-hook   until the program did so (30 s at most)
//   sleep MS
//   ring                        an incoming call (event 118)
//   caller-id HEX ...           a raw caller-ID message, bytes in hexadecimal
//   keys KEYS                   a key event for each of 0-9 A-D * #
//   local off-hook | local on-hook   the phone beside the adapter
//   busy | dial-tone            the line's tones as events
//   event CODE PARAM            any short event
//   sound FILE                  a WAV file (16-bit mono, 8000 samples/s) as the line's sound
//   open-works USUAL OLDER      whether the two ways of opening succeed (1/0)
#pragma once

#include <memory>
#include <string>
#include <vector>

class CSimServer;
class CSimulatedAdapter;

struct ScriptStep {
    std::string sVerb;
    std::vector<std::string> args;
    int nLine = 0;
};

// The steps of the script text; throws std::invalid_argument naming the
// line of a step it does not know.
std::vector<ScriptStep> ParseScript(const std::string& text);

struct ScriptContext {
    CSimServer& server;
    std::shared_ptr<CSimulatedAdapter> sim;
    bool bPaced = true; // sound at the line's own pace
};

// Runs one step; throws std::runtime_error when it fails (a wait that timed
// out, a file that cannot be read, no program connected to hear it).
void RunStep(const ScriptStep& step, ScriptContext& ctx);
