// The steps a scenario script can hold: each one checks its words when the
// script is read and returns the action that runs it. Internal to Scenario.cpp.
#pragma once

#include "Scenario.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace modemsim {

struct ScenarioWords {
    std::vector<std::string> args;
    std::map<std::string, std::string> options; // key=value words
};

using StepBuilder =
    std::function<std::optional<ScenarioStep>(const ScenarioWords&, std::string* error)>;

// Verb (lower case) to builder.
const std::map<std::string, StepBuilder>& ScenarioStepBuilders();

} // namespace modemsim
