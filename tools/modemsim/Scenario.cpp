#include "Scenario.h"

#include "ScenarioSteps.h"

#include "platform/TextUtil.h"

#include <algorithm>

namespace modemsim {

namespace {

bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

// Blank-separated words; double quotes group blanks into a word; backslash
// escapes are decoded afterwards by DecodeEscapes.
std::optional<std::vector<std::string>> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            word += c;
            word += line[++i];
            inWord = true;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.push_back(word);
    return words;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// "key=value" with a lower-case key ("name=JOHN", "freq2=1336"); anything
// else holding "=" ("AT+FCLASS=8") is an argument.
bool IsOption(const std::string& word, size_t eq) {
    if (eq == std::string::npos || eq == 0 || !std::islower(static_cast<unsigned char>(word[0])))
        return false;
    return std::all_of(word.begin(), word.begin() + static_cast<long>(eq), [](char c) {
        return std::islower(static_cast<unsigned char>(c)) ||
               std::isdigit(static_cast<unsigned char>(c)) || c == '-';
    });
}

bool Stopped(const ScenarioContext& context) {
    return context.stop && context.stop->load();
}

bool RunStep(const ScenarioStep& step, ScenarioContext& context, std::string* error) {
    if (Stopped(context))
        return Fail(error, StrPrintf("line %d: stopped", step.line));
    if (context.log)
        *context.log << "modemsim: line " << step.line << ": " << step.text << std::endl;
    std::string why;
    if (!step.run(context, &why))
        return Fail(error, StrPrintf("line %d: %s", step.line, why.c_str()));
    return true;
}

// "repeat [COUNT]": how often the steps after it run; no count is for ever.
std::optional<ScenarioStep> ParseRepeat(const ScenarioWords& words, std::string* error) {
    ScenarioStep step;
    step.repeat = true;
    if (!words.options.empty() || words.args.size() > 1) {
        Fail(error, "repeat takes at most one argument, the number of rounds");
        return std::nullopt;
    }
    if (words.args.empty())
        return step;
    const std::string& count = words.args[0];
    if (count.empty() || count.size() > 7 ||
        !std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stol(count) < 1 || std::stol(count) > kMaxRepeatCount) {
        Fail(error, StrPrintf("the number of rounds must be a number from 1 to %ld, not \"%s\"",
                              kMaxRepeatCount, count.c_str()));
        return std::nullopt;
    }
    step.repeatCount = std::stol(count);
    return step;
}

} // namespace

std::optional<std::string> DecodeEscapes(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i >= s.size())
            return std::nullopt;
        switch (s[i]) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
        case '"':
            out += s[i];
            break;
        case 'x': {
            if (i + 2 >= s.size() || HexDigit(s[i + 1]) < 0 || HexDigit(s[i + 2]) < 0)
                return std::nullopt;
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<std::vector<ScenarioStep>> ParseScenario(std::string_view text, std::string* error) {
    if (text.size() > kMaxScenarioBytes) {
        Fail(error, "the script is larger than 1 MB");
        return std::nullopt;
    }
    std::vector<ScenarioStep> steps;
    int lineNo = 0;
    for (const std::string& raw : SplitKeepEmpty(text, '\n')) {
        ++lineNo;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == '#')
            continue;
        auto fail = [&](const std::string& why) {
            Fail(error, StrPrintf("line %d: %s", lineNo, why.c_str()));
            return std::nullopt;
        };
        if (steps.size() >= kMaxScenarioSteps)
            return fail(StrPrintf("too many steps (at most %zu; write a call that comes again "
                                  "and again once, after \"repeat\")",
                                  kMaxScenarioSteps));
        auto words = SplitWords(line);
        if (!words)
            return fail("a quote is not closed");
        ScenarioWords tokens;
        for (size_t i = 1; i < words->size(); ++i) {
            auto decoded = DecodeEscapes((*words)[i]);
            if (!decoded)
                return fail("bad escape in \"" + (*words)[i] + "\"");
            size_t eq = decoded->find('=');
            if (IsOption(*decoded, eq))
                tokens.options[decoded->substr(0, eq)] = decoded->substr(eq + 1);
            else
                tokens.args.push_back(*decoded);
        }
        const std::string verb = ToLowerAscii((*words)[0]);
        if (verb == "repeat") {
            std::string why;
            auto step = ParseRepeat(tokens, &why);
            if (!step)
                return fail("repeat: " + why);
            if (std::any_of(steps.begin(), steps.end(), [](const auto& s) { return s.repeat; }))
                return fail("repeat: a script repeats only once (its steps run to the end)");
            step->line = lineNo;
            step->text = line;
            steps.push_back(std::move(*step));
            continue;
        }
        auto builder = ScenarioStepBuilders().find(verb);
        if (builder == ScenarioStepBuilders().end())
            return fail("unknown step \"" + (*words)[0] + "\"");
        std::string why;
        auto step = builder->second(tokens, &why);
        if (!step)
            return fail(verb + ": " + why);
        step->line = lineNo;
        step->text = line;
        steps.push_back(std::move(*step));
    }
    if (!steps.empty() && steps.back().repeat) {
        Fail(error, StrPrintf("line %d: repeat: no steps follow it", steps.back().line));
        return std::nullopt;
    }
    return steps;
}

bool RunScenario(const std::vector<ScenarioStep>& steps, ScenarioContext& context,
                 std::string* error) {
    auto loop = std::find_if(steps.begin(), steps.end(), [](const auto& s) { return s.repeat; });
    for (auto it = steps.begin(); it != loop; ++it)
        if (!RunStep(*it, context, error))
            return false;
    if (loop == steps.end())
        return true;
    const bool endless = loop->repeatCount == 0;
    for (long round = 1; endless || round <= loop->repeatCount; ++round) {
        if (context.log)
            *context.log << "modemsim: line " << loop->line << ": repeat, round " << round
                         << std::endl;
        for (auto it = loop + 1; it != steps.end(); ++it) {
            if (!RunStep(*it, context, error))
                // A stop is how an endless repeat ends; a failed step is not.
                return endless && Stopped(context);
        }
    }
    return true;
}

} // namespace modemsim
