// Splits the body of an AT command line (what follows "AT", without the CR)
// into single commands, the way Hayes-style modems read it: basic commands are
// one letter (or "&", "\", "%" and a letter) with an optional number, S
// registers are "Sn=v" or "Sn?", a "D" takes the rest of the line, and
// extended commands ("+FCLASS=8", "#CLS=8", "-SDR=7") run to the next ";".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct AtCommand {
    enum class Kind {
        Action, // "E0", "&F", "+VRX", "D5551234"
        Set,    // "S7=30", "+FCLASS=8"
        Read,   // "S0?", "+FCLASS?"
        Test,   // "+FCLASS=?"
    };
    std::string name; // upper-cased: "E", "&F", "S", "D", "+FCLASS", "#CLS"
    Kind kind = Kind::Action;
    std::string arg; // the number of a basic command, the value of a Set, the dial string
    int reg = -1;    // S-register number for "S"

    // The command as the modem understood it, for logs and tests ("+FCLASS=8").
    std::string Text() const;
};

// The commands of one line, or nullopt for a syntax error (the modem answers
// ERROR and runs none of them).
std::optional<std::vector<AtCommand>> ParseAtLine(std::string_view body);

} // namespace modemsim
