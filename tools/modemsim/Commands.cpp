// The command set: what each AT command does to the simulated modem, and which
// family knows which command.
#include "ModemCore.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <set>

namespace modemsim {

namespace {

const std::set<std::string> kBasicKnown = {"B",  "C",  "L",  "M",  "N",  "P",  "T",  "W",  "X",
                                           "Y",  "&C", "&D", "&K", "&Q", "&S", "&V", "&W", "\\N",
                                           "%C", "&G", "&B", "&H", "&R", "&I", "&M"};

const std::set<std::string> kPlusV = {
    "+FCLASS", "+VSM",  "+VLS",  "+VRX", "+VTX", "+VTS", "+VGR", "+VGT", "+VSD",
    "+VIT",    "+VCID", "+VRID", "+VTD", "+VBT", "+VRA", "+VRN", "+VSP", "+VNH",
    "+VIP",    "+VEM",  "+VDR",  "+VDT", "+VDX", "+VPR", "+VSS", "+VGM", "+VGS",
    "-SDR",    "+FLO",  "+IFC",  "+IPR", "+ICF", "+FAA", "+FMI", "+FMM", "+FMR"};

const std::set<std::string> kHash = {"#CLS", "#VBS", "#VSR", "#VLS", "#VRX", "#VTX", "#VTS",
                                     "#CID", "#BDR", "#VSD", "#VGR", "#VGT", "#VTD", "#VBT",
                                     "#VRA", "#VRN", "#VSM", "#VCI", "#VSS", "#VSP", "#VTM",
                                     "#VSK", "#VBQ", "#VGM", "#VSC"};

const std::set<std::string> kEveryone = {"+GMI", "+GMM", "+GMR", "+GCAP", "+GSN", "+GOI"};

bool ParseInt(const std::string& s, int& value) {
    if (s.empty() || s.size() > 6 || !std::all_of(s.begin(), s.end(), ::isdigit))
        return false;
    value = std::stoi(s);
    return true;
}

} // namespace

bool ModemCore::Knows(const std::string& name) const {
    if (kEveryone.count(name))
        return true;
    if (m_p.plusV && kPlusV.count(name))
        return true;
    if (name == "#CLS")
        return m_p.hashCls;
    if (name == "#VCL")
        return m_p.vcl;
    if (name == "#VCI")
        return m_p.hash && m_p.vciAnswer != nullptr;
    if (name == "+CMGF" || name == "+CMGS")
        return m_p.sms;
    return m_p.hash && kHash.count(name);
}

ModemCore::Outcome ModemCore::Execute(const AtCommand& cmd, uint32_t now) {
    char first = cmd.name[0];
    if (first == '+' || first == '#' || first == '-')
        return ExecuteExtended(cmd, now);
    return ExecuteBasic(cmd, now);
}

ModemCore::Outcome ModemCore::ExecuteBasic(const AtCommand& cmd, uint32_t now) {
    using K = AtCommand::Kind;
    const std::string& n = cmd.name;
    const std::string& a = cmd.arg;
    auto flag = [&](bool& f) {
        if (a.empty() || a == "0")
            f = false;
        else if (a == "1")
            f = true;
        else
            return Outcome::Error;
        return Outcome::Ok;
    };
    if (n == "E")
        return flag(m_echo);
    if (n == "Q")
        return flag(m_quiet);
    if (n == "V")
        return flag(m_verbose);
    if (n == "Z" || n == "&F") {
        if (n == "Z") {
            m_offHook = false;
            m_mode = Mode::Command;
        }
        Reset();
        return Outcome::Ok;
    }
    if (n == "S") {
        if (cmd.reg < 0 || cmd.reg > 255)
            return Outcome::Error;
        if (cmd.kind == K::Read) {
            SendInfo(StrPrintf("%03d", m_sregs[cmd.reg]));
        } else if (cmd.kind == K::Set) {
            int v = 0;
            if (!ParseInt(a, v) || v > 255)
                return Outcome::Error;
            m_sregs[cmd.reg] = v;
        }
        return Outcome::Ok;
    }
    if (n == "I") {
        int i = 0;
        if (!a.empty() && (!ParseInt(a, i) || i > 9))
            return Outcome::Error;
        const char* text = m_p.ati[i];
        if (!text)
            return Outcome::Error;
        if (*text)
            SendInfo(text);
        return Outcome::Ok;
    }
    if (n == "H") {
        if (a.empty() || a == "0")
            m_offHook = false;
        else if (a == "1")
            m_offHook = true;
        else
            return Outcome::Error;
        return Outcome::Ok;
    }
    if (n == "A") {
        if (m_fclass == "8") {
            m_offHook = true;
            SendResult(m_p.voiceConnect);
        } else {
            SendResult("NO CARRIER"); // no data carrier on a simulated line
        }
        return Outcome::Taken;
    }
    if (n == "D") {
        m_seen.AddDialled(a);
        m_mode = Mode::Dialling;
        m_dialAt = now + static_cast<uint32_t>(m_dialDelayMs);
        if (!m_dialWord.empty())
            m_dialResult = m_dialWord;
        else
            m_dialResult = m_fclass == "8" ? m_p.voiceConnect : "NO CARRIER";
        return Outcome::Taken;
    }
    if (n == "O") {
        SendResult("NO CARRIER");
        return Outcome::Taken;
    }
    return kBasicKnown.count(n) ? Outcome::Ok : Outcome::Error;
}

ModemCore::Outcome ModemCore::ExecuteExtended(const AtCommand& cmd, uint32_t now) {
    using K = AtCommand::Kind;
    const std::string& n = cmd.name;
    if (!Knows(n))
        return Outcome::Error;
    if (n == "+GMI" || n == "+GMM" || n == "+GMR" || n == "+GSN" || n == "+GOI") {
        const char* text = n == "+GMI"   ? m_p.gmi
                           : n == "+GMM" ? m_p.gmm
                           : n == "+GMR" ? m_p.gmr
                                         : "0";
        if (cmd.kind != K::Test)
            SendInfo(text);
        return Outcome::Ok;
    }
    if (n == "+GCAP") {
        SendInfo(m_p.plusV ? "+GCAP: +FCLASS,+MS,+ES,+DS" : "+GCAP: +MS");
        return Outcome::Ok;
    }
    if (n == "+FCLASS" || n == "#CLS" || n == "#VCL") {
        static const std::set<std::string> kClasses = {"0", "1", "1.0", "2", "2.0", "8"};
        if (cmd.kind == K::Test) {
            SendInfo(n == "#VCL" ? "0,1" : n == "#CLS" ? "0,1,2,8" : "0,1,1.0,2,8");
            return Outcome::Ok;
        }
        if (cmd.kind == K::Read) {
            SendInfo(n == "#VCL" ? (m_fclass == "8" ? "1" : "0") : m_fclass);
            return Outcome::Ok;
        }
        std::string v = cmd.arg;
        if (n == "#VCL") {
            if (v != "0" && v != "1")
                return Outcome::Error;
            v = v == "1" ? "8" : "0";
        }
        if (!kClasses.count(v))
            return Outcome::Error;
        m_fclass = v;
        return Outcome::Ok;
    }
    if (n == "+CMGF" || n == "+CMGS")
        return ExecuteSms(cmd);
    if (n == "#VCI") {
        if (cmd.kind != K::Read)
            return Outcome::Error;
        SendInfo(m_p.vciAnswer);
        return Outcome::Ok;
    }
    return ExecuteVoice(cmd, now);
}

ModemCore::Outcome ModemCore::ExecuteVoice(const AtCommand& cmd, uint32_t now) {
    using K = AtCommand::Kind;
    const std::string& n = cmd.name;
    const std::string stem = n.substr(1);
    if (stem == "VRX" || stem == "VTX") {
        if (cmd.kind != K::Action || m_fclass != "8")
            return Outcome::Error;
        if (stem == "VRX")
            StartReceive(now);
        else
            StartTransmit(now);
        return Outcome::Taken;
    }
    if (cmd.kind == K::Test) {
        std::string answer;
        if (n == "+VSM") {
            answer = m_p.vsmTest;
        } else if (n == "#VSM") {
            for (const FormatChoice& f : m_p.vsmFormats) {
                if (!answer.empty())
                    answer += ',';
                answer += std::to_string(f.modemValue);
            }
        } else if (stem == "VLS") {
            answer = "0,1,2,3,4,5,6,7";
        } else if (n == "+VCID" || n == "#CID") {
            answer = n == "#CID" ? "0,1,2,5" : "(0-2)";
        } else if (n == "#VBS") {
            answer = "2,3,4,8,16";
        } else if (n == "#VSR") {
            answer = "7200,8000,11025";
        } else if (stem == "VIT") {
            answer = "(0-255)";
        }
        if (!answer.empty())
            SendInfo(answer);
        return Outcome::Ok;
    }
    if (cmd.kind == K::Read) {
        std::string v;
        if (stem == "VSM")
            v = std::to_string(m_format.compressionId) + "," + std::to_string(m_format.sampleRate);
        else if (n == "#VSR")
            v = std::to_string(m_format.sampleRate);
        else
            v = m_values.count(n) ? m_values[n] : "0";
        SendInfo(v);
        return Outcome::Ok;
    }
    if (cmd.kind == K::Set) {
        if (stem == "VSM") {
            if (SelectFormat(cmd.arg) == Outcome::Error)
                return Outcome::Error;
        } else if (n == "#VSR") {
            int rate = 0;
            if (!ParseInt(cmd.arg, rate) || rate < 4000 || rate > 48000)
                return Outcome::Error;
            if (!m_formatForced)
                m_format.sampleRate = rate;
        } else if (n == "#VBS") {
            int bits = 0;
            if (!ParseInt(cmd.arg.substr(0, cmd.arg.find(',')), bits) || bits < 2 || bits > 16)
                return Outcome::Error;
            if (!m_formatForced && m_format.compressionId != 128) {
                m_format.compressionId = bits == 8 ? 8 : bits == 16 ? 16 : 4;
                m_format.bits = bits;
            }
        } else if (n == "+VLS") {
            // In V.253 any line other than 0 takes the line; 0 hangs up.
            m_offHook = cmd.arg != "0";
        }
        m_values[n] = cmd.arg;
    }
    return Outcome::Ok;
}

ModemCore::Outcome ModemCore::SelectFormat(const std::string& value) {
    std::vector<std::string> parts = SplitKeepEmpty(value, ',');
    int modemValue = 0;
    if (!ParseInt(parts[0], modemValue))
        return Outcome::Error;
    auto it = std::find_if(m_p.vsmFormats.begin(), m_p.vsmFormats.end(),
                           [&](const FormatChoice& f) { return f.modemValue == modemValue; });
    if (it == m_p.vsmFormats.end())
        return Outcome::Error;
    int rate = 0;
    if (parts.size() > 1 && !parts[1].empty() &&
        (!ParseInt(parts[1], rate) || rate < 4000 || rate > 48000))
        return Outcome::Error;
    if (!m_formatForced) {
        m_format.compressionId = it->compressionId;
        m_format.bits = 0;
        if (rate)
            m_format.sampleRate = rate;
    }
    return Outcome::Ok;
}

} // namespace modemsim
