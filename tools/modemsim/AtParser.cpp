#include "AtParser.h"

#include <cctype>

namespace modemsim {

namespace {

bool IsNameChar(char c) {
    // Characters V.250 allows in extended command names after the prefix.
    return std::isalnum(static_cast<unsigned char>(c)) || c == '!' || c == '%' || c == '-' ||
           c == '.' || c == '/' || c == ':' || c == '_';
}

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of an extended command runs to the next ";" outside quotes.
std::string TakeValue(std::string_view s, size_t& i) {
    std::string v;
    bool quoted = false;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted)
            break;
        if (quoted || c != ' ')
            v += quoted ? c : Upper(c);
        ++i;
    }
    return v;
}

} // namespace

std::string AtCommand::Text() const {
    std::string s = name;
    if (name == "S")
        s += std::to_string(reg);
    switch (kind) {
    case Kind::Action:
        return s + arg;
    case Kind::Set:
        return s + "=" + arg;
    case Kind::Read:
        return s + "?";
    case Kind::Test:
        return s + "=?";
    }
    return s;
}

std::optional<std::vector<AtCommand>> ParseAtLine(std::string_view s) {
    std::vector<AtCommand> out;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        AtCommand cmd;
        if (c == '+' || c == '#' || c == '-') {
            cmd.name = std::string(1, c);
            ++i;
            while (i < s.size() && IsNameChar(s[i]))
                cmd.name += Upper(s[i++]);
            if (cmd.name.size() < 2)
                return std::nullopt;
            if (i < s.size() && s[i] == '?') {
                cmd.kind = AtCommand::Kind::Read;
                ++i;
            } else if (i + 1 < s.size() && s[i] == '=' && s[i + 1] == '?') {
                cmd.kind = AtCommand::Kind::Test;
                i += 2;
            } else if (i < s.size() && s[i] == '=') {
                cmd.kind = AtCommand::Kind::Set;
                ++i;
                cmd.arg = TakeValue(s, i);
            }
            // Anything else before the ";" is a syntax error.
            while (i < s.size() && s[i] == ' ')
                ++i;
            if (i < s.size() && s[i] != ';')
                return std::nullopt;
            out.push_back(std::move(cmd));
            continue;
        }
        if (c == '&' || c == '\\' || c == '%') {
            if (i + 1 >= s.size() || !std::isalpha(static_cast<unsigned char>(s[i + 1])))
                return std::nullopt;
            cmd.name = std::string(1, c) + Upper(s[i + 1]);
            i += 2;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            cmd.name = std::string(1, Upper(c));
            ++i;
        } else {
            return std::nullopt;
        }
        if (cmd.name == "D") {
            // The dial string takes the rest of the line (a trailing ";" means
            // "stay in command mode" and belongs to it).
            for (; i < s.size(); ++i)
                if (s[i] != ' ')
                    cmd.arg += Upper(s[i]);
            out.push_back(std::move(cmd));
            break;
        }
        if (cmd.name == "S") {
            std::string reg;
            while (i < s.size() && IsDigit(s[i]))
                reg += s[i++];
            if (reg.empty() || reg.size() > 3)
                return std::nullopt;
            cmd.reg = std::stoi(reg);
            if (i < s.size() && s[i] == '?') {
                cmd.kind = AtCommand::Kind::Read;
                ++i;
            } else if (i < s.size() && s[i] == '=') {
                cmd.kind = AtCommand::Kind::Set;
                ++i;
                while (i < s.size() && IsDigit(s[i]))
                    cmd.arg += s[i++];
                if (cmd.arg.empty() || cmd.arg.size() > 5)
                    return std::nullopt;
            }
            out.push_back(std::move(cmd));
            continue;
        }
        // "ATI?" style reads are not Hayes; a basic command takes digits only.
        while (i < s.size() && IsDigit(s[i]) && cmd.arg.size() < 5)
            cmd.arg += s[i++];
        if (i < s.size() && IsDigit(s[i]))
            return std::nullopt;
        if (i < s.size() && s[i] == '?') {
            cmd.kind = AtCommand::Kind::Read;
            ++i;
        }
        out.push_back(std::move(cmd));
    }
    return out;
}

} // namespace modemsim
