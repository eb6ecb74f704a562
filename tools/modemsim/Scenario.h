// Scenario scripts: a small line-based language that drives a ModemSim (the
// format is described in README.md). A script is parsed completely before it
// runs, so a typo is reported with its line number before anything happens.
#pragma once

#include "ModemSim.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

// What the steps of a running script share.
struct ScenarioContext {
    ModemSim& sim;
    SignalSource source;           // built up by "source" steps
    const std::atomic<bool>* stop; // set from outside to end the run early
    std::ostream* log;             // progress lines, may be null
    std::string baseDir;           // relative file names are taken from here
};

struct ScenarioStep {
    int line = 0;
    std::string text;
    // A "repeat" step: the steps after it run again and again, repeatCount
    // times, or until the run is stopped when repeatCount is 0. It has no run.
    bool repeat = false;
    long repeatCount = 0;
    // Runs the step; false with *error set ends the script.
    std::function<bool(ScenarioContext&, std::string* error)> run;
};

// Limits that keep a hostile or broken script from exhausting the machine.
// A call that comes again and again is one "repeat" and its steps, never
// thousands of written-out copies.
constexpr size_t kMaxScenarioBytes = 1 << 20;
constexpr size_t kMaxScenarioSteps = 10000;
constexpr long kMaxRepeatCount = 1000000;

// nullopt with "line N: ..." in *error for anything the reader does not accept.
std::optional<std::vector<ScenarioStep>> ParseScenario(std::string_view text, std::string* error);

// Runs the steps in order, the steps after a "repeat" again and again. False
// with "line N: ..." in *error when a step fails (a wait timed out, a file
// could not be read) or the run was stopped; stopping an endless repeat is
// its normal end and returns true.
bool RunScenario(const std::vector<ScenarioStep>& steps, ScenarioContext& context,
                 std::string* error);

// Decodes the escapes of "send": \r \n \t \\ \" and \xNN.
std::optional<std::string> DecodeEscapes(std::string_view text);

} // namespace modemsim
